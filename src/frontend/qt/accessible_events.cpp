// The toolbar's parts as buttons of their own, and the events a model change
// raises for a screen reader.
#include <QPointer>
#include <algorithm>

#include "frontend/qt/accessible.hpp"
#include "frontend/qt/widgets.hpp"

namespace vodivuri::qt {

using toolkit::Control;

Control* controlOf(const QWidget* widget) {
  const auto* view = dynamic_cast<const ControlView*>(widget);
  return view != nullptr ? view->control() : nullptr;
}

bool activeWindow(const QWidget& widget) {
  return widget.window()->isActiveWindow();
}

namespace {

// A button of a toolbar: no widget of its own, the toolbar's model behind it.
class PartAccessible : public QAccessibleInterface {
 public:
  PartAccessible(QWidget& toolbar, int index) : toolbar_(&toolbar), index_(index) {}
  bool isValid() const override { return part() != nullptr; }
  QObject* object() const override { return nullptr; }
  QWindow* window() const override {
    return toolbar_ ? toolbar_->window()->windowHandle() : nullptr;
  }
  QAccessibleInterface* childAt(int, int) const override { return nullptr; }
  QAccessibleInterface* parent() const override {
    return toolbar_ ? QAccessible::queryAccessibleInterface(toolbar_.data()) : nullptr;
  }
  QAccessibleInterface* child(int) const override { return nullptr; }
  int childCount() const override { return 0; }
  int indexOfChild(const QAccessibleInterface*) const override { return -1; }
  QString text(QAccessible::Text t) const override {
    const toolkit::ControlPart* p = part();
    if (p == nullptr) return {};
    if (t == QAccessible::Name) return QString::fromStdString(p->name);
    if (t == QAccessible::Description) return QString::fromStdString(p->description);
    return {};
  }
  void setText(QAccessible::Text, const QString&) override {}
  QRect rect() const override {
    const toolkit::ControlPart* p = part();
    return p != nullptr ? partRect(*p) : QRect();
  }
  QAccessible::Role role() const override { return QAccessible::PushButton; }
  QAccessible::State state() const override {
    QAccessible::State s;
    const Control* c = controlOf(toolbar_.data());
    if (c == nullptr) {
      s.invalid = true;
      return s;
    }
    s.focusable = true;
    s.disabled = !toolbar_->isEnabled();
    s.invisible = !toolbar_->isVisible();
    s.focused = c->hasFocus() && c->focusedPart() == index_ && activeWindow(*toolbar_);
    return s;
  }

 private:
  const toolkit::ControlPart* part() const {
    const Control* c = controlOf(toolbar_.data());
    if (c == nullptr || index_ >= static_cast<int>(c->parts().size())) return nullptr;
    return &c->parts()[static_cast<std::size_t>(index_)];
  }
  // The part's twips scaled as the toolbar's own twips are to its pixels.
  QRect partRect(const toolkit::ControlPart& p) const {
    const Control* c = controlOf(toolbar_.data());
    const double sx = c->width() > 0 ? double(toolbar_->width()) / c->width() : 0;
    const double sy = c->height() > 0 ? double(toolbar_->height()) / c->height() : 0;
    const QPoint origin = toolbar_->mapToGlobal(QPoint(0, 0));
    return QRect(origin + QPoint(int(p.rect.left * sx), int(p.rect.top * sy)),
                 QSize(int(p.rect.width * sx), int(p.rect.height * sy)));
  }

  QPointer<QWidget> toolbar_;
  int index_;
};

}  // namespace

QAccessibleInterface* makePart(QWidget& toolbar, int index) {
  return new PartAccessible(toolbar, index);
}

// ---- events ----

void accessibleChanged(Control& control, toolkit::Property p, QWidget& widget) {
  using toolkit::Property;
  if (!QAccessible::isActive()) return;
  switch (p) {
    case Property::Caption:
    case Property::Accessible: {
      QAccessibleEvent name(&widget, QAccessible::NameChanged);
      QAccessible::updateAccessibility(&name);
      QAccessibleEvent description(&widget, QAccessible::DescriptionChanged);
      QAccessible::updateAccessibility(&description);
      break;
    }
    case Property::Tooltip:
      if (control.accessibleDescription().empty() && control.parts().empty()) {
        QAccessibleEvent description(&widget, QAccessible::DescriptionChanged);
        QAccessible::updateAccessibility(&description);
      }
      break;
    case Property::Value: {
      QAccessible::State changed;
      changed.checked = true;
      changed.checkStateMixed = true;
      QAccessibleStateChangeEvent event(&widget, changed);
      QAccessible::updateAccessibility(&event);
      break;
    }
    case Property::Enabled: {
      QAccessible::State changed;
      changed.disabled = true;
      QAccessibleStateChangeEvent event(&widget, changed);
      QAccessible::updateAccessibility(&event);
      break;
    }
    case Property::FocusedPart: {
      // The reader speaks the button the keyboard is on, as a focus of its own.
      auto* iface =
          dynamic_cast<ControlAccessible*>(QAccessible::queryAccessibleInterface(&widget));
      QAccessibleInterface* part = iface != nullptr ? iface->part(control.focusedPart()) : nullptr;
      if (part != nullptr && control.hasFocus() && activeWindow(widget)) {
        QAccessibleEvent focus(part, QAccessible::Focus);
        QAccessible::updateAccessibility(&focus);
      }
      break;
    }
    default:
      break;
  }
}

}  // namespace vodivuri::qt
