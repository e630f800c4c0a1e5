#include "app/html_body.h"

#include <algorithm>
#include <cstring>

#include "app/argument_text.h"
#include "app/composer.h"
#include "app/file_head.h"
#include "app/message_output.h"
#include "app/message_structure.h"
#include "app/plain_text.h"
#include "app/program_data.h"
#include "app/run_outcome.h"
#include "app/work_copies.h"
#include "mime/content_scan.h"
#include "mime/media_types.h"
#include "runtime/string_ops.h"
#include "runtime/string_stack.h"
#include "runtime/string_value.h"
#include "services/error_state.h"

namespace app {

namespace {

// The template lines before the sound tag, stored in quoted-printable form.
constexpr std::string_view kHtmlHead[] = {
    "",
    "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.0 Transitional//EN\">",
    "<HTML><HEAD>",
    "<META http-equiv=3DContent-Type content=3D\"text/HTML; =",
    "charset=3Diso-8859-1\">",
    "<META content=3D\"MSHTML 5.50.4134.100\" name=3DGENERATOR>",
};

constexpr std::string_view kHtmlTail[] = {"</FONT></DIV></BODY></HTML>", ""};

struct LoopChoice {
  std::string_view text;
  int32_t count;
};
constexpr LoopChoice kLoopChoices[] = {
    {"Once", 1}, {"Twice", 2}, {"3 times", 3}, {"4 times", 4}, {"5 times", 5}, {"Forever", -1},
};

constexpr int32_t kWhite = 0xFFFFFF;
constexpr int32_t kBlack = 0;

int32_t instring(std::string_view sub, const char* text, uint32_t size, uint32_t start) {
  return rt::instring_text(sub.data(), static_cast<uint32_t>(sub.size()), text, size, 1,
                           static_cast<int32_t>(start));
}

// The quote pair of one quote character at or after `from`: q1 and q2 from 1,
// q1 0 when there is no opening quote, q2 0 when there is no closing one.
ImageReference quote_pair(char quote, const char* line, uint32_t size, uint32_t from) {
  ImageReference ref;
  const std::string_view q(&quote, 1);
  ref.open_quote = static_cast<uint32_t>(instring(q, line, size, from));
  if (ref.open_quote != 0) ref.close_quote = static_cast<uint32_t>(instring(q, line, size, ref.open_quote + 1));
  return ref;
}

using Lines = std::vector<std::string>;

// The pieces as one line; the message file cuts it to its line size.
std::string joined(std::initializer_list<std::string_view> pieces) {
  std::string line;
  for (const std::string_view piece : pieces) line += piece;
  return line;
}

void add_sound_tag(int32_t loop_count, Lines& out) {
  char number[rt::kNumberTextCapacity];
  out.emplace_back("<BGSOUND =");
  out.emplace_back("balance=3D0=20");
  out.push_back(joined({"loop=3D", decimal_text(loop_count, number), " src=3D\"cid:sf\" ="}));
  out.emplace_back("volume=3D0>");
}

}  // namespace

static_assert(kFontFaceValueSize == kMessageLineSize);
std::string_view font_face_value(std::string_view face, char (&out)[kFontFaceValueSize]) {
  const auto needs_quotes = [](char c) {
    return c == ' ' || c == '\t' || c == '"' || c == '=' || c == '>' || static_cast<unsigned char>(c) >= 0x80;
  };
  if (std::none_of(face.begin(), face.end(), needs_quotes)) return face;
  static constexpr char kHex[] = "0123456789ABCDEF";
  size_t n = 0;
  auto put = [&](std::string_view piece) {
    if (n + piece.size() > sizeof out - 1) return false;
    for (char c : piece) out[n++] = c;
    return true;
  };
  put("\"");
  for (char c : face) {
    const auto byte = static_cast<unsigned char>(c);
    const char encoded[] = {'=', kHex[byte >> 4], kHex[byte & 15]};
    const std::string_view piece = c == '"'    ? std::string_view("&quot;")
                                   : c == '=' || byte >= 0x80 ? std::string_view(encoded, 3)
                                                              : std::string_view(&c, 1);
    if (!put(piece)) break;
  }
  out[n++] = '"';
  return {out, n};
}

namespace {

void add_font_lines(const MessageArguments& args, Lines& out) {
  char page[6], font[6], size[rt::kNumberTextCapacity], face[kFontFaceValueSize];
  argument_colors(args, page, font);
  out.push_back(joined({"<STYLE></STYLE></HEAD><BODY bgColor=3D#", std::string_view(page, 6), ">"}));
  out.push_back(joined({"<DIV><FONT face=3D", font_face_value(clipped(args.font_face), face), " size=3D",
                        decimal_text(args.font_size, size), " color=3D#", std::string_view(font, 6), ">"}));
}

// A body line as it is written: as the caller gave it, followed by its break.
// One that a parser could take for a delimiter of the draft's containers has
// its first hyphen written "=2D", the same text once the part is decoded.
// Where that no longer fits on the line, a soft line break follows the "=2D"
// and the rest of the line goes on the next, so nothing more is cut.
void add_body_text(std::string_view text, Lines& out) {
  constexpr std::string_view kEscapedHyphen = "=2D";
  const std::string_view brk = line_break(text.size());
  while (mime::opens_with_delimiter(text, kBoundaries)) {
    text.remove_prefix(1);
    if (kEscapedHyphen.size() + text.size() + brk.size() <= kMessageLineSize) {
      out.push_back(joined({kEscapedHyphen, text, brk}));
      return;
    }
    out.push_back(joined({kEscapedHyphen, "="}));
  }
  out.push_back(joined({text, brk}));
}

// One body line: its image reference, when the picture is embedded, becomes
// "cid:" and the next image number.
void add_body_line(const char* line, uint32_t size, bool embedded, int32_t& image_number, Lines& out) {
  const std::string_view text = clipped(line, size);
  const ImageReference ref = embedded ? find_image_reference(line, size) : ImageReference();
  if (!ref.found()) return add_body_text(text, out);
  char number[rt::kNumberTextCapacity];
  const std::string_view before(line, ref.open_quote - 1);
  const std::string_view after = ref.close_quote < text.size() ? text.substr(ref.close_quote) : std::string_view();
  const std::string_view n = decimal_text(++image_number, number);
  // The text around the reference is part of one queue text: the line fits.
  char rewritten[kQueueTextSize + rt::kNumberTextCapacity + 4];
  size_t used = 0;
  for (const std::string_view piece : {before, std::string_view("cid:"), n, after}) {
    const size_t take = std::min(piece.size(), sizeof rewritten - used);
    std::memcpy(rewritten + used, piece.data(), take);
    used += take;
  }
  add_body_text({rewritten, used}, out);
}

mime::Part text_part(mime::PartRole role, std::string type, std::string charset, Lines lines) {
  mime::Part part;
  part.role = role;
  part.type = std::move(type);
  part.parameters.push_back({"charset", std::move(charset)});
  part.encoding = mime::TransferEncoding::quoted_printable;
  part.body.lines = std::move(lines);
  return part;
}

}  // namespace

mime::Part html_part(const MessageArguments& args, const EmbeddedPictures& pictures) {
  Lines out(std::begin(kHtmlHead), std::end(kHtmlHead));
  if (!is_blank(args.sound_file)) add_sound_tag(sound_loop_count(args.sound_loop), out);
  add_font_lines(args, out);
  ProgramQueue& body = program_data().body_lines;
  int32_t image_number = 0;
  auto next_picture = pictures.lines.begin();
  const uint32_t count = body.records();
  for (uint32_t i = 1; i <= count; ++i) {
    body.get(i);
    const bool embedded = next_picture != pictures.lines.end() && *next_picture == i;
    if (embedded) ++next_picture;
    add_body_line(body.field(), body.field_size(), embedded, image_number, out);
  }
  out.insert(out.end(), std::begin(kHtmlTail), std::end(kHtmlTail));
  return text_part(mime::PartRole::html, "text/HTML", "iso-8859-1", std::move(out));
}

mime::Part plain_part() {
  Lines out = plain_text_lines();
  out.emplace_back();
  return text_part(mime::PartRole::plain_text, "text/plain", "utf-8", std::move(out));
}

std::string_view line_break(size_t length) {
  constexpr std::string_view kBreak = "<br>";
  return length + kBreak.size() <= kMessageLineSize ? kBreak : std::string_view();
}

ImageReference find_image_reference(const char* line, uint32_t size) {
  // Upper case through the runtime, same length, so positions agree.
  char upper[kQueueTextSize];
  const uint32_t n = size < kQueueTextSize ? size : kQueueTextSize;
  rt::StringStack& stack = rt::string_stack();
  stack.push_borrowed(line, n);
  rt::upper();
  stack.pop_into_string(upper, n);
  const uint32_t img = static_cast<uint32_t>(instring("IMG", upper, n, 1));
  if (img == 0) return {};
  const uint32_t src = static_cast<uint32_t>(instring("SRC", upper, n, img));
  if (src == 0) return {};
  ImageReference ref = quote_pair('"', line, n, src);
  if (ref.open_quote == 0) ref = quote_pair('\'', line, n, src);
  // Without a closing quote the line has no reference and is left as it is.
  if (ref.close_quote == 0) return {};
  return ref;
}

void argument_colors(const MessageArguments& args, char (&page)[6], char (&font)[6]) {
  ColorToHtml(args.back_color > 0 ? args.back_color : kWhite, page);
  ColorToHtml(args.font_color > 0 ? args.font_color : kBlack, font);
}

void ColorToHtml(int32_t value, char (&out)[6]) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  const uint32_t rgb = static_cast<uint32_t>(value) & 0xFFFFFF;
  // The colour layout keeps red in the low byte: written red, green, blue.
  for (int i = 0; i < 3; ++i) {
    const uint32_t byte = (rgb >> (8 * i)) & 0xFF;
    out[2 * i] = kDigits[byte >> 4];
    out[2 * i + 1] = kDigits[byte & 15];
  }
}

int32_t sound_loop_count(std::string_view choice) {
  for (const LoopChoice& c : kLoopChoices)
    if (same_text(choice, c.text)) return c.count;
  return 0;
}

int32_t exact_loop_count(std::string_view choice) {
  for (const LoopChoice& c : kLoopChoices)
    if (choice == c.text) return c.count;
  return 0;
}

EmbeddedPictures find_embedded_pictures(CallFiles files) {
  EmbeddedPictures pictures;
  ProgramQueue& body = program_data().body_lines;
  ProgramData& data = program_data();
  const uint32_t count = body.records();
  for (uint32_t i = 1; i <= count; ++i) {
    body.get(i);
    const ImageReference ref = find_image_reference(body.field(), body.field_size());
    if (!ref.found()) continue;
    const std::string_view name = ref.name(body.field());
    rt::assign_string(data.scratch_name, kScratchNameSize, name.data(), static_cast<uint32_t>(name.size()));
    const std::string_view scratch = clipped(data.scratch_name, kScratchNameSize);
    const std::string file_name = utf8_argument(base_name(scratch, true));
    if (files == CallFiles::named) {
      pictures.types.emplace_back(mime::picture_type({}, file_name));
      pictures.files.emplace_back(scratch);
      pictures.lines.push_back(i);
      continue;
    }
    if (copy_into_work_directory(scratch)) {
      // The copy shows that the picture can be had and what kind it is; its
      // part reads the file itself.
      char copy[kWorkPathSize];
      const std::string_view copy_path = work_path(base_name(scratch, true), copy);
      FileHead head;
      pictures.types.emplace_back(mime::picture_type(read_file_head(copy_path, head), file_name));
      remove_work_copy(copy_path);
      pictures.files.emplace_back(scratch);
      pictures.lines.push_back(i);
      continue;
    }
    // A picture that is not there stays a reference; a system that fails to
    // copy one fails the run rather than quietly leave it out.
    const svc::ErrorState& errors = svc::error_state();
    if (!is_unreadable_input(errors.code(), errors.system_error())) {
      run_outcome().note_failure(FailedFile::image, scratch, errors.code(), errors.system_error());
      break;
    }
  }
  return pictures;
}

}  // namespace app
