// The program's own text handling, tested in-process: splitting the command
// text into queues, blanking the leading number, finding image references,
// colour texts, base names and loop choices.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "app/attachment_parts.h"
#include "app/html_body.h"
#include "app/main_procedure.h"
#include "app/program_data.h"
#include "app/program_queue.h"
#include "app/work_copies.h"
#include "services/heap.h"

namespace {

// A CommandText of 10000 bytes holding `text`, space-padded.
struct CommandText {
  // Not inlined: the compiler otherwise misjudges the bounds of short literals.
  [[gnu::noinline]] explicit CommandText(const std::string& text) {
    std::memset(bytes, ' ', sizeof bytes);
    for (size_t i = 0; i < text.size() && i < sizeof bytes; ++i) bytes[i] = text[i];
  }
  std::string clipped() const { return std::string(app::clipped(bytes, sizeof bytes)); }
  char bytes[app::kCommandTextSize];
};

std::string entry(app::ProgramQueue& queue, uint32_t position) {
  queue.get(position);
  return std::string(app::clipped(queue.field(), queue.field_size()));
}

const std::string kL(1, app::kLineDelimiter);
const std::string kF(1, app::kFileDelimiter);

}  // namespace

TEST(command_split_test, body_lines_and_file_names_go_to_their_queues) {
  CommandText text("7 X('a')" + kL + "one" + kL + "two" + kL + kF + "a.pdf" + kF + "b.zip" + kF);
  app::MainLocals locals{};
  app::ProgramQueue lines("GBQ:LINE", 255), files("GLQ:FILENAME", 255);
  EXPECT_EQ(app::split_delimited(text.bytes, app::kLineDelimiter, lines, locals), 9);
  EXPECT_EQ(app::split_delimited(text.bytes, app::kFileDelimiter, files, locals), 18);
  ASSERT_EQ(lines.records(), 2u);
  EXPECT_EQ(entry(lines, 1), "one");
  EXPECT_EQ(entry(lines, 2), "two");
  ASSERT_EQ(files.records(), 2u);
  EXPECT_EQ(entry(files, 1), "a.pdf");
  EXPECT_EQ(entry(files, 2), "b.zip");
  lines.free();
  files.free();
}

TEST(command_split_test, delimiters_edge_cases) {
  app::MainLocals locals{};
  {
    app::ProgramQueue q("GBQ:LINE", 255);
    CommandText single("call" + kL + "tail");
    EXPECT_EQ(app::split_delimited(single.bytes, app::kLineDelimiter, q, locals), 5);
    EXPECT_EQ(q.records(), 0u) << "a single delimiter adds nothing";
  }
  {
    app::ProgramQueue q("GBQ:LINE", 255);
    CommandText empty_line("c" + kL + kL + std::string(300, 'x') + kL);
    app::split_delimited(empty_line.bytes, app::kLineDelimiter, q, locals);
    ASSERT_EQ(q.records(), 2u);
    q.get(1);
    EXPECT_EQ(std::string(q.field(), q.field_size()), std::string(255, ' '));
    EXPECT_EQ(entry(q, 2), std::string(255, 'x')) << "cut to 255 bytes";
    q.free();
  }
  {
    app::ProgramQueue q("GBQ:LINE", 255);
    CommandText none("no delimiters here");
    EXPECT_EQ(app::split_delimited(none.bytes, app::kLineDelimiter, q, locals), 0);
    EXPECT_EQ(q.records(), 0u);
  }
}

TEST(command_split_test, leading_number_is_blanked_up_to_the_first_other_byte) {
  app::MainLocals locals{};
  CommandText digits("12   Call('1')");
  app::strip_leading_number(digits.bytes, locals);
  EXPECT_EQ(digits.clipped(), "     Call('1')");
  CommandText minus("-5 Call()");
  app::strip_leading_number(minus.bytes, locals);
  EXPECT_EQ(minus.clipped(), "-5 Call()");
  CommandText plain("Call('7')");
  app::strip_leading_number(plain.bytes, locals);
  EXPECT_EQ(plain.clipped(), "Call('7')");
  // Only the first 100 bytes are ever touched.
  CommandText long_number(std::string(150, '9') + "Call()");
  app::strip_leading_number(long_number.bytes, locals);
  EXPECT_EQ(long_number.clipped(), std::string(100, ' ') + std::string(50, '9') + "Call()");
}

TEST(command_split_test, image_reference_follows_img_then_src_then_quotes) {
  struct Case {
    const char* line;
    const char* reference;  // null: none
  };
  const Case cases[] = {
      {"<img src=3D\"a.gif\">", "a.gif"},
      {"<IMG alt=3D'x' SRC=3D\"b c.png\">", "b c.png"},
      {"<img src=3D'single.jpg'>", "single.jpg"},
      {"<img src=3Dnone.gif>", nullptr},
      {"<img src=3D\"open.gif>", nullptr},
      {"src=3D\"a.gif\" <img>", nullptr},
      {"no image", nullptr},
      {"<iMg SrC=\"\">", ""},
  };
  for (const Case& c : cases) {
    char line[255];
    std::memset(line, ' ', sizeof line);
    std::memcpy(line, c.line, std::strlen(c.line));
    const app::ImageReference ref = app::find_image_reference(line, sizeof line);
    if (c.reference == nullptr) {
      EXPECT_FALSE(ref.found()) << c.line;
    } else {
      ASSERT_TRUE(ref.found()) << c.line;
      EXPECT_EQ(std::string(ref.name(line)), c.reference);
    }
  }
}

TEST(command_split_test, colour_text_is_red_green_blue) {
  const std::pair<int32_t, const char*> cases[] = {{255, "FF0000"},       {0xFF0000, "0000FF"},
                                                   {0x010203, "030201"},  {0xFFFFFF, "FFFFFF"},
                                                   {0x1ABCDEF, "EFCDAB"}, {-1, "FFFFFF"}};
  for (const auto& [value, text] : cases) {
    char out[6];
    app::ColorToHtml(value, out);
    EXPECT_EQ(std::string(out, 6), text) << value;
  }
}

TEST(command_split_test, base_names_use_either_separator) {
  EXPECT_EQ(app::base_name("C:\\dir\\a.pdf"), "a.pdf");
  EXPECT_EQ(app::base_name("dir/sub/b.zip  "), "b.zip");
  EXPECT_EQ(app::base_name("plain.txt"), "plain.txt");
  EXPECT_EQ(app::base_name("dir\\"), "");
  EXPECT_EQ(app::base_name("a\\b/c.gif", true), "c.gif");
}

TEST(command_split_test, loop_choices_compare_exactly_but_ignore_trailing_spaces) {
  EXPECT_EQ(app::sound_loop_count("Once"), 1);
  EXPECT_EQ(app::sound_loop_count("Twice   "), 2);
  EXPECT_EQ(app::sound_loop_count("5 times"), 5);
  EXPECT_EQ(app::sound_loop_count("Forever"), -1);
  EXPECT_EQ(app::sound_loop_count("forever"), 0);
  EXPECT_EQ(app::sound_loop_count(" Once"), 0);
  EXPECT_EQ(app::sound_loop_count(""), 0);
}
