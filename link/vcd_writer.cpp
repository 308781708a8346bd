#include "link/vcd_writer.h"

#include "link/vectors.h"

namespace torvane {

namespace {

constexpr uint32_t BITBANG_CLOCKS_PER_BAUD = 16;
// Steps held for a tdo that never comes are given up on past this many.
constexpr size_t MAX_BUFFERED_STEPS = 1 << 16;
constexpr size_t TEXT_FLUSH_BYTES = 1 << 16;

// The dumped signals, as indices of the level arrays.
constexpr size_t SIGNAL_TCK = 0;
constexpr size_t SIGNAL_TMS = 1;
constexpr size_t SIGNAL_TDI = 2;
constexpr size_t SIGNAL_TDO = 3;
constexpr size_t SIGNAL_COUNT = 4;
constexpr const char* SIGNAL_CODES[SIGNAL_COUNT] = {"!", "\"", "#", "$"};

constexpr const char* HEADER =
    "$comment JTAG lines of the FT232R, one step per adapter byte; tdo is known only "
    "from synchronous samples read back $end\n"
    "$timescale 1 ns $end\n"
    "$scope module ft232r $end\n"
    "$var wire 1 ! tck $end\n"
    "$var wire 1 \" tms $end\n"
    "$var wire 1 # tdi $end\n"
    "$var wire 1 $ tdo $end\n"
    "$upscope $end\n"
    "$enddefinitions $end\n";

bool IsBitBang(uint8_t mode) {
  return mode == BITMODE_SYNC_BITBANG || mode == BITMODE_ASYNC_BITBANG;
}

}  // namespace

uint32_t BytePeriodNanoseconds(uint32_t baud) {
  uint64_t rate = uint64_t{baud} * BITBANG_CLOCKS_PER_BAUD;
  if (rate == 0) return 1;
  uint64_t period = (1000000000ull + rate / 2) / rate;
  return period == 0 ? 1 : static_cast<uint32_t>(period);
}

VcdWriter::VcdWriter(Adapter& inner, std::FILE* out)
    : ForwardingAdapter(inner),
      sink_(out, TEXT_FLUSH_BYTES),
      period_(BytePeriodNanoseconds(CHIP_DEFAULT_BAUD_RATE)) {
  sink_.Put(HEADER);
}

VcdWriter::~VcdWriter() { Finish(); }

int VcdWriter::SetBitMode(AdapterHandle handle, uint8_t mask, uint8_t mode) {
  int status = inner().SetBitMode(handle, mask, mode);
  if (status == ADAPTER_OK) {
    // Samples still queued from a synchronous run can no longer be matched to bytes once
    // asynchronous read-backs may join them.
    if (mode != BITMODE_SYNC_BITBANG) GiveUpWaiting();
    mode_ = mode;
    EmitReady();
  }
  return status;
}

int VcdWriter::SetBaudRate(AdapterHandle handle, uint32_t baud) {
  int status = inner().SetBaudRate(handle, baud);
  if (status == ADAPTER_OK) period_ = BytePeriodNanoseconds(baud);
  return status;
}

int VcdWriter::Purge(AdapterHandle handle, uint32_t mask) {
  int status = inner().Purge(handle, mask);
  if (status == ADAPTER_OK && (mask & PURGE_RX)) {
    for (uint64_t index : sampleFor_) {
      if (index != NO_STEP && index >= firstBuffered_) {
        steps_[index - firstBuffered_].waiting = false;
      }
    }
    sampleFor_.clear();
    EmitReady();
  }
  return status;
}

int VcdWriter::Write(AdapterHandle handle, const uint8_t* data, uint32_t count,
                     uint32_t* written) {
  uint32_t sent = 0;
  int status = inner().Write(handle, data, count, &sent);
  if (written) *written = sent;
  NoteWritten(data, sent < count ? sent : count);
  return status;
}

void VcdWriter::NoteWritten(const uint8_t* data, uint32_t applied) {
  if (finished_ || !data || !IsBitBang(mode_)) return;
  for (uint32_t i = 0; i < applied; ++i) {
    AddStep(data[i], mode_ == BITMODE_SYNC_BITBANG);
  }
  EmitReady();
}

int VcdWriter::Read(AdapterHandle handle, uint8_t* buffer, uint32_t count, uint32_t* read) {
  uint32_t got = 0;
  int status = inner().Read(handle, buffer, count, &got);
  if (read) *read = got;
  NoteRead(buffer, got < count ? got : count);
  return status;
}

void VcdWriter::NoteRead(const uint8_t* samples, uint32_t got) {
  for (uint32_t i = 0; samples && i < got && !sampleFor_.empty(); ++i) {
    uint64_t index = sampleFor_.front();
    sampleFor_.pop_front();
    if (index == NO_STEP || index < firstBuffered_) continue;
    Step& step = steps_[index - firstBuffered_];
    step.tdo = (samples[i] & PIN_TDO) ? LEVEL_HIGH : LEVEL_LOW;
    step.waiting = false;
  }
  EmitReady();
}

int VcdWriter::Exchange(AdapterHandle handle, const uint8_t* data, uint32_t count,
                        uint8_t* samples, uint32_t boundMs, uint32_t* written, uint32_t* read) {
  return ObserveExchange(handle, data, count, samples, boundMs, written, read,
                         [&](const uint8_t* seen, uint32_t sent, uint32_t got) {
                           NoteWritten(data, sent);
                           NoteRead(seen, got);
                         });
}

int VcdWriter::Close(AdapterHandle handle) {
  int status = inner().Close(handle);
  GiveUpWaiting();  // the receive queue goes with the handle
  EmitReady();
  sink_.Drain(true);
  return status;
}

void VcdWriter::AddStep(uint8_t lines, bool synchronous) {
  if (synchronous) {
    // This byte's sample is the lines just before it: the previous step's tdo. The step
    // added now waits in turn for the sample of the byte after it.
    sampleFor_.push_back(nextStep_ == 0 ? NO_STEP : nextStep_ - 1);
  }
  steps_.push_back(Step{time_, lines, LEVEL_UNKNOWN, synchronous});
  ++nextStep_;
  time_ += period_;
  if (steps_.size() > MAX_BUFFERED_STEPS) steps_.front().waiting = false;
}

void VcdWriter::GiveUpWaiting() {
  for (Step& step : steps_) step.waiting = false;
  sampleFor_.clear();
}

void VcdWriter::EmitReady() {
  while (!steps_.empty() && !steps_.front().waiting) {
    Emit(steps_.front());
    steps_.pop_front();
    ++firstBuffered_;
  }
  sink_.Drain(false);
}

void VcdWriter::Emit(const Step& step) {
  uint8_t levels[SIGNAL_COUNT] = {
      static_cast<uint8_t>((step.lines & PIN_TCK) ? LEVEL_HIGH : LEVEL_LOW),
      static_cast<uint8_t>((step.lines & PIN_TMS) ? LEVEL_HIGH : LEVEL_LOW),
      static_cast<uint8_t>((step.lines & PIN_TDI) ? LEVEL_HIGH : LEVEL_LOW),
      step.tdo,
  };
  bool first = !dumped_;
  bool raisesTck = !first && !(lastLines_ & PIN_TCK) && (step.lines & PIN_TCK);
  if (levels[SIGNAL_TDO] == LEVEL_UNKNOWN && raisesTck) levels[SIGNAL_TDO] = shown_[SIGNAL_TDO];
  lastLines_ = step.lines;
  bool changed = first;
  for (size_t s = 0; s < SIGNAL_COUNT; ++s) changed = changed || levels[s] != shown_[s];
  if (!changed) return;  // a dump records changes only
  sink_.Put("#");
  sink_.PutNumber(step.time);
  sink_.Put(first ? "\n$dumpvars\n" : "\n");
  for (size_t s = 0; s < SIGNAL_COUNT; ++s) {
    if (!first && levels[s] == shown_[s]) continue;
    sink_.Put(levels[s] == LEVEL_UNKNOWN ? "x" : levels[s] == LEVEL_HIGH ? "1" : "0");
    sink_.Put(SIGNAL_CODES[s]);
    sink_.Put("\n");
    shown_[s] = levels[s];
  }
  if (first) sink_.Put("$end\n");
  dumped_ = true;
}

bool VcdWriter::Finish() {
  if (finished_) return sink_.good();
  GiveUpWaiting();
  EmitReady();
  if (!dumped_) {
    sink_.Put("#0\n$dumpvars\nx!\nx\"\nx#\nx$\n$end\n");  // nothing reached the lines
  } else {
    sink_.Put("#");
    sink_.PutNumber(time_);  // the end of the last step, so that it shows its length
    sink_.Put("\n");
  }
  sink_.Drain(true);
  finished_ = true;
  return sink_.good();
}

}  // namespace torvane
