// Control identifiers of the configuration dialog for the resource script, beside
// IDD_CONFIGURE and IDI_APP of ui/resource.h. Only #define lines, for the resource
// compiler; C++ code uses the ControlId enum, checked equal in resource_check.cpp.
#pragma once

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
