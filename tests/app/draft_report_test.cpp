// What the options tell of a draft: the tree that --dry-run draws instead of
// writing, and the JSON object that --json prints once the draft is written,
// each held to what a run writes and what two parsers read back.
#include <unistd.h>

#include <algorithm>
#include <set>

#include "tests/app/draft_harness.h"

using namespace draft_harness;

namespace {

std::set<std::string> entries(const fs::path& folder) {
  std::set<std::string> names;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) names.insert(entry.path().string());
  return names;
}

// The files of every case, and an opener on bin/ that leaves a mark.
void prepare(const TempFolder& dir) {
  write_bytes(dir / "body.txt", "Hello\n");
  write_bytes(dir / "latin1.txt", "caf\xE9\n");
  write_bytes(dir / "report.pdf", random_bytes(1000, 1));
  write_bytes(dir / "news.html", "<p>news <img src=\"logo.gif\"></p>\n");
  write_bytes(dir / "logo.gif", picture_bytes(100, 2));
  write_bytes(dir / "chime.wav", "RIFF" + random_bytes(100, 3));
  write_bytes(dir / "m.eml", "a draft of before\n");
  fs::create_directories(dir / "folder");
  fs::create_directories(dir / "shut");
  fs::permissions(dir / "shut", fs::perms::all & ~(fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write));
  fs::create_directories(dir / "bin");
  write_bytes(dir / "bin" / "xdg-open", "#!/bin/sh\necho \"$1\" >opened.txt\n");
  fs::permissions(dir / "bin" / "xdg-open", fs::perms::owner_all);
}

// Each case is run twice in folders of its own, with --dry-run and without:
// the dry run ends as the run does, with its line, draws the tree on success
// ({cidN} the Nth Content-ID that the run wrote), and leaves its folder as
// it was: no draft, no temporary file, nothing opened. As root, the runs
// into a folder that may not be written are another user's.
TEST(draft_report_test, a_dry_run_draws_the_draft_and_refuses_as_the_run_does) {
  const struct {
    const char* name;
    Lines args;
    std::string drawn;
  } cases[] = {
      {"text and attachments",
       {"-o", "m.eml", "-t", "ann@example.com", "--text", "body.txt", "report.pdf", "folder/../body.txt"},
       "multipart/mixed\n"
       "├── text/plain                  6 bytes, from body.txt\n"
       "├── application/pdf             report.pdf, 1000 bytes, attachment, from report.pdf\n"
       "└── text/plain                  body.txt, 6 bytes, attachment, from folder/../body.txt\n"},
      {"html with pictures and a sound, to be opened",
       {"-o", "m.eml", "--html", "news.html", "-i", "logo.gif", "--sound", "chime.wav", "--open"},
       "multipart/alternative\n"
       "├── text/plain                  5 bytes, from news.html\n"
       "└── multipart/related\n"
       "    ├── text/html               433 bytes, from news.html\n"
       "    ├── image/gif               logo.gif, 106 bytes, inline, cid:{cid1}, from logo.gif\n"
       "    └── audio/wav               chime.wav, 104 bytes, cid:{cid2}, from chime.wav\n"},
      {"standard input, to standard output",
       {"-o", "-", "--text", "-"},
       "text/plain                      6 bytes, from standard input\n"},
      {"no body, an attachment from standard input",
       {"-o", "m.eml", "--name", "data.txt", "-a", "-"},
       "multipart/mixed\n"
       "├── multipart/alternative\n"
       "│   ├── text/plain              0 bytes\n"
       "│   └── text/html               291 bytes\n"
       "└── text/plain                  data.txt, 6 bytes, attachment, from standard input\n"},
      {"a usage error", {"-o", "m.eml", "--loop", "often"}, ""},
      {"a body that is not UTF-8", {"-o", "m.eml", "--text", "latin1.txt"}, ""},
      {"a missing attachment", {"-o", "m.eml", "none.pdf"}, ""},
      {"the draft is an attachment", {"-o", "m.eml", "m.eml"}, ""},
      {"no folder for the draft", {"-o", "none/m.eml"}, ""},
      {"a folder at the draft's path", {"-o", "folder"}, ""},
      {"a folder that may not be written", {"-o", "shut/m.eml"}, ""},
  };
  const bool root = geteuid() == 0;
  for (const auto& c : cases) {
    TempFolder dry, real;
    prepare(dry);
    prepare(real);
    const bool shut = c.args.back().starts_with("shut/");
    const auto run = [&](const TempFolder& dir, bool dry_run) {
      Lines args = c.args;
      if (dry_run) args.push_back("--dry-run");
      std::string launcher = "env PATH=" + shell_quote((dir / "bin").string());
      if (shut && root) {
        EXPECT_EQ(chown(dir.path().c_str(), 65534, 65534), 0);
        launcher = "setpriv --reuid=65534 --regid=65534 --clear-groups " + launcher;
      }
      return run_msgmake_args(dir.path(), args, dir / "body.txt", "", launcher);
    };
    const std::set<std::string> before = entries(dry.path());
    const RunResult shown = run(dry, true), written = run(real, false);
    EXPECT_EQ(shown.exit_code, written.exit_code) << c.name << ": " << shown.err;
    EXPECT_EQ(shown.err, written.err) << c.name;
    EXPECT_EQ(entries(dry.path()), before) << c.name;
    if (written.exit_code != 0) continue;
    std::string drawn = c.drawn;
    int number = 0;
    for (const std::string& line : split_lines(read_bytes(real / "m.eml")))
      if (line.starts_with("Content-ID: <"))
        drawn.replace(drawn.find("{cid" + std::to_string(++number) + "}"), 6, line.substr(13, line.size() - 14));
    EXPECT_EQ(shown.out, drawn) << c.name;
  }
}

// The report of a rich draft (names and addresses beyond ASCII, a field of
// one's own, an embedded picture and sound, an attached message) is what
// both parsers read in the draft: every header field, the tree, each part's
// name, Content-ID, disposition, encoding, its size before that encoding,
// and the file it came from.
TEST(draft_report_test, the_json_report_is_the_draft_both_parsers_read) {
  TempFolder dir;
  prepare(dir);
  write_bytes(dir / "note.eml", "From: a@example.com\nSubject: note\n\nbody\n");
  const std::string csv = "Gr\xC3\xBC\xC3\x9F" "e.csv";
  write_bytes(dir / csv, "x,y\n1,2\n");
  const RunResult run = run_msgmake_args(
      dir.path(), {"-o", "m.eml", "--json", "-t", "J\xC3\xB6rg <j@b\xC3\xBC" "cher.example>, ann@example.com", "-c",
                   "bob@example.com", "-s", "Gr\xC3\xBC\xC3\x9F" "e", "--header", "X-Campaign: spring", "-p", "high",
                   "--html", "news.html", "-i", "logo.gif", "--sound", "chime.wav", "note.eml", csv,
                   "report.pdf"});
  EXPECT_EQ(run.exit_code, 0) << run.err;
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), 1) << run.out;
  write_bytes(dir / "report.json", run.out);
  EXPECT_EQ(mime_check(dir / "m.eml", {attachment_entry("note.eml", "note.eml"), attachment_entry(csv, csv),
                                       attachment_entry("report.pdf", "report.pdf"), image_entry(1, "logo.gif", "logo.gif"),
                                       sound_entry("chime.wav", "chime.wav"), kOptionsContentIds, "report\treport.json"}),
            "ok\n");
}

}  // namespace
