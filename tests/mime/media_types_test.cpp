#include "mime/media_types.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace {

using namespace std::string_literals;

std::span<const unsigned char> bytes(const std::string& text) {
  return {reinterpret_cast<const unsigned char*>(text.data()), text.size()};
}

struct TypeCase {
  const char* label;
  std::string head;
  const char* file_name;
  const char* type;
};

TEST(media_types_test, pictures_by_content_then_extension) {
  const TypeCase cases[] = {
      {"png", "\x89PNG\r\n\x1A\n\0\0\0\rIHDR"s, "logo.dat", "image/png"},
      {"jpeg", "\xFF\xD8\xFF\xE0\0\x10JFIF"s, "2.gif", "image/jpeg"},
      {"gif87", "GIF87a\x01\0"s, "x", "image/gif"},
      {"gif89", "GIF89a\x01\0"s, "x", "image/gif"},
      {"bmp", "BM\x36\x10\0\0"s, "x", "image/bmp"},
      {"webp", "RIFF\x24\0\0\0WEBPVP8 "s, "x", "image/webp"},
      {"riff wave is no picture", "RIFF\x24\0\0\0WAVEfmt "s, "p.png", "image/png"},
      {"ico", "\0\0\1\0\1\0\x10\x10"s, "x", "image/vnd.microsoft.icon"},
      {"tiff, little-endian", "II*\0\x08\0\0\0"s, "x", "image/tiff"},
      {"tiff, big-endian", "MM\0*\0\0\0\x08"s, "x.png", "image/tiff"},
      {"svg", "<svg xmlns=\"http", "x", "image/svg+xml"},
      {"svg after mark and space", "\xEF\xBB\xBF \n<svg>", "x", "image/svg+xml"},
      {"svg after declaration", "<?xml version=\"1.0\"?>\n<svg>", "x", "image/svg+xml"},
      {"declaration alone goes by name", "<?xml version=\"1", "d.svg", "image/svg+xml"},
      {"xml that is no svg", "<?xml version=\"1.0\"?><html>", "x", "application/octet-stream"},
      {"unknown by extension", "????", "photo.JPG", "image/jpeg"},
      {"unknown, folder's period", "????", "d.v2/photo", "application/octet-stream"},
      {"empty file by extension", "", "a.webp", "image/webp"},
      {"short head", "\x89P", "x", "application/octet-stream"},
  };
  for (const TypeCase& c : cases) {
    EXPECT_EQ(mime::picture_type(bytes(c.head), c.file_name), c.type) << c.label;
    // By content alone, only what the bytes tell: never the name's guess.
    const std::string_view by_content = mime::picture_content_type(bytes(c.head));
    EXPECT_TRUE(by_content.empty() || by_content == c.type) << c.label;
    EXPECT_EQ(by_content.empty(), mime::picture_type(bytes(c.head), "x") == mime::kUnknownType) << c.label;
  }
}

TEST(media_types_test, sounds_by_content_then_extension) {
  const TypeCase cases[] = {
      {"wave", "RIFF\x24\0\0\0WAVEfmt "s, "snd.au", "audio/wav"},
      {"id3", "ID3\x04\0\0\0\0\0\0"s, "x", "audio/mpeg"},
      {"mpeg frame", "\xFF\xFB\x90\x64", "x", "audio/mpeg"},
      {"mpeg 2 layer 3", "\xFF\xF3\x48\xC4", "x", "audio/mpeg"},
      {"aac is no mp3", "\xFF\xF1\x50\x80", "x", "application/octet-stream"},
      {"bad bit rate", "\xFF\xFB\xF0\x64", "x", "application/octet-stream"},
      {"midi", "MThd\0\0\0\x06"s, "x", "audio/midi"},
      {"au", ".snd\0\0\0\x18"s, "x.wav", "audio/basic"},
      {"webp is no sound", "RIFF\x24\0\0\0WEBPVP8 "s, "x", "application/octet-stream"},
      {"by extension", "", "Loop.MID", "audio/midi"},
      {"wav by extension", "junk", "c:\\sounds\\ding.wav", "audio/wav"},
      {"unknown", "junk", "ding", "application/octet-stream"},
  };
  for (const TypeCase& c : cases) EXPECT_EQ(mime::sound_type(bytes(c.head), c.file_name), c.type) << c.label;
}

TEST(media_types_test, extensions_come_from_the_base_name) {
  const struct {
    const char* file_name;
    const char* extension;
  } cases[] = {
      {"a.PDF", "pdf"},     {"dir\\x.Tar.GZ", "gz"}, {"d.v2/photo", ""}, {"d.v2\\photo", ""},
      {".profile", ""},     {"a.", ""},              {"", ""},           {"a/.b.txt", "txt"},
  };
  for (const auto& c : cases) EXPECT_EQ(mime::lower_extension(c.file_name), c.extension) << c.file_name;
}

TEST(media_types_test, table_text_gives_each_extension_its_first_type) {
  const std::string_view text =
      "# comment line\n"
      "\n"
      "text/plain\ttxt  TEXT\r\n"
      "application/x-first dup # a comment: ignored words\n"
      "application/x-second dup other#comment\n"
      "application/x-none\n"
      "no-type-here skipped\n"
      "  image/png png";
  const mime::MediaTypeTable table = mime::MediaTypeTable::parse(text);
  const struct {
    const char* file_name;
    const char* type;
  } cases[] = {
      {"a.txt", "text/plain"}, {"b.Text", "text/plain"},           {"c.dup", "application/x-first"},
      {"d.other", "application/x-second"}, {"e.png", "image/png"}, {"f.comment", ""},
      {"g.ignored", ""},       {"h", ""},                          {"i.skipped", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(table.type_of(c.file_name), c.type) << c.file_name;
    EXPECT_EQ(mime::MediaTypeTable::find(text, mime::lower_extension(c.file_name)), c.type) << c.file_name;
  }
}

TEST(media_types_test, attachments_by_extension) {
  const struct {
    const char* file_name;
    const char* type;
  } cases[] = {
      {"report.PDF", "application/pdf"},
      {"sales.csv", "text/csv"},
      {"notes.txt", "text/plain"},
      {"x.no-such-extension", "application/octet-stream"},
      {"README", "application/octet-stream"},
  };
  for (const auto& c : cases) EXPECT_EQ(mime::attachment_type(c.file_name), c.type) << c.file_name;
}

TEST(media_types_test, built_in_table_agrees_with_the_system_table) {
  std::ifstream in("/etc/mime.types", std::ios::binary);
  if (!in) GTEST_SKIP() << "no system table";
  const mime::MediaTypeTable system =
      mime::MediaTypeTable::parse(std::string(std::istreambuf_iterator<char>(in), {}));
  const mime::MediaTypeTable built_in = mime::MediaTypeTable::built_in();
  EXPECT_GT(built_in.entries().size(), 30u);
  for (const auto& [extension, type] : built_in.entries())
    EXPECT_EQ(system.type_of("x." + extension), type) << extension;
}

}  // namespace

namespace {

TEST(media_types_test, table_lines_whose_type_would_not_make_a_header_are_ignored) {
  const std::string long_type = "application/" + std::string(89, 'x');  // 101 bytes
  const mime::MediaTypeTable table = mime::MediaTypeTable::parse("application/" + std::string(88, 'x') + " fits\n" +
                                                                 long_type + " long\n"
                                                                 "text/pl\x01in ctl\n"
                                                                 "noslash none\n"
                                                                 "text/ empty\n"
                                                                 "/plain nothing\n"
                                                                 "text/a/b twice\n"
                                                                 "text/plain;charset=x param\n"
                                                                 "text/caf\xC3\xA9 high\n"
                                                                 "text/csv long ctl none empty nothing twice param high\n");
  EXPECT_EQ(table.type_of("a.fits").size(), 100u);
  for (const char* name : {"a.long", "a.ctl", "a.none", "a.empty", "a.nothing", "a.twice", "a.param", "a.high"})
    EXPECT_EQ(table.type_of(name), "text/csv") << name;
}

TEST(media_types_test, attachment_form_by_type_and_content) {
  using V = mime::ContentVerdict;
  using E = mime::TransferEncoding;
  const V message{.message_shape = true};
  const struct {
    const char* table_type;
    V content;
    const char* type;
    E encoding;
  } cases[] = {
      {"message/rfc822", message, "message/rfc822", E::seven_bit},
      {"Message/RFC822", {.eight_bit = true, .message_shape = true}, "message/rfc822", E::eight_bit},
      {"message/rfc822", {}, "application/octet-stream", E::base64},
      {"message/rfc822", {.nul = true, .message_shape = true}, "application/octet-stream", E::base64},
      {"message/rfc822", {.lone_cr = true, .message_shape = true}, "application/octet-stream", E::base64},
      {"message/rfc822", {.long_line = true, .message_shape = true}, "application/octet-stream", E::base64},
      {"message/rfc822", {.delimiter_line = true, .message_shape = true}, "application/octet-stream", E::base64},
      {"message/global", message, "application/octet-stream", E::base64},
      {"multipart/voice-message", message, "application/octet-stream", E::base64},
      {"text/csv", {.long_line = true, .delimiter_line = true}, "text/csv", E::base64},
      {"text/plain", {.eight_bit = true}, "text/plain", E::base64},
      {"text/plain", {.nul = true}, "application/octet-stream", E::base64},
      {"Text/Plain", {.lone_cr = true}, "application/octet-stream", E::base64},
      {"application/pdf", {.nul = true}, "application/pdf", E::base64},
  };
  for (const auto& c : cases) {
    const mime::PartForm form = mime::attachment_form(c.table_type, c.content);
    EXPECT_EQ(form.type, c.type) << c.table_type;
    EXPECT_EQ(form.encoding, c.encoding) << c.table_type;
  }
  for (const char* type : {"message/rfc822", "text/plain", "TEXT/csv"})
    EXPECT_TRUE(mime::content_decides_form(type)) << type;
  for (const char* type : {"application/pdf", "multipart/voice-message", "message/global", "textual/x"})
    EXPECT_FALSE(mime::content_decides_form(type)) << type;
}

}  // namespace
