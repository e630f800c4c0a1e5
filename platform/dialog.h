// The message box and the cursor, on a system without a display.
//
// The message box writes its caption and text to standard error. When standard
// input and standard error are both terminals it asks for the answer there;
// otherwise it answers with the box's default button at once.
//
// The cursor is process state only: loading, setting and destroying cursors
// change what GetCursor reports and show nothing.
#pragma once

#include "platform/types.h"

namespace plat {

constexpr UINT MB_OK = 0x0;
constexpr UINT MB_OKCANCEL = 0x1;
constexpr UINT MB_ABORTRETRYIGNORE = 0x2;
constexpr UINT MB_YESNOCANCEL = 0x3;
constexpr UINT MB_YESNO = 0x4;
constexpr UINT MB_RETRYCANCEL = 0x5;
constexpr UINT MB_TYPEMASK = 0xF;
constexpr UINT MB_ICONHAND = 0x10;
constexpr UINT MB_ICONERROR = MB_ICONHAND;
constexpr UINT MB_ICONSTOP = MB_ICONHAND;
constexpr UINT MB_ICONQUESTION = 0x20;
constexpr UINT MB_ICONEXCLAMATION = 0x30;
constexpr UINT MB_ICONWARNING = MB_ICONEXCLAMATION;
constexpr UINT MB_ICONASTERISK = 0x40;
constexpr UINT MB_ICONINFORMATION = MB_ICONASTERISK;
constexpr UINT MB_ICONMASK = 0xF0;
constexpr UINT MB_DEFBUTTON1 = 0x000;
constexpr UINT MB_DEFBUTTON2 = 0x100;
constexpr UINT MB_DEFBUTTON3 = 0x200;
constexpr UINT MB_DEFMASK = 0xF00;
constexpr UINT MB_APPLMODAL = 0x0000;
constexpr UINT MB_SYSTEMMODAL = 0x1000;
constexpr UINT MB_TASKMODAL = 0x2000;
constexpr UINT MB_SETFOREGROUND = 0x10000;
constexpr UINT MB_TOPMOST = 0x40000;

constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDABORT = 3;
constexpr int IDRETRY = 4;
constexpr int IDIGNORE = 5;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

// The chosen button's ID*; 0 with last error 87 for an unknown box type.
int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type);

// Test hook: answers every message box instead of standard error and the
// terminal (the hook sees the box's arguments). Null restores the default.
using message_box_hook = int (*)(HWND owner, LPCSTR text, LPCSTR caption, UINT type);
void set_message_box_hook(message_box_hook hook);

inline LPCSTR const IDC_ARROW = MAKEINTRESOURCEA(32512);
inline LPCSTR const IDC_IBEAM = MAKEINTRESOURCEA(32513);
inline LPCSTR const IDC_WAIT = MAKEINTRESOURCEA(32514);
inline LPCSTR const IDC_APPSTARTING = MAKEINTRESOURCEA(32650);

// With a null instance, the system cursor named by IDC_*: the same handle every
// time. Any other name fails with 1814 (resource name not found).
HCURSOR LoadCursorA(HINSTANCE instance, LPCSTR name);
constexpr DWORD ERROR_RESOURCE_NAME_NOT_FOUND = 1814;
// Makes `cursor` current (null: none); returns the previous one.
HCURSOR SetCursor(HCURSOR cursor);
HCURSOR GetCursor();
// System cursors are shared and stay loaded: destroying one succeeds and
// changes nothing.
BOOL DestroyCursor(HCURSOR cursor);

// Test hook: back to the arrow cursor, as at process start.
void reset_cursor();

}  // namespace plat
