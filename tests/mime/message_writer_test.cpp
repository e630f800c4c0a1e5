#include "mime/message_writer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "platform/last_error.h"

namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

class Collect : public mime::LineSink {
 public:
  void line(std::string_view text) override { lines.emplace_back(text); }
  bool intact() const override { return true; }
  Lines lines;
};

mime::Part text_part(mime::PartRole role, std::string type, std::string text) {
  mime::Part part;
  part.role = role;
  part.type = std::move(type);
  part.parameters.push_back({"charset", "utf-8"});
  part.encoding = mime::TransferEncoding::quoted_printable;
  part.body.kind = mime::BodySource::Kind::stream;
  part.body.stream = [text](const mime::ByteSink& put) {
    put(text);
    return true;
  };
  return part;
}

mime::Part file_part(mime::PartRole role, const fs::path& file) {
  mime::Part part;
  part.role = role;
  part.type = "application/octet-stream";
  part.file_name = file.filename().string();
  part.disposition = role == mime::PartRole::attachment ? mime::Disposition::attachment : mime::Disposition::inline_part;
  if (role == mime::PartRole::picture) part.content_id = "p1@msgmake.invalid";
  part.encoding = mime::TransferEncoding::base64;
  part.body.kind = mime::BodySource::Kind::file;
  part.body.file = file.string();
  mime::FileLook look;
  EXPECT_TRUE(mime::look_at_file(part.body.file, 16, look));
  part.body.stamp = look.stamp;
  return part;
}

mime::Message message_of(mime::Part root) {
  mime::Message message;
  message.fields = {{"To", "ann@example.com", mime::FieldKind::address_list},
                    {"MIME-Version", "1.0", mime::FieldKind::as_written},
                    {"X-Unsent", "1", mime::FieldKind::as_written}};
  message.content_fields_at = 2;
  message.preamble = {"This is a multi-part message in MIME format.", ""};
  message.root = std::move(root);
  return message;
}

struct Folder {
  // A folder of the test's own, made where none stood: two runs of the
  // suite never share it.
  Folder() {
    std::random_device seed;
    do path = fs::temp_directory_path() / ("msgmake-writer-" + std::to_string(seed()));
    while (!fs::create_directory(path));
  }
  ~Folder() { fs::remove_all(path); }
  fs::path write(const std::string& name, const std::string& bytes) const {
    std::ofstream(path / name, std::ios::binary) << bytes;
    return path / name;
  }
  fs::path path;
};

// The structure follows the parts: no container of one part, mixed only with
// attachments, related only with what the HTML embeds.
TEST(message_writer_test, the_structure_holds_the_containers_its_parts_need) {
  Folder dir;
  const fs::path file = dir.write("a.bin", "abc");
  const struct {
    const char* name;
    bool html, embedded, attached;
    Lines types;  // every part's type, parents first
  } cases[] = {
      {"body only", true, false, false, {"multipart/alternative", "text/plain", "text/html"}},
      {"a picture", true, true, false,
       {"multipart/alternative", "text/plain", "multipart/related", "text/html", "application/octet-stream"}},
      {"an attachment", true, false, true,
       {"multipart/mixed", "multipart/alternative", "text/plain", "text/html", "application/octet-stream"}},
      {"text alone", false, false, false, {"text/plain"}},
      {"text and an attachment", false, false, true, {"multipart/mixed", "text/plain", "application/octet-stream"}},
  };
  for (const auto& c : cases) {
    std::vector<mime::Part> embedded, attached;
    if (c.embedded) embedded.push_back(file_part(mime::PartRole::picture, file));
    if (c.attached) attached.push_back(file_part(mime::PartRole::attachment, file));
    std::optional<mime::Part> html;
    if (c.html) html = text_part(mime::PartRole::html, "text/html", "");
    const mime::Part root =
        mime::draft_structure(text_part(mime::PartRole::plain_text, "text/plain", ""), std::move(html),
                              std::move(embedded), std::move(attached), {"----=_1_", "----=_2_", "----=_3_"});
    Lines types;
    mime::for_each_part(root, [&types](const mime::Part& part) { types.push_back(part.type); });
    EXPECT_EQ(types, c.types) << c.name;
  }
}

TEST(message_writer_test, a_message_is_written_in_its_layout) {
  Folder dir;
  const fs::path file = dir.write("report.pdf", "hello");
  const mime::Message message = message_of(mime::draft_structure(
      text_part(mime::PartRole::plain_text, "text/plain", "caf\xC3\xA9\n"),
      text_part(mime::PartRole::html, "text/html", "<p>x</p>"), {}, {file_part(mime::PartRole::attachment, file)},
      {"----=_1_", "----=_2_", "----=_3_"}));
  Collect sink;
  mime::WriteFailure failure;
  ASSERT_TRUE(mime::write_message(message, sink, failure));
  const Lines expected = {
      "To: ann@example.com", "MIME-Version: 1.0", "Content-Type: multipart/mixed;", "    boundary=\"----=_1_\"",
      "X-Unsent: 1", "", "This is a multi-part message in MIME format.", "",
      "------=_1_", "Content-Type: multipart/alternative;", "    boundary=\"----=_2_\"", "",
      "------=_2_", "Content-Type: text/plain;", "    charset=\"utf-8\"", "Content-Transfer-Encoding: quoted-printable", "",
      "caf=C3=A9", "",
      "------=_2_", "Content-Type: text/html;", "    charset=\"utf-8\"", "Content-Transfer-Encoding: quoted-printable", "",
      "<p>x</p>",
      "------=_2_--", "",
      "------=_1_", "Content-Type: application/octet-stream;", "    name=\"report.pdf\"",
      "Content-Transfer-Encoding: base64", "Content-Disposition: attachment;", "    filename=\"report.pdf\"", "",
      "aGVsbG8=", "",
      "", "------=_1_--"};
  EXPECT_EQ(sink.lines, expected);
}

// A file's bytes are those of the file that was added: one changed since,
// or gone, fails its part, and so does a stream that fails.
TEST(message_writer_test, a_source_that_fails_names_its_part) {
  const struct {
    const char* name;
    void (*spoil)(const fs::path& file);
    uint32_t system_error;
  } cases[] = {
      {"changed", [](const fs::path& file) { std::ofstream(file, std::ios::app) << "more"; }, plat::ERROR_FILE_INVALID},
      {"gone", [](const fs::path& file) { fs::remove(file); }, plat::ERROR_FILE_NOT_FOUND},
  };
  for (const auto& c : cases) {
    Folder dir;
    const fs::path file = dir.write("a.bin", "abc");
    mime::Message message = message_of(mime::draft_structure(
        text_part(mime::PartRole::plain_text, "text/plain", ""), text_part(mime::PartRole::html, "text/html", ""), {},
        {file_part(mime::PartRole::attachment, file)}, {"a", "b", "c"}));
    c.spoil(file);
    Collect sink;
    mime::WriteFailure failure;
    EXPECT_FALSE(mime::write_message(message, sink, failure)) << c.name;
    ASSERT_NE(failure.part, nullptr) << c.name;
    EXPECT_EQ(failure.part->role, mime::PartRole::attachment) << c.name;
    EXPECT_EQ(failure.system_error, c.system_error) << c.name;
  }
  mime::Part failing = text_part(mime::PartRole::html, "text/html", "");
  failing.body.stream = [](const mime::ByteSink&) { return false; };
  const mime::Message message = message_of(mime::draft_structure(
      text_part(mime::PartRole::plain_text, "text/plain", ""), std::move(failing), {}, {}, {"a", "b", "c"}));
  Collect sink;
  mime::WriteFailure failure;
  EXPECT_FALSE(mime::write_message(message, sink, failure));
  ASSERT_NE(failure.part, nullptr);
  EXPECT_EQ(failure.part->role, mime::PartRole::html);
}

}  // namespace

namespace {

// A part carried as it stands keeps every byte of its lines, CR LF at each
// line end, and its last line end as the text has it.
TEST(message_writer_test, an_unencoded_part_keeps_its_lines) {
  const struct {
    const char* name;
    std::string bytes;
    Lines lines;
  } cases[] = {
      {"line ends", "a: 1\n\nbody  \r\nend\n", {"a: 1", "", "body  ", "end", ""}},
      {"no last line end", "a: 1\n\nend", {"a: 1", "", "end"}},
  };
  for (const auto& c : cases) {
    mime::Part part = text_part(mime::PartRole::attachment, "message/rfc822", c.bytes);
    part.parameters.clear();
    part.encoding = mime::TransferEncoding::seven_bit;
    const mime::Message message = message_of(mime::draft_structure(
        text_part(mime::PartRole::plain_text, "text/plain", ""), text_part(mime::PartRole::html, "text/html", ""), {},
        {std::move(part)}, {"a", "b", "c"}));
    Collect sink;
    mime::WriteFailure failure;
    ASSERT_TRUE(mime::write_message(message, sink, failure)) << c.name;
    const auto start = std::find(sink.lines.begin(), sink.lines.end(), "Content-Transfer-Encoding: 7bit") + 2;
    Lines expected = c.lines;
    expected.insert(expected.end(), {"", "--a--"});
    EXPECT_EQ(Lines(start, sink.lines.end()), expected) << c.name;
  }
}

}  // namespace
