// msgmake: writes one MIME draft message from its command line.
#include <cstdio>
#include <cstring>

#include "app/program_module.h"
#include "lifecycle/startup.h"

namespace {

constexpr const char* kVersion = "msgmake 0.1.0";

constexpr const char* kUsage =
    "usage: msgmake [number] CALL [\\xDC line \\xDC line ... \\xDC] [\\xDD file \\xDD file ... \\xDD]\n"
    "\n"
    "Writes one MIME message that a mail client opens as an unsent draft.\n"
    "CALL is MakeEMLAttachmentFileSW with 13 quoted arguments: message file, (unused),\n"
    "To, Subject, page colour, font face, font colour, font size, Cc, Bcc,\n"
    "sound file, sound loop (Once, Twice, 3 times, 4 times, 5 times, Forever), priority\n"
    "(High, Low or anything else). Then the HTML body lines (quoted-printable), each\n"
    "between two bytes 0xDC, then the files to attach, each between two bytes 0xDD.\n"
    "\n"
    "example (bash):\n"
    "  msgmake \"MakeEMLAttachmentFileSW('out.eml','0','ann@example.com','Report','0','Arial','0','10',"
    "'','','','','High')\"$'\\xdc'\"Hello<b>Ann</b>\"$'\\xdc\\xdd'report.pdf$'\\xdd'\n"
    "\n"
    "exit codes: 0 written; 64 no usable call; 66 a file to attach could not be read;\n"
    "73 the message file could not be written; 2 runtime error.\n";

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
    std::printf("%s\n", kVersion);
    return 0;
  }
  life::process_entry(app::program_module(), &app::first_procedure);
}
