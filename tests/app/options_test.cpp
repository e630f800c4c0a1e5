// msgmake driven by options, end to end: the built program run as a person or
// a script would run it, each draft read back by Python's e-mail parser.
#include <algorithm>
#include <set>

#include "tests/app/draft_harness.h"

using namespace draft_harness;

namespace {

// Runs render_check.py on the message with the expected subject, addresses
// and rendered lines (tab-separated entries); "ok\n" when all hold.
std::string render_check(const fs::path& message, const Lines& entries) {
  return python_check("render_check.py", message, entries);
}

std::string text_file(const Lines& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  return text;
}

void expect_written(const RunResult& run) {
  EXPECT_EQ(run.exit_code, 0) << run.err;
  EXPECT_EQ(run.err, "");
}

TEST(options_test, text_body_and_headers_read_back_as_typed) {
  TempFolder dir;
  const Lines body = {"Dear <Ann> & \"Bob\", it's done.", "Gr\xC3\xBC\xC3\x9F" "e aus K\xC3\xB6ln \xE2\x80\x94 12 \xE2\x82\xAC ",
                      "\xE4\xB8\xAD\xE6\x96\x87 and \xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E", "",
                      "\tno picture: <img src=\"logo.gif\">"};
  write_bytes(dir / "body.txt", "\xEF\xBB\xBF" + text_file(body));  // a byte-order mark first
  write_bytes(dir / "logo.gif", picture_bytes(300, 1));
  write_bytes(dir / "a.csv", "x,y\n1,2\n");
  write_bytes(dir / "b.pdf", random_bytes(1000, 2));
  const std::string subject = "Gr\xC3\xBC\xC3\x9F" "e \xE2\x80\x94 \xE4\xB8\xAD\xE6\x96\x87 report";
  const RunResult run = run_msgmake_args(
      dir.path(), {"-o", "m.eml", "-t", "J\xC3\xB6rg M\xC3\xBCller <j@example.com>", "--to",
                   "ann@example.com, \"Doe, John\" <jd@example.org>", "--cc=Zo\xC3\xAB <z@example.com>", "-s", subject,
                   "--text", "body.txt", "-i", "logo.gif", "a.csv", "b.pdf"});
  expect_written(run);
  Lines expected = {"subject\t" + subject, "to\tJ\xC3\xB6rg M\xC3\xBCller\tj@example.com", "to\t\tann@example.com",
                    "to\tDoe, John\tjd@example.org", "cc\tZo\xC3\xAB\tz@example.com"};
  append(expected, {"plain\tbody.txt", "shown\tbody.txt"});
  EXPECT_EQ(render_check(dir / "m.eml", expected), "ok\n");
  EXPECT_EQ(mime_check(dir / "m.eml", {attachment_entry("a.csv", "a.csv"), attachment_entry("b.pdf", "b.pdf"),
                                        image_entry(1, "logo.gif", "logo.gif"), kOptionsContentIds}),
            "ok\n");
}

// The names of the header block's fields, in order.
Lines field_names(const std::string& message) {
  Lines names;
  for (const std::string& line : split_lines(message.substr(0, message.find("\r\n\r\n")))) {
    if (!line.empty() && line[0] != ' ' && line[0] != '\t') names.push_back(line.substr(0, line.find(':')));
  }
  return names;
}

TEST(options_test, sender_and_fields_of_ones_own_read_back_after_the_subject) {
  TempFolder dir;
  const std::string long_value = "tracked " + std::string(30, 'x') + " \xE4\xB8\xAD\xE6\x96\x87 and more words to fold";
  expect_written(run_msgmake_args(
      dir.path(), {"-o", "m.eml", "-t", "ann@example.com", "-s", "Hi", "--from", "J\xC3\xB6rg M\xC3\xBCller <j@example.de>",
                   "--reply-to", "team@example.com, \"Doe, John\" <jd@example.org>", "--header", "X-Tracking: 42",
                   "--header", "Organization:  Gr\xC3\xBC\xC3\x9F" "e & Co ", "--header", "X-Long: " + long_value + long_value,
                   "--header", "Comments: line\r\nBcc: evil@example.com"}));
  EXPECT_EQ(render_check(dir / "m.eml", {"from\tJ\xC3\xB6rg M\xC3\xBCller\tj@example.de", "reply-to\t\tteam@example.com",
                                         "reply-to\tDoe, John\tjd@example.org", "header\tX-Tracking\t42",
                                         "header\tOrganization\tGr\xC3\xBC\xC3\x9F" "e & Co",
                                         "header\tX-Long\t" + long_value + long_value}),
            "ok\n");
  const std::string message = read_bytes(dir / "m.eml");
  const Lines names = field_names(message);
  const Lines after_subject = {"Subject", "From", "Reply-To", "X-Tracking", "Organization", "X-Long", "Comments", "Date"};
  const auto subject = std::find(names.begin(), names.end(), "Subject");
  ASSERT_GE(names.end() - subject, std::ssize(after_subject)) << message;
  EXPECT_EQ(Lines(subject, subject + std::ssize(after_subject)), after_subject);
  // A line end in a value cannot start a field of its own.
  EXPECT_EQ(std::count(names.begin(), names.end(), "Bcc"), 0) << message;
  for (const std::string& line : split_lines(message)) EXPECT_LE(line.size(), 78u) << line;
}

// Headers of any length are folded, never refused: a subject of 500 Chinese
// characters reads back exactly.
TEST(options_test, long_headers_are_folded_and_read_back_exactly) {
  TempFolder dir;
  std::string subject;
  for (int i = 0; i < 500; ++i) subject += "\xE4\xB8\xAD";
  expect_written(run_msgmake_args(dir.path(), {"-o", "m.eml", "-s", subject, "-t", "Zo\xC3\xAB <z@example.com>"}));
  EXPECT_EQ(render_check(dir / "m.eml", {"subject\t" + subject, "to\tZo\xC3\xAB\tz@example.com"}), "ok\n");
  for (const std::string& line : split_lines(read_bytes(dir / "m.eml"))) EXPECT_LE(line.size(), 78u) << line;
}

// A display name beyond ASCII of any length folds over encoded-words, a
// domain beyond ASCII is written as A-labels, a long file name beyond ASCII
// keeps its blanks and quotes whole and a long media type folds; both
// parsers read them back.
TEST(options_test, long_names_and_domains_beyond_ascii_read_back) {
  TempFolder dir;
  std::string display;
  for (int i = 0; i < 30; ++i) display += "J\xC3\xB6rg M\xC3\xBCller ";
  display += "Jr";
  std::string file;
  for (int i = 0; i < 8; ++i) file += "\xC3\xA9";
  file += "a ";
  for (int i = 0; i < 20; ++i) file += "\xC3\xA9";
  write_bytes(dir / file, "data");
  write_bytes(dir / "sheet.xlsx", "PK");  // a media type of 65 bytes
  expect_written(run_msgmake_args(dir.path(), {"-o", "m.eml", "-t", "\"" + display + "\" <j@m\xC3\xBCnchen.example>",
                                               "-c", "ann@b\xC3\xBC" "cher.example", file, "sheet.xlsx"}));
  // Decoded as the standard says: the blank between two encoded-words goes.
  const auto hex = [](const std::string& text) {
    std::string out;
    for (unsigned char c : text) out += "0123456789abcdef"[c >> 4], out += "0123456789abcdef"[c & 15];
    return out;
  };
  EXPECT_EQ(python_check("../mime/header_check.py", dir / "m.eml",
                         {"address\tTo\t" + hex(display) + "\t" + hex("j@xn--mnchen-3ya.example"),
                          "address\tCc\t\t" + hex("ann@xn--bcher-kva.example")}),
            "ok\n");
  EXPECT_EQ(mime_check(dir / "m.eml", {attachment_entry(file, file), attachment_entry("sheet.xlsx", "sheet.xlsx")}),
            "ok\n");
  const std::string draft = read_bytes(dir / "m.eml");
  EXPECT_TRUE(std::all_of(draft.begin(), draft.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; }));
  for (const std::string& line : split_lines(draft)) EXPECT_LE(line.size(), 78u) << line;
}

// Runs a bash command line in the folder, with $MSGMAKE naming the program.
RunResult run_bash(const fs::path& folder, const std::string& command_line) {
  return run_shell_command(folder, "cd " + shell_quote(folder.string()) + " && SOURCE_DATE_EPOCH=" + kFixedEpoch +
                                       " WININI=none.ini XDG_CONFIG_HOME=.config MSGMAKE=" + shell_quote(MSGMAKE_BINARY) + " bash -c " +
                                       shell_quote(command_line));
}

// A body needs no file of its own: standard input, named as a file or not,
// a FIFO and a shell's process substitution are read to their end.
TEST(options_test, a_body_from_a_pipe_arrives_whole) {
  const std::string text = "through a pipe: caf\xC3\xA9 \xE4\xB8\xAD";
  const struct {
    const char* name;
    bool html;
    std::string command_line;
  } cases[] = {
      {"standard input", false, "printf '%s\\n' \"$TEXT\" | \"$MSGMAKE\" -o m.eml --text /dev/stdin"},
      {"standard input, html", true, "printf '<p>%s</p>\\n' \"$TEXT\" | \"$MSGMAKE\" -o m.eml --html /dev/stdin"},
      {"process substitution", false, "\"$MSGMAKE\" -o m.eml --text <(printf '%s\\n' \"$TEXT\")"},
      {"standard input, the draft to standard output", false,
       "printf '%s\\n' \"$TEXT\" | \"$MSGMAKE\" -o - --text - >m.eml"},
      {"a FIFO", false, "mkfifo body && { printf '%s\\n' \"$TEXT\" >body & } && \"$MSGMAKE\" -o m.eml --text body"},
  };
  for (const auto& c : cases) {
    TempFolder dir;
    const RunResult run = run_bash(dir.path(), "TEXT=" + shell_quote(text) + "; " + c.command_line);
    EXPECT_EQ(run.exit_code, 0) << c.name << ": " << run.err;
    EXPECT_EQ(run.err, "") << c.name;
    // The text, and the HTML as written.
    write_bytes(dir / "text.txt", text + "\n");
    write_bytes(dir / "page.html", "<p>" + text + "</p>\n");
    EXPECT_EQ(render_check(dir / "m.eml", {"plain\ttext.txt", c.html ? "html\tpage.html" : "textonly"}),
              "ok\n")
        << c.name;
  }
}

// An attachment needs no file of its own: standard input, a shell's process
// substitution or a FIFO is read once and kept, and typed by the name it goes
// by (its own, or the --name just before it) and by its content.
TEST(options_test, attachments_from_pipes_arrive_whole_under_their_names) {
  const struct {
    const char* name;
    std::string command_line;
    std::string entry;  // mime_check's: the name, the file of the part's bytes, the type
  } cases[] = {
      {"standard input", "cat sales.csv | \"$MSGMAKE\" -o m.eml --text body.txt --name report.csv -a -",
       "attachment\treport.csv\tsales.csv\ttext/csv"},
      {"standard input, binary", "\"$MSGMAKE\" -o m.eml --name=data.bin -a - <data.bin",
       "attachment\tdata.bin\tdata.bin\tapplication/octet-stream"},
      {"process substitution, typed by content", "\"$MSGMAKE\" -o m.eml --name log.txt -a <(cat sales.csv)",
       "attachment\tlog.txt\tsales.csv\ttext/plain"},
      {"a file after the options", "\"$MSGMAKE\" -o m.eml --text body.txt --name d.bin <(cat data.bin)",
       "attachment\td.bin\tdata.bin\tapplication/octet-stream"},
      {"a FIFO by its own name", "mkfifo pipe.csv && { cat sales.csv >pipe.csv & } && \"$MSGMAKE\" -o m.eml -a pipe.csv",
       "attachment\tpipe.csv\tsales.csv\ttext/csv"},
      {"a file renamed", "\"$MSGMAKE\" -o m.eml --name figures.csv sales.csv", "attachment\tfigures.csv\tsales.csv\ttext/csv"},
      {"the draft to standard output", "cat data.bin | \"$MSGMAKE\" -o - --name d.bin -a - >m.eml",
       "attachment\td.bin\tdata.bin\tapplication/octet-stream"},
  };
  for (const auto& c : cases) {
    TempFolder dir;
    write_bytes(dir / "body.txt", "text\n");
    write_bytes(dir / "sales.csv", "region,total\nnorth,12\n");
    write_bytes(dir / "data.bin", random_bytes(5000, 7) + std::string(1, '\0'));
    const RunResult run = run_bash(dir.path(), c.command_line);
    EXPECT_EQ(run.exit_code, 0) << c.name << ": " << run.err;
    EXPECT_EQ(run.err, "") << c.name;
    EXPECT_EQ(mime_check(dir / "m.eml", {c.entry}), "ok\n") << c.name;
  }
}

// Both forms of the command line make the same headers and binary parts:
// only the body's own parts differ, and what the options leave out or name
// their own way.
TEST(options_test, options_and_call_text_write_the_same_headers_and_parts) {
  TempFolder dir;
  write_bytes(dir / "body.txt", "Hello = team\n\ncaf\xC3\xA9\n");
  write_bytes(dir / "a.csv", "1,2\n");
  write_bytes(dir / "chime.wav", random_bytes(100, 4));
  expect_written(run_msgmake_args(
      dir.path(), {"-o", "options.eml", "-t", "ann@example.com,bob@example.com", "-s", "Sales", "--text", "body.txt",
                   "--sound", "chime.wav", "--loop", "twice", "-p", "HIGH", "--background", "#0080ff", "--font",
                   "Caf\xC3\xA9 Sans", "--font-color", "#800000", "--font-size", "2", "a.csv"}));
  Call call;
  call.message_file = "call.eml";
  call.to = "ann@example.com,bob@example.com";
  call.subject = "Sales";
  call.back_color = std::to_string(0x80 * 256 + 0xFF * 65536);
  call.font_face = "Caf\xE9 Sans";
  call.font_color = "128";
  call.font_size = "2";
  call.sound_file = "chime.wav";
  call.sound_loop = "Twice";
  call.priority = "High";
  expect_written(run_msgmake(dir.path(), argument_text(call, {"Hello =3D team", "", "caf=E9"}, {"a.csv"})));
  const std::string options = read_bytes(dir / "options.eml"), called = read_bytes(dir / "call.eml");
  // The headers up to the body's first part, and everything from the
  // related container's second part (the sound) on.
  const auto head = [](const std::string& m) { return m.substr(0, m.find("------=_2_\r\n")); };
  const auto tail = [](const std::string& m) {
    return m.substr(m.find("------=_3_\r\n", m.find("------=_3_\r\n") + 1));
  };
  // The options write no empty X-MimeOLE, and name the sound by a
  // Content-ID of their own.
  std::string called_head = head(called);
  called_head.erase(called_head.find("X-MimeOLE:\r\n"), 12);
  EXPECT_EQ(head(options), called_head);
  std::string options_tail = tail(options);
  const size_t id = options_tail.find("Content-ID: <") + 12;
  options_tail.replace(id, options_tail.find('>', id) + 1 - id, "<sf>");
  EXPECT_EQ(options_tail, tail(called));
  EXPECT_EQ(mime_check(dir / "options.eml", {attachment_entry("a.csv", "a.csv"), sound_entry("chime.wav", "chime.wav"),
                                              kOptionsContentIds}),
            "ok\n");
}

// The composer reads a page colour of 0 as "none given" and writes white, so
// black must still arrive as black.
TEST(options_test, a_black_page_stays_black) {
  TempFolder dir;
  write_bytes(dir / "body.html", "<p>x</p>\n");
  expect_written(run_msgmake_args(dir.path(), {"-o", "m.eml", "--background", "#000000", "--font-color", "#FFFFFF",
                                               "--html", "body.html"}));
  EXPECT_EQ(render_check(dir / "m.eml", {"style\tbackground-color: #000000; color: #FFFFFF;"}), "ok\n");
}

TEST(options_test, every_refusal_has_its_code_one_line_and_no_draft) {
  const struct {
    const char* name;
    Lines args;
    int exit_code;
    std::string says;
  } cases[] = {
      {"unknown option", {"--bogus"}, 64, "--bogus"},
      {"unknown option near one", {"--txt", "body.txt"}, 64, "unknown option '--txt' (did you mean '--text'?)"},
      {"missing value", {"-s"}, 64, "--subject"},
      {"bad loop", {"--loop", "often"}, 64, "--loop"},
      {"bad priority", {"-p", "urgent"}, 64, "--priority"},
      {"bad colour", {"--background", "red"}, 64, "--background"},
      {"bad size", {"--font-size", "9"}, 64, "--font-size"},
      {"text and html", {"--text", "body.txt", "--html", "body.txt"}, 64, "--html"},
      {"subject not UTF-8", {"-s", "caf\xE9"}, 65, "--subject"},
      {"body not UTF-8", {"--text", "latin1.txt"}, 65, "line 2 of 'latin1.txt' is not valid UTF-8"},
      {"font face too long once quoted", {"--font", std::string(40, '"')}, 65, "font face"},
      {"body file missing", {"--html", "none.html"}, 66, "cannot read body file 'none.html': File Not Found"},
      {"attachment missing", {"-a", "none.pdf"}, 66, "cannot read attachment 'none.pdf': File Not Found"},
      {"picture missing", {"-i", "none.gif"}, 66, "cannot read image 'none.gif': File Not Found"},
      {"draft unwritable", {"-o", "no/m.eml"}, 73, "cannot write message 'no/m.eml'"},
      {"address without a domain", {"-t", "ann@example.com, not an address"}, 65, "'not an address' of --to"},
      {"a field msgmake writes", {"--header", "Content-Type: text/plain"}, 64, "'Content-Type' header"},
      {"a body that is a folder", {"--text", "."}, 66, "cannot read body file '.': it is a folder, not a file"},
      {"an attachment that is a folder", {"-a", "folder"}, 66, "cannot read attachment 'folder': it is a folder"},
      {"a picture that is a folder", {"-i", "folder"}, 66, "cannot read image 'folder': it is a folder"},
      // The name fields would lose the space, and body.txt would be attached.
      {"a name ending in a space", {"body.txt "}, 65, "the file name 'body.txt ' ends in a space"},
      {"a name for no attachment", {"-a", "body.txt", "--name", "x.txt"}, 64, "--name 'x.txt' names no attachment"},
      {"a name with a folder", {"--name", "a/b.txt", "-a", "body.txt"}, 64, "--name takes a file name without a folder"},
      {"standard input without a name", {"-a", "-"}, 64, "(-a -) needs a name: give --name NAME just before it"},
      {"standard input twice", {"--text", "-", "--name", "a.txt", "-a", "-"}, 64,
       "standard input can be the body or one attachment"},
      {"signature missing", {"--signature", "none.txt"}, 66, "cannot read the signature 'none.txt': File Not Found"},
      {"signature not UTF-8", {"--signature", "latin1.txt"}, 65, "the signature 'latin1.txt' is not valid UTF-8"},
  };
  for (const auto& c : cases) {
    TempFolder dir;
    write_bytes(dir / "body.txt", "text\n");
    write_bytes(dir / "latin1.txt", "fine\ncaf\xE9\n");
    fs::create_directory(dir / "folder");
    Lines args = {"-o", "m.eml"};
    append(args, c.args);
    const RunResult run = run_msgmake_args(dir.path(), args);
    EXPECT_EQ(run.exit_code, c.exit_code) << c.name;
    EXPECT_EQ(run.err.rfind("msgmake: ", 0), 0u) << c.name << ": " << run.err;
    EXPECT_NE(run.err.find(c.says), std::string::npos) << c.name << ": " << run.err;
    EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << c.name << ": " << run.err;
    EXPECT_EQ(run.err.find("Try 'msgmake --help'.") != std::string::npos, c.exit_code == 64) << c.name;
    EXPECT_FALSE(fs::exists(dir / "m.eml")) << c.name;
  }
  TempFolder dir;
  const RunResult no_output = run_msgmake_args(dir.path(), {"-t", "ann@example.com"});
  EXPECT_EQ(no_output.exit_code, 64);
  EXPECT_NE(no_output.err.find("-o FILE"), std::string::npos) << no_output.err;
}

// A body read from standard input arrives whole or the run fails (66):
// standard input closed, or one that cannot be read, is no empty body.
TEST(options_test, standard_input_that_cannot_be_read_fails_the_run) {
  TempFolder dir;
  const Lines args = {"-o", "m.eml", "--text", "-"};
  const RunResult closed = run_msgmake_args(dir.path(), args, {}, "", "sh -c 'exec \"$0\" \"$@\" <&-'");
  EXPECT_EQ(closed.exit_code, 66);
  EXPECT_EQ(closed.err, "msgmake: cannot read the body from standard input: it is closed\n");
  fs::create_directory(dir / "folder");
  const RunResult unreadable = run_msgmake_args(dir.path(), args, dir / "folder");
  EXPECT_EQ(unreadable.exit_code, 66);
  EXPECT_EQ(unreadable.err.rfind("msgmake: cannot read the body from standard input: ", 0), 0u) << unreadable.err;
  EXPECT_FALSE(fs::exists(dir / "m.eml"));
  // An attachment from standard input too, taken before any file is opened.
  write_bytes(dir / "body.txt", "text\n");
  const RunResult attachment = run_msgmake_args(dir.path(), {"-o", "m.eml", "--text", "body.txt", "--name", "a.txt", "-a", "-"},
                                                {}, "", "sh -c 'exec \"$0\" \"$@\" <&-'");
  EXPECT_EQ(attachment.exit_code, 66);
  EXPECT_EQ(attachment.err, "msgmake: cannot read the attachment from standard input: it is closed\n");
  EXPECT_FALSE(fs::exists(dir / "m.eml"));
}

// A name is the file it names: a final period is part of it, so the message
// and the attachment are those files, and the files without it are left be.
TEST(options_test, a_name_with_a_final_period_names_that_file) {
  TempFolder dir;
  write_bytes(dir / "out.eml", "the message of another run");
  write_bytes(dir / "a", "not the attachment");
  write_bytes(dir / "a.", "the attachment");
  expect_written(run_msgmake_args(dir.path(), {"-o", "out.eml.", "a."}));
  EXPECT_EQ(read_bytes(dir / "out.eml"), "the message of another run");
  EXPECT_EQ(mime_check(dir / "out.eml.", {attachment_entry("a.", "a.")}), "ok\n");
}

// The default options are those of XDG_CONFIG_HOME/msgmake/config, which the
// harness puts in the test's own folder.
void write_defaults(const TempFolder& dir, const std::string& text) {
  fs::create_directories(dir / ".config" / "msgmake");
  write_bytes(dir / ".config" / "msgmake" / "config", text);
}

// The file gives what the command line leaves out; the command line wins,
// a --header of the same field name replacing the file's.
TEST(options_test, default_options_fill_what_the_command_line_leaves) {
  const std::string defaults =
      "# the sender\r\nfrom = Ann <ann@example.com>\r\n\r\n--reply-to team@example.com\r\n  header=X-Team: blue\r\n"
      "--header X-Site: one\r\nbackground = #FFFFF0\r\nfont-colour = #000080\r\n";
  const struct {
    const char* name;
    Lines args;
    Lines expected;
    std::string absent;  // a text the draft must not hold
  } cases[] = {
      {"the file's own",
       {},
       {"from\tAnn\tann@example.com", "reply-to\t\tteam@example.com", "header\tX-Team\tblue", "header\tX-Site\tone",
        "style\tbackground-color: #FFFFF0; color: #000080;"},
       "no such text"},
      {"the command line wins",
       {"--from", "Bob <bob@example.com>", "--reply-to", "bob@example.com", "--header", "x-site: two",
        "--background", "#000000"},
       {"from\tBob\tbob@example.com", "reply-to\t\tbob@example.com", "header\tX-Team\tblue", "header\tX-Site\ttwo",
        "style\tbackground-color: #000000; color: #000080;"},
       "team@example.com"},
      {"--no-config", {"--no-config", "--from", "bob@example.com"}, {"from\t\tbob@example.com"}, "X-Team"},
  };
  for (const auto& c : cases) {
    TempFolder dir;
    write_defaults(dir, defaults);
    write_bytes(dir / "body.html", "<p>x</p>\n");
    Lines args = {"-o", "m.eml", "--html", "body.html"};
    append(args, c.args);
    const RunResult run = run_msgmake_args(dir.path(), args);
    EXPECT_EQ(run.exit_code, 0) << c.name << ": " << run.err;
    EXPECT_EQ(run.err, "") << c.name;
    EXPECT_EQ(render_check(dir / "m.eml", c.expected), "ok\n") << c.name;
    EXPECT_EQ(mime_check(dir / "m.eml", {}), "ok\n") << c.name;
    EXPECT_EQ(read_bytes(dir / "m.eml").find(c.absent), std::string::npos) << c.name;
  }
}

// A text is sent alone, in the mixed container when files are attached,
// unless the command line asks for a page: a page option of the file of
// defaults styles the HTML bodies only.
TEST(options_test, a_text_is_sent_alone_unless_the_command_line_asks_for_a_page) {
  const struct {
    const char* name;
    bool defaults;  // a page colour and font in the file of defaults
    Lines args;
    bool page;
    Lines parts;  // the files mime_check looks for
  } cases[] = {
      {"the text alone", false, {}, false, {}},
      {"with an attachment", false, {"a.csv"}, false, {attachment_entry("a.csv", "a.csv")}},
      {"a page in the defaults", true, {}, false, {}},
      {"--background", false, {"--background", "#FFFFF0"}, true, {}},
      {"--font", false, {"--font", "Serif"}, true, {}},
      {"--font-colour", false, {"--font-colour", "#000080"}, true, {}},
      {"--font-size", true, {"--font-size", "4", "a.csv"}, true, {attachment_entry("a.csv", "a.csv")}},
      {"-i", false, {"-i", "logo.gif"}, true, {image_entry(1, "logo.gif", "logo.gif"), kOptionsContentIds}},
      {"--sound", false, {"--sound", "chime.wav"}, true, {sound_entry("chime.wav", "chime.wav"), kOptionsContentIds}},
  };
  for (const auto& c : cases) {
    TempFolder dir;
    if (c.defaults) write_defaults(dir, "background = #FFFFF0\nfont = Serif\n");
    // Alone, the text is the message's body, whose last line has its line end;
    // in a container, the delimiter's line end follows the text as it is.
    write_bytes(dir / "body.txt", "text\n\tno line end");
    write_bytes(dir / "lines.txt", "text\n\tno line end\n");
    write_bytes(dir / "a.csv", "1,2\n");
    write_bytes(dir / "logo.gif", picture_bytes(300, 1));
    write_bytes(dir / "chime.wav", "RIFF" + random_bytes(100, 4));
    Lines args = {"-o", "m.eml", "--text", "body.txt"};
    append(args, c.args);
    const RunResult run = run_msgmake_args(dir.path(), args);
    EXPECT_EQ(run.exit_code, 0) << c.name << ": " << run.err;
    const bool alone = !c.page && c.parts.empty();
    const Lines shown = c.page ? Lines{"plain\tbody.txt", "shown\tbody.txt"}
                               : Lines{alone ? "plain\tlines.txt" : "plain\tbody.txt", "textonly"};
    EXPECT_EQ(render_check(dir / "m.eml", shown), "ok\n") << c.name;
    EXPECT_EQ(mime_check(dir / "m.eml", c.parts), "ok\n") << c.name;
  }
}

// A signature follows the text after its "-- " line, in the plain part and in
// the page, before the HTML's </body>, where the HTML's text finds it again.
TEST(options_test, a_signature_follows_the_body_in_both_parts) {
  const std::string block =
      "<pre class=\"signature\" style=\"font-family: inherit; white-space: pre-wrap; overflow-wrap: break-word;\">"
      "-- \nAnn &amp; Co\n  &lt;ann@example.com&gt;</pre>\n";
  const std::string lines = "-- \nAnn & Co\n  <ann@example.com>\n";
  const std::string document = "<!DOCTYPE html><html><body><p>Doc</p></body></html>\n";
  const struct {
    const char* name;
    Lines args;
    std::string plain;  // the text of the plain part
    std::string page;   // a text the page holds, or the whole document
    const char* page_kind;
  } cases[] = {
      {"a text alone", {"--text", "body.txt", "--signature", "sig.txt"}, "Hello\nteam\n" + lines, "", "textonly"},
      {"a text in its page", {"--text", "body.txt", "--signature=sig.txt", "--font-size", "4"}, "Hello\nteam\n" + lines,
       block, "html"},
      {"from the file of defaults", {"--text", "body.txt"}, "Hello\nteam\n" + lines, "", "textonly"},
      {"marked already", {"--text", "body.txt", "--signature", "marked.txt"}, "Hello\nteam\n-- \nBob\n", "", "textonly"},
      {"a fragment", {"--html", "fragment.html", "--signature", "sig.txt"}, "Hi\n\n" + lines,
       "<p>Hi</p>\n" + block + "</body>", "html"},
      {"a document", {"--html", "document.html", "--signature", "sig.txt"}, "Doc\n\n" + lines,
       "<!DOCTYPE html><html><body><p>Doc</p>" + block + "</body></html>\n", "document"},
  };
  for (const auto& c : cases) {
    TempFolder dir;
    write_defaults(dir, "signature = sig.txt\n");
    write_bytes(dir / "body.txt", "Hello\nteam");
    write_bytes(dir / "sig.txt", "\xEF\xBB\xBF" "Ann & Co\n  <ann@example.com>\n\n");
    write_bytes(dir / "marked.txt", "-- \nBob");
    write_bytes(dir / "fragment.html", "<p>Hi</p>\n");
    write_bytes(dir / "document.html", document);
    write_bytes(dir / "plain.txt", c.plain);
    write_bytes(dir / "page.html", c.page);
    Lines args = {"-o", "m.eml"};
    append(args, c.args);
    const RunResult run = run_msgmake_args(dir.path(), args);
    EXPECT_EQ(run.exit_code, 0) << c.name << ": " << run.err;
    EXPECT_EQ(render_check(dir / "m.eml", {"plain\tplain.txt", std::string(c.page_kind) + "\tpage.html"}), "ok\n")
        << c.name;
    EXPECT_EQ(mime_check(dir / "m.eml", {}), "ok\n") << c.name;
  }
}

TEST(options_test, a_bad_line_of_the_defaults_is_refused_naming_file_and_line) {
  const struct {
    const char* name;
    std::string defaults;
    int exit_code;
    std::string says;
  } cases[] = {
      {"an option the file may not give", "priority = high\n", 64, " line 1: 'priority' is no option of this file"},
      {"no such option", "\n# fine\ncolour = red\n", 64, " line 3: 'colour' is no option of this file"},
      {"a bad value", "font = Arial\nfont-size = 9\n", 64, " line 2: --font-size takes a number from 1 to 7"},
      {"no value", "from =\n", 64, " line 1: --from needs a value"},
      {"no name", "= Ann\n", 64, " line 1: an option's name is missing"},
      {"not UTF-8", "font = caf\xE9\n", 64, " line 1: the value of --font is not valid UTF-8"},
      {"an address without a domain", "from = Ann\n", 64, " line 1: the address 'Ann' of --from has no domain"},
      {"a field msgmake writes", "header = To: x@example.com\n", 64, " line 1: --header cannot give the 'To' header"},
      {"a control character", "font = a\x01" "b\n", 64, " line 1: a control character"},
  };
  for (const auto& c : cases) {
    TempFolder dir;
    write_defaults(dir, c.defaults);
    const RunResult run = run_msgmake_args(dir.path(), {"-o", "m.eml"});
    const std::string file = "'" + (dir / ".config" / "msgmake" / "config").string() + "'";
    EXPECT_EQ(run.exit_code, c.exit_code) << c.name;
    EXPECT_EQ(run.err.rfind("msgmake: " + file + c.says, 0), 0u) << c.name << ": " << run.err;
    EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << c.name << ": " << run.err;
    EXPECT_FALSE(fs::exists(dir / "m.eml")) << c.name;
    expect_written(run_msgmake_args(dir.path(), {"-o", "m.eml", "--no-config"}));
  }
  TempFolder dir;
  fs::create_directories(dir / ".config" / "msgmake" / "config");
  const RunResult folder = run_msgmake_args(dir.path(), {"-o", "m.eml"});
  EXPECT_EQ(folder.exit_code, 66);
  EXPECT_NE(folder.err.find("cannot read the default options"), std::string::npos) << folder.err;
}

// --open hands the finished draft to the opener found on PATH, here a
// stand-in of shell built-ins that notes its argument and the draft's last
// line; a draft it cannot open stays written, with 69 and one line.
TEST(options_test, open_hands_the_written_draft_to_the_opener) {
  const std::string opener =
      "#!/bin/sh\nwhile IFS= read -r line; do last=$line; done <\"$1\"\n"
      "printf '%s\\n%s\\n' \"$1\" \"$last\" >opened.txt\nexit \"${OPENER_EXIT:-0}\"\n";
  const struct {
    const char* name;
    bool stand_in;
    std::string exit;
    std::string output;
    int exit_code;
    std::string says;
    std::string noted;  // the name the stand-in was given
  } cases[] = {
      {"opened", true, "0", "m.eml", 0, "", "m.eml"},
      {"a name like an option", true, "0", "-m.eml", 0, "", "./-m.eml"},
      {"the opener fails", true, "4", "m.eml", 69,
       "msgmake: the draft 'm.eml' is written, but it could not be opened: the program that opens it ended in "
       "failure (exit code 4)\n",
       "m.eml"},
      {"no opener", false, "0", "m.eml", 69,
       "msgmake: the draft 'm.eml' is written, but it could not be opened: no program that opens it was found (on "
       "Linux: xdg-open on PATH)\n",
       ""},
  };
  for (const auto& c : cases) {
    TempFolder dir;
    fs::create_directory(dir / "bin");
    if (c.stand_in) {
      write_bytes(dir / "bin" / "xdg-open", opener);
      fs::permissions(dir / "bin" / "xdg-open", fs::perms::owner_all);
    }
    const RunResult run = run_msgmake_args(dir.path(), {"-o", c.output, "--open", "-s", "Hi"}, {}, "",
                                           "env OPENER_EXIT=" + c.exit + " PATH=" + shell_quote((dir / "bin").string()));
    EXPECT_EQ(run.exit_code, c.exit_code) << c.name;
    EXPECT_EQ(run.err, c.says) << c.name;
    EXPECT_EQ(run.out, "") << c.name;
    // The draft was complete when the opener read it: its last line was there.
    const std::string draft = read_bytes(dir / c.output);
    const size_t last = draft.rfind("\r\n", draft.size() - 3) + 2;
    const std::string noted = c.noted.empty() ? "" : c.noted + "\n" + draft.substr(last, draft.size() - 1 - last) + "\n";
    EXPECT_EQ(fs::exists(dir / "opened.txt") ? read_bytes(dir / "opened.txt") : "", noted) << c.name;
    EXPECT_EQ(mime_check(dir / c.output, {}), "ok\n") << c.name;
  }
  TempFolder dir;
  const RunResult to_standard_output = run_msgmake_args(dir.path(), {"-o", "-", "--open"});
  EXPECT_EQ(to_standard_output.exit_code, 64);
  EXPECT_NE(to_standard_output.err.find("--open needs a draft in a file"), std::string::npos) << to_standard_output.err;
}

TEST(options_test, help_shows_both_forms) {
  TempFolder dir;
  const RunResult run = run_msgmake_args(dir.path(), {"--help"});
  EXPECT_EQ(run.exit_code, 0);
  for (const char* shown : {"--output FILE", "--text FILE", "--font-size N", "MakeEMLAttachmentFileSW(", "msgmake -o "})
    EXPECT_NE(run.out.find(shown), std::string::npos) << shown;
}

}  // namespace

// The options use no work folder and write only what says something: a run
// leaves its current folder as it found it (only the draft is new, wherever
// it is asked for), writes no empty header, and names its embedded parts by
// Content-IDs that are unique and the same when the same draft is made again.
TEST(options_test, a_run_leaves_its_folder_alone_and_writes_only_meaningful_headers) {
  TempFolder dir, out;
  write_bytes(dir / "body.html", "<p>logo: <img src=\"logo.gif\"></p>\n");
  write_bytes(dir / "logo.gif", "GIF89a" + random_bytes(100, 3));
  write_bytes(dir / "chime.wav", "RIFF" + random_bytes(100, 4));
  write_bytes(dir / "a.pdf", random_bytes(1000, 5));
  const auto entries = [](const fs::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.insert(entry.path().filename().string());
    return names;
  };
  const std::set<std::string> before = entries(dir.path());
  const std::string draft = (out / "m.eml").string();
  std::string first;
  for (int run = 0; run < 2; ++run) {
    const RunResult result = run_bash(dir.path(), "cat body.html | \"$MSGMAKE\" -o " + shell_quote(draft) +
                                                      " --html - -i logo.gif --sound chime.wav a.pdf");
    EXPECT_EQ(result.exit_code, 0) << result.err;
    EXPECT_EQ(entries(dir.path()), before);
    if (run == 0) first = read_bytes(draft);
  }
  const std::string message = read_bytes(draft);
  EXPECT_EQ(message, first) << "the same draft under the same SOURCE_DATE_EPOCH";
  const Lines names = field_names(message);
  for (const char* field : {"To", "Cc", "Bcc", "Subject", "X-MimeOLE"})
    EXPECT_EQ(std::count(names.begin(), names.end(), field), 0) << field;
  std::set<std::string> ids;
  for (const std::string& line : split_lines(message)) {
    if (!line.starts_with("Content-ID: ")) continue;
    const std::string id = line.substr(12);
    EXPECT_TRUE(id.starts_with("<part") && id.ends_with("@msgmake.invalid>")) << id;
    EXPECT_NE(message.find("cid:" + id.substr(1, id.size() - 2)), std::string::npos) << id;
    ids.insert(id);
  }
  EXPECT_EQ(ids.size(), 2u) << "the picture's and the sound's, each its own";
  EXPECT_EQ(mime_check(draft, {attachment_entry("a.pdf", (dir / "a.pdf").string()), image_entry(1, "logo.gif", (dir / "logo.gif").string()),
                               sound_entry("chime.wav", (dir / "chime.wav").string()), kOptionsContentIds}),
            "ok\n");
}
