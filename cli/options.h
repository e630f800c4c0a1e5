// The options form of the command line, for people and scripts: GNU
// conventions (short and long forms, "--opt=value" and "--opt value", "--"
// ends the options), every file after the options attached.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/composer.h"
#include "cli/refusal.h"

namespace cli {

// What the options ask for, checked, in the message procedure's terms.
struct Options {
  bool help = false;
  bool version = false;
  std::string output;
  std::vector<std::string> to, cc, bcc;
  std::string subject;
  std::string from;                          // the sender: one address
  std::vector<std::string> reply_to;         // where replies go
  std::vector<app::HeaderField> headers;     // --header fields, in order
  std::string body_file;  // empty: no text; "-": standard input
  bool html = false;      // the body file is HTML, not plain text
  bool markdown = false;  // the body file is Markdown
  std::string charset;    // the body's character set as named; empty: its own, or UTF-8
  std::vector<std::string> attachments;  // -a in order, then the files after the options
  // The name each attachment goes by (its --name); empty: its file's name.
  std::vector<std::string> attachment_names;
  std::vector<std::string> pictures;
  std::vector<std::string> picture_folders;  // --pictures-from: folders the HTML may show files of
  std::string signature;  // a file whose text follows the body's, after a "-- " line
  std::string sound;
  std::string loop = "Once";        // the composer's loop choice
  std::string priority = "Normal";  // the composer's priority
  int32_t background = 0xFFFFFF;    // red + 256 x green + 65536 x blue
  std::string font;                 // empty: the body's own (see app/options_parts.h)
  int32_t font_color = 0;
  int32_t font_size = 3;
  // The command line itself gave --font, --font-color, --font-size or
  // --background: a text body then gets its page (the file of defaults
  // styles only the pages that are made anyway).
  bool page_given = false;
  bool open = false;       // open the written draft in the mail client
  bool no_config = false;  // the file of default options is not read
  bool dry_run = false;    // show the draft's parts; write, create and open nothing
  bool json = false;       // describe the written draft on standard output
};

// Parses the whole argument vector (the program's name first), with the
// user's default options (cli/defaults_file.h) unless --no-config is given:
// an option of the command line takes the place of the file's; of the file's
// --header fields, those whose name a --header of the command line gives are
// left out. A usage error (unknown option, missing value or -o, a bad word,
// colour or size, more than one of --text, --html and --markdown, a
// --charset that names no known set or comes without a body, --markdown in a
// build without Markdown, a --header that cannot be given, more
// than one address for --from, --open or --json with -o -, --json
// with --dry-run, a bad line of the file, a --name that names no
// attachment or is no file name, -a - without a --name, standard input read
// twice)
// gives exit code 64; an option that is not UTF-8, or an address without a
// domain, 65; a file of defaults that cannot be read, 66.
std::optional<Refusal> parse_options(int argc, const char* const* argv, Options& options);

// "#RRGGBB" (hexadecimal digits in either case) as red + 256 x green +
// 65536 x blue; nothing for any other text.
std::optional<int32_t> parse_color(std::string_view text);

// The composer's text for a word of --loop or --priority, in any letter
// case; nothing for a word that is not one of them.
std::optional<std::string> loop_choice(std::string_view word);
std::optional<std::string> priority_choice(std::string_view word);

}  // namespace cli
