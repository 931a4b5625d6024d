#include "cli/every_reader_action.h"

#include <vector>

#include "cli/cli_session.h"

namespace updater {
namespace {

/// One reader's views, and the transcript they write to, which passes each
/// event on to the session's with the reader's number.
struct ReaderViewSet {
  ReaderViewSet(Transcript& session, int reader) {
    own.keepTrace = false;
    own.onEvent = [&session, reader](const TranscriptEvent& event) {
      TranscriptEvent stamped = event;
      stamped.reader = reader;
      session.add(std::move(stamped));
    };
  }

  Transcript own;
  RecordingMainView mainView{own};
  RecordingStatusView statusView{own};
};

TranscriptEvent resultEvent(const ReaderRunResult& result) {
  TranscriptEvent event;
  event.kind = EventKind::ReaderResult;
  event.reader = static_cast<int>(result.reader);
  event.name = result.success ? "success" : "failure";
  event.text = result.message;
  event.units = result.units;
  event.serial = result.serial;
  return event;
}

TranscriptEvent totalsEvent(const std::vector<ReaderRunResult>& results) {
  TranscriptEvent event;
  event.kind = EventKind::ReaderTotals;
  for (const ReaderRunResult& result : results) ++(result.success ? event.successCount : event.failureCount);
  return event;
}

}  // namespace

void runEveryReaderAction(CliSession& session, EveryReaderJob job) {
  const std::size_t runs = everyReaderRunCount(session.program);
  std::vector<std::unique_ptr<ReaderViewSet>> viewSets;
  std::vector<ReaderRunViews> views;
  for (std::size_t i = 0; i < runs; ++i) {
    viewSets.push_back(std::make_unique<ReaderViewSet>(session.transcript, static_cast<int>(i + 1)));
    views.push_back({viewSets.back()->mainView, viewSets.back()->statusView});
  }
  const std::unique_ptr<RunScheduler> scheduler = session.makeScheduler(runs);
  const std::vector<ReaderRunResult> results = runOnEveryReader(session.program, session.routes, job, *scheduler, views);
  if (results.empty()) return;
  for (const ReaderRunResult& result : results) session.transcript.add(resultEvent(result));
  session.transcript.add(totalsEvent(results));
}

}  // namespace updater
