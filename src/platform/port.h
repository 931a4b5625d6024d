#pragma once

// The program's view of the operating system: a few calls shaped like the
// Win32 ones the program uses, one virtual function each. The core builds
// every byte it hands over (pass-through headers, driver records, ASPI request
// blocks); a backend only carries them. Backends: win32 (the real API) and sim
// (the simulated machine of the tests and the console front end).
//
// Calls never throw. Each documents what success means, what a failure
// returns and who owns what. Handles, registry keys, modules, file locks and
// new files that a call hands out belong to the caller until it gives them
// back with the matching close call; the owners of platform/port_owned.h do
// that on every path.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "common/bytes.h"
#include "platform/clock.h"

namespace updater {

/// A kernel object handle (HANDLE) as CreateFileA returns it. `Invalid` is
/// INVALID_HANDLE_VALUE, what a failed open returns; `Null` is what the
/// program keeps while nothing is open. Neither is ever an open handle.
enum class HandleValue : std::uintptr_t { Null = 0, Invalid = ~std::uintptr_t{0} };

/// An open registry key (HKEY); `None` when no key is open.
enum class RegistryKeyValue : std::uintptr_t { None = 0 };

/// A loaded module (HMODULE); `None` when no module is loaded.
enum class ModuleValue : std::uintptr_t { None = 0 };

/// An exported entry point of a loaded module (FARPROC); `None` when absent.
enum class EntryPointValue : std::uintptr_t { None = 0 };

/// An exclusive lock on a file, as lockFile hands it out; `None` when no
/// lock is held.
enum class FileLockValue : std::uintptr_t { None = 0 };

/// What lockFile found.
enum class FileLockStatus {
  Locked,         // the lock is the caller's
  HeldElsewhere,  // another open of the file holds it: another process, or this one
  Failed,         // no regular file could be opened or created there, or the lock call failed otherwise
};

struct FileLockResult {
  FileLockStatus status = FileLockStatus::Failed;
  FileLockValue lock = FileLockValue::None;  // the lock when Locked, otherwise None
};

/// A file that createNewFile made or openFileForAppend opened, open for
/// writing; `None` when no file is open.
enum class NewFileValue : std::uintptr_t { None = 0 };

/// What createNewFile found.
enum class NewFileStatus {
  Created,       // the file is new, empty and the caller's
  AlreadyThere,  // something stands at the path (a file, a link, a directory): nothing was touched
  Failed,        // nothing was made: no such folder, no right to make a file there, no room
};

struct NewFileResult {
  NewFileStatus status = NewFileStatus::Failed;
  NewFileValue file = NewFileValue::None;  // the open file when Created, otherwise None
};

/// What openFileForAppend found.
struct AppendFileResult {
  bool ok = false;                         // the file is open for appending
  NewFileValue file = NewFileValue::None;  // the open file when ok, otherwise None
  std::uint64_t size = 0;                  // its length when opened: 0 for a file just made
  bool endsWithLineBreak = false;          // its last byte is '\n'
};

/// What writeFile gives back, as write(2) and WriteFile do.
struct FileWriteResult {
  bool ok = false;          // the call succeeded
  std::size_t written = 0;  // when ok: the bytes now in the file, at most those asked; fewer is no failure
};

/// A buffer as the driver request records and ASPI request blocks carry it:
/// a 32-bit address. 0 is no buffer.
using DataAddress = std::uint32_t;

// Values of the Windows headers, passed through unchanged.
inline constexpr std::uint32_t kGenericRead = 0x80000000;
inline constexpr std::uint32_t kGenericWrite = 0x40000000;
inline constexpr std::uint32_t kFileShareRead = 0x00000001;
inline constexpr std::uint32_t kFileShareWrite = 0x00000002;
inline constexpr std::uint32_t kOpenExisting = 3;
inline constexpr std::uint32_t kFileFlagDeleteOnClose = 0x04000000;
inline constexpr std::uint32_t kKeyAllAccess = 0x000F003F;

/// What DeviceIoControl gives back: its result and the returned-bytes word.
struct DeviceIoResult {
  bool ok = false;                  // the call returned nonzero
  std::uint32_t bytesReturned = 0;  // meaningful only when ok
};

/// What RegQueryValueExA gives back.
struct RegistryValueResult {
  bool ok = false;         // ERROR_SUCCESS: the whole value is in the buffer
  std::uint32_t size = 0;  // bytes of the value (written when ok; needed when too large)
};

/// The posting routine of an ASPI request sent with SRB_POSTING. The ASPI
/// layer calls `posted` once per request, when it has completed, on the
/// layer's own thread, with the request block it was given (SRB_Status now
/// set). It may run before or after SendASPI32Command returns; whatever it
/// shares with the sending thread must be safe to touch from both.
class AspiPostingRoutine {
 public:
  virtual ~AspiPostingRoutine() = default;
  virtual void posted(Bytes requestBlock) = 0;
};

/// The system the program runs on when that is not Windows: its name and
/// release ("Linux", "6.1.0-28-amd64"). Both empty on Windows.
struct HostSystem {
  std::string name;
  std::string release;

  bool isWindows() const { return name.empty(); }
};

/// The clock (sleep and the date) is the part of the port that the
/// protocol sequences see; the rest is for the routes and the jobs.
class Port : public Clock {
 public:
  // --- System information, time and console ---------------------------------

  /// The packed version word of GetVersion: low byte major version, next
  /// byte minor version, bit 31 set on the non-NT family. Cannot fail.
  virtual std::uint32_t versionWord() = 0;

  /// The system when it is not Windows; then the program takes the host
  /// family's route, whatever versionWord says. Cannot fail.
  virtual HostSystem hostSystem() = 0;

  /// Writes one line to the process's console output (which a window
  /// program does not show). `line` carries no line feed of its own.
  virtual void consoleLine(std::string_view line) = 0;

  // --- Devices --------------------------------------------------------------

  /// GetLogicalDrives: bit i set means drive letter 'A'+i exists. 0 when
  /// none exists or the call failed.
  virtual std::uint32_t logicalDrives() = 0;

  /// How the operator sees drive `letter`, one that logicalDrives reports:
  /// "E:" on Windows; a host without drive letters names the unit that the
  /// port shows at that letter ("sdb").
  virtual std::string driveName(char letter) = 0;

  /// CreateFileA(name, access, shareMode, no security attributes,
  /// disposition, flags, no template). `name` is a device name such as
  /// "\\.\E:" or "\\.\UDSKIO". Returns the new handle, which the caller owns
  /// and closes with closeHandle, or HandleValue::Invalid when the name does
  /// not exist, cannot be opened with these arguments, or the open failed.
  virtual HandleValue createFile(std::string_view name, std::uint32_t access, std::uint32_t shareMode,
                                 std::uint32_t disposition, std::uint32_t flags) = 0;

  /// DeviceIoControl(handle, controlCode, input, input.size(), output,
  /// output.size(), returned-bytes word, no overlapped structure). Input and
  /// output may be the same memory (the SCSI pass-through request is): the
  /// callee reads all of `input` before it writes `output`. Buffers stay the
  /// caller's; the call returns only when the request has completed. Any
  /// buffer a request record names by DataAddress must stay alive until then.
  /// ok false: the request failed (bad handle, the driver refused it, the
  /// device did not answer); `output` then holds nothing the caller may use.
  virtual DeviceIoResult deviceIoControl(HandleValue handle, std::uint32_t controlCode, ConstBytes input,
                                         Bytes output) = 0;

  /// CloseHandle. Returns false when `handle` was not open (it is a fault of
  /// the caller to close a handle twice). The handle is gone either way.
  virtual bool closeHandle(HandleValue handle) = 0;

  /// The 32-bit address that a driver request record or an ASPI request
  /// block carries for `buffer`. On 32-bit Windows it is the pointer itself;
  /// the simulated machine hands out a token that it resolves while the next
  /// request runs, so the address is good for that request only (an ASPI
  /// request: until its posting routine has run). Returns 0 when the
  /// platform cannot express the buffer in 32 bits (64-bit Windows, where
  /// the drivers that take such records do not exist) or `buffer` is empty.
  virtual DataAddress dataAddress(Bytes buffer) = 0;

  // --- Registry, under HKEY_LOCAL_MACHINE -----------------------------------

  /// RegOpenKeyExA(HKEY_LOCAL_MACHINE, subKey, 0, access). Returns the key,
  /// which the caller owns and closes with closeRegistryKey, or
  /// RegistryKeyValue::None when the key does not exist or cannot be opened.
  virtual RegistryKeyValue openRegistryKey(std::string_view subKey, std::uint32_t access) = 0;

  /// RegQueryValueExA(key, valueName, no reserved, no type, buffer, size).
  /// On success the value's bytes are at the start of `buffer` and `size`
  /// says how many. On failure (no such value, or the value does not fit,
  /// then `size` is what it would need) `buffer` is left untouched.
  virtual RegistryValueResult queryRegistryValue(RegistryKeyValue key, std::string_view valueName, Bytes buffer) = 0;

  /// RegCloseKey. Returns false when `key` was not open.
  virtual bool closeRegistryKey(RegistryKeyValue key) = 0;

  // --- The ASPI module ------------------------------------------------------

  /// LoadLibraryA(name). Returns the module, which the caller owns and
  /// unloads with freeLibrary, or ModuleValue::None when it cannot be loaded.
  virtual ModuleValue loadLibrary(std::string_view name) = 0;

  /// GetProcAddress(module, name). EntryPointValue::None when the module has
  /// no such export. The entry point is good while the module stays loaded.
  virtual EntryPointValue procAddress(ModuleValue module, std::string_view name) = 0;

  /// FreeLibrary. Returns false when `module` was not loaded.
  virtual bool freeLibrary(ModuleValue module) = 0;

  /// Calls GetASPI32SupportInfo through `entry`, an entry point of that name
  /// of a loaded ASPI module. Result: low byte the number of host adapters,
  /// second byte the layer's status (1, SS_COMP, when it works).
  virtual std::uint32_t getAspi32SupportInfo(EntryPointValue entry) = 0;

  /// Calls SendASPI32Command through `entry` with the request block
  /// `requestBlock` (an SRB of the published layout, built by the caller
  /// with SRB_PostProc left 0: the port puts its own routine there, which
  /// hands the completed block to `posting`). The block, `posting` and any
  /// buffer the block names by DataAddress must stay alive and untouched
  /// until `posting` has run. Returns the layer's immediate status byte.
  virtual std::uint32_t sendAspi32Command(EntryPointValue entry, Bytes requestBlock, AspiPostingRoutine& posting) = 0;

  // --- File locks -----------------------------------------------------------

  /// Opens the file at `path` (a host path), creating it empty when it is
  /// missing, and takes an exclusive lock on it without waiting: LockFile
  /// over the whole file on Windows (exclusive, failing at once), flock with
  /// LOCK_EX | LOCK_NB elsewhere. The lock belongs to this open of
  /// the file, so a second lockFile on the same path is refused even within
  /// one process; it lasts until unlockFile or the end of the process,
  /// however that comes. Never waits for the holder. Elsewhere the lock
  /// keeps out only those who ask for it, while on Windows it also bars
  /// reading and writing the file through any other open: so lock a file
  /// that nobody reads or writes. Only a regular file is locked: a link at
  /// `path` is never followed, and a link, directory, FIFO or device there
  /// is Failed, left as it was.
  virtual FileLockResult lockFile(const std::filesystem::path& path) = 0;

  /// Releases the lock and closes the file, which stays where it is.
  /// Returns false when `lock` was not held (it is a fault of the caller to
  /// release a lock twice). The lock is gone either way.
  virtual bool unlockFile(FileLockValue lock) = 0;

  // --- Files the program writes ---------------------------------------------
  //
  // Calls shaped like the system's own (open, write, fsync, close, rename,
  // unlink; CreateFileW, WriteFile, FlushFileBuffers, CloseHandle,
  // MoveFileExW, DeleteFileW): each does one thing and reports what
  // happened. Writing a file whole and safely is the caller's work
  // (jobs/file_replacement.h). Windows 98 and ME carry out only the A forms:
  // there the names go over in the ANSI code page, and a name it cannot
  // hold fails.

  /// Makes a new, empty file at `path` (a host path) and opens it for
  /// writing: open with O_CREAT | O_EXCL | O_NOFOLLOW, CreateFileW with
  /// CREATE_NEW and FILE_FLAG_OPEN_REPARSE_POINT (Windows 98 and ME have no
  /// links, and no such flag). AlreadyThere when anything
  /// stands at `path`, a link included, even one that leads nowhere: a link
  /// is never followed, so nothing is made where it points. The file is the
  /// caller's, who closes it with closeFile; Failed and AlreadyThere hand
  /// out none.
  virtual NewFileResult createNewFile(const std::filesystem::path& path) = 0;

  /// Opens the regular file at `path` for appending, making it empty when
  /// nothing stands there: open with O_RDWR | O_APPEND | O_CREAT |
  /// O_NOFOLLOW | O_NONBLOCK, CreateFileW with OPEN_ALWAYS, FILE_APPEND_DATA
  /// and FILE_FLAG_OPEN_REPARSE_POINT. Each writeFile to it then goes in at
  /// the file's end as one step, whoever else appends meanwhile (on Windows
  /// 98 and ME, which lack FILE_APPEND_DATA, it moves to the end first: one
  /// writer at a time, under a lock). A link (not
  /// followed), a directory, a FIFO or a device at `path` fails, left as it
  /// was, and so does a folder where no file can be made. The caller closes
  /// the file with closeFile.
  virtual AppendFileResult openFileForAppend(const std::filesystem::path& path) = 0;

  /// Writes `data` at the file's current end, as one write(2) / WriteFile.
  /// ok with `written` < data.size() is a short write: that many bytes went
  /// in, the rest did not, and the caller goes on from there. On failure
  /// (no room left, an I/O error, a file not open) some of `data` may have
  /// gone in all the same; the file's contents are then unknown.
  virtual FileWriteResult writeFile(NewFileValue file, std::string_view data) = 0;

  /// Flushes what was written to the disk itself (fsync,
  /// FlushFileBuffers): true when it will survive a crash or a power cut.
  virtual bool flushFile(NewFileValue file) = 0;

  /// Closes the file. False when it was not open, or when the system
  /// reports a failure on closing (a write it had delayed failed): the
  /// caller must not trust the contents. The file is closed either way.
  virtual bool closeFile(NewFileValue file) = 0;

  /// Renames `from` to `to` in one step, replacing whatever file stands at
  /// `to` (rename(2); MoveFileExW with MOVEFILE_REPLACE_EXISTING |
  /// MOVEFILE_WRITE_THROUGH). Both are on one volume. A reader of `to`
  /// sees the old file or the new one, never neither. On false nothing was
  /// renamed. Windows 98 and ME lack MoveFileEx and keep less of this
  /// (platform/replace_by_renames.h): the old file steps aside before the
  /// new one takes its name, so a reader may find neither for a moment.
  virtual bool renameFile(const std::filesystem::path& from, const std::filesystem::path& to) = 0;

  /// Removes the regular file at `path`. Anything else there (a link, which
  /// is not followed, a directory, a FIFO) is left as it is and the call
  /// returns false, as it does when nothing is there or the removal failed.
  virtual bool removeFile(const std::filesystem::path& path) = 0;

  /// Whether the file at `path` may not be written: its permission bits
  /// grant nobody a write, or not this process (POSIX); it has the
  /// read-only attribute (Windows). On POSIX a link is followed; Windows
  /// reads the attribute of the name itself. False when nothing is there.
  /// Never changes anything.
  virtual bool isReadOnlyFile(const std::filesystem::path& path) = 0;
};

}  // namespace updater
