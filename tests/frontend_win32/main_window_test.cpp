// The real main window on the Win32 host: its controls as child windows at
// their places, the tray record handed to the shell, the receiver's mouse
// messages, the close box, the taskbar's restart and the session's end.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <initializer_list>
#include <vector>

#include "app/program.hpp"
#include "frontend/win32/win32_host.hpp"
#include "support/program_doubles.hpp"
#include "toolkit/geometry.hpp"
#include "win32_support.hpp"

namespace vodivuri::win32 {
namespace {

using testing::className;
using testing::placeInParent;
using testing::pump;
using toolkit::ControlKind;

struct ShellCall {
  DWORD action;
  NOTIFYICONDATAA record;
};

class MainWindowOnWin32 : public ::testing::Test, protected vodivuri::testing::ProgramDoubles {
 protected:
  MainWindowOnWin32() {
    // A shell before 5.0: it takes the icon and refuses NIM_SETVERSION.
    host.notifyIcon = [this](DWORD action, NOTIFYICONDATAA* record) {
      if (action == NIM_SETVERSION) return FALSE;
      calls.push_back({action, *record});
      return TRUE;
    };
    // Settings of an earlier run: no first-start question.
    vodivuri::testing::storeEarlierRun(program.store, {{"Siempre", "True"}});
    program.start();
  }

  std::vector<ShellCall> calls;
  Win32Host host{GetModuleHandleA(nullptr)};
  app::Program program{services(host)};
  mainwindow::frmTransparente& main = program.frmTransparente;

  HWND hwnd(const toolkit::Control& c) const { return host.windowOf(c); }
  static int px(int twips) { return twips / 15; }
};

// Every control with a window of its own stands where its layout puts it.
void expectControlsAtTheirPlaces(const Win32Host& host, const toolkit::Form& form) {
  HWND window = host.windowOf(form);
  ASSERT_NE(window, nullptr);
  for (toolkit::Control* c : form.controls()) {
    SCOPED_TRACE(form.name() + "." + c->name());
    const ControlKind kind = c->kind();
    if (kind == ControlKind::Timer || kind == ControlKind::MenuEntry || kind == ControlKind::Line) {
      EXPECT_EQ(host.windowOf(*c), nullptr);
      continue;
    }
    HWND w = host.windowOf(*c);
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(GetParent(w), c->container() ? host.windowOf(*c->container()) : window);
    EXPECT_EQ((GetWindowLongA(w, GWL_STYLE) & WS_VISIBLE) != 0, c->visible());
    EXPECT_EQ(IsWindowEnabled(w) != FALSE, c->enabled());
    const RECT r = placeInParent(w);
    const toolkit::Rect& t = c->rect();
    EXPECT_EQ(r.left, t.left / 15);
    EXPECT_EQ(r.top, t.top / 15);
    if (!c->state().autoSize) {
      EXPECT_EQ(r.right - r.left, t.width / 15);
      EXPECT_EQ(r.bottom - r.top, t.height / 15);
    }
  }
}

TEST_F(MainWindowOnWin32, TheSecondaryWindowsStandAtTheirPlacesAndCloseOnEsc) {
  for (toolkit::Form* form : std::initializer_list<toolkit::Form*>{
           &program.Calen, &program.frmAcercaDe, &program.frmAyuda}) {
    SCOPED_TRACE(form->name());
    program.state.ChildClosed = 0;
    bool seen = false;
    testing::Later look(300, [&] {
      seen = true;
      HWND window = host.windowOf(*form);
      ASSERT_NE(window, nullptr);
      EXPECT_FALSE(IsWindowEnabled(host.windowOf(main)));
      RECT client;
      GetClientRect(window, &client);
      const toolkit::PixelSize expected =
          form->width() ? toolkit::clientForOuter(form->layout().border,
                                                  {*form->width() / 15, *form->height() / 15})
                        : toolkit::PixelSize{form->layout().clientWidth / 15,
                                             form->layout().clientHeight / 15};
      EXPECT_EQ(client.right, expected.width);
      EXPECT_EQ(client.bottom, expected.height);
      expectControlsAtTheirPlaces(host, *form);
      PostMessageA(window, WM_KEYDOWN, VK_ESCAPE, 0);
    });
    testing::Later giveUp(3000, [&] {
      ADD_FAILURE() << "Esc did not close it";
      form->unload();
    });
    form->showModal(main);
    EXPECT_TRUE(seen);
    EXPECT_FALSE(form->loaded());
    EXPECT_EQ(program.state.ChildClosed, 2);
  }
}

TEST_F(MainWindowOnWin32, EveryControlStandsAtItsPlace) {
  ASSERT_EQ(host.twipsPerPixelX(), 15);
  HWND window = host.windowOf(main);
  ASSERT_NE(window, nullptr);
  RECT client;
  GetClientRect(window, &client);
  EXPECT_EQ(client.right, 381);
  EXPECT_EQ(client.bottom, 301);
  EXPECT_EQ(GetWindowLongA(window, GWL_STYLE) & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME),
            0);

  expectControlsAtTheirPlaces(host, main);
  int windows = 0;
  for (toolkit::Control* c : main.controls()) {
    HWND w = hwnd(*c);
    if (w == nullptr) continue;
    ++windows;
    if (c->kind() == ControlKind::Label) {
      EXPECT_EQ(className(w), "Static") << c->name();
    }
    if (c->kind() == ControlKind::CheckBox) {
      EXPECT_EQ(GetWindowLongA(w, GWL_STYLE) & BS_TYPEMASK, BS_CHECKBOX) << c->name();
    }
  }
  EXPECT_EQ(windows, 33);  // 26 in the visible area, Receptor and the six stored images

  // The receiver: a real child window of its own, below the visible area.
  HWND receptor = hwnd(main.Receptor);
  EXPECT_EQ(GetParent(receptor), window);
  EXPECT_GE(placeInParent(receptor).top, client.bottom);
  EXPECT_EQ(placeInParent(receptor).left, 345);
}

TEST_F(MainWindowOnWin32, TheIconIsRegisteredWithTheReceiverAndItsMessagesReachTheModel) {
  ASSERT_FALSE(calls.empty());
  const ShellCall& add = calls.front();
  EXPECT_EQ(add.action, static_cast<DWORD>(NIM_ADD));
  const NOTIFYICONDATAA& r = add.record;
  EXPECT_EQ(r.cbSize, static_cast<DWORD>(NOTIFYICONDATAA_V1_SIZE));
  EXPECT_EQ(r.cbSize, offsetof(NOTIFYICONDATAA, szTip) + 64);
  if (sizeof(void*) == 4) {
    EXPECT_EQ(r.cbSize, 88u);  // the first ANSI form on 32-bit Windows
  }
  EXPECT_EQ(r.uFlags, 7u);
  EXPECT_EQ(r.uCallbackMessage, 0x200u);
  HWND receptor = hwnd(main.Receptor);
  EXPECT_EQ(r.hWnd, receptor);
  EXPECT_EQ(r.uID, static_cast<UINT>(reinterpret_cast<UINT_PTR>(receptor)));
  EXPECT_STREQ(r.szTip, "Vodivuri");
  for (std::size_t i = 9; i < 64; ++i) EXPECT_EQ(r.szTip[i], ' ') << i;
  EXPECT_EQ(host.trayRecordOf(main.Receptor)->hWnd, receptor);

  // The shell's callback: WM_MOUSEMOVE with the mouse message as x.
  SendMessageA(receptor, WM_MOUSEMOVE, 0, 0x201);  // a single left click: nothing
  EXPECT_EQ(main.mnuMax.caption(), "Maximizar");
  SendMessageA(receptor, WM_MOUSEMOVE, 0, 0x203);  // left double-click: shown
  EXPECT_TRUE(IsWindowVisible(host.windowOf(main)));
  EXPECT_EQ(main.mnuMax.caption(), "Minimizar");

  bool opened = false;
  host.onPopupMenuOpened = [&](HMENU menu) {
    opened = true;
    char text[64] = {};
    const UINT def = GetMenuDefaultItem(menu, TRUE, GMDI_USEDISABLED);
    GetMenuStringA(menu, def, text, sizeof text, MF_BYPOSITION);
    EXPECT_STREQ(text, "Minimizar");
    EndMenu();
  };
  SendMessageA(receptor, WM_MOUSEMOVE, 0, 0x204);  // right press: the menu
  EXPECT_TRUE(opened);

  // The taskbar restarted: the icon comes back.
  calls.clear();
  SendMessageA(host.hostWindow(), RegisterWindowMessageA("TaskbarCreated"), 0, 0);
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].action, static_cast<DWORD>(NIM_ADD));
  EXPECT_EQ(std::memcmp(&calls[0].record, &add.record, add.record.cbSize), 0);
}

TEST_F(MainWindowOnWin32, ANotificationIsABalloonFromTheIconItself) {
  const toolkit::TrayIcon icon{"Vodivuri", "vodivuri.ico", &main.Receptor};
  calls.clear();
  host.trayNotification(icon, "Vodivuri", "El equipo se apagará en un minuto");
  ASSERT_EQ(calls.size(), 1u);
  const NOTIFYICONDATAA& r = calls[0].record;
  EXPECT_EQ(calls[0].action, static_cast<DWORD>(NIM_MODIFY));
  EXPECT_EQ(r.cbSize, static_cast<DWORD>(NOTIFYICONDATAA_V2_SIZE));
  EXPECT_EQ(r.uFlags, static_cast<UINT>(NIF_INFO));
  EXPECT_EQ(r.hWnd, hwnd(main.Receptor));
  EXPECT_EQ(r.uID, static_cast<UINT>(reinterpret_cast<UINT_PTR>(hwnd(main.Receptor))));
  EXPECT_STREQ(r.szInfoTitle, "Vodivuri");
  EXPECT_STREQ(r.szInfo, "El equipo se apagar\xE1 en un minuto");

  // Without an icon there is nothing to show it from.
  toolkit::PictureBox stranger{main, "stranger", {}};
  calls.clear();
  host.trayNotification({"Vodivuri", "vodivuri.ico", &stranger}, "Vodivuri", "texto");
  EXPECT_TRUE(calls.empty());
}

TEST_F(MainWindowOnWin32, TheCloseBoxNeverClosesTheWindow) {
  SendMessageA(hwnd(main.Receptor), WM_MOUSEMOVE, 0, 0x203);
  HWND window = host.windowOf(main);
  ASSERT_TRUE(IsWindowVisible(window));
  SendMessageA(window, WM_CLOSE, 0, 0);
  pump(50);
  EXPECT_TRUE(main.loaded());
  EXPECT_EQ(host.windowOf(main), window);
  if (host.trayAvailable()) {
    EXPECT_FALSE(IsWindowVisible(window));
    EXPECT_EQ(main.mnuMax.caption(), "Maximizar");
  } else {
    EXPECT_TRUE(IsIconic(window));
  }
}

TEST_F(MainWindowOnWin32, TheSessionEndsAfterThePositionIsStoredAndTheIconRemoved) {
  HWND window = host.windowOf(main);
  SetWindowPos(window, nullptr, 200, 150, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  EXPECT_EQ(SendMessageA(host.hostWindow(), WM_QUERYENDSESSION, 0, 0), TRUE);
  EXPECT_FALSE(host.quitting());  // asking is not ending
  SendMessageA(host.hostWindow(), WM_ENDSESSION, TRUE, 0);
  EXPECT_TRUE(host.quitting());
  EXPECT_EQ(program.store.readSetting("Left"), "3000");
  EXPECT_EQ(program.store.readSetting("Top"), "2250");
  ASSERT_FALSE(calls.empty());
  EXPECT_EQ(calls.back().action, static_cast<DWORD>(NIM_DELETE));
  EXPECT_EQ(calls.back().record.hWnd, hwnd(main.Receptor));
  EXPECT_EQ(host.run(), 0);
}

}  // namespace
}  // namespace vodivuri::win32
