#include "cli/cli_session.h"

#include "app/control_ids.h"
#include "app/main_window.h"
#include "app/operator_commands.h"
#include "platform/lockstep_scheduler.h"

namespace updater {
namespace {

/// Why a choice was refused; none when the action ran.
using ActionResult = std::optional<std::string>;
using RunAction = ActionResult (*)(CliSession&, const CliAction&);

std::string listItems(const RecordingMainView::List& list) {
  if (list.items.empty()) return "it is empty";
  std::string text = "it holds";
  for (const auto& item : list.items) text += " \"" + item + "\"";
  return text;
}

/// The operator picks `text` in the list `listId`, which must hold it.
ActionResult choose(CliSession& session, int listId, std::string_view listName, const CliAction& action) {
  if (session.mainView.chooseListItem(listId, action.argument)) return std::nullopt;
  return action.written + ": \"" + std::string(listName) + "\" holds no item \"" + action.argument + "\" (" +
         listItems(session.mainView.list(listId)) + ")";
}

ActionResult getInfoAction(CliSession& s, const CliAction&) {
  getInfo(s.program, s.routes);
  return std::nullopt;
}
ActionResult userInfoAction(CliSession& s, const CliAction&) {
  userIspInfoClicked(s.program);
  return std::nullopt;
}
ActionResult selfDriverAction(CliSession& s, const CliAction&) {
  selfDriverClicked(s.program);
  return std::nullopt;
}
ActionResult ispEnableAction(CliSession& s, const CliAction&) {
  ispEnableClicked(s.program);
  return std::nullopt;
}
ActionResult msModeAction(CliSession& s, const CliAction&) {
  msModeClicked(s.program);
  return std::nullopt;
}
ActionResult driverAction(CliSession& s, const CliAction& action) {
  ActionResult refused = choose(s, control::kDriverList, "Driver Select", action);
  if (!refused) driverSelectChanged(s.program, s.routes);
  return refused;
}
ActionResult deviceAction(CliSession& s, const CliAction& action) {
  ActionResult refused = choose(s, control::kDeviceList, "Device Sel", action);
  if (!refused) deviceSelectChanged(s.program);
  return refused;
}
ActionResult ispAction(CliSession& s, const CliAction&) {
  ispCommand(s.program, s.routes);
  return std::nullopt;
}
ActionResult verifyAction(CliSession& s, const CliAction&) {
  verifyCommand(s.program, s.routes);
  return std::nullopt;
}
ActionResult ispAllAction(CliSession& s, const CliAction&) {
  runEveryReaderAction(s, EveryReaderJob::Isp);
  return std::nullopt;
}
ActionResult verifyAllAction(CliSession& s, const CliAction&) {
  runEveryReaderAction(s, EveryReaderJob::Verify);
  return std::nullopt;
}
ActionResult closeAction(CliSession& s, const CliAction&) {
  closeMainWindow(s.program, s.routes);
  return std::nullopt;
}

struct ActionRow {
  ActionKind kind;
  RunAction run;
};

constexpr ActionRow kActions[] = {
    {ActionKind::GetInfo, getInfoAction},     {ActionKind::UserInfo, userInfoAction},
    {ActionKind::SelfDriver, selfDriverAction}, {ActionKind::IspEnable, ispEnableAction},
    {ActionKind::MsMode, msModeAction},       {ActionKind::Driver, driverAction},
    {ActionKind::Device, deviceAction},       {ActionKind::Isp, ispAction},
    {ActionKind::Verify, verifyAction},       {ActionKind::IspAll, ispAllAction},
    {ActionKind::VerifyAll, verifyAllAction}, {ActionKind::Close, closeAction},
};

void recordAction(Transcript& transcript, std::string name) {
  TranscriptEvent event;
  event.kind = EventKind::Action;
  event.name = std::move(name);
  transcript.add(std::move(event));
}

ActionResult runAction(CliSession& session, const CliAction& action) {
  for (const auto& row : kActions) {
    if (row.kind == action.kind) return row.run(session, action);
  }
  return action.written + ": not an action";
}

}  // namespace

CliSession::CliSession(Port& port, Transcript& transcriptIn, const std::filesystem::path& workingDirectory)
    : transcript(transcriptIn),
      program(port, mainView, statusView),
      routes(port),
      makeScheduler([&port](std::size_t runs) { return std::make_unique<LockstepScheduler>(port, runs); }) {
  program.workingDirectory = workingDirectory;
}

SessionOutcome runSession(CliSession& session, const std::vector<CliAction>& actions) {
  SessionOutcome outcome;
  recordAction(session.transcript, "start");
  outcome.started = initialiseMainWindow(session.program, session.routes);
  if (!outcome.started) return outcome;
  for (const auto& action : actions) {
    recordAction(session.transcript, action.written);
    outcome.refusedChoice = runAction(session, action);
    if (outcome.refusedChoice) break;
  }
  return outcome;
}

}  // namespace updater
