// The main window's keys on the Win32 host: each press reaches the core once
// and never the button as well, the model's focus is the window focus both
// ways, and a shell that knows the keyboard opens the menu once.
#include <gtest/gtest.h>

#include <functional>
#include <list>
#include <string>
#include <vector>

#include "app/program.hpp"
#include "frontend/win32/win32_host.hpp"
#include "support/program_doubles.hpp"
#include "win32_support.hpp"

namespace vodivuri::win32 {
namespace {

using testing::Later;
using testing::pump;

class KeyboardOnWin32 : public ::testing::Test, protected vodivuri::testing::ProgramDoubles {
 protected:
  KeyboardOnWin32() {
    host.notifyIcon = [this](DWORD action, NOTIFYICONDATAA* record) {
      shell.push_back({action, *record});
      return action == NIM_SETVERSION ? shellKnowsKeys : TRUE;
    };
    vodivuri::testing::storeArmedShutdown(program.store, "23");
  }

  void start() {
    program.start();
    main.show();
    SetForegroundWindow(hwnd(main));
    pump(30);
  }
  HWND hwnd(const toolkit::Form& f) const { return host.windowOf(f); }
  HWND hwnd(const toolkit::Control& c) const { return host.windowOf(c); }
  // A key as the keyboard delivers it: press, its character, release.
  static void type(HWND w, WPARAM key, char character = 0) {
    PostMessageA(w, WM_KEYDOWN, key, 1);
    if (character != 0) PostMessageA(w, WM_CHAR, static_cast<WPARAM>(character), 1);
    PostMessageA(w, WM_KEYUP, key, static_cast<LPARAM>(0xC0000001u));
  }
  // Runs each step in turn from the host's own loop, where the keys are
  // decided, 150 ms apart; the host quits after the last.
  void steps(std::vector<std::function<void()>> actions) {
    std::list<Later> later;
    UINT at = 50;
    for (auto& a : actions) {
      later.emplace_back(at, std::move(a));
      at += 150;
    }
    Later end(at, [&] { host.quit(); });
    host.run();
  }

  struct Call {
    DWORD action;
    NOTIFYICONDATAA record;
  };
  std::vector<Call> shell;
  BOOL shellKnowsKeys = TRUE;
  Win32Host host{GetModuleHandleA(nullptr)};
  app::Program program{services(host)};
  mainwindow::frmTransparente& main = program.frmTransparente;
};

TEST_F(KeyboardOnWin32, SpaceTogglesACheckBoxOnceAndReturnDoesNot) {
  start();
  main.setFocus(&main.chReSist);
  ASSERT_EQ(GetFocus(), hwnd(main.chReSist));
  HWND box = hwnd(main.chReSist);
  std::vector<int> values;
  auto seen = [&] { values.push_back(main.chReSist.value()); };
  steps({[&] { type(box, VK_SPACE, ' '); },
         [&] {
           seen();
           EXPECT_EQ(program.store.readSetting("ReiniciarSistema"), "True");
           EXPECT_EQ(program.store.readSetting("ApagarSistema"), "False");
           type(box, VK_RETURN, '\r');
         },
         [&] {
           seen();
           type(box, VK_SPACE, ' ');
         },
         [&] {
           seen();
           EXPECT_EQ(SendMessageA(box, BM_GETCHECK, 0, 0), BST_UNCHECKED);
         }});
  // The button's own Space (pressed on the key's release) never runs as well.
  EXPECT_EQ(values, (std::vector<int>{1, 1, 0}));
}

TEST_F(KeyboardOnWin32, UpAndDownOnTheArrowButtonsStepTheirValueOnly) {
  start();
  main.setFocus(&main.cmdAumHora);
  ASSERT_EQ(GetFocus(), hwnd(main.cmdAumHora));
  HWND up = hwnd(main.cmdAumHora);
  std::vector<std::string> hours;
  steps({[&] {
           type(up, VK_UP);
           type(up, VK_UP);
           type(up, VK_DOWN);
         },
         [&] {
           hours.push_back(main.txtHora.caption());
           // Space presses the focused arrow button once, as a click does.
           type(up, VK_SPACE, ' ');
         },
         [&] {
           hours.push_back(main.txtHora.caption());
           EXPECT_EQ(GetFocus(), up);
         }});
  EXPECT_EQ(hours, (std::vector<std::string>{"00", "01"}));  // 23, 00, 01, 00; then 01
  EXPECT_EQ(main.txtMin.caption(), "30");
}

TEST_F(KeyboardOnWin32, TheModelsFocusAndTheWindowFocusFollowEachOther) {
  start();
  // The first showing starts on the first stop.
  EXPECT_EQ(main.focus(), &main.chApagar);
  EXPECT_EQ(GetFocus(), hwnd(main.chApagar));
  main.setFocus(&main.cmdCalendario);
  EXPECT_EQ(GetFocus(), hwnd(main.cmdCalendario));
  // A click on a button gives the model its focus, and clicks it.
  SendMessageA(hwnd(main.chReSes), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
  SendMessageA(hwnd(main.chReSes), WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
  EXPECT_EQ(main.focus(), &main.chReSes);
  EXPECT_EQ(main.chReSes.value(), 1);
  // Another window's activation and the way back: the focus returns to the
  // model's control, not to the form's own window.
  HWND other = CreateWindowExA(0, "STATIC", "otra", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr,
                               nullptr, nullptr, nullptr);
  SetActiveWindow(other);
  pump(30);
  SetActiveWindow(hwnd(main));
  pump(30);
  EXPECT_EQ(GetFocus(), hwnd(main.chReSes));
  DestroyWindow(other);
  // Tab goes on from there.
  steps({[&] { type(GetFocus(), VK_TAB); },
         [&] {
           EXPECT_EQ(main.focus(), &main.cmdAumMin);
           EXPECT_EQ(GetFocus(), hwnd(main.cmdAumMin));
         }});
}

TEST_F(KeyboardOnWin32, ADisabledFocusedControlLeavesTheKeysWithItsForm) {
  start();
  main.setFocus(&main.cmdAumMin);
  ASSERT_EQ(GetFocus(), hwnd(main.cmdAumMin));
  // No box ticked: the editor's buttons go grey, the focused one with them.
  main.chApagar.setValue(0);
  EXPECT_FALSE(main.cmdAumMin.enabled());
  EXPECT_EQ(GetFocus(), hwnd(main));
  steps({[&] { type(GetFocus(), VK_TAB); },
         [&] {
           ASSERT_NE(main.focus(), nullptr);
           EXPECT_NE(main.focus(), &main.cmdAumMin);
           EXPECT_EQ(GetFocus(), hwnd(*main.focus()));
         }});
}

TEST_F(KeyboardOnWin32, AShellThatKnowsTheKeyboardIsAskedAndOpensTheMenuOnce) {
  program.start();
  HWND receptor = hwnd(main.Receptor);
  const Call* asked = nullptr;
  for (const Call& c : shell) {
    if (c.action == NIM_SETVERSION) asked = &c;
  }
  ASSERT_NE(asked, nullptr);
  EXPECT_EQ(asked->record.uVersion, static_cast<UINT>(NOTIFYICON_VERSION));
  EXPECT_EQ(asked->record.cbSize, static_cast<DWORD>(NOTIFYICONDATAA_V2_SIZE));
  EXPECT_EQ(asked->record.hWnd, receptor);
  EXPECT_EQ(asked->record.uID, host.trayRecordOf(main.Receptor)->uID);
  // The callback stays WM_MOUSEMOVE.
  EXPECT_EQ(host.trayRecordOf(main.Receptor)->uCallbackMessage, 0x200u);

  int menus = 0;
  host.onPopupMenuOpened = [&](HMENU) {
    ++menus;
    EndMenu();
  };
  // A right click: press, release, then WM_CONTEXTMENU; one menu.
  for (LPARAM m : {0x204, 0x205, 0x7B}) SendMessageA(receptor, WM_MOUSEMOVE, 0, m);
  EXPECT_EQ(menus, 1);
  // A single click's NIN_SELECT does nothing; Enter's NIN_KEYSELECT shows the window.
  SendMessageA(receptor, WM_MOUSEMOVE, 0, 0x201);
  SendMessageA(receptor, WM_MOUSEMOVE, 0, 0x202);
  SendMessageA(receptor, WM_MOUSEMOVE, 0, 0x400);
  EXPECT_FALSE(IsWindowVisible(hwnd(main)));
  SendMessageA(receptor, WM_MOUSEMOVE, 0, 0x401);
  EXPECT_TRUE(IsWindowVisible(hwnd(main)));
  EXPECT_EQ(main.mnuMax.caption(), "Minimizar");
}

TEST_F(KeyboardOnWin32, AnOlderShellKeepsTheRightButtonsPress) {
  shellKnowsKeys = FALSE;
  program.start();
  int menus = 0;
  host.onPopupMenuOpened = [&](HMENU) {
    ++menus;
    EndMenu();
  };
  SendMessageA(hwnd(main.Receptor), WM_MOUSEMOVE, 0, 0x204);
  SendMessageA(hwnd(main.Receptor), WM_MOUSEMOVE, 0, 0x205);
  EXPECT_EQ(menus, 1);
  // The taskbar restarted: the icon is added and the shell asked again.
  shell.clear();
  shellKnowsKeys = TRUE;
  SendMessageA(host.hostWindow(), RegisterWindowMessageA("TaskbarCreated"), 0, 0);
  ASSERT_EQ(shell.size(), 2u);
  EXPECT_EQ(shell[0].action, static_cast<DWORD>(NIM_ADD));
  EXPECT_EQ(shell[1].action, static_cast<DWORD>(NIM_SETVERSION));
  SendMessageA(hwnd(main.Receptor), WM_MOUSEMOVE, 0, 0x204);
  EXPECT_EQ(menus, 1);
}

}  // namespace
}  // namespace vodivuri::win32
