// The waveform writer: an Adapter that forwards every call to another backend and writes
// the JTAG lines the FT232R drives (tck, tms, tdi) and reads (tdo) as a Value Change Dump,
// one time step per adapter byte, for GTKWave, PulseView or sigrok-cli.
#pragma once

#include <cstdint>
#include <cstdio>
#include <deque>

#include "link/forwarding_adapter.h"
#include "link/text_sink.h"

namespace torvane {

// The chip's rate when nothing has set one: identification never does.
constexpr uint32_t CHIP_DEFAULT_BAUD_RATE = 9600;

// Nanoseconds one adapter byte lasts in bit-bang mode at `baud`. We take the bit-bang byte
// clock to be sixteen times the baud-rate setting, as the chip's bit-bang note describes
// (9600 gives 153,600 bytes per second); the USB link may deliver bytes slower than that.
uint32_t BytePeriodNanoseconds(uint32_t baud);

// What the dump knows and what it cannot:
// - tck, tms and tdi are the bytes the inner adapter accepted in a bit-bang mode; bytes it
//   refused, and bytes written outside bit-bang mode (they leave as serial data), move no pin.
// - tdo comes from the synchronous-mode samples the caller reads back: sample j is the lines
//   just before byte j, so it gives TDO during the step of byte j - 1. Samples purged
//   unread, the last byte of a synchronous run and every asynchronous byte show tdo as 'x':
//   the chip reports nothing about them. One inference only: TDO changes on TCK's falling
//   edge alone, so a step that raises TCK keeps the tdo of the step before it.
// - Time counts bytes at the current rate only; the procedures' waits and USB latency are
//   not shown.
// Steps wait in memory until their tdo is known, a few dozen for an identification.
class VcdWriter : public ForwardingAdapter {
 public:
  // `out` is not owned. The header is written at once.
  VcdWriter(Adapter& inner, std::FILE* out);
  ~VcdWriter() override;  // Finish()
  VcdWriter(const VcdWriter&) = delete;
  VcdWriter& operator=(const VcdWriter&) = delete;

  int SetBitMode(AdapterHandle handle, uint8_t mask, uint8_t mode) override;
  int SetBaudRate(AdapterHandle handle, uint32_t baud) override;
  int Purge(AdapterHandle handle, uint32_t mask) override;
  int Write(AdapterHandle handle, const uint8_t* data, uint32_t count, uint32_t* written) override;
  int Read(AdapterHandle handle, uint8_t* buffer, uint32_t count, uint32_t* read) override;
  int Close(AdapterHandle handle) override;
  // Dumped as the write of its bytes and the read of its samples.
  int Exchange(AdapterHandle handle, const uint8_t* data, uint32_t count, uint8_t* samples,
               uint32_t boundMs, uint32_t* written, uint32_t* read) override;

  // Writes every step still waiting (tdo unknown), the end time, and flushes. Later
  // traffic is still forwarded but no longer dumped. False once any write to the file failed.
  bool Finish();
  bool Good() const { return sink_.good(); }

 private:
  static constexpr uint8_t LEVEL_LOW = 0;
  static constexpr uint8_t LEVEL_HIGH = 1;
  static constexpr uint8_t LEVEL_UNKNOWN = 2;
  struct Step {
    uint64_t time;
    uint8_t lines;
    uint8_t tdo;
    bool waiting;  // tdo may still arrive with a sample
  };
  static constexpr uint64_t NO_STEP = ~uint64_t{0};

  void NoteWritten(const uint8_t* data, uint32_t applied);
  void NoteRead(const uint8_t* samples, uint32_t got);
  void AddStep(uint8_t lines, bool synchronous);
  void GiveUpWaiting();  // every waiting step: tdo unknown
  void EmitReady();
  void Emit(const Step& step);

  TextSink sink_;
  bool finished_ = false;
  uint8_t mode_ = 0;
  uint32_t period_;
  uint64_t time_ = 0;
  uint64_t nextStep_ = 0;       // index of the next step to be added
  uint64_t firstBuffered_ = 0;  // index of steps_.front()
  std::deque<Step> steps_;
  std::deque<uint64_t> sampleFor_;  // per queued sample, the step whose tdo it carries
  bool dumped_ = false;             // the first step, with $dumpvars, is out
  uint8_t shown_[4] = {};           // the levels last written per signal
  uint8_t lastLines_ = 0;           // the lines of the step last written
};

}  // namespace torvane
