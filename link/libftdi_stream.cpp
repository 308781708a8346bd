#include "link/libftdi_stream.h"

#include <ftdi.h>
#include <libusb.h>

#include <algorithm>
#include <chrono>
#include <deque>

#include "link/adapter.h"

namespace torvane {

namespace {

// Several KiB per write transfer: the bus, not the round trips, sets the pace.
constexpr uint32_t WRITE_TRANSFER_BYTES = 4096;
// The next write is queued while the one before it is still on the bus.
constexpr size_t WRITES_IN_FLIGHT = 2;
// One wait for USB events, after which the bound is checked again.
constexpr long EVENT_WAIT_US = 10000;

struct PendingWrite {
  ftdi_transfer_control* control;
  uint32_t size;
};

// Cancels a transfer if it is still in flight, and frees it either way.
void Cancel(ftdi_transfer_control* control) {
  timeval brief{0, EVENT_WAIT_US};
  ftdi_transfer_data_cancel(control, &brief);
}

}  // namespace

int StreamThroughLibftdi(ftdi_context* ftdi, const uint8_t* data, uint32_t count,
                         uint8_t* samples, uint32_t boundMs, uint32_t* written,
                         uint32_t* read) {
  *written = 0;
  *read = 0;
  if (count == 0) return ADAPTER_OK;
  // The read goes first: in synchronous mode the chip clocks a byte out only when the
  // sample it takes has somewhere to go.
  ftdi_transfer_control* reading = ftdi_read_data_submit(ftdi, samples, static_cast<int>(count));
  if (reading == nullptr) return ADAPTER_NO_ANSWER;
  std::deque<PendingWrite> writes;
  uint32_t submitted = 0;
  int status = ADAPTER_OK;
  const auto bound = std::chrono::milliseconds(boundMs);
  auto lastProgress = std::chrono::steady_clock::now();
  int lastOffset = reading->offset;
  while (true) {
    while (writes.size() < WRITES_IN_FLIGHT && submitted < count) {
      uint32_t size = std::min(WRITE_TRANSFER_BYTES, count - submitted);
      // libusb only reads the buffer of an outgoing transfer.
      ftdi_transfer_control* control = ftdi_write_data_submit(
          ftdi, const_cast<uint8_t*>(data + submitted), static_cast<int>(size));
      if (control == nullptr) break;
      writes.push_back(PendingWrite{control, size});
      submitted += size;
    }
    if (writes.empty() && submitted < count) {
      status = ADAPTER_IO_ERROR;
      break;
    }
    ftdi_transfer_control* next = writes.empty() ? reading : writes.front().control;
    if (next->completed) {
      if (next == reading) break;
      uint32_t size = writes.front().size;
      writes.pop_front();
      int done = ftdi_transfer_data_done(next);
      if (done > 0) *written += std::min(static_cast<uint32_t>(done), size);
      if (done != static_cast<int>(size)) {
        status = ADAPTER_IO_ERROR;
        break;
      }
      lastProgress = std::chrono::steady_clock::now();
      continue;
    }
    timeval wait{0, EVENT_WAIT_US};
    int events = libusb_handle_events_timeout_completed(ftdi->usb_ctx, &wait, &next->completed);
    if (events < 0 && events != LIBUSB_ERROR_INTERRUPTED) {
      status = next == reading ? ADAPTER_NO_ANSWER : ADAPTER_IO_ERROR;
      break;
    }
    auto now = std::chrono::steady_clock::now();
    if (reading->offset != lastOffset) {
      lastOffset = reading->offset;
      lastProgress = now;
    } else if (now - lastProgress > bound) {
      status = ADAPTER_NO_ANSWER;
      break;
    }
  }
  for (PendingWrite& pending : writes) Cancel(pending.control);
  if (status != ADAPTER_OK) {
    *read = static_cast<uint32_t>(std::max(reading->offset, 0));
    Cancel(reading);
    return status;
  }
  int got = ftdi_transfer_data_done(reading);
  *read = got > 0 ? static_cast<uint32_t>(got) : 0;
  return *read == count ? ADAPTER_OK : ADAPTER_NO_ANSWER;
}

}  // namespace torvane
