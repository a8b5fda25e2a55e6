// What a screen reader hears through oleacc (AccessibleObjectFromWindow, as
// it asks every window): every control of the main window it is shown has a
// name and its role, the toolbar is heard as the button the keys are on, the
// secondary windows' links and day cells too, and its default action presses.
#include <windows.h>

#include <gtest/gtest.h>
#include <oleacc.h>

#include <cstdio>
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

std::string utf8(BSTR text) {
  if (text == nullptr) return {};
  const int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(n > 0 ? n - 1 : 0), '\0');
  if (n > 1) WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), n, nullptr, nullptr);
  return out;
}

struct Heard {
  bool reached = false;
  std::string name;
  long role = 0;
  long state = 0;
  long children = 0;
};

VARIANT child(long id) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_I4;
  v.lVal = id;
  return v;
}

// One element as a screen reader asks for it: the window's client object.
Heard hear(HWND w, long id = CHILDID_SELF) {
  Heard h;
  IAccessible* object = nullptr;
  if (FAILED(AccessibleObjectFromWindow(w, static_cast<DWORD>(OBJID_CLIENT), __uuidof(IAccessible),
                                        reinterpret_cast<void**>(&object))) ||
      object == nullptr) {
    return h;
  }
  h.reached = true;
  BSTR name = nullptr;
  if (object->get_accName(child(id), &name) == S_OK) h.name = utf8(name);
  SysFreeString(name);
  VARIANT role, state;
  VariantInit(&role);
  VariantInit(&state);
  if (SUCCEEDED(object->get_accRole(child(id), &role)) && role.vt == VT_I4) h.role = role.lVal;
  if (SUCCEEDED(object->get_accState(child(id), &state)) && state.vt == VT_I4) h.state = state.lVal;
  object->get_accChildCount(&h.children);
  object->Release();
  return h;
}

std::string roleText(long role) {
  char text[64] = {};
  GetRoleTextA(static_cast<DWORD>(role), text, sizeof text);
  return text;
}

class ScreenReader : public ::testing::Test, protected vodivuri::testing::ProgramDoubles {
 protected:
  ScreenReader() {
    CoInitialize(nullptr);
    host.notifyIcon = [](DWORD, NOTIFYICONDATAA*) { return TRUE; };
    vodivuri::testing::storeArmedShutdown(program.store, "07");
    program.start();
    main.show();
    pump(30);
  }
  ~ScreenReader() override { CoUninitialize(); }
  HWND hwnd(const toolkit::Form& f) const { return host.windowOf(f); }
  HWND hwnd(const toolkit::Control& c) const { return host.windowOf(c); }

  Win32Host host{GetModuleHandleA(nullptr)};
  app::Program program{services(host)};
  mainwindow::frmTransparente& main = program.frmTransparente;
};

BOOL CALLBACK collect(HWND w, LPARAM list) {
  reinterpret_cast<std::vector<HWND>*>(list)->push_back(w);
  return TRUE;
}

TEST_F(ScreenReader, EveryControlOfTheMainWindowItShowsHasANameAndARole) {
  std::vector<HWND> windows;
  EnumChildWindows(hwnd(main), collect, reinterpret_cast<LPARAM>(&windows));
  ASSERT_GT(windows.size(), 20u);
  int heard = 0;
  for (HWND w : windows) {
    const Heard h = hear(w);
    ASSERT_TRUE(h.reached);
    const toolkit::Control* c = nullptr;
    for (toolkit::Control* k : main.controls()) {
      if (hwnd(*k) == w) c = k;
    }
    ASSERT_NE(c, nullptr);
    const bool shown = (h.state & STATE_SYSTEM_INVISIBLE) == 0;
    std::printf("  %-12s %-9s %-24s «%s»\n", c->name().c_str(), shown ? "" : "(oculto)",
                roleText(h.role).c_str(), h.name.c_str());
    if (!shown) continue;
    ++heard;
    EXPECT_FALSE(h.name.empty()) << c->name() << " has no name";
    EXPECT_NE(h.role, ROLE_SYSTEM_CLIENT) << c->name() << " has no role of its own";
  }
  // The captions beside the boxes and options are left out: the boxes say them.
  EXPECT_GE(heard, 17);
  EXPECT_NE(hear(hwnd(main.Label3)).state & STATE_SYSTEM_INVISIBLE, 0) << "Label3 is heard twice";

  // Boxes without text of their own are named by their labels, and say their state.
  const Heard box = hear(hwnd(main.chApagar));
  EXPECT_EQ(box.name, "Apagar el sistema");
  EXPECT_EQ(box.role, ROLE_SYSTEM_CHECKBUTTON);
  EXPECT_NE(box.state & STATE_SYSTEM_CHECKED, 0);
  EXPECT_NE(box.state & STATE_SYSTEM_FOCUSABLE, 0);
  const Heard option = hear(hwnd(main.opSelFecha));
  EXPECT_EQ(option.name, "Seleccionar fecha");
  EXPECT_EQ(option.role, ROLE_SYSTEM_RADIOBUTTON);
  EXPECT_NE(option.state & STATE_SYSTEM_CHECKED, 0);
  EXPECT_EQ(hear(hwnd(main.opSiempre)).state & STATE_SYSTEM_CHECKED, 0);
  EXPECT_EQ(hear(hwnd(main.cmdAumHora)).name, "Aumentar la hora");
  EXPECT_EQ(hear(hwnd(main.cmdAumHora)).role, ROLE_SYSTEM_PUSHBUTTON);
  EXPECT_EQ(hear(hwnd(main.txtHora)).name, "Hora: 07");
  // A value read out follows the model.
  main.cmdAumHora.userClick();
  EXPECT_EQ(hear(hwnd(main.txtHora)).name, "Hora: 08");
  // A box unticked says so; a grey one is unavailable.
  main.chApagar.setValue(0);
  EXPECT_EQ(hear(hwnd(main.chApagar)).state & STATE_SYSTEM_CHECKED, 0);
  EXPECT_NE(hear(hwnd(main.cmdAumHora)).state & STATE_SYSTEM_UNAVAILABLE, 0);
  // The window itself.
  EXPECT_EQ(hear(hwnd(main)).name, "Vodivuri");
}

TEST_F(ScreenReader, TheToolbarIsHeardAsTheButtonTheKeysAreOn) {
  HWND tools = hwnd(main.pTools);
  Heard h = hear(tools);
  EXPECT_EQ(h.name, "Barra de herramientas");
  EXPECT_EQ(h.role, ROLE_SYSTEM_TOOLBAR);
  EXPECT_EQ(h.children, 6);
  EXPECT_EQ(hear(tools, 4).name, "Cerrar la aplicación");
  EXPECT_EQ(hear(tools, 4).role, ROLE_SYSTEM_PUSHBUTTON);
  main.setFocus(&main.pTools);
  EXPECT_EQ(hear(tools).name, "Ejecutar al iniciar windows");
  for (int i = 0; i < 3; ++i) main.userKey({toolkit::Key::Right});
  h = hear(tools);
  EXPECT_EQ(h.name, "Cerrar la aplicación");
  EXPECT_NE(hear(tools, 4).state & STATE_SYSTEM_FOCUSED, 0);
  EXPECT_EQ(hear(tools, 1).state & STATE_SYSTEM_FOCUSED, 0);
  main.setFocus(&main.chApagar);
  EXPECT_EQ(hear(tools).name, "Barra de herramientas");
}

TEST_F(ScreenReader, TheCalendarsDaysAndTheAboutLinkAreNamedWithTheirRoles) {
  Heard cell, month, close, link;
  Later inCalendar(150, [&] {
    calendar::Calen& c = program.Calen;
    ASSERT_NE(c.focus(), nullptr);
    cell = hear(hwnd(*c.focus()));
    month = hear(hwnd(c.LabelMonth));
    close = hear(hwnd(c.cmdCerrar));
    c.unload();
  });
  program.Calen.showModal(main);
  EXPECT_EQ(cell.role, ROLE_SYSTEM_CELL);
  EXPECT_EQ(cell.name, "lunes, 7 de diciembre de 2026");  // the clock's today
  EXPECT_NE(cell.state & STATE_SYSTEM_FOCUSED, 0);
  EXPECT_EQ(month.role, ROLE_SYSTEM_PUSHBUTTON);
  EXPECT_EQ(month.name, "Diciembre");
  EXPECT_EQ(close.name, "Cerrar");
  Later inAbout(150, [&] {
    link = hear(hwnd(program.frmAcercaDe.lblVinc));
    program.frmAcercaDe.unload();
  });
  program.frmAcercaDe.showModal(main);
  EXPECT_EQ(link.role, ROLE_SYSTEM_LINK);
  EXPECT_FALSE(link.name.empty());
  EXPECT_NE(link.state & STATE_SYSTEM_LINKED, 0);
}

TEST_F(ScreenReader, ItsDefaultActionPressesAsAClickDoes) {
  IAccessible* object = nullptr;
  ASSERT_HRESULT_SUCCEEDED(
      AccessibleObjectFromWindow(hwnd(main.chReSes), static_cast<DWORD>(OBJID_CLIENT),
                                 __uuidof(IAccessible), reinterpret_cast<void**>(&object)));
  ASSERT_NE(object, nullptr);
  EXPECT_HRESULT_SUCCEEDED(object->accDoDefaultAction(child(CHILDID_SELF)));
  object->Release();
  pump(50);
  EXPECT_EQ(main.chReSes.value(), 1);
  EXPECT_EQ(program.store.readSetting("ReiniciarSesion"), "True");
}

}  // namespace
}  // namespace vodivuri::win32
