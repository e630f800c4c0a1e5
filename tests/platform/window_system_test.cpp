// The headless window system: classes, windows, queues, sent messages,
// timers and keyboard routing, as the user calls they replace behave.
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "platform/handle.h"
#include "platform/last_error.h"
#include "platform/process.h"
#include "platform/sync.h"
#include "platform/window.h"

using namespace plat;

namespace {

std::vector<std::string>& seen() {
  static std::vector<std::string> log;
  return log;
}

LRESULT recording_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_GETTEXT || message == WM_GETTEXTLENGTH || message == WM_SETTEXT) {
    return DefWindowProcA(window, message, wparam, lparam);
  }
  char name[32];
  GetWindowTextA(window, name, sizeof name);
  switch (message) {
    case WM_NCCREATE:
      seen().push_back("nccreate");
      break;
    case WM_CREATE:
      seen().push_back("create");
      break;
    case WM_SIZE:
      seen().push_back("size");
      break;
    case WM_MOVE:
      seen().push_back("move");
      break;
    case WM_DESTROY:
      seen().push_back(std::string("destroy ") + name);
      break;
    case WM_NCDESTROY:
      seen().push_back(std::string("ncdestroy ") + name);
      break;
    case WM_USER:
      seen().push_back("user " + std::to_string(wparam));
      return static_cast<LRESULT>(wparam * 2);
    default:
      break;
  }
  return DefWindowProcA(window, message, wparam, lparam);
}

class window_system_test : public ::testing::Test {
 protected:
  void SetUp() override {
    reset_window_system();
    seen().clear();
    WNDCLASSA wc{};
    wc.lpfnWndProc = recording_procedure;
    wc.cbWndExtra = 8;
    wc.lpszClassName = "TestWindow";
    ASSERT_NE(RegisterClassA(&wc), 0);
  }
  void TearDown() override { reset_window_system(); }

  HWND create(const char* name, HWND parent = nullptr, DWORD style = 0, int id = 0) {
    return CreateWindowExA(0, "testwindow", name, style | (parent ? WS_CHILD : 0), 10, 20, 300, 200,
                           parent, reinterpret_cast<HMENU>(static_cast<uintptr_t>(id)), nullptr,
                           nullptr);
  }
};

uint64_t fake_now = 0;
uint64_t fake_clock() {
  return fake_now;
}

}  // namespace

TEST_F(window_system_test, class_names_are_unique_without_case) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = recording_procedure;
  wc.lpszClassName = "TESTWINDOW";
  EXPECT_EQ(RegisterClassA(&wc), 0);
  EXPECT_EQ(GetLastError(), ERROR_CLASS_ALREADY_EXISTS);
  EXPECT_EQ(
      CreateWindowExA(0, "NoSuchClass", "", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr),
      nullptr);
  EXPECT_EQ(GetLastError(), ERROR_CANNOT_FIND_WND_CLASS);
  EXPECT_TRUE(UnregisterClassA("testWINDOW", nullptr));
  EXPECT_FALSE(UnregisterClassA("testWINDOW", nullptr));
  EXPECT_EQ(GetLastError(), ERROR_CLASS_DOES_NOT_EXIST);
}

TEST_F(window_system_test, creation_and_destruction_send_their_messages_in_order) {
  HWND parent = create("parent");
  ASSERT_NE(parent, nullptr);
  EXPECT_EQ(seen(), (std::vector<std::string>{"nccreate", "create", "size", "move"}));
  HWND child = create("child", parent, 0, 7);
  ASSERT_TRUE(IsChild(parent, child));
  EXPECT_EQ(GetDlgItem(parent, 7), child);
  EXPECT_EQ(GetDlgCtrlID(child), 7);
  seen().clear();
  EXPECT_TRUE(DestroyWindow(parent));
  EXPECT_EQ(seen(), (std::vector<std::string>{"destroy parent", "destroy child", "ncdestroy child",
                                              "ncdestroy parent"}));
  EXPECT_FALSE(IsWindow(parent));
  EXPECT_FALSE(IsWindow(child));
  EXPECT_FALSE(DestroyWindow(parent));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_WINDOW_HANDLE);
}

TEST_F(window_system_test, a_child_needs_a_parent) {
  EXPECT_EQ(CreateWindowExA(0, "TestWindow", "", WS_CHILD, 0, 0, 1, 1, nullptr, nullptr, nullptr,
                            nullptr),
            nullptr);
  EXPECT_EQ(GetLastError(), ERROR_TLW_WITH_WSCHILD);
}

TEST_F(window_system_test, window_text_extra_bytes_and_rectangles) {
  HWND window = create("first");
  char text[8];
  EXPECT_EQ(GetWindowTextA(window, text, sizeof text), 5);
  EXPECT_STREQ(text, "first");
  EXPECT_TRUE(SetWindowTextA(window, "a longer title"));
  EXPECT_EQ(GetWindowTextLengthA(window), 14);
  EXPECT_EQ(GetWindowTextA(window, text, sizeof text), 7);  // cut to the buffer
  EXPECT_EQ(SetWindowLongPtrA(window, 0, 1234), 0);
  EXPECT_EQ(GetWindowLongPtrA(window, 0), 1234);
  EXPECT_EQ(GetWindowLongA(window, 8), 0);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_INDEX);
  HWND child = create("child", window);
  RECT r{};
  ASSERT_TRUE(GetWindowRect(child, &r));
  EXPECT_EQ(r.left, 20);  // child at 10 inside a parent at 10
  EXPECT_EQ(r.top, 40);
  ASSERT_TRUE(GetClientRect(child, &r));
  EXPECT_EQ(r.right, 300);
  EXPECT_EQ(r.bottom, 200);
}

TEST_F(window_system_test, default_position_lets_the_system_choose) {
  HWND window = CreateWindowExA(0, "TestWindow", "", 0, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                CW_USEDEFAULT, nullptr, nullptr, nullptr, nullptr);
  RECT r{};
  ASSERT_TRUE(GetWindowRect(window, &r));
  EXPECT_GT(r.right - r.left, 0);
  EXPECT_GE(r.left, 0);
}

TEST_F(window_system_test, posted_messages_come_out_in_order_and_peek_can_leave_them) {
  HWND window = create("w");
  PostMessageA(window, WM_USER, 1, 0);
  PostMessageA(nullptr, WM_USER + 1, 2, 0);
  PostMessageA(window, WM_USER + 2, 3, 0);
  MSG m{};
  ASSERT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_NOREMOVE));
  EXPECT_EQ(m.message, WM_USER);
  ASSERT_TRUE(PeekMessageA(&m, nullptr, WM_USER + 2, WM_USER + 2, PM_REMOVE));
  EXPECT_EQ(m.wParam, 3u);
  ASSERT_TRUE(
      PeekMessageA(&m, reinterpret_cast<HWND>(-1), 0, 0, PM_REMOVE));  // thread messages only
  EXPECT_EQ(m.hwnd, nullptr);
  EXPECT_EQ(m.wParam, 2u);
  ASSERT_TRUE(GetMessageA(&m, window, 0, 0));
  EXPECT_EQ(DispatchMessageA(&m), 2);
  EXPECT_FALSE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
  PostQuitMessage(5);
  EXPECT_EQ(GetMessageA(&m, nullptr, 0, 0), FALSE);
  EXPECT_EQ(m.message, WM_QUIT);
  EXPECT_EQ(m.wParam, 5u);
}

TEST_F(window_system_test, a_destroyed_window_takes_its_posted_messages_along) {
  HWND window = create("w");
  PostMessageA(window, WM_USER, 1, 0);
  DestroyWindow(window);
  MSG m{};
  EXPECT_FALSE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
  EXPECT_FALSE(PostMessageA(window, WM_USER, 1, 0));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_WINDOW_HANDLE);
}

TEST_F(window_system_test, a_message_from_another_thread_runs_on_the_owner_thread) {
  HWND window = create("w");
  LRESULT answer = 0;
  DWORD ran_on = 0;
  static DWORD procedure_thread;
  procedure_thread = 0;
  SetWindowLongPtrA(window, GWLP_WNDPROC,
                    reinterpret_cast<LONG_PTR>(+[](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
                      if (m == WM_USER) {
                        procedure_thread = GetCurrentThreadId();
                        return InSendMessage() ? static_cast<LRESULT>(w + 1) : -1;
                      }
                      return DefWindowProcA(h, m, w, l);
                    }));
  std::thread sender([&] { answer = SendMessageA(window, WM_USER, 41, 0); });
  // The owner lets the sent message in while it waits for its own messages.
  while (procedure_thread == 0) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, INFINITE, QS_SENDMESSAGE);
    MSG m;
    PeekMessageA(&m, nullptr, 0, 0, PM_NOREMOVE);
  }
  sender.join();
  ran_on = procedure_thread;
  EXPECT_EQ(answer, 42);
  EXPECT_EQ(ran_on, GetCurrentThreadId());
  EXPECT_FALSE(InSendMessage());
}

TEST_F(window_system_test, timers_fire_by_their_clock_and_restart_when_taken) {
  fake_now = 1'000'000'000;
  set_timer_clock(&fake_clock);
  HWND window = create("w");
  ASSERT_EQ(SetTimer(window, 7, 100, nullptr), 7u);
  MSG m{};
  EXPECT_FALSE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
  fake_now += 100'000'000;
  ASSERT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(m.message, WM_TIMER);
  EXPECT_EQ(m.hwnd, window);
  EXPECT_EQ(m.wParam, 7u);
  EXPECT_FALSE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));  // not due again yet
  fake_now += 250'000'000;  // several periods pass: still one message
  EXPECT_TRUE(PeekMessageA(&m, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE));
  EXPECT_FALSE(PeekMessageA(&m, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE));
  EXPECT_TRUE(KillTimer(window, 7));
  EXPECT_FALSE(KillTimer(window, 7));
  fake_now += 1'000'000'000;
  EXPECT_FALSE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(window_system_test, a_thread_timer_gets_a_new_id_and_calls_its_procedure) {
  fake_now = 0;
  set_timer_clock(&fake_clock);
  static int calls;
  calls = 0;
  UINT_PTR id = SetTimer(nullptr, 0, 5, [](HWND, UINT, UINT_PTR, DWORD) { ++calls; });
  EXPECT_NE(id, 0u);
  fake_now += 10'000'000;  // the shortest period is 10 ms
  MSG m{};
  ASSERT_TRUE(GetMessageA(&m, nullptr, 0, 0));
  EXPECT_EQ(m.wParam, id);
  DispatchMessageA(&m);
  EXPECT_EQ(calls, 1);
}

TEST_F(window_system_test, typed_keys_go_to_the_focus_and_set_the_key_state) {
  HWND window = create("w");
  HWND child = create("c", window);
  EXPECT_EQ(SetFocus(child), nullptr);
  EXPECT_EQ(GetFocus(), child);
  PostMessageA(nullptr, WM_KEYDOWN, VK_SHIFT, 0);
  PostMessageA(nullptr, WM_KEYDOWN, 'A', 0);
  MSG m{};
  ASSERT_TRUE(GetMessageA(&m, nullptr, 0, 0));
  EXPECT_EQ(m.hwnd, child);
  EXPECT_LT(GetKeyState(VK_SHIFT), 0);
  ASSERT_TRUE(GetMessageA(&m, nullptr, 0, 0));
  EXPECT_TRUE(TranslateMessage(&m));
  ASSERT_TRUE(GetMessageA(&m, nullptr, 0, 0));
  EXPECT_EQ(m.message, WM_CHAR);
  EXPECT_EQ(m.wParam, static_cast<WPARAM>('A'));  // shifted
  PostMessageA(nullptr, WM_KEYUP, VK_SHIFT, 0);
  ASSERT_TRUE(GetMessageA(&m, nullptr, 0, 0));
  EXPECT_GE(GetKeyState(VK_SHIFT), 0);  // up again (the low bit only counts presses)
  PostMessageA(nullptr, WM_KEYDOWN, VK_CAPITAL, 0);
  ASSERT_TRUE(GetMessageA(&m, nullptr, 0, 0));
  EXPECT_EQ(GetKeyState(VK_CAPITAL) & 1, 1);  // Caps Lock toggled on
}

TEST_F(window_system_test, wait_returns_for_an_object_or_for_input) {
  HANDLE semaphore = CreateSemaphoreA(nullptr, 1, 1, nullptr);
  ASSERT_NE(semaphore, nullptr);
  EXPECT_EQ(MsgWaitForMultipleObjects(1, &semaphore, FALSE, INFINITE, QS_ALLINPUT), WAIT_OBJECT_0);
  EXPECT_EQ(MsgWaitForMultipleObjects(1, &semaphore, FALSE, 0, QS_ALLINPUT), WAIT_TIMEOUT);
  PostMessageA(nullptr, WM_USER, 0, 0);
  EXPECT_EQ(MsgWaitForMultipleObjects(1, &semaphore, FALSE, INFINITE, QS_POSTMESSAGE),
            WAIT_OBJECT_0 + 1);
  EXPECT_EQ(MsgWaitForMultipleObjects(1, &semaphore, FALSE, 0, QS_KEY), WAIT_TIMEOUT);
  EXPECT_EQ(MsgWaitForMultipleObjects(1, &semaphore, TRUE, 0, QS_KEY), WAIT_FAILED);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  CloseHandle(semaphore);
}

TEST_F(window_system_test, z_order_activation_and_topmost) {
  HWND first = create("first");
  HWND second = create("second");
  EXPECT_EQ(GetTopWindow(nullptr), second);
  EXPECT_TRUE(BringWindowToTop(first));
  EXPECT_EQ(GetTopWindow(nullptr), first);
  EXPECT_EQ(GetActiveWindow(), first);
  SetWindowPos(second, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  EXPECT_EQ(GetTopWindow(nullptr), second);
  EXPECT_NE(GetWindowLongPtrA(second, GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
  SetWindowPos(second, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  EXPECT_EQ(GetWindowLongPtrA(second, GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
  EXPECT_EQ(GetActiveWindow(), first);
  EXPECT_TRUE(SetForegroundWindow(second));
  EXPECT_EQ(GetForegroundWindow(), second);
  DestroyWindow(second);
  EXPECT_EQ(GetForegroundWindow(), nullptr);
}

TEST_F(window_system_test, show_enable_and_child_enumeration) {
  HWND parent = create("p");
  HWND a = create("a", parent);
  HWND b = create("b", a);
  HWND c = create("c", parent);
  EXPECT_FALSE(ShowWindow(parent, SW_SHOW));
  EXPECT_TRUE(IsWindowVisible(parent));
  EXPECT_TRUE(ShowWindow(parent, SW_MINIMIZE));
  EXPECT_TRUE(IsIconic(parent));
  EXPECT_FALSE(EnableWindow(parent, FALSE));
  EXPECT_FALSE(IsWindowEnabled(parent));
  EXPECT_TRUE(EnableWindow(parent, TRUE));
  std::vector<HWND> found;
  EnumChildWindows(
      parent,
      [](HWND h, LPARAM l) {
        reinterpret_cast<std::vector<HWND>*>(l)->push_back(h);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&found));
  EXPECT_EQ(found, (std::vector<HWND>{a, b, c}));
}

TEST_F(window_system_test, rectangles_intersect_or_come_back_empty) {
  RECT a{0, 0, 100, 100};
  RECT b{50, -20, 300, 60};
  RECT out{};
  EXPECT_TRUE(IntersectRect(&out, &a, &b));
  EXPECT_EQ(out.left, 50);
  EXPECT_EQ(out.top, 0);
  EXPECT_EQ(out.right, 100);
  EXPECT_EQ(out.bottom, 60);
  RECT far{200, 200, 300, 300};
  EXPECT_FALSE(IntersectRect(&out, &a, &far));
  EXPECT_EQ(out.right, 0);
}
