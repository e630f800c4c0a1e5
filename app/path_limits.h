// The paths a call reads and writes, measured before its message is begun.
//
// The files a run opens through the file drivers are named by fields of 256
// bytes and reach the system as full paths of at most 259 bytes. A longer
// name would be cut, and the run would open some other file or none: a
// picture or a sound left out without a word, an attachment reported
// missing, a message written where it was not asked to be. So every path
// the call will open is measured first, the work copies' among them.
#pragma once

namespace app {

struct MessageArguments;

// True when every path of the call fits: the message file, each attachment's
// work copy, each picture a body line names and the sound file. Otherwise
// the run is refused (65) with a line that names the path, and nothing is
// written.
bool paths_fit(const MessageArguments& args);

}  // namespace app
