// Dialogs, system metrics, icons, menus and colours of the headless window
// system.
//
// DialogBoxIndirectParamA reads an in-memory dialog template, creates the
// dialog and its controls as windows, sends WM_INITDIALOG and runs a modal
// loop until EndDialog. The dialog manager understands keyboard input as a
// dialog would: Esc sends IDCANCEL, Enter presses the focused push button or
// the default one, Tab moves the focus, Space presses the focused button and
// a typed character presses the button whose caption marks it with "&". Keys
// posted to the thread (PostMessageA with no window) go to the focused
// control, so a test queues button presses like any other input.
//
// When the modal loop finds its queue empty it asks for input: when standard
// input and standard error are terminals it shows the caption, the texts and
// the numbered buttons on standard error and reads the number of the button to
// press; otherwise it presses the default button. A dialog that is still open
// after that and has nothing to do ends with 0.
#pragma once

#include "platform/gdi.h"
#include "platform/types.h"
#include "platform/window.h"

namespace plat {

using INT_PTR = LONG_PTR;
using DLGPROC = INT_PTR (*)(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);

// The dialog template as the dialog manager reads it. After DLGTEMPLATE come
// the menu, the class and the title (each a 16-bit 0 for none, 0xFFFF and an
// ordinal, or a NUL-ended string of 16-bit characters), then with DS_SETFONT
// the point size (16-bit) and the face (string). Each control starts at the
// next 4-byte boundary with DLGITEMTEMPLATE, then its class (0xFFFF and an
// atom, or a string), its title (likewise) and the 16-bit size of its
// creation data, followed by that data.
#pragma pack(push, 2)
struct DLGTEMPLATE {
  DWORD style;            // +0
  DWORD dwExtendedStyle;  // +4
  WORD cdit;              // +8  number of controls
  short x;                // +10 dialog units
  short y;                // +12
  short cx;               // +14
  short cy;               // +16
};
struct DLGITEMTEMPLATE {
  DWORD style;            // +0
  DWORD dwExtendedStyle;  // +4
  short x;                // +8  dialog units
  short y;                // +10
  short cx;               // +12
  short cy;               // +14
  WORD id;                // +16
};
#pragma pack(pop)
static_assert(sizeof(DLGTEMPLATE) == 18);
static_assert(sizeof(DLGITEMTEMPLATE) == 18);

// Class atoms of a control in a template.
constexpr WORD DLG_CLASS_BUTTON = 0x0080;
constexpr WORD DLG_CLASS_EDIT = 0x0081;
constexpr WORD DLG_CLASS_STATIC = 0x0082;

// Dialog styles.
constexpr DWORD DS_SYSMODAL = 0x0002;
constexpr DWORD DS_SETFONT = 0x0040;
constexpr DWORD DS_MODALFRAME = 0x0080;
constexpr DWORD DS_CENTER = 0x0800;

// Control styles.
constexpr DWORD SS_ICON = 0x0003;
constexpr DWORD SS_NOPREFIX = 0x0080;
constexpr DWORD BS_PUSHBUTTON = 0x0000;
constexpr DWORD BS_DEFPUSHBUTTON = 0x0001;
constexpr DWORD BS_TYPEMASK = 0x000F;

// Control and dialog messages.
constexpr UINT BN_CLICKED = 0;
constexpr UINT BM_SETSTYLE = 0x00F4;
constexpr UINT BM_CLICK = 0x00F5;
constexpr UINT STM_SETICON = 0x0170;
constexpr UINT STM_GETICON = 0x0171;
constexpr UINT DM_GETDEFID = WM_USER + 0;
constexpr UINT DM_SETDEFID = WM_USER + 1;
constexpr WORD DC_HASDEFID = 0x534B;

// The dialog class.
inline LPCSTR const WC_DIALOG = "#32770";

// Runs a modal dialog from `dialog_template`; the EndDialog result, or -1
// (with last error) when the template is unreadable or a window cannot be
// created. The owner is disabled while the dialog runs.
INT_PTR DialogBoxIndirectParamA(HINSTANCE instance, const DLGTEMPLATE* dialog_template, HWND owner,
                                DLGPROC procedure, LPARAM init_param);
BOOL EndDialog(HWND dialog, INT_PTR result);
// The dialog's default handling: WM_CLOSE sends IDCANCEL, DM_GETDEFID and
// DM_SETDEFID keep the default button, WM_NEXTDLGCTL moves the focus; the
// rest goes to DefWindowProcA.
LRESULT DefDlgProcA(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);
// Handles keyboard input meant for the dialog (see above); FALSE when the
// message is not for the dialog or one of its controls.
BOOL IsDialogMessageA(HWND dialog, LPMSG message);
// Test hook: called, instead of asking the terminal, each time a modal
// dialog finds its queue empty. It may look at the dialog and queue the input
// the dialog should get (keys, BM_CLICK), answering TRUE; FALSE lets the
// default button be pressed as without a terminal. Null removes it.
using dialog_input_hook = BOOL (*)(HWND dialog);
void set_dialog_input_hook(dialog_input_hook hook);
// Converts a rectangle from the dialog's units to pixels.
BOOL MapDialogRect(HWND dialog, LPRECT rect);
// The base units of the system font: width in the low word, height in the high.
LONG GetDialogBaseUnits();

// System metrics.
constexpr int SM_CXSCREEN = 0;
constexpr int SM_CYSCREEN = 1;
constexpr int SM_CXVSCROLL = 2;
constexpr int SM_CYHSCROLL = 3;
constexpr int SM_CYCAPTION = 4;
constexpr int SM_CXBORDER = 5;
constexpr int SM_CYBORDER = 6;
constexpr int SM_CXDLGFRAME = 7;
constexpr int SM_CYDLGFRAME = 8;
constexpr int SM_CXICON = 11;
constexpr int SM_CYICON = 12;
constexpr int SM_CXCURSOR = 13;
constexpr int SM_CYCURSOR = 14;
constexpr int SM_CYMENU = 15;
constexpr int SM_CXFULLSCREEN = 16;
constexpr int SM_CYFULLSCREEN = 17;
constexpr int SM_CXFRAME = 32;
constexpr int SM_CYFRAME = 33;
// 0 for an index the system does not know.
int GetSystemMetrics(int index);

// There is no loudspeaker: the beep is only counted.
BOOL MessageBeep(UINT type);
// Test hook: beeps since the last reset of the window system.
int message_beep_count();

// Icons. System icons come from a null instance; a program's icons are its
// RT_GROUP_ICON resources.
inline LPCSTR const IDI_APPLICATION = MAKEINTRESOURCEA(32512);
inline LPCSTR const IDI_HAND = MAKEINTRESOURCEA(32513);
inline LPCSTR const IDI_QUESTION = MAKEINTRESOURCEA(32514);
inline LPCSTR const IDI_EXCLAMATION = MAKEINTRESOURCEA(32515);
inline LPCSTR const IDI_ASTERISK = MAKEINTRESOURCEA(32516);
HICON LoadIconA(HINSTANCE instance, LPCSTR name);
// No icon file can be read without a display: always null ("no icon").
HICON ExtractIconA(HINSTANCE instance, LPCSTR file, UINT index);
BOOL DrawIcon(HDC dc, int x, int y, HICON icon);
BOOL DestroyIcon(HICON icon);

// Menus. A window with WS_SYSMENU has a system menu holding Restore, Move,
// Size, Minimize, Maximize, Close and Switch To.
constexpr UINT SC_SIZE = 0xF000;
constexpr UINT SC_MOVE = 0xF010;
constexpr UINT SC_MINIMIZE = 0xF020;
constexpr UINT SC_MAXIMIZE = 0xF030;
constexpr UINT SC_CLOSE = 0xF060;
constexpr UINT SC_RESTORE = 0xF120;
constexpr UINT SC_TASKLIST = 0xF130;
constexpr UINT MF_BYCOMMAND = 0x0000;
constexpr UINT MF_BYPOSITION = 0x0400;
HMENU GetSystemMenu(HWND window, BOOL revert);
HMENU CreateMenu();
BOOL DestroyMenu(HMENU menu);
BOOL RemoveMenu(HMENU menu, UINT item, UINT flags);
BOOL DeleteMenu(HMENU menu, UINT item, UINT flags);
int GetMenuItemCount(HMENU menu);
UINT GetMenuItemID(HMENU menu, int position);
BOOL DrawMenuBar(HWND window);

// Colours.
constexpr int COLOR_WINDOW = 5;
constexpr int COLOR_BTNFACE = 15;
DWORD GetSysColor(int index);
HBRUSH GetSysColorBrush(int index);

}  // namespace plat
