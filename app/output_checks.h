// What the message file may be, checked before anything is written: not one
// of the files the message is made from, and not anything but a file (or a
// link to one) where it is to stand.
#pragma once

#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

#include "mime/message.h"

namespace app {

// True when the two names lead to one file: the same full path, or, when
// both are there, the same file however each is reached (another spelling
// of the path, a link, a second name of the file).
bool same_file(std::string_view a, std::string_view b);

// One walk of a draft's parts for the checks that both interfaces make:
// the parts that read the file `output` (none are looked for when it is
// empty), in the order they are written, and the most bytes the draft can
// have. `visit` sees every part on the way, for an interface's own checks.
// The interface refuses a draft that would replace a file it is made from
// (64), or that could be larger than kLargestMessage (65).
struct DraftFiles {
  std::vector<const mime::Part*> reading_output;
  uint64_t size_bound = 0;
};
DraftFiles walk_draft_files(const mime::Message& message, std::string_view output,
                            const std::function<void(const mime::Part&)>& visit = {});

// The most bytes a message can have: the file layer's positions are 32-bit.
inline constexpr uint64_t kLargestMessage = 0x7FFFFFFF;

// What a part's file is to the person who named it ("attachment",
// "picture", "sound file", "body file").
const char* part_file_role(mime::PartRole role);

// What stands at the message file's path may be replaced by the draft only
// when it is nothing, a regular file, or a link that leads to one (the link
// itself is replaced); the file must also be one this run could write, and
// no other run may be writing it. Otherwise the failure is noted (73) and
// false returned.
bool message_path_replaceable(std::string_view message_file);

}  // namespace app
