#include "app/options_body.h"

#include <algorithm>
#include <set>
#include <span>
#include <utility>

#include "app/file_head.h"
#include "app/program_data.h"
#include "app/run_outcome.h"
#include "drivers/common_operations.h"
#include "drivers/low_level_io.h"
#include "mime/html_pictures.h"
#include "mime/html_tokenizer.h"
#include "mime/media_types.h"
#include "mime/message_writer.h"
#include "mime/utf8.h"
#include "platform/file.h"
#include "platform/last_error.h"
#include "platform/path.h"
#include "platform/process.h"

namespace app {

// The source of the first reading. Standard input, or a file that cannot be
// positioned (a pipe), is kept for the later readings in a file of its own.
struct Source {
  plat::HANDLE handle = nullptr;
  bool named = false;  // opened here by its name (not standard input)
  bool keep = false;
};

struct Body {
  PreparedBody prepared;
  plat::HANDLE file = nullptr;  // read from its start for each reading; closed when the body goes
  std::string shown_name;       // "'news.html'" or "standard input"
  Source source;                // until the first reading is done
};

namespace {

constexpr size_t kPieceSize = 64 * 1024;
// The body is only read, and nobody changes it between the readings.
constexpr uint32_t kBodyOpenMode = 0x20;     // read access, others denied writing
// The name, in the temporary folder, of the file that keeps a body which
// cannot be read again; its 'X's are made random.
constexpr std::string_view kKeptBodyName = "msgmake-body-XXXXXXXX";
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

using mime::FileStamp;

// Passes a text on without the byte-order mark that may begin it.
class WithoutMark {
 public:
  explicit WithoutMark(const std::function<void(std::string_view)>& out) : out_(out) {}
  void feed(std::string_view piece) {
    if (head_.size() < kByteOrderMark.size()) {
      const size_t take = std::min(kByteOrderMark.size() - head_.size(), piece.size());
      head_.append(piece.substr(0, take));
      piece.remove_prefix(take);
      if (head_.size() < kByteOrderMark.size()) return;
      if (head_ != kByteOrderMark) out_(head_);
    }
    if (!piece.empty()) out_(piece);
  }
  void finish() {
    if (head_.size() < kByteOrderMark.size() && !head_.empty()) out_(head_);
    head_.assign(kByteOrderMark.size(), '\0');  // decided
  }

 private:
  const std::function<void(std::string_view)>& out_;
  std::string head_;
};

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

// The exit code of a file that could not be had: the caller's fault (66)
// or the system's (74).
int input_exit(uint32_t system_error) {
  return is_unreadable_input(0, system_error) ? kExitNoInput : kExitIoError;
}

std::string open_error_text(std::string_view file, uint32_t system_error) {
  return is_folder(file) ? kFolderText : error_description(drv::code_of_system_error(system_error));
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

// Whether a handle can be positioned: a regular file can, a pipe cannot.
bool positionable(plat::HANDLE handle) {
  plat::SetLastError(0);
  const bool can = plat::SetFilePointer(handle, 0, nullptr, plat::FILE_CURRENT) != plat::INVALID_SET_FILE_POINTER ||
                   plat::GetLastError() == 0;
  plat::SetLastError(0);
  return can;
}

// Whether a standard handle is closed. Told before the run opens a file of
// its own, which could otherwise take the closed one's place.
bool closed(plat::HANDLE handle) {
  plat::SetLastError(0);
  const bool failed = plat::SetFilePointer(handle, 0, nullptr, plat::FILE_CURRENT) == plat::INVALID_SET_FILE_POINTER &&
                      plat::GetLastError() == plat::ERROR_INVALID_HANDLE;
  plat::SetLastError(0);
  return failed;
}

bool is_regular_file(const std::string& file) {
  plat::name_entry entry;
  const bool regular = plat::GetNameEntry(file.c_str(), &entry) && entry.kind == plat::entry_kind::file;
  plat::SetLastError(0);
  return regular;
}

// Opens a named body: what is no regular file (a pipe, a FIFO, a device) as
// a stream, opened once (a FIFO's writer meets its one reader), to be kept;
// a regular file again so that nobody changes it between the readings.
uint32_t open_named_source(const std::string& file, Source& source) {
  source.handle = plat::OpenInputStreamA(file.c_str());
  if (source.handle == plat::INVALID_HANDLE_VALUE) {
    source.handle = nullptr;
    return plat::GetLastError();
  }
  // A device can be positioned and still not be opened again as a file:
  // only a regular file is.
  source.keep = !positionable(source.handle) || !is_regular_file(file);
  if (source.keep) return 0;
  plat::CloseHandle(source.handle);
  source.handle = nullptr;
  return drv::sys::open_existing(file.c_str(), kBodyOpenMode, source.handle);
}

bool open_source(Body& body, const std::string& file, Source& source) {
  if (file == kStandardInput) {
    body.shown_name = "standard input";
    source.handle = plat::GetStdHandle(plat::STD_INPUT_HANDLE);
    source.keep = true;
    if (source.handle == nullptr)
      return refuse(kExitNoInput, "cannot read the body from standard input: " +
                                      system_error_description(plat::GetLastError()));
    if (closed(source.handle)) return refuse(kExitNoInput, "cannot read the body from standard input: it is closed");
    return true;
  }
  body.shown_name = "'" + file + "'";
  source.named = true;
  if (const uint32_t error = open_named_source(file, source))
    return refuse(input_exit(error), "cannot read body file " + body.shown_name + ": " + open_error_text(file, error));
  return true;
}

// The system's folder for short-lived files, with its final separator.
std::string temporary_folder() {
  std::string folder(plat::GetTempPathA(0, nullptr), '\0');
  const plat::DWORD length = plat::GetTempPathA(static_cast<plat::DWORD>(folder.size()), folder.data());
  folder.resize(length < folder.size() ? length : 0);
  return folder;
}

// The file that is read again: the source itself, or a file of the system's
// temporary folder that keeps what the source gave, for the run alone:
// nobody else can open it, and it goes when the run ends.
bool open_body_file(Body& body, const Source& source) {
  if (!source.keep) {
    body.file = source.handle;
    return true;
  }
  const std::string folder = temporary_folder();
  std::string name = folder + std::string(kKeptBodyName);
  const plat::HANDLE kept = plat::CreateUniqueFileA(name.data(), plat::GENERIC_READ | plat::GENERIC_WRITE, 0,
                                                    plat::FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (kept == plat::INVALID_HANDLE_VALUE)
    return refuse(kExitIoError, "cannot keep the body of " + body.shown_name + " in the temporary folder '" +
                                    folder + "': " + system_error_description(plat::GetLastError()));
  plat::SetLastError(0);
  body.file = kept;
  return true;
}

// Lets go of a source that is not the body's file.
void close_source(const Source& source) {
  if (source.handle == nullptr) return;
  if (source.keep)
    plat::CloseHandle(source.handle);  // a stream, or standard input (which stays open)
  else
    drv::sys::close(source.handle);
  plat::SetLastError(0);
}

enum class ReadEnd { whole, read_failed, keep_failed };

// Reads `file` from where it stands to its end: each piece as read goes to
// `keep` when it is given, and the text without a byte-order mark that
// begins it to `piece`. A failure's system error in `error`.
ReadEnd read_through(plat::HANDLE file, plat::HANDLE keep, const std::function<void(std::string_view)>& piece,
                     uint32_t& error) {
  std::string buffer(kPieceSize, '\0');
  WithoutMark text(piece);
  for (;;) {
    plat::DWORD got = 0, put = 0;
    if (!plat::ReadFile(file, buffer.data(), kPieceSize, &got, nullptr)) {
      error = plat::GetLastError();
      return ReadEnd::read_failed;
    }
    if (got == 0) break;
    if (keep != nullptr && !plat::WriteFile(keep, buffer.data(), got, &put, nullptr)) {
      error = plat::GetLastError();
      return ReadEnd::keep_failed;
    }
    text.feed(std::string_view(buffer.data(), got));
  }
  text.finish();
  plat::SetLastError(0);
  return ReadEnd::whole;
}

// The first reading: every piece of the source to `piece`, and to the kept
// file when there is one.
bool read_source(const Body& body, const Source& source, const std::function<void(std::string_view)>& piece) {
  uint32_t error = 0;
  switch (read_through(source.handle, source.keep ? body.file : nullptr, piece, error)) {
    case ReadEnd::whole:
      return true;
    case ReadEnd::keep_failed:
      return refuse(kExitIoError, "cannot keep the body of " + body.shown_name + ": " +
                                      system_error_description(error));
    case ReadEnd::read_failed:
      break;
  }
  if (source.named) return refuse(input_exit(error), "cannot read body file " + body.shown_name + ": " +
                                                         system_error_description(error));
  return refuse(kExitNoInput, "cannot read the body from standard input: " +
                                  (error == plat::ERROR_INVALID_HANDLE ? std::string("it is closed")
                                                                       : system_error_description(error)));
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
    return refuse(input_exit(error), "cannot read the folder of " + body.shown_name + ": " + open_error_text(own, error));
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
  const std::string_view shown_by = body.shown_name;
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

// The byte-order marks of the encodings other than UTF-8, each with the
// name iconv knows it by. UTF-32's little-endian mark begins with UTF-16's,
// so it is looked at first.
struct MarkedEncoding {
  std::string_view mark, shown, iconv_name;
};
constexpr MarkedEncoding kMarkedEncodings[] = {
    {std::string_view("\xFF\xFE\0\0", 4), "UTF-32 (little-endian)", "UTF-32"},
    {std::string_view("\0\0\xFE\xFF", 4), "UTF-32 (big-endian)", "UTF-32"},
    {"\xFF\xFE", "UTF-16 (little-endian)", "UTF-16"},
    {"\xFE\xFF", "UTF-16 (big-endian)", "UTF-16"},
};

// The refusal of a body that is not UTF-8: where, what it is when its mark
// tells, and how to make it UTF-8.
std::string not_utf8_text(const std::string& shown, std::string_view head, uint32_t line) {
  for (const MarkedEncoding& e : kMarkedEncodings)
    if (head.substr(0, e.mark.size()) == e.mark)
      return shown + " is " + std::string(e.shown) + " by its byte-order mark, not UTF-8; convert it first (iconv -f " +
             std::string(e.iconv_name) + " -t UTF-8)";
  return "line " + std::to_string(line) + " of " + shown +
         " is not valid UTF-8; a body in another character set must be converted first (for example: "
         "iconv -f WINDOWS-1252 -t UTF-8)";
}

// Reads the body through once: UTF-8 throughout, and for HTML what the
// document is and which pictures it shows.
bool check_text(Body& body, const BodyRequest& request) {
  const Source source = std::exchange(body.source, Source{});
  if (!open_body_file(body, source)) {
    close_source(source);
    return false;
  }
  mime::Utf8Check utf8;
  HtmlScan html;
  std::string head;  // the text's first bytes, for the mark of another encoding
  const bool is_html = request.kind == BodyKind::html;
  const bool read = read_source(body, source, [&](std::string_view piece) {
    if (head.size() < 4) head.append(piece.substr(0, 4 - head.size()));
    if (!utf8.feed(piece)) return;
    if (is_html) html.feed(piece);
  });
  if (source.keep) close_source(source);
  if (!read) return false;
  if (!utf8.finish()) return refuse(kExitDataError, not_utf8_text(body.shown_name, head, utf8.line()));
  if (!is_html) return true;
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
  if (request.kind == BodyKind::none || request.file.empty()) return true;
  return open_source(body, request.file, body.source);
}

bool OptionsBody::prepare(const BodyRequest& request) {
  Body& body = *body_;
  if (request.kind == BodyKind::none) return true;
  if (body.source.handle != nullptr && !check_text(body, request)) return false;
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
  if (body.file == nullptr) return true;  // no text
  uint32_t error = 0;
  if (plat::SetFilePointer(body.file, 0, nullptr, plat::FILE_BEGIN) == 0 &&
      read_through(body.file, nullptr, piece, error) == ReadEnd::whole)
    return true;
  if (error == 0) error = plat::GetLastError();
  return refuse(input_exit(error), "cannot read the body again from " + body.shown_name + ": " +
                                       system_error_description(error));
}

uint64_t OptionsBody::size() const {
  const Body& body = *body_;
  if (body.file == nullptr) return 0;
  plat::DWORD high = 0;
  const plat::DWORD low = plat::GetFileSize(body.file, &high);
  plat::SetLastError(0);
  return low == plat::INVALID_FILE_SIZE && high == 0 ? 0 : uint64_t{high} << 32 | low;
}

void OptionsBody::release() {
  Body& body = *body_;
  close_source(body.source);
  if (body.file != nullptr) drv::sys::close(body.file);
  body = Body{};
}

}  // namespace app
