// Headless controls: the state the handlers read and write, the click and
// mouse events they raise, and the change notices a front end renders.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "toolkit/accessible.hpp"
#include "toolkit/keys.hpp"
#include "toolkit/looks.hpp"

namespace vodivuri::toolkit {

class Form;

enum class ControlKind {
  Label,
  CheckBox,
  OptionButton,
  Button,
  PictureBox,
  Image,
  Line,
  Frame,
  Timer,
  MenuEntry
};

// What changed, for the front ends.
enum class Property {
  Rect,
  Caption,
  Enabled,
  Visible,
  Value,
  Tooltip,
  Picture,
  Looks,
  Interval,
  Accessible,   // name, description or role
  FocusedPart,  // which part has the focus, while the control has it
};

// Everything a control shows; each window declares it once per control.
// Line controls keep (x1, y1) in rect.left/top and (x2 - x1, y2 - y1) in width/height.
struct ControlState {
  Rect rect;
  std::string caption;
  bool enabled = true;
  bool visible = true;
  int value = 0;  // check box 0/1/2, option button and menu check mark 0/1
  std::string tooltip;
  std::string picture;  // asset name
  Colour foreground = Colour::of(SystemColour::ButtonText);
  Colour background = Colour::of(SystemColour::ButtonFace);
  bool transparent = false;  // labels: the window's painting shows through
  bool border = false;       // thin single border
  Alignment alignment = Alignment::Left;
  bool autoSize = false;
  Font font;
  std::string cursor;      // "hand" over links; empty for the default
  int interval = 0;        // timers, milliseconds
  bool mouseInput = true;  // false: moves and clicks belong to what lies beneath
  // What a screen reader says: the name (empty: the caption; a read-out's
  // name goes before its caption), the role and a longer description.
  std::string accessibleName;
  AccessRole role = AccessRole::Default;
  std::string accessibleDescription;
};

class Control {
 public:
  Control(Form& form, std::string name, ControlKind kind, ControlState layout,
          Control* container = nullptr);
  virtual ~Control();
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;

  const std::string& name() const { return name_; }
  ControlKind kind() const { return kind_; }
  Form& form() const { return form_; }
  Control* container() const { return container_; }
  const ControlState& state() const { return state_; }
  const ControlState& layout() const { return layout_; }

  const Rect& rect() const { return state_.rect; }
  int left() const { return state_.rect.left; }
  int top() const { return state_.rect.top; }
  int width() const { return state_.rect.width; }
  int height() const { return state_.rect.height; }
  void setRect(const Rect& r);
  void setLeft(int left);
  void setTop(int top);
  void setWidth(int width);

  const std::string& caption() const { return state_.caption; }
  void setCaption(const std::string& caption);
  bool enabled() const { return state_.enabled; }
  void setEnabled(bool enabled);
  bool visible() const { return state_.visible; }
  void setVisible(bool visible);
  const std::string& tooltip() const { return state_.tooltip; }
  void setTooltip(const std::string& tooltip);
  const std::string& picture() const { return state_.picture; }
  void setPicture(const std::string& picture);
  const Colour& foreground() const { return state_.foreground; }
  const Colour& background() const { return state_.background; }
  void setForeground(const Colour& c);
  void setBackground(const Colour& c);

  // Whether a user could click it now: its form loaded, it and its
  // containers visible and enabled.
  bool reachable() const;

  // What a screen reader is told.
  std::string accessibleName() const;
  AccessRole role() const;
  const std::string& accessibleDescription() const { return state_.accessibleDescription; }
  void setAccessibleName(const std::string& name);
  void setAccessibleDescription(const std::string& description);
  // The parts that take the focus on their own (a toolbar's buttons), and the
  // one that has it while the control has the focus (-1: none).
  const std::vector<ControlPart>& parts() const { return parts_; }
  void setParts(std::vector<ControlPart> parts);
  int focusedPart() const { return focusedPart_; }
  void setFocusedPart(int part);
  bool hasFocus() const;

  std::function<void()> onClick;
  std::function<void(double x, double y)> onMouseMove;
  // A key pressed while the control has the focus; true when it was used, so
  // the form's own keys (Tab, Return, Space, the option arrows) do not run.
  std::function<bool(const KeyPress&)> onKey;
  // The focus came (true) or went (false).
  std::function<void(bool)> onFocusChange;

  // A user's click, as a host or a test delivers it.
  virtual void userClick();
  // A user's mouse move over the control, in twips of its own coordinates.
  void userMouseMove(double x, double y);

  // Back to the state of the layout declaration (each load starts afresh).
  void resetToLayout();

 protected:
  void changed(Property p);
  void runClick();
  ControlState state_;

 private:
  Form& form_;
  std::string name_;
  ControlKind kind_;
  Control* container_;
  ControlState layout_;
  std::vector<ControlPart> parts_;
  int focusedPart_ = -1;
};

// Text that may react to clicks.
class Label : public Control {
 public:
  Label(Form& form, std::string name, ControlState layout, Control* container = nullptr)
      : Control(form, std::move(name), ControlKind::Label, std::move(layout), container) {}
};

// 0 unchecked, 1 checked, 2 grey. Any change of value runs onClick.
class CheckBox : public Control {
 public:
  CheckBox(Form& form, std::string name, ControlState layout, Control* container = nullptr)
      : Control(form, std::move(name), ControlKind::CheckBox, std::move(layout), container) {}
  int value() const { return state_.value; }
  void setValue(int value);
  void userClick() override;
};

// The option buttons of one form are one group with exactly one selected;
// becoming selected runs onClick.
class OptionButton : public Control {
 public:
  OptionButton(Form& form, std::string name, ControlState layout, Control* container = nullptr)
      : Control(form, std::move(name), ControlKind::OptionButton, std::move(layout), container) {}
  bool selected() const { return state_.value != 0; }
  void select();
  void userClick() override;

 private:
  friend class Form;
  void clearSelection();
};

class Button : public Control {
 public:
  Button(Form& form, std::string name, ControlState layout, Control* container = nullptr)
      : Control(form, std::move(name), ControlKind::Button, std::move(layout), container) {}
};

class PictureBox : public Control {
 public:
  PictureBox(Form& form, std::string name, ControlState layout, Control* container = nullptr)
      : Control(form, std::move(name), ControlKind::PictureBox, std::move(layout), container) {}
};

class Image : public Control {
 public:
  Image(Form& form, std::string name, ControlState layout, Control* container = nullptr)
      : Control(form, std::move(name), ControlKind::Image, std::move(layout), container) {}
};

class Frame : public Control {
 public:
  Frame(Form& form, std::string name, ControlState layout, Control* container = nullptr)
      : Control(form, std::move(name), ControlKind::Frame, std::move(layout), container) {}
};

// A straight line from (x1, y1) to (x2, y2).
class Line : public Control {
 public:
  Line(Form& form, std::string name, int x1, int y1, int x2, int y2, Colour colour);
  int x1() const { return state_.rect.left; }
  int y1() const { return state_.rect.top; }
  int x2() const { return state_.rect.left + state_.rect.width; }
  int y2() const { return state_.rect.top + state_.rect.height; }
};

// Ticks every interval while enabled and its form is loaded.
class Timer : public Control {
 public:
  Timer(Form& form, std::string name, int intervalMs, bool enabled);
  int interval() const { return state_.interval; }
  // The countdown starts afresh, also from inside a tick.
  void setInterval(int intervalMs);
  std::function<void()> onTick;
  void tick();
};

// An entry of a menu tree; "-" as caption is a separator.
class MenuEntry : public Control {
 public:
  MenuEntry(Form& form, std::string name, std::string caption, MenuEntry* parent = nullptr,
            int checked = 0, bool visible = true);
  MenuEntry* parent() const { return parent_; }
  const std::vector<MenuEntry*>& entries() const { return entries_; }
  bool checked() const { return state_.value != 0; }
  void setChecked(bool checked);
  bool isSeparator() const { return caption() == "-"; }
  void userClick() override;

 private:
  MenuEntry* parent_;
  std::vector<MenuEntry*> entries_;
};

}  // namespace vodivuri::toolkit
