#include "app/options_body.h"

#include <algorithm>
#include <set>
#include <span>
#include <utility>

#include "app/file_head.h"
#include "app/program_data.h"
#include "app/run_outcome.h"
#include "mime/html_pictures.h"
#include "mime/html_tokenizer.h"
#include "mime/markdown.h"
#include "mime/media_types.h"
#include "mime/message_writer.h"
#include "mime/text_decoder.h"
#include "mime/utf8.h"
#include "platform/file.h"
#include "platform/last_error.h"
#include "platform/path.h"

namespace app {

struct Body {
  PreparedBody prepared;
  KeptInput input{"body", "body file"};
  std::string charset;     // the character set the user named; empty for none
  uint64_t text_size = 0;  // the bytes of the body as UTF-8
  uint64_t html_size = 0;  // the bytes of the HTML rendered from Markdown
};

namespace {

using mime::FileStamp;

// What the first reading learns of HTML: whether it is a whole document,
// and its picture sources, each once, in the order they first appear.
class HtmlScan {
 public:
  HtmlScan()
      : finder_([this](std::string_view src) { return note_source(src); }, [](std::string_view) {}),
        start_([this](const mime::HtmlToken& token) { on_start(token); }) {}

  void feed(std::string_view piece) {
    finder_.feed(piece);
    if (!decided_) start_.feed(piece);
  }
  void finish() {
    finder_.finish();
    if (!decided_) start_.finish();
  }
  bool document() const { return document_; }
  const std::vector<std::string>& sources() const { return sources_; }

 private:
  std::optional<std::string> note_source(std::string_view src) {
    if (seen_.emplace(src).second) sources_.emplace_back(src);
    return std::nullopt;
  }
  // The first token that is neither white space nor a comment tells.
  void on_start(const mime::HtmlToken& token) {
    if (decided_) return;
    using mime::HtmlTokenKind;
    if (token.kind == HtmlTokenKind::comment) return;
    if (token.kind == HtmlTokenKind::text && mime::trim_html_space(token.text).empty()) return;
    document_ = token.kind == HtmlTokenKind::doctype || (token.kind == HtmlTokenKind::start_tag && token.name == "html");
    decided_ = true;
  }

  mime::PictureRewriter finder_;
  mime::HtmlTokenizer start_;
  bool decided_ = false;
  bool document_ = false;
  std::vector<std::string> sources_;
  std::set<std::string, std::less<>> seen_;
};

bool refuse(int exit_code, std::string text) {
  run_outcome().refuse(exit_code, std::move(text));
  return false;
}

// The folder part of a path, its last separator included; empty for none.
std::string_view folder_of(std::string_view path) {
  for (size_t i = path.size(); i > 0; --i)
    if (is_path_separator(path[i - 1])) return path.substr(0, i);
  return {};
}

// A picture's file as a refusal names it: "'pic.png'", and the HTML that
// shows it, "'pic.png' (shown by 'news.html')"; `shown_by` is empty for a
// picture of -i.
std::string picture_named(std::string_view file, std::string_view shown_by) {
  std::string named = "'";
  named.append(file).append("'");
  if (!shown_by.empty()) named.append(" (shown by ").append(shown_by).append(")");
  return named;
}

// Why the first bytes of a file are no picture's, for a refusal.
std::string_view what_no_picture_is(std::span<const unsigned char> head) {
  if (head.empty()) return "is empty, not a picture";
  const bool text = std::all_of(head.begin(), head.end(), [](unsigned char c) {
    return c >= 0x20 ? c != 0x7F : mime::is_html_space(static_cast<char>(c));
  });
  return text ? "is text, not a picture" : "is not a picture (PNG, JPEG, GIF, BMP, WebP, ICO, TIFF or SVG)";
}

// The content id of a picture file, the file added when it is new (by
// what the file is, not by its name). It must be a picture by its content.
std::optional<uint32_t> add_picture(Body& body, const std::string& file, std::string_view shown_by) {
  const std::string named = picture_named(file, shown_by);
  if (file.size() > kScratchNameSize) {
    refuse(kExitDataError, "the image " + named + " has a name longer than " + std::to_string(kScratchNameSize) + " bytes");
    return std::nullopt;
  }
  // Looked at once, here: its stamp, and the first bytes that tell its type.
  mime::FileLook look;
  if (!mime::look_at_file(file, kFileHeadSize, look)) {
    refuse(input_exit(look.system_error), "cannot read image " + named + ": " + open_error_text(file, look.system_error));
    return std::nullopt;
  }
  const std::span<const unsigned char> bytes(reinterpret_cast<const unsigned char*>(look.head.data()), look.head.size());
  if (mime::picture_content_type(bytes).empty()) {
    refuse(kExitDataError, "the image " + named + " " + std::string(what_no_picture_is(bytes)));
    return std::nullopt;
  }
  const FileStamp& stamp = look.stamp;
  for (size_t i = 0; stamp.known && i < body.prepared.looks.size(); ++i) {
    const FileStamp& seen = body.prepared.looks[i].stamp;
    if (seen.known && seen.volume == stamp.volume && seen.index_high == stamp.index_high &&
        seen.index_low == stamp.index_low)
      return static_cast<uint32_t>(i + 1);
  }
  body.prepared.looks.push_back(std::move(look));
  body.prepared.pictures.push_back(file);
  return static_cast<uint32_t>(body.prepared.pictures.size());
}

// Where `name` leads, links followed; nothing, with the system's error in
// `error`, when it cannot be had.
std::optional<std::string> final_path(const std::string& name, uint32_t& error) {
  const char* const given = name.empty() ? "." : name.c_str();
  std::string path(plat::MAX_PATH, '\0');
  for (;;) {
    const plat::DWORD length = plat::GetFinalPathNameA(given, path.data(), static_cast<plat::DWORD>(path.size()));
    error = length == 0 ? plat::GetLastError() : 0;
    plat::SetLastError(0);
    if (length == 0) return std::nullopt;
    if (length < path.size()) return path.substr(0, length);
    path.assign(length, '\0');
  }
}

// The folders whose files an HTML body may show: its own (the current one
// for standard input), then those the user named for pictures, each as the
// system resolves it.
bool resolve_picture_folders(const Body& body, const BodyRequest& request, std::vector<std::string>& folders) {
  const std::string own(request.file == kStandardInput ? std::string_view() : folder_of(request.file));
  uint32_t error = 0;
  std::optional<std::string> path = final_path(own, error);
  if (!path)
    return refuse(input_exit(error),
                  "cannot read the folder of " + body.input.shown_name() + ": " + open_error_text(own, error));
  folders.push_back(std::move(*path));
  for (const std::string& folder : request.picture_folders) {
    path = final_path(folder, error);
    const std::string named = "cannot read the picture folder '" + folder + "': ";
    if (!path) return refuse(input_exit(error), named + open_error_text(folder, error));
    const plat::DWORD attributes = plat::GetFileAttributesA(path->c_str());
    plat::SetLastError(0);
    if (attributes == plat::INVALID_FILE_ATTRIBUTES || (attributes & plat::FILE_ATTRIBUTE_DIRECTORY) == 0)
      return refuse(kExitNoInput, named + "it is not a folder");
    folders.push_back(std::move(*path));
  }
  return true;
}

// The source with its NUL bytes shown as "\0".
std::string shown_source(std::string_view src) {
  std::string shown;
  for (const char c : src) {
    if (c == '\0') shown += "\\0";
    else shown += c;
  }
  return shown;
}

// Whether `file` lies in one of `folders`, links followed: a link that
// leads out is out.
bool in_picture_folders(const std::string& file, std::string_view shown_by, const std::vector<std::string>& folders) {
  const std::string named = picture_named(file, shown_by);
  uint32_t error = 0;
  const std::optional<std::string> path = final_path(file, error);
  if (!path) return refuse(input_exit(error), "cannot read image " + named + ": " + open_error_text(file, error));
  if (std::any_of(folders.begin(), folders.end(), [&path](const std::string& f) { return mime::path_within(f, *path); }))
    return true;
  return refuse(kExitDataError, "the image " + named +
                                    " is outside the HTML's folder; to show it, name a folder that holds it"
                                    " with --pictures-from");
}

// The local pictures of the HTML, each a picture in a folder it may show
// files of, with their content ids. A source that names no local file stays
// as it is written and is never read.
bool add_html_pictures(Body& body, const BodyRequest& request, const std::vector<std::string>& sources) {
  PreparedBody& prepared = body.prepared;
  const std::string_view shown_by = body.input.shown_name();
  const std::string_view folder = request.file == kStandardInput ? std::string_view() : folder_of(request.file);
  std::vector<std::string> folders;  // resolved when a source needs them
  for (const std::string& src : sources) {
    const mime::PictureSource source = mime::classify_picture_source(src);
    if (source.kind == mime::SourceKind::elsewhere) continue;
    if (source.kind == mime::SourceKind::refused)
      return refuse(kExitDataError, "the image source '" + shown_source(src) + "' (shown by " + std::string(shown_by) +
                                        ") holds a NUL byte");
    if (folders.empty() && !resolve_picture_folders(body, request, folders)) return false;
    const std::string file = mime::picture_file(folder, source);
    if (!in_picture_folders(file, shown_by, folders)) return false;
    const std::optional<uint32_t> id = add_picture(body, file, shown_by);
    if (!id) return false;
    prepared.sources.emplace(src, *id);
  }
  return true;
}

// The refusal of a body that is not text in the set it is read in: where,
// and how to name the set it is in.
std::string not_text_refusal(const std::string& shown, const mime::TextDecoder& text, size_t line) {
  const std::string& charset = text.charset();
  if (text.failure() == mime::TextDecoder::Failure::unsupported)
    return shown + " is in " + charset + ", which this system cannot convert";
  std::string refusal = "line " + std::to_string(line) + " of " + shown + " is not valid " + charset;
  if (charset == "UTF-8") refusal += "; name the character set it is in with --charset (for example --charset windows-1252)";
  return refusal;
}

// A decoder of the body as the request reads it, to `out`.
mime::TextDecoder decoder(const Body& body, const std::function<void(std::string_view)>& out) {
  return mime::TextDecoder(body.charset, body.prepared.kind == BodyKind::html, out);
}

// The Markdown as HTML, or the refusal of a Markdown too large to hold.
bool render_markdown(const Body& body, std::string& markdown, std::string& html) {
  if (markdown.size() > mime::kLargestMarkdown)
    return refuse(kExitDataError, body.input.shown_name() + " is larger than " +
                                      std::to_string(mime::kLargestMarkdown >> 20) +
                                      " MiB, the most a Markdown body can have");
  html = mime::markdown_html(markdown);
  std::string().swap(markdown);
  return true;
}

// Reads the body through once: text in its character set throughout, and
// for HTML (Markdown's as rendered) what the document is and which pictures
// it shows.
bool check_text(Body& body, const BodyRequest& request) {
  mime::Utf8Check utf8;
  HtmlScan html;
  std::string markdown;  // held whole to be rendered, up to one byte past the most
  const bool is_html = request.kind == BodyKind::html, is_markdown = request.kind == BodyKind::markdown;
  mime::TextDecoder text = decoder(body, [&](std::string_view piece) {
    body.text_size += piece.size();
    if (!utf8.feed(piece)) return;
    if (is_html) html.feed(piece);
    if (is_markdown && markdown.size() <= mime::kLargestMarkdown)
      markdown.append(piece.substr(0, mime::kLargestMarkdown + 1 - markdown.size()));
  });
  // A decoder that has failed takes no more; what is left is still kept.
  if (!body.input.read_first([&text](std::string_view piece) { text.feed(piece); })) return false;
  if (!text.finish() || !utf8.finish())
    return refuse(kExitDataError, not_text_refusal(body.input.shown_name(), text, utf8.line()));
  if (is_markdown) {
    std::string rendered;
    if (!render_markdown(body, markdown, rendered)) return false;
    body.html_size = rendered.size();
    html.feed(rendered);
  } else if (!is_html) {
    return true;
  }
  html.finish();
  body.prepared.document = html.document();
  return add_html_pictures(body, request, html.sources());
}

}  // namespace

std::optional<uint32_t> PreparedBody::content_id(std::string_view src) const {
  const auto found = sources.find(src);
  if (found == sources.end()) return std::nullopt;
  return found->second;
}

OptionsBody::OptionsBody() : body_(std::make_unique<Body>()) {}
OptionsBody::~OptionsBody() { release(); }

bool OptionsBody::open(const BodyRequest& request) {
  release();
  Body& body = *body_;
  body.prepared.kind = request.kind;
  body.charset = request.charset;
  if (request.kind == BodyKind::none || request.file.empty()) return true;
  return body.input.open(request.file);
}

bool OptionsBody::prepare(const BodyRequest& request) {
  Body& body = *body_;
  if (request.kind == BodyKind::none) return true;
  if (body.input.opened() && !check_text(body, request)) return false;
  for (const std::string& picture : request.pictures) {
    const std::optional<uint32_t> id = add_picture(body, picture, {});
    if (!id) return false;
    body.prepared.end_pictures.push_back(*id);
  }
  return true;
}

const PreparedBody& OptionsBody::prepared() const { return body_->prepared; }

bool OptionsBody::read(const std::function<void(std::string_view)>& piece) const {
  const Body& body = *body_;
  mime::TextDecoder text = decoder(body, piece);
  if (!body.input.read_again([&text](std::string_view bytes) { text.feed(bytes); })) return false;
  if (text.finish()) return true;
  // The same bytes as at the first reading, which were text.
  return refuse(kExitIoError, "cannot read the body again from " + body.input.shown_name() +
                                  ": it is no longer text in " + text.charset());
}

bool OptionsBody::read_html(const std::function<void(std::string_view)>& piece) const {
  const Body& body = *body_;
  if (body.prepared.kind != BodyKind::markdown) return read(piece);
  std::string markdown, html;
  if (!read([&markdown](std::string_view text) { markdown.append(text); }) ||
      !render_markdown(body, markdown, html))
    return false;
  piece(html);
  return true;
}

uint64_t OptionsBody::size() const { return body_->text_size; }

uint64_t OptionsBody::html_size() const {
  return body_->prepared.kind == BodyKind::markdown ? body_->html_size : body_->text_size;
}

void OptionsBody::release() {
  Body& body = *body_;
  body.input.release();
  body.prepared = PreparedBody{};
  body.charset.clear();
  body.text_size = body.html_size = 0;
}

}  // namespace app
