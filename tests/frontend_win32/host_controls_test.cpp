// The Win32 host on a small form: real child windows at their places, model
// changes that never echo back as clicks, real clicks reaching the model once.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <vector>

#include "frontend/win32/pictures.hpp"
#include "frontend/win32/win32_host.hpp"
#include "toolkit/geometry.hpp"
#include "win32_support.hpp"

namespace vodivuri::win32 {
namespace {

using testing::className;
using testing::Later;
using testing::placeInParent;
using testing::pump;
using testing::windowText;
using toolkit::ControlState;

class SmallForm : public toolkit::Form {
 public:
  explicit SmallForm(toolkit::Host& host)
      : Form(host, "SmallForm",
             {.caption = "Prueba ñ",
              .clientWidth = 4500,
              .clientHeight = 3000,
              .clientLeft = 1500,
              .clientTop = 1200,
              .border = toolkit::Border::FixedDialog,
              .blueGradient = true}) {
    box.onClick = [this] { ++boxClicks; };
    first.onClick = [this] { ++firstClicks; };
    second.onClick = [this] { ++secondClicks; };
    button.onClick = [this] { ++buttonClicks; };
    caption.onClick = [this] { ++captionClicks; };
    tabOrder = {&box, &off, &button, &first};
  }

  toolkit::Label caption{
      *this, "caption", {.rect = {150, 150, 1500, 240}, .caption = "Sesión", .transparent = true}};
  toolkit::CheckBox box{*this, "box", {.rect = {150, 600, 210, 195}}};
  toolkit::OptionButton first{*this, "first", {.rect = {150, 1050, 210, 195}, .value = 1}};
  toolkit::OptionButton second{*this, "second", {.rect = {600, 1050, 210, 195}}};
  toolkit::Button button{
      *this, "button", {.rect = {1500, 600, 255, 195}, .picture = "arrow_up.bmp"}};
  toolkit::Button off{
      *this, "off", {.rect = {1950, 600, 255, 195}, .caption = "No", .enabled = false}};
  toolkit::PictureBox strip{
      *this, "strip", {.rect = {0, 1500, 4500, 660}, .picture = "toolbar.bmp"}};
  toolkit::Image raised{
      *this, "raised", {.rect = {225, 30, 750, 600}, .mouseInput = false}, &strip};
  toolkit::Line line{*this, "line", 210, 2400, 4200, 2400, toolkit::kWhite};
  toolkit::PictureBox hidden{*this, "hidden", {.rect = {300, 3300, 105, 180}}};

  int boxClicks = 0, firstClicks = 0, secondClicks = 0, buttonClicks = 0, captionClicks = 0;
};

int blueAt(int row, int height) {
  for (const toolkit::GradientBand& band : toolkit::gradientBands(height)) {
    if (row >= band.top && row < band.bottom) return band.blue;
  }
  return -1;
}

BOOL CALLBACK findOwnedTooltips(HWND w, LPARAM found) {
  if (className(w) == TOOLTIPS_CLASSA && GetWindow(w, GW_OWNER) != nullptr) {
    *reinterpret_cast<HWND*>(found) = w;
  }
  return TRUE;
}

class HostControls : public ::testing::Test {
 protected:
  HostControls() { form.show(); }
  Win32Host host{GetModuleHandleA(nullptr)};
  SmallForm form{host};

  HWND hwnd(const toolkit::Control& c) const { return host.windowOf(c); }
  static int px(int twips) { return twips / 15; }
  static UINT check(HWND w) { return static_cast<UINT>(SendMessageA(w, BM_GETCHECK, 0, 0)); }
};

TEST_F(HostControls, EveryControlIsAChildWindowAtItsPlace) {
  ASSERT_EQ(host.twipsPerPixelX(), 15);
  HWND window = host.windowOf(form);
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(IsWindowVisible(window));
  EXPECT_EQ(windowText(window), "Prueba \xF1");  // Windows-1252
  RECT client;
  GetClientRect(window, &client);
  EXPECT_EQ(client.right, 300);
  EXPECT_EQ(client.bottom, 200);
  POINT origin{0, 0};
  ClientToScreen(window, &origin);
  EXPECT_EQ(origin.x, 100);
  EXPECT_EQ(origin.y, 80);
  RECT outer;
  GetWindowRect(window, &outer);
  EXPECT_EQ(form.left(), outer.left * 15);
  EXPECT_EQ(form.top(), outer.top * 15);

  for (toolkit::Control* c : form.controls()) {
    SCOPED_TRACE(c->name());
    if (c->kind() == toolkit::ControlKind::Line) {
      EXPECT_EQ(hwnd(*c), nullptr);  // painted on the form
      continue;
    }
    HWND w = hwnd(*c);
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(GetParent(w), c->container() ? hwnd(*c->container()) : window);
    const RECT r = placeInParent(w);
    const toolkit::Rect& t = c->rect();
    EXPECT_EQ(r.left, px(t.left));
    EXPECT_EQ(r.top, px(t.top));
    EXPECT_EQ(r.right - r.left, px(t.width));
    EXPECT_EQ(r.bottom - r.top, px(t.height));
    EXPECT_EQ(IsWindowEnabled(w) != FALSE, c->enabled());
    EXPECT_EQ((GetWindowLongA(w, GWL_STYLE) & WS_VISIBLE) != 0, c->visible());
  }
  EXPECT_EQ(className(hwnd(form.caption)), "Static");
  EXPECT_EQ(windowText(hwnd(form.caption)), "Sesi\xF3n");
  EXPECT_EQ(className(hwnd(form.box)), "Button");
  EXPECT_EQ(GetWindowLongA(hwnd(form.box), GWL_STYLE) & BS_TYPEMASK, BS_CHECKBOX);
  EXPECT_EQ(GetWindowLongA(hwnd(form.first), GWL_STYLE) & BS_TYPEMASK, BS_RADIOBUTTON);
  EXPECT_EQ(check(hwnd(form.first)), static_cast<UINT>(BST_CHECKED));
  EXPECT_EQ(windowText(hwnd(form.off)), "No");
  // The image takes no mouse input: a hit on it belongs to the strip beneath.
  EXPECT_EQ(SendMessageA(hwnd(form.raised), WM_NCHITTEST, 0, 0), HTTRANSPARENT);
}

TEST_F(HostControls, ModelChangesReachTheWindowsWithoutComingBackAsClicks) {
  form.box.setValue(1);
  EXPECT_EQ(form.boxClicks, 1);
  EXPECT_EQ(check(hwnd(form.box)), static_cast<UINT>(BST_CHECKED));
  form.box.setValue(2);
  EXPECT_EQ(check(hwnd(form.box)), static_cast<UINT>(BST_INDETERMINATE));
  form.box.setValue(0);
  EXPECT_EQ(check(hwnd(form.box)), static_cast<UINT>(BST_UNCHECKED));

  form.second.select();
  EXPECT_EQ(check(hwnd(form.second)), static_cast<UINT>(BST_CHECKED));
  EXPECT_EQ(check(hwnd(form.first)), static_cast<UINT>(BST_UNCHECKED));

  form.off.setEnabled(true);
  EXPECT_TRUE(IsWindowEnabled(hwnd(form.off)));
  form.off.setCaption("Sí");
  EXPECT_EQ(windowText(hwnd(form.off)), "S\xED");
  form.strip.setVisible(false);
  EXPECT_FALSE(IsWindowVisible(hwnd(form.strip)));
  form.caption.setRect({300, 300, 900, 240});
  EXPECT_EQ(placeInParent(hwnd(form.caption)).left, 20);

  pump(100);
  EXPECT_EQ(form.boxClicks, 3);
  EXPECT_EQ(form.firstClicks, 0);
  EXPECT_EQ(form.secondClicks, 1);
  EXPECT_EQ(form.buttonClicks, 0);
}

TEST_F(HostControls, AUserClickReachesTheModelOnceAndTheModelDecidesTheCheck) {
  SendMessageA(hwnd(form.box), BM_CLICK, 0, 0);
  pump(50);
  EXPECT_EQ(form.boxClicks, 1);
  EXPECT_EQ(form.box.value(), 1);
  EXPECT_EQ(check(hwnd(form.box)), static_cast<UINT>(BST_CHECKED));
  SendMessageA(hwnd(form.box), BM_CLICK, 0, 0);
  pump(50);
  EXPECT_EQ(form.boxClicks, 2);
  EXPECT_EQ(check(hwnd(form.box)), static_cast<UINT>(BST_UNCHECKED));

  SendMessageA(hwnd(form.second), BM_CLICK, 0, 0);
  SendMessageA(hwnd(form.second), BM_CLICK, 0, 0);  // already selected: nothing
  pump(50);
  EXPECT_EQ(form.secondClicks, 1);
  EXPECT_TRUE(form.second.selected());
  EXPECT_EQ(check(hwnd(form.first)), static_cast<UINT>(BST_UNCHECKED));

  SendMessageA(hwnd(form.button), BM_CLICK, 0, 0);
  pump(50);
  EXPECT_EQ(form.buttonClicks, 1);

  // A label has no click of its own in the window system: press and release.
  HWND label = hwnd(form.caption);
  PostMessageA(label, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
  PostMessageA(label, WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
  pump(50);
  EXPECT_EQ(form.captionClicks, 1);
  // Released outside: no click.
  PostMessageA(label, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
  PostMessageA(label, WM_LBUTTONUP, 0, MAKELPARAM(500, 3));
  pump(50);
  EXPECT_EQ(form.captionClicks, 1);

  // A disabled control forwards nothing.
  form.box.setEnabled(false);
  SendMessageA(hwnd(form.box), WM_COMMAND, 0, 0);
  SendMessageA(host.windowOf(form), WM_COMMAND, MAKEWPARAM(0, BN_CLICKED),
               reinterpret_cast<LPARAM>(hwnd(form.box)));
  EXPECT_EQ(form.boxClicks, 2);
}

TEST_F(HostControls, TabFollowsTheKeyboardOrderAndSkipsDisabledControls) {
  SetForegroundWindow(host.windowOf(form));
  SetFocus(hwnd(form.box));
  ASSERT_EQ(GetFocus(), hwnd(form.box));
  std::vector<HWND> focused;
  auto tabAgain = [&] {
    focused.push_back(GetFocus());
    PostMessageA(GetFocus(), WM_KEYDOWN, VK_TAB, 0);
  };
  PostMessageA(hwnd(form.box), WM_KEYDOWN, VK_TAB, 0);
  Later second(100, tabAgain);
  Later third(200, tabAgain);
  Later end(300, [&] {
    focused.push_back(GetFocus());
    host.quit();
  });
  EXPECT_EQ(host.run(), 0);
  ASSERT_EQ(focused.size(), 3u);
  EXPECT_EQ(focused[0], hwnd(form.button));  // "off" is disabled
  EXPECT_EQ(focused[1], hwnd(form.first));
  EXPECT_EQ(focused[2], hwnd(form.box));  // and round again
  EXPECT_EQ(form.buttonClicks, 0);
}

TEST_F(HostControls, EnterPressesTheFocusedButtonOnly) {
  SetFocus(hwnd(form.button));
  EXPECT_EQ(form.focus(), &form.button);  // the window's focus is the model's
  PostMessageA(hwnd(form.button), WM_KEYDOWN, VK_RETURN, 0);
  Later onTheBox(100, [&] {
    SetFocus(hwnd(form.box));
    PostMessageA(hwnd(form.box), WM_KEYDOWN, VK_RETURN, 0);
  });
  Later end(250, [&] { host.quit(); });
  host.run();
  EXPECT_EQ(form.focus(), &form.box);
  EXPECT_EQ(form.buttonClicks, 1);
  EXPECT_EQ(form.boxClicks, 0);
}

TEST_F(HostControls, MouseMovesReportTwipsOfTheirOwnWindow) {
  double x = -1, y = -1;
  form.strip.onMouseMove = [&](double mx, double my) { x = mx, y = my; };
  SendMessageA(hwnd(form.strip), WM_MOUSEMOVE, 0, MAKELPARAM(20, 3));
  EXPECT_EQ(x, 300);
  EXPECT_EQ(y, 45);
  double fx = -1;
  form.onMouseMove = [&](double mx, double) { fx = mx; };
  SendMessageA(host.windowOf(form), WM_MOUSEMOVE, 0, MAKELPARAM(7, 7));
  EXPECT_EQ(fx, 105);
}

TEST_F(HostControls, PicturesAndTooltipsFollowTheModel) {
  EXPECT_NE(SendMessageA(hwnd(form.button), BM_GETIMAGE, IMAGE_BITMAP, 0), 0);
  EXPECT_NE(GetWindowLongA(hwnd(form.button), GWL_STYLE) & BS_BITMAP, 0);
  form.button.setPicture("");
  EXPECT_EQ(SendMessageA(hwnd(form.button), BM_GETIMAGE, IMAGE_BITMAP, 0), 0);
  EXPECT_EQ(GetWindowLongA(hwnd(form.button), GWL_STYLE) & BS_BITMAP, 0);

  HWND tips = nullptr;
  EnumThreadWindows(GetCurrentThreadId(), findOwnedTooltips, reinterpret_cast<LPARAM>(&tips));
  ASSERT_NE(tips, nullptr);
  EXPECT_EQ(SendMessageA(tips, TTM_GETTOOLCOUNT, 0, 0), 0);
  form.strip.setTooltip("Ocultar");
  EXPECT_EQ(SendMessageA(tips, TTM_GETTOOLCOUNT, 0, 0), 1);
  auto tipText = [&] {
    char text[80] = {};
    TOOLINFOA info{};
    info.cbSize = TTTOOLINFOA_V2_SIZE;
    info.hwnd = host.windowOf(form);
    info.uId = reinterpret_cast<UINT_PTR>(hwnd(form.strip));
    info.lpszText = text;
    SendMessageA(tips, TTM_GETTEXTA, sizeof text, reinterpret_cast<LPARAM>(&info));
    return std::string(text);
  };
  EXPECT_EQ(tipText(), "Ocultar");
  form.strip.setTooltip("Acerca de Vodivuri");
  EXPECT_EQ(tipText(), "Acerca de Vodivuri");
  form.strip.setTooltip("");
  EXPECT_EQ(SendMessageA(tips, TTM_GETTOOLCOUNT, 0, 0), 0);
}

// A window opened once must not keep its bitmaps for the program's life, also
// when it unloads from inside one of its own handlers.
TEST_F(HostControls, AnUnloadedWindowGivesItsPicturesBack) {
  SmallForm other{host};
  other.show();
  other.button.setPicture("arrow_down.bmp");
  ASSERT_TRUE(host.pictures().holdsBitmap("arrow_down.bmp"));
  other.unload();
  EXPECT_FALSE(host.pictures().holdsBitmap("arrow_down.bmp"));
  // Still shown by the first window.
  EXPECT_TRUE(host.pictures().holdsBitmap("arrow_up.bmp"));
  EXPECT_TRUE(host.pictures().holdsBitmap("toolbar.bmp"));

  other.show();
  other.button.setPicture("arrow_down.bmp");
  EXPECT_NE(SendMessageA(hwnd(other.button), BM_GETIMAGE, IMAGE_BITMAP, 0), 0);
  other.button.onClick = [&] { other.unload(); };
  SendMessageA(hwnd(other.button), BM_CLICK, 0, 0);
  ASSERT_FALSE(other.loaded());
  {
    Later quit(10, [&] { host.quit(); });
    host.run();  // the buried window goes at the loop's next turn
  }
  EXPECT_FALSE(host.pictures().holdsBitmap("arrow_down.bmp"));
}

TEST_F(HostControls, TheCloseBoxAsksTheModelWhichMayRefuse) {
  bool refuse = true;
  form.onQueryClose = [&] { return refuse; };
  SendMessageA(host.windowOf(form), WM_CLOSE, 0, 0);
  EXPECT_TRUE(form.loaded());
  EXPECT_TRUE(IsWindowVisible(host.windowOf(form)));
  refuse = false;
  SendMessageA(host.windowOf(form), WM_CLOSE, 0, 0);
  EXPECT_FALSE(form.loaded());
  EXPECT_EQ(host.windowOf(form), nullptr);
  EXPECT_EQ(hwnd(form.box), nullptr);
}

TEST_F(HostControls, TheBackgroundIsTheGradientWithTheLinesOverIt) {
  HWND window = host.windowOf(form);
  SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  pump(100);
  HDC dc = GetDC(window);
  const COLORREF top = GetPixel(dc, 250, 1);
  const COLORREF bottom = GetPixel(dc, 250, 198);
  const COLORREF line = GetPixel(dc, 100, 160);
  const COLORREF besideLine = GetPixel(dc, 100, 162);
  // The transparent label lets the gradient through around its text.
  const COLORREF label = GetPixel(dc, 10 + 98, 10 + 1);
  const COLORREF formBesideLabel = GetPixel(dc, 10 + 101, 10 + 1);
  ReleaseDC(window, dc);
  EXPECT_EQ(top, RGB(0, 0, blueAt(1, 200)));
  EXPECT_EQ(bottom, RGB(0, 0, blueAt(198, 200)));
  EXPECT_GT(blueAt(198, 200), 250);
  EXPECT_EQ(line, RGB(255, 255, 255));
  EXPECT_EQ(GetRValue(besideLine), 0);
  EXPECT_EQ(label, formBesideLabel);
}

}  // namespace
}  // namespace vodivuri::win32
