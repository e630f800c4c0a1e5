// OLE automation strings and variants: the least of them that the string stack
// needs to hold a wide string or a variant as one of its entries.
//
// A BSTR points at its first UTF-16 code unit; the 32-bit byte count of the
// text sits in the four bytes just before it and a 16-bit NUL follows the text.
// A variant holds an integer, a real or a BSTR, tagged by its VARTYPE.
#pragma once

#include <cstddef>
#include <cstdint>

namespace plat {

using OLECHAR = char16_t;
using BSTR = OLECHAR*;
using VARTYPE = uint16_t;
using HRESULT = int32_t;

constexpr HRESULT S_OK = 0;
constexpr HRESULT E_INVALIDARG = static_cast<HRESULT>(0x80070057u);
constexpr HRESULT E_OUTOFMEMORY = static_cast<HRESULT>(0x8007000Eu);
constexpr HRESULT DISP_E_BADVARTYPE = static_cast<HRESULT>(0x80020008u);
constexpr HRESULT DISP_E_TYPEMISMATCH = static_cast<HRESULT>(0x80020005u);
constexpr HRESULT DISP_E_OVERFLOW = static_cast<HRESULT>(0x8002000Au);

constexpr VARTYPE VT_EMPTY = 0;
constexpr VARTYPE VT_NULL = 1;
constexpr VARTYPE VT_I2 = 2;
constexpr VARTYPE VT_I4 = 3;
constexpr VARTYPE VT_R4 = 4;
constexpr VARTYPE VT_R8 = 5;
constexpr VARTYPE VT_BSTR = 8;

// Layout, field by field (16 bytes):
//   0  vt         the kind of value held
//   2  reserved1  unused, kept zero
//   4  reserved2  unused, kept zero
//   6  reserved3  unused, kept zero
//   8  value      the integer, real or BSTR, by vt
struct VARIANT {
  VARTYPE vt;
  uint16_t wReserved1;
  uint16_t wReserved2;
  uint16_t wReserved3;
  union {
    int16_t iVal;
    int32_t lVal;
    float fltVal;
    double dblVal;
    BSTR bstrVal;
  };
};
static_assert(offsetof(VARIANT, vt) == 0);
static_assert(offsetof(VARIANT, lVal) == 8);
static_assert(sizeof(VARIANT) == 16);

// A new BSTR of `length` code units copied from `text` (left uninitialised
// when `text` is null), NUL-terminated; null when memory runs out.
BSTR SysAllocStringLen(const OLECHAR* text, uint32_t length);
// The same for a NUL-terminated text; null text gives null.
BSTR SysAllocString(const OLECHAR* text);
// Frees a BSTR; null is accepted and ignored.
void SysFreeString(BSTR text);
// Length in code units from the prefix; 0 for null.
uint32_t SysStringLen(BSTR text);

void VariantInit(VARIANT* v);
// Frees what the variant owns (its BSTR) and leaves it VT_EMPTY.
HRESULT VariantClear(VARIANT* v);
// A deep copy: the destination is cleared first, a BSTR is duplicated.
HRESULT VariantCopy(VARIANT* dest, const VARIANT* src);
// Converts src to type vt into dest (dest may equal src). Supports VT_EMPTY,
// VT_NULL (to VT_BSTR it fails with DISP_E_TYPEMISMATCH), VT_I2, VT_I4, VT_R4,
// VT_R8 and VT_BSTR in every direction; a text that is not a number gives
// DISP_E_TYPEMISMATCH, an integer out of range DISP_E_OVERFLOW. `flags` is
// accepted and ignored.
HRESULT VariantChangeType(VARIANT* dest, const VARIANT* src, uint16_t flags, VARTYPE vt);

// Narrows `length` UTF-16 code units to code page 1252 into `out` (which holds
// at least `length` bytes); a character the code page lacks becomes '?'.
void NarrowToAnsi(const OLECHAR* text, uint32_t length, char* out);
// Widens `length` code-page-1252 bytes into `out` (at least `length` units).
void WidenFromAnsi(const char* text, uint32_t length, OLECHAR* out);

}  // namespace plat
