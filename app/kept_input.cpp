#include "app/kept_input.h"

#include <memory>
#include <utility>

#include "app/program_data.h"
#include "app/run_outcome.h"
#include "drivers/common_operations.h"
#include "drivers/low_level_io.h"
#include "platform/file.h"
#include "platform/last_error.h"
#include "platform/path.h"
#include "platform/process.h"

namespace app {

// The input until its first reading is done, and the file that is read again.
struct KeptSource {
  plat::HANDLE handle = nullptr;  // the source of the first reading
  bool named = false;             // opened here by its name (not standard input)
  bool keep = false;              // it cannot be read again: kept in `file`
  plat::HANDLE file = nullptr;    // read from its start for each later reading
  std::string shown_name;         // "'news.html'" or "standard input"
};

namespace {

constexpr size_t kPieceSize = 64 * 1024;
// The input is only read, and nobody changes it between the readings.
constexpr uint32_t kOpenMode = 0x20;  // read access, others denied writing

bool refuse(int exit_code, std::string text) {
  run_outcome().refuse(exit_code, std::move(text));
  return false;
}

// Whether a handle can be positioned: a regular file can, a pipe cannot.
bool positionable(plat::HANDLE handle) {
  plat::SetLastError(0);
  const bool can = plat::SetFilePointer(handle, 0, nullptr, plat::FILE_CURRENT) != plat::INVALID_SET_FILE_POINTER ||
                   plat::GetLastError() == 0;
  plat::SetLastError(0);
  return can;
}

// Whether a standard handle is closed. Told before the run opens a file of
// its own, which could otherwise take the closed one's place.
bool closed(plat::HANDLE handle) {
  plat::SetLastError(0);
  const bool failed = plat::SetFilePointer(handle, 0, nullptr, plat::FILE_CURRENT) == plat::INVALID_SET_FILE_POINTER &&
                      plat::GetLastError() == plat::ERROR_INVALID_HANDLE;
  plat::SetLastError(0);
  return failed;
}

bool has_kind(const std::string& file, plat::entry_kind kind) {
  plat::name_entry entry;
  const bool found = plat::GetNameEntry(file.c_str(), &entry) && entry.kind == kind;
  plat::SetLastError(0);
  return found;
}

// Opens a named input: what is no regular file (a pipe, a FIFO, a device) as
// a stream, opened once (a FIFO's writer meets its one reader), to be kept;
// a regular file again so that nobody changes it between the readings.
uint32_t open_named_source(const std::string& file, KeptSource& source) {
  source.handle = plat::OpenInputStreamA(file.c_str());
  if (source.handle == plat::INVALID_HANDLE_VALUE) {
    source.handle = nullptr;
    return plat::GetLastError();
  }
  // A device can be positioned and still not be opened again as a file:
  // only a regular file is.
  source.keep = !positionable(source.handle) || !has_kind(file, plat::entry_kind::file);
  if (source.keep) return 0;
  plat::CloseHandle(source.handle);
  source.handle = nullptr;
  return drv::sys::open_existing(file.c_str(), kOpenMode, source.handle);
}

// The system's folder for short-lived files, with its final separator.
std::string temporary_folder() {
  std::string folder(plat::GetTempPathA(0, nullptr), '\0');
  const plat::DWORD length = plat::GetTempPathA(static_cast<plat::DWORD>(folder.size()), folder.data());
  folder.resize(length < folder.size() ? length : 0);
  return folder;
}

// Lets go of the source of the first reading, when it is not the file read
// again.
void close_source(KeptSource& source) {
  if (source.handle == nullptr) return;
  if (source.keep)
    plat::CloseHandle(source.handle);  // a stream, or standard input (which stays open)
  else
    drv::sys::close(source.handle);
  source.handle = nullptr;
  plat::SetLastError(0);
}

enum class ReadEnd { whole, read_failed, keep_failed };

// Reads `file` from where it stands to its end: each piece to `keep` when it
// is given, and to `piece`. A failure's system error in `error`.
ReadEnd read_through(plat::HANDLE file, plat::HANDLE keep, const std::function<void(std::string_view)>& piece,
                     uint32_t& error) {
  // Left unzeroed: a small file touches only the pages its bytes fill.
  const auto buffer = std::make_unique_for_overwrite<char[]>(kPieceSize);
  for (;;) {
    plat::DWORD got = 0, put = 0;
    if (!plat::ReadFile(file, buffer.get(), kPieceSize, &got, nullptr)) {
      error = plat::GetLastError();
      return ReadEnd::read_failed;
    }
    if (got == 0) break;
    if (keep != nullptr && !plat::WriteFile(keep, buffer.get(), got, &put, nullptr)) {
      error = plat::GetLastError();
      return ReadEnd::keep_failed;
    }
    piece(std::string_view(buffer.get(), got));
  }
  plat::SetLastError(0);
  return ReadEnd::whole;
}

}  // namespace

int input_exit(uint32_t system_error) {
  return is_unreadable_input(0, system_error) ? kExitNoInput : kExitIoError;
}

std::string open_error_text(std::string_view file, uint32_t system_error) {
  return is_folder(file) ? kFolderText : error_description(drv::code_of_system_error(system_error));
}

bool read_only_once(const std::string& file) {
  if (file == kStandardInput) return true;
  plat::name_entry entry;
  const bool found = plat::GetNameEntry(file.c_str(), &entry);
  plat::SetLastError(0);
  return found && entry.kind != plat::entry_kind::file && entry.kind != plat::entry_kind::folder;
}

KeptInput::KeptInput(std::string_view what, std::string_view file_noun)
    : what_(what), file_noun_(file_noun), source_(std::make_unique<KeptSource>()) {}

KeptInput::~KeptInput() { release(); }

bool KeptInput::open(const std::string& file) {
  release();
  KeptSource& source = *source_;
  if (file == kStandardInput) {
    source.shown_name = "standard input";
    source.handle = plat::GetStdHandle(plat::STD_INPUT_HANDLE);
    source.keep = true;
    const std::string named = "cannot read the " + what_ + " from standard input: ";
    if (source.handle == nullptr) return refuse(kExitNoInput, named + system_error_description(plat::GetLastError()));
    if (closed(source.handle)) return refuse(kExitNoInput, named + "it is closed");
    return true;
  }
  source.shown_name = "'" + file + "'";
  source.named = true;
  if (const uint32_t error = open_named_source(file, source))
    return refuse(input_exit(error),
                  "cannot read " + file_noun_ + " " + source.shown_name + ": " + open_error_text(file, error));
  return true;
}

bool KeptInput::read_first(const std::function<void(std::string_view)>& piece) {
  KeptSource& source = *source_;
  if (!source.keep) {
    source.file = std::exchange(source.handle, nullptr);
  } else {
    const std::string folder = temporary_folder();
    std::string name = folder + "msgmake-" + what_ + "-XXXXXXXX";  // its 'X's made random
    const plat::HANDLE kept = plat::CreateUniqueFileA(name.data(), plat::GENERIC_READ | plat::GENERIC_WRITE, 0,
                                                      plat::FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (kept == plat::INVALID_HANDLE_VALUE) {
      const std::string text = "cannot keep the " + what_ + " of " + source.shown_name + " in the temporary folder '" +
                               folder + "': " + system_error_description(plat::GetLastError());
      close_source(source);
      return refuse(kExitIoError, text);
    }
    plat::SetLastError(0);
    source.file = kept;
  }
  uint32_t error = 0;
  const ReadEnd end = read_through(source.keep ? source.handle : source.file, source.keep ? source.file : nullptr,
                                   piece, error);
  close_source(source);
  switch (end) {
    case ReadEnd::whole:
      return true;
    case ReadEnd::keep_failed:
      return refuse(kExitIoError, "cannot keep the " + what_ + " of " + source.shown_name + ": " +
                                      system_error_description(error));
    case ReadEnd::read_failed:
      break;
  }
  if (source.named)
    return refuse(input_exit(error), "cannot read " + file_noun_ + " " + source.shown_name + ": " +
                                         system_error_description(error));
  return refuse(kExitNoInput, "cannot read the " + what_ + " from standard input: " +
                                  (error == plat::ERROR_INVALID_HANDLE ? std::string("it is closed")
                                                                       : system_error_description(error)));
}

bool KeptInput::read_again(const std::function<void(std::string_view)>& piece) const {
  const KeptSource& source = *source_;
  if (source.file == nullptr) return true;  // nothing was read
  uint32_t error = 0;
  if (plat::SetFilePointer(source.file, 0, nullptr, plat::FILE_BEGIN) == 0 &&
      read_through(source.file, nullptr, piece, error) == ReadEnd::whole)
    return true;
  if (error == 0) error = plat::GetLastError();
  return refuse(input_exit(error), "cannot read the " + what_ + " again from " + source.shown_name + ": " +
                                       system_error_description(error));
}

bool KeptInput::opened() const { return source_->handle != nullptr; }

uint64_t KeptInput::size() const {
  const KeptSource& source = *source_;
  if (source.file == nullptr) return 0;
  plat::DWORD high = 0;
  const plat::DWORD low = plat::GetFileSize(source.file, &high);
  plat::SetLastError(0);
  return low == plat::INVALID_FILE_SIZE && high == 0 ? 0 : uint64_t{high} << 32 | low;
}

const std::string& KeptInput::shown_name() const { return source_->shown_name; }

void KeptInput::release() {
  KeptSource& source = *source_;
  close_source(source);
  if (source.file != nullptr) drv::sys::close(source.file);
  source = KeptSource{};
}

}  // namespace app
