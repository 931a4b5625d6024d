#pragma once

// The steps the programming, verify and Memory Stick runs share: what a
// sequence runs with, issuing the loader's commands over a route, logging an
// event, the failure exit, and the skeleton of every run (switch into the
// loader, let it settle, read its status; then up to three attempts).

#include <cstdint>
#include <string_view>

#include "isp/run_route.h"
#include "isp/run_sink.h"
#include "isp/status_dialog.h"
#include "platform/clock.h"

namespace updater {

/// The image a run sends: it lies at the start of `buffer`, `length` bytes
/// long. The buffer holds at least paddedLength(length) bytes, zeros after
/// the image, since some routes send the padding straight from it.
struct LoaderImage {
  Bytes buffer;
  std::uint32_t length = 0;
  /// Byte 3 of sendIspData: which ROM the loader writes.
  Byte romSelect = 0;
};

/// What a sequence runs with besides its image.
struct SequenceContext {
  RunRoute& route;
  Clock& clock;
  RunSink& sink;
};

bool sendJumpToIsp(RunRoute& route);

/// Reads the loader's status into `status`; the answer byte is stored also
/// when the command fails.
bool readIspStatus(RunRoute& route, Byte& status);

bool sendImage(RunRoute& route, const LoaderImage& image, IspDataMode mode);

/// Refuses an image length that the 16-bit length field cannot carry (0 or
/// above 65,535): stop box and StatusLog line. Returns true when refused.
bool refuseUnsendableLength(RunSink& sink, std::uint32_t length);

/// Appends "\n" + `line` to StatusLog and shows the whole log.
void logEvent(RunSink& sink, StatusDialog& window, std::string_view line);

/// Appends "\n" + `prefix` + status in "%x" + `event` and shows the log.
void logStatusEvent(RunSink& sink, StatusDialog& window, std::string_view prefix, Byte status,
                    std::string_view event);

/// The failure exit: hide the window, show `boxText` with the stop icon,
/// append "\n" + `logText` to StatusLog, close the route.
void failRun(SequenceContext& context, StatusDialog& window, std::string_view boxText, std::string_view logText);

// --- The skeleton of a run --------------------------------------------------

/// The pause between the switch into the loader and the first status read.
inline constexpr std::uint32_t kLoaderSettleMs = 100;
inline constexpr int kLoaderAttempts = 3;

/// How the switch into the loader went.
enum class LoaderEntry {
  Ready,         // the loader answered IspReady
  SwitchFailed,  // the switch itself was refused
  StatusFailed,  // the status read was refused
  NotReady,      // the loader answered something else (in `status`)
};

/// Switches into the loader with `switchToLoader` (a callable returning
/// whether the switch was sent), waits for the loader to settle and reads
/// its status into `status`.
template <typename Switch>
LoaderEntry enterLoader(Switch&& switchToLoader, RunRoute& route, Clock& clock, Byte& status) {
  if (!switchToLoader()) return LoaderEntry::SwitchFailed;
  clock.sleep(kLoaderSettleMs);
  if (!readIspStatus(route, status)) return LoaderEntry::StatusFailed;
  return status == IspReady ? LoaderEntry::Ready : LoaderEntry::NotReady;
}

/// What one attempt found.
enum class Attempt {
  Failed,  // a request failed and the run has reported it
  Done,    // the loader gave the answer the run waits for
  Again,   // another answer: try again while attempts are left
  Stop,    // another answer, and no further attempt may follow
};

/// Runs `tryOnce` up to kLoaderAttempts times while it answers Again; before
/// the second and third attempt `logRetry` gets retryLines[attempt]. Returns
/// the last attempt's answer (Again or Stop when the attempts ran out).
template <typename LogRetry, typename TryOnce>
Attempt retryAttempts(const std::string_view (&retryLines)[kLoaderAttempts], LogRetry&& logRetry,
                      TryOnce&& tryOnce) {
  Attempt result = Attempt::Again;
  for (int attempt = 0; attempt < kLoaderAttempts && result == Attempt::Again; ++attempt) {
    if (attempt > 0) logRetry(retryLines[attempt]);
    result = tryOnce();
  }
  return result;
}

}  // namespace updater
