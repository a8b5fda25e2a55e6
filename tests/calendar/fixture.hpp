// The calendar opened modally over a stand-in main window, on the test host.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "calendar/calen.hpp"
#include "frontend/testhost/test_host.hpp"
#include "platform/testing/doubles.hpp"

namespace vodivuri::calendar::testing {

using platform::RegistryRoot;
using toolkit::Colour;
using toolkit::Date;
using toolkit::SystemColour;

inline const Colour kMarkBack = Colour::rgb(192, 0, 0);
inline const Colour kMarkText = Colour::rgb(255, 255, 255);
inline const Colour kWindowText = Colour::of(SystemColour::WindowText);

// Stands in for the main window: only its place and its date label matter here.
struct MainWindow : toolkit::Form {
  explicit MainWindow(toolkit::Host& host) : Form(host, "frmTransparente", {}) {}
  toolkit::Label lblCalen{*this, "lblCalen", {.caption = "sin fecha"}};
};

class CalendarTest : public ::testing::Test {
 protected:
  // Monday 7 December 2026.
  platform::testing::FakeClock clock{{{2026, 12, 7}, 9, 5, 7}};
  testhost::TestHost host{clock};
  platform::testing::MemoryRegistry registry;
  engine::ProgramState state;
  engine::SettingsStore store{registry, state};
  MainWindow main{host};
  Calen calen{host, state, store, clock, main, main.lblCalen};

  void SetUp() override {
    store.CreateNewKey(engine::kSettingsKey, RegistryRoot::CurrentUser);
    state.CalendarDate = clock.now().date;
    main.show();
  }

  // Opens the calendar as the main window does; `inside` runs while it is
  // shown, and Esc closes it afterwards if `inside` left it open.
  void open(const std::function<void()>& inside) {
    host.whenModal("Calen", [&](toolkit::Form& f) {
      inside();
      if (f.loaded()) f.userKeyDown(toolkit::kKeyEscape);
    });
    calen.ShownDate = state.CalendarDate;
    calen.showModal(main);
    state.CalendarDate = calen.ShownDate;
  }
  void openAt(const Date& shown, const std::function<void()>& inside) {
    state.CalendarDate = shown;
    open(inside);
  }

  std::vector<std::string> cells() {
    std::vector<std::string> out;
    for (int k = 1; k <= 42; ++k) out.push_back(calen.LabelDay(k).caption());
    return out;
  }
  // Captions k = first..last hold 01.. in order, every other cell is empty.
  void expectDays(int first, int days) {
    const auto c = cells();
    for (int k = 1; k <= 42; ++k) {
      const int day = k - first + 1;
      const std::string want =
          day >= 1 && day <= days ? (day < 10 ? "0" : "") + std::to_string(day) : "";
      EXPECT_EQ(c[static_cast<std::size_t>(k - 1)], want) << "cell " << k;
    }
  }
  std::vector<int> markedCells() {
    std::vector<int> out;
    for (int k = 1; k <= 42; ++k) {
      if (calen.LabelDay(k).background() == kMarkBack) out.push_back(k);
    }
    return out;
  }
  // Every cell in the colours of its column.
  void expectColumnColours() {
    for (int k = 1; k <= 42; ++k) {
      const int column = (k - 1) % 7;
      const Colour want = column == 5   ? Colour::rgb(192, 192, 192)
                          : column == 6 ? Colour::rgb(255, 128, 128)
                                        : Colour::of(SystemColour::Window);
      EXPECT_EQ(calen.LabelDay(k).background(), want) << "cell " << k;
      EXPECT_EQ(calen.LabelDay(k).foreground(), kWindowText) << "cell " << k;
    }
  }
  std::string header() {
    return calen.LabelMonth.caption() + " " + calen.LabelYear.caption() + " (" +
           calen.LabelNumber.caption() + ")";
  }
  bool writtenAnything() const { return !registry.writes.empty(); }
};

}  // namespace vodivuri::calendar::testing
