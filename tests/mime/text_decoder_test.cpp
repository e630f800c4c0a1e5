#include "mime/text_decoder.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(text_decoder_test, a_page_declares_its_set_as_a_browser_reads_it) {
  const struct {
    const char* name;
    std::string head;
    const char* charset;
  } cases[] = {
      {"meta charset", "<html><head><meta charset=\"windows-1252\">", "WINDOWS-1252"},
      {"unquoted, any case", "<META CharSet=Shift_JIS>", "SHIFT_JIS"},
      {"http-equiv", "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=koi8-r\">", "KOI8-R"},
      {"http-equiv, quoted value", "<meta content='text/html;charset=\"cp1250\"' http-equiv=content-type>",
       "WINDOWS-1250"},
      {"latin-1 is windows-1252", "<meta charset=iso-8859-1>", "WINDOWS-1252"},
      {"a Unicode set read in ASCII is UTF-8", "<meta charset=utf-16le>", "UTF-8"},
      {"the first counts", "<meta charset=koi8-u><meta charset=gbk>", "KOI8-U"},
      {"unknown", "<meta charset=x-klingon>", ""},
      {"in a comment", "<!-- <meta charset=koi8-r> -->", ""},
      {"past the start", std::string(1100, ' ') + "<meta charset=koi8-r>", ""},
      {"other meta", "<meta name=description content=\"charset=koi8-r\">", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(mime::html_declared_charset(c.head), c.charset) << c.name;
}

// Each case decodes the same whatever the pieces it arrives in.
TEST(text_decoder_test, the_mark_then_the_named_set_then_the_pages_own_decide) {
  const struct {
    const char* name;
    std::string named;
    bool html;
    std::string bytes;
    std::string text;  // "!" + the set, for a failure
  } cases[] = {
      {"UTF-8 as it is", "", false, "caf\xC3\xA9", "caf\xC3\xA9"},
      {"UTF-8 mark dropped", "", false, "\xEF\xBB\xBFx", "x"},
      {"UTF-16 mark", "", false, std::string("\xFF\xFEh\0i\0", 6), "hi"},
      {"UTF-32 mark", "", true, std::string("\0\0\xFE\xFF\0\0\0<", 8), "<"},
      {"the mark wins over the name", "windows-1252", false, std::string("\xFE\xFF\0\xE9", 4), "\xC3\xA9"},
      {"named", "latin1", false, "caf\xE9", "caf\xC3\xA9"},
      {"the name wins over the page", "koi8-r", true, "<meta charset=windows-1252>\xF0",
       "<meta charset=windows-1252>\xD0\x9F"},
      {"the page's own", "", true, "<meta charset=windows-1252>\x93q\x94",
       "<meta charset=windows-1252>\xE2\x80\x9Cq\xE2\x80\x9D"},
      {"no page in a text", "", false, "<meta charset=windows-1252>\xE9", "<meta charset=windows-1252>\xE9"},
      {"not of the set", "UTF-16LE", false, std::string("a\0\0\xDC", 4), "!UTF-16LE"},
      {"cut at the end", "shift_jis", false, "ab\x93", "!SHIFT_JIS"},
  };
  for (const auto& c : cases) {
    for (const size_t piece : {size_t{1}, size_t{5}, size_t{4096}}) {
      std::string out;
      mime::TextDecoder decoder(c.named, c.html, [&out](std::string_view text) { out.append(text); });
      bool ok = true;
      for (size_t at = 0; ok && at < c.bytes.size(); at += piece) ok = decoder.feed(std::string_view(c.bytes).substr(at, piece));
      ok = ok && decoder.finish();
      EXPECT_EQ(ok ? out : "!" + decoder.charset(), c.text) << c.name << " in pieces of " << piece;
    }
  }
}

}  // namespace
