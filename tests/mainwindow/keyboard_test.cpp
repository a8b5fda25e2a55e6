// The main window from the keyboard alone, and what a screen reader is told.
#include "fixture.hpp"

namespace vodivuri::mainwindow::testing {
namespace {

using toolkit::Key;
using toolkit::KeyPress;

class Keyboard : public MainWindowTest {
 protected:
  void SetUp() override {
    firstStart();
    host.trayMessage(kLeftDoubleClick);
  }
  bool press(Key k, bool shift = false) { return w().userKey(KeyPress{k, shift, false}); }
  std::vector<std::string> tabWalk() {
    std::vector<std::string> names;
    const toolkit::Control* first = w().focus();
    do {
      names.push_back(w().focus()->name());
      press(Key::Tab);
    } while (w().focus() != first && names.size() < 20);
    return names;
  }
};

TEST_F(Keyboard, TheWindowOpensOnTheFirstBoxAndTabSkipsWhatIsGrey) {
  EXPECT_EQ(w().focus(), &w().chApagar);
  EXPECT_EQ(tabWalk(),
            (std::vector<std::string>{"chApagar", "chReSist", "chReSes", "pTools", "chForzar"}));
  // Armed: the editor joins the way, its option group as one stop.
  press(Key::Space);
  ASSERT_EQ(w().chApagar.value(), 1);
  EXPECT_EQ(tabWalk(), (std::vector<std::string>{"chApagar", "chReSist", "chReSes", "cmdAumMin",
                                                 "cmdDismMin", "cmdAumHora", "cmdDismHora",
                                                 "opSiempre", "pTools", "chForzar"}));
}

TEST_F(Keyboard, AScheduleIsSetWithKeysAlone) {
  press(Key::Space);  // Apagar el sistema
  for (int i = 0; i < 3; ++i) press(Key::Tab);
  ASSERT_EQ(w().focus(), &w().cmdAumMin);
  for (int i = 0; i < 15; ++i) press(Key::Down);  // 00 -> 45, wrapping below 0
  EXPECT_EQ(w().txtMin.caption(), "45");
  EXPECT_EQ(w().cmdAumMin.accessibleDescription(), "Minutos: 45");
  for (int i = 0; i < 2; ++i) press(Key::Tab);
  ASSERT_EQ(w().focus(), &w().cmdAumHora);
  press(Key::Down);    // 00 -> 23
  press(Key::Return);  // the button itself: 23 -> 00
  press(Key::Up);
  press(Key::Down);
  press(Key::Down);
  EXPECT_EQ(w().txtHora.caption(), "23");
  EXPECT_EQ(setting("Hora"), "23");
  EXPECT_EQ(setting("Minutos"), "45");
  EXPECT_EQ(w().txtHora.accessibleName(), "Hora: 23");
  // The group: the arrows choose a date, as a click does.
  press(Key::Tab);
  press(Key::Tab);
  ASSERT_EQ(w().focus(), &w().opSiempre);
  press(Key::Up);
  EXPECT_TRUE(w().opSelFecha.selected());
  EXPECT_EQ(setting("Siempre"), "False");
  EXPECT_EQ(w().focus(), &w().opSelFecha);
  press(Key::Tab);
  EXPECT_EQ(w().focus(), &w().cmdCalendario);
  bool opened = false;
  host.whenModal("Calen", [&](toolkit::Form& f) {
    opened = true;
    f.unload();
  });
  EXPECT_TRUE(press(Key::Return));
  EXPECT_TRUE(opened);
}

TEST_F(Keyboard, TheToolbarIsSixButtonsForTheArrowKeys) {
  w().setFocus(&w().pTools);
  EXPECT_EQ(w().pTools.focusedPart(), 0);
  EXPECT_EQ(w().pTools.tooltip(), "Ejecutar al iniciar windows");
  EXPECT_EQ(w().imRaised.picture(), "raised_1.bmp");
  press(Key::Right);
  EXPECT_EQ(w().pTools.focusedPart(), 1);
  EXPECT_EQ(w().pTools.parts()[1].name, "No ejecutar al iniciar windows");
  EXPECT_EQ(w().imRaised.left(), frmTransparente::ButtonLeft + frmTransparente::ButtonWidth);
  press(Key::Left);
  press(Key::Left);  // wraps to the last
  EXPECT_EQ(w().pTools.focusedPart(), 5);
  press(Key::Home);
  press(Key::Right);
  host.answer(MessageAnswer::Ok);
  const std::size_t asked = host.messages.size();
  EXPECT_TRUE(press(Key::Return));
  ASSERT_EQ(host.messages.size(), asked + 1);
  EXPECT_EQ(host.messages.back().text, "Esta aplicación no se ejecutará al inicio de windows");
  EXPECT_EQ(setting("Inicio"), "False");
  EXPECT_EQ(w().imRaised.picture(), "raised_2.bmp") << "the button stays shown as the focused one";
  // The pointer passing by and leaving gives the keyboard's button back.
  w().pTools.userMouseMove(frmTransparente::ButtonLeft + 4.5 * frmTransparente::ButtonWidth, 0);
  EXPECT_EQ(w().imRaised.picture(), "raised_5.bmp");
  w().userMouseMove(10, 3000);
  EXPECT_EQ(w().imRaised.picture(), "raised_2.bmp");
  press(Key::Tab);
  EXPECT_EQ(w().imRaised.picture(), "");
  EXPECT_EQ(w().pTools.focusedPart(), -1);
}

TEST_F(Keyboard, HideFromTheToolbarAndTheTrayKeysBringItBack) {
  w().setFocus(&w().pTools);
  press(Key::End);
  press(Key::Left);
  press(Key::Left);
  press(Key::Left);  // "Ocultar el formulario"
  press(Key::Space);
  EXPECT_FALSE(w().visible());
  host.trayMessage(kTrayKeySelect);
  EXPECT_TRUE(w().visible());
  EXPECT_EQ(w().mnuMax.caption(), "Minimizar");
  host.trayMessage(kTrayContextMenu);
  EXPECT_EQ(host.popups.size(), 1U);
}

TEST_F(Keyboard, EveryControlThatTakesTheFocusHasAName) {
  w().chApagar.userClick();
  w().opSelFecha.userClick();
  for (toolkit::Control* c : w().tabOrder) {
    EXPECT_FALSE(c->accessibleName().empty()) << c->name();
    EXPECT_NE(c->role(), toolkit::AccessRole::None) << c->name();
  }
  EXPECT_EQ(w().opSiempre.role(), toolkit::AccessRole::RadioButton);
  EXPECT_EQ(w().chReSes.accessibleName(), "Reiniciar la sesión");
  EXPECT_EQ(w().cmdDismHora.accessibleName(), "Disminuir la hora");
  EXPECT_EQ(w().pTools.role(), toolkit::AccessRole::ToolBar);
  EXPECT_EQ(w().pTools.parts().size(), 6U);
  EXPECT_EQ(w().lblCalen.accessibleName().rfind("Fecha programada: ", 0), 0U);
  EXPECT_EQ(w().imRaised.role(), toolkit::AccessRole::None);
}

}  // namespace
}  // namespace vodivuri::mainwindow::testing
