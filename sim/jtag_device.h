// One JTAG device: a TAP controller, an instruction register, and the BYPASS and IDCODE
// data registers every part has. Parts with more to model (configuration, flash) derive
// from it and take over the data scans of the instructions they implement.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "sim/tap.h"

namespace torvane::sim {

class JtagDevice {
 public:
  JtagDevice(std::string name, int irLength, uint32_t idcode, uint32_t idcodeInstruction,
             uint32_t bypassInstruction);
  virtual ~JtagDevice() = default;

  // The pins as seen by this device on each TCK edge. TMS and TDI are sampled on the
  // rising edge; TDO changes on the falling edge.
  void RisingEdge(bool tms, bool tdi);
  void FallingEdge();
  bool tdo() const { return drivingNow_ ? tdo_ : true; }  // an idle TDO floats high

  const std::string& name() const { return name_; }
  int irLength() const { return irLength_; }
  uint32_t idcode() const { return idcode_; }
  void SetVersion(uint32_t version);  // the silicon revision in bits 31..28
  TapState state() const { return state_; }
  uint32_t instruction() const { return instruction_; }
  // Every instruction made current by Update-IR, in order.
  const std::vector<uint32_t>& instructionLog() const { return instructionLog_; }
  uint64_t tckCount() const { return tckCount_; }
  uint64_t idleClocks() const { return idleClocks_; }  // rising edges in Run-Test/Idle
  // Power-on: the TAP in Test-Logic-Reset and the device's own state as from the factory.
  virtual void PowerOn();
  // `count` whole clocks (falling edge, then rising edge with TMS low) in Run-Test/Idle,
  // where the TAP stays and drives no TDO: what as many RisingEdge/FallingEdge pairs do,
  // at once. Only while state() is Run-Test/Idle.
  void IdleClocks(uint64_t count);
  // One whole clock (falling edge, then rising edge with TMS low) in Shift-IR or Shift-DR,
  // where the TAP stays: `tdi` shifted in, the next bit presented. What FallingEdge and
  // RisingEdge(false, tdi) do there; tdo() after it is the bit latched at its falling edge.
  void ShiftClock(bool tdi);

 protected:
  // The value loaded into the instruction register in Capture-IR; bits 1..0 read 01.
  virtual uint32_t CaptureInstruction() { return 0x1; }
  virtual void OnInstruction(uint32_t /*instruction*/) {}
  // A device models the data register of an instruction by returning true here and then
  // receiving the capture, shifts and update of each data scan under it.
  virtual bool ModelsInstruction(uint32_t /*instruction*/) const { return false; }
  virtual void CaptureData() {}
  virtual void ShiftData(bool /*tdi*/) {}
  virtual bool DataOut() const { return false; }  // the bit nearest TDO
  virtual void UpdateData() {}
  virtual void OnIdleClocks(uint64_t /*count*/) {}  // rising edges in Run-Test/Idle
  virtual void OnTestLogicReset() {}

  uint32_t bypassInstruction() const { return bypassInstruction_; }

 private:
  void EnterState(TapState next);
  void ShiftIn(bool tdi);          // a rising edge's shift in Shift-IR or Shift-DR
  void PresentTdo(TapState next);  // what TDO shows from the next falling edge

  std::string name_;
  int irLength_;
  uint32_t irMask_;
  uint32_t idcode_;
  uint32_t idcodeInstruction_;
  uint32_t bypassInstruction_;

  TapState state_ = TapState::TestLogicReset;
  uint32_t instruction_;
  uint32_t irShift_ = 0;
  uint64_t drShift_ = 0;  // BYPASS (1 bit) or IDCODE (32 bits)
  int drLength_ = 1;
  bool modeled_ = false;  // the current instruction's data register is the device's own
  bool pendingTdo_ = true;
  bool tdo_ = true;
  bool driving_ = false;     // TDO is driven in Shift-IR and Shift-DR only
  bool drivingNow_ = false;  // as latched on the last falling edge
  std::vector<uint32_t> instructionLog_;
  uint64_t tckCount_ = 0;
  uint64_t idleClocks_ = 0;
};

}  // namespace torvane::sim
