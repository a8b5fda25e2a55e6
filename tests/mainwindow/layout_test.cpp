// The main window as its layout table gives it: every place, look and state
// at creation, written out here rather than taken from the window's own code.
#include <gtest/gtest.h>

#include "mainwindow/fixture.hpp"

namespace vodivuri::mainwindow::testing {
namespace {

using toolkit::Colour;
using toolkit::Rect;

struct Placed {
  const char* name;
  Rect rect;
};

class Layout : public MainWindowTest {
 protected:
  void SetUp() override {
    firstStart();
    // A fresh window, as created, before start-up sets anything.
    fresh = std::make_unique<frmTransparente>(
        MainWindowServices{host, *state, *store, version, actions, clock, instance, autostart});
  }
  toolkit::Control& control(const char* name) {
    toolkit::Control* c = fresh->find(name);
    if (c == nullptr) throw std::runtime_error(std::string("no control ") + name);
    return *c;
  }
  std::unique_ptr<frmTransparente> fresh;
};

TEST_F(Layout, TheWindowAndEveryControlStandWhereTheTableSays) {
  EXPECT_EQ(fresh->layout().caption, "Vodivuri");
  EXPECT_EQ(fresh->layout().clientWidth, 5715);
  EXPECT_EQ(fresh->layout().clientHeight, 4515);
  EXPECT_EQ(fresh->layout().clientLeft, 4815);
  EXPECT_EQ(fresh->layout().clientTop, 3690);
  EXPECT_EQ(fresh->layout().border, toolkit::Border::FixedDialog);
  EXPECT_TRUE(fresh->layout().blueGradient);

  const Placed table[] = {
      {"pTools", {0, 0, 5715, 660}},
      {"imRaised", {225, 30, 750, 600}},
      {"chApagar", {345, 960, 180, 195}},
      {"Label3", {720, 930, 1905, 225}},
      {"chReSist", {3060, 975, 225, 195}},
      {"Label4", {3330, 945, 2205, 225}},
      {"chReSes", {345, 1455, 210, 195}},
      {"Label5", {675, 1455, 2040, 225}},
      {"chForzar", {3060, 1440, 210, 195}},
      {"lblForzar", {3330, 1440, 2040, 225}},
      {"lblHora", {555, 2130, 585, 240}},
      {"txtHora", {1215, 2160, 330, 240}},
      {"cmdAumHora", {1620, 2040, 255, 195}},
      {"cmdDismHora", {1620, 2265, 255, 195}},
      {"lblMin", {3510, 2130, 870, 240}},
      {"txtMin", {4440, 2160, 330, 240}},
      {"cmdAumMin", {4860, 2040, 255, 195}},
      {"cmdDismMin", {4860, 2265, 255, 195}},
      {"opSelFecha", {465, 2820, 210, 195}},
      {"Label6", {780, 2805, 1890, 240}},
      {"lblCalen", {555, 3195, 3765, 210}},
      {"cmdCalendario", {4410, 3210, 255, 210}},
      {"opSiempre", {465, 3600, 210, 195}},
      {"Label7", {780, 3570, 885, 240}},
      {"Label1", {15, 4125, 3960, 405}},
      {"Label2", {3975, 4125, 1755, 405}},
      {"Receptor", {5175, 5955, 105, 180}},
      {"imTools(1)", {0, 5520, 750, 600}},
      {"imTools(6)", {4200, 5520, 750, 600}},
      // Lines run from (left, top) to (left + width, top + height).
      {"Line3", {210, 840, 5340, 0}},
      {"Line1(3)", {5535, 840, 0, 930}},
      {"Line5", {210, 2550, 5340, 0}},
      {"Line1(4)", {5535, 1920, 0, 645}},
      {"Line7", {210, 3930, 5340, 0}},
      {"Line1(7)", {195, 2685, 0, 1260}},
      {"Line2", {465, 3195, 4200, 0}},
      {"Line11", {4665, 3210, 0, 225}},
  };
  for (const Placed& p : table) EXPECT_EQ(control(p.name).rect(), p.rect) << p.name;
  EXPECT_EQ(control("imRaised").container(), &control("pTools"));
}

TEST_F(Layout, LooksFollowTheTable) {
  const Colour blue192 = Colour::rgb(0, 0, 192);
  for (const char* name : {"Label3", "Label4", "Label5", "lblHora", "Label6", "Label1"}) {
    const toolkit::ControlState& s = control(name).state();
    EXPECT_EQ(s.foreground, toolkit::kWhite) << name;
    EXPECT_TRUE(s.transparent) << name;
    EXPECT_EQ(s.font, (toolkit::Font{"MS Sans Serif", 9.75, true})) << name;
  }
  for (const char* name : {"chApagar", "opSiempre", "txtHora", "txtMin"}) {
    EXPECT_EQ(control(name).state().font, (toolkit::Font{"MS Sans Serif", 8.25, true})) << name;
  }
  EXPECT_EQ(control("lblForzar").state().foreground, Colour::rgb(255, 0, 0));
  for (const char* name : {"opSelFecha", "opSiempre"}) {
    EXPECT_EQ(control(name).state().background, blue192) << name;
    EXPECT_EQ(control(name).state().foreground, toolkit::kWhite) << name;
  }
  for (const char* name : {"Label1", "Label2"}) EXPECT_TRUE(control(name).state().border);
  for (const char* name : {"Line3", "Line1(2)", "Line7"}) {
    EXPECT_EQ(control(name).state().foreground, toolkit::kWhite) << name;
  }
  for (const char* name : {"Line2", "Line9", "Line10", "Line11"}) {
    EXPECT_EQ(control(name).state().foreground, Colour::rgb(64, 64, 64)) << name;
  }
  EXPECT_FALSE(control("imRaised").state().mouseInput);
}

TEST_F(Layout, StatesAtCreation) {
  EXPECT_TRUE(fresh->opSiempre.selected());
  EXPECT_FALSE(fresh->opSelFecha.selected());
  for (const char* name : {"chApagar", "chReSist", "chReSes", "chForzar"}) {
    EXPECT_EQ(control(name).state().value, 0) << name;
  }
  for (const char* name :
       {"opSiempre", "opSelFecha", "Label6", "Label7", "lblCalen", "cmdCalendario", "cmdAumHora",
        "cmdDismHora", "cmdAumMin", "cmdDismMin"}) {
    EXPECT_FALSE(control(name).enabled()) << name;
  }
  for (const char* name : {"lblHora", "lblMin", "txtHora", "txtMin"}) {
    EXPECT_TRUE(control(name).enabled()) << name;
  }
  EXPECT_EQ(fresh->txtHora.caption(), "0");
  EXPECT_EQ(fresh->Timer1.interval(), 1000);
  EXPECT_FALSE(fresh->Timer1.enabled());
  EXPECT_EQ(fresh->Timer2.interval(), 1000);
  EXPECT_TRUE(fresh->Timer2.enabled());
  EXPECT_FALSE(fresh->mnuOpciones.visible());
  EXPECT_TRUE(fresh->mnuSi.checked());
  EXPECT_TRUE(fresh->mnuNo.checked());
  std::vector<std::string> captions;
  for (const toolkit::MenuEntry* e : fresh->mnuOpciones.entries()) captions.push_back(e->caption());
  EXPECT_EQ(captions,
            (std::vector<std::string>{"Apagar el sistema", "Reiniciar el sistema",
                                      "Reiniciar la sesión", "-", "Ejecutar al iniciar windows",
                                      "Maximizar", "-", "Ayuda", "Acerca de...", "-", "Salir"}));
  std::vector<std::string> order;
  for (const toolkit::Control* c : fresh->tabOrder) order.push_back(c->name());
  EXPECT_EQ(order,
            (std::vector<std::string>{"chApagar", "chReSist", "chReSes", "cmdAumMin", "cmdDismMin",
                                      "cmdAumHora", "cmdDismHora", "opSelFecha", "cmdCalendario",
                                      "opSiempre", "pTools", "chForzar"}));
}

}  // namespace
}  // namespace vodivuri::mainwindow::testing
