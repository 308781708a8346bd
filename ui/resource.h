// Resource identifiers of the configuration dialog, its controls and the application
// icon, for the resource script and the C++ code alike: only #define lines, which the
// resource compiler reads as well as the C++ compiler.
#pragma once

#define IDD_CONFIGURE 101
#define IDI_APP 103

#define IDC_DOWNLOAD 1009       // push button "Download"
#define IDC_BROWSE 1010         // push button "Browse ..."
#define IDC_FILE_PATH 1012      // edit: the selected path
#define IDC_USB_STATUS 1061     // edit, disabled: "USB : Connected" / "USB : Not Connected"
#define IDC_DEVICE_STATUS 1064  // edit, disabled: the device found by identification
#define IDC_CONNECT 1090        // default push button "Connect"
#define IDC_PROGRESS 1091       // progress bar of a download

#ifndef IDC_STATIC
#define IDC_STATIC -1  // the group boxes "Select File", "Configure" and "Connection"
#endif
