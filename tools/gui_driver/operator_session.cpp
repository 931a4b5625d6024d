#include "operator_session.h"

#include <algorithm>
#include <memory>
#include <thread>

#include "app/control_ids.h"
#include "idle_wait.h"
#include "process_windows.h"
#include "screen_capture.h"
#include "status_window_shot.h"
#include "target_process.h"
#include "window_texts.h"

namespace gui_driver {
namespace {

namespace control = updater::control;
// The main window repaints once its loop is idle; this lets it reach the
// screen before the picture.
constexpr auto kRepaintSettle = std::chrono::milliseconds(300);
// How often "awaitjob" and "awaitidle" look at the other programs; a job
// shows its status window for as long as it programs.
constexpr auto kAwaitPoll = std::chrono::milliseconds(20);

class Session {
 public:
  Session(const DriverOptions& options, DigestFile& digest, TargetProcess& process)
      : options_(options),
        digest_(digest),
        process_(process),
        wait_(process, [&digest](const MessageBoxSeen& box) { digest.messageBox(box); }) {}

  int run(std::string& error) {
    if (!options_.statusShot.empty()) {
      statusShot_ = std::make_unique<StatusWindowShot>(process_.id(), options_.statusShot);
    }
    const int status = runActions(error);
    if (status != kRanAllActions || !statusShot_) return status;
    return statusShot_->finish(error) ? kRanAllActions : kRunFailed;
  }

 private:
  int runActions(std::string& error) {
    digest_.action("start");
    const Settled started = wait_.settle(deadline(), error);
    if (started == Settled::Exited) return endedAtStart(error);
    if (started == Settled::Failed || !writeControls(error)) {
      error = "start: " + error;
      return kRunFailed;
    }
    for (const auto& action : options_.actions) {
      const int status = perform(action, error);
      if (status != kRanAllActions) {
        error = action.name + ": " + error;
        return status;
      }
    }
    return kRanAllActions;
  }

  // A program that refuses to run ends inside its start-up; that is a run
  // only when no action was asked for.
  int endedAtStart(std::string& error) const {
    if (options_.actions.empty()) return kRanAllActions;
    error = "the program ended during its start-up, before " + options_.actions.front().name;
    return kRunFailed;
  }

  int perform(const OperatorAction& action, std::string& error) {
    digest_.action(action.name);
    // Waiting for the other programs changes nothing in this one's windows.
    if (action.kind == ActionKind::AwaitOtherJob) {
      return awaitOthers([this] { return statusShownElsewhere(process_.id()); },
                         "no other program showed its status window", error);
    }
    if (action.kind == ActionKind::AwaitOthersIdle) {
      return awaitOthers([this] { return othersIdle(process_.id()); }, "another program stayed busy", error);
    }
    const int status = action.kind == ActionKind::Click ? click(action) : choose(action, error);
    if (status != kRanAllActions) return status;
    const Settled settled = wait_.settle(deadline(), error);
    if (settled == Settled::Failed) return kRunFailed;
    const bool closing = action.name == "close";
    if (closing != (settled == Settled::Exited)) {
      error = closing ? "the program did not end" : "the program ended";
      return kRunFailed;
    }
    if (closing) return kRanAllActions;
    if (!writeControls(error)) return kRunFailed;
    if (action.name == "getinfo" && !options_.mainShot.empty()) return shootMainWindow(error);
    return kRanAllActions;
  }

  // Polls `seen` until it holds; the next action follows at once.
  template <typename Seen>
  int awaitOthers(Seen&& seen, const char* timedOut, std::string& error) {
    const Clock::time_point until = deadline();
    while (!seen()) {
      if (Clock::now() >= until) {
        error = timedOut;
        return kRunFailed;
      }
      std::this_thread::sleep_for(kAwaitPoll);
    }
    return kRanAllActions;
  }

  // Posted, not sent: a sent click would wait for the handler, and the
  // handler may wait for the driver to answer its message boxes.
  int click(const OperatorAction& action) {
    PostMessageA(GetDlgItem(wait_.mainWindow(), action.controlId), BM_CLICK, 0, 0);
    return kRanAllActions;
  }

  // What a choice by the operator does: the list selects the item and tells
  // its dialog of the change.
  int choose(const OperatorAction& action, std::string& error) {
    const HWND list = GetDlgItem(wait_.mainWindow(), action.controlId);
    const auto state = list != nullptr ? readList(list) : std::nullopt;
    if (!state) {
      error = "the list cannot be read";
      return kRunFailed;
    }
    const auto item = std::find(state->items.begin(), state->items.end(), action.choice);
    if (item == state->items.end()) {
      error = "the list holds no item \"" + action.choice + "\"";
      return kActionRefused;
    }
    const auto index = static_cast<WPARAM>(item - state->items.begin());
    DWORD_PTR ignored = 0;
    if (!sendWithTimeout(list, CB_SETCURSEL, index, 0, ignored)) {
      error = "the list did not answer";
      return kRunFailed;
    }
    PostMessageA(wait_.mainWindow(), WM_COMMAND, MAKEWPARAM(action.controlId, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(list));
    return kRanAllActions;
  }

  bool writeControls(std::string& error) {
    const HWND main = wait_.mainWindow();
    const auto reportArea = readProgramText(main, control::kReportArea);
    const auto deviceName = readProgramText(main, control::kDeviceName);
    const auto driverLabel = readProgramText(main, control::kDriverLabel);
    if (!reportArea || !deviceName || !driverLabel) {
      error = "the main window's texts cannot be read";
      return false;
    }
    digest_.controls(*reportArea, *deviceName, *driverLabel);
    const auto deviceList = readList(GetDlgItem(main, control::kDeviceList));
    const auto driverList = readList(GetDlgItem(main, control::kDriverList));
    if (!deviceList || !driverList) {
      error = "the main window's lists cannot be read";
      return false;
    }
    digest_.lists(*deviceList, *driverList);
    return true;
  }

  int shootMainWindow(std::string& error) {
    std::this_thread::sleep_for(kRepaintSettle);
    const auto image = captureWindow(wait_.mainWindow());
    if (!image) {
      error = "the main window cannot be captured";
      return kRunFailed;
    }
    return saveBmp(*image, options_.mainShot, error) ? kRanAllActions : kRunFailed;
  }

  Clock::time_point deadline() const { return Clock::now() + std::chrono::seconds(options_.timeoutSeconds); }

  const DriverOptions& options_;
  DigestFile& digest_;
  TargetProcess& process_;
  IdleWait wait_;
  std::unique_ptr<StatusWindowShot> statusShot_;
};

}  // namespace

int runOperatorSession(const DriverOptions& options, DigestFile& digest, std::string& error) {
  auto process = TargetProcess::start(options.program, options.arguments, options.workdir, error);
  if (!process) return kRunFailed;
  // The process, if it still runs at the end (no "close", or a failure), is
  // killed as it goes out of scope.
  Session session(options, digest, *process);
  return session.run(error);
}

}  // namespace gui_driver
