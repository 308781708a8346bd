#include "sim/jtag_device.h"

#include <utility>

namespace torvane::sim {

JtagDevice::JtagDevice(std::string name, int irLength, uint32_t idcode,
                       uint32_t idcodeInstruction, uint32_t bypassInstruction)
    : name_(std::move(name)),
      irLength_(irLength),
      irMask_((uint32_t{1} << irLength) - 1),
      idcode_(idcode),
      idcodeInstruction_(idcodeInstruction),
      bypassInstruction_(bypassInstruction),
      instruction_(idcodeInstruction) {
  drLength_ = 32;
}

void JtagDevice::SetVersion(uint32_t version) {
  idcode_ = (idcode_ & 0x0FFFFFFF) | ((version & 0xF) << 28);
}

void JtagDevice::PowerOn() {
  state_ = TapState::TestLogicReset;
  instruction_ = idcodeInstruction_;
  modeled_ = false;
  drLength_ = 32;
  irShift_ = 0;
  drShift_ = 0;
  pendingTdo_ = true;
  tdo_ = true;
  driving_ = false;
  drivingNow_ = false;
  instructionLog_.clear();
  tckCount_ = 0;
  idleClocks_ = 0;
}

void JtagDevice::FallingEdge() {
  drivingNow_ = driving_;
  tdo_ = pendingTdo_;
}

void JtagDevice::RisingEdge(bool tms, bool tdi) {
  ++tckCount_;
  switch (state_) {
    case TapState::CaptureIr:
      irShift_ = CaptureInstruction() & irMask_;
      break;
    case TapState::ShiftIr:
    case TapState::ShiftDr:
      ShiftIn(tdi);
      break;
    case TapState::CaptureDr:
      if (modeled_) {
        CaptureData();
      } else {
        drShift_ = instruction_ == idcodeInstruction_ ? idcode_ : 0;
      }
      break;
    case TapState::RunTestIdle:
      ++idleClocks_;
      OnIdleClocks(1);
      break;
    default:
      break;
  }
  TapState next = TapNext(state_, tms);
  EnterState(next);
  PresentTdo(next);
}

void JtagDevice::ShiftIn(bool tdi) {
  if (state_ == TapState::ShiftIr) {
    irShift_ = (irShift_ >> 1) | (static_cast<uint32_t>(tdi) << (irLength_ - 1));
  } else if (modeled_) {
    ShiftData(tdi);
  } else {
    drShift_ = (drShift_ >> 1) | (static_cast<uint64_t>(tdi) << (drLength_ - 1));
  }
}

// What TDO presents from the next falling edge: the bit now nearest TDO, while shifting.
void JtagDevice::PresentTdo(TapState next) {
  driving_ = next == TapState::ShiftIr || next == TapState::ShiftDr;
  if (next == TapState::ShiftIr) {
    pendingTdo_ = irShift_ & 1;
  } else if (next == TapState::ShiftDr) {
    pendingTdo_ = modeled_ ? DataOut() : (drShift_ & 1);
  }
}

void JtagDevice::ShiftClock(bool tdi) {
  FallingEdge();
  ++tckCount_;
  ShiftIn(tdi);
  PresentTdo(state_);
}

void JtagDevice::IdleClocks(uint64_t count) {
  if (count == 0) return;
  FallingEdge();  // the first; the later ones latch the same undriven TDO again
  tckCount_ += count;
  idleClocks_ += count;
  OnIdleClocks(count);
  driving_ = false;
  drivingNow_ = driving_;
}

void JtagDevice::EnterState(TapState next) {
  if (next == state_) {
    return;
  }
  state_ = next;
  switch (next) {
    case TapState::TestLogicReset:
      instruction_ = idcodeInstruction_;
      modeled_ = false;
      drLength_ = 32;
      OnTestLogicReset();
      break;
    case TapState::UpdateIr:
      instruction_ = irShift_;
      instructionLog_.push_back(instruction_);
      modeled_ = ModelsInstruction(instruction_);
      drLength_ = instruction_ == idcodeInstruction_ ? 32 : 1;
      OnInstruction(instruction_);
      break;
    case TapState::UpdateDr:
      if (modeled_) {
        UpdateData();
      }
      break;
    default:
      break;
  }
}

}  // namespace torvane::sim
