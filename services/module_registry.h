// Registration of program modules with the runtime: the module descriptor a
// program is built with, its initialisation table, the list of registered
// modules, and the walks that run the table's start routines by descending
// priority and its stop routines by ascending priority.
#pragma once

#include <cstdint>

#include "platform/types.h"

namespace svc {

// A component's start/stop routine: called with kStartStage at start-up and
// kStopStage at shutdown.
using ModuleRoutine = void (*)(int32_t stage);
inline constexpr int32_t kStartStage = 0;
inline constexpr int32_t kStopStage = 1;
inline constexpr int32_t kHighestPriority = 255;

// One initialisation-table entry. Field by field (on this 64-bit platform the
// two routine addresses are 8 bytes each, so the entry is 24 bytes rather
// than 12):
//   0  priority  signed; 0 means stopped but never started
//   8  start     routine called with 0, or null
//  16  stop      routine called with 1, or null
struct InitEntry {
  int32_t priority;
  ModuleRoutine start;
  ModuleRoutine stop;
};
static_assert(sizeof(InitEntry) == 24);

// A run of pointers that registration rewrites: each one that points into
// the module's import area is replaced by the value it points at.
struct FixupEntry {
  void** run;
  uint32_t bytes;
};

// A data range handed to the window layer at registration.
struct DataRange {
  const void* begin;
  const void* end;
};

// The program module descriptor, in field order. `previous` and `instance`
// are written at registration.
struct ModuleDescriptor {
  ModuleDescriptor* previous;
  const InitEntry* init_begin;
  const InitEntry* init_end;
  plat::HINSTANCE instance;
  DataRange window_data[2];
  const FixupEntry* fixup_begin;
  const FixupEntry* fixup_end;
  void* const* import_begin;
  void* const* import_end;
};

// A node of the module list, allocated from movable global memory:
// next node, instance, descriptor, 0.
struct ModuleNode {
  ModuleNode* next;
  plat::HINSTANCE instance;
  ModuleDescriptor* descriptor;
  void* reserved;
};
static_assert(sizeof(ModuleNode) == 4 * sizeof(void*));

// Runs the start routines of a table, highest priority first; within one
// priority in table order. Priorities of 0 and below never start.
void run_start_routines(const InitEntry* begin, const InitEntry* end);
// Runs the stop routines, lowest priority first; within one priority in
// reverse table order. Priorities from 0 to 255 are stopped.
void run_stop_routines(const InitEntry* begin, const InitEntry* end);

// Receives a registered module's instance and data ranges (the window layer
// installs it; nothing is done with them by default).
using WindowDataHandOff = void (*)(plat::HINSTANCE instance, const DataRange (&ranges)[2]);

class ModuleRegistry {
 public:
  // Links the module in (newest first), applies its fix-ups, runs its start
  // routines and hands its data ranges to the window layer. A null instance
  // means the program's own.
  void register_module(ModuleDescriptor& module, plat::HINSTANCE instance = nullptr);
  // Unlinks the module, runs its stop routines when its descriptor can be
  // read, and frees its node. False when the module was not in the list (its
  // stop routines still run, so nothing it holds is left behind).
  bool unregister_module(ModuleDescriptor& module);

  ModuleNode* head() const { return head_; }
  plat::HINSTANCE program_instance() const { return program_instance_; }
  void set_window_data_hand_off(WindowDataHandOff hand_off) { hand_off_ = hand_off; }

  // Forgets every module (their nodes are freed) without stopping them.
  void reset();

 private:
  ModuleNode* head_ = nullptr;
  plat::HINSTANCE program_instance_ = nullptr;
  WindowDataHandOff hand_off_ = nullptr;
};

ModuleRegistry& module_registry();

}  // namespace svc
