// The deterministic host for behaviour tests: a fake clock the test advances,
// scripted answers to message boxes, scripted actions inside modal windows,
// recorded popup menus and a tray icon the test can send messages to.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/testing/doubles.hpp"
#include "toolkit/form.hpp"
#include "toolkit/host.hpp"

namespace vodivuri::testhost {

class TestHost : public toolkit::Host {
 public:
  explicit TestHost(platform::testing::FakeClock& clock, toolkit::ScreenMetrics screen = {});

  // --- scripting ---
  // The next message box gets this answer; an unscripted box fails the test.
  void answer(toolkit::MessageAnswer a) { answers_.push_back(a); }
  // The next modal showing of the named form runs `script`, which must unload it.
  void whenModal(const std::string& formName, std::function<void(toolkit::Form&)> script);
  // The next popup menu chooses the entry of this name ("" closes it unchosen).
  void choose(const std::string& entryName) { choices_.push_back(entryName); }
  // Lets time pass; enabled timers tick as their intervals fall due.
  void advance(long milliseconds);
  void advanceSeconds(long seconds) { advance(seconds * 1000); }
  // The system's notice that the wall clock was set or a suspend ended, as
  // the real hosts get it: every timer ticks at once and waits afresh.
  void clockChanged();
  // A message of the tray icon (516 right press, 515 left double-click...).
  void trayMessage(int message);
  void setScreen(const toolkit::ScreenMetrics& s) { screen_ = s; }
  // The taskbar restarts: its icons are gone and the icon's owner is told.
  void recreateTrayArea();

  // --- what happened ---
  struct Popup {
    std::string menu;
    std::string defaultEntry;
    // The entries as shown: caption, enabled, checked.
    struct Entry {
      std::string name, caption;
      bool enabled, checked;
    };
    std::vector<Entry> entries;
  };
  std::vector<toolkit::MessageRequest> messages;
  std::vector<Popup> popups;
  std::vector<std::string> events;        // "shown frmX", "hidden frmX", "tray add", ...
  std::optional<toolkit::TrayIcon> tray;  // the icon while it is in the area
  struct Notification {
    std::string title, text;
    friend bool operator==(const Notification&, const Notification&) = default;
  };
  std::vector<Notification> notifications;
  bool quitted() const { return quitted_; }
  std::vector<std::string> modalStack() const;
  platform::testing::FakeClock& clock() { return clock_; }

  // --- Host ---
  void formShown(toolkit::Form& f) override { events.push_back("shown " + f.name()); }
  void formRaised(toolkit::Form& f) override { events.push_back("raised " + f.name()); }
  void formHidden(toolkit::Form& f) override { events.push_back("hidden " + f.name()); }
  void formUnloaded(toolkit::Form& f) override { events.push_back("unloaded " + f.name()); }
  void timerChanged(toolkit::Timer& timer) override;
  void controlDestroyed(toolkit::Control& control) override;
  void runModal(toolkit::Form& form) override;
  toolkit::MessageAnswer messageBox(const toolkit::MessageRequest& request) override;
  void popupMenu(toolkit::Form& owner, toolkit::MenuEntry& menu,
                 const toolkit::MenuEntry* defaultEntry) override;
  toolkit::ScreenMetrics screen() const override { return screen_; }
  void addTrayIcon(const toolkit::TrayIcon& icon) override;
  void removeTrayIcon(const toolkit::TrayIcon& icon) override;
  void trayNotification(const toolkit::TrayIcon& icon, const std::string& title,
                        const std::string& text) override;
  void quit() override { quitted_ = true; }
  bool trayAvailable() const override { return trayAvailable_; }
  void minimise(toolkit::Form& f) override { events.push_back("minimised " + f.name()); }
  void setTrayAvailable(bool available) { trayAvailable_ = available; }

 private:
  struct Scheduled {
    toolkit::Timer* timer;
    long due;
    long order;
  };
  platform::testing::FakeClock& clock_;
  toolkit::ScreenMetrics screen_;
  std::deque<toolkit::MessageAnswer> answers_;
  std::deque<std::string> choices_;
  std::map<std::string, std::deque<std::function<void(toolkit::Form&)>>> scripts_;
  std::vector<Scheduled> timers_;
  long dueAfter(const toolkit::Timer& timer) const;
  std::vector<toolkit::Form*> modal_;
  long now_ = 0;
  long order_ = 0;
  bool quitted_ = false;
  bool trayAvailable_ = true;
};

}  // namespace vodivuri::testhost
