#include "app/work_folder.h"

#include <cstdio>
#include <iterator>
#include <string>

#include "app/program_data.h"
#include "app/run_outcome.h"
#include "app/runtime_seams.h"
#include "platform/last_error.h"
#include "platform/path.h"
#include "platform/private_folder.h"
#include "runtime/directory.h"
#include "runtime/string_stack.h"
#include "runtime/string_value.h"

namespace app {

namespace {

constexpr std::string_view kWorkFolderName = "WRK";
// The longest current directory that leaves room in WorkDirectory for the
// folder's name between two separators.
constexpr uint32_t kCurrentDirectoryRoom =
    kWorkDirectorySize - static_cast<uint32_t>(kWorkFolderName.size()) - 2;

// ORDER: plat::folder_fault
constexpr const char* kFolderFaults[] = {
    "",
    "is not a folder of its own (a file, or a link)",
    "belongs to another user",
    "may be written by other users (take away their write permission: chmod go-w)",
};
static_assert(std::size(kFolderFaults) ==
              static_cast<size_t>(plat::folder_fault::open_to_others) + 1);

bool refuse(int exit_code, std::string text) {
  run_outcome().refuse(exit_code, std::move(text));
  return false;
}

// The text of the system's last error.
std::string last_error_text() {
  return error_description(static_cast<int32_t>(plat::GetLastError()));
}

// WorkDirectory without its closing separator, as messages name the folder.
std::string folder_text() {
  std::string_view folder = clipped(program_data().work_directory, kWorkDirectorySize);
  if (!folder.empty()) folder.remove_suffix(1);
  return std::string(folder);
}

// The current directory, checked before anything is made in it: a folder
// that is gone, or too long a path for WorkDirectory, would put the work
// directory somewhere else entirely.
bool current_directory_fits() {
  plat::SetLastError(0);
  const plat::DWORD size = plat::GetCurrentDirectoryA(0, nullptr);  // with the NUL
  if (size == 0)
    return refuse(kExitCannotCreate, "the current folder cannot be resolved: " + last_error_text());
  if (size - 1 > kCurrentDirectoryRoom)
    return refuse(kExitCannotCreate, "the current folder's path is " + std::to_string(size - 1) +
                                         " bytes; the work folder needs it to be at most " +
                                         std::to_string(kCurrentDirectoryRoom));
  return true;
}

// WorkDirectory := the long form of the short form of the current directory,
// then "WRK" between two separators of the kind that path uses.
bool set_work_directory() {
  if (!current_directory_fits()) return false;
  char long_form[rt::kPathMax + 1];
  seam::push_current_directory_long_form();
  rt::string_stack().pop_into_string(long_form, sizeof long_form);
  const std::string_view current = clipped(long_form, sizeof long_form);
  if (current.empty() || current.size() > kCurrentDirectoryRoom)
    return refuse(kExitCannotCreate, "the current folder cannot be resolved");
  const char separator = current.find('\\') != std::string_view::npos ? '\\' : '/';
  std::string path(current);
  path += separator;
  path += kWorkFolderName;
  path += separator;
  rt::assign_string(program_data().work_directory, kWorkDirectorySize, path.data(),
                    static_cast<uint32_t>(path.size()));
  return true;
}

// Said once on standard error when a run has waited kHoldNoticeMs.
void say_waiting(void* folder) {
  std::fprintf(stderr, "msgmake: waiting for another run to finish with the work folder '%s'\n",
               static_cast<const std::string*>(folder)->c_str());
  std::fflush(stderr);
}

}  // namespace

bool PrepareWorkDirectory() {
  if (!set_work_directory()) return false;
  const std::string folder = folder_text();
  plat::folder_fault fault = plat::folder_fault::none;
  plat::SetLastError(0);
  if (!plat::make_private_folder(folder.c_str(), &fault))
    return refuse(kExitCannotCreate,
                  "cannot create the work folder '" + folder + "': " + last_error_text());
  if (fault != plat::folder_fault::none)
    return refuse(kExitCannotCreate,
                  "the work folder '" + folder + "' " + kFolderFaults[static_cast<size_t>(fault)]);
  return HoldWorkDirectory();
}

bool HoldWorkDirectory(uint32_t wait_ms) {
  std::string folder = folder_text();
  const std::string lock = std::string(clipped(program_data().work_directory, kWorkDirectorySize)) +
                           kWorkDirectoryHoldFile;
  plat::hold_wait wait;
  wait.give_up_ms = wait_ms;
  wait.tell_after_ms = kHoldNoticeMs;
  wait.tell = &say_waiting;
  wait.context = &folder;
  plat::SetLastError(0);
  switch (plat::hold_folder(lock.c_str(), wait)) {
    case plat::hold_result::held:
      plat::remove_abandoned_copy();
      return true;
    case plat::hold_result::busy:
      return refuse(kExitTryLater,
                    "the work folder '" + folder + "' is still held by another run after " +
                        std::to_string(wait_ms / 1000) + " seconds; try again later");
    case plat::hold_result::failed:
      break;
  }
  return refuse(kExitTryLater, "cannot lock the work folder '" + folder + "' through its file '" +
                                   kWorkDirectoryHoldFile + "': " + last_error_text());
}

}  // namespace app
