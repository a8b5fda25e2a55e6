#include "frontend/testhost/test_host.hpp"

#include <algorithm>
#include <stdexcept>

#include "toolkit/timing.hpp"

namespace vodivuri::testhost {

using namespace vodivuri::toolkit;

TestHost::TestHost(platform::testing::FakeClock& clock, ScreenMetrics screen)
    : clock_(clock), screen_(screen) {}

void TestHost::whenModal(const std::string& formName, std::function<void(Form&)> script) {
  scripts_[formName].push_back(std::move(script));
}

// Whole-minute timers wait for the fake clock's next minute, as the real
// hosts wait for the wall clock's (here exactly at it: the fake clock reads
// the new minute without a margin); the rest keep their plain interval.
long TestHost::dueAfter(const Timer& timer) const {
  if (timer.interval() % 60000 != 0) return now_ + timer.interval();
  const std::int64_t wall =
      ((toolkit::toDayNumber(clock_.now().date) * 24 + clock_.now().hour) * 60 +
       clock_.now().minute) *
          60000LL +
      clock_.now().second * 1000LL + clock_.millisecondsOfSecond();
  return now_ + toolkit::nextTickDelay(wall, timer.interval()) - toolkit::kTickOffsetMilliseconds;
}

void TestHost::timerChanged(Timer& timer) {
  std::erase_if(timers_, [&](const Scheduled& s) { return s.timer == &timer; });
  if (timer.enabled() && timer.form().loaded() && timer.interval() > 0) {
    timers_.push_back(Scheduled{&timer, dueAfter(timer), order_++});
  }
}

void TestHost::clockChanged() {
  for (Scheduled& s : timers_) s.due = now_;
  advance(0);
}

void TestHost::controlDestroyed(Control& control) {
  std::erase_if(timers_, [&](const Scheduled& s) { return s.timer == &control; });
  if (tray && tray->receiver == &control) tray.reset();
}

void TestHost::advance(long milliseconds) {
  const long target = now_ + milliseconds;
  while (!quitted_) {
    auto next = std::min_element(timers_.begin(), timers_.end(), [](const auto& a, const auto& b) {
      return a.due != b.due ? a.due < b.due : a.order < b.order;
    });
    if (next == timers_.end() || next->due > target) break;
    clock_.advanceMilliseconds(next->due - now_);
    now_ = next->due;
    Timer* timer = next->timer;
    next->due = dueAfter(*timer);
    next->order = order_++;
    timer->tick();
  }
  if (target > now_) {
    clock_.advanceMilliseconds(target - now_);
    now_ = target;
  }
}

void TestHost::trayMessage(int message) {
  if (!tray || tray->receiver == nullptr || quitted_) return;
  tray->receiver->userMouseMove(static_cast<double>(message) * screen_.twipsPerPixelX, 0);
}

void TestHost::recreateTrayArea() {
  if (!tray || tray->receiver == nullptr) return;
  toolkit::Form& owner = tray->receiver->form();
  tray.reset();
  events.push_back("tray area recreated");
  owner.trayAreaRecreated();
}

std::vector<std::string> TestHost::modalStack() const {
  std::vector<std::string> names;
  for (const Form* f : modal_) names.push_back(f->name());
  return names;
}

void TestHost::runModal(Form& form) {
  auto it = scripts_.find(form.name());
  if (it == scripts_.end() || it->second.empty()) {
    throw std::logic_error("modal window " + form.name() + " opened with no script for it");
  }
  auto script = std::move(it->second.front());
  it->second.pop_front();
  modal_.push_back(&form);
  script(form);
  modal_.pop_back();
  if (form.loaded()) {
    throw std::logic_error("modal window " + form.name() + " still open after its script");
  }
}

MessageAnswer TestHost::messageBox(const MessageRequest& request) {
  messages.push_back(request);
  if (answers_.empty()) {
    throw std::logic_error("unexpected message box: " + request.text);
  }
  const MessageAnswer a = answers_.front();
  answers_.pop_front();
  return a;
}

namespace {
MenuEntry* findEntry(MenuEntry& menu, const std::string& name) {
  for (MenuEntry* e : menu.entries()) {
    if (e->name() == name) return e;
    if (MenuEntry* inner = findEntry(*e, name)) return inner;
  }
  return nullptr;
}
void listEntries(const MenuEntry& menu, std::vector<TestHost::Popup::Entry>& out) {
  for (const MenuEntry* e : menu.entries()) {
    out.push_back({e->name(), e->caption(), e->enabled(), e->checked()});
    listEntries(*e, out);
  }
}
}  // namespace

void TestHost::popupMenu(Form&, MenuEntry& menu, const MenuEntry* defaultEntry) {
  Popup p{menu.name(), defaultEntry != nullptr ? defaultEntry->name() : "", {}};
  listEntries(menu, p.entries);
  popups.push_back(std::move(p));
  if (choices_.empty()) return;
  const std::string choice = choices_.front();
  choices_.pop_front();
  if (choice.empty()) return;
  MenuEntry* entry = findEntry(menu, choice);
  if (entry == nullptr) throw std::logic_error("no menu entry " + choice);
  // A disabled or invisible entry cannot be chosen.
  if (entry->visible() && entry->enabled()) entry->userClick();
}

void TestHost::addTrayIcon(const TrayIcon& icon) {
  events.push_back("tray add");
  tray = icon;
}

void TestHost::trayNotification(const TrayIcon& icon, const std::string& title,
                                const std::string& text) {
  if (!tray || tray->receiver != icon.receiver) return;  // no icon, nothing shown
  notifications.push_back({title, text});
}

void TestHost::removeTrayIcon(const TrayIcon&) {
  events.push_back("tray remove");
  tray.reset();
}

}  // namespace vodivuri::testhost
