// The event codes and their names.
#include "ui/event_codes.h"

namespace ui {

// The field events 1 to 30 in code order, then the field-independent event
// and the window events. 0x207 is no event.
const EventName event_names[event_name_count] = {
    {1, "EVENT:Accepted"},       {2, "EVENT:NewSelection"},    {3, "EVENT:ScrollUp"},
    {4, "EVENT:ScrollDown"},     {5, "EVENT:PageUp"},          {6, "EVENT:PageDown"},
    {7, "EVENT:ScrollTop"},      {8, "EVENT:ScrollBottom"},    {9, "EVENT:Locate"},
    {10, "EVENT:MouseUp"},       {11, "EVENT:MouseIn"},        {12, "EVENT:MouseOut"},
    {13, "EVENT:MouseMove"},     {14, "EVENT:VBXevent"},       {15, "EVENT:AlertKey"},
    {16, "EVENT:PreAlert"},      {17, "EVENT:Dragging"},       {18, "EVENT:Drag"},
    {19, "EVENT:Drop"},          {20, "EVENT:ScrollDrag"},     {21, "EVENT:TabChanging"},
    {22, "EVENT:Expanding"},     {23, "EVENT:Contracting"},    {24, "EVENT:Expanded"},
    {25, "EVENT:Contracted"},    {26, "EVENT:Rejected"},       {27, "EVENT:DroppingDown"},
    {28, "EVENT:DroppedDown"},   {29, "EVENT:ScrollTrack"},    {30, "EVENT:ColumnResize"},
    {0x101, "EVENT:Selected"},   {0x201, "EVENT:CloseWindow"}, {0x202, "EVENT:CloseDown"},
    {0x203, "EVENT:OpenWindow"}, {0x204, "EVENT:OpenFailed"},  {0x205, "EVENT:LoseFocus"},
    {0x206, "EVENT:GainFocus"},  {0x208, "EVENT:Suspend"},     {0x209, "EVENT:Resume"},
    {0x20A, "EVENT:Notify"},     {0x20B, "EVENT:Timer"},       {0x20C, "EVENT:DDErequest"},
    {0x20D, "EVENT:DDEadvise"},  {0x20E, "EVENT:DDEdata"},     {0x20F, "EVENT:DDEexecute"},
    {0x210, "EVENT:DDEpoke"},    {0x211, "EVENT:DDEclosed"},   {0x220, "EVENT:Move"},
    {0x221, "EVENT:Size"},       {0x222, "EVENT:Restore"},     {0x223, "EVENT:Maximize"},
    {0x224, "EVENT:Iconize"},    {0x225, "EVENT:Completed"},   {0x230, "EVENT:Moved"},
    {0x231, "EVENT:Sized"},      {0x232, "EVENT:Restored"},    {0x233, "EVENT:Maximized"},
    {0x234, "EVENT:Iconized"},   {0x235, "EVENT:Docked"},      {0x236, "EVENT:UnDocked"},
    {0x240, "EVENT:BuildFile"},  {0x241, "EVENT:BuildKey"},    {0x242, "EVENT:BuildDone"},
};

const char* event_name(std::int32_t code) {
  for (const EventName& e : event_names) {
    if (e.code == code) return e.name;
  }
  return nullptr;
}

}  // namespace ui
