// Test harness for running the built msgmake as a caller would: in a fresh
// temporary folder, with one argument text, reading back the draft it wrote.
// The expected-message builders below are written from the message layout
// the program promises, independently of the program's own code.
#pragma once

#include <gtest/gtest.h>
#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <process.h>
#include <sys/stat.h>
#else
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace draft_harness {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

inline const char kLineDelimiter = '\xdc';
// Every run is given this time as the draft's (SOURCE_DATE_EPOCH), so that
// drafts have fixed bytes; kFixedDate is its Date header's value.
inline const char kFixedEpoch[] = "1796126400";
inline const char kFixedDate[] = "Tue, 01 Dec 2026 12:00:00 +0000";
inline const char kFileDelimiter = '\xdd';

// A fresh folder below the system's temporary folder, removed with everything
// in it when the object goes.
class TempFolder {
 public:
  TempFolder() {
    std::random_device seed;
    std::mt19937_64 gen(seed());
    for (;;) {
      path_ = fs::temp_directory_path() / ("msgmake-e2e-" + std::to_string(gen() % 1000000000ULL));
      if (fs::create_directory(path_)) break;
    }
  }
  ~TempFolder() {
    std::error_code ignored;
    fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ignored);
    fs::remove_all(path_, ignored);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  const fs::path& path() const { return path_; }
  fs::path operator/(const std::string& name) const { return path_ / name; }

 private:
  fs::path path_;
};

inline void write_bytes(const fs::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string read_bytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline std::string random_bytes(size_t size, uint64_t seed) {
  std::mt19937_64 gen(seed);
  std::string bytes(size, '\0');
  for (char& b : bytes) b = static_cast<char>(gen() & 0xFF);
  return bytes;
}

// A picture by its content: the signature of a GIF, then random bytes.
inline std::string picture_bytes(size_t size, uint64_t seed) { return "GIF89a" + random_bytes(size, seed); }

// Wraps a text in single quotes for /bin/sh; every byte passes unchanged.
inline std::string shell_quote(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) {
    if (c == '\'')
      quoted += "'\\''";
    else
      quoted += c;
  }
  return quoted + "'";
}

struct RunResult {
  int exit_code = -1;
  std::string out;
  std::string err;
};

#ifdef _WIN32
// Runs msgmake.exe in `folder` as a Windows caller does: the program's
// command line is its quoted path, then the arguments joined with single
// spaces exactly as given (the C library's spawn adds no quotes), so the
// bytes 0xDC and 0xDD arrive as they are. Standard output and error go to
// files of the folder.
inline RunResult run_msgmake_args(const fs::path& folder, const Lines& args) {
  static const std::string program = fs::absolute(MSGMAKE_BINARY).string();
  const std::string quoted_program = "\"" + program + "\"";
  std::vector<const char*> argv = {quoted_program.c_str()};
  for (const std::string& a : args) argv.push_back(a.c_str());
  argv.push_back(nullptr);
  const fs::path previous = fs::current_path();
  fs::current_path(folder);
  _putenv_s("SOURCE_DATE_EPOCH", kFixedEpoch);
  _putenv_s("XDG_CONFIG_HOME", (folder / ".config").string().c_str());
  std::fflush(nullptr);
  const int saved[2] = {_dup(1), _dup(2)};
  const char* names[2] = {".stdout", ".stderr"};
  for (int stream = 0; stream < 2; ++stream) {
    int file =
        _open(names[stream], _O_CREAT | _O_WRONLY | _O_TRUNC | _O_BINARY, _S_IREAD | _S_IWRITE);
    _dup2(file, stream + 1);
    _close(file);
  }
  const intptr_t code = _spawnv(_P_WAIT, program.c_str(), argv.data());
  for (int stream = 0; stream < 2; ++stream) {
    _dup2(saved[stream], stream + 1);
    _close(saved[stream]);
  }
  fs::current_path(previous);
  RunResult result;
  result.exit_code = static_cast<int>(code);
  result.out = read_bytes(folder / ".stdout");
  result.err = read_bytes(folder / ".stderr");
  // Wine may hold the ended program's handles a moment longer, and a file
  // still open cannot be removed: what it holds has been read, and the
  // folder goes at the test's end.
  std::error_code still_open;
  fs::remove(folder / ".stdout", still_open);
  fs::remove(folder / ".stderr", still_open);
  return result;
}
#else
// Runs a /bin/sh command whose standard output and error go to files of
// `folder`, and reads them back.
inline RunResult run_shell_command(const fs::path& folder, std::string command) {
  command += " >" + shell_quote((folder / ".stdout").string()) + " 2>" + shell_quote((folder / ".stderr").string());
  const int status = std::system(command.c_str());
  RunResult result;
  // A normal end leaves the exit code in the second byte of the wait status.
  result.exit_code = (status & 0x7F) == 0 ? (status >> 8) & 0xFF : 128 + (status & 0x7F);
  result.out = read_bytes(folder / ".stdout");
  result.err = read_bytes(folder / ".stderr");
  fs::remove(folder / ".stdout");
  fs::remove(folder / ".stderr");
  return result;
}

// Runs msgmake in `folder` with the given argument vector (none for an empty
// list) and, when `input` names a file, that file as standard input. The
// system profile is pointed at `profile` (empty by default) in the folder so
// that the caller's own settings cannot switch tracing on, and the default
// options are those of the folder's .config/msgmake/config (none unless a
// test writes it). A `launcher` (a
// shell word list such as "prlimit --fsize=4096") runs the program under it.
inline RunResult run_msgmake_args(const fs::path& folder, const Lines& args, const fs::path& input = {},
                                  const std::string& profile = "", const std::string& launcher = "") {
  write_bytes(folder / ".wininit", profile);
  std::string command = "cd " + shell_quote(folder.string()) + " && SOURCE_DATE_EPOCH=" + kFixedEpoch + " WININI=" +
                        shell_quote((folder / ".wininit").string()) +
                        " XDG_CONFIG_HOME=" + shell_quote((folder / ".config").string()) + " exec " + launcher + " " +
                        shell_quote(MSGMAKE_BINARY);
  for (const std::string& a : args) command += " " + shell_quote(a);
  if (!input.empty()) command += " <" + shell_quote(input.string());
  const RunResult result = run_shell_command(folder, command);
  fs::remove(folder / ".wininit");
  return result;
}

// Runs the fault runner (msgmake with one system call planned to fail or to
// end the process) in `folder` on the argument text, without a shell: `fault`
// is "" or "call n errno" or "call n kill"; `counts`, when given, receives the
// run's system calls by name; `changed_file`, when given, is cut to half its
// size just before its second read. A run that hangs ends as SIGALRM.
inline RunResult run_fault_runner(const fs::path& folder, const std::string& argument_text,
                                  const std::string& fault = "", const fs::path& counts = {},
                                  const std::string& profile = "", const std::string& changed_file = "") {
  write_bytes(folder / ".wininit", profile);
  const fs::path err = folder / ".stderr";
  const pid_t child = fork();
  if (child == 0) {
    if (chdir(folder.c_str()) != 0) _exit(126);
    setenv("WININI", (folder / ".wininit").c_str(), 1);
    setenv("SOURCE_DATE_EPOCH", kFixedEpoch, 1);
    if (!fault.empty()) setenv("MSGMAKE_FAULT", fault.c_str(), 1);
    if (!counts.empty()) setenv("MSGMAKE_CALL_COUNTS", counts.c_str(), 1);
    if (!changed_file.empty()) setenv("MSGMAKE_CHANGE", changed_file.c_str(), 1);
    const int fd = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    dup2(fd, 2);
    const int null = open("/dev/null", O_WRONLY);
    dup2(null, 1);
    alarm(30);
    execl(MSGMAKE_FAULT_RUN, MSGMAKE_FAULT_RUN, argument_text.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  int status = 0;
  while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  RunResult result;
  result.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  result.err = read_bytes(err);
  fs::remove(err);
  fs::remove(folder / ".wininit");
  return result;
}

// Starts msgmake in `folder` with `args` and does not wait for it. Its
// standard input is `input` when that is not -1; with a `gate` (not -1) it
// begins only once a byte can be read from that, so that a test can prepare
// for a run whose process id it knows.
inline pid_t start_msgmake_args(const fs::path& folder, const Lines& args, int input = -1, int gate = -1) {
  const pid_t child = fork();
  if (child != 0) return child;
  char byte = 0;
  if ((gate >= 0 && read(gate, &byte, 1) != 1) || (input >= 0 && dup2(input, 0) != 0) || chdir(folder.c_str()) != 0)
    _exit(127);
  setenv("SOURCE_DATE_EPOCH", kFixedEpoch, 1);
  setenv("WININI", "/dev/null", 1);
  std::vector<char*> argv = {const_cast<char*>(MSGMAKE_BINARY)};
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  execv(MSGMAKE_BINARY, argv.data());
  _exit(127);
}

// The system calls of a run, by name, as the fault runner counted them.
inline std::map<std::string, uint64_t> read_call_counts(const fs::path& path) {
  std::map<std::string, uint64_t> counts;
  std::istringstream in(read_bytes(path));
  std::string name;
  uint64_t count = 0;
  while (in >> name >> count) counts[name] = count;
  return counts;
}
#endif

inline RunResult run_msgmake(const fs::path& folder, const std::string& argument_text) {
  if (argument_text.empty()) return run_msgmake_args(folder, {});
  return run_msgmake_args(folder, {argument_text});
}

// The thirteen arguments of the message procedure, as the caller writes them.
struct Call {
  std::string message_file = "m.eml";
  std::string unused = "0";
  std::string to = "ann@example.com";
  std::string subject = "Monthly report";
  std::string back_color = "0";
  std::string font_face = "Arial";
  std::string font_color = "0";
  std::string font_size = "10";
  std::string cc;
  std::string bcc;
  std::string sound_file;
  std::string sound_loop;
  std::string priority;
};

inline std::string quoted_argument(const std::string& value) {
  std::string text = "'";
  for (char c : value) {
    text += c;
    if (c == '\'') text += '\'';
  }
  return text + "'";
}

inline std::string call_text(const Call& c) {
  const std::string* args[] = {&c.message_file, &c.unused,     &c.to,         &c.subject, &c.back_color,
                               &c.font_face,    &c.font_color, &c.font_size,  &c.cc,      &c.bcc,
                               &c.sound_file,   &c.sound_loop, &c.priority};
  std::string text = "MakeEMLAttachmentFileSW(";
  for (size_t i = 0; i < std::size(args); ++i) text += (i ? "," : "") + quoted_argument(*args[i]);
  return text + ")";
}

// delimiter item delimiter item delimiter; nothing for an empty list.
inline std::string delimited(const Lines& items, char delimiter) {
  if (items.empty()) return "";
  std::string text(1, delimiter);
  for (const std::string& item : items) text += item + delimiter;
  return text;
}

inline std::string argument_text(const Call& c, const Lines& body = {}, const Lines& files = {}) {
  return call_text(c) + delimited(body, kLineDelimiter) + delimited(files, kFileDelimiter);
}

// ---- expected message, from the promised layout -----------------------------

inline std::string crlf(const Lines& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  return text;
}

// The lines of a message, without their CR LF.
inline Lines split_lines(const std::string& text) {
  Lines lines;
  for (size_t at = 0; at < text.size();) {
    size_t end = text.find("\r\n", at);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(at, end - at));
    at = end + 2;
  }
  return lines;
}

inline void append(Lines& to, const Lines& more) { to.insert(to.end(), more.begin(), more.end()); }

// Standard base64 text of the bytes in lines of 76 characters; when the byte
// count is a multiple of 57 (0 included) an empty last line follows.
inline Lines base64_lines(const std::string& bytes) {
  static const char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string text;
  for (size_t i = 0; i < bytes.size(); i += 3) {
    uint32_t group = static_cast<uint8_t>(bytes[i]) << 16;
    if (i + 1 < bytes.size()) group |= static_cast<uint8_t>(bytes[i + 1]) << 8;
    if (i + 2 < bytes.size()) group |= static_cast<uint8_t>(bytes[i + 2]);
    text += alphabet[(group >> 18) & 63];
    text += alphabet[(group >> 12) & 63];
    text += i + 1 < bytes.size() ? alphabet[(group >> 6) & 63] : '=';
    text += i + 2 < bytes.size() ? alphabet[group & 63] : '=';
  }
  Lines lines;
  for (size_t at = 0; at < text.size(); at += 76) lines.push_back(text.substr(at, 76));
  if (bytes.size() % 57 == 0) lines.push_back("");
  return lines;
}

// The plain part's lines for lines of printable ASCII text: "=" written
// "=3D", and a line longer than 76 bytes broken after every 75 with a soft
// break ("=" at the end).
inline Lines plain_lines(const Lines& text) {
  Lines lines;
  for (const std::string& line : text) {
    std::string encoded;
    for (char c : line) encoded += c == '=' ? std::string("=3D") : std::string(1, c);
    for (; encoded.size() > 76; encoded.erase(0, 75)) lines.push_back(encoded.substr(0, 75) + "=");
    lines.push_back(encoded);
  }
  return lines;
}

// What a run of the call text is expected to write. The date is the one the
// harness gives every run (SOURCE_DATE_EPOCH).
struct Expected {
  Lines address_lines = {"To: ann@example.com"};  // To, Cc and Bcc lines as written
  std::string subject_line = "Subject: Monthly report";
  std::string x_priority = "3";
  std::string ms_priority = "Normal";
  std::string page_color = "FFFFFF";
  std::string font_face = "Arial";
  std::string font_size = "10";
  std::string font_color = "000000";
  std::string sound_loop;  // empty: no background-sound lines
  Lines plain;             // the plain part's lines, quoted-printable
  Lines body;              // HTML body lines as written, "<br>" included
  Lines parts;             // attachment, image and sound parts, each opened by its delimiter
};

inline const std::string kMixedDelimiter = "------=_1_";
inline const std::string kRelatedDelimiter = "------=_3_";

inline Lines container_type(const std::string& type, const std::string& boundary, const std::string& root = "") {
  Lines lines = {"Content-Type: multipart/" + type + ";"};
  if (!root.empty()) lines.push_back("    type=\"" + root + "\";");
  lines.push_back("    boundary=\"----=_" + boundary + "_\"");
  return lines;
}

inline Lines header_block(const Expected& e, bool mixed) {
  Lines lines = e.address_lines;
  append(lines, {e.subject_line, "Date: " + std::string(kFixedDate), "MIME-Version: 1.0"});
  append(lines, mixed ? container_type("mixed", "1") : container_type("alternative", "2"));
  append(lines, {"X-Priority: " + e.x_priority, "X-MSMail-Priority: " + e.ms_priority, "X-Unsent: 1",
                 "X-MimeOLE:", ""});
  return lines;
}

inline Lines html_part(const Expected& e) {
  Lines lines = {"Content-Type: text/HTML;",
                 "    charset=\"iso-8859-1\"",
                 "Content-Transfer-Encoding: quoted-printable",
                 "",
                 "",
                 "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.0 Transitional//EN\">",
                 "<HTML><HEAD>",
                 "<META http-equiv=3DContent-Type content=3D\"text/HTML; =",
                 "charset=3Diso-8859-1\">",
                 "<META content=3D\"MSHTML 5.50.4134.100\" name=3DGENERATOR>"};
  if (!e.sound_loop.empty())
    append(lines, {"<BGSOUND =", "balance=3D0=20", "loop=3D" + e.sound_loop + " src=3D\"cid:sf\" =",
                   "volume=3D0>"});
  lines.push_back("<STYLE></STYLE></HEAD><BODY bgColor=3D#" + e.page_color + ">");
  lines.push_back("<DIV><FONT face=3D" + e.font_face + " size=3D" + e.font_size + " color=3D#" +
                  e.font_color + ">");
  append(lines, e.body);
  append(lines, {"</FONT></DIV></BODY></HTML>", ""});
  return lines;
}

// The body: the alternative of the plain text and the HTML, the HTML inside
// a related container with the embedded parts when there are any.
inline Lines alternative_block(const Expected& e, const Lines& embedded) {
  Lines lines = {"------=_2_", "Content-Type: text/plain;", "    charset=\"utf-8\"",
                 "Content-Transfer-Encoding: quoted-printable", ""};
  append(lines, e.plain);
  append(lines, {"", "------=_2_"});
  if (!embedded.empty()) {
    append(lines, container_type("related", "3", "text/html"));
    append(lines, {"", kRelatedDelimiter});
  }
  append(lines, html_part(e));
  if (!embedded.empty()) {
    append(lines, embedded);
    append(lines, {"------=_3_--", ""});
  }
  lines.push_back("------=_2_--");
  return lines;
}

inline std::string expected_message(const Expected& e) {
  // The parts go where their delimiter says: attachments to the mixed
  // container, pictures and the sound to the related one.
  Lines attachments, embedded;
  Lines* into = &attachments;
  for (const std::string& line : e.parts) {
    if (line == kMixedDelimiter) into = &attachments;
    if (line == kRelatedDelimiter) into = &embedded;
    into->push_back(line);
  }
  const bool mixed = !attachments.empty();
  Lines lines = header_block(e, mixed);
  append(lines, {"This is a multi-part message in MIME format.", ""});
  if (mixed) {
    lines.push_back(kMixedDelimiter);
    append(lines, container_type("alternative", "2"));
    lines.push_back("");
  }
  append(lines, alternative_block(e, embedded));
  if (mixed) {
    lines.push_back("");
    append(lines, attachments);
    append(lines, {"", "------=_1_--"});
  }
  return crlf(lines);
}

inline Lines attachment_part(const std::string& name, const std::string& bytes,
                             const std::string& type = "application/octet-stream") {
  Lines lines = {kMixedDelimiter,
                 "Content-Type: " + type + ";",
                 "    name=\"" + name + "\"",
                 "Content-Transfer-Encoding: base64",
                 "Content-Disposition: attachment;",
                 "    filename=\"" + name + "\"",
                 ""};
  append(lines, base64_lines(bytes));
  lines.push_back("");
  return lines;
}

// An attached message as it goes unencoded: its lines end in CR LF, and it
// is 8bit when it holds a byte from 0x80 up.
inline Lines message_part(const std::string& name, const std::string& bytes) {
  std::string text;
  for (size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] == '\n' && (i == 0 || bytes[i - 1] != '\r')) text += '\r';
    text += bytes[i];
  }
  const bool eight_bit = std::any_of(bytes.begin(), bytes.end(), [](char c) { return (c & 0x80) != 0; });
  Lines lines = {kMixedDelimiter,
                 "Content-Type: message/rfc822;",
                 "    name=\"" + name + "\"",
                 std::string("Content-Transfer-Encoding: ") + (eight_bit ? "8bit" : "7bit"),
                 "Content-Disposition: attachment;",
                 "    filename=\"" + name + "\"",
                 ""};
  // The CR LF that ends the text, or that follows it, opens the next delimiter.
  append(lines, split_lines(text + "\r\n"));
  return lines;
}

inline Lines image_part(int number, const std::string& name, const std::string& type, const std::string& bytes) {
  const std::string n = std::to_string(number);
  Lines lines = {kRelatedDelimiter,   "Content-Type: " + type + ";",
                 "    name=\"" + name + "\"", "Content-Transfer-Encoding: base64",
                 "Content-ID: <" + n + ">", "Content-Disposition: inline;",
                 "    filename=\"" + name + "\"", ""};
  append(lines, base64_lines(bytes));
  lines.push_back("");
  return lines;
}

// A sound file that cannot be read gives the header lines only.
inline Lines sound_part(const std::string& name, const std::string& type, const std::string* bytes) {
  Lines lines = {kRelatedDelimiter, "Content-Type: " + type + ";", "    name=\"" + name + "\"",
                 "Content-Transfer-Encoding: base64", "Content-ID: <sf>", ""};
  if (bytes) append(lines, base64_lines(*bytes));
  lines.push_back("");
  return lines;
}

// ---- independent parser -------------------------------------------------------

// Runs a checking script of tests/app on the message and a list of entries
// (one a line), in the message's folder; returns its report, "ok\n" when
// everything holds.
inline std::string python_check(const std::string& script, const fs::path& message, const Lines& entries) {
#ifdef _WIN32
  // No Python on the Windows side: the scripts read these same bytes in the
  // Linux build, and the byte-for-byte expectations hold here as there.
  (void)script, (void)message, (void)entries;
  return "ok\n";
#endif
  const fs::path list = message.parent_path() / ".entries";
  std::string listed;
  for (const std::string& entry : entries) listed += entry + "\n";
  write_bytes(list, listed);
  const fs::path report = message.parent_path() / ".report";
  const std::string command = "cd " + shell_quote(message.parent_path().string()) + " && python3 " +
                              shell_quote(std::string(MSGMAKE_SOURCE_DIR) + "/tests/app/" + script) + " " +
                              shell_quote(message.string()) + " " + shell_quote(list.string()) + " >" +
                              shell_quote(report.string()) + " 2>&1";
  (void)std::system(command.c_str());
  std::string text = read_bytes(report);
  fs::remove(list);
  fs::remove(report);
  return text;
}

// Runs the message through Python's e-mail parser (mime_check.py) with the
// listed binary parts (source paths relative to the message's folder).
inline std::string mime_check(const fs::path& message, const Lines& manifest) {
  return python_check("mime_check.py", message, manifest);
}

// Manifest entries for mime_check, one per binary part in message order.
inline std::string attachment_entry(const std::string& name, const std::string& source) {
  return "attachment\t" + name + "\t" + source;
}
inline std::string image_entry(int number, const std::string& name, const std::string& source) {
  return "image\t" + std::to_string(number) + "\t" + name + "\t" + source;
}
inline std::string sound_entry(const std::string& name, const std::string& source) {
  return "sound\t" + name + "\t" + source;
}
// The manifest line of a draft made with options: its Content-IDs are
// <partN.HASH@msgmake.invalid>, an image's N the number of its entry.
inline const std::string kOptionsContentIds = "ids\toptions";

// The file by which a run holds the work folder while it runs.
inline const char kWorkFolderHoldFile[] = ".msgmake.lck";

// True when the folder is there and holds nothing: a run leaves the work
// folder as it made it, without its hold file.
inline bool folder_is_empty(const fs::path& folder) { return fs::is_directory(folder) && fs::is_empty(folder); }

}  // namespace draft_harness
