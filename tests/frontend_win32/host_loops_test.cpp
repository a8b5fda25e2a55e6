// The Win32 host's loops: modal windows that block their caller while timers
// tick, Esc closing them, message boxes, popup menus, and quitting from deep
// inside nested loops.
#include <gtest/gtest.h>

#include <optional>

#include "frontend/win32/win32_host.hpp"
#include "win32_support.hpp"

namespace vodivuri::win32 {
namespace {

using testing::Later;
using testing::pump;
using testing::windowText;

class Window : public toolkit::Form {
 public:
  Window(toolkit::Host& host, std::string name)
      : Form(host, std::move(name),
             {.caption = "Ventana", .clientWidth = 3000, .clientHeight = 2000}) {}
  toolkit::Button button{*this, "button", {.rect = {150, 150, 900, 300}, .caption = "Botón"}};
  toolkit::Timer timer{*this, "timer", 50, false};
};

class HostLoops : public ::testing::Test {
 protected:
  Win32Host host{GetModuleHandleA(nullptr)};
  Window main{host, "main"};
  Window dialog{host, "dialog"};
};

TEST_F(HostLoops, AModalWindowBlocksItsCallerWhileTimersTickAndEscClosesIt) {
  main.show();
  int ticks = 0;
  bool mainEnabledMeanwhile = true;
  main.timer.onTick = [&] {
    ++ticks;
    mainEnabledMeanwhile = IsWindowEnabled(host.windowOf(main)) != FALSE;
  };
  main.timer.setEnabled(true);
  dialog.onKeyDown = [&](int key) {
    if (key == toolkit::kKeyEscape) dialog.unload();
  };
  // Esc pressed while a child button has the focus still reaches the form.
  Later later1(400, [&] {
    HWND button = host.windowOf(dialog.button);
    SetFocus(button);
    PostMessageA(button, WM_KEYDOWN, VK_ESCAPE, 0);
  });
  Later giveUp(3000, [&] {
    ADD_FAILURE() << "Esc did not reach the form";
    dialog.unload();
  });
  const DWORD start = GetTickCount();
  dialog.showModal(main);
  const DWORD blocked = GetTickCount() - start;

  EXPECT_FALSE(dialog.loaded());
  EXPECT_GE(blocked, 350u);
  EXPECT_GE(ticks, 4);
  EXPECT_FALSE(mainEnabledMeanwhile);
  EXPECT_TRUE(IsWindowEnabled(host.windowOf(main)));
  EXPECT_EQ(host.windowOf(dialog), nullptr);
}

// A set clock or a suspend's end: a timer far from its tick runs at once,
// then waits on the wall clock again.
TEST_F(HostLoops, AClockChangeOrAResumeTicksTheTimersAtOnce) {
  main.show();
  int ticks = 0;
  main.timer.onTick = [&] { ++ticks; };
  main.timer.setInterval(60000);
  main.timer.setEnabled(true);
  pump(100);
  ASSERT_EQ(ticks, 0);
  SendMessageA(host.hostWindow(), WM_TIMECHANGE, 0, 0);
  pump(300);
  EXPECT_EQ(ticks, 1);
  EXPECT_EQ(SendMessageA(host.hostWindow(), WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC, 0), TRUE);
  SendMessageA(host.hostWindow(), WM_POWERBROADCAST, PBT_APMSUSPEND, 0);  // going to sleep: no
  pump(300);
  EXPECT_EQ(ticks, 2);
}

TEST_F(HostLoops, AModalWindowUnloadedByItsOwnTimerEndsItsLoop) {
  main.show();
  int ticks = 0;
  dialog.timer.onTick = [&] {
    if (++ticks == 3) dialog.unload();
  };
  // Loading starts a form afresh from its layout: its timer is switched on once loaded.
  dialog.onLoad = [&] { dialog.timer.setEnabled(true); };
  bool returned = false;
  Later later2(3000, [&] {
    ADD_FAILURE() << "the modal loop did not end";
    dialog.unload();
  });
  dialog.showModal(main);
  returned = true;
  EXPECT_TRUE(returned);
  EXPECT_EQ(ticks, 3);
  pump(150);  // an unloaded form's timer no longer ticks
  EXPECT_EQ(ticks, 3);
}

TEST_F(HostLoops, QuitFromInsideNestedLoopsEndsThemAllAndRunReturnsZero) {
  main.show();
  toolkit::MessageAnswer answer = toolkit::MessageAnswer::Yes;
  bool modalReturned = false;
  main.button.onClick = [&] {
    dialog.showModal(main);
    modalReturned = true;
  };
  dialog.button.onClick = [&] {
    answer = toolkit::messageBox(host, "¿Seguro?", "Vodivuri", toolkit::MessageButtons::YesNo,
                                 toolkit::MessageIcon::Question);
  };
  // Inside the message box inside the modal window, a timer quits.
  std::optional<Later> quitSoon;
  host.onMessageBoxShown = [&](HWND) { quitSoon.emplace(50, [&] { host.quit(); }); };
  Later later3(100, [&] { PostMessageA(host.windowOf(dialog.button), BM_CLICK, 0, 0); });
  PostMessageA(host.windowOf(main.button), BM_CLICK, 0, 0);
  Later later4(5000, [&] {
    ADD_FAILURE() << "still running";
    host.quit();
  });
  EXPECT_EQ(host.run(), 0);
  EXPECT_TRUE(host.quitting());
  EXPECT_TRUE(modalReturned);
  EXPECT_EQ(answer, toolkit::MessageAnswer::Cancel);  // an unanswered question is no Yes
  // The windows are still there until the host goes: nothing was pulled from under a handler.
  EXPECT_TRUE(dialog.loaded());
  EXPECT_TRUE(IsWindow(host.windowOf(dialog)));
  // A request after the end does nothing and a second run returns at once.
  dialog.showModal(main);
  EXPECT_EQ(host.run(), 0);
}

TEST_F(HostLoops, MessageBoxesUseWindowsButtonsAndReturnTheAnswer) {
  std::string title, text;
  host.onMessageBoxShown = [&](HWND box) {
    title = windowText(box);
    char body[256] = {};
    GetDlgItemTextA(box, 0xFFFF, body, sizeof body);
    text = body;
    EXPECT_NE(GetDlgItem(box, IDYES), nullptr);
    EXPECT_NE(GetDlgItem(box, IDNO), nullptr);
    PostMessageA(box, WM_COMMAND, IDNO, 0);
  };
  EXPECT_EQ(toolkit::messageBox(host, "Seguro que quiere cerrar esta aplicación?", "Vodivuri",
                                toolkit::MessageButtons::YesNo, toolkit::MessageIcon::Question),
            toolkit::MessageAnswer::No);
  EXPECT_EQ(title, "Vodivuri");
  EXPECT_EQ(text, "Seguro que quiere cerrar esta aplicaci\xF3n?");

  host.onMessageBoxShown = [&](HWND box) {
    EXPECT_EQ(GetDlgItem(box, IDNO), nullptr);
    PostMessageA(box, WM_COMMAND, IDOK, 0);
  };
  EXPECT_EQ(toolkit::messageBox(host, "Hecho", "Vodivuri", toolkit::MessageButtons::Ok,
                                toolkit::MessageIcon::Information),
            toolkit::MessageAnswer::Ok);
  host.onMessageBoxShown = [&](HWND box) { PostMessageA(box, WM_COMMAND, IDYES, 0); };
  EXPECT_EQ(toolkit::messageBox(host, "¿Sí?", "Vodivuri", toolkit::MessageButtons::YesNo,
                                toolkit::MessageIcon::Question),
            toolkit::MessageAnswer::Yes);
}

class MenuOwner : public toolkit::Form {
 public:
  explicit MenuOwner(toolkit::Host& host) : Form(host, "menus", {.caption = "Menú"}) {
    mnuUno.onClick = [this] { chosen += "uno"; };
    mnuMax.onClick = [this] { chosen += "max"; };
    mnuSi.onClick = [this] { chosen += "si"; };
  }
  toolkit::MenuEntry mnuRoot{*this, "mnuRoot", "Opciones", nullptr, 0, false};
  toolkit::MenuEntry mnuUno{*this, "mnuUno", "Reiniciar la sesión", &mnuRoot};
  toolkit::MenuEntry mnuSep{*this, "mnuSep", "-", &mnuRoot};
  toolkit::MenuEntry mnuSub{*this, "mnuSub", "Ejecutar", &mnuRoot};
  toolkit::MenuEntry mnuSi{*this, "mnuSi", "Si", &mnuSub, 1};
  toolkit::MenuEntry mnuMax{*this, "mnuMax", "Maximizar", &mnuRoot};
  toolkit::MenuEntry mnuHidden{*this, "mnuHidden", "Oculto", &mnuRoot, 0, false};
  std::string chosen;
};

std::string menuText(HMENU menu, UINT position) {
  char text[128] = {};
  GetMenuStringA(menu, position, text, sizeof text, MF_BYPOSITION);
  return text;
}

TEST_F(HostLoops, ThePopupMenuShowsTheTreeWithItsDefaultAndRunsTheChosenEntry) {
  MenuOwner owner(host);
  owner.load();
  owner.mnuMax.setEnabled(false);
  host.onPopupMenuOpened = [&](HMENU menu) {
    ASSERT_EQ(GetMenuItemCount(menu), 4);  // the invisible entry is left out
    EXPECT_EQ(menuText(menu, 0), "Reiniciar la sesi\xF3n");
    EXPECT_NE(GetMenuState(menu, 1, MF_BYPOSITION) & MF_SEPARATOR, 0u);
    HMENU sub = GetSubMenu(menu, 2);
    ASSERT_NE(sub, nullptr);
    EXPECT_NE(GetMenuState(sub, 0, MF_BYPOSITION) & MF_CHECKED, 0u);
    EXPECT_EQ(menuText(menu, 3), "Maximizar");
    // The default entry is bold even while it is greyed.
    EXPECT_EQ(GetMenuDefaultItem(menu, TRUE, GMDI_USEDISABLED), 3u);
    EXPECT_NE(GetMenuState(menu, 3, MF_BYPOSITION) & MF_GRAYED, 0u);
    EndMenu();
  };
  host.popupMenu(owner, owner.mnuRoot, &owner.mnuMax);
  EXPECT_EQ(owner.chosen, "");

  // Chosen with the keyboard: the first entry.
  host.onPopupMenuOpened = [&](HMENU) {
    PostMessageA(host.hostWindow(), WM_KEYDOWN, VK_DOWN, 0);
    PostMessageA(host.hostWindow(), WM_KEYDOWN, VK_RETURN, 0);
  };
  Later later5(3000, [] { EndMenu(); });
  host.popupMenu(owner, owner.mnuRoot, &owner.mnuMax);
  EXPECT_EQ(owner.chosen, "uno");
}

TEST_F(HostLoops, QuitClosesAnOpenPopupMenuWithoutRunningAnEntry) {
  MenuOwner owner(host);
  owner.load();
  std::optional<Later> quitSoon;
  host.onPopupMenuOpened = [&](HMENU) {
    PostMessageA(host.hostWindow(), WM_KEYDOWN, VK_DOWN, 0);
    quitSoon.emplace(100, [&] { host.quit(); });
  };
  Later later7(3000, [] { EndMenu(); });
  host.popupMenu(owner, owner.mnuRoot, &owner.mnuMax);
  EXPECT_EQ(owner.chosen, "");
  EXPECT_EQ(host.run(), 0);
}

// Windows 95 and NT 4 have no EndMenu: the menu's owner cancels it instead.
TEST_F(HostLoops, QuitClosesAnOpenPopupMenuWhereThereIsNoEndMenu) {
  host.api.endMenu = nullptr;
  MenuOwner owner(host);
  owner.load();
  std::optional<Later> quitSoon;
  host.onPopupMenuOpened = [&](HMENU) { quitSoon.emplace(100, [&] { host.quit(); }); };
  bool stuck = false;
  Later giveUp(3000, [&] {
    stuck = true;
    EndMenu();
  });
  host.popupMenu(owner, owner.mnuRoot, &owner.mnuMax);
  EXPECT_FALSE(stuck) << "the menu stayed open after quit()";
  EXPECT_EQ(owner.chosen, "");
  EXPECT_EQ(host.run(), 0);
}

}  // namespace
}  // namespace vodivuri::win32
