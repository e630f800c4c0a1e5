// The draft message written end to end by the built program, compared byte
// for byte with the promised layout and read back by an independent parser.
#include <algorithm>

#include "tests/app/draft_harness.h"

using namespace draft_harness;

namespace {

// Runs one call in a fresh folder and returns the message text; checks the
// run succeeded quietly, the parser accepts the message and the work folder
// is left empty.
std::string compose(TempFolder& dir, const std::string& args, const Lines& manifest = {}) {
  const RunResult run = run_msgmake(dir.path(), args);
  EXPECT_EQ(run.exit_code, 0) << run.err;
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(run.out, "");
  EXPECT_TRUE(folder_is_empty(dir / "WRK"));
  EXPECT_EQ(mime_check(dir / "m.eml", manifest), "ok\n");
  return read_bytes(dir / "m.eml");
}

}  // namespace

TEST(message_format_test, minimal_message_has_the_fixed_layout) {
  TempFolder dir;
  Call call;
  call.to = "ann@example.com";
  call.subject = "Hi";
  const std::string want =
      "To: ann@example.com\r\n"
      "Subject: Hi\r\n"
      "Date: Tue, 01 Dec 2026 12:00:00 +0000\r\n"
      "MIME-Version: 1.0\r\n"
      "Content-Type: multipart/alternative;\r\n"
      "    boundary=\"----=_2_\"\r\n"
      "X-Priority: 3\r\n"
      "X-MSMail-Priority: Normal\r\n"
      "X-Unsent: 1\r\n"
      "X-MimeOLE:\r\n"
      "\r\n"
      "This is a multi-part message in MIME format.\r\n"
      "\r\n"
      "------=_2_\r\n"
      "Content-Type: text/plain;\r\n"
      "    charset=\"utf-8\"\r\n"
      "Content-Transfer-Encoding: quoted-printable\r\n"
      "\r\n"
      "\r\n"
      "------=_2_\r\n"
      "Content-Type: text/HTML;\r\n"
      "    charset=\"iso-8859-1\"\r\n"
      "Content-Transfer-Encoding: quoted-printable\r\n"
      "\r\n"
      "\r\n"
      "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.0 Transitional//EN\">\r\n"
      "<HTML><HEAD>\r\n"
      "<META http-equiv=3DContent-Type content=3D\"text/HTML; =\r\n"
      "charset=3Diso-8859-1\">\r\n"
      "<META content=3D\"MSHTML 5.50.4134.100\" name=3DGENERATOR>\r\n"
      "<STYLE></STYLE></HEAD><BODY bgColor=3D#FFFFFF>\r\n"
      "<DIV><FONT face=3DArial size=3D10 color=3D#000000>\r\n"
      "</FONT></DIV></BODY></HTML>\r\n"
      "\r\n"
      "------=_2_--\r\n";
  EXPECT_EQ(compose(dir, argument_text(call)), want);
  Expected e;
  e.subject_line = "Subject: Hi";
  EXPECT_EQ(expected_message(e), want) << "the harness's own layout disagrees with the literal text";
}

// One address a line, each but the last with its comma; a comma inside
// quotes or angle brackets belongs to its address, and empty ones are dropped.
TEST(message_format_test, address_lists_hold_one_address_a_line) {
  TempFolder dir;
  Call call;
  call.to = "a@x.org,b@x.org, c@x.org";
  call.cc = "d@x.org,,\"e,f\"@x.org";
  call.bcc = "\"Doe, J.\" <f@x.org>";
  Expected e;
  e.address_lines = {"To: a@x.org,", "    b@x.org,", "    c@x.org", "Cc: d@x.org,", "    \"e,f\"@x.org",
                     "Bcc: \"Doe, J.\" <f@x.org>"};
  EXPECT_EQ(compose(dir, argument_text(call)), expected_message(e));
}

TEST(message_format_test, blank_lists_and_subject_give_bare_headers) {
  TempFolder dir;
  Call call;
  call.to = "";
  call.subject = "   ";
  call.cc = "   ";
  call.bcc = "";
  Expected e;
  e.address_lines = {"To:"};
  e.subject_line = "Subject:";
  EXPECT_EQ(compose(dir, argument_text(call)), expected_message(e));
}

// A list ending in a comma must not write the empty continuation line that
// would end the header block early.
TEST(message_format_test, trailing_comma_adds_no_empty_header_line) {
  TempFolder dir;
  Call call;
  call.to = "a@x.org,b@x.org,  ";
  call.cc = "c@x.org,";
  Expected e;
  e.address_lines = {"To: a@x.org,", "    b@x.org", "Cc: c@x.org"};
  EXPECT_EQ(compose(dir, argument_text(call)), expected_message(e));
}

TEST(message_format_test, priority_lines_follow_the_priority_text) {
  struct Case {
    const char* priority;
    const char* x_priority;
    const char* ms_priority;
  };
  const Case cases[] = {{"High", "1", "High"},    {"High   ", "1", "High"}, {"Low", "5", "Low"},
                        {"high", "3", "Normal"},  {" High", "3", "Normal"}, {"", "3", "Normal"},
                        {"Urgent", "3", "Normal"}};
  for (const Case& c : cases) {
    TempFolder dir;
    Call call;
    call.priority = c.priority;
    Expected e;
    e.x_priority = c.x_priority;
    e.ms_priority = c.ms_priority;
    EXPECT_EQ(compose(dir, argument_text(call)), expected_message(e)) << "priority '" << c.priority << "'";
  }
}

TEST(message_format_test, colours_sizes_and_font_face_fill_the_template) {
  struct Case {
    const char *back, *color, *size, *face;
    const char *page_text, *color_text, *size_text, *face_text;
  };
  const Case cases[] = {
      {"255", "66051", "12", "Verdana", "FF0000", "030201", "12", "Verdana"},  // red 3, green 2, blue 1
      {"-5", "-1", "0", "Times New Roman", "FFFFFF", "000000", "0", "\"Times New Roman\""},
      {"16711680", "65280", "300", "Arial", "0000FF", "00FF00", "44", "Arial"},  // size keeps its low 8 bits
      {"16777471", "33554432", "7", "Arial", "FF0000", "000000", "7", "Arial"},  // colours keep their low 24 bits
      // A face that would end the attribute early is quoted; "=" stays valid quoted-printable.
      {"0", "0", "3", "A=B", "FFFFFF", "000000", "3", "\"A=3DB\""},
      {"0", "0", "3", "Odd\"Face>", "FFFFFF", "000000", "3", "\"Odd&quot;Face>\""},
      {"0", "0", "3", "Caf\xE9", "FFFFFF", "000000", "3", "\"Caf=E9\""},  // a byte no quoted-printable text has
  };
  for (const Case& c : cases) {
    TempFolder dir;
    Call call;
    call.back_color = c.back;
    call.font_color = c.color;
    call.font_size = c.size;
    call.font_face = std::string(c.face) + "  ";
    Expected e;
    e.page_color = c.page_text;
    e.font_color = c.color_text;
    e.font_size = c.size_text;
    e.font_face = c.face_text;
    EXPECT_EQ(compose(dir, argument_text(call)), expected_message(e)) << c.back << " " << c.face;
  }
}

TEST(message_format_test, sound_loop_choice_sets_the_loop_count) {
  const std::pair<const char*, const char*> cases[] = {
      {"Once", "1"},    {"Twice", "2"},    {"3 times", "3"}, {"4 times", "4"},
      {"5 times", "5"}, {"Forever", "-1"}, {"twice", "0"},   {"Always", "0"}};
  for (const auto& [choice, count] : cases) {
    TempFolder dir;
    const std::string sound = random_bytes(100, 7);
    write_bytes(dir / "ding.wav", sound);
    Call call;
    call.sound_file = "ding.wav";
    call.sound_loop = choice;
    Expected e;
    e.sound_loop = count;
    e.parts = sound_part("ding.wav", "audio/wav", &sound);
    EXPECT_EQ(compose(dir, argument_text(call), {sound_entry("ding.wav", "ding.wav")}), expected_message(e)) << choice;
  }
}

TEST(message_format_test, blank_sound_file_writes_no_sound_lines) {
  TempFolder dir;
  Call call;
  call.sound_loop = "Twice";
  call.sound_file = "  ";
  EXPECT_EQ(compose(dir, argument_text(call)), expected_message(Expected{}));
}

// A sound file that is not there, or whose folder is not, leaves its part
// without data, and the run goes on.
TEST(message_format_test, missing_sound_file_leaves_its_part_without_data) {
  for (const char* sound : {"nowhere.wav", "no/such/folder/nowhere.wav"}) {
    SCOPED_TRACE(sound);
    TempFolder dir;
    Call call;
    call.sound_file = sound;
    call.sound_loop = "Once";
    Expected e;
    e.sound_loop = "1";
    e.parts = sound_part("nowhere.wav", "audio/wav", nullptr);
    EXPECT_EQ(compose(dir, argument_text(call), {sound_entry("nowhere.wav", "-")}), expected_message(e));
  }
}

// A picture in a folder that is not there is missing as a picture that is
// not there: its reference stays as written, and the run goes on.
TEST(message_format_test, a_picture_in_a_missing_folder_stays_a_reference) {
  TempFolder dir;
  const std::string line = "<img src=3D\"no/such/folder/p.gif\">";
  const std::string message = compose(dir, argument_text(Call{}, {line}));
  EXPECT_NE(message.find("\r\n" + line + "<br>\r\n"), std::string::npos) << message;
  EXPECT_EQ(message.find("Content-ID:"), std::string::npos) << message;
}

TEST(message_format_test, body_lines_are_written_clipped_with_a_break) {
  TempFolder dir;
  const std::string long_line(300, 'x');
  // A line too long for its whole break keeps its text and loses the break:
  // a cut "<br" would swallow the next line.
  const std::string fits(246, 'f'), line_247(247, 'y'), line_249(249, 'z');
  Expected e;
  // The text shows the lines as the HTML does: a line without its break runs
  // on into the next, and the text wraps between words.
  e.plain = plain_lines({"Hello = world", "", "indented", std::string(250, 'x'), fits, line_247, line_249, "next"});
  e.body = {"Hello =3D world<br>", "<br>", "  indented<br>", std::string(250, 'x'), fits + "<br>", line_247, line_249,
            "next<br>"};
  EXPECT_EQ(compose(dir, argument_text(Call{}, {"Hello =3D world   ", "", "  indented", long_line, fits, line_247,
                                                line_249, "next"})),
            expected_message(e));
}

// A body line that a parser could take for a delimiter of one of the draft's
// containers, whatever follows it, has its first hyphen written =2D (the
// same text, decoded), so no body line closes a container and loses the
// parts after it. One too long for that goes on over a soft line break.
// Such a line holds "=_", which is no quoted-printable: readers decode it
// each their own way.
TEST(message_format_test, body_lines_that_read_as_delimiters_keep_the_parts) {
  TempFolder dir;
  write_bytes(dir / "a.bin", "abc");
  write_bytes(dir / "pic.gif", "GIF89a");
  const std::string tabs(236, '\t'), xs(240, 'x');
  const struct {
    std::string line;
    Lines written;
  } cases[] = {
      {"------=_1_--" + tabs, {"=2D-----=_1_--" + tabs}},  // 248 bytes: no break
      {"------=_2_", {"=2D-----=_2_<br>"}},
      {"------=_3_ note", {"=2D-----=_3_ note<br>"}},
      {"------=_1_" + xs, {"=2D=", "-----=_1_" + xs}},
      {"------=_3_<img src=3D\"pic.gif\">", {"=2D-----=_3_<img src=3Dcid:1><br>"}},
      {"-----=_1_", {"-----=_1_<br>"}},
      {"  ------=_1_", {"  ------=_1_<br>"}},
  };
  Lines body;
  for (const auto& c : cases) body.push_back(c.line);
  const std::string got = compose(dir, argument_text(Call{}, body, {"a.bin"}),
                                  {attachment_entry("a.bin", "a.bin"), image_entry(1, "pic.gif", "pic.gif"),
                                   "malformed\ttext"});
  for (const auto& c : cases)
    EXPECT_NE(got.find("\r\n" + crlf(c.written)), std::string::npos) << c.line.substr(0, 20);
}

TEST(message_format_test, image_references_become_content_ids_with_parts) {
  TempFolder dir;
  const std::string gif = random_bytes(300, 1);
  const std::string png = random_bytes(57, 2);
  write_bytes(dir / "pic.gif", gif);
  std::filesystem::create_directory(dir / "img");
  write_bytes(dir / "img" / "logo.png", png);
  const Lines body = {
      "<img src=3D\"missing.gif\">",         // not copied: unchanged, no number
      "<IMG border=3D0 SRC=3D\"pic.gif\" >",  // first image
      "plain text",
      "<Img Src=3D'img/logo.png'>",  // single quotes, path with a folder
      "<img src=3Dpic.gif>",         // no quotes: unchanged, no number
  };
  Expected e;
  e.plain = {"plain text"};
  e.body = {"<img src=3D\"missing.gif\"><br>", "<IMG border=3D0 SRC=3Dcid:1 ><br>", "plain text<br>",
            "<Img Src=3Dcid:2><br>", "<img src=3Dpic.gif><br>"};
  e.parts = image_part(1, "pic.gif", "image/gif", gif);
  append(e.parts, image_part(2, "logo.png", "image/png", png));
  EXPECT_EQ(compose(dir, argument_text(Call{}, body),
                    {image_entry(1, "pic.gif", "pic.gif"), image_entry(2, "logo.png", "img/logo.png")}),
            expected_message(e));
}

// No caller text may add a header or a part: a CR or LF in a header value
// or a name is encoded or written as a space, and one in a body line as a
// space.
TEST(message_format_test, line_breaks_in_caller_text_add_no_header_or_part) {
  TempFolder dir;
  write_bytes(dir / "a\rb.bin", "abc");
  Call call;
  call.to = "a@x.org\r\nBcc: spy@x.org";
  call.subject = "Hi\r\nX-Evil: 1";
  call.font_face = "Arial\n";
  const std::string got = compose(dir, argument_text(call, {"one\rtwo"}, {"a\rb.bin"}),
                                  {"subject\tHi  X-Evil: 1", attachment_entry("a\rb.bin", "a\rb.bin")});
  EXPECT_EQ(got.find("\nBcc:"), std::string::npos);
  EXPECT_EQ(got.find("\nX-Evil"), std::string::npos);
  EXPECT_NE(got.find("\r\none two<br>\r\n"), std::string::npos);
  EXPECT_NE(got.find("<FONT face=3DArial  size"), std::string::npos);
}

// The call text is Windows-1252: its names and subject go out as the UTF-8
// of those characters, encoded, so every header line stays 7-bit.
TEST(message_format_test, call_text_names_and_subject_are_read_as_windows_1252) {
  TempFolder dir;
  write_bytes(dir / "M\xE4rz.pdf", "%PDF");
  write_bytes(dir / "Gr\xFC\xDF.gif", "GIF89a");
  Call call;
  call.subject = "Gr\xFC\xDF""e \x80 5";
  const std::string got = compose(dir, argument_text(call, {"<img src=3D\"Gr\xFC\xDF.gif\">"}, {"M\xE4rz.pdf"}),
                                  {"subject\tGr\xC3\xBC\xC3\x9F""e \xE2\x82\xAC 5",
                                   attachment_entry("M\xC3\xA4rz.pdf", "M\xE4rz.pdf"),
                                   image_entry(1, "Gr\xC3\xBC\xC3\x9F.gif", "Gr\xFC\xDF.gif")});
  const std::string head = got.substr(0, got.find("\r\n\r\n"));
  EXPECT_TRUE(std::all_of(head.begin(), head.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; }));
}

TEST(message_format_test, existing_message_file_is_replaced) {
  TempFolder dir;
  write_bytes(dir / "m.eml", std::string(5000, 'z'));
  EXPECT_EQ(compose(dir, argument_text(Call{})), expected_message(Expected{}));
}

// A quote in a file name stays inside its parameter: a client must read one
// name, not a name and a parameter of the caller's making. A picture's part
// is named after its file alone, never a folder.
TEST(message_format_test, odd_part_names_read_back_whole) {
  TempFolder dir;
  const std::string data = "xyz";
  const std::string name = "ev\"il; x-injected=\"1.txt";
  write_bytes(dir / name, data);
  std::filesystem::create_directory(dir / "d.v2");
  write_bytes(dir / "d.v2" / "photo", data);
  const std::string got = compose(dir, argument_text(Call{}, {"<img src=3D\"d.v2\\photo\">"}, {name}),
                                  {attachment_entry(name, name), image_entry(1, "photo", "d.v2/photo")});
  EXPECT_EQ(got.find("x-injected=\""), std::string::npos);
}
