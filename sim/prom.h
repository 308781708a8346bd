// An XCF01S, XCF02S or XCF04S configuration PROM as its JTAG port sees it: ISC mode, the
// 16-bit address register, the data register of one block (2048 or 4096 bits, as the
// part has it), erase and block programming that take effect only after their
// Run-Test/Idle clocks, block read-back, CONFIG (the FPGA's PROG pin), and the flash
// array itself (1, 2 or 4 Mbit).
//
// Bit order: ISC_READ loads the addressed block into the data register as programming
// left it, so a scan of the block's length shifts it out in the order programming shifted
// it in: the first bit out is the block's first byte's most significant bit.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "procedures/parts.h"
#include "sim/jtag_device.h"

namespace torvane::sim {

class Prom : public JtagDevice {
 public:
  static constexpr uint32_t INSTR_IDCODE = 0xFE;
  static constexpr uint32_t INSTR_BYPASS = 0xFF;
  static constexpr uint32_t INSTR_ISC_ENABLE = 0xE8;
  static constexpr uint32_t INSTR_ISC_DISABLE = 0xF0;
  static constexpr uint32_t INSTR_ISC_ADDRESS_SHIFT = 0xEB;
  static constexpr uint32_t INSTR_ISC_ERASE = 0xEC;
  static constexpr uint32_t INSTR_ISC_DATA_SHIFT = 0xED;
  static constexpr uint32_t INSTR_ISC_PROGRAM = 0xEA;
  static constexpr uint32_t INSTR_FINISH = 0x0A;
  static constexpr uint32_t INSTR_CONFIG = 0xEE;
  static constexpr uint32_t INSTR_ISC_READ = 0xEF;

  static constexpr uint32_t BLOCK_ADDRESS_UNITS = 0x20;  // address step of one block
  // Run-Test/Idle clocks the flash needs before an erase or a block program is done.
  static constexpr uint32_t ERASE_CLOCKS = 20000;
  static constexpr uint32_t PROGRAM_CLOCKS = 128;
  // Run-Test/Idle clocks a read needs before the data register holds the block.
  static constexpr uint32_t READ_CLOCKS = 16;
  // After ISC_DISABLE the part takes this long to leave programming mode; a CONFIG
  // before then is ignored.
  static constexpr uint32_t DISABLE_MS = 100;

  // Its name, IDCODE, instruction register and flash geometry; blank (0xFF) as from the
  // factory.
  explicit Prom(const Part& part);

  uint32_t blockBytes() const { return blockBytes_; }
  uint32_t blockCount() const { return blockCount_; }
  const std::vector<uint8_t>& memory() const { return memory_; }
  void Fill(uint8_t value);  // the array as it left the factory or a previous design
  bool iscMode() const { return iscMode_; }
  uint16_t address() const { return address_; }
  uint32_t erases() const { return erases_; }
  uint32_t lastEraseClocks() const { return lastEraseClocks_; }  // clocks the last erase had
  // Block addresses of each completed program, in order.
  const std::vector<uint16_t>& programmedAddresses() const { return programmed_; }
  uint32_t programsPastEnd() const { return programsPastEnd_; }
  uint32_t programsCutShort() const { return cutShort_; }  // left before their clocks
  uint32_t finishes() const { return finishes_; }
  uint32_t reads() const { return reads_; }  // completed block reads
  uint32_t configPulses() const { return configPulses_; }

  // The board's wiring of CONFIG: what pulsing the FPGA's PROG does. Unset, as on a
  // board whose mode pins do not select the PROM, CONFIG does nothing.
  void SetConfigPin(std::function<void()> pulse) { configPin_ = std::move(pulse); }
  // A faulty part: this block holds an older image's bytes and ignores erase and program.
  void SetStuckBlock(uint32_t block);
  // Board time passing, for the waits the part needs.
  void Elapse(uint32_t milliseconds);

  void PowerOn() override;

 protected:
  void OnInstruction(uint32_t instruction) override;
  bool ModelsInstruction(uint32_t instruction) const override;
  void CaptureData() override {}
  void ShiftData(bool tdi) override;
  bool DataOut() const override;
  void UpdateData() override;
  void OnIdleClocks(uint64_t count) override;
  void OnTestLogicReset() override { EndOperation(); }

 private:
  enum class Operation { None, Erase, Program, Read };
  void EndOperation();
  void ProgramBlock();
  void ReadBlock();

  uint32_t blockBytes_;
  uint32_t blockCount_;
  std::vector<uint8_t> memory_;
  bool iscMode_ = false;
  uint16_t addressShift_ = 0;
  uint16_t address_ = 0;
  std::vector<uint8_t> dataRing_;  // the data register as shifted, one bit an entry
  size_t ringHead_ = 0;            // the oldest bit: nearest TDO
  std::vector<uint8_t> dataRegister_;  // one block as last updated
  Operation operation_ = Operation::None;
  uint32_t operationClocks_ = 0;
  uint32_t erases_ = 0;
  uint32_t lastEraseClocks_ = 0;
  std::vector<uint16_t> programmed_;
  uint32_t programsPastEnd_ = 0;
  uint32_t cutShort_ = 0;
  uint32_t finishes_ = 0;
  uint32_t reads_ = 0;
  uint32_t configPulses_ = 0;
  uint32_t disableMsLeft_ = 0;
  uint32_t stuckBlock_;  // blockCount_ for none
  std::function<void()> configPin_;
};

}  // namespace torvane::sim
