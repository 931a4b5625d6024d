#pragma once

// The main window's controls by id: those the program reads or writes, and
// the buttons and check boxes whose clicks reach the operator commands.

namespace updater::control {

inline constexpr int kReportArea = 1021;        // the device report and StatusLog
inline constexpr int kDeviceName = 1024;        // "Device Name :" field
inline constexpr int kDriverLabel = 1028;       // "Driver Select" or "Inq.ProductName"
inline constexpr int kDriverList = 1027;        // "Driver Select"
inline constexpr int kDeviceList = 1030;        // "Device Sel"

inline constexpr int kIspButton = 3;            // "WIN9xISP"
inline constexpr int kVerifyButton = 4;         // "WIN9xVER"
inline constexpr int kGetInfoButton = 5;        // "GetInfo"
inline constexpr int kCloseButton = 8;          // "Close"
inline constexpr int kUserIspInfoButton = 1010; // "UserISPInfo"
inline constexpr int kIspEnableBox = 1031;      // "ISP_Ena"
inline constexpr int kMsModeBox = 1032;         // "ISP_MS F/W"
inline constexpr int kSelfDriverBox = 1035;     // "SelfDriverSel"

}  // namespace updater::control
