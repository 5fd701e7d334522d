// An XP-like look for the thread's windows: push buttons and edit boxes get
// a frame in the colour of the chosen scheme, drawn over the classic one.
#include <windows.h>
#include <commctrl.h>

#include "app/ThemedLook.h"

namespace zelvorn {
namespace {

constexpr UINT_PTR kSubclassId = 0x5A4C;
HHOOK g_hook = nullptr;
COLORREF g_frame = 0;

bool IsThemedKind(HWND hwnd) {
  wchar_t name[32] = {};
  GetClassNameW(hwnd, name, 32);
  if (lstrcmpiW(name, L"Edit") == 0) return true;
  if (lstrcmpiW(name, L"Button") != 0) return false;
  const LONG_PTR kind = GetWindowLongPtrW(hwnd, GWL_STYLE) & BS_TYPEMASK;
  return kind == BS_PUSHBUTTON || kind == BS_DEFPUSHBUTTON;
}

void DrawFrame(HWND hwnd) {
  HDC dc = GetWindowDC(hwnd);
  RECT r;
  GetWindowRect(hwnd, &r);
  OffsetRect(&r, -r.left, -r.top);
  HBRUSH brush = CreateSolidBrush(g_frame);
  FrameRect(dc, &r, brush);
  DeleteObject(brush);
  ReleaseDC(hwnd, dc);
}

LRESULT CALLBACK ThemedProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR) {
  const LRESULT result = DefSubclassProc(hwnd, msg, wp, lp);
  if (msg == WM_PAINT || msg == WM_NCPAINT || msg == WM_SETFOCUS || msg == WM_KILLFOCUS ||
      msg == BM_SETSTATE)
    DrawFrame(hwnd);
  if (msg == WM_NCDESTROY) RemoveWindowSubclass(hwnd, ThemedProc, kSubclassId);
  return result;
}

void Theme(HWND hwnd, bool on) {
  if (!IsThemedKind(hwnd)) return;
  if (on) SetWindowSubclass(hwnd, ThemedProc, kSubclassId, 0);
  else RemoveWindowSubclass(hwnd, ThemedProc, kSubclassId);
  RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ERASE);
}

LRESULT CALLBACK CreationHook(int code, WPARAM wp, LPARAM lp) {
  if (code == HCBT_CREATEWND) Theme(reinterpret_cast<HWND>(wp), true);
  return CallNextHookEx(g_hook, code, wp, lp);
}

BOOL CALLBACK ThemeChild(HWND hwnd, LPARAM on) {
  Theme(hwnd, on != 0);
  return TRUE;
}

BOOL CALLBACK ThemeTopLevel(HWND hwnd, LPARAM on) {
  Theme(hwnd, on != 0);
  EnumChildWindows(hwnd, ThemeChild, on);
  return TRUE;
}

}  // namespace

void ApplyThemedLook(ThemedLook look) {
  if (g_hook != nullptr) {
    UnhookWindowsHookEx(g_hook);
    g_hook = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), ThemeTopLevel, FALSE);
  }
  switch (look) {
    case ThemedLook::Off: return;
    case ThemedLook::Blue: g_frame = RGB(123, 158, 189); break;
    case ThemedLook::OliveGreen: g_frame = RGB(164, 185, 127); break;
    case ThemedLook::Silver: g_frame = RGB(198, 197, 215); break;
  }
  EnumThreadWindows(GetCurrentThreadId(), ThemeTopLevel, TRUE);
  g_hook = SetWindowsHookExW(WH_CBT, CreationHook, nullptr, GetCurrentThreadId());
}

}  // namespace zelvorn
