// Fonts, device contexts and text measurement of the headless window system.
//
// There is no display, so text is measured by a fixed font model: a screen
// of 96 dots per inch whose fonts give every character the same advance. An
// 8-point face (height -11) has cells 13 pixels high and characters 6 pixels
// wide, the metrics of the dialog font; other heights scale from it. Face and
// weight do not change the metrics. Nothing is drawn: the drawing calls
// measure and report as if they had drawn.
#pragma once

#include "platform/types.h"
#include "platform/window.h"

namespace plat {

struct HDC__;
struct HFONT__;
struct HGDIOBJ__;
using HDC = HDC__*;
using HFONT = HFONT__*;
using HGDIOBJ = void*;
using COLORREF = DWORD;

constexpr int LF_FACESIZE = 32;

struct LOGFONTA {
  LONG lfHeight;
  LONG lfWidth;
  LONG lfEscapement;
  LONG lfOrientation;
  LONG lfWeight;
  BYTE lfItalic;
  BYTE lfUnderline;
  BYTE lfStrikeOut;
  BYTE lfCharSet;
  BYTE lfOutPrecision;
  BYTE lfClipPrecision;
  BYTE lfQuality;
  BYTE lfPitchAndFamily;
  CHAR lfFaceName[LF_FACESIZE];
};

struct TEXTMETRICA {
  LONG tmHeight;
  LONG tmAscent;
  LONG tmDescent;
  LONG tmInternalLeading;
  LONG tmExternalLeading;
  LONG tmAveCharWidth;
  LONG tmMaxCharWidth;
  LONG tmWeight;
  LONG tmOverhang;
  LONG tmDigitizedAspectX;
  LONG tmDigitizedAspectY;
  BYTE tmFirstChar;
  BYTE tmLastChar;
  BYTE tmDefaultChar;
  BYTE tmBreakChar;
  BYTE tmItalic;
  BYTE tmUnderlined;
  BYTE tmStruckOut;
  BYTE tmPitchAndFamily;
  BYTE tmCharSet;
};

constexpr LONG FW_NORMAL = 400;
constexpr LONG FW_BOLD = 700;
constexpr BYTE ANSI_CHARSET = 0;
constexpr BYTE DEFAULT_CHARSET = 1;
constexpr BYTE OEM_CHARSET = 255;
constexpr BYTE OUT_DEFAULT_PRECIS = 0;
constexpr BYTE OUT_TT_PRECIS = 4;
constexpr BYTE CLIP_DEFAULT_PRECIS = 0;
constexpr BYTE DEFAULT_QUALITY = 0;
constexpr BYTE DEFAULT_PITCH = 0;

// GetDeviceCaps indexes.
constexpr int HORZRES = 8;
constexpr int VERTRES = 10;
constexpr int BITSPIXEL = 12;
constexpr int RASTERCAPS = 38;
constexpr int LOGPIXELSX = 88;
constexpr int LOGPIXELSY = 90;
constexpr int SIZEPALETTE = 104;
constexpr int NUMRESERVED = 106;
constexpr int RC_PALETTE = 0x0100;

// Stock objects.
constexpr int SYSTEM_FONT = 13;
constexpr int DEFAULT_GUI_FONT = 17;

// DrawTextA formats.
constexpr UINT DT_LEFT = 0x0000;
constexpr UINT DT_CENTER = 0x0001;
constexpr UINT DT_RIGHT = 0x0002;
constexpr UINT DT_SINGLELINE = 0x0020;
constexpr UINT DT_WORDBREAK = 0x0010;
constexpr UINT DT_EXPANDTABS = 0x0040;
constexpr UINT DT_NOCLIP = 0x0100;
constexpr UINT DT_CALCRECT = 0x0400;
constexpr UINT DT_NOPREFIX = 0x0800;

// The screen's device context for a null window, else the window's; both
// start with SYSTEM_FONT selected.
HDC GetDC(HWND window);
int ReleaseDC(HWND window, HDC dc);
HDC CreateCompatibleDC(HDC dc);
BOOL DeleteDC(HDC dc);
int GetDeviceCaps(HDC dc, int index);

HFONT CreateFontIndirectA(const LOGFONTA* font);
HFONT CreateFontA(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                  DWORD underline, DWORD strike_out, DWORD char_set, DWORD out_precision,
                  DWORD clip_precision, DWORD quality, DWORD pitch_and_family, LPCSTR face);
HGDIOBJ GetStockObject(int index);
// Selects a font into the context; the previous font, or null for an object
// that is not a font (87).
HGDIOBJ SelectObject(HDC dc, HGDIOBJ object);
// Stock objects stay; created fonts and brushes go.
BOOL DeleteObject(HGDIOBJ object);
int GetObjectA(HGDIOBJ object, int size, LPVOID buffer);

BOOL GetTextMetricsA(HDC dc, TEXTMETRICA* metrics);
BOOL GetTextExtentPoint32A(HDC dc, LPCSTR text, int length, SIZE* size);
// Measures (and, with a display, would draw) `text` (length -1: to the NUL)
// in `rect`. With DT_WORDBREAK lines break between words at the rectangle's
// width, and a word wider than the rectangle stands alone on its line; line
// breaks ("\r\n", "\n", "\r") always end a line. DT_EXPANDTABS puts tab stops
// every eight average characters; without DT_NOPREFIX an "&" marks the next
// character and takes no room ("&&" is one "&"). With DT_CALCRECT the
// rectangle's right and bottom are set to the text's extent. Returns the text
// height.
int DrawTextA(HDC dc, LPCSTR text, int length, LPRECT rect, UINT format);

COLORREF SetBkColor(HDC dc, COLORREF color);
COLORREF SetTextColor(HDC dc, COLORREF color);
HBRUSH CreateSolidBrush(COLORREF color);

// Test hook: forgets every context and created object.
void reset_gdi();

}  // namespace plat
