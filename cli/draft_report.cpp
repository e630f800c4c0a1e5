#include "cli/draft_report.h"

#include <algorithm>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "cli/input_file.h"
#include "mime/header_policy.h"
#include "mime/media_types.h"

namespace cli {

namespace {

using mime::Part;
using Json = nlohmann::ordered_json;

constexpr std::string_view kDispositionNames[] = {{}, "inline", "attachment"};  // ORDER: mime::Disposition
static_assert(std::size(kDispositionNames) == static_cast<size_t>(mime::Disposition::attachment) + 1);

// Where a leaf's description begins in the drawing, in columns.
constexpr size_t kDescriptionColumn = 32;

void count_part(Part& part) {
  for (Part& child : part.children) count_part(child);
  if (part.body.kind != mime::BodySource::Kind::stream) return;
  part.body.stream = [stream = std::move(part.body.stream), size = &part.body.size](const mime::ByteSink& put) {
    *size = 0;
    return stream([&](std::string_view bytes) {
      *size += bytes.size();
      put(bytes);
    });
  };
}

bool is_text(const Part& part) {
  return part.role == mime::PartRole::plain_text || part.role == mime::PartRole::html;
}

// The file a part's bytes come from: its own, or standard input ("-"), the
// one source kept without a name; empty for the text parts of no body.
std::string source_of(const Part& part, const Options& o) {
  if (!part.body.file.empty()) return part.body.file;
  const bool from_input = is_text(part) ? o.body_file == kStandardInput
                                        : part.body.kind == mime::BodySource::Kind::stream;
  return from_input ? std::string(kStandardInput) : std::string();
}

bool is_control(char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; }

// A name as a line can show it: a control character (a line end among
// them) would break the drawing, and shows as '?'.
std::string printable(std::string_view text) {
  std::string shown(text);
  std::replace_if(shown.begin(), shown.end(), is_control, '?');
  return shown;
}

// The columns a line takes: one for each character of its UTF-8.
size_t columns(std::string_view line) {
  return static_cast<size_t>(std::count_if(line.begin(), line.end(), [](char c) { return (c & 0xC0) != 0x80; }));
}

std::string description(const Part& part, const Options& o) {
  std::vector<std::string> pieces;
  if (!part.file_name.empty()) pieces.push_back(printable(part.file_name));
  pieces.push_back(std::to_string(part.body.size) + (part.body.size == 1 ? " byte" : " bytes"));
  if (part.disposition != mime::Disposition::none)
    pieces.emplace_back(kDispositionNames[static_cast<size_t>(part.disposition)]);
  if (!part.content_id.empty()) pieces.push_back("cid:" + printable(part.content_id));
  const std::string source = source_of(part, o);
  if (!source.empty())
    pieces.push_back("from " + (source == kStandardInput ? "standard input" : printable(source)));
  std::string text;
  for (const std::string& piece : pieces) text += (text.empty() ? "" : ", ") + piece;
  return text;
}

// The part's line, `branch` before its type, then its children's lines,
// each with `below` before its own branch.
void draw(const Part& part, const std::string& branch, const std::string& below, const Options& o,
          std::string& out) {
  std::string line = branch + part.type;
  if (!part.container()) {
    line.append(std::max<size_t>(2, kDescriptionColumn - std::min(kDescriptionColumn, columns(line))), ' ');
    line += description(part, o);
  }
  out += line + "\n";
  for (size_t i = 0; i < part.children.size(); ++i) {
    const bool last = i + 1 == part.children.size();
    draw(part.children[i], below + (last ? "└── " : "├── "), below + (last ? "    " : "│   "), o, out);
  }
}

Json text_or_null(const std::string& text) { return text.empty() ? Json(nullptr) : Json(text); }

Json part_json(const Part& part, const Options& o) {
  Json json;
  json["type"] = part.type;
  if (part.container()) {
    json["parts"] = Json::array();
    for (const Part& child : part.children) json["parts"].push_back(part_json(child, o));
    return json;
  }
  json["name"] = text_or_null(part.file_name);
  json["size"] = part.body.size;
  json["encoding"] = std::string(mime::transfer_encoding_name(part.encoding));
  json["content_id"] = text_or_null(part.content_id);
  json["disposition"] = text_or_null(std::string(kDispositionNames[static_cast<size_t>(part.disposition)]));
  json["source"] = text_or_null(source_of(part, o));
  return json;
}

// A field's value as a reader decodes it: an address list's addresses with
// their domains as written (A-labels) and control characters as the
// spaces written for them; text with its line ends as spaces.
std::string decoded_value(const mime::HeaderField& field) {
  if (field.kind != mime::FieldKind::address_list) {
    std::string value = field.value;
    std::replace_if(value.begin(), value.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
    return value;
  }
  std::string list;
  for (const std::string& address : mime::split_addresses(field.value)) {
    std::string written = mime::with_ascii_domain(address);
    std::replace_if(written.begin(), written.end(), is_control, ' ');
    list += (list.empty() ? "" : ", ") + written;
  }
  return list;
}

}  // namespace

void count_stream_sizes(mime::Message& message) { count_part(message.root); }

bool run_streams(const mime::Message& message) {
  bool made = true;
  mime::for_each_part(message.root, [&made](const Part& part) {
    if (made && part.body.kind == mime::BodySource::Kind::stream) made = part.body.stream([](std::string_view) {});
  });
  return made;
}

std::string structure_text(const mime::Message& message, const Options& options) {
  std::string text;
  draw(message.root, "", "", options, text);
  return text;
}

std::string json_report(const mime::Message& message, const Options& options) {
  Json report;
  report["version"] = kReportVersion;
  report["output"] = options.output;
  Json& fields = report["header"] = Json::array();
  for (const mime::HeaderField& field : message.fields)
    fields.push_back({{"name", field.name}, {"value", decoded_value(field)}});
  report["root"] = part_json(message.root, options);
  // A name that is not UTF-8 is shown, not refused: its bad bytes become U+FFFD.
  return report.dump(-1, ' ', false, Json::error_handler_t::replace) + "\n";
}

}  // namespace cli
