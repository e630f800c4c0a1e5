#include "mime/message_writer.h"

#include <array>
#include <memory>

#include "mime/base64.h"
#include "mime/text_codecs.h"
#include "platform/file.h"
#include "platform/last_error.h"

namespace mime {

namespace {

constexpr size_t kReadSize = 64 * 1024;
constexpr std::string_view kDispositionTypes[] = {{}, "inline", "attachment"};  // ORDER: Disposition

// A file open for reading whose writers are kept out while it is read: the
// platform then fails a read that meets a change made regardless.
class InputFile {
 public:
  explicit InputFile(const std::string& name)
      : handle_(plat::CreateFileA(name.c_str(), plat::GENERIC_READ, plat::FILE_SHARE_READ, nullptr,
                                  plat::OPEN_EXISTING, plat::FILE_FLAG_SEQUENTIAL_SCAN, nullptr)) {
    if (!open()) error_ = plat::GetLastError();
  }
  ~InputFile() {
    if (open()) plat::CloseHandle(handle_);
  }
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;

  bool open() const { return handle_ != plat::INVALID_HANDLE_VALUE; }
  uint32_t error() const { return error_; }

  FileStamp stamp() const {
    plat::BY_HANDLE_FILE_INFORMATION info{};
    if (!plat::GetFileInformationByHandle(handle_, &info)) return {};
    return {true,
            uint64_t{info.nFileSizeHigh} << 32 | info.nFileSizeLow,
            uint64_t{info.ftLastWriteTime.dwHighDateTime} << 32 | info.ftLastWriteTime.dwLowDateTime,
            info.dwVolumeSerialNumber,
            info.nFileIndexHigh,
            info.nFileIndexLow};
  }

  // Reads up to `size` bytes; the bytes read (none at the end), or nothing
  // with error() set.
  std::string_view read(char* buffer, size_t size) {
    plat::DWORD got = 0;
    if (!plat::ReadFile(handle_, buffer, static_cast<plat::DWORD>(size), &got, nullptr)) {
      error_ = plat::GetLastError();
      return {};
    }
    return {buffer, got};
  }

 private:
  plat::HANDLE handle_;
  uint32_t error_ = 0;
};

class Writer {
 public:
  Writer(LineSink& sink, WriteFailure& failure, const Part& root) : sink_(sink), failure_(failure), root_(&root) {}

  void header_block(const Message& message) {
    for (size_t i = 0; i <= message.fields.size(); ++i) {
      if (i == message.content_fields_at) content_fields(message.root);
      if (i < message.fields.size()) field(message.fields[i], message.longest_header_line);
    }
    sink_.line({});
    for (const std::string& line : message.preamble) sink_.line(line);
  }

  // The part's body (or children), then its trailing empty lines.
  bool part_body(const Part& part) {
    if (part.container()) {
      for (const Part& child : part.children) {
        sink_.line("--" + part.boundary);
        content_fields(child);
        sink_.line({});
        if (!part_body(child)) return false;
      }
      blank_lines(part.blank_lines_before_close);
      sink_.line("--" + part.boundary + "--");
    } else if (!leaf_body(part)) {
      return false;
    }
    blank_lines(part.blank_lines_after);
    return sink_.intact();
  }

 private:
  void lines(const HeaderLines& header) {
    for (const std::string& line : header) sink_.line(line);
  }

  void blank_lines(uint8_t count) {
    for (uint8_t i = 0; i < count; ++i) sink_.line({});
  }

  void field(const HeaderField& f, size_t longest_line) {
    switch (f.kind) {
      case FieldKind::address_list:
        return lines(address_header(f.name, f.value));
      case FieldKind::text:
        return lines(unstructured_header(f.name, f.value, longest_line));
      case FieldKind::as_written:
        return sink_.line(f.name + ":" + (f.value.empty() ? "" : " " + f.value));
    }
  }

  // Content-Type with its parameters (each on a line of its own, the file
  // name's last), then the transfer encoding, the Content-ID and the
  // disposition with the file name again.
  void content_fields(const Part& part) {
    const bool named = !part.file_name.empty();
    std::vector<std::string> parameters;
    for (const Parameter& p : part.parameters) parameters.push_back(std::string(kContinuationIndent) + p.name + "=\"" + p.value + "\"");
    if (part.container()) parameters.push_back(std::string(kContinuationIndent) + "boundary=\"" + part.boundary + "\"");
    const bool more = named || !parameters.empty();
    lines(token_header("Content-Type", part.type + (more ? ";" : "")));
    for (size_t i = 0; i < parameters.size(); ++i)
      sink_.line(parameters[i] + (named || i + 1 < parameters.size() ? ";" : ""));
    if (named) lines(name_parameter(part.file_name));
    if (!part.container())
      sink_.line("Content-Transfer-Encoding: " + std::string(transfer_encoding_name(part.encoding)));
    if (!part.content_id.empty()) sink_.line("Content-ID: <" + part.content_id + ">");
    if (part.disposition != Disposition::none) {
      sink_.line("Content-Disposition: " + std::string(kDispositionTypes[static_cast<int>(part.disposition)]) +
                 (named ? ";" : ""));
      if (named) lines(filename_parameter(part.file_name));
    }
  }

  bool leaf_body(const Part& part) {
    const BodySource& body = part.body;
    if (body.kind == BodySource::Kind::lines) {
      for (const std::string& line : body.lines) sink_.line(line);
      return true;
    }
    switch (part.encoding) {
      case TransferEncoding::base64:
        return encoded_base64(part);
      case TransferEncoding::quoted_printable:
        return encoded_text(part);
      case TransferEncoding::seven_bit:
      case TransferEncoding::eight_bit:
        break;
    }
    return unencoded_text(part);
  }

  // The bytes through base64; its last line ends the text.
  bool encoded_base64(const Part& part) {
    Base64Encoder encoder([this](std::string_view line) { sink_.line(line); });
    if (!produce(part, [&encoder](std::string_view bytes) { encoder.put(bytes); })) return false;
    encoder.finish();
    return true;
  }

  // The bytes through quoted-printable. A line end that ends the text is
  // kept: an empty line stands for it before the delimiter that follows; a
  // text that is the whole message ends with its last line, and one that
  // ends without a line end gets one there.
  bool encoded_text(const Part& part) {
    QuotedPrintableEncoder encoder([this](std::string_view line) { sink_.line(line); });
    char last = '\0';
    const bool made = produce(part, [&](std::string_view bytes) {
      if (bytes.empty()) return;
      encoder.put(bytes);
      last = bytes.back();
    });
    if (!made) return false;
    encoder.finish();
    if (last == '\n' && &part != root_) sink_.line({});
    return true;
  }

  // The bytes as they stand, cut into lines at each LF (a CR before it is
  // part of the line end). The text's last line end is kept as the
  // quoted-printable text keeps it.
  bool unencoded_text(const Part& part) {
    std::string line;
    char last = '\0';
    const bool made = produce(part, [&](std::string_view bytes) {
      for (const char c : bytes) {
        if (c != '\n') {
          line += c;
          continue;
        }
        if (!line.empty() && line.back() == '\r') line.pop_back();
        sink_.raw_line(line);
        line.clear();
      }
      if (!bytes.empty()) last = bytes.back();
    });
    if (!made) return false;
    if (last != '\n' && !line.empty()) sink_.raw_line(line);
    if (last == '\n') sink_.line({});
    return true;
  }

  // The part's bytes to `put`, from its stream or its file.
  bool produce(const Part& part, const ByteSink& put) {
    if (part.body.kind == BodySource::Kind::stream) {
      if (part.body.stream(put)) return true;
      failure_.part = &part;
      return false;
    }
    const uint32_t error = read_file(part.body, put);
    if (error == 0) return true;
    failure_.part = &part;
    failure_.system_error = error;
    return false;
  }

  // Reads the file whole, when it is still the file that was added; the
  // system's error otherwise.
  uint32_t read_file(const BodySource& body, const ByteSink& put) {
    InputFile file(body.file);
    if (!file.open()) return file.error();
    if (body.stamp.known && !(file.stamp() == body.stamp)) return plat::ERROR_FILE_INVALID;
    // Not zeroed: a page is touched only once a read fills it.
    if (!buffer_) buffer_ = std::make_unique_for_overwrite<std::array<char, kReadSize>>();
    for (;;) {
      const std::string_view bytes = file.read(buffer_->data(), buffer_->size());
      if (file.error() != 0) return file.error();
      if (bytes.empty()) return 0;
      put(bytes);
      if (!sink_.intact()) return 0;  // no point reading on: the caller sees the sink
    }
  }

  LineSink& sink_;
  WriteFailure& failure_;
  const Part* root_;
  std::unique_ptr<std::array<char, kReadSize>> buffer_;
};

}  // namespace

bool write_message(const Message& message, LineSink& sink, WriteFailure& failure) {
  failure = {};
  Writer writer(sink, failure, message.root);
  writer.header_block(message);
  return writer.part_body(message.root) && sink.intact();
}

bool look_at_file(const std::string& name, size_t head_size, FileLook& look, ContentScan* scan) {
  InputFile file(name);
  if (!file.open()) {
    look.system_error = file.error();
    return false;
  }
  look.stamp = file.stamp();
  const size_t size = scan != nullptr ? kReadSize : head_size;
  const auto buffer = std::make_unique_for_overwrite<char[]>(size);
  for (;;) {
    const std::string_view bytes = file.read(buffer.get(), size);
    if (file.error() != 0) {
      look.system_error = file.error();
      return false;
    }
    if (look.head.size() < head_size) look.head += bytes.substr(0, head_size - look.head.size());
    if (scan == nullptr || bytes.empty()) break;
    scan->put({reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size()});
  }
  plat::SetLastError(0);
  return true;
}

}  // namespace mime
