#include "cli/defaults_file.h"

#include <algorithm>

#include "app/program_data.h"
#include "app/run_outcome.h"
#include "drivers/common_operations.h"
#include "drivers/low_level_io.h"
#include "platform/last_error.h"
#include "platform/process.h"
#include "services/error_state.h"

namespace cli {

namespace {

constexpr uint32_t kReadOnlyShareAll = 0x40;  // read access, others denied nothing
// Far more than any set of defaults or any signature needs; a larger file is
// no such thing.
constexpr size_t kLargestFile = 64 * 1024;

std::string environment(const char* name) {
  const plat::DWORD size = plat::GetEnvironmentVariableA(name, nullptr, 0);
  if (size == 0) return {};
  std::string value(size, '\0');
  const plat::DWORD length = plat::GetEnvironmentVariableA(name, value.data(), size);
  value.resize(length < size ? length : 0);
  return value;
}

bool blank(char c) { return c == ' ' || c == '\t'; }

std::string_view trimmed(std::string_view text) {
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return text;
}

// line -> blank | "#" comment | ["--"] name (blanks | [blanks] "=") value
std::optional<std::string> parse_line(std::string_view line, DefaultOption& option) {
  for (const char c : line)
    if (static_cast<unsigned char>(c) < 0x20 && c != '\t') return "a control character is no text of an option";
  line = trimmed(line);
  if (line.empty() || line.front() == '#') return std::nullopt;
  if (line.substr(0, 2) == "--") line.remove_prefix(2);
  const size_t end = std::min(line.find('='), size_t(std::find_if(line.begin(), line.end(), blank) - line.begin()));
  option.name = std::string(line.substr(0, end));
  if (option.name.empty()) return "an option's name is missing";
  line = trimmed(line.substr(std::min(end, line.size())));
  if (!line.empty() && line.front() == '=') line = trimmed(line.substr(1));
  option.value = std::string(line);
  return std::nullopt;
}

std::string listed(const std::vector<std::string_view>& names) {
  std::string list;
  for (size_t i = 0; i < names.size(); ++i)
    list += (i == 0 ? "" : i + 1 == names.size() ? " or " : ", ") + std::string("--") + std::string(names[i]);
  return list;
}

}  // namespace

std::optional<Refusal> read_small_file(const std::string& path, std::string_view what, std::string& text,
                                       bool* missing) {
  drv::sys::HANDLE handle = nullptr;
  uint32_t error = drv::sys::open_existing(path.c_str(), kReadOnlyShareAll, handle);
  if (missing != nullptr) {
    *missing = error == plat::ERROR_FILE_NOT_FOUND || error == plat::ERROR_PATH_NOT_FOUND;
    if (*missing) return std::nullopt;
  }
  char block[4096];
  uint32_t count = 0;
  while (error == 0 && (error = drv::sys::read(handle, block, sizeof block, count)) == 0 && count > 0) {
    text.append(block, count);
    if (text.size() > kLargestFile)
      error = plat::ERROR_FILE_TOO_LARGE;
  }
  if (handle != nullptr) drv::sys::close(handle);
  if (error == 0) return std::nullopt;
  const std::string reason =
      app::is_folder(path) ? app::kFolderText
                           : std::string(app::clipped(
                                 svc::error_state().message_of(drv::code_of_system_error(error)).view()));
  return Refusal{app::kExitNoInput, "cannot read " + std::string(what) + " '" + path + "': " + reason};
}

std::string defaults_path() {
  const std::string config = environment("XDG_CONFIG_HOME");
  if (!config.empty()) return config + "/msgmake/config";
  const std::string home = environment("HOME");
  return home.empty() ? std::string() : home + "/.config/msgmake/config";
}

Refusal refuse_line(const std::string& path, int line, std::string_view message) {
  return {app::kExitUsage, "'" + path + "' line " + std::to_string(line) + ": " + std::string(message)};
}

std::optional<Refusal> read_defaults(const std::string& path, const std::vector<std::string_view>& allowed,
                                     std::vector<DefaultOption>& options) {
  std::string text;
  bool missing = false;
  if (auto refusal = read_small_file(path, "the default options", text, &missing)) return refusal;
  std::string_view rest = text;
  for (int number = 1; !rest.empty(); ++number) {
    const size_t end = rest.find('\n');
    std::string_view line = rest.substr(0, end);
    rest.remove_prefix(std::min(end == std::string_view::npos ? rest.size() : end + 1, rest.size()));
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    DefaultOption option;
    option.line = number;
    if (auto problem = parse_line(line, option)) return refuse_line(path, number, *problem);
    if (option.name.empty()) continue;
    if (std::find(allowed.begin(), allowed.end(), option.name) == allowed.end())
      return refuse_line(path, number, "'" + option.name + "' is no option of this file, which may give " + listed(allowed));
    if (option.value.empty()) return refuse_line(path, number, "--" + option.name + " needs a value");
    options.push_back(std::move(option));
  }
  return std::nullopt;
}

}  // namespace cli
