// The user's default options: a text file of lines "name = value", each an
// option of the command line without its dashes (or with them: "--from Ann
// <ann@example.com>" reads as "from = Ann <ann@example.com>"). Blank lines
// and lines whose first character other than a blank is "#" say nothing.
// The value is the rest of the line, blanks around it left out, taken as
// written: no quotes, no escapes.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cli/refusal.h"

namespace cli {

// One option of the file and the line it stands on (counted from 1).
struct DefaultOption {
  std::string name;  // without "--"
  std::string value;
  int line = 0;
};

// The file's place: $XDG_CONFIG_HOME/msgmake/config, else
// $HOME/.config/msgmake/config; empty when neither variable is set.
std::string defaults_path();

// Reads the options of the file at `path`, checking that each line is one
// of `allowed` with a value. A missing file holds none. A line that is no
// such option is a usage error (64) naming the file and the line; a file
// that is there but cannot be read is refused with 66.
std::optional<Refusal> read_defaults(const std::string& path, const std::vector<std::string_view>& allowed,
                                     std::vector<DefaultOption>& options);

// Reads the whole of a small file the options name (up to 64 KiB; a larger
// one is refused as too large). A file that cannot be read is refused with
// 66, "cannot read WHAT 'PATH': " and why; one that is missing too, unless
// `missing` is given: it is then set, and the text stays empty.
std::optional<Refusal> read_small_file(const std::string& path, std::string_view what, std::string& text,
                                       bool* missing = nullptr);

// The refusal of a line: "'PATH' line N: " and the message, a usage error.
Refusal refuse_line(const std::string& path, int line, std::string_view message);

}  // namespace cli
