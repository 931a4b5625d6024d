#pragma once

// One run in HISTORY.CSV, the history of every ISP, verify and Memory Stick
// run in the working folder: which reader got which serial number, when,
// from which image, with what result. The file is comma-separated text with
// RFC 4180 quoting and CRLF line ends, so that a spreadsheet opens it as it
// is; its first line names the columns.

#include <array>
#include <string>
#include <string_view>

#include "platform/clock.h"

namespace updater {

inline constexpr std::string_view kHistoryFileName = "HISTORY.CSV";

struct HistoryRecord {
  std::string time;        // local, ISO 8601: 2007-12-25T09:30:00
  std::string job;         // isp, verify, ms-isp, ms-verify
  std::string result;      // success, failure
  std::string message;     // the loader's last answer on success, the failure text otherwise
  std::string serial;      // written into the reader; empty when none was
  std::string cem;         // SERIAL.TXT's, two lower-case hex digits; empty when it was not read
  std::string pc;
  std::string route;       // PassThrough, SelfDriverNt, ...
  std::string units;       // the reader's drives or units, blank-separated
  std::string vid;         // the reader's identity before the run, as the device report shows it
  std::string pid;
  std::string usbSerial;
  std::string hwRevision;
  std::string fwRevision;
  std::string image;       // the image file's name, its size and SHA-256; empty when it was not read
  std::string imageBytes;
  std::string imageSha256;
  std::string programVersion;
};

struct HistoryColumn {
  std::string_view name;
  std::string HistoryRecord::*field;
};

/// The columns in file order.
inline constexpr std::array<HistoryColumn, 18> kHistoryColumns = {{
    {"time", &HistoryRecord::time},
    {"job", &HistoryRecord::job},
    {"result", &HistoryRecord::result},
    {"message", &HistoryRecord::message},
    {"serial", &HistoryRecord::serial},
    {"cem", &HistoryRecord::cem},
    {"pc", &HistoryRecord::pc},
    {"route", &HistoryRecord::route},
    {"units", &HistoryRecord::units},
    {"vid", &HistoryRecord::vid},
    {"pid", &HistoryRecord::pid},
    {"usb_serial", &HistoryRecord::usbSerial},
    {"hw_revision", &HistoryRecord::hwRevision},
    {"fw_revision", &HistoryRecord::fwRevision},
    {"image", &HistoryRecord::image},
    {"image_bytes", &HistoryRecord::imageBytes},
    {"image_sha256", &HistoryRecord::imageSha256},
    {"program_version", &HistoryRecord::programVersion},
}};

/// The first line of a new file, with its CRLF.
std::string historyHeaderLine();

/// `record` as one line of the file, with its CRLF. A field that holds a
/// comma, a quote, a line break or a blank at either end is quoted, its
/// quotes doubled; a line break inside a message stays in its quotes.
std::string historyLine(const HistoryRecord& record);

/// "2007-12-25T09:30:00"
std::string isoLocalTime(const LocalDateTime& time);

}  // namespace updater
