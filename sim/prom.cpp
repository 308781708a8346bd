#include "sim/prom.h"

#include <algorithm>

namespace torvane::sim {

Prom::Prom(const Part& part)
    : JtagDevice(part.name, part.irLength, part.idcode, INSTR_IDCODE, INSTR_BYPASS),
      blockBytes_(part.blockBytes),
      blockCount_(part.blockCount),
      memory_(PromCapacity(part), 0xFF),  // a new part leaves the factory erased
      dataRing_(blockBytes_ * 8, 0),
      dataRegister_(blockBytes_, 0xFF),
      stuckBlock_(blockCount_) {}

void Prom::Fill(uint8_t value) {
  for (uint32_t block = 0; block < blockCount_; ++block) {
    if (block == stuckBlock_) continue;
    std::fill_n(memory_.begin() + block * blockBytes_, blockBytes_, value);
  }
}

void Prom::SetStuckBlock(uint32_t block) {
  stuckBlock_ = block;
  if (block >= blockCount_) return;
  for (uint32_t i = 0; i < blockBytes_; ++i) {
    memory_[block * blockBytes_ + i] = static_cast<uint8_t>(0x35 + 7 * i);
  }
}

void Prom::Elapse(uint32_t milliseconds) {
  disableMsLeft_ = milliseconds >= disableMsLeft_ ? 0 : disableMsLeft_ - milliseconds;
}

void Prom::PowerOn() {
  // The flash array is non-volatile and survives; everything else starts afresh.
  JtagDevice::PowerOn();
  iscMode_ = false;
  addressShift_ = 0;
  address_ = 0;
  ringHead_ = 0;
  operation_ = Operation::None;
  operationClocks_ = 0;
  disableMsLeft_ = 0;
}

bool Prom::ModelsInstruction(uint32_t instruction) const {
  // Outside ISC mode the programming registers are not reachable: the part answers
  // with its bypass register, as a real one ignores the instruction.
  return iscMode_ && (instruction == INSTR_ISC_ADDRESS_SHIFT ||
                      instruction == INSTR_ISC_DATA_SHIFT || instruction == INSTR_ISC_READ);
}

void Prom::OnInstruction(uint32_t instruction) {
  EndOperation();
  switch (instruction) {
    case INSTR_ISC_ENABLE:
      iscMode_ = true;
      break;
    case INSTR_ISC_DISABLE:
      if (iscMode_) disableMsLeft_ = DISABLE_MS;
      iscMode_ = false;
      break;
    case INSTR_ISC_READ:
      if (iscMode_) operation_ = Operation::Read;
      break;
    case INSTR_CONFIG:
      // Only a part out of programming mode drives its CF pin.
      if (!iscMode_ && disableMsLeft_ == 0) {
        ++configPulses_;
        if (configPin_) configPin_();
      }
      break;
    case INSTR_ISC_ERASE:
      if (iscMode_) operation_ = Operation::Erase;
      break;
    case INSTR_ISC_PROGRAM:
      if (iscMode_) operation_ = Operation::Program;
      break;
    case INSTR_FINISH:
      ++finishes_;
      break;
    default:
      break;
  }
  operationClocks_ = 0;
}

void Prom::EndOperation() {
  if (operation_ == Operation::Program && operationClocks_ < PROGRAM_CLOCKS) {
    ++cutShort_;
  }
  if (operation_ == Operation::Erase) {
    lastEraseClocks_ = operationClocks_;
  }
  operation_ = Operation::None;
}

void Prom::ShiftData(bool tdi) {
  if (instruction() == INSTR_ISC_ADDRESS_SHIFT) {
    addressShift_ = static_cast<uint16_t>((addressShift_ >> 1) | (tdi ? 0x8000 : 0));
    return;
  }
  dataRing_[ringHead_] = tdi ? 1 : 0;
  ringHead_ = (ringHead_ + 1) % dataRing_.size();
}

bool Prom::DataOut() const {
  if (instruction() == INSTR_ISC_ADDRESS_SHIFT) {
    return addressShift_ & 1;
  }
  return dataRing_[ringHead_] != 0;
}

void Prom::UpdateData() {
  if (instruction() == INSTR_ISC_ADDRESS_SHIFT) {
    address_ = addressShift_;
    return;
  }
  if (instruction() != INSTR_ISC_DATA_SHIFT) return;  // a read's scan leaves it as it was
  // The oldest of the block's last bits is data bit 0: the first byte's most significant bit.
  for (size_t i = 0; i < blockBytes_; ++i) {
    uint8_t byte = 0;
    for (size_t b = 0; b < 8; ++b) {
      size_t at = (ringHead_ + 8 * i + b) % dataRing_.size();
      byte = static_cast<uint8_t>((byte << 1) | dataRing_[at]);
    }
    dataRegister_[i] = byte;
  }
}

void Prom::OnIdleClocks(uint64_t count) {
  if (operation_ == Operation::None) {
    return;
  }
  uint64_t before = operationClocks_;
  operationClocks_ = static_cast<uint32_t>(std::min<uint64_t>(before + count, UINT32_MAX));
  // An operation is done on the clock that brings it to its count.
  auto reaches = [&](uint32_t clocks) { return before < clocks && operationClocks_ >= clocks; };
  if (operation_ == Operation::Erase && reaches(ERASE_CLOCKS)) {
    Fill(0xFF);
    ++erases_;
  } else if (operation_ == Operation::Program && reaches(PROGRAM_CLOCKS)) {
    ProgramBlock();
  } else if (operation_ == Operation::Read && reaches(READ_CLOCKS)) {
    ReadBlock();
  }
}

void Prom::ProgramBlock() {
  uint32_t block = address_ / BLOCK_ADDRESS_UNITS;
  if (block >= blockCount_) {
    ++programsPastEnd_;
    return;
  }
  programmed_.push_back(address_);
  if (block == stuckBlock_) return;
  uint8_t* target = &memory_[block * blockBytes_];
  for (size_t i = 0; i < blockBytes_; ++i) {
    target[i] &= dataRegister_[i];  // flash programming can only clear bits
  }
}

// The data register takes the block with its first bit nearest TDO, as UpdateData reads it.
void Prom::ReadBlock() {
  uint32_t block = address_ / BLOCK_ADDRESS_UNITS;
  if (block >= blockCount_) return;
  const uint8_t* source = &memory_[block * blockBytes_];
  ringHead_ = 0;
  for (size_t i = 0; i < blockBytes_ * 8; ++i) {
    dataRing_[i] = (source[i / 8] >> (7 - i % 8)) & 1;
  }
  ++reads_;
}

}  // namespace torvane::sim
