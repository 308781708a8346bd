#include "sim/fpga.h"

#include <cstring>

#include "bitfile/config_packet.h"
#include "sim/config_crc.h"

namespace torvane::sim {

namespace {

// Instruction capture, first bit out first: 1, 0, ISC_DONE, ISC_ENABLED, INIT, DONE.
constexpr uint32_t CAPTURE_FIXED = 0x01;
constexpr uint32_t CAPTURE_ISC_DONE = 0x04;
constexpr uint32_t CAPTURE_INIT = 0x10;
constexpr uint32_t CAPTURE_DONE = 0x20;

// How many bytes from `at` on repeat the byte `window` holds four times over; 0 when it
// does not. Eight bytes at a time through the long runs.
size_t SameBytes(const std::vector<uint8_t>& image, size_t at, uint32_t window) {
  const uint8_t byte = static_cast<uint8_t>(window);
  if (window != byte * 0x01010101u) return 0;
  const uint64_t eight = byte * 0x0101010101010101ull;
  size_t end = at;
  for (uint64_t word; end + 8 <= image.size(); end += 8) {
    std::memcpy(&word, image.data() + end, 8);
    if (word != eight) break;
  }
  while (end < image.size() && image[end] == byte) ++end;
  return end - at;
}

}  // namespace

Fpga::Fpga(const Part& part)
    : JtagDevice(part.name, part.irLength, part.idcode, INSTR_IDCODE, INSTR_BYPASS),
      configLengthBits_(part.configBits) {}

void Fpga::PowerOn() {
  JtagDevice::PowerOn();
  bits_.clear();
  bitCount_ = 0;
  ClearConfiguration();
  clearUntilNs_ = 0;
  loadedAtNs_ = 0;
  startups_ = 0;
}

void Fpga::ClearConfiguration() {
  window_ = 0;
  wordBits_ = 0;
  synced_ = false;
  register_ = 0;
  wordsLeft_ = 0;
  writing_ = false;
  checkWordDue_ = false;
  cor_ = 0;
  configError_ = false;
  idChecked_ = false;
  startupArmed_ = false;
  startupClocks_ = 0;
  done_ = false;
  frameWords_ = 0;
  crc_ = 0;
  crcError_ = false;
  frames_.clear();
}

bool Fpga::Clearing() const { return clock_ != nullptr && *clock_ < clearUntilNs_; }

uint32_t Fpga::CaptureInstruction() {
  uint32_t capture = CAPTURE_FIXED;
  if (initHigh()) capture |= CAPTURE_INIT;
  if (done()) capture |= CAPTURE_DONE | CAPTURE_ISC_DONE;
  return capture;
}

void Fpga::OnInstruction(uint32_t instruction) {
  if (instruction == INSTR_JPROGRAM && !defects_.jprogramIgnored) {
    ClearConfiguration();  // the configuration memory is cleared and DONE falls
    clearUntilNs_ = clock_ != nullptr ? *clock_ + CLEAR_NANOSECONDS : 0;
  }
  if (instruction == INSTR_CFG_IN) {
    // A new load hunts for the sync word again; a configured part keeps running until
    // a new start-up, as the real configuration logic does.
    window_ = 0;
    wordBits_ = 0;
    synced_ = false;
    wordsLeft_ = 0;
    checkWordDue_ = false;
  }
}

void Fpga::ShiftData(bool tdi) {
  if ((bitCount_ & 7) == 0) {
    bits_.push_back(0);
  }
  if (tdi) {
    bits_.back() |= static_cast<uint8_t>(0x80 >> (bitCount_ & 7));
  }
  ++bitCount_;
  ConfigBit(tdi);
}

void Fpga::ConfigBit(bool tdi) {
  window_ = (window_ << 1) | (tdi ? 1u : 0u);
  if (!synced_) {
    if (window_ == SYNC_WORD) {
      synced_ = true;
      wordBits_ = 0;
    }
    return;
  }
  if (++wordBits_ == 32) {
    wordBits_ = 0;
    ProcessWord(window_);
  }
}

void Fpga::ProcessWord(uint32_t word) {
  if (checkWordDue_) {
    checkWordDue_ = false;
    CheckCrc(word);
    return;
  }
  if (wordsLeft_ > 0) {
    --wordsLeft_;
    if (writing_) {
      WriteRegister(register_, word);
      // A block of frame data is followed by one more word outside its count: the CRC of
      // everything so far, checked as a write to the CRC register.
      checkWordDue_ = register_ == REG_FDRI && wordsLeft_ == 0;
    }
    return;
  }
  uint32_t type = PacketType(word);
  if (type == 1) {
    register_ = PacketRegister(word);
  } else if (type != 2) {  // a type 2 writes on to the register of the type 1 before it
    configError_ = true;  // not a packet: the configuration logic flags the error
    synced_ = false;
    return;
  }
  wordsLeft_ = PacketWordCount(word);
  writing_ = PacketOpcode(word) == OP_WRITE;
}

// The expected value sits in bits 15:0 with zeros above; folded in like any write it
// leaves the register at zero exactly when it matches. A mismatch drops INIT and no
// start-up follows; either way the count starts again from zero.
void Fpga::CheckCrc(uint32_t value) {
  bool bypassed = (cor_ & COR_CRC_BYPASS) != 0;
  if (!bypassed && ConfigCrcStep(crc_, REG_CRC, value) != 0) {
    crcError_ = true;
    configError_ = true;
    startupArmed_ = false;
  }
  crc_ = 0;
}

void Fpga::WriteRegister(uint32_t reg, uint32_t value) {
  if (reg == REG_CRC) {
    CheckCrc(value);
    return;
  }
  crc_ = ConfigCrcStep(crc_, reg, value);
  switch (reg) {
    case REG_COR:
      cor_ = value;
      break;
    case REG_FDRI:
      ++frameWords_;
      frames_.push_back(value);
      break;
    case REG_IDCODE:
      idChecked_ = true;
      if (((value ^ idcode()) & 0x0FFFFFFF) != 0) {
        configError_ = true;  // a bitstream for another part: INIT falls, no start-up
      }
      break;
    case REG_CMD:
      if (value == CMD_RCRC) {
        crc_ = 0;
      } else if (value == CMD_START && !configError_) {
        startupArmed_ = true;
        startupClocks_ = 0;
      } else if (value == CMD_DESYNC) {
        synced_ = false;
        window_ = 0;
      }
      break;
    default:
      break;
  }
}

void Fpga::OnIdleClocks(uint64_t count) {
  if (instruction() != INSTR_JSTART || !startupArmed_ || configError_) {
    return;
  }
  if (count >= STARTUP_CLOCKS - startupClocks_) {
    startupClocks_ = STARTUP_CLOCKS;
    done_ = true;
    startupArmed_ = false;
    ++startups_;
  } else {
    startupClocks_ += static_cast<uint32_t>(count);
  }
}

void Fpga::LoadFromProm(const std::vector<uint8_t>& image) {
  ClearConfiguration();
  uint64_t bits = 0;
  // The part reads until start-up is armed and the stream desynchronised, or the end.
  for (size_t i = 0; i < image.size() && !(startupArmed_ && !synced_);) {
    // Hunting for the sync word through a run of one byte value (an erased PROM's 0xFF):
    // once the last 32 bits are that byte four times, more of it leave them so, and no
    // window on the way is the sync word, which does not repeat every eight bits.
    size_t run = synced_ ? 0 : SameBytes(image, i, window_);
    if (run > 0) {
      i += run;
      bits += 8 * run;
      continue;
    }
    if (synced_ && wordBits_ + 8 <= 32) {
      // No word ends inside the byte: its eight bits go in at once.
      window_ = (window_ << 8) | image[i];
      wordBits_ += 8;
      if (wordBits_ == 32) {
        wordBits_ = 0;
        ProcessWord(window_);
      }
    } else {
      for (int bit = 7; bit >= 0; --bit) ConfigBit(((image[i] >> bit) & 1) != 0);
    }
    bits += 8;
    ++i;
  }
  loadedAtNs_ = clock_ != nullptr ? *clock_ + bits * SERIAL_BIT_NANOSECONDS : 0;
  // In master serial mode start-up runs on the part's own configuration clock.
  if (startupArmed_ && !configError_) {
    done_ = true;
    startupArmed_ = false;
    ++startups_;
  }
}

}  // namespace torvane::sim
