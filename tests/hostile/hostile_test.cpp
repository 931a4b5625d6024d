// The hostile-file corpus: every case folder under cases/ runs the built
// updater-cli on a fresh copy of its files and checks what the operator
// would see and what is left on disk.

#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <iterator>
#include <random>
#include <sstream>

#include "case_folder.h"
#include "child_process.h"
#include "folder_snapshot.h"
#include "hostile_case.h"

namespace updater::hostile {
namespace {

using Json = nlohmann::json;

const std::filesystem::path kCasesFolder = HOSTILE_CASES_DIR;
const std::filesystem::path kDemoFolder = UPDATER_DEMO_DIR;
const std::filesystem::path kUpdaterCli = UPDATER_CLI_PATH;

constexpr std::string_view kSerialFile = "SERIAL.TXT";
// Where the counter's lock is taken; a job leaves it behind, empty.
constexpr std::string_view kSerialLockFile = "SERIAL.TXT.lock";
constexpr std::string_view kHistoryFile = "HISTORY.CSV";
constexpr std::string_view kHistoryLockFile = "HISTORY.CSV.lock";
// Who runs the permission cases when the tests run as the superuser.
constexpr ChildUser kNobody{65534, 65534};
// The working folder's name inside the scratch folder.
constexpr std::string_view kWorkFolder = "work";
constexpr std::string_view kSummaryCaption = "User ISP Update Data Dialog";
// Far beyond any case's run, even under the sanitizers: only a program that
// hangs (a FIFO opened for reading) runs into it.
constexpr std::chrono::seconds kTimeout{20};

/// A fresh folder under the system's temporary folder, removed afterwards.
class ScratchFolder {
 public:
  ScratchFolder() {
    std::random_device random;
    const auto base = std::filesystem::temp_directory_path();
    for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt) {
      const auto candidate = base / ("updater-hostile-" + std::to_string(random()));
      if (std::filesystem::create_directory(candidate)) path_ = candidate;
    }
    if (path_.empty()) throw std::runtime_error("no fresh temporary folder");
  }
  ~ScratchFolder() {
    std::error_code ignored;
    // A case may have taken the owner's permissions away, of the folder too.
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ignored);
    for (const auto& entry : std::filesystem::recursive_directory_iterator(path_, ignored)) {
      if (!entry.is_symlink()) std::filesystem::permissions(entry.path(), std::filesystem::perms::owner_all,
                                                            std::filesystem::perm_options::add, ignored);
    }
    std::filesystem::remove_all(path_, ignored);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

std::vector<std::string> linesOf(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream stream(text);
  for (std::string line; std::getline(stream, line);) lines.push_back(line);
  return lines;
}

/// Whether `wanted` are whole lines of `text`, in this order.
bool holdsLinesInOrder(const std::string& text, const std::vector<std::string>& wanted) {
  const std::vector<std::string> lines = linesOf(text);
  auto at = lines.begin();
  for (const auto& line : wanted) {
    at = std::find(at, lines.end(), line);
    if (at == lines.end()) return false;
    ++at;
  }
  return true;
}

std::string quoted(const std::vector<std::string>& lines) {
  std::string text;
  for (const auto& line : lines) text += "\n  \"" + line + "\"";
  return text;
}

std::vector<Json> eventsOf(const std::string& out) {
  std::vector<Json> events;
  for (const auto& line : linesOf(out)) events.push_back(Json::parse(line));
  return events;
}

std::vector<Json> ofEvent(const std::vector<Json>& events, std::string_view name) {
  std::vector<Json> matching;
  std::copy_if(events.begin(), events.end(), std::back_inserter(matching),
               [name](const Json& event) { return event["event"] == name; });
  return matching;
}

/// Each expected box names its icon and text, and its caption when it says.
Json boxAsExpected(const Json& box, const Json& expected) {
  Json seen = {{"icon", box["icon"]}, {"text", box["text"]}};
  if (expected.contains("caption")) seen["caption"] = box["caption"];
  return seen;
}

void checkTranscript(const HostileCase& hostile, const std::string& out) {
  const std::vector<Json> events = eventsOf(out);
  ASSERT_FALSE(events.empty());
  const Json& end = events.back();
  ASSERT_EQ(end["event"], "end");
  EXPECT_EQ(end["openHandles"], 0) << "handles left open";
  EXPECT_TRUE(ofEvent(events, "violation").empty()) << "a request the machine refused:\n" << out;

  std::vector<Json> summaries;
  Json boxes = Json::array();
  for (const auto& box : ofEvent(events, "messageBox")) {
    if (box["caption"] == kSummaryCaption) {
      summaries.push_back(box);
    } else {
      const std::size_t i = boxes.size();
      boxes.push_back(boxAsExpected(box, i < hostile.expect.boxes.size() ? hostile.expect.boxes[i] : Json::object()));
    }
  }
  EXPECT_EQ(boxes, hostile.expect.boxes) << "message boxes";

  if (!hostile.expect.summaryLines.empty()) {
    ASSERT_FALSE(summaries.empty()) << "no user-data summary";
    const std::string summary = summaries.back()["text"];
    EXPECT_TRUE(holdsLinesInOrder(summary, hostile.expect.summaryLines))
        << "the summary lacks" << quoted(hostile.expect.summaryLines) << "\nit reads:\n" << summary;
  }
  const std::vector<Json> controls = ofEvent(events, "control");
  for (const auto& expected : hostile.expect.controls) {
    const int id = expected.first;
    const auto last = std::find_if(controls.rbegin(), controls.rend(), [id](const Json& c) { return c["id"] == id; });
    ASSERT_NE(last, controls.rend()) << "control " << id << " was never set";
    EXPECT_EQ((*last)["text"], expected.second) << "control " << id;
  }
  for (const auto& item : hostile.expect.end.items()) {
    EXPECT_EQ(end[item.key()], item.value()) << "end event's " << item.key();
  }
  const std::string statusLog = end["statusLog"];
  EXPECT_TRUE(holdsLinesInOrder(statusLog, hostile.expect.statusLogLines))
      << "StatusLog lacks" << quoted(hostile.expect.statusLogLines) << "\nit reads:\n" << statusLog;
}

void checkSerialFile(const HostileCase& hostile, const FolderSnapshot& before, const FolderSnapshot& after) {
  const std::string name(kSerialFile);
  const auto was = before.find(name);
  const auto now = after.find(name);
  if (!hostile.expect.serialFile) {
    const bool wasThere = was != before.end();
    const bool same = wasThere == (now != after.end()) && (!wasThere || was->second == now->second);
    EXPECT_TRUE(same) << "SERIAL.TXT was written, though the run did not succeed"
                      << (now == after.end() ? std::string() : ": it holds \"" + now->second.contents + "\"");
    return;
  }
  ASSERT_NE(now, after.end()) << "SERIAL.TXT is gone";
  EXPECT_EQ(now->second.type, "file");
  EXPECT_EQ(now->second.contents, *hostile.expect.serialFile) << "SERIAL.TXT after the run";
}

class Corpus : public testing::TestWithParam<std::string> {};

/// A file of the program's own, `name`: where nothing or a file stood, the
/// run may make or change it (it is exempted from the folder's comparison)
/// and `check` is given what it held and what it holds; anything else
/// standing there stays as it was.
template <typename Check>
void allowOwnFile(const FolderSnapshot& before, const FolderSnapshot& after, std::string_view name,
                  std::vector<std::string>& exempt, Check check) {
  const auto was = before.find(std::string(name));
  if (was != before.end() && was->second.type != "file") return;
  exempt.emplace_back(name);
  if (const auto now = after.find(std::string(name)); now != after.end()) {
    EXPECT_EQ(now->second.type, "file") << name;
    check(was == before.end() ? std::string() : was->second.contents, now->second);
  }
}

/// Gives `folder` and everything in it to `user`; links themselves, never
/// what they point to. False when any of it could not be given.
bool handOver(const std::filesystem::path& folder, const ChildUser& user) {
  bool given = ::lchown(folder.c_str(), user.uid, user.gid) == 0;
  std::error_code error;
  for (auto entry = std::filesystem::recursive_directory_iterator(folder, error);
       !error && entry != std::filesystem::recursive_directory_iterator(); entry.increment(error)) {
    given = ::lchown(entry->path().c_str(), user.uid, user.gid) == 0 && given;
  }
  return given && !error;
}

TEST_P(Corpus, Case) {
  const HostileCase hostile = loadCase(kCasesFolder, GetParam());
  // A case about permissions needs a user whom they stop. The superuser runs
  // updater-cli as nobody instead (user and group 65534), from a copy in a
  // folder of its own that nobody is given whole, as is the scratch folder:
  // no folder of the build on the way to the program can stop that user
  // either. The copy stays out of the scratch folder, whose every file is
  // read twice to see what the run changed there.
  const bool asNobody = !hostile.notAsRoot.empty() && ::geteuid() == 0;
  SCOPED_TRACE(hostile.about);

  // The working folder is one entry of a scratch folder, so that a link
  // reaching out of it ("../NAME") still lands in the scratch folder, where
  // whatever the run makes beside its folder is seen.
  ScratchFolder scratch;
  const std::filesystem::path work = scratch.path() / kWorkFolder;
  std::filesystem::create_directory(work);
  ScratchFolder programFolder;
  std::filesystem::path program = kUpdaterCli;
  if (asNobody) {
    program = programFolder.path() / "updater-cli";
    std::filesystem::copy_file(kUpdaterCli, program);
    ASSERT_TRUE(handOver(programFolder.path(), kNobody)) << "the program's folder cannot be given to nobody";
  }
  prepareCaseFolder(hostile, kDemoFolder, work);
  if (asNobody) {
    ASSERT_TRUE(handOver(scratch.path(), kNobody)) << "the scratch folder cannot be given to nobody";
  }
  const FolderSnapshot before = takeSnapshot(work);
  const FolderSnapshot besideBefore = takeSnapshot(scratch.path());

  std::vector<std::string> arguments{"--json", "--machine", "machine.json", "--workdir", "."};
  arguments.insert(arguments.end(), hostile.actions.begin(), hostile.actions.end());
  const ChildResult run = runChild(program, arguments, work, kTimeout, asNobody ? &kNobody : nullptr);

  ASSERT_FALSE(run.timedOut) << "updater-cli did not end within " << kTimeout.count() << " s";
  ASSERT_EQ(run.signal, 0) << "updater-cli ended by signal " << run.signal << "\n" << run.err;
  EXPECT_EQ(run.exitCode, hostile.expect.exitCode) << run.err;
  const std::string expectedError = hostile.expect.standardError.empty() ? "" : hostile.expect.standardError + "\n";
  EXPECT_EQ(run.err, expectedError) << "standard error";

  const FolderSnapshot after = takeSnapshot(work);
  std::vector<std::string> exempt = hostile.expect.mayRemove;
  exempt.emplace_back(kSerialFile);
  // The run may make its lock files, or lock the empty files there, and add
  // its record to the end of HISTORY.CSV; anything else standing at those
  // names must stay as it was.
  const auto stayEmpty = [](const std::string&, const EntryState& lock) {
    EXPECT_EQ(lock.contents, "") << "the lock file holds nothing";
  };
  allowOwnFile(before, after, kSerialLockFile, exempt, stayEmpty);
  allowOwnFile(before, after, kHistoryLockFile, exempt, stayEmpty);
  allowOwnFile(before, after, kHistoryFile, exempt, [](const std::string& held, const EntryState& history) {
    EXPECT_TRUE(history.contents.starts_with(held)) << "HISTORY.CSV lost what it held";
  });
  const std::vector<std::string> changed = differences(before, after, exempt);
  EXPECT_TRUE(changed.empty()) << "written outside SERIAL.TXT:" << quoted(changed);
  // What lies inside the working folder was compared above.
  const std::vector<std::string> beside = differences(besideBefore, takeSnapshot(scratch.path()), {});
  std::vector<std::string> outside;
  std::copy_if(beside.begin(), beside.end(), std::back_inserter(outside),
               [](const std::string& line) { return !line.starts_with(std::string(kWorkFolder) + "/"); });
  EXPECT_TRUE(outside.empty()) << "made or changed outside the working folder:" << quoted(outside);
  for (const auto& name : hostile.expect.mayRemove) {
    EXPECT_FALSE(after.contains(name)) << name << " was left behind";
  }
  checkSerialFile(hostile, before, after);

  if (run.exitCode == 2) {
    EXPECT_EQ(run.out, "") << "a refused command line shows no transcript";
  } else {
    checkTranscript(hostile, run.out);
  }
}

std::string caseName(const testing::TestParamInfo<std::string>& info) { return info.param; }

// The folders under cases/ that hold a case.json, as CMake found them.
constexpr const char* kCaseNames[] = {
#include "case_names.inc"
};

INSTANTIATE_TEST_SUITE_P(Hostile, Corpus,
                         testing::ValuesIn(std::vector<std::string>(std::begin(kCaseNames), std::end(kCaseNames))),
                         caseName);

}  // namespace
}  // namespace updater::hostile
