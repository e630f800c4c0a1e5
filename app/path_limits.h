// The paths a call reads and writes, measured before its message is begun.
//
// The files a run opens through the file drivers are named by fields of 256
// bytes and reach the system as full paths of at most 259 bytes. A longer
// name would be cut, and the run would open some other file or none: a
// picture or a sound left out without a word, an attachment reported
// missing, a message written where it was not asked to be. So every path
// the call will open is measured first, the work copies' among them.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "mime/message.h"

namespace app {

// The files a call reads, in the order its checks name them.
inline constexpr mime::PartRole kCallFileRoles[] = {mime::PartRole::attachment, mime::PartRole::picture,
                                                    mime::PartRole::sound};

// A refusal of the run: its exit code and its line.
struct PathRefusal {
  int exit_code;
  std::string text;
};

// Measures the path of each part that a walk of the call's draft visits:
// an attachment's work copy (which must not be the message file either), a
// picture's or the sound's file.
class PathLimits {
 public:
  explicit PathLimits(std::string_view message_file);
  void visit(const mime::Part& part);
  // True when every path fits: the message file's, then those of the parts
  // visited, attachments first, then pictures, then the sound. Otherwise
  // the run is refused (65; 64 for a message file that is a work copy) with
  // a line that names the first path that does not, and nothing is written.
  bool fit() const;

 private:
  std::string message_file_;
  std::optional<PathRefusal> first_[std::size(kCallFileRoles)];  // ORDER: kCallFileRoles
};

}  // namespace app
