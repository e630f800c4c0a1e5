// The fixed font model: metrics of the 8-point dialog font at 96 dots per
// inch and text measured and wrapped by them.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/gdi.h"
#include "platform/text.h"

using namespace plat;

namespace {

class window_gdi_test : public ::testing::Test {
 protected:
  void SetUp() override {
    reset_gdi();
    dc_ = GetDC(nullptr);
    int height = -MulDiv(8, GetDeviceCaps(dc_, LOGPIXELSY), 72);
    font_ = CreateFontA(height, 0, 0, 0, FW_BOLD, 0, 0, 0, ANSI_CHARSET, OUT_TT_PRECIS,
                        CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, "Helv");
    SelectObject(dc_, font_);
  }
  void TearDown() override {
    ReleaseDC(nullptr, dc_);
    DeleteObject(font_);
  }

  // The rectangle DT_CALCRECT gives for `text` in a column `width` wide.
  RECT measure(const char* text, LONG width, UINT format = DT_WORDBREAK | DT_NOPREFIX) {
    RECT r{0, 0, width, 0};
    int height = DrawTextA(dc_, text, -1, &r, format | DT_CALCRECT);
    EXPECT_EQ(height, r.bottom);
    return r;
  }

  HDC dc_ = nullptr;
  HFONT font_ = nullptr;
};

}  // namespace

TEST_F(window_gdi_test, the_dialog_font_is_six_by_thirteen) {
  EXPECT_EQ(GetDeviceCaps(dc_, LOGPIXELSY), 96);
  TEXTMETRICA m{};
  ASSERT_TRUE(GetTextMetricsA(dc_, &m));
  EXPECT_EQ(m.tmHeight, 13);
  EXPECT_EQ(m.tmAveCharWidth, 6);
  EXPECT_EQ(m.tmWeight, FW_BOLD);
  SIZE extent{};
  const char* letters = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ";
  ASSERT_TRUE(GetTextExtentPoint32A(dc_, letters, 52, &extent));
  EXPECT_EQ((extent.cx / 26 + 1) / 2, 6);  // the dialog base width
  EXPECT_EQ(extent.cy, 13);
}

TEST_F(window_gdi_test, other_heights_scale_and_the_system_font_is_larger) {
  HFONT big = CreateFontA(-22, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, 0, 0, "Helv");
  HGDIOBJ previous = SelectObject(dc_, big);
  EXPECT_EQ(previous, font_);
  TEXTMETRICA m{};
  GetTextMetricsA(dc_, &m);
  EXPECT_EQ(m.tmHeight, 26);
  EXPECT_EQ(m.tmAveCharWidth, 12);
  SelectObject(dc_, GetStockObject(SYSTEM_FONT));
  GetTextMetricsA(dc_, &m);
  EXPECT_EQ(m.tmHeight, 16);
  EXPECT_EQ(m.tmAveCharWidth, 7);
  DeleteObject(big);
  EXPECT_TRUE(DeleteObject(GetStockObject(SYSTEM_FONT)));  // stock objects stay
  EXPECT_NE(GetStockObject(SYSTEM_FONT), nullptr);
}

TEST_F(window_gdi_test, words_wrap_at_the_column_width) {
  // 60 pixels hold ten characters.
  RECT r = measure("aaaa bbbb cccc dddd", 60);
  EXPECT_EQ(r.bottom, 2 * 13);  // "aaaa bbbb" and "cccc dddd"
  EXPECT_EQ(r.right, 9 * 6);
  r = measure("aaaa bbbbbb", 60);  // exactly ten fit... eleven do not
  EXPECT_EQ(r.bottom, 2 * 13);
  r = measure("aaaa bbbbb", 60);
  EXPECT_EQ(r.bottom, 13);
  EXPECT_EQ(r.right, 60);
}

TEST_F(window_gdi_test, a_word_longer_than_the_column_stands_alone) {
  RECT r = measure("ab averyveryverylongword cd", 60);
  EXPECT_EQ(r.bottom, 3 * 13);
  EXPECT_EQ(r.right, 21 * 6);  // the long word widens the rectangle
}

TEST_F(window_gdi_test, line_breaks_always_end_a_line) {
  RECT r = measure("one\r\ntwo\nthree\rfour", 600);
  EXPECT_EQ(r.bottom, 4 * 13);
  EXPECT_EQ(r.right, 5 * 6);
  r = measure("one\r\n\r\nthree", 600);
  EXPECT_EQ(r.bottom, 3 * 13);  // the empty line counts
  r = measure("one\r\ntwo", 600, DT_SINGLELINE | DT_NOPREFIX);
  EXPECT_EQ(r.bottom, 13);
}

TEST_F(window_gdi_test, prefixes_and_tabs) {
  EXPECT_EQ(measure("&Yes", 600, DT_WORDBREAK).right, 3 * 6);
  EXPECT_EQ(measure("&Yes", 600).right, 4 * 6);  // DT_NOPREFIX shows the "&"
  EXPECT_EQ(measure("a&&b", 600, DT_WORDBREAK).right, 3 * 6);
  EXPECT_EQ(measure("a\tb", 600, DT_WORDBREAK | DT_EXPANDTABS).right, 9 * 6);
}

TEST_F(window_gdi_test, an_empty_text_is_one_empty_line) {
  RECT r = measure("", 600);
  EXPECT_EQ(r.right, 0);
  EXPECT_EQ(r.bottom, 13);
}

TEST_F(window_gdi_test, the_screen_has_no_palette) {
  EXPECT_EQ(GetDeviceCaps(dc_, RASTERCAPS) & RC_PALETTE, 0);
  EXPECT_EQ(GetDeviceCaps(dc_, HORZRES), 1024);
  EXPECT_EQ(GetDeviceCaps(reinterpret_cast<HDC>(1), HORZRES), 0);  // no such context
}
