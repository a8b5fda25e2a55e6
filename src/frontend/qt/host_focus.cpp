// The Qt host's focus: the model decides where it is, Qt's focus and the
// ring follow; what a screen reader hears of it goes with them.
#include "frontend/qt/accessible.hpp"
#include "frontend/qt/focus_ring.hpp"
#include "frontend/qt/qt_host.hpp"

namespace vodivuri::qt {

using toolkit::Control;
using toolkit::Form;

void QtHost::focusChanged(Form& form) {
  FormWidget* window = widgetOf(form);
  if (window == nullptr || quitting_) return;
  const Control* focused = form.focus();
  QWidget* target = focused != nullptr ? widgetOf(*focused) : nullptr;
  // Keys must still reach the form when nothing of it can take them.
  if (target == nullptr || !target->isEnabled()) target = window;
  target->setFocus(Qt::OtherFocusReason);
  placeRing(form);
}

void QtHost::placeRing(const Form& form) {
  FormWidget* window = widgetOf(form);
  if (window == nullptr || window->ring == nullptr) return;
  const Control* focused = form.focus();
  QWidget* widget = focused != nullptr ? widgetOf(*focused) : nullptr;
  if (widget == nullptr || !focused->reachable()) {
    window->ring->follow({}, false);
    return;
  }
  QRect target(widget->mapTo(window, QPoint(0, 0)), widget->size());
  // A grid's cell keeps its ring inside, off its neighbours.
  bool inside = focused->role() == toolkit::AccessRole::Cell;
  const int part = focused->focusedPart();
  if (part >= 0 && part < static_cast<int>(focused->parts().size())) {
    const toolkit::Rect& r = focused->parts()[static_cast<std::size_t>(part)].rect;
    target = QRect(target.topLeft() + QPoint(toPixelsX(r.left), toPixelsY(r.top)),
                   QSize(toPixelsX(r.width), toPixelsY(r.height)));
    inside = true;
  }
  window->ring->follow(target, inside);
}

void QtHost::focusLooksChanged(Control& control, toolkit::Property p) {
  using toolkit::Property;
  FormWidget* window = widgetOf(control.form());
  if (window == nullptr || window->ring == nullptr) return;
  if (control.hasFocus()) {
    placeRing(control.form());
  } else if (p != Property::Caption && p != Property::Tooltip && p != Property::Accessible &&
             p != Property::Interval) {
    // What lies beneath the ring may look different now.
    window->ring->refresh();
  }
}

}  // namespace vodivuri::qt
