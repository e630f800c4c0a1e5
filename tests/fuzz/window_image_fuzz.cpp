// Window images and text measurement over arbitrary bytes: a resource whose
// image holds anything must give a record or runtime error 502, never a read
// outside the image; any text must measure without a fault.
#include <cstdint>
#include <cstring>
#include <vector>

#include "platform/dialog.h"
#include "platform/gdi.h"
#include "platform/resource.h"
#include "services/heap.h"
#include "services/process_state.h"
#include "ui/window_resource.h"

namespace {

const plat::HMODULE fuzz_module = reinterpret_cast<plat::HMODULE>(0x7300);
const char module_name[] = "fuzz$module";

plat::HMODULE only_fuzz_module(plat::HMODULE previous) {
  return previous == nullptr ? fuzz_module : nullptr;
}

void prepare() {
  static bool done = false;
  if (done) return;
  done = true;
  // A record that is not found raises a runtime error: answer it and go on.
  plat::set_message_box_hook(
      [](plat::HWND, plat::LPCSTR, plat::LPCSTR, plat::UINT) { return plat::IDNO; });
  svc::process_state().set_exit_operation([](int) {});
  ui::set_module_walker(&only_fuzz_module);
}

void measure(const std::uint8_t* data, std::size_t size) {
  std::vector<char> text(data, data + size);
  text.push_back('\0');
  plat::HDC dc = plat::GetDC(nullptr);
  plat::RECT r{0, 0, static_cast<plat::LONG>(size % 400), 0};
  plat::DrawTextA(dc, text.data(), -1, &r,
                  plat::DT_CALCRECT | plat::DT_WORDBREAK | plat::DT_EXPANDTABS);
  plat::ReleaseDC(nullptr, dc);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  prepare();
  std::vector<std::uint8_t> resource(module_name, module_name + sizeof module_name);
  resource.insert(resource.end(), data, data + size);
  plat::remove_resources(fuzz_module);
  plat::add_resource(fuzz_module, ui::window_resource_type, "MODULE_RSC", resource.data(),
                     static_cast<plat::DWORD>(resource.size()));
  ui::WindowImage image;
  std::uint32_t offset = ui::find_window_record(module_name, "P1$APPFRAME", &image);
  if (offset != 0) {
    const ui::WindowRecord* record = image.record(offset);
    std::int32_t widths[16];
    ui::read_status_zones(image, record->first_status_zone, widths, 16);
    (void)std::strlen(image.text(record->title));
    ui::release_window_image(&image);
  }
  measure(data, size);
  return 0;
}
