// The IEEE 1149.1 TAP controller: its sixteen states and the transition on each rising
// edge of TCK, decided by TMS.
#pragma once

#include <cstdint>

namespace torvane::sim {

enum class TapState : uint8_t {
  TestLogicReset,
  RunTestIdle,
  SelectDrScan,
  CaptureDr,
  ShiftDr,
  Exit1Dr,
  PauseDr,
  Exit2Dr,
  UpdateDr,
  SelectIrScan,
  CaptureIr,
  ShiftIr,
  Exit1Ir,
  PauseIr,
  Exit2Ir,
  UpdateIr,
};

constexpr int TAP_STATE_COUNT = 16;

// The state after one rising edge of TCK in `state` with TMS at `tms`.
TapState TapNext(TapState state, bool tms);

const char* TapStateName(TapState state);

}  // namespace torvane::sim
