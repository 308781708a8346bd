#include "cable/cable.h"
#include "platform/d2xx_library.h"

namespace torvane {

std::unique_ptr<Adapter> MakeCable(std::string*, const std::string& serial) {
  auto cable = LoadD2xxAdapter(D2XX_LIBRARY_NAME);
  cable->SelectSerial(serial);
  return cable;
}

std::unique_ptr<CableEnumerator> MakeCableList(bool tryOpen) {
  return LoadD2xxCableList(D2XX_LIBRARY_NAME, tryOpen);
}

const char* CableRemedy(OpenProblem problem) {
  switch (problem) {
    case OpenProblem::DriverMissing:
      return "install the chip maker's standard driver package for the FT232R (the D2XX "
             "driver, which also provides the virtual COM port); it puts ftd2xx.dll in the "
             "system folder. No Zadig or libusb driver is needed: either one replaces the "
             "driver this program talks to";
    case OpenProblem::NotAttached:
      return "plug the cable in; Device Manager lists it under \"Universal Serial Bus "
             "controllers\" once the driver has found it";
    case OpenProblem::DeviceBusy:
      return "close the program that has the cable's COM port open (a terminal, or another "
             "loader)";
    case OpenProblem::None:
    case OpenProblem::UsbUnavailable:
    case OpenProblem::NoMatchingDescription:
    case OpenProblem::NoPermission:
    case OpenProblem::Other:
      break;
  }
  return nullptr;
}

}  // namespace torvane
