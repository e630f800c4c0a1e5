// The fixed font model and the device contexts of the headless window system.
#include "platform/gdi.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <string_view>
#include <utility>

#include "platform/last_error.h"
#include "platform/window_internal.h"

namespace plat {
namespace {

// The model's screen and its 8-point face: 96 dots per inch, an em of 11
// pixels in a 13-pixel cell, characters 6 pixels wide.
constexpr int screen_dpi = 96;
constexpr int screen_width = 1024;
constexpr int screen_height = 768;
constexpr int screen_bits = 32;
constexpr int reserved_palette_entries = 20;
constexpr LONG model_em = 11;
constexpr LONG model_cell = 13;
constexpr LONG model_width = 6;
constexpr int tab_stop_characters = 8;

enum class object_kind { font, brush };

struct gdi_object {
  object_kind kind;
  LOGFONTA font;
  COLORREF color;
  bool stock;
};

struct dc_state {
  HGDIOBJ font;
  COLORREF background;
  COLORREF foreground;
};

struct gdi_system {
  std::mutex mutex;
  std::map<uintptr_t, gdi_object> objects;
  std::map<uintptr_t, dc_state> contexts;
  uintptr_t next_handle = 0x30000;
};

constexpr uintptr_t stock_handle_base = 0x2F000;

LOGFONTA stock_font(LONG height, LONG weight, const char* face) {
  LOGFONTA font{};
  font.lfHeight = height;
  font.lfWeight = weight;
  std::strncpy(font.lfFaceName, face, LF_FACESIZE - 1);
  return font;
}

void add_stock_objects(gdi_system& s) {
  s.objects[stock_handle_base + SYSTEM_FONT] =
      gdi_object{object_kind::font, stock_font(16, FW_BOLD, "System"), 0, true};
  s.objects[stock_handle_base + DEFAULT_GUI_FONT] =
      gdi_object{object_kind::font, stock_font(-model_em, FW_NORMAL, "MS Sans Serif"), 0, true};
}

gdi_system& gdi() {
  static gdi_system instance;
  static const bool stocked = (add_stock_objects(instance), true);
  (void)stocked;
  return instance;
}

using lock_type = std::lock_guard<std::mutex>;

uintptr_t key_of(const void* handle) {
  return reinterpret_cast<uintptr_t>(handle);
}

template <class Handle>
Handle new_handle() {
  Handle handle = reinterpret_cast<Handle>(gdi().next_handle);
  gdi().next_handle += 4;
  return handle;
}

dc_state* find_dc(HDC dc) {
  auto found = gdi().contexts.find(key_of(dc));
  if (found == gdi().contexts.end()) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  return &found->second;
}

const gdi_object* find_object(HGDIOBJ object) {
  auto found = gdi().objects.find(key_of(object));
  return found == gdi().objects.end() ? nullptr : &found->second;
}

// The model's metrics for a font: a negative height is the em, a positive
// one the cell, 0 the 8-point default.
TEXTMETRICA metrics_of(const LOGFONTA& font) {
  LONG em = font.lfHeight < 0   ? -font.lfHeight
            : font.lfHeight > 0 ? font.lfHeight * model_em / model_cell
                                : model_em;
  LONG cell = font.lfHeight > 0 ? font.lfHeight : (em * model_cell + model_em / 2) / model_em;
  LONG width = font.lfWidth > 0 ? font.lfWidth : (em * model_width + model_em / 2) / model_em;
  TEXTMETRICA m{};
  m.tmHeight = cell;
  m.tmAscent = cell * 10 / model_cell;
  m.tmDescent = cell - m.tmAscent;
  m.tmInternalLeading = cell - em;
  m.tmAveCharWidth = width;
  m.tmMaxCharWidth = width;
  m.tmWeight = font.lfWeight == 0 ? FW_NORMAL : font.lfWeight;
  m.tmDigitizedAspectX = screen_dpi;
  m.tmDigitizedAspectY = screen_dpi;
  m.tmFirstChar = 0x20;
  m.tmLastChar = 0xFF;
  m.tmDefaultChar = 0x80;
  m.tmBreakChar = 0x20;
  m.tmCharSet = font.lfCharSet;
  return m;
}

bool metrics_of_dc(HDC dc, TEXTMETRICA* out) {
  dc_state* state = find_dc(dc);
  if (state == nullptr) return false;
  const gdi_object* font = find_object(state->font);
  *out = metrics_of(font != nullptr ? font->font : LOGFONTA{});
  return true;
}

LONG run_width(std::string_view line, LONG average, bool expand_tabs) {
  LONG x = 0;
  LONG tab = average * tab_stop_characters;
  for (char c : line) x = (c == '\t' && expand_tabs) ? (x / tab + 1) * tab : x + average;
  return x;
}

struct text_extent {
  LONG width = 0;
  LONG lines = 0;
};

void add_line(text_extent& extent, LONG width) {
  extent.width = std::max(extent.width, width);
  ++extent.lines;
}

// Breaks one paragraph between words so that each line fits `limit`; a word
// longer than the limit stands alone. Spaces at a break belong to no line.
void wrap_paragraph(std::string_view paragraph, LONG limit, LONG average, bool tabs,
                    text_extent& extent) {
  size_t line_start = 0;
  size_t line_end = 0;  // the end of the last word on the line, 0 when none
  size_t i = 0;
  while (i < paragraph.size()) {
    size_t word_start = paragraph.find_first_not_of(' ', i);
    if (word_start == std::string_view::npos) break;
    size_t word_end = std::min(paragraph.find(' ', word_start), paragraph.size());
    LONG width = run_width(paragraph.substr(line_start, word_end - line_start), average, tabs);
    if (width > limit && line_end != 0) {
      add_line(extent,
               run_width(paragraph.substr(line_start, line_end - line_start), average, tabs));
      line_start = word_start;
    }
    line_end = word_end;
    i = word_end;
  }
  add_line(extent, run_width(paragraph.substr(line_start, line_end == 0 ? paragraph.size()
                                                                        : line_end - line_start),
                             average, tabs));
}

text_extent measure_text(std::string_view text, UINT format, LONG limit, LONG average) {
  std::string shown =
      (format & DT_NOPREFIX) != 0 ? std::string(text) : detail::text_without_prefixes(text);
  bool tabs = (format & DT_EXPANDTABS) != 0;
  text_extent extent;
  if ((format & DT_SINGLELINE) != 0) {
    add_line(extent, run_width(shown, average, tabs));
    return extent;
  }
  std::string_view rest = shown;
  for (;;) {
    size_t stop = rest.find_first_of("\r\n");
    std::string_view paragraph = rest.substr(0, stop);
    if ((format & DT_WORDBREAK) != 0) {
      wrap_paragraph(paragraph, limit, average, tabs, extent);
    } else {
      add_line(extent, run_width(paragraph, average, tabs));
    }
    if (stop == std::string_view::npos) break;
    size_t next = stop + 1;
    if (rest[stop] == '\r' && next < rest.size() && rest[next] == '\n') ++next;
    rest = rest.substr(next);
  }
  return extent;
}

}  // namespace

std::string detail::text_without_prefixes(std::string_view text) {
  std::string shown;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '&' && i + 1 < text.size()) ++i;
    shown += text[i];
  }
  return shown;
}

HDC GetDC(HWND window) {
  if (window != nullptr && !IsWindow(window)) return nullptr;
  lock_type lock(gdi().mutex);
  HDC dc = new_handle<HDC>();
  gdi().contexts[key_of(dc)] =
      dc_state{reinterpret_cast<HGDIOBJ>(stock_handle_base + SYSTEM_FONT), 0xFFFFFF, 0};
  return dc;
}

int ReleaseDC(HWND, HDC dc) {
  return DeleteDC(dc);
}

HDC CreateCompatibleDC(HDC) {
  return GetDC(nullptr);
}

BOOL DeleteDC(HDC dc) {
  lock_type lock(gdi().mutex);
  if (gdi().contexts.erase(key_of(dc)) == 0) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  return TRUE;
}

int GetDeviceCaps(HDC dc, int index) {
  lock_type lock(gdi().mutex);
  if (find_dc(dc) == nullptr) return 0;
  switch (index) {
    case HORZRES:
      return screen_width;
    case VERTRES:
      return screen_height;
    case BITSPIXEL:
      return screen_bits;
    case RASTERCAPS:
      return 0;  // a true-colour screen: no palette
    case LOGPIXELSX:
    case LOGPIXELSY:
      return screen_dpi;
    case SIZEPALETTE:
      return 0;
    case NUMRESERVED:
      return reserved_palette_entries;
    default:
      return 0;
  }
}

HFONT CreateFontIndirectA(const LOGFONTA* font) {
  if (font == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  lock_type lock(gdi().mutex);
  HFONT handle = new_handle<HFONT>();
  gdi().objects[key_of(handle)] = gdi_object{object_kind::font, *font, 0, false};
  return handle;
}

HFONT CreateFontA(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                  DWORD underline, DWORD strike_out, DWORD char_set, DWORD out_precision,
                  DWORD clip_precision, DWORD quality, DWORD pitch_and_family, LPCSTR face) {
  LOGFONTA font{height,
                width,
                escapement,
                orientation,
                weight,
                static_cast<BYTE>(italic),
                static_cast<BYTE>(underline),
                static_cast<BYTE>(strike_out),
                static_cast<BYTE>(char_set),
                static_cast<BYTE>(out_precision),
                static_cast<BYTE>(clip_precision),
                static_cast<BYTE>(quality),
                static_cast<BYTE>(pitch_and_family),
                {}};
  if (face != nullptr) std::strncpy(font.lfFaceName, face, LF_FACESIZE - 1);
  return CreateFontIndirectA(&font);
}

HGDIOBJ GetStockObject(int index) {
  lock_type lock(gdi().mutex);
  auto handle = reinterpret_cast<HGDIOBJ>(stock_handle_base + index);
  return find_object(handle) != nullptr ? handle : nullptr;
}

HGDIOBJ SelectObject(HDC dc, HGDIOBJ object) {
  lock_type lock(gdi().mutex);
  dc_state* state = find_dc(dc);
  const gdi_object* selected = find_object(object);
  if (state == nullptr) return nullptr;
  if (selected == nullptr || selected->kind != object_kind::font) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  return std::exchange(state->font, object);
}

BOOL DeleteObject(HGDIOBJ object) {
  lock_type lock(gdi().mutex);
  const gdi_object* found = find_object(object);
  if (found == nullptr) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (!found->stock) gdi().objects.erase(key_of(object));
  return TRUE;
}

int GetObjectA(HGDIOBJ object, int size, LPVOID buffer) {
  lock_type lock(gdi().mutex);
  const gdi_object* found = find_object(object);
  if (found == nullptr || found->kind != object_kind::font) return 0;
  if (buffer == nullptr) return sizeof(LOGFONTA);
  int n = std::min(size, static_cast<int>(sizeof(LOGFONTA)));
  std::memcpy(buffer, &found->font, static_cast<size_t>(n));
  return n;
}

BOOL GetTextMetricsA(HDC dc, TEXTMETRICA* metrics) {
  lock_type lock(gdi().mutex);
  TEXTMETRICA m{};
  if (metrics == nullptr || !metrics_of_dc(dc, &m)) return FALSE;
  *metrics = m;
  return TRUE;
}

BOOL GetTextExtentPoint32A(HDC dc, LPCSTR text, int length, SIZE* size) {
  lock_type lock(gdi().mutex);
  TEXTMETRICA m{};
  if (size == nullptr || length < 0 || (text == nullptr && length > 0)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (!metrics_of_dc(dc, &m)) return FALSE;
  *size = SIZE{length * m.tmAveCharWidth, m.tmHeight};
  return TRUE;
}

int DrawTextA(HDC dc, LPCSTR text, int length, LPRECT rect, UINT format) {
  lock_type lock(gdi().mutex);
  TEXTMETRICA m{};
  if (rect == nullptr || !metrics_of_dc(dc, &m)) return 0;
  std::string_view view;
  if (text != nullptr) view = length < 0 ? std::string_view(text) : std::string_view(text, length);
  text_extent extent = measure_text(view, format, rect->right - rect->left, m.tmAveCharWidth);
  LONG height = extent.lines * m.tmHeight;
  if ((format & DT_CALCRECT) != 0) {
    rect->right = rect->left + extent.width;
    rect->bottom = rect->top + height;
  }
  return height;
}

COLORREF SetBkColor(HDC dc, COLORREF color) {
  lock_type lock(gdi().mutex);
  dc_state* state = find_dc(dc);
  return state == nullptr ? 0xFFFFFFFF : std::exchange(state->background, color);
}

COLORREF SetTextColor(HDC dc, COLORREF color) {
  lock_type lock(gdi().mutex);
  dc_state* state = find_dc(dc);
  return state == nullptr ? 0xFFFFFFFF : std::exchange(state->foreground, color);
}

HBRUSH CreateSolidBrush(COLORREF color) {
  lock_type lock(gdi().mutex);
  HBRUSH handle = new_handle<HBRUSH>();
  gdi().objects[key_of(handle)] = gdi_object{object_kind::brush, LOGFONTA{}, color, false};
  return handle;
}

void reset_gdi() {
  lock_type lock(gdi().mutex);
  gdi().contexts.clear();
  gdi().objects.clear();
  add_stock_objects(gdi());
}

}  // namespace plat
