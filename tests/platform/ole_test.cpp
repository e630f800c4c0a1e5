#include "platform/ole.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

using namespace plat;

struct Variant {
  VARIANT v;
  Variant() { VariantInit(&v); }
  ~Variant() { VariantClear(&v); }
};

std::string narrow(BSTR text) {
  std::string out(SysStringLen(text), '\0');
  NarrowToAnsi(text, SysStringLen(text), out.data());
  return out;
}

TEST(ole_test, bstr_carries_byte_length_prefix_and_terminator) {
  BSTR s = SysAllocStringLen(u"abc", 3);
  ASSERT_NE(s, nullptr);
  uint32_t prefix;
  std::memcpy(&prefix, reinterpret_cast<unsigned char*>(s) - 4, 4);
  EXPECT_EQ(prefix, 6u);
  EXPECT_EQ(SysStringLen(s), 3u);
  EXPECT_EQ(s[3], 0);
  SysFreeString(s);
  EXPECT_EQ(SysStringLen(nullptr), 0u);
  SysFreeString(nullptr);
  EXPECT_EQ(SysAllocString(nullptr), nullptr);
}

TEST(ole_test, bstr_may_hold_embedded_nul) {
  BSTR s = SysAllocStringLen(u"a\0b", 3);
  EXPECT_EQ(SysStringLen(s), 3u);
  SysFreeString(s);
  BSTR blank = SysAllocStringLen(nullptr, 2);
  EXPECT_EQ(SysStringLen(blank), 2u);
  EXPECT_EQ(blank[2], 0);
  SysFreeString(blank);
}

TEST(ole_test, narrowing_uses_code_page_1252) {
  BSTR s = SysAllocString(u"\u20ac\u00e9\u2019\u4e00");
  EXPECT_EQ(narrow(s), "\x80\xe9\x92?");
  SysFreeString(s);
  OLECHAR wide[3];
  WidenFromAnsi(
      "\x80\xe9"
      "A",
      3, wide);
  EXPECT_EQ(wide[0], 0x20AC);
  EXPECT_EQ(wide[1], 0xE9);
  EXPECT_EQ(wide[2], u'A');
}

TEST(ole_test, change_type_to_text) {
  Variant n, text;
  n.v.vt = VT_I4;
  n.v.lVal = -17;
  ASSERT_EQ(VariantChangeType(&text.v, &n.v, 0, VT_BSTR), S_OK);
  EXPECT_EQ(text.v.vt, VT_BSTR);
  EXPECT_EQ(narrow(text.v.bstrVal), "-17");
  Variant r;
  r.v.vt = VT_R8;
  r.v.dblVal = 2.5;
  ASSERT_EQ(VariantChangeType(&text.v, &r.v, 0, VT_BSTR), S_OK);
  EXPECT_EQ(narrow(text.v.bstrVal), "2.5");
  Variant null_value;
  null_value.v.vt = VT_NULL;
  EXPECT_EQ(VariantChangeType(&text.v, &null_value.v, 0, VT_BSTR), DISP_E_TYPEMISMATCH);
  EXPECT_EQ(narrow(text.v.bstrVal), "2.5");  // unchanged on failure
  Variant empty;
  ASSERT_EQ(VariantChangeType(&text.v, &empty.v, 0, VT_BSTR), S_OK);
  EXPECT_EQ(SysStringLen(text.v.bstrVal), 0u);
}

TEST(ole_test, change_type_from_text_to_numbers) {
  Variant text, out;
  text.v.vt = VT_BSTR;
  text.v.bstrVal = SysAllocString(u" 42 ");
  ASSERT_EQ(VariantChangeType(&out.v, &text.v, 0, VT_I4), S_OK);
  EXPECT_EQ(out.v.lVal, 42);
  ASSERT_EQ(VariantChangeType(&out.v, &text.v, 0, VT_R8), S_OK);
  EXPECT_EQ(out.v.dblVal, 42.0);
  SysFreeString(text.v.bstrVal);
  text.v.bstrVal = SysAllocString(u"4x");
  EXPECT_EQ(VariantChangeType(&out.v, &text.v, 0, VT_I4), DISP_E_TYPEMISMATCH);
  SysFreeString(text.v.bstrVal);
  text.v.bstrVal = SysAllocString(u"70000");
  EXPECT_EQ(VariantChangeType(&out.v, &text.v, 0, VT_I2), DISP_E_OVERFLOW);
}

TEST(ole_test, change_type_rounds_reals_half_to_even) {
  Variant r, out;
  r.v.vt = VT_R8;
  r.v.dblVal = 2.5;
  ASSERT_EQ(VariantChangeType(&out.v, &r.v, 0, VT_I4), S_OK);
  EXPECT_EQ(out.v.lVal, 2);
  r.v.dblVal = 3.5;
  ASSERT_EQ(VariantChangeType(&out.v, &r.v, 0, VT_I4), S_OK);
  EXPECT_EQ(out.v.lVal, 4);
  r.v.dblVal = 1e12;
  EXPECT_EQ(VariantChangeType(&out.v, &r.v, 0, VT_I4), DISP_E_OVERFLOW);
}

TEST(ole_test, change_type_in_place_and_copy) {
  Variant v;
  v.v.vt = VT_BSTR;
  v.v.bstrVal = SysAllocString(u"12");
  ASSERT_EQ(VariantChangeType(&v.v, &v.v, 0, VT_I4), S_OK);
  EXPECT_EQ(v.v.vt, VT_I4);
  EXPECT_EQ(v.v.lVal, 12);
  Variant s, copy;
  s.v.vt = VT_BSTR;
  s.v.bstrVal = SysAllocString(u"dup");
  ASSERT_EQ(VariantCopy(&copy.v, &s.v), S_OK);
  EXPECT_NE(copy.v.bstrVal, s.v.bstrVal);
  EXPECT_EQ(narrow(copy.v.bstrVal), "dup");
  EXPECT_EQ(VariantClear(&copy.v), S_OK);
  EXPECT_EQ(copy.v.vt, VT_EMPTY);
  Variant bad, out;
  bad.v.vt = 77;
  EXPECT_EQ(VariantChangeType(&out.v, &bad.v, 0, VT_BSTR), DISP_E_BADVARTYPE);
}

}  // namespace
