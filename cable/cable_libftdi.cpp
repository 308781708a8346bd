#include "cable/cable.h"
#include "link/libftdi_adapter.h"

namespace torvane {

std::unique_ptr<Adapter> MakeCable(std::string*, const std::string& serial) {
  auto cable = std::make_unique<LibftdiAdapter>();
  cable->SelectSerial(serial);
  return cable;
}

std::unique_ptr<CableEnumerator> MakeCableList(bool tryOpen) {
  return std::make_unique<LibftdiCableList>(tryOpen);
}

const char* CableRemedy(OpenProblem problem) {
  switch (problem) {
    case OpenProblem::NotAttached:
      return "plug the cable in; 'lsusb -d 0403:6001' lists it once it is seen";
    case OpenProblem::NoMatchingDescription:
      return "the cable is looked for by the description \"FT232R USB UART\"; an FT232R "
             "whose description was changed is not used";
    case OpenProblem::NoPermission:
      return "install the package's udev rule (70-torvane-ft232r.rules, in /usr/lib/udev/"
             "rules.d or /etc/udev/rules.d), run 'sudo udevadm control --reload' and plug "
             "the cable in again";
    case OpenProblem::DeviceBusy:
      return "close any other program using the cable; if the kernel's serial driver "
             "still holds it, 'sudo rmmod ftdi_sio' releases it";
    case OpenProblem::UsbUnavailable:
      return "check that USB devices are reachable (/dev/bus/usb) from this session";
    case OpenProblem::None:
    case OpenProblem::DriverMissing:
    case OpenProblem::Other:
      break;
  }
  return nullptr;
}

}  // namespace torvane
