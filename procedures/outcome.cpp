#include "procedures/outcome.h"

namespace torvane {

const char STATUS_MESSAGES[STATUS_MESSAGE_COUNT][STATUS_MESSAGE_SIZE] = {
    "DOWNLOAD COMPLETE !",
    "INVALID HANDLE !",
    "DEVICE NOT FOUND !",
    "DEVICE NOT OPENED !",
    "IO ERROR !",
    "INSUFFICIENT RESOURCES !",
    "INVALID PARAMETER !",
    "INVALID BAUD_RATE !",
    "DEVICE NOT OPENED FOR ERASE !",
    "DEVICE NOT OPENED FOR WRITE !",
    "FAILED TO WRITE DEVICE !",
    "EEPROM READ FAILED !",
    "EEPROM WRITE FAILED !",
    "EEPROM ERASE FAILED !",
    "EEPROM NOT PRESENT !",
    "EEPROM NOT PROGRAMMED !",
    "INVALID ARGS !",
    "OTHER ERROR !",
    "DOWNLOAD FAILED !",
    "UNEXPECTED EOF !",
};

RunVerdict VerdictOf(DownloadResult result) {
  switch (result) {
    case DownloadResult::Complete:
      return RunVerdict::Complete;
    case DownloadResult::Failed:
    case DownloadResult::NotPresent:
      return RunVerdict::Failed;
    case DownloadResult::FileError:
      return RunVerdict::Refused;
    case DownloadResult::Interrupted:
      return RunVerdict::Interrupted;
  }
  return RunVerdict::Failed;
}

const char* VerdictText(DownloadResult result) {
  return STATUS_MESSAGES[result == DownloadResult::Complete ? STATUS_COMPLETE : STATUS_FAILED];
}

const char* FpgaCheckText(FpgaCheck check) {
  switch (check) {
    case FpgaCheck::InitNeverHigh:
      return "the FPGA did not clear: INIT stayed low after JPROGRAM";
    case FpgaCheck::DoneStayedHigh:
      return "the FPGA did not clear: DONE stayed high after JPROGRAM";
    case FpgaCheck::WriteFailed:
      return TEXT_WRITE_FAILED;
    case FpgaCheck::InitLowAfterLoad:
      return "the FPGA rejected the data (INIT low): a CRC error or a design for another part";
    case FpgaCheck::DoneLow:
      return "the FPGA did not start (DONE low, INIT high): the file holds no design it accepts";
    case FpgaCheck::NoSamples:
      return "the FPGA's status did not come back through the cable";
    case FpgaCheck::NotChecked:
    case FpgaCheck::Configured:
      break;
  }
  return nullptr;
}

namespace {

std::string PromCauseText(const DownloadReport& report) {
  switch (report.prom) {
    case PromCause::NoAnswer:
      return "the cable or the JTAG chain stopped answering";
    case PromCause::WriteFailed:
      return TEXT_WRITE_FAILED;
    case PromCause::PromDiffers: {
      long long block = report.firstDifferentBlock;
      return "the PROM differs from the file from block " + std::to_string(block) +
             " (bytes from " + std::to_string(block * report.blockBytes) + ")";
    }
    case PromCause::None:
      break;
  }
  return std::string();
}

}  // namespace

std::string CauseText(DownloadResult result, const DownloadReport& report) {
  switch (result) {
    case DownloadResult::Complete:
    case DownloadResult::FileError:
      return std::string();
    case DownloadResult::NotPresent:
      return TEXT_NO_DEVICE;
    case DownloadResult::Interrupted:
      return TEXT_INTERRUPTED;
    case DownloadResult::Failed:
      break;
  }
  const char* fpga = FpgaCheckText(report.fpga);
  return fpga ? fpga : PromCauseText(report);
}

}  // namespace torvane
