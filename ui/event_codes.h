// Event codes: the program's names for what happens to a window. An event
// travels as the window message 0x1400 + its code.
#pragma once

#include <cstdint>

namespace ui {

inline constexpr std::uint32_t event_message_base = 0x1400;
constexpr std::uint32_t event_message(std::int32_t code) {
  return event_message_base + static_cast<std::uint32_t>(code);
}

namespace event {
// Field events, 1 to 30.
inline constexpr std::int32_t Accepted = 1;
inline constexpr std::int32_t NewSelection = 2;
inline constexpr std::int32_t Rejected = 26;
inline constexpr std::int32_t ColumnResize = 30;
// Field-independent.
inline constexpr std::int32_t Selected = 0x101;
// Window events.
inline constexpr std::int32_t CloseWindow = 0x201;
inline constexpr std::int32_t CloseDown = 0x202;
inline constexpr std::int32_t OpenWindow = 0x203;
inline constexpr std::int32_t OpenFailed = 0x204;
inline constexpr std::int32_t LoseFocus = 0x205;
inline constexpr std::int32_t GainFocus = 0x206;
inline constexpr std::int32_t Suspend = 0x208;
inline constexpr std::int32_t Resume = 0x209;
inline constexpr std::int32_t Notify = 0x20A;
inline constexpr std::int32_t Timer = 0x20B;
inline constexpr std::int32_t Move = 0x220;
inline constexpr std::int32_t Size = 0x221;
inline constexpr std::int32_t Completed = 0x225;
inline constexpr std::int32_t Moved = 0x230;
inline constexpr std::int32_t Sized = 0x231;
inline constexpr std::int32_t BuildFile = 0x240;
inline constexpr std::int32_t BuildKey = 0x241;
inline constexpr std::int32_t BuildDone = 0x242;
}  // namespace event

// Runtime messages that never reach a loop body.
inline constexpr std::uint32_t query_message_base = 0x2401;
inline constexpr std::uint32_t bring_to_top_message = 0x2415;
inline constexpr std::uint32_t event_carrier_message = 0x241B;

struct EventName {
  std::int32_t code;
  const char* name;
};

// Every event code with its name ("EVENT:OpenWindow"), in code order: the
// 30 field events, the field-independent one and 32 window events.
inline constexpr int event_name_count = 30 + 1 + 32;
extern const EventName event_names[event_name_count];

// The name of an event code, or null for a number that is no event.
const char* event_name(std::int32_t code);

}  // namespace ui
