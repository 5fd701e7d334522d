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

// The order in which Tab moves the focus (Shift+Tab: backwards), the way
// one reads the window: the source box and its button, the result box and
// its button, the six conversions, the three downloads.
constexpr Control kTabOrder[] = {SourceBox,          PasteButton,           ResultBox,
                                 CopyButton,         ToThunderButton,       FromThunderButton,
                                 ToFlashGetButton,   FromFlashGetButton,    ToQqdlButton,
                                 FromQqdlButton,     ThunderDownloadButton, FlashGetDownloadButton,
                                 QqdlDownloadButton};

// --- Screens of any DPI ------------------------------------------------------
// The table, the window's size and the pictures are laid out for 96 DPI;
// on another screen everything is that many times larger.

constexpr int kDesignDpi = 96;
constexpr int kWindowWidth = 460, kWindowHeight = 401;  // frame and title bar included

// Lengths round down, so the window never outgrows its scaled design: 690 x
// 601 at 144 DPI.
int Scaled(int length, int dpi) { return length * dpi / kDesignDpi; }

// A function of user32 that older Windows lacks; none there.
template <class Function>
Function FromUser32(const char* name) {
  return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), name)));
}

// Per monitor where the system offers it (Windows 10), else for the system's
// DPI: either way the system leaves the drawing to us instead of stretching
// a 96-DPI picture of the window.
void DeclareDpiAware() {
  using SetContext = BOOL(WINAPI*)(DPI_AWARENESS_CONTEXT);
  if (const auto set = FromUser32<SetContext>("SetProcessDpiAwarenessContext")) {
    if (set(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2) || set(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE)) return;
  }
  SetProcessDPIAware();
}

int SystemDpi() {
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : kDesignDpi;
}

// The DPI of the screen the window is on.
int DpiOf(HWND hwnd) {
  static const auto forWindow = FromUser32<UINT(WINAPI*)(HWND)>("GetDpiForWindow");
  const UINT dpi = forWindow ? forWindow(hwnd) : 0;
  return dpi > 0 ? static_cast<int>(dpi) : SystemDpi();
}

struct Fonts {
  HFONT gui = nullptr;
  HFONT boldSong = nullptr;  // the two clipboard buttons' captions, one character above the other

  HFONT Of(Font font) const { return font == Font::BoldSong ? boldSong : gui; }
};

// The fonts at a DPI. The system's GUI font is made for the system's DPI, so
// it grows by the ratio of the two. Heights round to the nearest pixel, as
// Windows rounds point sizes: the bold 宋体 of -13 at 96 DPI is -20 at 144.
Fonts MakeFonts(int dpi) {
  LOGFONTW gui{};
  GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof gui, &gui);
  gui.lfHeight = MulDiv(gui.lfHeight, dpi, SystemDpi());
  return {CreateFontIndirectW(&gui),
          CreateFontW(-MulDiv(13, dpi, kDesignDpi), 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, GB2312_CHARSET,
                      OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, L"宋体")};
}

HWND g_main = nullptr;
std::array<HWND, kControlCount> g_controls{};
ControlWindow g_window;
int g_dpi = kDesignDpi;
Fonts g_fonts;
HWND g_focus = nullptr;  // the control that had the focus last, given it back when the window is active again

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
    // The icon file holds the logo at the sizes of the usual DPIs; Windows
    // stretches the nearest for any other.
    const int size = Scaled(16, g_dpi);
    if (const auto icon = static_cast<HICON>(
            LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(entry.logo), IMAGE_ICON, size, size, 0))) {
      DrawIconEx(item.hDC, r.left + Scaled(5, g_dpi), r.top + (r.bottom - r.top - size) / 2, icon, size, size, 0,
                 nullptr, DI_NORMAL);
      DestroyIcon(icon);
    }
    text.left += Scaled(24, g_dpi);
  }
  if ((item.itemState & ODS_FOCUS) && !(item.itemState & ODS_NOFOCUSRECT)) {
    RECT focus = r;
    InflateRect(&focus, -3, -3);
    DrawFocusRect(item.hDC, &focus);
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
        // Its natural size is its size at 96 DPI.
        int w = Scaled(static_cast<int>(g_banner.image->GetWidth()), g_dpi);
        int h = Scaled(static_cast<int>(g_banner.image->GetHeight()), g_dpi);
        if (w > r.right || h > r.bottom) {  // shrink to fit, keeping proportions
          const double scale = (std::min)(static_cast<double>(r.right) / w, static_cast<double>(r.bottom) / h);
          w = static_cast<int>(w * scale), h = static_cast<int>(h * scale);
        }
        Gdiplus::Graphics graphics(dc);
        graphics.SetInterpolationMode(Gdiplus::InterpolationModeHighQualityBicubic);
        graphics.SetPixelOffsetMode(Gdiplus::PixelOffsetModeHalf);
        graphics.DrawImage(g_banner.image.get(), (r.right - w) / 2, (r.bottom - h) / 2, w, h);
      }
      EndPaint(hwnd, &ps);
      return 0;
    }
    default:
      return DefWindowProcW(hwnd, msg, wp, lp);
  }
}

// --- The keyboard ------------------------------------------------------------

// Moves the focus to the next control of kTabOrder, or the previous one,
// round the end. From then on focused buttons show their focus frame, as
// they do in dialog boxes once the keyboard is used.
void MoveFocus(Control from, bool backwards) {
  constexpr int n = static_cast<int>(std::size(kTabOrder));
  const int at = static_cast<int>(std::find(std::begin(kTabOrder), std::end(kTabOrder), from) - std::begin(kTabOrder));
  const int next = at == n ? 0 : (at + (backwards ? n - 1 : 1)) % n;
  SendMessageW(g_main, WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
  SetFocus(HandleOf(kTabOrder[next]));
}

bool Pressed(int key) { return GetKeyState(key) < 0; }

// On every control that takes the focus. Without IsDialogMessage, which
// would take Enter (to press a default button) and Esc (to cancel) from
// the meanings this window gives them: Enter inserts a line break in a box,
// Esc closes the window from anywhere (ControlWindow::Dispatch).
LRESULT CALLBACK KeyboardProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR data) {
  const auto& entry = *reinterpret_cast<const ControlEntry*>(data);
  switch (msg) {
    case WM_SETFOCUS:
      g_focus = hwnd;
      break;
    case WM_KEYDOWN:
      if (wp == VK_TAB && !Pressed(VK_CONTROL) && !Pressed(VK_MENU)) {
        MoveFocus(entry.control, Pressed(VK_SHIFT));
        return 0;
      }
      if (wp == 'A' && Pressed(VK_CONTROL) && !Pressed(VK_MENU) && entry.kind == Kind::Edit) {
        SendMessageW(hwnd, EM_SETSEL, 0, -1);
        return 0;
      }
      break;
    case WM_CHAR:
      // The characters of those two keys: no tab character enters a box
      // from the Tab key, and Ctrl+A types nothing.
      if (wp == L'\t' && !Pressed(VK_CONTROL)) return 0;
      if (wp == 0x01 && entry.kind == Kind::Edit) return 0;
      break;
    default:
      break;
  }
  return DefSubclassProc(hwnd, msg, wp, lp);
}

// Gives the focus back to the control that had it, or at first to the
// source box, so that a user can paste or type at once.
void RestoreFocus() {
  SetFocus(g_focus != nullptr && IsWindow(g_focus) ? g_focus : HandleOf(SourceBox));
}

// Places the window (its top-left corner at left, top) and every control,
// with their fonts, for a screen of the DPI.
void Relayout(int dpi, int left, int top) {
  const Fonts old = g_fonts;
  g_dpi = dpi;
  g_fonts = MakeFonts(dpi);
  SetWindowPos(g_main, nullptr, left, top, Scaled(kWindowWidth, dpi), Scaled(kWindowHeight, dpi),
               SWP_NOZORDER | SWP_NOACTIVATE);
  for (const ControlEntry& entry : kControls) {
    const Place& p = entry.place;
    HWND hwnd = HandleOf(entry.control);
    SetWindowPos(hwnd, nullptr, Scaled(p.left, dpi), Scaled(p.top, dpi), Scaled(p.width, dpi),
                 Scaled(p.height, dpi), SWP_NOZORDER | SWP_NOACTIVATE);
    SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(g_fonts.Of(entry.font)), FALSE);
  }
  SendMessageW(g_main, WM_SETFONT, reinterpret_cast<WPARAM>(g_fonts.gui), FALSE);
  RedrawWindow(g_main, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
  for (HFONT font : {old.gui, old.boldSong})
    if (font) DeleteObject(font);
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
    case WM_ACTIVATE:
      // Not to the window itself, as DefWindowProc would give it.
      if (LOWORD(wp) != WA_INACTIVE && !HIWORD(wp)) {
        RestoreFocus();
        return 0;
      }
      break;
    case WM_SETFOCUS:
      RestoreFocus();
      return 0;
    case WM_DPICHANGED: {
      // Moved to a screen of another DPI: the system suggests where the
      // window goes, and the window takes its size for that DPI.
      const auto* suggested = reinterpret_cast<const RECT*>(lp);
      Relayout(HIWORD(wp), suggested->left, suggested->top);
      return 0;
    }
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      break;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

// Made with no place or size: Relayout gives them for the screen's DPI.
HWND CreateControl(const ControlEntry& entry, HINSTANCE instance, HWND tooltip) {
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
  HWND hwnd = CreateWindowExW(exStyle, cls, text.c_str(), style, 0, 0, 0, 0, parent,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(ControlId(entry.control))), instance,
                              nullptr);
  if (entry.kind == Kind::Group) SetWindowSubclass(hwnd, GroupProc, 1, 0);
  if (entry.kind == Kind::Edit || entry.kind == Kind::Button || entry.kind == Kind::ImageButton)
    SetWindowSubclass(hwnd, KeyboardProc, 2, reinterpret_cast<DWORD_PTR>(&entry));
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

  const std::wstring title = WideFromUtf8(std::string("迅雷&快车&旋风&地址Zelvorn ") + kVersionText);
  g_main = CreateWindowExW(0, L"ZelvornMain", title.c_str(), WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX,
                           0, 0, kWindowWidth, kWindowHeight, nullptr, nullptr, instance, nullptr);
  HWND tooltip = CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT,
                                 CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, g_main, nullptr, instance, nullptr);
  for (const ControlEntry& entry : kControls)
    g_controls[static_cast<int>(entry.control)] = CreateControl(entry, instance, tooltip);
  // Centred on the primary screen, from its full size (not the work area).
  const int dpi = DpiOf(g_main);
  Relayout(dpi, (GetSystemMetrics(SM_CXSCREEN) - Scaled(kWindowWidth, dpi)) / 2,
           (GetSystemMetrics(SM_CYSCREEN) - Scaled(kWindowHeight, dpi)) / 2);
  g_window.Attach(g_main, g_controls);
  if (g_banner.image && g_banner.frames > 1) SetTimer(HandleOf(Banner), 1, BannerDelayMs(0), nullptr);
}

}  // namespace

int RunProgram(HINSTANCE instance) {
  std::atexit(OnProgramExit);
  DeclareDpiAware();
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
  RestoreFocus();

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
