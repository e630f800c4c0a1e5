#include "app/draft_names.h"

#include <algorithm>
#include <cstring>

#include "platform/file.h"
#include "platform/last_error.h"
#include "platform/path.h"
#include "platform/process.h"

namespace app {

namespace {

// The part of the message file's name that the temporary name keeps, so
// that the whole stays a valid name however long the message file's is.
constexpr size_t kKeptNameBytes = 200;
constexpr std::string_view kLead = ".";
constexpr std::string_view kMiddle = ".msgmake-";
constexpr std::string_view kRandomPart = "-XXXXXXXX";
constexpr std::string_view kEnd = ".tmp";

// Where the file name of a full path begins.
size_t name_start(std::string_view full) {
  for (size_t i = full.size(); i > 0; --i)
    if (plat::is_path_separator(full[i - 1])) return i;
  return 0;
}

// Appends `piece` to the C string being built in `out` at `used`.
void put(char (&out)[kDraftPathSize], size_t& used, std::string_view piece) {
  const size_t n = piece.size() < kDraftPathSize - 1 - used ? piece.size() : kDraftPathSize - 1 - used;
  std::memcpy(out + used, piece.data(), n);
  used += n;
  out[used] = '\0';
}

// The folder and ".NAME.msgmake-" of the temporary drafts of `full`.
size_t draft_prefix(std::string_view full, char (&out)[kDraftPathSize]) {
  const size_t start = name_start(full);
  std::string_view name = full.substr(start);
  if (name.size() > kKeptNameBytes) name = name.substr(0, kKeptNameBytes);
  size_t used = 0;
  out[0] = '\0';
  put(out, used, full.substr(0, start));
  put(out, used, kLead);
  put(out, used, name);
  put(out, used, kMiddle);
  return used;
}

// The process id of a temporary draft's file name that begins with `lead`
// (".NAME.msgmake-"), or 0 when the name is not one of them: digits, then
// '-' and the random letters and digits, or nothing (an earlier version's).
uint32_t process_of(std::string_view found, std::string_view lead) {
  if (found.size() <= lead.size() + kEnd.size() || found.substr(0, lead.size()) != lead ||
      found.substr(found.size() - kEnd.size()) != kEnd)
    return 0;
  std::string_view digits = found.substr(lead.size(), found.size() - lead.size() - kEnd.size());
  if (const size_t dash = digits.find('-'); dash != std::string_view::npos) {
    const std::string_view random = digits.substr(dash + 1);
    if (random.empty() || !std::all_of(random.begin(), random.end(), [](char c) {
          return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
        }))
      return 0;
    digits = digits.substr(0, dash);
  }
  uint64_t id = 0;
  for (char c : digits) {
    if (c < '0' || c > '9' || id > UINT32_MAX / 10) return 0;
    id = id * 10 + static_cast<uint64_t>(c - '0');
  }
  return id <= UINT32_MAX ? static_cast<uint32_t>(id) : 0;
}

}  // namespace

void temporary_draft_pattern(std::string_view full, uint32_t process_id, char (&out)[kDraftPathSize]) {
  size_t used = draft_prefix(full, out);
  char number[16];
  size_t n = 0;
  do {
    number[sizeof number - 1 - n++] = static_cast<char>('0' + process_id % 10);
    process_id /= 10;
  } while (process_id != 0);
  put(out, used, {number + sizeof number - n, n});
  put(out, used, kRandomPart);
  put(out, used, kEnd);
}

void remove_abandoned_drafts(std::string_view full) {
  char pattern[kDraftPathSize];
  size_t used = draft_prefix(full, pattern);
  const size_t folder = name_start(full);
  // ".NAME.msgmake-", which the pattern's wild card and ending follow.
  const std::string_view lead(pattern + folder, used - folder);
  put(pattern, used, "*");
  put(pattern, used, kEnd);
  plat::WIN32_FIND_DATAA found;
  const plat::HANDLE search = plat::FindFirstFileA(pattern, &found);
  if (search == plat::INVALID_HANDLE_VALUE) {
    plat::SetLastError(0);
    return;
  }
  const uint32_t own = plat::GetCurrentProcessId();
  do {
    const uint32_t id = process_of(found.cFileName, lead);
    if (id == 0 || id == own || plat::process_running(id)) continue;
    char path[kDraftPathSize];
    size_t n = 0;
    path[0] = '\0';
    put(path, n, full.substr(0, folder));
    put(path, n, found.cFileName);
    plat::DeleteFileA(path);  // one still held by a writer stays
  } while (plat::FindNextFileA(search, &found));
  plat::FindClose(search);
  plat::SetLastError(0);
}

}  // namespace app
