// The resource table behind FindResourceA and its kin.
#include "platform/resource.h"

#include <algorithm>
#include <cstdlib>
#include <list>
#include <mutex>
#include <string>

#include "platform/dialog.h"
#include "platform/last_error.h"
#include "platform/process.h"
#include "platform/text.h"

namespace plat {
namespace {

// A name or type: a text, or a number when the text is empty.
struct resource_key {
  std::string text;
  WORD number = 0;
};

struct resource_entry {
  HMODULE module;
  resource_key type;
  resource_key name;
  const void* data;
  DWORD size;
};

struct resource_table {
  std::mutex mutex;
  std::list<resource_entry> entries;  // stable addresses: an HRSRC points at one
  int loads = 0;
};

resource_table& table() {
  static resource_table instance;
  return instance;
}

resource_key key_of(LPCSTR name) {
  if (IS_INTRESOURCE(name))
    return resource_key{{}, static_cast<WORD>(reinterpret_cast<uintptr_t>(name))};
  if (name[0] == '#')
    return resource_key{{}, static_cast<WORD>(std::strtoul(name + 1, nullptr, 10))};
  return resource_key{name, 0};
}

bool same_key(const resource_key& a, const resource_key& b) {
  if (a.text.empty() || b.text.empty())
    return a.text.empty() && b.text.empty() && a.number == b.number;
  return lstrcmpiA(a.text.c_str(), b.text.c_str()) == 0;
}

HMODULE module_or_program(HMODULE module) {
  return module != nullptr ? module : GetModuleHandleA(nullptr);
}

resource_entry* entry_of(HRSRC resource) {
  auto* wanted = reinterpret_cast<resource_entry*>(resource);
  for (resource_entry& entry : table().entries) {
    if (&entry == wanted) return &entry;
  }
  SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
  return nullptr;
}

}  // namespace

HRSRC FindResourceA(HMODULE module, LPCSTR name, LPCSTR type) {
  if (name == nullptr || type == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  module = module_or_program(module);
  resource_key wanted_name = key_of(name);
  resource_key wanted_type = key_of(type);
  std::lock_guard lock(table().mutex);
  bool type_seen = false;
  for (resource_entry& entry : table().entries) {
    if (entry.module != module || !same_key(entry.type, wanted_type)) continue;
    type_seen = true;
    if (same_key(entry.name, wanted_name)) return reinterpret_cast<HRSRC>(&entry);
  }
  SetLastError(type_seen ? ERROR_RESOURCE_NAME_NOT_FOUND : ERROR_RESOURCE_TYPE_NOT_FOUND);
  return nullptr;
}

HGLOBAL LoadResource(HMODULE, HRSRC resource) {
  std::lock_guard lock(table().mutex);
  resource_entry* entry = entry_of(resource);
  if (entry == nullptr) return nullptr;
  ++table().loads;
  // The loaded handle is the data itself, as for a module mapped in memory.
  return reinterpret_cast<HGLOBAL>(const_cast<void*>(entry->data));
}

LPVOID LockResource(HGLOBAL loaded) {
  return reinterpret_cast<LPVOID>(loaded);
}

DWORD SizeofResource(HMODULE, HRSRC resource) {
  std::lock_guard lock(table().mutex);
  resource_entry* entry = entry_of(resource);
  return entry == nullptr ? 0 : entry->size;
}

BOOL FreeResource(HGLOBAL loaded) {
  std::lock_guard lock(table().mutex);
  if (loaded != nullptr && table().loads > 0) --table().loads;
  return FALSE;
}

BOOL add_resource(HMODULE module, LPCSTR type, LPCSTR name, const void* data, DWORD size) {
  if (type == nullptr || name == nullptr || (data == nullptr && size > 0)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  module = module_or_program(module);
  resource_entry added{module, key_of(type), key_of(name), data, size};
  std::lock_guard lock(table().mutex);
  for (const resource_entry& entry : table().entries) {
    if (entry.module == module && same_key(entry.type, added.type) &&
        same_key(entry.name, added.name)) {
      SetLastError(ERROR_ALREADY_EXISTS);
      return FALSE;
    }
  }
  table().entries.push_back(added);
  return TRUE;
}

void remove_resources(HMODULE module) {
  module = module_or_program(module);
  std::lock_guard lock(table().mutex);
  std::erase_if(table().entries, [module](const resource_entry& e) { return e.module == module; });
}

int loaded_resource_count() {
  std::lock_guard lock(table().mutex);
  return table().loads;
}

}  // namespace plat
