#pragma once

// The main window's controls that the program reads or writes.

namespace updater::control {

inline constexpr int kReportArea = 1021;        // the device report and StatusLog
inline constexpr int kDeviceName = 1024;        // "Device Name :" field
inline constexpr int kDriverLabel = 1028;       // "Driver Select" or "Inq.ProductName"
inline constexpr int kDriverList = 1027;        // "Driver Select"
inline constexpr int kDeviceList = 1030;        // "Device Sel"

}  // namespace updater::control
