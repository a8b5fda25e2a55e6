// The real main window on the Win32 host, as the keyboard, the shell and the
// screens meet it: Tab and the arrows through the option group, an icon the
// shell refuses at first, places off every screen, covered and owned windows.
#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <list>
#include <vector>

#include "app/program.hpp"
#include "frontend/win32/records.hpp"
#include "frontend/win32/win32_host.hpp"
#include "support/program_doubles.hpp"
#include "win32_support.hpp"

namespace vodivuri::win32 {
namespace {

using testing::Later;
using testing::pump;

// What Windows' own radio button does and Wine's does not: given the focus
// while unchecked, and not by a mouse press, it tells its parent it was clicked.
WNDPROC gRealButton = nullptr;
LRESULT CALLBACK windowsRadioButton(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  const LRESULT result = CallWindowProcA(gRealButton, hwnd, message, wParam, lParam);
  if (message == WM_SETFOCUS && GetCapture() != hwnd &&
      SendMessageA(hwnd, BM_GETCHECK, 0, 0) != BST_CHECKED) {
    SendMessageA(GetParent(hwnd), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(hwnd), BN_CLICKED),
                 reinterpret_cast<LPARAM>(hwnd));
  }
  return result;
}

class MainWindowKeys : public ::testing::Test, protected vodivuri::testing::ProgramDoubles {
 protected:
  MainWindowKeys() {
    host.notifyIcon = [this](DWORD action, NOTIFYICONDATAA*) {
      if (action != NIM_ADD) return TRUE;
      ++adds;
      return adds > refusedAdds ? TRUE : FALSE;
    };
    // An armed one-date shutdown of an earlier run.
    vodivuri::testing::storeArmedShutdown(program.store, "23");
  }

  void start() {
    program.start();
    main.show();
    SetForegroundWindow(hwnd(main));
    for (const toolkit::OptionButton* o : {&main.opSiempre, &main.opSelFecha}) {
      ControlRecord* record = host.controlRecord(hwnd(*o));
      ASSERT_NE(record, nullptr);
      gRealButton = record->baseProcedure;
      record->baseProcedure = windowsRadioButton;
    }
  }
  std::string stored(const char* name) { return program.store.readSetting(name); }

  HWND hwnd(const toolkit::Form& f) const { return host.windowOf(f); }
  HWND hwnd(const toolkit::Control& c) const { return host.windowOf(c); }

  int adds = 0;
  int refusedAdds = 0;
  Win32Host host{GetModuleHandleA(nullptr)};
  app::Program program{services(host)};
  mainwindow::frmTransparente& main = program.frmTransparente;
};

TEST_F(MainWindowKeys, TabNeverChoosesAnOptionAndTheGroupIsOneStop) {
  start();
  ASSERT_TRUE(main.opSelFecha.selected());
  SetFocus(hwnd(main.chApagar));
  std::vector<HWND> focused;
  std::list<Later> steps;
  // Twice round the window, each Tab from wherever the focus is then.
  for (int i = 0; i < 20; ++i) {
    steps.emplace_back(60 * (i + 1), [&] {
      focused.push_back(GetFocus());
      PostMessageA(GetFocus(), WM_KEYDOWN, VK_TAB, 0);
    });
  }
  Later end(60 * 21 + 100, [&] { host.quit(); });
  host.run();
  EXPECT_TRUE(main.opSelFecha.selected());
  EXPECT_FALSE(main.opSiempre.selected());
  EXPECT_EQ(stored("Siempre"), "False");
  // The group's stop is its selected button; the other is never visited.
  EXPECT_EQ(std::count(focused.begin(), focused.end(), hwnd(main.opSelFecha)), 2);
  EXPECT_EQ(std::count(focused.begin(), focused.end(), hwnd(main.opSiempre)), 0);
}

TEST_F(MainWindowKeys, TheFocusGivenToAnOptionButtonIsNoClick) {
  start();
  // A window's reactivation gives the focus back to an unchecked radio button.
  SetFocus(hwnd(main.opSiempre));
  pump(50);
  EXPECT_EQ(GetFocus(), hwnd(main.opSiempre));
  EXPECT_TRUE(main.opSelFecha.selected());
  EXPECT_EQ(stored("Siempre"), "False");
  // A press still is one.
  SendMessageA(hwnd(main.opSiempre), BM_CLICK, 0, 0);
  pump(50);
  EXPECT_TRUE(main.opSiempre.selected());
  EXPECT_EQ(stored("Siempre"), "True");
}

TEST_F(MainWindowKeys, TheArrowsMoveInsideTheGroupAndChooseAsTheUserDoes) {
  start();
  SetFocus(hwnd(main.opSelFecha));
  PostMessageA(hwnd(main.opSelFecha), WM_KEYDOWN, VK_DOWN, 0);
  Later check(150, [&] {
    EXPECT_EQ(GetFocus(), hwnd(main.opSiempre));
    EXPECT_TRUE(main.opSiempre.selected());
    PostMessageA(GetFocus(), WM_KEYDOWN, VK_UP, 0);
  });
  Later back(300, [&] {
    EXPECT_EQ(GetFocus(), hwnd(main.opSelFecha));
    host.quit();
  });
  host.run();
  EXPECT_TRUE(main.opSelFecha.selected());
  EXPECT_EQ(stored("Siempre"), "False");
}

TEST_F(MainWindowKeys, AnIconTheShellRefusesIsOfferedAgainAndUntilThenHidingMinimises) {
  refusedAdds = 2;  // Explorer still starting
  host.trayRetryMs = 50;
  program.start();
  HWND window = hwnd(main);
  // The first activation could not hide the window behind an icon.
  EXPECT_TRUE(IsWindowVisible(window));
  EXPECT_TRUE(IsIconic(window));
  EXPECT_EQ(host.trayRecordOf(main.Receptor), nullptr);
  bool taken = false;
  std::list<Later> checks;
  for (int i = 1; i <= 40; ++i) {
    checks.emplace_back(50 * i, [&] {
      if (!taken && host.trayRecordOf(main.Receptor) != nullptr) {
        taken = true;
        host.quit();
      }
    });
  }
  Later giveUp(2500, [&] { host.quit(); });
  host.run();
  ASSERT_TRUE(taken) << "the icon was never offered again";
  EXPECT_EQ(adds, 3);
  // With the icon there, hiding hides.
  main.show();
  main.userRequestClose();
  EXPECT_FALSE(IsWindowVisible(window));
}

TEST_F(MainWindowKeys, APlaceOffEveryScreenComesBackWithinTheWorkArea) {
  // Stored while a second monitor stood to the right and below.
  program.store.writeSetting("Left", "40000");
  program.store.writeSetting("Top", "30000");
  start();
  RECT area;
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
  RECT w;
  GetWindowRect(hwnd(main), &w);
  EXPECT_GE(w.left, area.left);
  EXPECT_GE(w.top, area.top);
  EXPECT_LE(w.right, area.right);
  EXPECT_LE(w.bottom, area.bottom);
  // The model knows where the window really is, so that is what is stored.
  ASSERT_TRUE(main.left().has_value());
  EXPECT_EQ(*main.left(), w.left * 15);
}

// Which of two top-level windows lies above the other.
bool above(HWND a, HWND b) {
  for (HWND w = GetTopWindow(nullptr); w != nullptr; w = GetWindow(w, GW_HWNDNEXT)) {
    if (w == a) return true;
    if (w == b) return false;
  }
  return false;
}

TEST_F(MainWindowKeys, ADoubleClickOnTheIconBringsACoveredWindowToTheFront) {
  start();
  HWND window = hwnd(main);
  RECT r;
  GetWindowRect(window, &r);
  HWND cover =
      CreateWindowExA(0, "STATIC", "cover", WS_POPUP | WS_VISIBLE, r.left, r.top, r.right - r.left,
                      r.bottom - r.top, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(cover, nullptr);
  SetWindowPos(cover, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  pump(50);
  ASSERT_TRUE(above(cover, window));
  // The icon's left double-click reaches the receiver as a mouse move.
  SendMessageA(hwnd(main.Receptor), WM_MOUSEMOVE, 0, MAKELPARAM(WM_LBUTTONDBLCLK, 0));
  pump(50);
  EXPECT_TRUE(above(window, cover));
  DestroyWindow(cover);
}

TEST_F(MainWindowKeys, ASecondaryWindowBelongsToTheWindowThatWaits) {
  start();
  for (toolkit::Form* form : std::initializer_list<toolkit::Form*>{
           &program.Calen, &program.frmAcercaDe, &program.frmAyuda}) {
    SCOPED_TRACE(form->name());
    program.state.ChildClosed = 0;
    bool seen = false;
    Later look(200, [&] {
      seen = true;
      HWND window = hwnd(*form);
      EXPECT_EQ(GetWindow(window, GW_OWNER), hwnd(main));
      EXPECT_EQ(GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_APPWINDOW, 0);
      form->unload();
    });
    form->showModal(main);
    EXPECT_TRUE(seen);
  }
}

}  // namespace
}  // namespace vodivuri::win32
