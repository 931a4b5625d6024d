#pragma once

// One case of the hostile-file corpus: the folder cases/<name>/ with its
// case.json and the input files it brings. case.json says what the working
// folder holds (the demo's files, then the case's own, then the entries it
// makes: big or odd files described rather than committed), what the
// operator does, and what must come out. README.md gives the format.

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace updater::hostile {

/// One entry the case makes in the working folder after copying the files.
struct MadeEntry {  // NOLINT(bugprone-exception-escape): only out of memory, which ends the run
  enum class Kind { File, Directory, Fifo, Symlink, Remove, ModeOnly };

  std::string path;  // relative to the working folder
  Kind kind = Kind::ModeOnly;
  nlohmann::json parts;               // File: the parts, in order
  std::optional<std::uint64_t> size;  // File: cut or zero-padded to this many bytes
  std::string target;                 // Symlink
  std::optional<unsigned> mode;       // any kind but Remove: permissions set last
};

struct Expectation {
  int exitCode = 0;
  /// The whole standard error; empty: nothing at all (no sanitizer report).
  std::string standardError;
  /// Every message box but the user-data summaries, in order:
  /// {"icon", "text", and optionally "caption"}.
  nlohmann::json boxes = nlohmann::json::array();
  /// Whole lines the last user-data summary holds, in this order.
  std::vector<std::string> summaryLines;
  /// Whole lines the final StatusLog holds, in this order.
  std::vector<std::string> statusLogLines;
  /// The last text set in each of these controls, by control id.
  std::map<int, std::string> controls;
  /// Fields the transcript's end event must hold with these values.
  nlohmann::json end = nlohmann::json::object();
  /// SERIAL.TXT after the run: none when it must be as it was.
  std::optional<std::string> serialFile;
  /// Entries the run may remove (the program's own staging file).
  std::vector<std::string> mayRemove;
};

struct HostileCase {
  std::string name;
  std::filesystem::path folder;
  std::string about;
  /// Written as machine.json when given; otherwise the folder's own or the
  /// demo's machine.json is used.
  std::optional<nlohmann::json> machine;
  std::vector<std::string> actions;
  std::vector<MadeEntry> made;
  /// Why the case cannot hold for the superuser (it then runs as nobody);
  /// empty when it can.
  std::string notAsRoot;
  Expectation expect;
};

/// Reads cases/<name>/case.json. Throws std::runtime_error naming the field
/// when the file does not follow the format.
HostileCase loadCase(const std::filesystem::path& casesFolder, const std::string& name);

}  // namespace updater::hostile
