#include "frontend/qt/keyboard.hpp"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QTimer>
#include <algorithm>

#include "frontend/qt/qt_host.hpp"

namespace vodivuri::qt {

using toolkit::Key;

std::optional<toolkit::KeyPress> coreKey(const QKeyEvent& event) {
  const Qt::KeyboardModifiers mods = event.modifiers();
  toolkit::KeyPress press{Key::Escape, (mods & Qt::ShiftModifier) != 0,
                          (mods & Qt::ControlModifier) != 0};
  switch (event.key()) {
    case Qt::Key_Tab:
      press.key = Key::Tab;
      break;
    case Qt::Key_Backtab:  // what Shift+Tab arrives as
      press.key = Key::Tab;
      press.shift = true;
      break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      press.key = Key::Return;
      break;
    case Qt::Key_Space:
      press.key = Key::Space;
      break;
    case Qt::Key_Escape:
      press.key = Key::Escape;
      break;
    case Qt::Key_Left:
      press.key = Key::Left;
      break;
    case Qt::Key_Right:
      press.key = Key::Right;
      break;
    case Qt::Key_Up:
      press.key = Key::Up;
      break;
    case Qt::Key_Down:
      press.key = Key::Down;
      break;
    case Qt::Key_PageUp:
      press.key = Key::PageUp;
      break;
    case Qt::Key_PageDown:
      press.key = Key::PageDown;
      break;
    case Qt::Key_Home:
      press.key = Key::Home;
      break;
    case Qt::Key_End:
      press.key = Key::End;
      break;
    default:
      return std::nullopt;
  }
  // Alt or Meta with it is a desktop's shortcut, not the window's key.
  if (mods & (Qt::AltModifier | Qt::MetaModifier)) return std::nullopt;
  return press;
}

namespace {

// The control under a widget of a form's window, and the window.
ControlView* viewOf(QWidget* widget) {
  for (QWidget* w = widget; w != nullptr && !w->isWindow(); w = w->parentWidget()) {
    if (auto* view = dynamic_cast<ControlView*>(w); view != nullptr && view->control() != nullptr) {
      return view;
    }
  }
  return nullptr;
}

}  // namespace

bool InputForwarder::eventFilter(QObject* target, QEvent* event) {
  const QEvent::Type type = event->type();
  if (type != QEvent::KeyPress && type != QEvent::KeyRelease && type != QEvent::MouseButtonPress &&
      type != QEvent::MouseButtonDblClick && type != QEvent::MouseButtonRelease) {
    return false;
  }
  auto* widget = qobject_cast<QWidget*>(target);
  if (widget == nullptr) return false;
  auto* window = dynamic_cast<FormWidget*>(widget->window());
  if (window == nullptr || !host_.forwards(*window)) return false;
  toolkit::Form& form = window->form();

  if (type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick ||
      type == QEvent::MouseButtonRelease) {
    if (static_cast<QMouseEvent*>(event)->button() != Qt::LeftButton) return false;
    ControlView* view = viewOf(widget);
    if (view == nullptr) return false;
    toolkit::Control& control = *view->control();
    const auto& order = form.tabOrder;
    if (std::find(order.begin(), order.end(), &control) == order.end()) return false;
    // A control with parts (the toolbar) takes the focus once the click is
    // done: its focus raises the keyboard's part, and the click must press
    // the one under the pointer.
    const bool afterClick = !control.parts().empty();
    if (type == QEvent::MouseButtonRelease && afterClick) {
      QTimer::singleShot(0, window, [window, &control] {
        if (window->form().loaded()) window->form().userFocused(control);
      });
    } else if (type != QEvent::MouseButtonRelease && !afterClick) {
      form.userFocused(control);
    }
    return false;  // the click itself goes on to the widget
  }

  const auto press = coreKey(*static_cast<QKeyEvent*>(event));
  if (!press) return false;
  event->accept();
  // Releases are the presses' business; a button must not click on one.
  if (type == QEvent::KeyRelease) return true;
  // What the core does not use does nothing either: the model is the behaviour.
  form.userKey(*press);
  return true;
}

}  // namespace vodivuri::qt
