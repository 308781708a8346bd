#include "link/adapter.h"

#include <chrono>
#include <thread>

namespace torvane {

void SleepMilliseconds(uint32_t milliseconds) {
  std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

void Adapter::Wait(uint32_t milliseconds) { SleepMilliseconds(milliseconds); }

}  // namespace torvane
