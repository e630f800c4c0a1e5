// What the message file may be, checked before anything is written: not one
// of the files the message is made from, and not anything but a file (or a
// link to one) where it is to stand.
#pragma once

#include <string_view>

namespace app {

// True when the two names lead to one file: the same full path, or, when
// both are there, the same file however each is reached (another spelling
// of the path, a link, a second name of the file).
bool same_file(std::string_view a, std::string_view b);

// Refuses the run (64) when the message file is also a file that the
// message is made from: an attachment (queue GLQ), a picture that a body
// line names (queue GBQ) or the background sound. Replacing it would lose
// that file. True when it is none of them.
bool message_file_is_no_input(std::string_view message_file, std::string_view sound_file);

// What stands at the message file's path may be replaced by the draft only
// when it is nothing, a regular file, or a link that leads to one (the link
// itself is replaced); the file must also be one this run could write, and
// no other run may be writing it. Otherwise the failure is noted (73) and
// false returned.
bool message_path_replaceable(std::string_view message_file);

}  // namespace app
