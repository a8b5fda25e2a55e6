#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "frontend/testhost/test_host.hpp"
#include "toolkit/accessible.hpp"

namespace vodivuri::toolkit {
namespace {

struct Window : Form {
  explicit Window(Host& host) : Form(host, "frmKeys", {}) {
    tabOrder = {&box, &daily, &onDate, &press, &link};
    box.onClick = [this] { clicks.push_back("box"); };
    daily.onClick = [this] { clicks.push_back("daily"); };
    onDate.onClick = [this] { clicks.push_back("onDate"); };
    press.onClick = [this] { clicks.push_back("press"); };
    link.onClick = [this] { clicks.push_back("link"); };
    onKeyDown = [this](int key) { clicks.push_back("key " + std::to_string(key)); };
  }
  CheckBox box{*this, "box", {}};
  OptionButton daily{*this, "daily", {.value = 1}};
  OptionButton onDate{*this, "onDate", {}};
  Button press{*this, "press", {}};
  Label link{*this, "link", {.caption = "enlace"}};
  Label text{*this, "text", {.caption = "texto"}};
  std::vector<std::string> clicks;
};

KeyPress key(Key k, bool shift = false) {
  return {k, shift, false};
}

class Keys : public ::testing::Test {
 protected:
  Keys() { w.show(); }
  platform::testing::FakeClock clock{{{2026, 12, 7}, 7, 29, 58}};
  testhost::TestHost host{clock};
  Window w{host};
};

TEST_F(Keys, ShowingStartsAtTheFirstStopAndTabWalksTheStopsBothWays) {
  EXPECT_EQ(w.focus(), &w.box);
  EXPECT_TRUE(w.userKey(key(Key::Tab)));
  EXPECT_EQ(w.focus(), &w.daily);
  w.userKey(key(Key::Tab));
  EXPECT_EQ(w.focus(), &w.press);  // the group is one stop
  w.userKey(key(Key::Tab, true));
  w.userKey(key(Key::Tab, true));
  EXPECT_EQ(w.focus(), &w.box);
  w.userKey(key(Key::Tab, true));
  EXPECT_EQ(w.focus(), &w.link);  // wraps
  EXPECT_TRUE(w.clicks.empty()) << "moving the focus clicks nothing";
}

TEST_F(Keys, SpaceTogglesOnceReturnPressesOnlyWhatCanBePressed) {
  EXPECT_TRUE(w.userKey(key(Key::Space)));
  EXPECT_EQ(w.box.value(), 1);
  EXPECT_FALSE(w.userKey(key(Key::Return))) << "Return does not tick a box";
  EXPECT_EQ(w.box.value(), 1);
  w.setFocus(&w.press);
  EXPECT_TRUE(w.userKey(key(Key::Return)));
  EXPECT_TRUE(w.userKey(key(Key::Space)));
  w.setFocus(&w.link);
  EXPECT_TRUE(w.userKey(key(Key::Return)));
  EXPECT_EQ(w.clicks, (std::vector<std::string>{"box", "press", "press", "link"}));
}

TEST_F(Keys, ArrowsSelectInsideTheGroupAndNowhereElse) {
  w.setFocus(&w.daily);
  EXPECT_TRUE(w.userKey(key(Key::Down)));
  EXPECT_EQ(w.focus(), &w.onDate);
  EXPECT_TRUE(w.onDate.selected());
  EXPECT_FALSE(w.daily.selected());
  w.userKey(key(Key::Up));
  EXPECT_TRUE(w.daily.selected());
  EXPECT_EQ(w.clicks, (std::vector<std::string>{"onDate", "daily"}));
  w.setFocus(&w.press);
  EXPECT_FALSE(w.userKey(key(Key::Down)));
  EXPECT_EQ(w.focus(), &w.press);
}

TEST_F(Keys, AControlsOwnKeysComeFirstAndEscReachesTheForm) {
  int ups = 0;
  w.press.onKey = [&](const KeyPress& k) { return k.key == Key::Up && ++ups > 0; };
  w.setFocus(&w.press);
  EXPECT_TRUE(w.userKey(key(Key::Up)));
  EXPECT_EQ(ups, 1);
  EXPECT_TRUE(w.userKey(key(Key::Return))) << "keys it leaves go on to the form";
  EXPECT_TRUE(w.userKey(key(Key::Escape)));
  EXPECT_EQ(w.clicks, (std::vector<std::string>{"press", "key 27"}));
}

TEST_F(Keys, AFocusedControlThatIsDisabledPressesNothingAndTabGoesOnFromItsPlace) {
  w.setFocus(&w.press);
  w.press.setEnabled(false);
  EXPECT_FALSE(w.userKey(key(Key::Return)));
  w.userKey(key(Key::Tab));
  EXPECT_EQ(w.focus(), &w.link);
  w.setFocus(&w.press);
  w.userKey(key(Key::Tab, true));
  EXPECT_EQ(w.focus(), &w.daily);
  EXPECT_TRUE(w.clicks.empty());
}

TEST_F(Keys, AClickFocusesOnlyControlsOfTheTabOrderAndAHiddenFormTakesNoKeys) {
  w.userFocused(w.text);
  EXPECT_EQ(w.focus(), &w.box);
  w.userFocused(w.link);
  EXPECT_EQ(w.focus(), &w.link);
  w.hide();
  EXPECT_FALSE(w.userKey(key(Key::Return)));
  EXPECT_TRUE(w.clicks.empty());
  // A new load starts afresh at the first stop.
  w.unload();
  w.show();
  EXPECT_EQ(w.focus(), &w.box);
}

TEST_F(Keys, FocusChangesReachTheControlsAndTheirParts) {
  std::vector<std::string> seen;
  w.press.setParts({{"uno", "", {}}, {"dos", "", {}}});
  w.press.onFocusChange = [&](bool in) {
    seen.push_back(in ? "in" : "out");
    if (in) w.press.setFocusedPart(1);
  };
  w.setFocus(&w.press);
  EXPECT_EQ(w.press.focusedPart(), 1);
  w.setFocus(&w.link);
  EXPECT_EQ(seen, (std::vector<std::string>{"in", "out"}));
  EXPECT_EQ(w.press.focusedPart(), -1) << "a part keeps no focus its control lost";
  w.press.setFocusedPart(5);
  EXPECT_EQ(w.press.focusedPart(), -1);
}

TEST(Accessible, NamesAndRolesComeFromTheDeclaration) {
  platform::testing::FakeClock clock;
  testhost::TestHost host{clock};
  Form f{host, "f", {}};
  Label readOut{
      f, "readOut", {.caption = "07", .accessibleName = "Hora", .role = AccessRole::ReadOut}};
  CheckBox box{f, "box", {.accessibleName = "Forzar"}};
  Label plain{f, "plain", {.caption = "Siempre"}};
  Image decoration{f, "decoration", {}};
  EXPECT_EQ(readOut.accessibleName(), "Hora: 07");
  readOut.setCaption("08");
  EXPECT_EQ(readOut.accessibleName(), "Hora: 08");
  readOut.setCaption("");
  EXPECT_EQ(readOut.accessibleName(), "Hora") << "nothing to read out: the name alone";
  EXPECT_EQ(box.accessibleName(), "Forzar");
  EXPECT_EQ(box.role(), AccessRole::CheckBox);
  EXPECT_EQ(plain.accessibleName(), "Siempre");
  EXPECT_EQ(plain.role(), AccessRole::Text);
  EXPECT_EQ(decoration.role(), AccessRole::None);
}

TEST(Accessible, TheFocusRingStandsOutOnAnyBackground) {
  EXPECT_NEAR(contrastRatio(255, 255, 255, 0, 0, 0), 21.0, 1e-9);
  EXPECT_NEAR(contrastRatio(0, 0, 255, 0, 0, 255), 1.0, 1e-9);
  EXPECT_EQ(focusRingColour(0, 0, 255), kWhite);
  EXPECT_EQ(focusRingColour(255, 255, 255), kBlack);
  EXPECT_EQ(focusRingColour(192, 192, 192), kBlack);
  for (int v = 0; v <= 255; v += 5) {
    const auto c = static_cast<std::uint8_t>(v);
    const Colour ring = focusRingColour(c, c, c);
    EXPECT_GE(contrastRatio(ring.r, ring.g, ring.b, c, c, c), 4.5) << "grey " << v;
  }
}

}  // namespace
}  // namespace vodivuri::toolkit
