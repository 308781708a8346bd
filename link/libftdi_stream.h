// The libftdi1 backend's streamed exchange: libftdi's asynchronous transfers keep a read
// in flight for the whole exchange while writes of a few KiB follow one another, so the
// chip in synchronous bit-bang never waits for room for a sample.
#pragma once

#include <cstdint>

struct ftdi_context;

namespace torvane {

// Streams `count` bytes out and their `count` samples into `samples` (not null). Fails with
// ADAPTER_IO_ERROR when a write transfer fails and ADAPTER_NO_ANSWER when the samples stop
// for `boundMs` or their transfer fails; every transfer still in flight is then cancelled.
int StreamThroughLibftdi(ftdi_context* ftdi, const uint8_t* data, uint32_t count,
                         uint8_t* samples, uint32_t boundMs, uint32_t* written, uint32_t* read);

}  // namespace torvane
