// The resource script's identifiers must be the ones the code addresses: each #define of
// resource_ids.h equals its ControlId. The enum values are taken before the header's
// macros would replace their names.
#include "procedures/dialog_host.h"

namespace {
constexpr int ENUM_DOWNLOAD = torvane::IDC_DOWNLOAD;
constexpr int ENUM_BROWSE = torvane::IDC_BROWSE;
constexpr int ENUM_FILE_PATH = torvane::IDC_FILE_PATH;
constexpr int ENUM_USB_STATUS = torvane::IDC_USB_STATUS;
constexpr int ENUM_DEVICE_STATUS = torvane::IDC_DEVICE_STATUS;
constexpr int ENUM_CONNECT = torvane::IDC_CONNECT;
constexpr int ENUM_PROGRESS = torvane::IDC_PROGRESS;
}  // namespace

#include "ui/resource.h"
#include "ui/win32/resource_ids.h"

static_assert(IDC_DOWNLOAD == ENUM_DOWNLOAD, "IDC_DOWNLOAD differs from the code's");
static_assert(IDC_BROWSE == ENUM_BROWSE, "IDC_BROWSE differs from the code's");
static_assert(IDC_FILE_PATH == ENUM_FILE_PATH, "IDC_FILE_PATH differs from the code's");
static_assert(IDC_USB_STATUS == ENUM_USB_STATUS, "IDC_USB_STATUS differs from the code's");
static_assert(IDC_DEVICE_STATUS == ENUM_DEVICE_STATUS,
              "IDC_DEVICE_STATUS differs from the code's");
static_assert(IDC_CONNECT == ENUM_CONNECT, "IDC_CONNECT differs from the code's");
static_assert(IDC_PROGRESS == ENUM_PROGRESS, "IDC_PROGRESS differs from the code's");
static_assert(IDD_CONFIGURE == 101 && IDI_APP == 103, "resource numbers are fixed");
