// The message-name table.
#include "ui/message_names.h"

#include <cstring>

#include "platform/text.h"
#include "ui/event_codes.h"

namespace ui {
namespace {

// The standard window messages from WM_NULL to WM_CTLCOLORSTATIC that the
// log names; the rest (WM_TIMER among them) appear by number.
constexpr MessageNamePair standard_messages[] = {
    {0x0000, "WM_NULL"},
    {0x0001, "WM_CREATE"},
    {0x0002, "WM_DESTROY"},
    {0x0003, "WM_MOVE"},
    {0x0004, "WM_SIZEWAIT"},
    {0x0005, "WM_SIZE"},
    {0x0006, "WM_ACTIVATE"},
    {0x0007, "WM_SETFOCUS"},
    {0x0008, "WM_KILLFOCUS"},
    {0x0009, "WM_SETVISIBLE"},
    {0x000A, "WM_ENABLE"},
    {0x000B, "WM_SETREDRAW"},
    {0x000C, "WM_SETTEXT"},
    {0x000D, "WM_GETTEXT"},
    {0x000E, "WM_GETTEXTLENGTH"},
    {0x000F, "WM_PAINT"},
    {0x0010, "WM_CLOSE"},
    {0x0011, "WM_QUERYENDSESSION"},
    {0x0012, "WM_QUIT"},
    {0x0013, "WM_QUERYOPEN"},
    {0x0014, "WM_ERASEBKGND"},
    {0x0015, "WM_SYSCOLORCHANGE"},
    {0x0016, "WM_ENDSESSION"},
    {0x0017, "WM_SYSTEMERROR"},
    {0x0018, "WM_SHOWWINDOW"},
    {0x0019, "WM_CTLCOLOR"},
    {0x001A, "WM_WININICHANGE"},
    {0x001B, "WM_DEVMODECHANGE"},
    {0x001C, "WM_ACTIVATEAPP"},
    {0x001D, "WM_FONTCHANGE"},
    {0x001E, "WM_TIMECHANGE"},
    {0x001F, "WM_CANCELMODE"},
    {0x0020, "WM_SETCURSOR"},
    {0x0021, "WM_MOUSEACTIVATE"},
    {0x0022, "WM_CHILDACTIVATE"},
    {0x0023, "WM_QUEUESYNC"},
    {0x0024, "WM_GETMINMAXINFO"},
    {0x0026, "WM_PAINTICON"},
    {0x0027, "WM_ICONERASEBKGND"},
    {0x0028, "WM_NEXTDLGCTL"},
    {0x0029, "WM_ALTTABACTIVE"},
    {0x002A, "WM_SPOOLERSTATUS"},
    {0x002B, "WM_DRAWITEM"},
    {0x002C, "WM_MEASUREITEM"},
    {0x002D, "WM_DELETEITEM"},
    {0x002E, "WM_VKEYTOITEM"},
    {0x002F, "WM_CHARTOITEM"},
    {0x0030, "WM_SETFONT"},
    {0x0031, "WM_GETFONT"},
    {0x0032, "WM_SETHOTKEY"},
    {0x0033, "WM_GETHOTKEY"},
    {0x0034, "WM_FILESYSCHANGE"},
    {0x0035, "WM_ISACTIVEICON"},
    {0x0036, "WM_QUERYPARKICON"},
    {0x0037, "WM_QUERYDRAGICON"},
    {0x0039, "WM_COMPAREITEM"},
    {0x003A, "WM_TESTING"},
    {0x003B, "WM_OTHERWINDOWCREATED"},
    {0x003C, "WM_OTHERWINDOWDESTROYED"},
    {0x003D, "WM_ACTIVATESHELLWINDOW"},
    {0x0041, "WM_COMPACTING"},
    {0x0044, "WM_COMMNOTIFY"},
    {0x0046, "WM_WINDOWPOSCHANGING"},
    {0x0047, "WM_WINDOWPOSCHANGED"},
    {0x0048, "WM_POWER"},
    {0x004A, "WM_COPYDATA"},
    {0x004B, "WM_CANCELJOURNAL"},
    {0x004E, "WM_NOTIFY"},
    {0x0050, "WM_INPUTLANGCHANGEREQUEST"},
    {0x0051, "WM_INPUTLANGCHANGE"},
    {0x0052, "WM_TCARD"},
    {0x0053, "WM_HELP"},
    {0x0054, "WM_USERCHANGED"},
    {0x0055, "WM_NOTIFYFORMAT"},
    {0x007B, "WM_CONTEXTMENU"},
    {0x007C, "WM_STYLECHANGING"},
    {0x007D, "WM_STYLECHANGED"},
    {0x007E, "WM_DISPLAYCHANGE"},
    {0x007F, "WM_GETICON"},
    {0x0080, "WM_SETICON"},
    {0x0081, "WM_NCCREATE"},
    {0x0082, "WM_NCDESTROY"},
    {0x0083, "WM_NCCALCSIZE"},
    {0x0084, "WM_NCHITTEST"},
    {0x0085, "WM_NCPAINT"},
    {0x0086, "WM_NCACTIVATE"},
    {0x0087, "WM_GETDLGCODE"},
    {0x0088, "WM_SYNCPAINT"},
    {0x0089, "WM_SYNCTASK"},
    {0x00A0, "WM_NCMOUSEMOVE"},
    {0x00A1, "WM_NCLBUTTONDOWN"},
    {0x00A2, "WM_NCLBUTTONUP"},
    {0x00A3, "WM_NCLBUTTONDBLCLK"},
    {0x00A4, "WM_NCRBUTTONDOWN"},
    {0x00A5, "WM_NCRBUTTONUP"},
    {0x00A6, "WM_NCRBUTTONDBLCLK"},
    {0x00A7, "WM_NCMBUTTONDOWN"},
    {0x00A8, "WM_NCMBUTTONUP"},
    {0x00A9, "WM_NCMBUTTONDBLCLK"},
    {0x00B0, "EM_GETSEL"},
    {0x00B1, "EM_SETSEL"},
    {0x00B2, "EM_GETRECT"},
    {0x00B3, "EM_SETRECT"},
    {0x00B4, "EM_SETRECTNP"},
    {0x00B5, "EM_SCROLL"},
    {0x00B6, "EM_LINESCROLL"},
    {0x00B7, "EM_SCROLLCARET"},
    {0x00B8, "EM_GETMODIFY"},
    {0x00B9, "EM_SETMODIFY"},
    {0x00BA, "EM_GETLINECOUNT"},
    {0x00BB, "EM_LINEINDEX"},
    {0x00BC, "EM_SETHANDLE"},
    {0x00BD, "EM_GETHANDLE"},
    {0x00BE, "EM_GETTHUMB"},
    {0x00C1, "EM_LINELENGTH"},
    {0x00C2, "EM_REPLACESEL"},
    {0x00C4, "EM_GETLINE"},
    {0x00C5, "EM_LIMITTEXT"},
    {0x00C6, "EM_CANUNDO"},
    {0x00C7, "EM_UNDO"},
    {0x00C8, "EM_FMTLINES"},
    {0x00C9, "EM_LINEFROMCHAR"},
    {0x00CB, "EM_SETTABSTOPS"},
    {0x00CC, "EM_SETPASSWORDCHAR"},
    {0x00CD, "EM_EMPTYUNDOBUFFER"},
    {0x00CE, "EM_GETFIRSTVISIBLELINE"},
    {0x00CF, "EM_SETREADONLY"},
    {0x00D0, "EM_SETWORDBREAKPROC"},
    {0x00D1, "EM_GETWORDBREAKPROC"},
    {0x00D2, "EM_GETPASSWORDCHAR"},
    {0x00D3, "EM_SETMARGINS"},
    {0x00D4, "EM_GETMARGINS"},
    {0x00D5, "EM_GETLIMITTEXT"},
    {0x00F0, "BM_GETCHECK"},
    {0x00F1, "BM_SETCHECK"},
    {0x00F2, "BM_GETSTATE"},
    {0x00F3, "BM_SETSTATE"},
    {0x00F4, "BM_SETSTYLE"},
    {0x00F5, "BM_CLICK"},
    {0x00F6, "BM_GETIMAGE"},
    {0x00F7, "BM_SETIMAGE"},
    {0x0100, "WM_KEYDOWN"},
    {0x0101, "WM_KEYUP"},
    {0x0102, "WM_CHAR"},
    {0x0103, "WM_DEADCHAR"},
    {0x0104, "WM_SYSKEYDOWN"},
    {0x0105, "WM_SYSKEYUP"},
    {0x0106, "WM_SYSCHAR"},
    {0x0107, "WM_SYSDEADCHAR"},
    {0x0108, "WM_KEYLAST"},
    {0x010D, "WM_IME_STARTCOMPOSITION"},
    {0x010E, "WM_IME_ENDCOMPOSITION"},
    {0x010F, "WM_IME_COMPOSITION"},
    {0x0110, "WM_INITDIALOG"},
    {0x0111, "WM_COMMAND"},
    {0x0112, "WM_SYSCOMMAND"},
    {0x0114, "WM_HSCROLL"},
    {0x0115, "WM_VSCROLL"},
    {0x0116, "WM_INITMENU"},
    {0x0117, "WM_INITMENUPOPUP"},
    {0x0118, "WM_SYSTIMER"},
    {0x011F, "WM_MENUSELECT"},
    {0x0120, "WM_MENUCHAR"},
    {0x0121, "WM_ENTERIDLE"},
    {0x0132, "WM_CTLCOLORMSGBOX"},
    {0x0133, "WM_CTLCOLOREDIT"},
    {0x0134, "WM_CTLCOLORLISTBOX"},
    {0x0135, "WM_CTLCOLORBTN"},
    {0x0136, "WM_CTLCOLORDLG"},
    {0x0137, "WM_CTLCOLORSCROLLBAR"},
    {0x0138, "WM_CTLCOLORSTATIC"},
};
static_assert(sizeof standard_messages / sizeof standard_messages[0] ==
              standard_message_name_count);

constexpr MessageNamePair dde_messages[] = {
    {0x03E0, "WM_DDE_INITIATE"}, {0x03E1, "WM_DDE_TERMINATE"}, {0x03E2, "WM_DDE_ADVISE"},
    {0x03E3, "WM_DDE_UNADVISE"}, {0x03E4, "WM_DDE_ACK"},       {0x03E5, "WM_DDE_DATA"},
    {0x03E6, "WM_DDE_REQUEST"},  {0x03E7, "WM_DDE_POKE"},      {0x03E8, "WM_DDE_EXECUTE"},
};

constexpr MessageNamePair runtime_queries[] = {
    {0x2401, "QUERY_SETUSE"},    {0x2402, "QUERY_SELECTED"},  {0x2403, "QUERY_COMMAND"},
    {0x2404, "QUERY_HOTCHANGE"}, {0x2405, "QUERY_HELP"},      {0x2406, "QUERY_QUIT"},
    {0x2407, "QUERY_REPLY"},     {0x2408, "QUERY_LOSEFOCUS"}, {0x2409, "QUERY_PSCREEN"},
    {0x240A, "QUERY_PFIELD"},    {0x240C, "QUERY_COLOR"},     {0x240E, "QUERY_HSCROLL"},
    {0x2410, "QUERY_NOTIFY"},    {0x2412, "QUERY_LOCATE"},    {0x241C, "QUERY_CONTINUETHREAD"},
    {0x241D, "QUERY_EDITDONE"},
};

constexpr int standard_count = sizeof standard_messages / sizeof standard_messages[0];
constexpr int dde_count = sizeof dde_messages / sizeof dde_messages[0];
constexpr int query_count = sizeof runtime_queries / sizeof runtime_queries[0];
constexpr int table_size = standard_count + dde_count + event_name_count + query_count + 1;

struct Table {
  MessageNamePair pairs[table_size];
};

// Joins the groups in number order: standard, DDE, events, queries.
Table build_table() {
  Table table{};
  int n = 0;
  for (const MessageNamePair& p : standard_messages) table.pairs[n++] = p;
  for (const MessageNamePair& p : dde_messages) table.pairs[n++] = p;
  for (int i = 0; i < event_name_count; ++i) {
    table.pairs[n++] = {event_message(event_names[i].code), event_names[i].name};
  }
  for (const MessageNamePair& p : runtime_queries) table.pairs[n++] = p;
  table.pairs[n] = {0, nullptr};
  return table;
}

const Table table = build_table();

}  // namespace

const MessageNamePair* message_name_table() {
  return table.pairs;
}

MessageName message_name(std::uint32_t number) {
  MessageName result{};
  for (const MessageNamePair* p = table.pairs; p->name != nullptr; ++p) {
    if (p->number == number) {
      std::strncpy(result.text, p->name, sizeof result.text - 1);
      return result;
    }
  }
  plat::wsprintfA(result.text, "%#.4x", number);
  return result;
}

}  // namespace ui
