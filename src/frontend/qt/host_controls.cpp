// The Qt host's controls: a widget per control, kept in step with the model
// under a signal blocker, and the user's clicks handed back to the model.
#include <QCursor>
#include <QFontMetrics>
#include <QSignalBlocker>
#include <QToolTip>
#include <algorithm>

#include "frontend/qt/accessible.hpp"
#include "frontend/qt/qt_host.hpp"

namespace vodivuri::qt {

using toolkit::Control;
using toolkit::ControlKind;

namespace {

QString text(const std::string& s) {
  return QString::fromStdString(s);
}

}  // namespace

QWidget* QtHost::createControl(Control& control, FormWidget& form) {
  if (QWidget* existing = widgetOf(control)) return existing;
  if (control.kind() == ControlKind::Timer || control.kind() == ControlKind::MenuEntry) {
    return nullptr;
  }
  QWidget* parent = &form;
  if (Control* box = control.container()) {
    if (QWidget* inside = createControl(*box, form)) parent = inside;
  }
  QWidget* widget = nullptr;
  switch (control.kind()) {
    case ControlKind::Label:
    case ControlKind::PictureBox:
    case ControlKind::Image:
      widget = new PaintedControl(*this, control, parent);
      break;
    case ControlKind::CheckBox:
      widget = new CheckBoxControl(*this, control, parent);
      break;
    case ControlKind::OptionButton:
      widget = new OptionControl(*this, control, parent);
      break;
    case ControlKind::Button:
      widget = new ButtonControl(*this, control, parent);
      break;
    case ControlKind::Frame:
      widget = new FrameControl(*this, control, parent);
      break;
    case ControlKind::Line:
      widget = new LineControl(*this, control, parent);
      break;
    case ControlKind::Timer:
    case ControlKind::MenuEntry:
      return nullptr;
  }
  widget->setObjectName(text(control.name()));
  widget->setFocusPolicy(Qt::NoFocus);
  // Moves over a control are not moves over the window's own surface.
  widget->setAttribute(Qt::WA_NoMousePropagation);
  controls_[&control] = widget;
  apply(control, *widget);
  // Lines are drawn on the window itself, beneath its controls.
  if (control.kind() == ControlKind::Line) widget->lower();
  return widget;
}

void QtHost::apply(Control& control, QWidget& widget) {
  const toolkit::ControlState& s = control.state();
  const QSignalBlocker blocker(&widget);
  auto* view = dynamic_cast<ControlView*>(&widget);
  const bool tooltipChanged = view == nullptr || view->shown().tooltip != s.tooltip;
  if (view != nullptr) view->setShown(s);

  widget.setFont(font(s.font));
  if (control.kind() == ControlKind::Line) {
    auto& line = static_cast<LineControl&>(widget);
    const QPoint a(toPixelsX(s.rect.left), toPixelsY(s.rect.top));
    const QPoint b(toPixelsX(s.rect.left + s.rect.width), toPixelsY(s.rect.top + s.rect.height));
    const QRect box(
        QPoint(std::min(a.x(), b.x()), std::min(a.y(), b.y())),
        QSize(std::max(1, std::abs(b.x() - a.x())), std::max(1, std::abs(b.y() - a.y()))));
    line.setGeometry(box);
    line.from = a - box.topLeft();
    line.to = b - box.topLeft();
  } else {
    QRect r(toPixelsX(s.rect.left), toPixelsY(s.rect.top), toPixelsX(s.rect.width),
            toPixelsY(s.rect.height));
    if (control.kind() == ControlKind::Label && s.autoSize) {
      r.setSize(
          QFontMetrics(widget.font())
              .boundingRect(QRect(0, 0, 4096, 4096), Qt::AlignLeft | Qt::AlignTop, text(s.caption))
              .size());
    }
    widget.setGeometry(r);
  }

  widget.setEnabled(s.enabled);
  if (tooltipChanged) {
    widget.setToolTip(text(s.tooltip));
    // A tip on show follows the text, as over the toolbar's buttons.
    if (QToolTip::isVisible() && widget.underMouse()) {
      if (s.tooltip.empty()) {
        QToolTip::hideText();
      } else {
        QToolTip::showText(QCursor::pos(), text(s.tooltip), &widget);
      }
    }
  }
  if (s.cursor == "hand") {
    widget.setCursor(Qt::PointingHandCursor);
  } else {
    widget.unsetCursor();
  }
  widget.setAttribute(Qt::WA_TransparentForMouseEvents,
                      control.kind() == ControlKind::Line || !s.mouseInput);

  switch (control.kind()) {
    case ControlKind::CheckBox: {
      auto& box = static_cast<QCheckBox&>(widget);
      box.setTristate(s.value == 2);
      box.setCheckState(s.value == 0   ? Qt::Unchecked
                        : s.value == 2 ? Qt::PartiallyChecked
                                       : Qt::Checked);
      break;
    }
    case ControlKind::OptionButton:
      static_cast<QRadioButton&>(widget).setChecked(s.value != 0);
      break;
    case ControlKind::Button: {
      auto& button = static_cast<QPushButton&>(widget);
      button.setText(text(s.caption));
      const QPixmap glyph = picture(s.picture);
      button.setIcon(glyph.isNull() ? QIcon() : QIcon(glyph));
      if (!glyph.isNull()) button.setIconSize(glyph.deviceIndependentSize().toSize());
      break;
    }
    case ControlKind::PictureBox:
    case ControlKind::Image:
      static_cast<PaintedControl&>(widget).picture = picture(s.picture);
      break;
    case ControlKind::Frame: {
      auto& frame = static_cast<QFrame&>(widget);
      frame.setFrameStyle(s.border ? QFrame::Box | QFrame::Sunken : QFrame::NoFrame);
      break;
    }
    default:
      break;
  }
  if (control.kind() == ControlKind::CheckBox || control.kind() == ControlKind::OptionButton) {
    QPalette palette = widget.palette();
    palette.setColor(QPalette::Window, colour(s.background));
    palette.setColor(QPalette::WindowText, colour(s.foreground));
    widget.setPalette(palette);
    // A button fills with its button colour by default; the control's own
    // background is the window colour set above.
    widget.setBackgroundRole(QPalette::Window);
    widget.setAutoFillBackground(true);
  }
  widget.setVisible(s.visible);
  widget.update();
}

void QtHost::controlChanged(Control& control, toolkit::Property p) {
  if (QWidget* widget = widgetOf(control)) {
    apply(control, *widget);
    focusLooksChanged(control, p);
    accessibleChanged(control, p, *widget);
  }
  // Only menu entries reach an exported menu; the clock's changes every second do not.
  if (control.kind() == ControlKind::MenuEntry) trayMenuChanged(control);
}

void QtHost::controlDestroyed(Control& control) {
  if (const auto it = controls_.find(&control); it != controls_.end()) {
    if (auto* view = dynamic_cast<ControlView*>(it->second.data())) view->detach();
    controls_.erase(it);
  }
  forgetTimer(control);
  dropTray(&control);
}

void QtHost::userClicked(Control& control) {
  if (quitting_) return;
  control.userClick();
  if (quitting_) return;
  // The model decides what a check box or option button shows after a click.
  if (QWidget* widget = widgetOf(control)) apply(control, *widget);
}

}  // namespace vodivuri::qt
