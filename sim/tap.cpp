#include "sim/tap.h"

namespace torvane::sim {

namespace {

using S = TapState;

// NEXT[state][tms]
constexpr TapState NEXT[TAP_STATE_COUNT][2] = {
    /* TestLogicReset */ {S::RunTestIdle, S::TestLogicReset},
    /* RunTestIdle    */ {S::RunTestIdle, S::SelectDrScan},
    /* SelectDrScan   */ {S::CaptureDr, S::SelectIrScan},
    /* CaptureDr      */ {S::ShiftDr, S::Exit1Dr},
    /* ShiftDr        */ {S::ShiftDr, S::Exit1Dr},
    /* Exit1Dr        */ {S::PauseDr, S::UpdateDr},
    /* PauseDr        */ {S::PauseDr, S::Exit2Dr},
    /* Exit2Dr        */ {S::ShiftDr, S::UpdateDr},
    /* UpdateDr       */ {S::RunTestIdle, S::SelectDrScan},
    /* SelectIrScan   */ {S::CaptureIr, S::TestLogicReset},
    /* CaptureIr      */ {S::ShiftIr, S::Exit1Ir},
    /* ShiftIr        */ {S::ShiftIr, S::Exit1Ir},
    /* Exit1Ir        */ {S::PauseIr, S::UpdateIr},
    /* PauseIr        */ {S::PauseIr, S::Exit2Ir},
    /* Exit2Ir        */ {S::ShiftIr, S::UpdateIr},
    /* UpdateIr       */ {S::RunTestIdle, S::SelectDrScan},
};

constexpr const char* NAMES[TAP_STATE_COUNT] = {
    "Test-Logic-Reset", "Run-Test/Idle", "Select-DR-Scan", "Capture-DR",
    "Shift-DR",         "Exit1-DR",      "Pause-DR",       "Exit2-DR",
    "Update-DR",        "Select-IR-Scan", "Capture-IR",    "Shift-IR",
    "Exit1-IR",         "Pause-IR",      "Exit2-IR",       "Update-IR",
};

}  // namespace

TapState TapNext(TapState state, bool tms) {
  return NEXT[static_cast<int>(state)][tms ? 1 : 0];
}

const char* TapStateName(TapState state) { return NAMES[static_cast<int>(state)]; }

}  // namespace torvane::sim
