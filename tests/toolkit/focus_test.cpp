#include <gtest/gtest.h>

#include "frontend/testhost/test_host.hpp"
#include "toolkit/focus.hpp"

namespace vodivuri::toolkit {
namespace {

struct Window : Form {
  explicit Window(Host& host) : Form(host, "frmFocus", {}) {
    tabOrder = {&first, &daily, &onDate, &later, &last};
  }
  CheckBox first{*this, "first", {}};
  OptionButton daily{*this, "daily", {.value = 1}};
  OptionButton onDate{*this, "onDate", {}};
  Button later{*this, "later", {}};
  Button last{*this, "last", {}};
};

class Focus : public ::testing::Test {
 protected:
  Focus() {
    w.load();
    w.show();
  }
  platform::testing::FakeClock clock{{{2026, 12, 7}, 7, 29, 58}};
  testhost::TestHost host{clock};
  Window w{host};
};

TEST_F(Focus, TheOptionGroupIsOneStopAtTheSelectedButton) {
  EXPECT_EQ(tabStops(w), (std::vector<Control*>{&w.first, &w.daily, &w.later, &w.last}));
  w.onDate.select();
  EXPECT_EQ(tabStops(w), (std::vector<Control*>{&w.first, &w.onDate, &w.later, &w.last}));
  // From the other button of the group Tab leaves the group, both ways.
  EXPECT_EQ(nextTabStop(w, &w.daily, false), &w.later);
  EXPECT_EQ(nextTabStop(w, &w.daily, true), &w.first);
}

TEST_F(Focus, TabWrapsAndSkipsWhatCannotBeUsed) {
  w.later.setEnabled(false);
  w.first.setVisible(false);
  EXPECT_EQ(nextTabStop(w, &w.daily, false), &w.last);
  EXPECT_EQ(nextTabStop(w, &w.last, false), &w.daily);
  EXPECT_EQ(nextTabStop(w, &w.daily, true), &w.last);
  // Nothing focused yet: Tab starts at the first stop, Shift+Tab at the last.
  EXPECT_EQ(nextTabStop(w, nullptr, false), &w.daily);
  EXPECT_EQ(nextTabStop(w, nullptr, true), &w.last);
}

TEST_F(Focus, AGroupWithTheSelectedButtonDisabledStopsAtItsFirstUsableOne) {
  w.daily.setEnabled(false);
  EXPECT_EQ(tabStops(w), (std::vector<Control*>{&w.first, &w.onDate, &w.later, &w.last}));
  w.onDate.setEnabled(false);
  EXPECT_EQ(tabStops(w), (std::vector<Control*>{&w.first, &w.later, &w.last}));
}

TEST_F(Focus, ArrowsMoveInsideTheGroupOnly) {
  EXPECT_EQ(neighbourOption(w, w.daily, false), &w.onDate);
  EXPECT_EQ(neighbourOption(w, w.onDate, false), &w.daily);
  EXPECT_EQ(neighbourOption(w, w.daily, true), &w.onDate);
  EXPECT_EQ(neighbourOption(w, w.later, false), nullptr);
  w.onDate.setEnabled(false);
  EXPECT_EQ(neighbourOption(w, w.daily, false), nullptr);
  // Finding the way selects nothing.
  EXPECT_TRUE(w.daily.selected());
}

TEST_F(Focus, AHiddenFormHasNoStops) {
  w.hide();
  EXPECT_TRUE(tabStops(w).empty());
  EXPECT_EQ(nextTabStop(w, nullptr, false), nullptr);
}

}  // namespace
}  // namespace vodivuri::toolkit
