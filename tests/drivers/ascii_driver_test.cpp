#include "drivers/ascii_driver.h"

#include <span>

#include "drivers/operation_codes.h"
#include "services/error_state.h"
#include "tests/drivers/record_file_fixture.h"

using namespace drv;
using drv_test::DeclaredFile;

namespace {

class ascii_driver_test : public drv_test::RecordFileTest {
 protected:
  // Opens `name` holding `bytes` for reading from its start.
  void open_with(DeclaredFile& f, const std::string& bytes, uint32_t length = 250,
                 const char* options = nullptr) {
    write_file("in.txt", bytes);
    f.text("in.txt", length, options);
    f.call(OP_OPEN, 0x22);
    ASSERT_EQ(error_code(), 0);
    f.call(OP_SETfile);
  }
  std::vector<std::string> read_all(DeclaredFile& f) {
    std::vector<std::string> lines;
    for (int guard = 0; guard < 1000; ++guard) {
      f.call(OP_NEXT);
      if (error_code() != 0) break;
      lines.push_back(f.clipped());
    }
    return lines;
  }
  std::string send(DeclaredFile& f, const std::string& option) {
    return f.call_with_text(OP_SEND, option);
  }
  // One option of a table: the text sent and the answer expected.
  struct SendCase {
    const char* option;
    const char* answer;
  };
  // Sends each option in turn (one may change what the next answers); a
  // failure names the option.
  void expect_answers(DeclaredFile& f, std::span<const SendCase> cases) {
    for (const SendCase& c : cases)
      EXPECT_EQ(send(f, c.option), c.answer) << "sent \"" << c.option << '"';
  }
};

TEST_F(ascii_driver_test, add_clips_trailing_spaces_and_ends_with_cr_lf) {
  write_file("out.txt", "");
  DeclaredFile f;
  f.text("out.txt");
  f.call(OP_OPEN, 0x22);
  f.set_record("abc");
  f.call(OP_ADD);
  f.set_record("");
  f.call(OP_ADD);
  EXPECT_EQ(error_code(), 0);
  f.call(OP_CLOSE);
  EXPECT_EQ(read_file("out.txt"), "abc\r\n\r\n");
}

TEST_F(ascii_driver_test, clip_off_writes_the_whole_record) {
  write_file("out.txt", "");
  DeclaredFile f;
  f.text("out.txt");
  f.call(OP_OPEN, 0x22);
  EXPECT_EQ(send(f, "CLIP=OFF"), "ON");
  f.set_record("abc");
  f.call(OP_ADD);
  f.call(OP_CLOSE);
  EXPECT_EQ(read_file("out.txt"), "abc" + std::string(247, ' ') + "\r\n");
}

TEST_F(ascii_driver_test, first_add_overwrites_a_trailing_ctrl_z_once) {
  write_file("out.txt", "one\r\n\x1a");
  DeclaredFile f;
  f.text("out.txt");
  f.call(OP_OPEN, 0x22);
  f.set_record("two");
  f.call(OP_ADD);
  f.set_record("three");
  f.call(OP_ADD);
  f.call(OP_CLOSE);
  EXPECT_EQ(read_file("out.txt"), "one\r\ntwo\r\nthree\r\n");
}

TEST_F(ascii_driver_test, tabs_expand_by_the_tab_setting) {
  const std::pair<const char*, std::string> cases[] = {
      {nullptr, "a       b"}, {"/TAB=4", "a   b"}, {"/TAB=-2", "a  b"},
      {"/TAB=0", "ab"},       {"/TAB=-100", "a\tb"}};
  for (const auto& [option, expected] : cases) {
    DeclaredFile f;
    open_with(f, "a\tb\r\n", 250, option);
    f.call(OP_NEXT);
    EXPECT_EQ(f.clipped(), expected) << (option ? option : "default");
  }
}

TEST_F(ascii_driver_test, long_line_is_cut_and_its_tail_skipped) {
  DeclaredFile f;
  open_with(f, std::string(300, 'x') + "\r\nnext\r\n");
  f.call(OP_NEXT);
  EXPECT_EQ(f.record_text(), std::string(250, 'x'));
  EXPECT_EQ(f.call(OP_BYTES), 302);
  f.call(OP_NEXT);
  EXPECT_EQ(f.clipped(), "next");
  EXPECT_EQ(f.call(OP_POINTERfile), 303);
}

TEST_F(ascii_driver_test, last_line_without_line_end_then_end_of_file) {
  DeclaredFile f;
  open_with(f, "first\r\nlast");
  EXPECT_EQ(read_all(f), (std::vector<std::string>{"first", "last"}));
  EXPECT_EQ(error_code(), svc::err::record_not_available);
  EXPECT_EQ(f.call(OP_EOF), 1);
}

TEST_F(ascii_driver_test, line_end_of_lf_alone_reads_and_writes_lf) {
  DeclaredFile f;
  open_with(f, "a\r\nb\nc\n", 250, "/ENDOFRECORD=1,10");
  EXPECT_EQ(read_all(f), (std::vector<std::string>{"a\r", "b", "c"}));
  f.set_record("d");
  f.call(OP_ADD);
  f.call(OP_CLOSE);
  EXPECT_EQ(read_file("in.txt"), "a\r\nb\nc\nd\n");
}

TEST_F(ascii_driver_test, option_text_is_upper_cased_without_spaces) {
  write_file("in.txt", "x\r\n");
  DeclaredFile f;
  f.text("in.txt");
  f.call(OP_OPEN, 0x42);
  const SendCase options[] = {
      {"quickscan", "OFF"},       {" quickscan = on ", "OFF"}, {"QUICKSCAN", "ON"},
      {"  Quickscan =off", "ON"}, {"QUICKSCAN", "OFF"},        {"NOSUCHOPTION", ""},
  };
  expect_answers(f, options);
  EXPECT_EQ(error_code(), 0);
}

TEST_F(ascii_driver_test, end_of_record_with_missing_codes_stops_at_the_text_end) {
  write_file("in.txt", "");
  DeclaredFile f;
  f.text("in.txt");
  f.call(OP_OPEN, 0x22);
  const SendCase options[] = {
      {"ENDOFRECORD=3,13", "\r\n"},
      {"ENDOFRECORD", "\r"},
  };
  expect_answers(f, options);
}

TEST_F(ascii_driver_test, ctrl_z_ends_a_line_and_at_a_line_start_the_file) {
  DeclaredFile f;
  open_with(f, "ab\x1a" "cd\r\n\x1a" "ef\r\n");
  EXPECT_EQ(read_all(f), (std::vector<std::string>{"ab", "cd"}));
  EXPECT_EQ(error_code(), svc::err::record_not_available);
  EXPECT_EQ(f.call(OP_EOF), 1);
  f.call(OP_CLOSE);
  DeclaredFile g;
  open_with(g, "ab\x1a" "cd\r\n\x1a" "ef\r\n", 250, "/CTRLZISEOF=OFF");
  EXPECT_EQ(read_all(g), (std::vector<std::string>{"ab\x1a" "cd", "\x1a" "ef"}));
}

TEST_F(ascii_driver_test, empty_file_gives_record_not_available) {
  DeclaredFile f;
  open_with(f, "");
  f.call(OP_NEXT);
  EXPECT_EQ(error_code(), svc::err::record_not_available);
  EXPECT_EQ(f.call(OP_EOF), 1);
  EXPECT_EQ(f.call(OP_BYTES), 0);
}

TEST_F(ascii_driver_test, put_at_pointer_overwrites_in_place) {
  DeclaredFile f;
  open_with(f, "aaaa\r\nbbbb\r\n");
  f.set_record("XY");
  f.call(OP_PUTfileptr, 7);
  f.call(OP_CLOSE);
  EXPECT_EQ(read_file("in.txt"), "aaaa\r\nXY\r\n\r\n");
}

TEST_F(ascii_driver_test, zero_length_add_cuts_the_file_at_its_end_keeping_buffered_lines) {
  write_file("out.txt", "");
  DeclaredFile f;
  f.text("out.txt");
  f.call(OP_OPEN, 0x22);  // QUICKSCAN on: lines stay in the block
  f.set_record("kept");
  f.call(OP_ADD);
  f.call(OP_ADDfilelen, 0);
  EXPECT_EQ(error_code(), 0);
  f.call(OP_CLOSE);
  EXPECT_EQ(read_file("out.txt"), "kept\r\n");
}

TEST_F(ascii_driver_test, many_lines_cross_block_boundaries_exactly) {
  write_file("out.txt", "");
  DeclaredFile f;
  f.text("out.txt");
  f.call(OP_OPEN, 0x22);
  std::string expected;
  for (int i = 0; i < 500; ++i) {
    std::string line = std::to_string(i) + std::string(i % 97, '-');
    f.set_record(line);
    f.call(OP_ADD);
    expected += line + "\r\n";
  }
  f.call(OP_CLOSE);
  EXPECT_EQ(read_file("out.txt"), expected);
  DeclaredFile g;
  open_with(g, expected);
  EXPECT_EQ(read_all(g).size(), 500u);
}

TEST_F(ascii_driver_test, add_on_a_file_opened_read_only_is_access_denied) {
  DeclaredFile f;
  open_with(f, "x\r\n");
  f.call(OP_CLOSE);
  f.call(OP_OPEN, 0x20);
  f.call(OP_ADD);
  EXPECT_EQ(error_code(), svc::err::access_denied);
}

}  // namespace

namespace {

TEST_F(ascii_driver_test, oem_files_are_converted_both_ways_and_the_record_is_kept) {
  write_file("oem.txt", "");
  DeclaredFile f;
  f.text("oem.txt", 10);
  f.decl.attributes |= kDeclOem;
  f.call(OP_OPEN, 0x22);
  f.set_record("caf\xe9");  // e acute in the ANSI code page
  f.call(OP_ADD);
  EXPECT_EQ(f.clipped(), "caf\xe9");
  f.call(OP_CLOSE);
  EXPECT_EQ(read_file("oem.txt"), "caf\x82\r\n");  // the same letter in the OEM code page
  f.call(OP_OPEN, 0x22);
  f.call(OP_SETfile);
  f.call(OP_NEXT);
  EXPECT_EQ(f.clipped(), "caf\xe9");
}

TEST_F(ascii_driver_test, get_and_reget_read_from_any_byte) {
  DeclaredFile f;
  open_with(f, "hello\r\nworld\r\n");
  f.call(OP_GETfileptr, 3);
  EXPECT_EQ(f.clipped(), "llo");
  EXPECT_EQ(f.call(OP_BYTES), 5);
  f.call_with_text(OP_REGETfile, std::string("\x09\0\0\0", 4));
  EXPECT_EQ(f.clipped(), "orld");
  f.call(OP_GETfileptr, 0);
  EXPECT_EQ(error_code(), 0);
  f.call(OP_GETfileptr, 15);
  EXPECT_EQ(error_code(), svc::err::record_not_available);
}

TEST_F(ascii_driver_test, filebuffers_answers_and_ignores_counts_past_32_bits) {
  write_file("in.txt", "");
  DeclaredFile f;
  f.text("in.txt");
  f.call(OP_OPEN, 0x22);
  const SendCase options[] = {
      {"FILEBUFFERS", "1024"},
      {"FILEBUFFERS=4", "1024"},
      {"FILEBUFFERS=8388608", "2048"},
      {"FILEBUFFERS=0", "2048"},
      {"FILEBUFFERS", "252"},  // still a whole record and its line end
      {"TAB=-7", "8"},
      {"TAB", "-7"},
  };
  expect_answers(f, options);
  f.set_record("after");
  f.call(OP_ADD);
  f.call(OP_CLOSE);
  EXPECT_EQ(read_file("in.txt"), "after\r\n");
}

TEST_F(ascii_driver_test, put_needs_a_current_record_and_rewrites_it) {
  DeclaredFile f;
  open_with(f, "aaaa\r\nbbbb\r\n");
  f.set_record("x");
  f.call(OP_PUT);
  EXPECT_EQ(error_code(), svc::err::record_not_available);
  f.call(OP_NEXT);
  f.set_record("cccc");
  f.call(OP_PUT);
  EXPECT_EQ(error_code(), 0);
  f.call(OP_CLOSE);
  EXPECT_EQ(read_file("in.txt"), "cccc\r\nbbbb\r\n");
}

}  // namespace

namespace {

// Lines of a text as the scan reads them one byte at a time (CR LF line
// ends, tab setting 8, Ctrl-Z ends the file), without any fast path.
std::vector<std::string> reference_lines(const std::string& data, size_t L) {
  std::vector<std::string> lines;
  auto line_end_at = [&](size_t q) { return q + 1 < data.size() && data[q] == 13 && data[q + 1] == 10; };
  for (size_t pos = 0; pos < data.size() && data[pos] != 26;) {
    std::string record(L, ' ');
    size_t c = 0, t = 0;
    bool ended = false;
    while (t < L && c < L && pos + t < data.size()) {
      if (line_end_at(pos + t)) {
        t += 2;
        ended = true;
        break;
      }
      char b = data[pos + t];
      if (b == 26) break;
      ++t;
      if (b == '\t') c = std::min((c / 8 + 1) * 8, L);
      else record[c++] = b;
    }
    if (!ended) {
      size_t q = pos + t;
      while (q < data.size()) {
        if (line_end_at(q)) { q += 2; break; }
        if (data[q++] == 26) break;
      }
      t = q - pos;
    }
    lines.push_back(record.substr(0, record.find_last_not_of(' ') + 1));
    pos += t;
  }
  return lines;
}

TEST_F(ascii_driver_test, reads_match_a_byte_at_a_time_scan_across_block_edges) {
  uint32_t seed = 12345;
  auto next = [&] { return seed = seed * 1103515245u + 12345u, (seed >> 16) & 0x7FFF; };
  const char alphabet[] = {'a', 'b', ' ', '\t', '\r', '\n', '\x1a', 'x'};
  for (int round = 0; round < 60; ++round) {
    std::string data;
    size_t size = next() % 300;
    for (size_t i = 0; i < size; ++i) {
      uint32_t r = next() % 100;
      data += r < 70 ? char('a' + r % 26) : r < 97 ? alphabet[r % 6] : alphabet[6 + r % 2];
    }
    uint32_t L = 1 + next() % 12;
    DeclaredFile f;
    open_with(f, data, L, round % 2 ? "/FILEBUFFERS=0" : nullptr);
    EXPECT_EQ(read_all(f), reference_lines(data, L)) << "round " << round;
    f.call(OP_CLOSE);
  }
}

}  // namespace
