#include "sim/tap.h"

#include <gtest/gtest.h>

#include <iterator>

namespace torvane::sim {
namespace {

using S = TapState;

struct Transition {
  TapState from;
  TapState tms0;
  TapState tms1;
};

// The controller's state diagram, written out from the standard's figure.
const Transition DIAGRAM[] = {
    {S::TestLogicReset, S::RunTestIdle, S::TestLogicReset},
    {S::RunTestIdle, S::RunTestIdle, S::SelectDrScan},
    {S::SelectDrScan, S::CaptureDr, S::SelectIrScan},
    {S::CaptureDr, S::ShiftDr, S::Exit1Dr},
    {S::ShiftDr, S::ShiftDr, S::Exit1Dr},
    {S::Exit1Dr, S::PauseDr, S::UpdateDr},
    {S::PauseDr, S::PauseDr, S::Exit2Dr},
    {S::Exit2Dr, S::ShiftDr, S::UpdateDr},
    {S::UpdateDr, S::RunTestIdle, S::SelectDrScan},
    {S::SelectIrScan, S::CaptureIr, S::TestLogicReset},
    {S::CaptureIr, S::ShiftIr, S::Exit1Ir},
    {S::ShiftIr, S::ShiftIr, S::Exit1Ir},
    {S::Exit1Ir, S::PauseIr, S::UpdateIr},
    {S::PauseIr, S::PauseIr, S::Exit2Ir},
    {S::Exit2Ir, S::ShiftIr, S::UpdateIr},
    {S::UpdateIr, S::RunTestIdle, S::SelectDrScan},
};

TEST(Tap, FollowsTheStateDiagram) {
  ASSERT_EQ(std::size(DIAGRAM), static_cast<size_t>(TAP_STATE_COUNT));
  for (const Transition& t : DIAGRAM) {
    EXPECT_EQ(TapNext(t.from, false), t.tms0) << TapStateName(t.from);
    EXPECT_EQ(TapNext(t.from, true), t.tms1) << TapStateName(t.from);
  }
}

TEST(Tap, FiveClocksWithTmsHighResetFromAnyState) {
  for (int s = 0; s < TAP_STATE_COUNT; ++s) {
    TapState state = static_cast<TapState>(s);
    for (int i = 0; i < 5; ++i) state = TapNext(state, true);
    EXPECT_EQ(state, S::TestLogicReset) << TapStateName(static_cast<TapState>(s));
  }
}

}  // namespace
}  // namespace torvane::sim
