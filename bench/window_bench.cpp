// Times, under Wine: the window's pump when it is called far more often
// than it looks at the queue; and Zelvorn.exe from the click on
// 普通地址 -> 旋风地址 to the result in ResultBox, for addresses of 64 KiB,
// 256 KiB and 1 MiB in lines of about 76 characters brought in by the
// paste button. Run by bench/window_speed.sh.
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include "Version.h"
#include "WinTest.h"
#include "app/ControlWindow_win.h"
#include "links/Clipboard.h"

namespace {

using namespace zelvorn;
using namespace zelvorn::wintest;
using Seconds = std::chrono::duration<double>;

void TimeThePump() {
  ControlWindow window;  // the program's look interval
  constexpr int kCalls = 1'000'000;
  const auto start = Clock::now();
  for (int i = 0; i < kCalls; ++i) window.PumpPendingMessages();
  std::printf("PumpPendingMessages, %d calls with an empty queue: %.3f s\n", kCalls,
              Seconds(Clock::now() - start).count());
}

int TimeConversions() {
  if (!kServer.SetMode(kVersionText)) std::printf("(the version server is not running: the check fails)\n");
  Program program;
  HWND main = program.Main();
  if (!main) {
    std::printf("Zelvorn.exe showed no window\n");
    return 1;
  }
  for (const std::size_t size : {std::size_t{64} << 10, std::size_t{256} << 10, std::size_t{1} << 20}) {
    std::string address = "http://host/";
    while (address.size() < size) address += std::string(74, static_cast<char>('a' + address.size() % 26)) + "\r\n";
    address.resize(size);
    SetClipboardText(address);
    SetTextOf(Child(main, Control::ResultBox), "");
    const auto pasted = Clock::now();
    Click(Child(main, Control::PasteButton));
    while (LengthOf(Child(main, Control::SourceBox)) != address.size()) std::this_thread::sleep_for(5ms);
    std::printf("%zu KiB address pasted into the source box: %.2f s\n", size >> 10,
                Seconds(Clock::now() - pasted).count());
    const auto start = Clock::now();
    Click(Child(main, Control::ToQqdlButton));
    while (LengthOf(Child(main, Control::ResultBox)) == 0) {
      if (program.Ended()) {
        std::printf("Zelvorn.exe ended during the %zu KiB conversion\n", size >> 10);
        return 1;
      }
      std::this_thread::sleep_for(2ms);
    }
    std::printf("%zu KiB address to qqdl:// from the click to the result: %.2f s\n", size >> 10,
                Seconds(Clock::now() - start).count());
  }
  PostMessageW(main, WM_CLOSE, 0, 0);
  program.ExitCode();
  return 0;
}

}  // namespace

int main() {
  TimeThePump();
  return TimeConversions();
}
