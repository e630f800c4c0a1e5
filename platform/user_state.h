// What the dialog, system class, menu and sound calls share inside the
// platform layer: the per-dialog state, the menus, the system controls' extra
// bytes and a dialog template as read.
#pragma once

#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "platform/dialog.h"
#include "platform/user.h"

namespace plat::detail {

struct dialog_state {
  DLGPROC procedure = nullptr;
  bool ended = false;
  INT_PTR result = 0;
  WORD default_id = IDOK;
  HFONT font = nullptr;
  LONG base_x = 0;
  LONG base_y = 0;
  int in_procedure = 0;
  bool default_done = false;
};

struct user_state {
  std::mutex mutex;
  std::map<HWND, dialog_state> dialogs;
  std::map<HMENU, std::vector<UINT>> menus;
  std::map<HWND, HMENU> system_menus;
  uintptr_t next_menu = 0x40000;
  int beeps = 0;
  dialog_input_hook input_hook = nullptr;
};

user_state& user();

using user_lock = std::lock_guard<std::mutex>;

// Copies the dialog's state out, so that no lock is held while it is used.
bool dialog_of(HWND dialog, dialog_state* out);

template <class Change>
void change_dialog(HWND dialog, Change change) {
  user_lock lock(user().mutex);
  auto found = user().dialogs.find(dialog);
  if (found != user().dialogs.end()) change(found->second);
}

// Extra bytes of the system controls: the font, then the icon.
constexpr int control_font_index = 0;
constexpr int control_icon_index = sizeof(LONG_PTR);
constexpr int control_extra_bytes = 2 * sizeof(LONG_PTR);

bool is_class(HWND window, const char* name);
bool is_push_button(HWND window);

struct template_item {
  DLGITEMTEMPLATE head;
  std::string class_name;
  std::string title;
  const BYTE* creation_data;
};

struct parsed_template {
  DLGTEMPLATE head;
  std::string class_name;
  std::string title;
  WORD point_size = 0;
  std::string face;
  std::vector<template_item> items;
};

// Reads a DLGTEMPLATE and its items; ordinals come back as "#n", the atoms
// of the system classes as their names.
parsed_template parse_template(const DLGTEMPLATE* source);

}  // namespace plat::detail
