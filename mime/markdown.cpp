#include "mime/markdown.h"

#ifdef MSGMAKE_MARKDOWN
#include <cmark-gfm-core-extensions.h>
#include <cmark-gfm-extension_api.h>
#include <cmark-gfm.h>

#include <cstdlib>
#include <memory>

namespace mime {

namespace {

// ORDER: nothing; each is attached if the library has it.
constexpr const char* kExtensions[] = {"table", "strikethrough", "autolink", "tagfilter"};

struct ParserDeleter {
  void operator()(cmark_parser* parser) const { cmark_parser_free(parser); }
};
struct NodeDeleter {
  void operator()(cmark_node* node) const { cmark_node_free(node); }
};

}  // namespace

bool markdown_available() { return true; }

std::string markdown_html(std::string_view markdown) {
  cmark_gfm_core_extensions_ensure_registered();
  // Raw HTML is kept (the user's own, as with --html); the tag filter
  // above leaves out what GitHub leaves out.
  const int options = CMARK_OPT_UNSAFE | CMARK_OPT_VALIDATE_UTF8;
  const std::unique_ptr<cmark_parser, ParserDeleter> parser(cmark_parser_new(options));
  for (const char* name : kExtensions)
    if (cmark_syntax_extension* extension = cmark_find_syntax_extension(name))
      cmark_parser_attach_syntax_extension(parser.get(), extension);
  cmark_parser_feed(parser.get(), markdown.data(), markdown.size());
  const std::unique_ptr<cmark_node, NodeDeleter> document(cmark_parser_finish(parser.get()));
  char* const html = cmark_render_html(document.get(), options, cmark_parser_get_syntax_extensions(parser.get()));
  std::string text(html);
  cmark_get_default_mem_allocator()->free(html);
  return text;
}

}  // namespace mime

#else

namespace mime {

bool markdown_available() { return false; }
std::string markdown_html(std::string_view) { return {}; }

}  // namespace mime

#endif
