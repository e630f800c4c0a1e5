// Event throughput of the window layer: events posted to the frame and taken
// one at a time through its ACCEPT loop, and MESSAGE's text measurement.
#include <benchmark/benchmark.h>

#include <string>

#include "app/program_resources.h"
#include "platform/gdi.h"
#include "platform/window.h"
#include "services/thread_records.h"
#include "ui/app_frame.h"
#include "ui/dialog_units.h"
#include "ui/event_codes.h"
#include "ui/event_loop.h"
#include "ui/message_dialog.h"
#include "ui/window_layer.h"

namespace {

void BM_post_and_take_events(benchmark::State& state) {
  plat::reset_window_system();
  ui::window_layer().reset();
  svc::thread_records().reset();
  app::register_program_resources();
  ui::WindowObject* frame = ui::open_window_structure("msgmake$msgma001", "P1$APPFRAME", nullptr);
  ui::create_application_frame(frame);
  {
    ui::AcceptLoop loop;
    for (int i = 0; i < 3; ++i) loop.next();  // the opening events
    const auto batch = static_cast<int>(state.range(0));
    for (auto _ : state) {
      for (int i = 0; i < batch; ++i) ui::post_event(frame, ui::event::Notify, 0);
      for (int i = 0; i < batch; ++i) {
        loop.next();
        benchmark::DoNotOptimize(ui::current_event());
      }
    }
    state.SetItemsProcessed(state.iterations() * batch);
  }
  ui::close_window(frame);
  plat::reset_window_system();
}
BENCHMARK(BM_post_and_take_events)->Arg(1)->Arg(64);

void BM_layout_long_message(benchmark::State& state) {
  std::string text;
  for (int i = 0; i < 200; ++i) text += "wrapping words ";
  plat::HFONT font = ui::create_dialog_font();
  ui::DialogUnits units = ui::measure_dialog_units(font);
  for (auto _ : state) {
    ui::MessageLayout layout = ui::layout_message(text.c_str(), false, 3, font, units);
    benchmark::DoNotOptimize(layout.text_height);
  }
  plat::DeleteObject(font);
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_layout_long_message);

}  // namespace

BENCHMARK_MAIN();
