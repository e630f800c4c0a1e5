#include "cli/usage_text.h"

namespace cli {

const char* const kUsageText =
    "usage: msgmake -o FILE [option...] [--] [FILE...]\n"
    "       msgmake [number] CALL [\\xDC line \\xDC line ... \\xDC] [\\xDD file \\xDD file ... \\xDD]\n"
    "\n"
    "Writes one MIME message that a mail client opens as an unsent draft.\n"
    "\n"
    "Options (text is UTF-8; every FILE after the options is attached):\n"
    "  -o, --output FILE         the draft to write (required)\n"
    "  -t, --to ADDRESS          a recipient; repeat it, or separate several by commas\n"
    "  -c, --cc ADDRESS          the same for Cc\n"
    "  -b, --bcc ADDRESS         the same for Bcc\n"
    "  -s, --subject TEXT        the subject\n"
    "      --text FILE           the body from a plain-text file; - reads standard input\n"
    "      --html FILE           the body from an HTML file, one line per line; - as above\n"
    "  -a, --attach FILE         attach a file; repeat it\n"
    "  -i, --image FILE          embed a picture at the end of the body; repeat it\n"
    "      --sound FILE          the background sound\n"
    "      --loop N              once, twice, 3, 4, 5 or forever (once)\n"
    "  -p, --priority LEVEL      high, normal or low (normal)\n"
    "      --background COLOR    the page colour, #RRGGBB (white)\n"
    "      --font FACE           the font face (Arial)\n"
    "      --font-color COLOR    the text colour, #RRGGBB (black)\n"
    "      --font-size N         1 to 7 (3)\n"
    "  -h, --help                this text\n"
    "      --version             the version\n"
    "example:\n"
    "  msgmake -o report.eml -t ann@example.com -s 'Monthly report' --text body.txt report.pdf\n"
    "\n"
    "The call text: CALL is MakeEMLAttachmentFileSW with 13 quoted arguments: message\n"
    "file, (unused), To, Subject, page colour, font face, font colour, font size, Cc,\n"
    "Bcc, sound file, sound loop (Once, Twice, 3 times, 4 times, 5 times, Forever),\n"
    "priority (High, Low or anything else). Then the HTML body lines (quoted-printable),\n"
    "each between two bytes 0xDC, then the files to attach, each between two bytes 0xDD.\n"
    "example (bash):\n"
    "  msgmake \"MakeEMLAttachmentFileSW('out.eml','0','ann@example.com','Report','0','Arial','0','10',"
    "'','','','','High')\"$'\\xdc'\"Hello<b>Ann</b>\"$'\\xdc\\xdd'report.pdf$'\\xdd'\n"
    "\n"
    "exit codes: 0 written; 64 a usage error, or no usable call; 65 text that cannot be\n"
    "carried (not UTF-8, a header too long); 66 a file to read could not be read;\n"
    "73 the message file could not be written; 2 runtime error. See msgmake(1).\n";

const char* const kVersionText = "msgmake " MSGMAKE_VERSION "\n";

}  // namespace cli
