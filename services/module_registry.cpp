#include "services/module_registry.h"

#include "platform/memory.h"
#include "platform/process.h"

namespace svc {

namespace {

ModuleRegistry the_registry;

ModuleNode* new_node() {
  plat::HGLOBAL block = plat::GlobalAlloc(plat::GMEM_MOVEABLE | plat::GMEM_ZEROINIT, sizeof(ModuleNode));
  return block ? static_cast<ModuleNode*>(plat::GlobalLock(block)) : nullptr;
}

void free_node(ModuleNode* node) {
  plat::HGLOBAL block = plat::GlobalHandle(node);
  if (block && !plat::GlobalUnlock(block)) plat::GlobalFree(block);
}

// Indirect references to imported data become direct.
void apply_fixups(const ModuleDescriptor& module) {
  for (const FixupEntry* f = module.fixup_begin; f && f < module.fixup_end; ++f) {
    const uint32_t count = f->bytes / sizeof(void*);
    for (uint32_t i = 0; i < count; ++i) {
      void* target = f->run[i];
      if (target >= module.import_begin && target < module.import_end) f->run[i] = *static_cast<void**>(target);
    }
  }
}

}  // namespace

void run_start_routines(const InitEntry* begin, const InitEntry* end) {
  int32_t level = kHighestPriority;
  while (level > 0) {
    int32_t next = 0;
    for (const InitEntry* e = begin; e < end; ++e) {
      if (e->priority == level && e->start) e->start(kStartStage);
      if (e->priority < level && e->priority > next) next = e->priority;
    }
    level = next;
  }
}

void run_stop_routines(const InitEntry* begin, const InitEntry* end) {
  for (int32_t level = 0; level <= kHighestPriority;) {
    int32_t next = kHighestPriority + 1;
    for (const InitEntry* e = end; e > begin;) {
      --e;
      if (e->priority == level && e->stop) e->stop(kStopStage);
      if (e->priority > level && e->priority < next) next = e->priority;
    }
    level = next;
  }
}

ModuleRegistry& module_registry() { return the_registry; }

void ModuleRegistry::register_module(ModuleDescriptor& module, plat::HINSTANCE instance) {
  if (instance == nullptr) instance = plat::GetModuleHandleA(nullptr);
  if (program_instance_ == nullptr) program_instance_ = instance;
  module.previous = head_ ? head_->descriptor : nullptr;
  module.instance = instance;
  if (ModuleNode* node = new_node()) {
    *node = ModuleNode{head_, instance, &module, nullptr};
    head_ = node;
  }
  apply_fixups(module);
  run_start_routines(module.init_begin, module.init_end);
  if (hand_off_) hand_off_(instance, module.window_data);
}

bool ModuleRegistry::unregister_module(ModuleDescriptor& module) {
  ModuleNode** link = &head_;
  while (*link && (*link)->descriptor != &module) link = &(*link)->next;
  ModuleNode* node = *link;
  if (node) *link = node->next;
  if (!plat::IsBadReadPtr(&module, sizeof module) && module.init_begin)
    run_stop_routines(module.init_begin, module.init_end);
  if (node) free_node(node);
  return node != nullptr;
}

void ModuleRegistry::reset() {
  while (head_) {
    ModuleNode* node = head_;
    head_ = node->next;
    free_node(node);
  }
  program_instance_ = nullptr;
  hand_off_ = nullptr;
}

}  // namespace svc
