// A window: its controls, its life (load, show, modal show, hide, unload) and
// the events the program handles (load, activation, close request, keys).
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "toolkit/control.hpp"
#include "toolkit/host.hpp"

namespace vodivuri::toolkit {

enum class Border { FixedDialog, FixedSingle };

struct FormLayout {
  std::string caption;
  int clientWidth = 0;   // twips
  int clientHeight = 0;  // twips
  // Where the client area's top-left corner is put at creation; empty leaves
  // the place to the platform.
  std::optional<int> clientLeft;
  std::optional<int> clientTop;
  Colour background = Colour::of(SystemColour::ButtonFace);
  Border border = Border::FixedSingle;
  std::string icon;     // asset name; empty for none
  std::string picture;  // background picture asset
  Font font;
  // Painted background: 256 bands from black at the top to pure blue.
  bool blueGradient = false;
  // A secondary window, for screen readers (the main window is a frame).
  bool dialog = false;
};

inline constexpr int kKeyEscape = 27;

class Form {
 public:
  Form(Host& host, std::string name, FormLayout layout);
  virtual ~Form();
  Form(const Form&) = delete;
  Form& operator=(const Form&) = delete;

  const std::string& name() const { return name_; }
  Host& host() const { return host_; }
  const FormLayout& layout() const { return layout_; }
  const std::vector<Control*>& controls() const { return controls_; }
  Control* find(const std::string& name) const;

  bool loaded() const { return loaded_; }
  bool visible() const { return visible_; }
  bool modal() const { return modal_; }
  // The form that waits for this one while it is shown modally; null otherwise.
  Form* modalOwner() const { return modalOwner_; }

  // Outer edges in twips; empty while the platform has not placed the window.
  std::optional<int> left() const { return left_; }
  std::optional<int> top() const { return top_; }
  void setLeft(int left);
  void setTop(int top);
  // Outer size in twips; empty keeps the size given by the client area.
  std::optional<int> width() const { return width_; }
  std::optional<int> height() const { return height_; }
  void setSize(int width, int height);
  // The platform reports where the window really is (not an event).
  void placedByHost(int left, int top);

  void load();
  void show();
  // Blocks until this form is unloaded; `owner` is the form that waits.
  void showModal(Form& owner);
  void hide();
  // Minimises the window to the taskbar; a later show() restores it.
  void minimise();
  bool minimised() const { return minimised_; }
  void unload();

  // The keyboard order of the controls that can take the focus.
  std::vector<Control*> tabOrder;
  // The control that takes the keys; null when none. Each showing after a
  // load starts on the first stop of the tab order.
  Control* focus() const { return focus_; }
  void setFocus(Control* control);

  // User input, as a host or a test delivers it.
  void userRequestClose();
  void userKeyDown(int key);
  // A key pressed in the window: the focused control's own keys first, then
  // Tab and Shift+Tab along the stops, the arrows inside the option group,
  // Space and Return pressing, Esc. True when the key did something.
  bool userKey(const KeyPress& key);
  // The user put the focus on a control (a click); it takes it when it can.
  void userFocused(Control& control);
  void userMouseMove(double x, double y);
  void sessionEnding();
  // The notification area was re-created (the taskbar restarted) and lost its icons.
  void trayAreaRecreated();

  std::function<void()> onLoad;
  std::function<void()> onUnload;
  std::function<void()> onActivate;
  std::function<void()> onResize;
  // The window is about to be shown (before it is drawn), or has been hidden.
  std::function<void()> onShowing;
  std::function<void()> onHidden;
  // Return true to refuse the close.
  std::function<bool()> onQueryClose;
  std::function<void(int key)> onKeyDown;
  std::function<void(double x, double y)> onMouseMove;
  std::function<void()> onSessionEnd;
  std::function<void()> onTrayAreaRecreated;

  // For controls.
  void adopt(Control& control);
  void forget(Control& control);
  void controlChanged(Control& control, Property p);
  void optionSelected(OptionButton& selected);

 private:
  void activate();
  void focusFirst();
  bool arrowInGroup(Control& focused, const KeyPress& key);

  Host& host_;
  std::string name_;
  FormLayout layout_;
  std::vector<Control*> controls_;
  bool loaded_ = false;
  bool visible_ = false;
  bool minimised_ = false;
  bool modal_ = false;
  Form* modalOwner_ = nullptr;
  bool activatedSinceLoad_ = false;
  Control* focus_ = nullptr;
  std::optional<int> left_, top_, width_, height_;
};

}  // namespace vodivuri::toolkit
