// The program's one window, its 21 controls, the message pump and the
// program's start and end.
#include <windows.h>
#include <commctrl.h>
#include <mmsystem.h>
#include <gdiplus.h>

#include <array>
#include <cstdlib>
#include <memory>
#include <string>

#include "app/ControlWindow_win.h"
#include "app/Lifecycle.h"
#include "app/ThemedLook.h"
#include "app/UpdateCheck.h"
#include "app/WebLinks.h"
#include "app/resources/resource.h"
#include "links/Clipboard.h"
#include "links/Conversions.h"

namespace zelvorn {
namespace {

enum class Kind { Picture, Group, Edit, Button, ImageButton, Label };

enum : int { kNoPicture = 0 };

struct ControlSpec {
  Control id;
  Kind kind;
  Control container;  // the window itself when equal to id
  int left, top, width, height;
  const char* text;
  const char* tooltip = nullptr;
  int logo = kNoPicture;     // 16 x 16 icon of an image button
  WebPage page = WebPage::MakerSite;
  void (*operation)(Window&) = nullptr;
};

using enum Control;

// The layout, top to bottom; places inside a group box are from its corner.
const ControlSpec kControls[kControlCount] = {
    {Banner, Kind::Picture, Banner, -3, 0, 460, 80, ""},
    {SourceGroup, Kind::Group, SourceGroup, 8, 88, 264, 100, "转换前地址"},
    {SourceBox, Kind::Edit, SourceGroup, 7, 17, 200, 72, ""},
    {PasteButton, Kind::Button, SourceGroup, 220, 18, 32, 72, "粘\r\n贴", nullptr, kNoPicture, {}, PasteSource},
    {ResultGroup, Kind::Group, ResultGroup, 8, 200, 264, 100, "转换后地址"},
    {ResultBox, Kind::Edit, ResultGroup, 7, 16, 200, 72, ""},
    {CopyButton, Kind::Button, ResultGroup, 220, 18, 32, 72, "复\r\n制", nullptr, kNoPicture, {}, CopyResult},
    {ConversionGroup, Kind::Group, ConversionGroup, 280, 88, 168, 216, "地址转换"},
    {ToThunderButton, Kind::Button, ConversionGroup, 8, 16, 152, 24, "普通地址 -> 迅雷地址", nullptr, kNoPicture, {}, PlainToThunder},
    {FromThunderButton, Kind::Button, ConversionGroup, 8, 49, 152, 24, "迅雷地址 -> 普通地址", nullptr, kNoPicture, {}, ThunderToPlain},
    {ToFlashGetButton, Kind::Button, ConversionGroup, 8, 82, 152, 24, "普通地址 -> 快车地址", nullptr, kNoPicture, {}, PlainToFlashGet},
    {FromFlashGetButton, Kind::Button, ConversionGroup, 8, 115, 152, 24, "快车地址 -> 普通地址", nullptr, kNoPicture, {}, FlashGetToPlain},
    {ToQqdlButton, Kind::Button, ConversionGroup, 8, 148, 152, 24, "普通地址 -> 旋风地址", nullptr, kNoPicture, {}, PlainToQqdl},
    {FromQqdlButton, Kind::Button, ConversionGroup, 8, 183, 152, 24, "旋风地址 -> 普通地址", nullptr, kNoPicture, {}, QqdlToPlain},
    {ThunderDownloadButton, Kind::ImageButton, ThunderDownloadButton, 8, 310, 80, 24, "迅雷下载", "下载迅雷最新版本", IDI_LOGO_THUNDER, WebPage::Thunder},
    {FlashGetDownloadButton, Kind::ImageButton, FlashGetDownloadButton, 102, 310, 80, 24, "快车下载", "下载快车最新版本", IDI_LOGO_FLASHGET, WebPage::FlashGet},
    {QqdlDownloadButton, Kind::ImageButton, QqdlDownloadButton, 190, 310, 80, 24, "旋风下载", "下载旋风最新版本", IDI_LOGO_QQDL, WebPage::Qqdl},
    {VersionGroup, Kind::Group, VersionGroup, 280, 304, 168, 34, ""},
    {VersionCaption, Kind::Label, VersionGroup, 8, 13, 64, 16, "最新版本："},
    {VersionLabel, Kind::Label, VersionGroup, 70, 13, 90, 16, "检测中"},
    {ForumBar, Kind::ImageButton, ForumBar, 2, 342, 450, 24, "Copyright © Zelvorn Studio 版权所有",
     "Zelvorn 作者：Pendrake", kNoPicture, WebPage::MakerForum},
};

constexpr int kControlIdBase = 1000;

HWND g_main = nullptr;
std::array<HWND, kControlCount> g_controls{};
ControlWindow g_window;

void PlayClick() {
  PlaySoundW(MAKEINTRESOURCEW(IDR_CLICK), GetModuleHandleW(nullptr), SND_RESOURCE | SND_ASYNC | SND_NODEFAULT);
}

// Group boxes hold controls of their own: what those tell their parent goes
// on to the window.
LRESULT CALLBACK GroupProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR) {
  switch (msg) {
    case WM_COMMAND:
    case WM_DRAWITEM:
    case WM_NOTIFY:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORBTN:
      return SendMessageW(g_main, msg, wp, lp);
    default:
      return DefSubclassProc(hwnd, msg, wp, lp);
  }
}

// Image buttons: flat at rest, a raised frame while the pointer is over
// them, a sunken one while pressed.
LRESULT CALLBACK ImageButtonProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR logo) {
  if (msg == WM_MOUSEMOVE && GetWindowLongPtrW(hwnd, GWLP_USERDATA) == 0) {
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 1);
    TRACKMOUSEEVENT track{};
    track.cbSize = sizeof track, track.dwFlags = TME_LEAVE, track.hwndTrack = hwnd;
    TrackMouseEvent(&track);
    if (logo != kNoPicture) PlayClick();
    InvalidateRect(hwnd, nullptr, TRUE);
  } else if (msg == WM_MOUSELEAVE) {
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    InvalidateRect(hwnd, nullptr, TRUE);
  }
  return DefSubclassProc(hwnd, msg, wp, lp);
}

void DrawImageButton(const DRAWITEMSTRUCT& item, const ControlSpec& entry) {
  RECT r = item.rcItem;
  FillRect(item.hDC, &r, GetSysColorBrush(COLOR_BTNFACE));
  if (item.itemState & ODS_SELECTED) DrawEdge(item.hDC, &r, BDR_SUNKENOUTER, BF_RECT);
  else if (GetWindowLongPtrW(item.hwndItem, GWLP_USERDATA) != 0) DrawEdge(item.hDC, &r, BDR_RAISEDINNER, BF_RECT);
  RECT text = r;
  if (entry.logo != kNoPicture) {
    const auto icon = static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(entry.logo),
                                                    IMAGE_ICON, 16, 16, LR_SHARED));
    DrawIconEx(item.hDC, r.left + 5, r.top + (r.bottom - r.top - 16) / 2, icon, 16, 16, 0, nullptr, DI_NORMAL);
    text.left += 24;
  }
  SetBkMode(item.hDC, TRANSPARENT);
  SetTextColor(item.hDC, GetSysColor(COLOR_BTNTEXT));
  const std::wstring caption = WideFromUtf8(entry.text);
  DrawTextW(item.hDC, caption.c_str(), -1, &text,
            DT_SINGLELINE | DT_VCENTER | (entry.logo != kNoPicture ? DT_LEFT : DT_CENTER) | DT_NOPREFIX);
}

// Labels draw their caption on one line, vertically centred, ampersands as
// they stand; a line break starts no new line, and what does not fit is
// cut at the label's edge.
void DrawLabel(const DRAWITEMSTRUCT& item, COLORREF colour) {
  FillRect(item.hDC, &item.rcItem, GetSysColorBrush(COLOR_BTNFACE));
  const int length = GetWindowTextLengthW(item.hwndItem);
  std::wstring caption(static_cast<std::size_t>(length) + 1, L'\0');
  caption.resize(static_cast<std::size_t>(GetWindowTextW(item.hwndItem, caption.data(), length + 1)));
  SetBkMode(item.hDC, TRANSPARENT);
  SetTextColor(item.hDC, colour);
  RECT r = item.rcItem;
  DrawTextW(item.hDC, caption.c_str(), static_cast<int>(caption.size()), &r,
            DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_NOPREFIX);
}

// The banner: an animated GIF drawn centred at its natural size, each frame
// for its own delay, without end.
struct Banner {
  std::unique_ptr<Gdiplus::Image> image;
  UINT frames = 1;
  UINT frame = 0;
  std::unique_ptr<BYTE[]> delays;  // PropertyItem with one LONG per frame, in 1/100 s
};
Banner g_banner;

void LoadBanner() {
  HMODULE module = GetModuleHandleW(nullptr);
  HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(IDR_BANNER), MAKEINTRESOURCEW(10) /* RT_RCDATA */);
  if (!found) return;
  const DWORD size = SizeofResource(module, found);
  const void* data = LockResource(LoadResource(module, found));
  HGLOBAL copy = GlobalAlloc(GMEM_MOVEABLE, size);
  if (!copy || !data) return;
  CopyMemory(GlobalLock(copy), data, size);
  GlobalUnlock(copy);
  IStream* stream = nullptr;
  if (CreateStreamOnHGlobal(copy, TRUE, &stream) != S_OK) return;
  g_banner.image.reset(Gdiplus::Image::FromStream(stream));
  stream->Release();
  GUID dimension = Gdiplus::FrameDimensionTime;
  g_banner.frames = g_banner.image->GetFrameCount(&dimension);
  const UINT propertySize = g_banner.image->GetPropertyItemSize(PropertyTagFrameDelay);
  if (propertySize > 0) {
    g_banner.delays = std::make_unique<BYTE[]>(propertySize);
    g_banner.image->GetPropertyItem(PropertyTagFrameDelay, propertySize,
                                    reinterpret_cast<Gdiplus::PropertyItem*>(g_banner.delays.get()));
  }
}

UINT BannerDelayMs(UINT frame) {
  if (!g_banner.delays) return 1000;
  const auto* item = reinterpret_cast<const Gdiplus::PropertyItem*>(g_banner.delays.get());
  const LONG delay = static_cast<const LONG*>(item->value)[frame];
  return delay > 0 ? static_cast<UINT>(delay) * 10 : 1000;
}

LRESULT CALLBACK BannerProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
      OpenWebPage(WebPage::MakerSite);
      return 0;
    case WM_TIMER: {
      g_banner.frame = (g_banner.frame + 1) % g_banner.frames;
      GUID dimension = Gdiplus::FrameDimensionTime;
      g_banner.image->SelectActiveFrame(&dimension, g_banner.frame);
      SetTimer(hwnd, 1, BannerDelayMs(g_banner.frame), nullptr);
      InvalidateRect(hwnd, nullptr, FALSE);
      return 0;
    }
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd, &ps);
      RECT r;
      GetClientRect(hwnd, &r);
      FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
      if (g_banner.image) {
        int w = static_cast<int>(g_banner.image->GetWidth()), h = static_cast<int>(g_banner.image->GetHeight());
        if (w > r.right || h > r.bottom) {  // shrink to fit, keeping proportions
          const double scale = (std::min)(static_cast<double>(r.right) / w, static_cast<double>(r.bottom) / h);
          w = static_cast<int>(w * scale), h = static_cast<int>(h * scale);
        }
        Gdiplus::Graphics graphics(dc);
        graphics.DrawImage(g_banner.image.get(), (r.right - w) / 2, (r.bottom - h) / 2, w, h);
      }
      EndPaint(hwnd, &ps);
      return 0;
    }
    default:
      return DefWindowProcW(hwnd, msg, wp, lp);
  }
}

const ControlSpec* SpecOfId(WPARAM id) {
  const auto index = static_cast<int>(LOWORD(id)) - kControlIdBase;
  return index >= 0 && index < kControlCount ? &kControls[index] : nullptr;
}

LRESULT CALLBACK MainProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_COMMAND:
      if (HIWORD(wp) == BN_CLICKED) {
        if (const ControlSpec* entry = SpecOfId(wp)) {
          if (entry->operation != nullptr) {
            entry->operation(g_window);
          } else if (entry->kind == Kind::ImageButton) {
            if (entry->logo != kNoPicture) PlayClick();
            OpenWebPage(entry->page);
          }
        }
        return 0;
      }
      break;
    case WM_DRAWITEM: {
      const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lp);
      if (const ControlSpec* entry = SpecOfId(item.CtlID)) {
        if (entry->kind == Kind::ImageButton) DrawImageButton(item, *entry);
        else DrawLabel(item, entry->id == VersionLabel ? RGB(255, 0, 0) : RGB(0, 0, 0));
        return TRUE;
      }
      break;
    }
    case WM_CTLCOLORSTATIC: {
      // Group box captions are blue on the window's face.
      const auto dc = reinterpret_cast<HDC>(wp);
      SetTextColor(dc, RGB(0, 0, 255));
      SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
      return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    }
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      break;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

HWND CreateControl(const ControlSpec& entry, HINSTANCE instance, HWND tooltip) {
  const bool inGroup = entry.container != entry.id;
  HWND parent = inGroup ? g_controls[static_cast<int>(entry.container)] : g_main;
  const std::wstring text = WideFromUtf8(entry.text);
  const wchar_t* cls = L"Button";
  DWORD style = WS_CHILD | WS_VISIBLE, exStyle = 0;
  switch (entry.kind) {
    case Kind::Picture: cls = L"ZelvornBanner"; break;
    case Kind::Group: style |= BS_GROUPBOX | (entry.id == ConversionGroup ? BS_CENTER : BS_LEFT); break;
    case Kind::Edit:
      cls = L"Edit";
      style |= WS_TABSTOP | ES_LEFT | ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN;
      exStyle = WS_EX_STATICEDGE;
      break;
    case Kind::Button: style |= WS_TABSTOP | BS_PUSHBUTTON | BS_MULTILINE | BS_CENTER | BS_VCENTER; break;
    case Kind::ImageButton: style |= BS_OWNERDRAW; break;
    case Kind::Label: cls = L"Static"; style |= SS_OWNERDRAW | SS_NOPREFIX; break;
  }
  HWND hwnd = CreateWindowExW(exStyle, cls, text.c_str(), style, entry.left, entry.top, entry.width, entry.height,
                              parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kControlIdBase + static_cast<int>(entry.id))),
                              instance, nullptr);
  SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
  if (entry.kind == Kind::Group) SetWindowSubclass(hwnd, GroupProc, 1, 0);
  if (entry.kind == Kind::ImageButton) {
    SetWindowSubclass(hwnd, ImageButtonProc, 1, static_cast<DWORD_PTR>(entry.logo));
    std::wstring tip = WideFromUtf8(entry.tooltip);
    TOOLINFOW info{};
    info.cbSize = sizeof info;
    info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    info.hwnd = g_main;
    info.uId = reinterpret_cast<UINT_PTR>(hwnd);
    info.lpszText = tip.data();
    SendMessageW(tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
  }
  return hwnd;
}

// The two clipboard buttons' bold captions, one character above the other.
HFONT BoldFont() {
  return CreateFontW(-13, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, GB2312_CHARSET, OUT_DEFAULT_PRECIS,
                     CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, L"宋体");
}

void CreateMainWindow(HINSTANCE instance) {
  WNDCLASSEXW cls{};
  cls.cbSize = sizeof cls;
  cls.lpfnWndProc = MainProc;
  cls.hInstance = instance;
  cls.hIcon = LoadIconW(instance, L"DEFAULT_ICON");
  cls.hIconSm = static_cast<HICON>(LoadImageW(instance, L"DEFAULT_ICON", IMAGE_ICON, 16, 16, 0));
  cls.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  cls.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  cls.lpszClassName = L"ZelvornMain";
  RegisterClassExW(&cls);
  WNDCLASSEXW banner{};
  banner.cbSize = sizeof banner;
  banner.lpfnWndProc = BannerProc;
  banner.hInstance = instance;
  banner.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_HAND));
  banner.lpszClassName = L"ZelvornBanner";
  RegisterClassExW(&banner);

  constexpr int kWidth = 460, kHeight = 401;
  const int left = (GetSystemMetrics(SM_CXSCREEN) - kWidth) / 2;
  const int top = (GetSystemMetrics(SM_CYSCREEN) - kHeight) / 2;
  g_main = CreateWindowExW(0, L"ZelvornMain", WideFromUtf8("迅雷&快车&旋风&地址Zelvorn V1.3").c_str(),
                           WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, left, top, kWidth,
                           kHeight, nullptr, nullptr, instance, nullptr);
  SendMessageW(g_main, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
  HWND tooltip = CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT,
                                 CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, g_main, nullptr, instance, nullptr);
  for (const ControlSpec& entry : kControls)
    g_controls[static_cast<int>(entry.id)] = CreateControl(entry, instance, tooltip);
  const HFONT bold = BoldFont();
  for (Control c : {PasteButton, CopyButton})
    SendMessageW(g_controls[static_cast<int>(c)], WM_SETFONT, reinterpret_cast<WPARAM>(bold), FALSE);
  g_window.Attach(g_main, g_controls);
  if (g_banner.image && g_banner.frames > 1)
    SetTimer(g_controls[static_cast<int>(Banner)], 1, BannerDelayMs(0), nullptr);
}

}  // namespace

int RunProgram(HINSTANCE instance) {
  std::atexit(OnProgramExit);
  // The start-up routine: nothing to do, and its result is not looked at.
  INITCOMMONCONTROLSEX common{};
  common.dwSize = sizeof common, common.dwICC = ICC_WIN95_CLASSES;
  InitCommonControlsEx(&common);
  Gdiplus::GdiplusStartupInput gdiplusInput;
  ULONG_PTR gdiplusToken = 0;
  Gdiplus::GdiplusStartup(&gdiplusToken, &gdiplusInput, nullptr);
  LoadBanner();

  CreateMainWindow(instance);
  // The creation event runs to its end while the window is still hidden.
  ApplyThemedLook(1);
  CheckForUpdate(g_window);
  ShowWindow(g_main, SW_SHOWNORMAL);
  UpdateWindow(g_main);

  // Until no window of the program remains. A failed read of the queue ends
  // nothing: Wine fails one for a message too large to pass between
  // processes (another program's WM_SETTEXT of a megabyte), and drops it.
  MSG msg;
  for (BOOL got; (got = GetMessageW(&msg, nullptr, 0, 0)) != 0;) {
    if (got > 0) g_window.Dispatch(msg);
    else if (!IsWindow(g_main)) break;
  }
  g_banner.image.reset();
  Gdiplus::GdiplusShutdown(gdiplusToken);
  OnProgramExit();
  return 0;
}

}  // namespace zelvorn

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) { return zelvorn::RunProgram(instance); }
