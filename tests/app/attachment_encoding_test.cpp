// Attached files in the draft: their part headers, their base64 text line by
// line, and that every part decodes to the exact bytes of its source file.
#include "tests/app/draft_harness.h"

using namespace draft_harness;

namespace {

std::string compose(TempFolder& dir, const std::string& args, const Lines& manifest) {
  const RunResult run = run_msgmake(dir.path(), args);
  EXPECT_EQ(run.exit_code, 0) << run.err;
  EXPECT_EQ(run.err, "");
  EXPECT_TRUE(folder_is_empty(dir / "WRK"));
  EXPECT_EQ(mime_check(dir / "m.eml", manifest), "ok\n");
  return read_bytes(dir / "m.eml");
}

}  // namespace

TEST(attachment_encoding_test, short_files_pad_their_last_group) {
  const std::pair<std::string, Lines> cases[] = {
      {"", {""}}, {"M", {"TQ=="}}, {"Ma", {"TWE="}}, {"Man", {"TWFu"}}, {"Many", {"TWFueQ=="}}};
  for (const auto& [data, text] : cases) {
    TempFolder dir;
    write_bytes(dir / "f.bin", data);
    Expected e;
    e.parts = {"------=_1_",
               "Content-Type: application/octet-stream;",
               "    name=\"f.bin\"",
               "Content-Transfer-Encoding: base64",
               "Content-Disposition: attachment;",
               "    filename=\"f.bin\"",
               ""};
    append(e.parts, text);
    e.parts.push_back("");
    EXPECT_EQ(compose(dir, argument_text(Call{}, {}, {"f.bin"}), {attachment_entry("f.bin", "f.bin")}),
              expected_message(e))
        << data.size() << " bytes";
  }
}

// 0, 57 and 114 bytes end with an empty base64 line; 58 bytes with a line of
// four characters after a full one.
TEST(attachment_encoding_test, full_lines_hold_57_bytes) {
  TempFolder dir;
  const size_t sizes[] = {0, 1, 2, 3, 57, 58, 114};
  Lines files, manifest;
  Expected e;
  for (size_t size : sizes) {
    const std::string name = "f" + std::to_string(size) + ".bin";
    const std::string data = random_bytes(size, size + 100);
    write_bytes(dir / name, data);
    files.push_back(name);
    manifest.push_back(attachment_entry(name, name));
    append(e.parts, attachment_part(name, data));
  }
  const std::string got = compose(dir, argument_text(Call{}, {}, files), manifest);
  EXPECT_EQ(got, expected_message(e));
  const std::string first_full_line = base64_lines(random_bytes(57, 157))[0];
  EXPECT_EQ(first_full_line.size(), 76u);
  EXPECT_NE(got.find("\r\n" + first_full_line + "\r\n\r\n\r\n------=_1_"), std::string::npos)
      << "57 bytes: full line, empty rest line, empty line after the part";
}

TEST(attachment_encoding_test, random_files_of_many_sizes_decode_exactly) {
  TempFolder dir;
  const size_t sizes[] = {4, 55, 56, 59, 75, 76, 77, 113, 115, 171, 1000, 4095, 4096, 4097, 65537, 300001};
  Lines files, manifest;
  Expected e;
  uint64_t seed = 1;
  for (size_t size : sizes) {
    const std::string name = "r" + std::to_string(size) + ".dat";
    const std::string data = random_bytes(size, ++seed);
    write_bytes(dir / name, data);
    files.push_back(name);
    manifest.push_back(attachment_entry(name, name));
    append(e.parts, attachment_part(name, data));
  }
  EXPECT_EQ(compose(dir, argument_text(Call{}, {}, files), manifest), expected_message(e));
}

TEST(attachment_encoding_test, part_names_are_the_base_names_of_the_paths) {
  TempFolder dir;
  std::filesystem::create_directories(dir / "sub" / "deep");
  write_bytes(dir / "sub" / "deep" / "a.pdf", "%PDF-1.4 tiny");
  write_bytes(dir / "sub" / "b.zip", std::string("PK\x03\x04", 4));
  write_bytes(dir / "plain name.txt", "text");
  const std::string abs = (dir / "sub" / "b.zip").string();
  Expected e;
  e.parts = attachment_part("a.pdf", "%PDF-1.4 tiny", "application/pdf");
  append(e.parts, attachment_part("b.zip", std::string("PK\x03\x04", 4), "application/zip"));
  append(e.parts, attachment_part("plain name.txt", "text", "text/plain"));
  EXPECT_EQ(compose(dir, argument_text(Call{}, {}, {"sub\\deep\\a.pdf", abs, "plain name.txt"}),
                    {attachment_entry("a.pdf", "sub/deep/a.pdf"), attachment_entry("b.zip", abs),
                     attachment_entry("plain name.txt", "plain name.txt")}),
            expected_message(e));
}

// An attached file is labelled by its extension, any letter case. A text
// keeps its type whatever its line ends; one with NUL or lone CR bytes is no
// text a reader would keep and goes as bytes, and so does a container type
// (vpm is multipart/voice-message in the system's table). A message goes
// unencoded, as clients attach one: its line ends CR LF, its lines as they
// are, up to 998 bytes and with their trailing blanks. One that is no
// message, or could not stand unencoded in the draft, goes as bytes.
TEST(attachment_encoding_test, attachments_are_typed_by_extension_and_content) {
  const std::string longest = "X-Long: " + std::string(985, 'l') + "   \t ";  // 998 bytes
  const std::string inner =
      "Subject: inner\r\nMIME-Version: 1.0\r\nContent-Type: multipart/mixed; boundary=\"in\"\r\n\r\n"
      "--in\r\nContent-Type: text/plain; charset=utf-8\r\nContent-Transfer-Encoding: 8bit\r\n\r\ncaf\xC3\xA9 \r\n"
      "--in\r\nContent-Type: application/pdf; name=\"p.pdf\"\r\nContent-Transfer-Encoding: base64\r\n\r\n"
      "JVBERi0xLjQ=\r\n--in--\r\n";
  const std::string bytes = "application/octet-stream", message = "message/rfc822";
  const struct {
    const char* name;
    std::string bytes;
    std::string type;
  } cases[] = {
      {"report.PDF", "%PDF", "application/pdf"},
      {"notes.txt", "one\ntwo\n", "text/plain"},
      {"dos.txt", "one\r\ntwo\r\n", "text/plain"},
      {"sales.csv", "region,amount\r\nNorth,1200.50\r\n", "text/csv"},
      {"old-mac.txt", "one\rtwo\r", bytes},
      {"holds-nul.txt", std::string("a\0b\n", 4), bytes},
      {"voice.vpm", "x", bytes},
      {"README", "no extension", bytes},
      {"x.unknownext", "?", bytes},
      {"lf.eml", "From: a@example.com\nSubject: hi\n\nflowed \nbody\n", message},
      {"nested.eml", inner, message},
      {"no-end.eml", "Subject: x\n\nlast line", message},
      {"longest.eml", longest + "\n\nbody\n", message},
      {"too-long.eml", "Subject: x\n\n" + longest + "x\n", bytes},
      {"closes.eml", "Subject: x\n\n------=_1_--\n", bytes},
      {"opens.eml", "Subject: x\n\n------=_2_ within\n", bytes},
      {"not-a-message.eml", "just text\n", bytes},
      {"lone-cr.eml", "Subject: x\r\n\r\na\rb\r\n", bytes},
      {"draft.u8msg", "Subject: x\n\nbody\n", bytes},
  };
  TempFolder dir;
  Lines files, manifest;
  Expected e;
  for (const auto& c : cases) {
    write_bytes(dir / c.name, c.bytes);
    files.push_back(c.name);
    manifest.push_back(attachment_entry(c.name, c.name) + "\t" + c.type);
    append(e.parts, c.type == message ? message_part(c.name, c.bytes) : attachment_part(c.name, c.bytes, c.type));
  }
  EXPECT_EQ(compose(dir, argument_text(Call{}, {}, files), manifest), expected_message(e));
}

// The options attach files through the same writer: the bundled example's
// CSV (CR LF line ends) as text/csv, and a message unencoded.
TEST(attachment_encoding_test, options_attach_a_message_and_a_csv_as_they_are) {
  TempFolder dir;
  write_bytes(dir / "body.txt", "The figures.\n");
  write_bytes(dir / "note.eml", "Subject: earlier\r\n\r\ncaf\xC3\xA9\r\n");
  std::filesystem::copy_file(std::filesystem::path(MSGMAKE_SOURCE_DIR) / "examples" / "sales.csv", dir / "sales.csv");
  const RunResult run =
      run_msgmake_args(dir.path(), {"-o", "m.eml", "-t", "a@example.com", "--text", "body.txt", "note.eml", "sales.csv"});
  EXPECT_EQ(run.exit_code, 0) << run.err;
  EXPECT_EQ(mime_check(dir / "m.eml", {attachment_entry("note.eml", "note.eml") + "\tmessage/rfc822",
                                       attachment_entry("sales.csv", "sales.csv") + "\ttext/csv"}),
            "ok\n");
}

// Attachments are only read, so a file without write permission is encoded.
TEST(attachment_encoding_test, read_only_file_is_encoded) {
  TempFolder dir;
  const std::string data = random_bytes(200, 9);
  write_bytes(dir / "ro.bin", data);
  std::filesystem::permissions(dir / "ro.bin", std::filesystem::perms::owner_read | std::filesystem::perms::group_read);
  Expected e;
  e.parts = attachment_part("ro.bin", data);
  EXPECT_EQ(compose(dir, argument_text(Call{}, {}, {"ro.bin"}), {attachment_entry("ro.bin", "ro.bin")}),
            expected_message(e));
}

// The pictures and the sound stand beside the HTML that shows them, the
// attached files after the body.
TEST(attachment_encoding_test, attachments_follow_the_body_with_its_pictures_and_sound) {
  TempFolder dir;
  const std::string a = random_bytes(1234, 11), b = random_bytes(10, 12);
  const std::string gif = random_bytes(777, 13), wav = random_bytes(2048, 14);
  write_bytes(dir / "a.pdf", a);
  write_bytes(dir / "b.zip", b);
  write_bytes(dir / "chart.gif", gif);
  write_bytes(dir / "bell.wav", wav);
  Call call;
  call.sound_file = "bell.wav";
  call.sound_loop = "Forever";
  Expected e;
  e.sound_loop = "-1";
  e.plain = {"Totals:"};
  e.body = {"Totals:<br>", "<img src=3D\"chart.gif\"><br>"};
  e.body[1] = "<img src=3Dcid:1><br>";
  e.parts = attachment_part("a.pdf", a, "application/pdf");
  append(e.parts, attachment_part("b.zip", b, "application/zip"));
  append(e.parts, image_part(1, "chart.gif", "image/gif", gif));
  append(e.parts, sound_part("bell.wav", "audio/wav", &wav));
  EXPECT_EQ(compose(dir, argument_text(call, {"Totals:", "<img src=3D\"chart.gif\">"}, {"a.pdf", "b.zip"}),
                    {attachment_entry("a.pdf", "a.pdf"), attachment_entry("b.zip", "b.zip"),
                     image_entry(1, "chart.gif", "chart.gif"), sound_entry("bell.wav", "bell.wav")}),
            expected_message(e));
}
