// The body that the options interface gives: a plain-text, HTML or Markdown
// file, or standard input, taken as it is written rather than as body lines.
//
// It is read once before anything is written, to be checked (text in its
// character set through and through, which each reading turns into UTF-8;
// for HTML, and for Markdown as rendered, whether it is a whole document and which local
// pictures it shows, each of which must be a picture, in the HTML's folder or
// a folder the user named for pictures), then once for each
// part that shows it. A source that cannot be read again (standard input, a
// pipe) is kept meanwhile in a file of the system's temporary folder that is
// the run's alone and goes with it. Memory stays bounded whatever the body's
// size.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/kept_input.h"
#include "mime/message_writer.h"

namespace app {

enum class BodyKind : uint8_t {
  none,  // the call text's body lines (GBQ)
  text,  // plain text, shown as typed
  html,  // HTML, shown as written
  markdown,  // Markdown: the plain part as written, the HTML part rendered from it
};

// What the options ask for.
struct BodyRequest {
  BodyKind kind = BodyKind::none;
  std::string file;                   // empty: no text; "-": standard input
  std::string charset;                // the character set the user named; empty for none
  std::vector<std::string> pictures;  // shown at the end of the body, in order
  // Folders beside the HTML's own whose files the HTML may show.
  std::vector<std::string> picture_folders;
};

// The body as checked.
struct PreparedBody {
  BodyKind kind = BodyKind::none;
  bool document = false;  // HTML that is a whole document (<!DOCTYPE> or <html> first)
  // Every file to embed, once each, numbered from 1, and how each looked
  // when it was found (its stamp and first bytes).
  std::vector<std::string> pictures;
  std::vector<mime::FileLook> looks;
  // The content ids of the pictures shown at the end of the body.
  std::vector<uint32_t> end_pictures;
  // The content id of each local picture source of the HTML, as the
  // document's <img src> gives it (references decoded).
  std::map<std::string, uint32_t, std::less<>> sources;

  std::optional<uint32_t> content_id(std::string_view src) const;
};

struct Body;

// The body of one run: opened first thing, then read and checked, then read
// again for each part that shows it.
class OptionsBody {
 public:
  OptionsBody();
  ~OptionsBody();
  OptionsBody(const OptionsBody&) = delete;
  OptionsBody& operator=(const OptionsBody&) = delete;

  // Opens the body that `request` names: standard input found closed is told
  // as such (66), never mistaken for a file that the run opened since. False,
  // with the refusal noted in run_outcome(), when it cannot be opened.
  bool open(const BodyRequest& request);

  // Reads and checks the body that open() opened; a source that cannot be
  // read again is kept in the system's temporary folder. False, with the
  // refusal noted in run_outcome(), when the body or one of its pictures cannot be read (66,
  // or 74 when the system failed), the body is not text in its character
  // set (65, naming its line) or a Markdown body is larger than
  // mime::kLargestMarkdown (65), a picture's name is too long to hold (65), a picture is not one
  // by its content (65), or the HTML shows a file outside its folder and the
  // picture folders (65) or names one with a NUL byte (65).
  bool prepare(const BodyRequest& request);

  const PreparedBody& prepared() const;

  // Reads the whole body once more, from its start, as UTF-8 without a
  // byte-order mark that begins it, and hands it to `piece` in pieces.
  // False, with the failure noted in run_outcome(), when a read fails.
  bool read(const std::function<void(std::string_view)>& piece) const;
  // The same for the HTML that the body shows: the body itself, or for
  // Markdown the HTML rendered from it, in one piece.
  bool read_html(const std::function<void(std::string_view)>& piece) const;

  // The bytes that read() and read_html() give; 0 when there is none.
  uint64_t size() const;
  uint64_t html_size() const;

  // Forgets the body and lets go of its file.
  void release();

 private:
  std::unique_ptr<Body> body_;
};

}  // namespace app
