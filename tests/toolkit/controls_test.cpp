#include <gtest/gtest.h>

#include "frontend/testhost/test_host.hpp"
#include "toolkit/form.hpp"

namespace vodivuri::toolkit {
namespace {

struct Window : Form {
  explicit Window(Host& host, std::string name = "frmTest") : Form(host, std::move(name), {}) {}
  CheckBox box{*this, "box", {}};
  OptionButton a{*this, "a", {.value = 1}};
  OptionButton b{*this, "b", {}};
  Label label{*this, "label", {.caption = "hola"}};
  Timer timer{*this, "timer", 1000, false};
};

class Controls : public ::testing::Test {
 protected:
  platform::testing::FakeClock clock{{{2026, 12, 7}, 7, 29, 58}};
  testhost::TestHost host{clock};
};

TEST_F(Controls, ValueFromCodeRunsTheClickOnlyWhenItChanges) {
  Window w(host);
  w.load();
  int clicks = 0;
  w.box.onClick = [&] { ++clicks; };
  w.box.setValue(1);
  w.box.setValue(1);
  EXPECT_EQ(clicks, 1);
  w.box.setValue(0);
  EXPECT_EQ(clicks, 2);
}

TEST_F(Controls, NestedHandlersRunSynchronously) {
  Window w(host);
  w.load();
  std::vector<std::string> order;
  w.box.onClick = [&] {
    order.push_back("box start");
    w.b.select();
    order.push_back("box end");
  };
  w.b.onClick = [&] { order.push_back("b"); };
  w.box.setValue(1);
  EXPECT_EQ(order, (std::vector<std::string>{"box start", "b", "box end"}));
}

TEST_F(Controls, OptionButtonsOfAFormAreOneGroup) {
  Window w(host);
  w.load();
  int aClicks = 0, bClicks = 0;
  w.a.onClick = [&] { ++aClicks; };
  w.b.onClick = [&] { ++bClicks; };
  w.a.select();  // already selected: nothing
  EXPECT_EQ(aClicks, 0);
  w.b.select();
  EXPECT_TRUE(w.b.selected());
  EXPECT_FALSE(w.a.selected());
  EXPECT_EQ(bClicks, 1);
  EXPECT_EQ(aClicks, 0);  // losing the selection runs nothing
}

TEST_F(Controls, UserClicksNeedAnEnabledVisibleControl) {
  Window w(host);
  w.load();
  w.show();
  w.box.setEnabled(false);
  w.box.userClick();
  EXPECT_EQ(w.box.value(), 0);
  w.box.setEnabled(true);
  w.box.userClick();
  EXPECT_EQ(w.box.value(), 1);
  w.box.userClick();
  EXPECT_EQ(w.box.value(), 0);
  w.box.setValue(2);
  w.box.userClick();
  EXPECT_EQ(w.box.value(), 0);
}

TEST_F(Controls, EachLoadStartsFromTheLayout) {
  Window w(host);
  w.load();
  w.label.setCaption("cambiado");
  w.b.select();
  w.unload();
  w.load();
  EXPECT_EQ(w.label.caption(), "hola");
  EXPECT_TRUE(w.a.selected());
}

TEST_F(Controls, TimersTickOnlyWhileEnabled) {
  Window w(host);
  w.load();
  int ticks = 0;
  w.timer.onTick = [&] { ++ticks; };
  host.advanceSeconds(3);
  EXPECT_EQ(ticks, 0);
  w.timer.setEnabled(true);
  host.advanceSeconds(3);
  EXPECT_EQ(ticks, 3);
  EXPECT_EQ(clock.now().minute, 30);
  EXPECT_EQ(clock.now().second, 4);
  w.timer.setEnabled(false);
  host.advanceSeconds(3);
  EXPECT_EQ(ticks, 3);
}

TEST_F(Controls, ModalWindowBlocksItsCallerWhileTimersTick) {
  Window main(host, "frmMain");
  Window child(host, "frmChild");
  main.load();
  main.show();
  std::vector<std::string> order;
  main.timer.onTick = [&] { order.push_back("tick"); };
  main.timer.setEnabled(true);
  int activations = 0;
  main.onActivate = [&] { ++activations; };
  child.onUnload = [&] { order.push_back("unloaded"); };
  host.whenModal("frmChild", [&](Form& f) {
    EXPECT_EQ(host.modalStack(), std::vector<std::string>{"frmChild"});
    host.advanceSeconds(2);
    f.unload();
  });
  child.showModal(main);
  order.push_back("returned");
  // The caller went on only after the child had gone; the timer ticked meanwhile.
  EXPECT_EQ(order, (std::vector<std::string>{"tick", "tick", "unloaded", "returned"}));
  EXPECT_FALSE(child.loaded());
  EXPECT_EQ(activations, 1);  // activation came back to the visible caller
}

TEST_F(Controls, ActivationOnlyOnTheFirstShowingAfterALoad) {
  Window w(host);
  int activations = 0;
  w.onActivate = [&] {
    ++activations;
    w.hide();
  };
  w.show();
  EXPECT_EQ(activations, 1);
  EXPECT_FALSE(w.visible());
  w.show();  // from the tray or the menu: not an activation inside the program
  EXPECT_EQ(activations, 1);
  EXPECT_TRUE(w.visible());
}

TEST_F(Controls, CloseRequestCanBeRefused) {
  Window w(host);
  w.show();
  w.onQueryClose = [] { return true; };
  w.userRequestClose();
  EXPECT_TRUE(w.loaded());
  w.onQueryClose = nullptr;
  w.userRequestClose();
  EXPECT_FALSE(w.loaded());
}

TEST_F(Controls, MessageBoxesAreScriptedAndRecorded) {
  host.answer(MessageAnswer::No);
  EXPECT_EQ(messageBox(host, "¿Sí?", "Vodivuri", MessageButtons::YesNo, MessageIcon::Question),
            MessageAnswer::No);
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0].title, "Vodivuri");
  EXPECT_EQ(host.messages[0].icon, MessageIcon::Question);
  EXPECT_THROW(messageBox(host, "otra", "Vodivuri", MessageButtons::Ok, MessageIcon::Information),
               std::logic_error);
}

}  // namespace
}  // namespace vodivuri::toolkit
