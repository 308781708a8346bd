// A Spartan-3 FPGA as its JTAG port sees it: the configuration port behind CFG_IN, a
// configuration engine that follows the bitstream's packets far enough to check the
// device ID and the CRC and arm start-up, and the start-up sequence clocked by JSTART.
#pragma once

#include <cstdint>
#include <vector>

#include "procedures/parts.h"
#include "sim/jtag_device.h"

namespace torvane::sim {

class Fpga : public JtagDevice {
 public:
  static constexpr uint32_t INSTR_CFG_IN = 0x05;
  static constexpr uint32_t INSTR_IDCODE = 0x09;
  static constexpr uint32_t INSTR_JPROGRAM = 0x0B;
  static constexpr uint32_t INSTR_JSTART = 0x0C;
  static constexpr uint32_t INSTR_BYPASS = 0x3F;
  // Start-up runs through its eight phases on TCK in Run-Test/Idle under JSTART.
  static constexpr uint32_t STARTUP_CLOCKS = 8;

  // After JPROGRAM, INIT stays low while the configuration memory clears. 2 ms of board
  // time: these small parts clear in about a millisecond or two, fast enough that a short
  // poll sees INIT rise, slow enough that reading INIT at once would see it low.
  static constexpr uint64_t CLEAR_NANOSECONDS = 2000000;

  // Defects of the part a test sets; they outlast power-on, as a defect would.
  struct Defects {
    bool initHeldLow = false;      // INIT never rises (held low on the board)
    bool jprogramIgnored = false;  // JPROGRAM clears nothing: the design and DONE stay
  };

  // Its name, IDCODE, instruction register and the length of a whole configuration.
  explicit Fpga(const Part& part);

  uint32_t configLengthBits() const { return configLengthBits_; }
  // The board's time in nanoseconds; without a clock, clearing takes no time.
  void UseClock(const uint64_t* nowNanoseconds) { clock_ = nowNanoseconds; }
  Defects& defects() { return defects_; }

  // Every bit shifted into the configuration port, packed most significant bit first.
  const std::vector<uint8_t>& configBits() const { return bits_; }
  uint64_t configBitCount() const { return bitCount_; }
  bool done() const { return done_ && !LoadingFromProm(); }
  bool initHigh() const { return !configError_ && !Clearing() && !defects_.initHeldLow; }
  bool configError() const { return configError_; }
  bool idChecked() const { return idChecked_; }
  bool startupArmed() const { return startupArmed_; }
  uint64_t frameWords() const { return frameWords_; }
  uint32_t startups() const { return startups_; }  // completed start-up sequences
  bool crcError() const { return crcError_; }
  // The frame data of the design loaded last, as written to FDRI: what the part runs.
  const std::vector<uint32_t>& frameData() const { return frames_; }

  // PROG pulsed by the configuration PROM (its CONFIG instruction): the part clears and
  // loads itself in master serial mode from `image`, byte 0 first, each byte most
  // significant bit first, and starts up on its own clock when the load armed start-up.
  // The load takes board time, one bit per configuration clock; DONE rises at its end.
  void LoadFromProm(const std::vector<uint8_t>& image);
  static constexpr uint64_t SERIAL_BIT_NANOSECONDS = 167;  // the default 6 MHz clock

  void PowerOn() override;

 protected:
  uint32_t CaptureInstruction() override;
  void OnInstruction(uint32_t instruction) override;
  bool ModelsInstruction(uint32_t instruction) const override {
    return instruction == INSTR_CFG_IN;
  }
  void ShiftData(bool tdi) override;
  void OnIdleClocks(uint64_t count) override;

 private:
  void ClearConfiguration();
  void ConfigBit(bool bit);
  bool Clearing() const;
  bool LoadingFromProm() const { return clock_ != nullptr && *clock_ < loadedAtNs_; }
  void ProcessWord(uint32_t word);
  void WriteRegister(uint32_t reg, uint32_t value);
  void CheckCrc(uint32_t value);

  std::vector<uint8_t> bits_;
  uint64_t bitCount_ = 0;
  uint32_t window_ = 0;  // the last 32 bits, for the sync word and for packet words
  int wordBits_ = 0;
  bool synced_ = false;
  uint32_t register_ = 0;
  uint32_t wordsLeft_ = 0;
  bool writing_ = false;
  bool checkWordDue_ = false;  // the CRC word that follows a block of frame data
  uint32_t cor_ = 0;

  uint16_t crc_ = 0;
  bool crcError_ = false;
  std::vector<uint32_t> frames_;
  bool configError_ = false;
  bool idChecked_ = false;
  bool startupArmed_ = false;
  uint32_t startupClocks_ = 0;
  bool done_ = false;
  uint64_t frameWords_ = 0;
  uint32_t startups_ = 0;

  uint32_t configLengthBits_;
  const uint64_t* clock_ = nullptr;
  uint64_t clearUntilNs_ = 0;  // INIT is low until the board's time reaches this
  uint64_t loadedAtNs_ = 0;  // a load from the PROM ends when the board's time reaches this
  Defects defects_;
};

}  // namespace torvane::sim
