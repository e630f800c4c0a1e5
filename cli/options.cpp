#include "cli/options.h"

#include <algorithm>

#include "cli/cli11.h"
#include "cli/defaults_file.h"
#include "cli/header_options.h"
#include "cli/input_file.h"
#include "mime/header_policy.h"
#include "mime/markdown.h"
#include "mime/media_types.h"
#include "mime/text_decoder.h"
#include "mime/utf8.h"

namespace cli {

namespace {

// A word of the command line and the composer's text for it.
struct Choice {
  std::string_view word;
  std::string_view composer_text;
};
constexpr Choice kLoopChoices[] = {
    {"once", "Once"}, {"twice", "Twice"}, {"3", "3 times"}, {"4", "4 times"}, {"5", "5 times"}, {"forever", "Forever"},
};
constexpr Choice kPriorityChoices[] = {{"high", "High"}, {"normal", "Normal"}, {"low", "Low"}};

constexpr int32_t kSmallestFontSize = 1;
constexpr int32_t kLargestFontSize = 7;

template <size_t N>
std::optional<std::string> choose(const Choice (&choices)[N], std::string_view word) {
  for (const Choice& c : choices) {
    if (word.size() != c.word.size()) continue;
    bool same = true;
    for (size_t i = 0; i < word.size() && same; ++i)
      same = (word[i] >= 'A' && word[i] <= 'Z' ? word[i] - 'A' + 'a' : word[i]) == c.word[i];
    if (same) return std::string(c.composer_text);
  }
  return std::nullopt;
}

int hex_digit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

Refusal usage(std::string message) { return {app::kExitUsage, std::move(message)}; }

Refusal bad_value(std::string_view option, std::string_view takes, std::string_view given) {
  return usage(std::string(option) + " takes " + std::string(takes) + ", not '" + std::string(given) + "'");
}

// The option texts as given, before the words, colours and size are checked.
struct Given {
  std::string text_file, html_file, markdown_file, charset, loop, priority, background, font_color, font_size;
  std::vector<std::string> files;  // after the options
  std::vector<std::string> headers;
  std::vector<std::string> names;  // --name, each for the attachment that follows it
};

void declare(CLI::App& app, Options& o, Given& g) {
  app.set_help_flag();
  app.add_flag("-h,--help", o.help);
  app.add_flag("--version", o.version);
  const auto one = [&app](const char* names, std::string& value) {
    app.add_option(names, value)->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
  };
  const auto each = [&app](const char* names, std::vector<std::string>& values) {
    app.add_option(names, values)->allow_extra_args(false);
  };
  one("-o,--output", o.output);
  each("-t,--to", o.to);
  each("-c,--cc", o.cc);
  each("-b,--bcc", o.bcc);
  one("-s,--subject", o.subject);
  one("--from", o.from);
  each("--reply-to", o.reply_to);
  each("--header", g.headers);
  one("--text", g.text_file);
  one("--html", g.html_file);
  one("--signature", o.signature);
  one("--markdown", g.markdown_file);
  one("--charset", g.charset);
  app.get_option("--text")->excludes(app.get_option("--html"));
  each("--name", g.names);
  app.get_option("--markdown")->excludes(app.get_option("--text"))->excludes(app.get_option("--html"));
  each("-a,--attach", o.attachments);
  each("-i,--image", o.pictures);
  each("--pictures-from", o.picture_folders);
  one("--sound", o.sound);
  one("--loop", g.loop);
  one("-p,--priority", g.priority);
  one("--background", g.background);
  one("--font", o.font);
  one("--font-color,--font-colour", g.font_color);
  one("--font-size", g.font_size);
  app.add_flag("--open", o.open);
  app.add_flag("--no-config", o.no_config);
  app.add_flag("--json", o.json)->excludes(app.add_flag("--dry-run", o.dry_run));
  app.add_option("files", g.files);
}

struct WordOption {
  std::string Given::*given;
  std::string_view name;
  std::string_view takes;
  std::optional<std::string> (*choose)(std::string_view);
  std::string Options::*value;
};
const WordOption kWordOptions[] = {
    {&Given::loop, "--loop", "once, twice, 3, 4, 5 or forever", &loop_choice, &Options::loop},
    {&Given::priority, "--priority", "high, normal or low", &priority_choice, &Options::priority},
};

struct ColorOption {
  std::string Given::*given;
  std::string_view name;
  int32_t Options::*value;
};
constexpr ColorOption kColorOptions[] = {
    {&Given::background, "--background", &Options::background},
    {&Given::font_color, "--font-color", &Options::font_color},
};

// The body's kind and character set, as this build can read them.
std::optional<Refusal> body_charset(const Given& g, Options& o) {
  if (!g.markdown_file.empty() && !mime::markdown_available())
    return usage("--markdown is not in this build of msgmake; convert the Markdown to HTML and give --html");
  if (g.charset.empty()) return std::nullopt;
  if (g.text_file.empty() && g.html_file.empty() && g.markdown_file.empty())
    return usage("--charset names the character set of a body; give --text, --html or --markdown");
  o.charset = mime::charset_name(g.charset);
  if (o.charset.empty())
    return bad_value("--charset", "the name of a character set (such as windows-1252, ISO-8859-15 or UTF-16)",
                     g.charset);
  return std::nullopt;
}

// The words, colours and size, in the composer's terms.
std::optional<Refusal> take_values(const Given& g, Options& o) {
  for (const WordOption& w : kWordOptions) {
    const std::string& given = g.*w.given;
    if (given.empty()) continue;
    const auto choice = w.choose(given);
    if (!choice) return bad_value(w.name, w.takes, given);
    o.*w.value = *choice;
  }
  for (const ColorOption& c : kColorOptions) {
    const std::string& given = g.*c.given;
    if (given.empty()) continue;
    const auto color = parse_color(given);
    if (!color) return bad_value(c.name, "a colour #RRGGBB", given);
    o.*c.value = *color;
  }
  if (!g.font_size.empty()) {
    const bool digit = g.font_size.size() == 1 && g.font_size[0] >= '0' + kSmallestFontSize &&
                       g.font_size[0] <= '0' + kLargestFontSize;
    if (!digit) return bad_value("--font-size", "a number from 1 to 7", g.font_size);
    o.font_size = g.font_size[0] - '0';
  }
  o.body_file = !g.html_file.empty() ? g.html_file : !g.markdown_file.empty() ? g.markdown_file : g.text_file;
  o.html = !g.html_file.empty();
  o.markdown = !g.markdown_file.empty();
  if (auto refusal = body_charset(g, o)) return refusal;
  o.attachments.insert(o.attachments.end(), g.files.begin(), g.files.end());
  return std::nullopt;
}

// The address options, each with the lists it was given.
struct AddressOption {
  std::string_view name;
  std::vector<std::string> Options::*lists;
};
constexpr AddressOption kAddressOptions[] = {
    {"--to", &Options::to}, {"--cc", &Options::cc}, {"--bcc", &Options::bcc}, {"--reply-to", &Options::reply_to},
};

// The fields of the user's own, and the sender.
std::optional<Refusal> take_header_options(const Given& g, Options& o) {
  for (const std::string& given : g.headers) {
    app::HeaderField field;
    if (auto refusal = header_field(given, field)) return refusal;
    o.headers.push_back(std::move(field));
  }
  if (mime::split_addresses(o.from).size() > 1) return bad_value("--from", "one address", o.from);
  return std::nullopt;
}

std::optional<Refusal> check_all_addresses(const Options& o) {
  if (auto refusal = check_addresses("--from", {o.from})) return refusal;
  for (const AddressOption& a : kAddressOptions)
    if (auto refusal = check_addresses(a.name, o.*a.lists)) return refusal;
  return std::nullopt;
}

// Every option text must be UTF-8; the refusal names the first that is not.
std::optional<Refusal> check_utf8(const CLI::App& app) {
  for (const CLI::Option* option : app.get_options()) {
    for (const std::string& value : option->results()) {
      if (mime::first_invalid_utf8(value) == std::string_view::npos) continue;
      const std::string name = option->nonpositional() ? option->get_name() : "a file after the options";
      return Refusal{kExitDataError, "the value of " + name + " is not valid UTF-8"};
    }
  }
  return std::nullopt;
}

// The edit distance of two words: insertions, deletions, changes and
// swaps of two neighbours count one each.
size_t edit_distance(std::string_view a, std::string_view b) {
  std::vector<std::vector<size_t>> d(a.size() + 1, std::vector<size_t>(b.size() + 1));
  for (size_t i = 0; i <= a.size(); ++i) d[i][0] = i;
  for (size_t j = 0; j <= b.size(); ++j) d[0][j] = j;
  for (size_t i = 1; i <= a.size(); ++i) {
    for (size_t j = 1; j <= b.size(); ++j) {
      d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + (a[i - 1] != b[j - 1])});
      if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1])
        d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
    }
  }
  return d[a.size()][b.size()];
}

// For a long option that the parser did not know, the nearest one it
// knows, when it is near enough to be the one meant: a third of the typed
// name may be wrong (one letter at least). The first of equals wins.
std::optional<std::string> nearest_option(const CLI::App& app, std::string_view typed) {
  std::optional<std::string> nearest;
  size_t best = std::max<size_t>(1, typed.size() / 3) + 1;
  for (const CLI::Option* option : app.get_options()) {
    for (const std::string& name : option->get_lnames()) {
      const size_t distance = edit_distance(typed, name);
      if (distance < best) {
        best = distance;
        nearest = "--" + name;
      }
    }
  }
  return nearest;
}

// An unknown long option named with the one it was most likely meant to be.
std::optional<Refusal> suggest_option(const CLI::App& app) {
  for (const std::string& word : app.remaining()) {
    if (word.size() < 3 || word.compare(0, 2, "--") != 0) continue;
    const std::string_view typed = std::string_view(word).substr(2, word.find('=') - 2);
    if (const auto nearest = nearest_option(app, typed))
      return usage("unknown option '--" + std::string(typed) + "' (did you mean '" + *nearest + "'?)");
  }
  return std::nullopt;
}

// A name an attachment can go by: a file's name, without a folder.
bool file_name(std::string_view name) {
  if (name.empty() || name == "." || name == "..") return false;
  return std::none_of(name.begin(), name.end(), [](char c) {
    return c == '/' || c == '\\' || static_cast<unsigned char>(c) < 0x20 || c == 0x7F;
  });
}

// The names of --name, each given to the attachment that follows it on the
// command line (an -a or a file after the options); standard input, which
// has none of its own, needs one, and is read once only.
std::optional<Refusal> take_attachment_names(const CLI::App& app, const Given& g, Options& o) {
  const CLI::Option* const name_option = app.get_option("--name");
  const CLI::Option* const attach_option = app.get_option("--attach");
  std::vector<std::string> attached, after;  // the names of -a's, of the files after the options
  const std::string* pending = nullptr;
  size_t next_name = 0;
  for (const CLI::Option* option : app.parse_order()) {
    if (option == name_option) {
      if (pending != nullptr) break;
      pending = &g.names[next_name++];
      if (!file_name(*pending)) return bad_value("--name", "a file name without a folder", *pending);
    } else if (option == attach_option || option->get_name() == "files") {
      (option == attach_option ? attached : after).push_back(pending != nullptr ? *pending : std::string());
      pending = nullptr;
    }
  }
  if (pending != nullptr)
    return usage("--name '" + *pending + "' names no attachment: give it just before -a FILE or a file to attach");
  o.attachment_names = std::move(attached);
  o.attachment_names.insert(o.attachment_names.end(), after.begin(), after.end());
  int from_input = o.body_file == kStandardInput;
  for (size_t i = 0; i < o.attachments.size(); ++i) {
    if (o.attachments[i] != kStandardInput) continue;
    if (o.attachment_names[i].empty())
      return usage("the attachment from standard input (-a -) needs a name: give --name NAME just before it");
    if (++from_input > 1) return usage("standard input can be the body or one attachment, not more");
  }
  return std::nullopt;
}

// Parses `argv` into `options` and `given`, unchecked.
std::optional<Refusal> parse_arguments(CLI::App& app, int argc, const char* const* argv, Options& options,
                                       Given& given) {
  declare(app, options, given);
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    if (dynamic_cast<const CLI::ExtrasError*>(&e) != nullptr)
      if (auto suggestion = suggest_option(app)) return suggestion;
    std::string message = e.what();
    for (char& c : message)
      if (c == '\n') c = ' ';
    return usage(message);
  }
  return std::nullopt;
}

// The checks and conversions of everything but the draft's name.
std::optional<Refusal> take_checked(const Given& given, Options& options) {
  if (auto refusal = take_header_options(given, options)) return refusal;
  if (auto refusal = take_values(given, options)) return refusal;
  return check_all_addresses(options);
}

// The options that style the page of a text, and the file of defaults may give.
constexpr std::string_view kPageOptions[] = {"--background", "--font", "--font-color", "--font-size"};

// The options that the file of defaults may give.
const std::vector<std::string_view> kDefaultOptions = {"from",       "reply-to",    "header",       "background",
                                                       "font",       "font-color",  "font-colour",  "font-size",
                                                       "signature"};

// One option of the file, as the command line would give it, checked alone.
std::optional<Refusal> check_default(const std::string& option) {
  CLI::App app{"msgmake"};
  Options options;
  Given given;
  const char* const argv[] = {"msgmake", option.c_str()};
  if (auto refusal = parse_arguments(app, 2, argv, options, given)) return refusal;
  if (auto refusal = check_utf8(app)) return refusal;
  return take_checked(given, options);
}

// Whether a --header of the command line gives the field that `option`
// (the file's) gives.
bool header_given(const Given& given, const std::string& option) {
  app::HeaderField field;
  header_field(option, field);  // checked already
  return std::any_of(given.headers.begin(), given.headers.end(), [&field](const std::string& other) {
    app::HeaderField mine;
    return !header_field(other, mine) && mime::lower_ascii(mine.name) == mime::lower_ascii(field.name);
  });
}

// The file's options, each checked, as words of the command line: those
// that the command line (parsed into `app` and `given`) does not give.
std::optional<Refusal> take_defaults(const CLI::App& app, const Given& given, std::vector<std::string>& words) {
  const std::string path = defaults_path();
  if (path.empty()) return std::nullopt;
  std::vector<DefaultOption> found;
  if (auto refusal = read_defaults(path, kDefaultOptions, found)) return refusal;
  for (const DefaultOption& option : found) {
    if (auto refusal = check_default("--" + option.name + "=" + option.value))
      return refuse_line(path, option.line, refusal->message);
    const bool header = option.name == "header";
    if (header ? header_given(given, option.value) : app.count("--" + option.name) > 0) continue;
    words.push_back("--" + option.name + "=" + option.value);
  }
  return std::nullopt;
}

}  // namespace

std::optional<int32_t> parse_color(std::string_view text) {
  if (text.size() != 7 || text[0] != '#') return std::nullopt;
  int32_t rgb[3] = {};
  for (int i = 0; i < 3; ++i) {
    const int high = hex_digit(text[1 + 2 * i]), low = hex_digit(text[2 + 2 * i]);
    if (high < 0 || low < 0) return std::nullopt;
    rgb[i] = high * 16 + low;
  }
  return rgb[0] + 256 * rgb[1] + 65536 * rgb[2];
}

std::optional<std::string> loop_choice(std::string_view word) { return choose(kLoopChoices, word); }
std::optional<std::string> priority_choice(std::string_view word) { return choose(kPriorityChoices, word); }

std::optional<Refusal> parse_options(int argc, const char* const* argv, Options& options) {
  std::vector<std::string> defaults;
  bool page_given = false;
  {
    CLI::App app{"msgmake"};
    Given given;
    if (auto refusal = parse_arguments(app, argc, argv, options, given)) return refusal;
    if (options.help || options.version) return std::nullopt;
    page_given = std::any_of(std::begin(kPageOptions), std::end(kPageOptions),
                             [&app](std::string_view name) { return app.count(std::string(name)) > 0; });
    if (!options.no_config)
      if (auto refusal = take_defaults(app, given, defaults)) return refusal;
  }
  // The file's options come first, so that the command line's follow them
  // (and win where only one counts); none can end the options as "--" would.
  std::vector<const char*> merged = {argv[0]};
  for (const std::string& option : defaults) merged.push_back(option.c_str());
  merged.insert(merged.end(), argv + 1, argv + argc);
  options = Options{};
  options.page_given = page_given;
  CLI::App app{"msgmake"};
  Given given;
  if (auto refusal = parse_arguments(app, int(merged.size()), merged.data(), options, given)) return refusal;
  if (auto refusal = check_utf8(app)) return refusal;
  if (options.output.empty()) return usage("the draft to write is missing: give -o FILE");
  if (options.output.find_first_not_of(' ') == std::string::npos)
    return usage("the draft to write, -o '" + options.output + "', is a name of blanks only");
  if (options.open && options.output == kStandardOutput)
    return usage("--open needs a draft in a file: it cannot open one written to standard output (-o -)");
  if (options.json && options.output == kStandardOutput)
    return usage("--json needs a draft in a file: standard output (-o -) holds the draft itself");
  if (auto refusal = take_checked(given, options)) return refusal;
  return take_attachment_names(app, given, options);
}

}  // namespace cli
