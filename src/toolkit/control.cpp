#include "toolkit/control.hpp"

#include "toolkit/form.hpp"

namespace vodivuri::toolkit {

Control::Control(Form& form, std::string name, ControlKind kind, ControlState layout,
                 Control* container)
    : state_(layout),
      form_(form),
      name_(std::move(name)),
      kind_(kind),
      container_(container),
      layout_(std::move(layout)) {
  form_.adopt(*this);
}

Control::~Control() {
  form_.forget(*this);
}

void Control::changed(Property p) {
  form_.controlChanged(*this, p);
}

void Control::runClick() {
  if (onClick) onClick();
}

void Control::setRect(const Rect& r) {
  if (state_.rect == r) return;
  state_.rect = r;
  changed(Property::Rect);
}

void Control::setLeft(int left) {
  setRect({left, state_.rect.top, state_.rect.width, state_.rect.height});
}
void Control::setTop(int top) {
  setRect({state_.rect.left, top, state_.rect.width, state_.rect.height});
}
void Control::setWidth(int width) {
  setRect({state_.rect.left, state_.rect.top, width, state_.rect.height});
}

void Control::setCaption(const std::string& caption) {
  if (state_.caption == caption) return;
  state_.caption = caption;
  changed(Property::Caption);
}

void Control::setEnabled(bool enabled) {
  if (state_.enabled == enabled) return;
  state_.enabled = enabled;
  changed(Property::Enabled);
}

void Control::setVisible(bool visible) {
  if (state_.visible == visible) return;
  state_.visible = visible;
  changed(Property::Visible);
}

void Control::setTooltip(const std::string& tooltip) {
  if (state_.tooltip == tooltip) return;
  state_.tooltip = tooltip;
  changed(Property::Tooltip);
}

void Control::setPicture(const std::string& picture) {
  if (state_.picture == picture) return;
  state_.picture = picture;
  changed(Property::Picture);
}

void Control::setForeground(const Colour& c) {
  if (state_.foreground == c) return;
  state_.foreground = c;
  changed(Property::Looks);
}

void Control::setBackground(const Colour& c) {
  if (state_.background == c) return;
  state_.background = c;
  changed(Property::Looks);
}

std::string Control::accessibleName() const {
  if (state_.accessibleName.empty()) return state_.caption;
  if (role() == AccessRole::ReadOut) {
    return state_.caption.empty() ? state_.accessibleName
                                  : state_.accessibleName + ": " + state_.caption;
  }
  return state_.accessibleName;
}

AccessRole Control::role() const {
  if (state_.role != AccessRole::Default) return state_.role;
  switch (kind_) {
    case ControlKind::Label:
      return AccessRole::Text;
    case ControlKind::CheckBox:
      return AccessRole::CheckBox;
    case ControlKind::OptionButton:
      return AccessRole::RadioButton;
    case ControlKind::Button:
      return AccessRole::PushButton;
    case ControlKind::PictureBox:
      return AccessRole::Graphic;
    default:
      return AccessRole::None;
  }
}

void Control::setAccessibleName(const std::string& name) {
  if (state_.accessibleName == name) return;
  state_.accessibleName = name;
  changed(Property::Accessible);
}

void Control::setAccessibleDescription(const std::string& description) {
  if (state_.accessibleDescription == description) return;
  state_.accessibleDescription = description;
  changed(Property::Accessible);
}

void Control::setParts(std::vector<ControlPart> parts) {
  if (parts_ == parts) return;
  parts_ = std::move(parts);
  if (focusedPart_ >= static_cast<int>(parts_.size())) focusedPart_ = -1;
  changed(Property::Accessible);
}

void Control::setFocusedPart(int part) {
  if (part < -1 || part >= static_cast<int>(parts_.size())) part = -1;
  if (focusedPart_ == part) return;
  focusedPart_ = part;
  changed(Property::FocusedPart);
}

bool Control::hasFocus() const {
  return form_.focus() == this;
}

bool Control::reachable() const {
  if (!form_.loaded() || !form_.visible()) return false;
  for (const Control* c = this; c != nullptr; c = c->container_) {
    if (!c->state_.visible || !c->state_.enabled) return false;
  }
  return true;
}

void Control::userClick() {
  if (reachable()) runClick();
}

void Control::userMouseMove(double x, double y) {
  if (form_.loaded() && onMouseMove) onMouseMove(x, y);
}

void Control::resetToLayout() {
  state_ = layout_;
  changed(Property::Looks);
}

void CheckBox::setValue(int value) {
  if (state_.value == value) return;
  state_.value = value;
  changed(Property::Value);
  runClick();
}

void CheckBox::userClick() {
  if (reachable()) setValue(state_.value == 0 ? 1 : 0);
}

void OptionButton::select() {
  if (selected()) return;
  form().optionSelected(*this);
  state_.value = 1;
  changed(Property::Value);
  runClick();
}

void OptionButton::clearSelection() {
  if (state_.value == 0) return;
  state_.value = 0;
  changed(Property::Value);
}

void OptionButton::userClick() {
  if (reachable()) select();
}

namespace {
ControlState lineState(int x1, int y1, int x2, int y2, Colour colour) {
  ControlState s;
  s.rect = {x1, y1, x2 - x1, y2 - y1};
  s.foreground = colour;
  return s;
}
ControlState timerState(int intervalMs, bool enabled) {
  ControlState s;
  s.interval = intervalMs;
  s.enabled = enabled;
  s.visible = false;
  return s;
}
ControlState menuState(std::string caption, int checked, bool visible) {
  ControlState s;
  s.caption = std::move(caption);
  s.value = checked;
  s.visible = visible;
  return s;
}
}  // namespace

Line::Line(Form& form, std::string name, int x1, int y1, int x2, int y2, Colour colour)
    : Control(form, std::move(name), ControlKind::Line, lineState(x1, y1, x2, y2, colour)) {}

Timer::Timer(Form& form, std::string name, int intervalMs, bool enabled)
    : Control(form, std::move(name), ControlKind::Timer, timerState(intervalMs, enabled)) {}

void Timer::setInterval(int intervalMs) {
  if (state_.interval == intervalMs) return;
  state_.interval = intervalMs;
  changed(Property::Interval);
}

void Timer::tick() {
  if (state_.enabled && form().loaded() && onTick) onTick();
}

MenuEntry::MenuEntry(Form& form, std::string name, std::string caption, MenuEntry* parent,
                     int checked, bool visible)
    : Control(form, std::move(name), ControlKind::MenuEntry,
              menuState(std::move(caption), checked, visible)),
      parent_(parent) {
  if (parent_ != nullptr) parent_->entries_.push_back(this);
}

void MenuEntry::setChecked(bool checked) {
  const int v = checked ? 1 : 0;
  if (state_.value == v) return;
  state_.value = v;
  changed(Property::Value);
}

void MenuEntry::userClick() {
  if (form().loaded() && state_.enabled && !isSeparator()) runClick();
}

}  // namespace vodivuri::toolkit
