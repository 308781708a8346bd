#include "sim/prom.h"

namespace torvane::sim {

Prom::Prom()
    : JtagDevice("XCF02S", 8, IDCODE, INSTR_IDCODE, INSTR_BYPASS),
      memory_(BLOCK_BYTES * BLOCK_COUNT, 0x00),
      dataRing_(BLOCK_BYTES * 8, 0),
      dataRegister_(BLOCK_BYTES, 0xFF) {}

void Prom::Fill(uint8_t value) { memory_.assign(memory_.size(), value); }

void Prom::PowerOn() {
  // The flash array is non-volatile and survives; everything else starts afresh.
  JtagDevice::PowerOn();
  iscMode_ = false;
  addressShift_ = 0;
  address_ = 0;
  ringHead_ = 0;
  operation_ = Operation::None;
  operationClocks_ = 0;
}

bool Prom::ModelsInstruction(uint32_t instruction) const {
  // Outside ISC mode the programming registers are not reachable: the part answers
  // with its bypass register, as a real one ignores the instruction.
  return iscMode_ &&
         (instruction == INSTR_ISC_ADDRESS_SHIFT || instruction == INSTR_ISC_DATA_SHIFT);
}

void Prom::OnInstruction(uint32_t instruction) {
  EndOperation();
  switch (instruction) {
    case INSTR_ISC_ENABLE:
      iscMode_ = true;
      break;
    case INSTR_ISC_DISABLE:
      iscMode_ = false;
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
  // The oldest of the last 4096 bits is data bit 0: the first byte's most significant bit.
  for (size_t i = 0; i < BLOCK_BYTES; ++i) {
    uint8_t byte = 0;
    for (size_t b = 0; b < 8; ++b) {
      size_t at = (ringHead_ + 8 * i + b) % dataRing_.size();
      byte = static_cast<uint8_t>((byte << 1) | dataRing_[at]);
    }
    dataRegister_[i] = byte;
  }
}

void Prom::OnIdleClock() {
  if (operation_ == Operation::None) {
    return;
  }
  ++operationClocks_;
  if (operation_ == Operation::Erase && operationClocks_ == ERASE_CLOCKS) {
    Fill(0xFF);
    ++erases_;
  } else if (operation_ == Operation::Program && operationClocks_ == PROGRAM_CLOCKS) {
    ProgramBlock();
  }
}

void Prom::ProgramBlock() {
  uint32_t block = address_ / BLOCK_ADDRESS_UNITS;
  if (block >= BLOCK_COUNT) {
    ++programsPastEnd_;
    return;
  }
  programmed_.push_back(address_);
  uint8_t* target = &memory_[block * BLOCK_BYTES];
  for (size_t i = 0; i < BLOCK_BYTES; ++i) {
    target[i] &= dataRegister_[i];  // flash programming can only clear bits
  }
}

}  // namespace torvane::sim
