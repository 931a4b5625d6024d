#pragma once

// What the operator would have seen and, with tracing, what went to the
// device: the event stream that the recording views and the simulated machine
// write and that tests and the console front end read.

#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "platform/main_view.h"

namespace updater {

enum class EventKind {
  Action,
  MessageBox,
  Control,
  List,
  StatusWindow,
  Console,
  Io,
  Sleep,
  Violation,
  ReaderResult,  // how one reader's run of several ended
  ReaderTotals,  // the readers' runs counted
  End,
};

/// One event. Which fields carry meaning depends on `kind`, as the console
/// transcript's event table gives them; the others keep their defaults.
struct TranscriptEvent {
  EventKind kind = EventKind::Action;
  std::string name;     // action name, status-window op, io command
  std::string text;     // box, control, label, log, console or violation text
  std::string caption;  // message box
  MessageIcon icon = MessageIcon::None;
  int id = 0;           // control or list id
  std::vector<std::string> items;
  int selected = -1;
  int low = 0, high = 0, step = 0, position = 0;  // status-window bar
  std::uint32_t ms = 0;                            // sleep
  std::string route;                               // io
  int reader = 0;
  std::string cdb;
  std::uint32_t length = 0;
  bool ok = false;
  int status = -1;  // io of getIspStatus: the answer byte; -1 otherwise
  // A violation of a replayed session (with `reader`): the request's 0-based
  // position in the reader's session and the first byte that differs; -1
  // for the other violations.
  int requestIndex = -1;
  int byteOffset = -1;
  // A reader's result (with `reader`, its place in the device list; `name`
  // "success" or "failure", `text` the message): its units and the serial
  // number its image carried. The totals: `successCount`, `failureCount`.
  std::string units;
  std::string serial;
  int successCount = 0;
  int failureCount = 0;
};

/// A line the program wrote to its console.
TranscriptEvent consoleEvent(std::string_view line);

/// Events may come from several threads (the runs of several readers at
/// once): each is added whole, and handed to `onEvent`, one at a time.
class Transcript {
 public:
  /// When false, Io and Sleep events are not kept (the console's default).
  bool keepTrace = true;
  /// Called with each event kept, as it comes: a run on real readers shows
  /// its events live.
  std::function<void(const TranscriptEvent&)> onEvent;

  void add(TranscriptEvent event);
  const std::vector<TranscriptEvent>& events() const { return events_; }
  void clear() { events_.clear(); }

  /// Events of one kind, in order.
  std::vector<TranscriptEvent> ofKind(EventKind kind) const;

 private:
  std::mutex adding_;
  std::vector<TranscriptEvent> events_;
};

}  // namespace updater
