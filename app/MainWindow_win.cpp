// The program's one window, its 21 controls, the message pump and the
// program's start and end.
#include <windows.h>
#include <commctrl.h>
#include <mmsystem.h>
#include <gdiplus.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <string>

#include "Version.h"
#include "app/ControlWindow_win.h"
#include "app/Controls.h"
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
enum class Font { Gui, BoldSong };

// A control's place in pixels from the top-left corner of its container's
// client area, and its size.
struct Place {
  int left, top, width, height;
};

// One row of the control table.
struct ControlEntry {
  Control control;
  const char* designName;  // its name in the window designer
  Kind kind;
  std::optional<Control> inside = std::nullopt;  // the group box that holds it; none: the window
  Place place;
  const char* text = "";
  const char* tooltip = nullptr;
  int logo = 0;             // resource number of an image button's 16 x 16 picture; 0: none
  bool clickSound = false;  // played when the pointer enters it and when it is clicked
  std::optional<WebPage> page = std::nullopt;  // opened by a click (by a press, on the banner)
  void (*operation)(Window&) = nullptr;  // run by a click
  Font font = Font::Gui;
  bool centredCaption = false;  // a group box's caption
};

using enum Control;

// The layout, top to bottom.
constexpr ControlEntry kControls[kControlCount] = {
    {.control = Banner, .designName = "图片框1", .kind = Kind::Picture, .place = {-3, 0, 460, 80},
     .page = WebPage::MakerSite},
    {.control = SourceGroup, .designName = "分组框1", .kind = Kind::Group, .place = {8, 88, 264, 100},
     .text = "转换前地址"},
    {.control = SourceBox, .designName = "编辑框1", .kind = Kind::Edit, .inside = SourceGroup,
     .place = {7, 17, 200, 72}},
    {.control = PasteButton, .designName = "按钮1", .kind = Kind::Button, .inside = SourceGroup,
     .place = {220, 18, 32, 72}, .text = "粘\r\n贴", .operation = PasteSource, .font = Font::BoldSong},
    {.control = ResultGroup, .designName = "分组框2", .kind = Kind::Group, .place = {8, 200, 264, 100},
     .text = "转换后地址"},
    {.control = ResultBox, .designName = "编辑框2", .kind = Kind::Edit, .inside = ResultGroup,
     .place = {7, 16, 200, 72}},
    {.control = CopyButton, .designName = "按钮2", .kind = Kind::Button, .inside = ResultGroup,
     .place = {220, 18, 32, 72}, .text = "复\r\n制", .operation = CopyResult, .font = Font::BoldSong},
    {.control = ConversionGroup, .designName = "分组框3", .kind = Kind::Group, .place = {280, 88, 168, 216},
     .text = "地址转换", .centredCaption = true},
    {.control = ToThunderButton, .designName = "按钮3", .kind = Kind::Button, .inside = ConversionGroup,
     .place = {8, 16, 152, 24}, .text = "普通地址 -> 迅雷地址", .operation = PlainToThunder},
    {.control = FromThunderButton, .designName = "按钮4", .kind = Kind::Button, .inside = ConversionGroup,
     .place = {8, 49, 152, 24}, .text = "迅雷地址 -> 普通地址", .operation = ThunderToPlain},
    {.control = ToFlashGetButton, .designName = "按钮5", .kind = Kind::Button, .inside = ConversionGroup,
     .place = {8, 82, 152, 24}, .text = "普通地址 -> 快车地址", .operation = PlainToFlashGet},
    {.control = FromFlashGetButton, .designName = "按钮6", .kind = Kind::Button, .inside = ConversionGroup,
     .place = {8, 115, 152, 24}, .text = "快车地址 -> 普通地址", .operation = FlashGetToPlain},
    {.control = ToQqdlButton, .designName = "按钮7", .kind = Kind::Button, .inside = ConversionGroup,
     .place = {8, 148, 152, 24}, .text = "普通地址 -> 旋风地址", .operation = PlainToQqdl},
    {.control = FromQqdlButton, .designName = "按钮8", .kind = Kind::Button, .inside = ConversionGroup,
     .place = {8, 183, 152, 24}, .text = "旋风地址 -> 普通地址", .operation = QqdlToPlain},
    {.control = ThunderDownloadButton, .designName = "超级按钮", .kind = Kind::ImageButton,
     .place = {8, 310, 80, 24}, .text = "迅雷下载", .tooltip = "下载迅雷最新版本", .logo = IDI_LOGO_THUNDER,
     .clickSound = true, .page = WebPage::Thunder},
    {.control = FlashGetDownloadButton, .designName = "超级按钮1", .kind = Kind::ImageButton,
     .place = {102, 310, 80, 24}, .text = "快车下载", .tooltip = "下载快车最新版本", .logo = IDI_LOGO_FLASHGET,
     .clickSound = true, .page = WebPage::FlashGet},
    {.control = QqdlDownloadButton, .designName = "超级按钮2", .kind = Kind::ImageButton,
     .place = {190, 310, 80, 24}, .text = "旋风下载", .tooltip = "下载旋风最新版本", .logo = IDI_LOGO_QQDL,
     .clickSound = true, .page = WebPage::Qqdl},
    {.control = VersionGroup, .designName = "分组框4", .kind = Kind::Group, .place = {280, 304, 168, 34}},
    {.control = VersionCaption, .designName = "标签2", .kind = Kind::Label, .inside = VersionGroup,
     .place = {8, 13, 64, 16}, .text = "最新版本："},
    {.control = VersionLabel, .designName = "标签1", .kind = Kind::Label, .inside = VersionGroup,
     .place = {70, 13, 90, 16}, .text = "检测中"},
    {.control = ForumBar, .designName = "超级按钮3", .kind = Kind::ImageButton, .place = {2, 342, 450, 24},
     .text = "Copyright © Zelvorn Studio 版权所有", .tooltip = "Zelvorn 作者：Pendrake",
     .page = WebPage::MakerForum},
};

constexpr bool TableFollowsControlOrder() {
  for (int i = 0; i < kControlCount; ++i)
    if (static_cast<int>(kControls[i].control) != i) return false;
  return true;
}
static_assert(TableFollowsControlOrder(), "kControls is indexed by Control");

const ControlEntry& EntryOf(Control control) { return kControls[static_cast<int>(control)]; }

const ControlEntry* EntryOfId(UINT_PTR id) {
  const std::optional<Control> control = ControlOfId(static_cast<int>(LOWORD(id)));
  return control ? &EntryOf(*control) : nullptr;
}

constexpr int kWindowWidth = 460, kWindowHeight = 401;

HWND g_main = nullptr;
std::array<HWND, kControlCount> g_controls{};
ControlWindow g_window;

HWND HandleOf(Control control) { return g_controls[static_cast<int>(control)]; }

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
LRESULT CALLBACK ImageButtonProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR data) {
  const auto& entry = *reinterpret_cast<const ControlEntry*>(data);
  if (msg == WM_MOUSEMOVE && GetWindowLongPtrW(hwnd, GWLP_USERDATA) == 0) {
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 1);
    TRACKMOUSEEVENT track{};
    track.cbSize = sizeof track, track.dwFlags = TME_LEAVE, track.hwndTrack = hwnd;
    TrackMouseEvent(&track);
    if (entry.clickSound) PlayClick();
    InvalidateRect(hwnd, nullptr, TRUE);
  } else if (msg == WM_MOUSELEAVE) {
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    InvalidateRect(hwnd, nullptr, TRUE);
  }
  return DefSubclassProc(hwnd, msg, wp, lp);
}

void DrawImageButton(const DRAWITEMSTRUCT& item, const ControlEntry& entry) {
  RECT r = item.rcItem;
  FillRect(item.hDC, &r, GetSysColorBrush(COLOR_BTNFACE));
  if (item.itemState & ODS_SELECTED) DrawEdge(item.hDC, &r, BDR_SUNKENOUTER, BF_RECT);
  else if (GetWindowLongPtrW(item.hwndItem, GWLP_USERDATA) != 0) DrawEdge(item.hDC, &r, BDR_RAISEDINNER, BF_RECT);
  RECT text = r;
  if (entry.logo != 0) {
    const auto icon = static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(entry.logo),
                                                    IMAGE_ICON, 16, 16, LR_SHARED));
    DrawIconEx(item.hDC, r.left + 5, r.top + (r.bottom - r.top - 16) / 2, icon, 16, 16, 0, nullptr, DI_NORMAL);
    text.left += 24;
  }
  SetBkMode(item.hDC, TRANSPARENT);
  SetTextColor(item.hDC, GetSysColor(COLOR_BTNTEXT));
  const std::wstring caption = WideFromUtf8(entry.text);
  DrawTextW(item.hDC, caption.c_str(), -1, &text,
            DT_SINGLELINE | DT_VCENTER | (entry.logo != 0 ? DT_LEFT : DT_CENTER) | DT_NOPREFIX);
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
struct BannerPicture {
  std::unique_ptr<Gdiplus::Image> image;
  UINT frames = 1;
  UINT frame = 0;
  std::unique_ptr<BYTE[]> delays;  // PropertyItem with one LONG per frame, in 1/100 s
};
BannerPicture g_banner;

// The picture from the program's resources; none when any step fails.
std::unique_ptr<Gdiplus::Image> LoadBannerImage() {
  HMODULE module = GetModuleHandleW(nullptr);
  HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(IDR_BANNER), MAKEINTRESOURCEW(10) /* RT_RCDATA */);
  if (!found) return nullptr;
  const DWORD size = SizeofResource(module, found);
  const void* data = LockResource(LoadResource(module, found));
  if (!data || size == 0) return nullptr;
  // GDI+ reads the picture from a stream for as long as the image lives:
  // the stream gets a copy of its own, which it frees with its last
  // reference.
  HGLOBAL copy = GlobalAlloc(GMEM_MOVEABLE, size);
  if (!copy) return nullptr;
  void* target = GlobalLock(copy);
  if (!target) {
    GlobalFree(copy);
    return nullptr;
  }
  std::memcpy(target, data, size);
  GlobalUnlock(copy);
  IStream* stream = nullptr;
  if (CreateStreamOnHGlobal(copy, TRUE, &stream) != S_OK) {
    GlobalFree(copy);
    return nullptr;
  }
  std::unique_ptr<Gdiplus::Image> image(Gdiplus::Image::FromStream(stream));
  stream->Release();
  if (!image || image->GetLastStatus() != Gdiplus::Ok) return nullptr;
  return image;
}

void LoadBanner() {
  g_banner.image = LoadBannerImage();
  if (!g_banner.image) return;
  GUID dimension = Gdiplus::FrameDimensionTime;
  g_banner.frames = (std::max)(g_banner.image->GetFrameCount(&dimension), 1u);
  const UINT propertySize = g_banner.image->GetPropertyItemSize(PropertyTagFrameDelay);
  if (propertySize > 0) {
    g_banner.delays = std::make_unique<BYTE[]>(propertySize);
    if (g_banner.image->GetPropertyItem(PropertyTagFrameDelay, propertySize,
                                        reinterpret_cast<Gdiplus::PropertyItem*>(g_banner.delays.get())) !=
        Gdiplus::Ok)
      g_banner.delays.reset();
  }
}

UINT BannerDelayMs(UINT frame) {
  constexpr UINT kDefault = 1000;
  if (!g_banner.delays) return kDefault;
  const auto* item = reinterpret_cast<const Gdiplus::PropertyItem*>(g_banner.delays.get());
  if ((frame + 1) * sizeof(LONG) > item->length) return kDefault;
  const LONG delay = static_cast<const LONG*>(item->value)[frame];
  return delay > 0 ? static_cast<UINT>(delay) * 10 : kDefault;
}

LRESULT CALLBACK BannerProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
      OpenWebPage(*EntryOf(Banner).page);
      return 0;
    case WM_TIMER: {
      if (!g_banner.image) return 0;
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

LRESULT CALLBACK MainProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_COMMAND:
      if (HIWORD(wp) == BN_CLICKED) {
        if (const ControlEntry* entry = EntryOfId(wp)) {
          if (entry->operation != nullptr) entry->operation(g_window);
          if (entry->kind == Kind::ImageButton && entry->clickSound) PlayClick();
          if (entry->kind == Kind::ImageButton && entry->page) OpenWebPage(*entry->page);
        }
        return 0;
      }
      break;
    case WM_DRAWITEM: {
      const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lp);
      if (const ControlEntry* entry = EntryOfId(item.CtlID)) {
        if (entry->kind == Kind::ImageButton) DrawImageButton(item, *entry);
        else DrawLabel(item, entry->control == VersionLabel ? RGB(255, 0, 0) : RGB(0, 0, 0));
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

HWND CreateControl(const ControlEntry& entry, HINSTANCE instance, HWND tooltip, HFONT font) {
  HWND parent = entry.inside ? HandleOf(*entry.inside) : g_main;
  const std::wstring text = WideFromUtf8(entry.text);
  const wchar_t* cls = L"Button";
  DWORD style = WS_CHILD | WS_VISIBLE, exStyle = 0;
  switch (entry.kind) {
    case Kind::Picture: cls = L"ZelvornBanner"; break;
    case Kind::Group: style |= BS_GROUPBOX | (entry.centredCaption ? BS_CENTER : BS_LEFT); break;
    case Kind::Edit:
      cls = L"Edit";
      style |= WS_TABSTOP | ES_LEFT | ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN;
      exStyle = WS_EX_STATICEDGE;
      break;
    case Kind::Button: style |= WS_TABSTOP | BS_PUSHBUTTON | BS_MULTILINE | BS_CENTER | BS_VCENTER; break;
    case Kind::ImageButton: style |= BS_OWNERDRAW; break;
    case Kind::Label: cls = L"Static"; style |= SS_OWNERDRAW | SS_NOPREFIX; break;
  }
  const Place& p = entry.place;
  HWND hwnd = CreateWindowExW(exStyle, cls, text.c_str(), style, p.left, p.top, p.width, p.height, parent,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(ControlId(entry.control))), instance,
                              nullptr);
  SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  if (entry.kind == Kind::Group) SetWindowSubclass(hwnd, GroupProc, 1, 0);
  if (entry.kind == Kind::ImageButton) {
    SetWindowSubclass(hwnd, ImageButtonProc, 1, reinterpret_cast<DWORD_PTR>(&entry));
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
HFONT BoldSongFont() {
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

  const int left = (GetSystemMetrics(SM_CXSCREEN) - kWindowWidth) / 2;
  const int top = (GetSystemMetrics(SM_CYSCREEN) - kWindowHeight) / 2;
  const std::wstring title = WideFromUtf8(std::string("迅雷&快车&旋风&地址Zelvorn ") + kVersionText);
  g_main = CreateWindowExW(0, L"ZelvornMain", title.c_str(), WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX,
                           left, top, kWindowWidth, kWindowHeight, nullptr, nullptr, instance, nullptr);
  const auto gui = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  SendMessageW(g_main, WM_SETFONT, reinterpret_cast<WPARAM>(gui), FALSE);
  HWND tooltip = CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT,
                                 CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, g_main, nullptr, instance, nullptr);
  const HFONT bold = BoldSongFont();
  for (const ControlEntry& entry : kControls)
    g_controls[static_cast<int>(entry.control)] =
        CreateControl(entry, instance, tooltip, entry.font == Font::BoldSong ? bold : gui);
  g_window.Attach(g_main, g_controls);
  if (g_banner.image && g_banner.frames > 1) SetTimer(HandleOf(Banner), 1, BannerDelayMs(0), nullptr);
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
  ApplyThemedLook(ThemedLook::Blue);
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
