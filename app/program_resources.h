// The program's own resources: the window resource of module
// "msgmake$msgma001" (type "REZAVIZ", name "MSGMA001_RSC") that holds the
// frame "P1$APPFRAME" the main procedure prepares.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace app {

inline constexpr const char* program_module_name = "msgmake$msgma001";
inline constexpr const char* program_resource_name = "MSGMA001_RSC";
inline constexpr const char* frame_window_name = "P1$APPFRAME";
// The window image as the window layer holds it, its two leading bytes
// included.
inline constexpr std::size_t frame_image_size = 178;

// The window resource: the module name with its NUL, then the image from
// its offset 2 on.
std::span<const std::uint8_t> program_window_resource();

// Adds the program's resources to the program module's resource table, as
// the module's start-up does; further calls change nothing.
void register_program_resources();

}  // namespace app
