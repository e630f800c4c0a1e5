// Memory regions, global blocks and the readability probes.
#include "platform/memory.h"

#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <unordered_map>

#include "platform/last_error.h"
#ifdef _WIN32
#include "platform/win32/system.h"
#else
#include "platform/posix/system.h"
#endif

// The system part of this service.
#ifdef _WIN32
#include "platform/win32/memory.inc"
#else
#include "platform/posix/memory.inc"
#endif

namespace plat {
namespace {

using detail::fail;

// Every region VirtualAlloc gave and not yet released, by start address.
struct region_table {
  std::mutex lock;
  std::map<uintptr_t, size_t> regions;
};

region_table& regions() {
  static region_table* instance = new region_table;  // lives until the process ends
  return *instance;
}

bool known_protection(DWORD protect) {
  return protect == PAGE_NOACCESS || protect == PAGE_READONLY || protect == PAGE_READWRITE;
}

// The region holding [address, address + size), or regions().regions.end().
std::map<uintptr_t, size_t>::iterator region_holding(uintptr_t address, size_t size) {
  auto& map = regions().regions;
  auto it = map.upper_bound(address);
  if (it == map.begin()) return map.end();
  --it;
  if (address + size > it->first + it->second) return map.end();
  return it;
}

}  // namespace

LPVOID VirtualAlloc(LPVOID address, SIZE_T size, DWORD allocation_type, DWORD protect) {
  bool commit = allocation_type & MEM_COMMIT, reserve = allocation_type & MEM_RESERVE;
  if (size == 0 || (!commit && !reserve) || !known_protection(protect)) {
    fail(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  size_t length = detail::round_to_pages(size);
  if (length < size) {
    fail(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  std::lock_guard guard(regions().lock);
  if (address != nullptr) {
    // Committing pages of a region reserved before.
    auto start = reinterpret_cast<uintptr_t>(address) & ~(detail::page_size() - 1);
    if (reserve || region_holding(start, length) == regions().regions.end()) {
      fail(ERROR_INVALID_PARAMETER);
      return nullptr;
    }
    if (!detail::protect_pages(reinterpret_cast<void*>(start), length, protect)) return nullptr;
    return reinterpret_cast<void*>(start);
  }
  void* region = detail::map_pages(length, commit ? protect : PAGE_NOACCESS);
  if (region != nullptr) regions().regions[reinterpret_cast<uintptr_t>(region)] = length;
  return region;
}

BOOL VirtualFree(LPVOID address, SIZE_T size, DWORD free_type) {
  std::lock_guard guard(regions().lock);
  auto start = reinterpret_cast<uintptr_t>(address);
  if (free_type == MEM_RELEASE) {
    auto it = regions().regions.find(start);
    if (size != 0 || it == regions().regions.end()) return fail(ERROR_INVALID_PARAMETER);
    if (!detail::unmap_pages(address, it->second)) return FALSE;
    regions().regions.erase(it);
    return TRUE;
  }
  if (free_type == MEM_DECOMMIT) {
    auto it = region_holding(start, size);
    if (it == regions().regions.end()) return fail(ERROR_INVALID_PARAMETER);
    size_t length = size == 0 ? it->second - (start - it->first) : detail::round_to_pages(size);
    return detail::decommit_pages(address, length);
  }
  return fail(ERROR_INVALID_PARAMETER);
}

// Global blocks. A fixed block's handle is its address; a moveable block's
// handle is the address of its record, which callers never read.

namespace {

struct global_block {
  void* data;
  SIZE_T size;
  UINT flags;
  unsigned locks;
};

struct global_table {
  std::mutex lock;
  std::unordered_map<uintptr_t, global_block*> by_handle;
  std::unordered_map<uintptr_t, uintptr_t> handle_by_address;
};

global_table& globals() {
  static global_table* instance = new global_table;  // lives until the process ends
  return *instance;
}

uintptr_t key(const void* p) {
  return reinterpret_cast<uintptr_t>(p);
}

global_block* block_of(HGLOBAL handle) {
  auto it = globals().by_handle.find(key(handle));
  if (it == globals().by_handle.end()) {
    fail(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  return it->second;
}

}  // namespace

HGLOBAL GlobalAlloc(UINT flags, SIZE_T bytes) {
  if (flags & ~(GMEM_MOVEABLE | GMEM_ZEROINIT)) {
    fail(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  void* data = sys::malloc(bytes == 0 ? 1 : bytes);
  auto* block =
      data != nullptr ? static_cast<global_block*>(sys::malloc(sizeof(global_block))) : nullptr;
  if (block == nullptr) {
    std::free(data);
    fail(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  if (flags & GMEM_ZEROINIT) std::memset(data, 0, bytes);
  *block = global_block{data, bytes, flags, 0};
  uintptr_t handle = (flags & GMEM_MOVEABLE) ? key(block) : key(data);
  std::lock_guard guard(globals().lock);
  globals().by_handle[handle] = block;
  globals().handle_by_address[key(data)] = handle;
  return reinterpret_cast<HGLOBAL>(handle);
}

LPVOID GlobalLock(HGLOBAL handle) {
  std::lock_guard guard(globals().lock);
  global_block* block = block_of(handle);
  if (block == nullptr) return nullptr;
  if (block->flags & GMEM_MOVEABLE) ++block->locks;
  return block->data;
}

BOOL GlobalUnlock(HGLOBAL handle) {
  std::lock_guard guard(globals().lock);
  global_block* block = block_of(handle);
  if (block == nullptr) return FALSE;
  if (!(block->flags & GMEM_MOVEABLE) || block->locks == 0) {
    SetLastError(ERROR_NOT_LOCKED);
    return FALSE;
  }
  --block->locks;
  SetLastError(ERROR_SUCCESS);
  return block->locks > 0;
}

HGLOBAL GlobalHandle(LPCVOID address) {
  std::lock_guard guard(globals().lock);
  auto it = globals().handle_by_address.find(key(address));
  if (it == globals().handle_by_address.end()) {
    fail(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  return reinterpret_cast<HGLOBAL>(it->second);
}

SIZE_T GlobalSize(HGLOBAL handle) {
  std::lock_guard guard(globals().lock);
  global_block* block = block_of(handle);
  return block != nullptr ? block->size : 0;
}

HGLOBAL GlobalFree(HGLOBAL handle) {
  std::lock_guard guard(globals().lock);
  global_block* block = block_of(handle);
  if (block == nullptr) return handle;
  globals().handle_by_address.erase(key(block->data));
  globals().by_handle.erase(key(handle));
  std::free(block->data);
  std::free(block);
  return nullptr;
}

BOOL IsBadReadPtr(LPCVOID address, UINT_PTR bytes) {
  if (bytes == 0) return FALSE;
  if (address == nullptr || key(address) + bytes < key(address)) return TRUE;
  return detail::readable(address, bytes) ? FALSE : TRUE;
}

BOOL IsBadCodePtr(FARPROC code) {
  return IsBadReadPtr(reinterpret_cast<LPCVOID>(code), 1);
}

}  // namespace plat
