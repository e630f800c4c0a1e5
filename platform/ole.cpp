#include "platform/ole.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

#ifdef _WIN32
#include "platform/win32/ole.inc"
#else
#include "platform/posix/ole.inc"
#endif

namespace plat {

namespace {

// Unicode code points of the bytes 0x80 to 0x9F in code page 1252; the five
// bytes the code page leaves undefined map to the C1 control of their value.
constexpr char16_t kAnsiHigh[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};
static_assert(sizeof(kAnsiHigh) / sizeof(kAnsiHigh[0]) == 32);

char narrow_one(char16_t c) {
  if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<char>(c);
  for (int i = 0; i < 32; ++i) {
    if (kAnsiHigh[i] == c) return static_cast<char>(0x80 + i);
  }
  return '?';
}

// The text of a BSTR as ANSI bytes, NUL-terminated, for number parsing.
// Texts longer than the buffer are not numbers anyway.
bool bstr_to_number_text(BSTR text, char (&out)[64]) {
  uint32_t n = SysStringLen(text);
  if (n >= sizeof out) return false;
  NarrowToAnsi(text, n, out);
  out[n] = '\0';
  return true;
}

// Reads a whole text as a number: spaces, then strtod's number, then spaces.
HRESULT parse_number(BSTR text, double* value) {
  char buffer[64];
  if (!bstr_to_number_text(text, buffer)) return DISP_E_TYPEMISMATCH;
  const char* p = buffer;
  while (*p == ' ' || *p == '\t') ++p;
  if (*p == '\0') return DISP_E_TYPEMISMATCH;
  // Only decimal forms count: no hexadecimal, infinity or NaN.
  for (const char* q = p; *q != '\0'; ++q) {
    if (std::strchr("0123456789+-.eE \t", *q) == nullptr) return DISP_E_TYPEMISMATCH;
  }
  char* end = nullptr;
  *value = std::strtod(p, &end);
  if (end == p) return DISP_E_TYPEMISMATCH;
  while (*end == ' ' || *end == '\t') ++end;
  return *end == '\0' ? S_OK : DISP_E_TYPEMISMATCH;
}

HRESULT value_as_real(const VARIANT* src, double* value) {
  switch (src->vt) {
    case VT_EMPTY:
      *value = 0;
      return S_OK;
    case VT_I2:
      *value = src->iVal;
      return S_OK;
    case VT_I4:
      *value = src->lVal;
      return S_OK;
    case VT_R4:
      *value = src->fltVal;
      return S_OK;
    case VT_R8:
      *value = src->dblVal;
      return S_OK;
    case VT_BSTR:
      return parse_number(src->bstrVal, value);
    case VT_NULL:
      return DISP_E_TYPEMISMATCH;
    default:
      return DISP_E_BADVARTYPE;
  }
}

// Integers are rounded to the nearest, halves to even, as the system does.
HRESULT real_to_integer(double value, double low, double high, int32_t* out) {
  double rounded = std::nearbyint(value);
  if (!(rounded >= low && rounded <= high)) return DISP_E_OVERFLOW;
  *out = static_cast<int32_t>(rounded);
  return S_OK;
}

HRESULT value_as_text(const VARIANT* src, BSTR* out) {
  char buffer[64];
  switch (src->vt) {
    case VT_EMPTY:
      buffer[0] = '\0';
      break;
    case VT_I2:
      std::snprintf(buffer, sizeof buffer, "%d", src->iVal);
      break;
    case VT_I4:
      std::snprintf(buffer, sizeof buffer, "%ld", static_cast<long>(src->lVal));
      break;
    case VT_R4:
      std::snprintf(buffer, sizeof buffer, "%.7G", static_cast<double>(src->fltVal));
      break;
    case VT_R8:
      std::snprintf(buffer, sizeof buffer, "%.15G", src->dblVal);
      break;
    case VT_BSTR:
      *out = SysAllocStringLen(src->bstrVal, SysStringLen(src->bstrVal));
      return (*out == nullptr && src->bstrVal != nullptr) ? E_OUTOFMEMORY : S_OK;
    case VT_NULL:
      return DISP_E_TYPEMISMATCH;
    default:
      return DISP_E_BADVARTYPE;
  }
  auto n = static_cast<uint32_t>(std::strlen(buffer));
  BSTR text = SysAllocStringLen(nullptr, n);
  if (text == nullptr) return E_OUTOFMEMORY;
  WidenFromAnsi(buffer, n, text);
  *out = text;
  return S_OK;
}

}  // namespace

BSTR SysAllocStringLen(const OLECHAR* text, uint32_t length) {
  // The prefix counts bytes, so the text may hold at most 2^31 - 1 units.
  if (length > (std::numeric_limits<uint32_t>::max() - 6) / 2 / 2) return nullptr;
  uint32_t bytes = length * 2;
  auto* block = static_cast<unsigned char*>(ole_allocate(4 + bytes + 2));
  if (block == nullptr) return nullptr;
  std::memcpy(block, &bytes, 4);
  auto* result = reinterpret_cast<BSTR>(block + 4);
  if (text != nullptr && length > 0) std::memcpy(result, text, bytes);
  result[length] = 0;
  return result;
}

BSTR SysAllocString(const OLECHAR* text) {
  if (text == nullptr) return nullptr;
  uint32_t n = 0;
  while (text[n] != 0) ++n;
  return SysAllocStringLen(text, n);
}

void SysFreeString(BSTR text) {
  if (text != nullptr) ole_free(reinterpret_cast<unsigned char*>(text) - 4);
}

uint32_t SysStringLen(BSTR text) {
  if (text == nullptr) return 0;
  uint32_t bytes;
  std::memcpy(&bytes, reinterpret_cast<unsigned char*>(text) - 4, 4);
  return bytes / 2;
}

void VariantInit(VARIANT* v) {
  std::memset(v, 0, sizeof *v);
}

HRESULT VariantClear(VARIANT* v) {
  if (v == nullptr) return E_INVALIDARG;
  if (v->vt == VT_BSTR) SysFreeString(v->bstrVal);
  VariantInit(v);
  return S_OK;
}

HRESULT VariantCopy(VARIANT* dest, const VARIANT* src) {
  if (dest == nullptr || src == nullptr) return E_INVALIDARG;
  if (dest == src) return S_OK;
  VARIANT copy = *src;
  if (src->vt == VT_BSTR && src->bstrVal != nullptr) {
    copy.bstrVal = SysAllocStringLen(src->bstrVal, SysStringLen(src->bstrVal));
    if (copy.bstrVal == nullptr) return E_OUTOFMEMORY;
  }
  VariantClear(dest);
  *dest = copy;
  return S_OK;
}

HRESULT VariantChangeType(VARIANT* dest, const VARIANT* src, uint16_t /*flags*/, VARTYPE vt) {
  if (dest == nullptr || src == nullptr) return E_INVALIDARG;
  VARIANT result;
  VariantInit(&result);
  result.vt = vt;
  HRESULT hr = S_OK;
  double real = 0;
  switch (vt) {
    case VT_EMPTY:
    case VT_NULL:
      break;
    case VT_BSTR:
      hr = value_as_text(src, &result.bstrVal);
      break;
    case VT_I2: {
      int32_t n = 0;
      hr = value_as_real(src, &real);
      if (hr == S_OK) hr = real_to_integer(real, -32768.0, 32767.0, &n);
      result.iVal = static_cast<int16_t>(n);
      break;
    }
    case VT_I4:
      hr = value_as_real(src, &real);
      if (hr == S_OK) hr = real_to_integer(real, -2147483648.0, 2147483647.0, &result.lVal);
      break;
    case VT_R4:
      hr = value_as_real(src, &real);
      if (hr == S_OK && std::fabs(real) > std::numeric_limits<float>::max()) hr = DISP_E_OVERFLOW;
      result.fltVal = static_cast<float>(real);
      break;
    case VT_R8:
      hr = value_as_real(src, &result.dblVal);
      break;
    default:
      hr = DISP_E_BADVARTYPE;
  }
  if (hr != S_OK) return hr;
  // dest may be src: clear it only once the new value is complete.
  VariantClear(dest);
  *dest = result;
  return S_OK;
}

void NarrowToAnsi(const OLECHAR* text, uint32_t length, char* out) {
  for (uint32_t i = 0; i < length; ++i) out[i] = narrow_one(text[i]);
}

void WidenFromAnsi(const char* text, uint32_t length, OLECHAR* out) {
  for (uint32_t i = 0; i < length; ++i) {
    auto b = static_cast<unsigned char>(text[i]);
    out[i] = (b >= 0x80 && b < 0xA0) ? kAnsiHigh[b - 0x80] : b;
  }
}

}  // namespace plat
