// Markdown as HTML: CommonMark with GitHub's tables, strikethrough and
// bare links, rendered by cmark-gfm. HTML written in the Markdown is kept,
// as a body of --html is, except the elements GitHub leaves out of a page
// (script, style, iframe, title, textarea and the like), whose tags are
// shown as text.
//
// The library builds the whole document in memory before it renders it,
// so a Markdown text is held whole: no larger than kLargestMarkdown.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace mime {

inline constexpr size_t kLargestMarkdown = size_t{4} << 20;

// Whether this build renders Markdown (a build without the library does not).
bool markdown_available();

// The HTML of a UTF-8 Markdown text: a fragment, the elements one after the
// other, each line ended by LF. Empty when the build has no renderer.
std::string markdown_html(std::string_view markdown);

}  // namespace mime
