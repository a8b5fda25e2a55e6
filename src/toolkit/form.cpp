#include "toolkit/form.hpp"

#include <algorithm>

#include "toolkit/focus.hpp"

namespace vodivuri::toolkit {

MessageAnswer messageBox(Host& host, const std::string& text, const std::string& title,
                         MessageButtons buttons, MessageIcon icon) {
  return host.messageBox(MessageRequest{text, title, buttons, icon});
}

Form::Form(Host& host, std::string name, FormLayout layout)
    : host_(host), name_(std::move(name)), layout_(std::move(layout)) {}

Form::~Form() = default;

Control* Form::find(const std::string& name) const {
  for (Control* c : controls_) {
    if (c->name() == name) return c;
  }
  return nullptr;
}

void Form::adopt(Control& control) {
  controls_.push_back(&control);
}

void Form::forget(Control& control) {
  std::erase(controls_, &control);
  host_.controlDestroyed(control);
}

void Form::controlChanged(Control& control, Property p) {
  if (!loaded_) return;
  host_.controlChanged(control, p);
  if (control.kind() == ControlKind::Timer &&
      (p == Property::Enabled || p == Property::Interval || p == Property::Looks)) {
    host_.timerChanged(static_cast<Timer&>(control));
  }
}

void Form::optionSelected(OptionButton& selected) {
  for (Control* c : controls_) {
    if (c != &selected && c->kind() == ControlKind::OptionButton) {
      static_cast<OptionButton*>(c)->clearSelection();
    }
  }
}

void Form::setLeft(int left) {
  if (left_ == left) return;
  left_ = left;
  if (loaded_) host_.formMoved(*this);
}

void Form::setTop(int top) {
  if (top_ == top) return;
  top_ = top;
  if (loaded_) host_.formMoved(*this);
}

void Form::setSize(int width, int height) {
  if (width_ == width && height_ == height) return;
  width_ = width;
  height_ = height;
  if (loaded_) host_.formMoved(*this);
}

void Form::placedByHost(int left, int top) {
  left_ = left;
  top_ = top;
}

void Form::load() {
  if (loaded_) return;
  loaded_ = true;
  activatedSinceLoad_ = false;
  // Each loading gets a new window: the place and size of the last one are
  // forgotten, so that setting the same values again still moves this one.
  left_ = layout_.clientLeft;
  top_ = layout_.clientTop;
  width_.reset();
  height_.reset();
  focus_ = nullptr;
  for (Control* c : controls_) c->resetToLayout();
  host_.formLoaded(*this);
  if (onLoad) onLoad();
}

void Form::show() {
  if (!loaded_) load();
  if (!loaded_) return;
  if (visible_ && !minimised_) {
    // Shown but perhaps covered: whoever asks for it wants to see it.
    host_.formRaised(*this);
    return;
  }
  const bool restoring = visible_;
  visible_ = true;
  minimised_ = false;
  if (onShowing) onShowing();
  if (restoring) {
    host_.formShown(*this);
    return;
  }
  host_.formShown(*this);
  if (onResize) onResize();
  focusFirst();
  activate();
}

void Form::showModal(Form& owner) {
  if (!loaded_) load();
  if (!loaded_) return;
  modal_ = true;
  modalOwner_ = &owner;
  if (!visible_) {
    visible_ = true;
    if (onShowing) onShowing();
    host_.formShown(*this);
    if (onResize) onResize();
    focusFirst();
  }
  activate();
  host_.runModal(*this);
  modal_ = false;
  modalOwner_ = nullptr;
  // Activation passes back to the window that waited, if it can take it.
  if (owner.loaded() && owner.visible() && owner.onActivate) owner.onActivate();
}

void Form::activate() {
  // Only the first showing after a load is an activation inside the program;
  // later showings come from the tray, the menu or a timer and do not count.
  if (activatedSinceLoad_) return;
  activatedSinceLoad_ = true;
  if (onActivate) onActivate();
}

void Form::minimise() {
  if (!loaded_ || minimised_) return;
  visible_ = true;
  minimised_ = true;
  host_.minimise(*this);
}

void Form::hide() {
  if (!visible_) return;
  visible_ = false;
  minimised_ = false;
  host_.formHidden(*this);
  if (onHidden) onHidden();
}

void Form::unload() {
  if (!loaded_) return;
  if (onUnload) onUnload();
  visible_ = false;
  minimised_ = false;
  loaded_ = false;
  focus_ = nullptr;
  host_.formUnloaded(*this);
  for (Control* c : controls_) {
    if (c->kind() == ControlKind::Timer) host_.timerChanged(static_cast<Timer&>(*c));
  }
}

void Form::userRequestClose() {
  if (!loaded_) return;
  if (onQueryClose && onQueryClose()) return;
  unload();
}

void Form::userKeyDown(int key) {
  if (loaded_ && onKeyDown) onKeyDown(key);
}

void Form::setFocus(Control* control) {
  if (control == focus_) return;
  Control* old = focus_;
  focus_ = control;
  if (old != nullptr) {
    old->setFocusedPart(-1);
    if (old->onFocusChange) old->onFocusChange(false);
  }
  if (loaded_) host_.focusChanged(*this);
  if (focus_ == control && control != nullptr && control->onFocusChange) {
    control->onFocusChange(true);
  }
}

void Form::focusFirst() {
  if (focus_ != nullptr && focus_->reachable()) return;
  const std::vector<Control*> stops = tabStops(*this);
  setFocus(stops.empty() ? nullptr : stops.front());
}

void Form::userFocused(Control& control) {
  if (!loaded_ || !control.reachable()) return;
  if (std::find(tabOrder.begin(), tabOrder.end(), &control) == tabOrder.end()) return;
  setFocus(&control);
}

namespace {

// What Return and Space press: buttons, and pictures and texts that react to
// clicks (the toolbar, links).
bool pressable(const Control& c) {
  switch (c.kind()) {
    case ControlKind::Button:
      return true;
    case ControlKind::PictureBox:
    case ControlKind::Label:
    case ControlKind::Image:
      return static_cast<bool>(c.onClick);
    default:
      return false;
  }
}

}  // namespace

bool Form::arrowInGroup(Control& focused, const KeyPress& key) {
  if (focused.kind() != ControlKind::OptionButton) return false;
  const bool backwards = key.key == Key::Left || key.key == Key::Up;
  OptionButton* next = neighbourOption(*this, focused, backwards);
  if (next == nullptr) return true;
  setFocus(next);
  next->userClick();
  return true;
}

bool Form::userKey(const KeyPress& key) {
  if (!loaded_ || !visible_) return false;
  Control* focused = focus_ != nullptr && focus_->reachable() ? focus_ : nullptr;
  if (focused != nullptr && focused->onKey && focused->onKey(key)) return true;
  switch (key.key) {
    case Key::Tab: {
      // From a control no longer reachable, Tab goes on from its place.
      const Control* from = focused != nullptr ? focused : focus_;
      Control* next = nextTabStop(*this, from, key.shift);
      if (next == nullptr) return false;
      setFocus(next);
      return true;
    }
    case Key::Escape:
      if (!onKeyDown) return false;
      userKeyDown(kKeyEscape);
      return true;
    case Key::Left:
    case Key::Right:
    case Key::Up:
    case Key::Down:
      return focused != nullptr && arrowInGroup(*focused, key);
    case Key::Space:
      if (focused == nullptr) return false;
      if (focused->kind() == ControlKind::CheckBox ||
          focused->kind() == ControlKind::OptionButton || pressable(*focused)) {
        focused->userClick();
        return true;
      }
      return false;
    case Key::Return:
      if (focused == nullptr || !pressable(*focused)) return false;
      focused->userClick();
      return true;
    default:
      return false;
  }
}

void Form::userMouseMove(double x, double y) {
  if (loaded_ && onMouseMove) onMouseMove(x, y);
}

void Form::trayAreaRecreated() {
  if (loaded_ && onTrayAreaRecreated) onTrayAreaRecreated();
}

void Form::sessionEnding() {
  if (loaded_ && onSessionEnd) onSessionEnd();
}

}  // namespace vodivuri::toolkit
