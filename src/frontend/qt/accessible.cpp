#include "frontend/qt/accessible.hpp"

#include <QApplication>
#include <algorithm>

#include "frontend/qt/widgets.hpp"

namespace vodivuri::qt {

using toolkit::AccessRole;
using toolkit::Control;

namespace {

bool inTabOrder(const Control& c) {
  const auto& order = c.form().tabOrder;
  return std::find(order.begin(), order.end(), &c) != order.end();
}

QString nameOf(const Control& c) {
  return QString::fromStdString(c.accessibleName()).simplified();
}

QString descriptionOf(const Control& c) {
  // A toolbar's tip names the part under the pointer: its parts say it themselves.
  if (c.accessibleDescription().empty() && c.parts().empty()) {
    return QString::fromStdString(c.tooltip());
  }
  return QString::fromStdString(c.accessibleDescription());
}

QAccessibleInterface* factory(const QString&, QObject* object) {
  auto* widget = qobject_cast<QWidget*>(object);
  if (widget == nullptr) return nullptr;
  if (auto* form = dynamic_cast<FormWidget*>(widget)) return new FormAccessible(*form);
  if (dynamic_cast<ControlView*>(widget) != nullptr) return new ControlAccessible(*widget);
  return nullptr;
}

}  // namespace

void installAccessibility() {
  static const bool installed = [] {
    QAccessible::installFactory(&factory);
    return true;
  }();
  (void)installed;
}

QAccessible::Role accessibleRole(const Control& c) {
  switch (c.role()) {
    case AccessRole::Default:
    case AccessRole::None:
      return QAccessible::Whitespace;
    case AccessRole::Text:
      // A text with nothing to say is a filler, which readers pass over.
      return nameOf(c).isEmpty() ? QAccessible::Whitespace : QAccessible::StaticText;
    case AccessRole::ReadOut:
      return QAccessible::StaticText;
    case AccessRole::Link:
      return QAccessible::Link;
    case AccessRole::PushButton:
      return QAccessible::PushButton;
    case AccessRole::CheckBox:
      return QAccessible::CheckBox;
    case AccessRole::RadioButton:
      return QAccessible::RadioButton;
    case AccessRole::Graphic:
      return QAccessible::Graphic;
    case AccessRole::ToolBar:
      return QAccessible::ToolBar;
    case AccessRole::Table:
      return QAccessible::Table;
    case AccessRole::Cell:
      return QAccessible::Cell;
    case AccessRole::ColumnHeader:
      return QAccessible::ColumnHeader;
  }
  return QAccessible::Whitespace;
}

bool inTree(const QWidget& widget) {
  const Control* c = controlOf(&widget);
  if (c == nullptr || c->role() == AccessRole::None) return false;
  // What lies wholly outside its window is never seen (the tray's receiver,
  // the stored pictures): it is not there for a screen reader either.
  const QWidget* window = widget.window();
  return QRect(widget.mapTo(window, QPoint(0, 0)), widget.size()).intersects(window->rect());
}

bool inTable(const Control& c) {
  return c.role() == AccessRole::Cell || c.role() == AccessRole::ColumnHeader;
}

std::vector<QAccessibleInterface*> treeChildren(const QWidget& widget) {
  std::vector<QAccessibleInterface*> out;
  for (QObject* o : widget.children()) {
    auto* w = qobject_cast<QWidget*>(o);
    const Control* c = controlOf(w);
    if (c == nullptr || w->isWindow()) continue;
    if (c->role() == AccessRole::None) {
      // A left-out container's controls stand in its place.
      const std::vector<QAccessibleInterface*> inner = treeChildren(*w);
      out.insert(out.end(), inner.begin(), inner.end());
    } else if (inTree(*w)) {
      if (QAccessibleInterface* i = QAccessible::queryAccessibleInterface(w)) out.push_back(i);
    }
  }
  return out;
}

// ---- FormAccessible ----

FormAccessible::FormAccessible(FormWidget& widget)
    : QAccessibleWidget(&widget, QAccessible::Window) {}

FormAccessible::~FormAccessible() {
  if (table_ != 0) QAccessible::deleteAccessibleInterface(table_);
}

QAccessible::Role FormAccessible::role() const {
  const auto* form = static_cast<const FormWidget*>(widget());
  return form->form().layout().dialog ? QAccessible::Dialog : QAccessible::Window;
}

QAccessible::State FormAccessible::state() const {
  QAccessible::State s = QAccessibleWidget::state();
  s.modal = static_cast<const FormWidget*>(widget())->form().modal();
  s.focusable = false;
  return s;
}

QAccessibleInterface* FormAccessible::table() const {
  if (table_ == 0) {
    auto* form = static_cast<FormWidget*>(widget());
    const auto& controls = form->form().controls();
    if (std::none_of(controls.begin(), controls.end(),
                     [](const Control* c) { return c->role() == AccessRole::Cell; })) {
      return nullptr;
    }
    table_ = QAccessible::registerAccessibleInterface(makeTable(*form));
  }
  return QAccessible::accessibleInterface(table_);
}

// The tree's children, the table in the place of its first cell or header.
std::vector<QAccessibleInterface*> FormAccessible::children() const {
  std::vector<QAccessibleInterface*> out;
  bool tablePlaced = false;
  for (QAccessibleInterface* i : treeChildren(*widget())) {
    const Control* c = controlOf(qobject_cast<QWidget*>(i->object()));
    if (c != nullptr && inTable(*c)) {
      if (!tablePlaced) {
        if (QAccessibleInterface* t = table()) out.push_back(t);
        tablePlaced = true;
      }
      continue;
    }
    out.push_back(i);
  }
  return out;
}

int FormAccessible::childCount() const {
  return static_cast<int>(children().size());
}

QAccessibleInterface* FormAccessible::child(int index) const {
  const auto all = children();
  return index >= 0 && index < static_cast<int>(all.size()) ? all[static_cast<std::size_t>(index)]
                                                            : nullptr;
}

int FormAccessible::indexOfChild(const QAccessibleInterface* child) const {
  const auto all = children();
  const auto it = std::find(all.begin(), all.end(), child);
  return it == all.end() ? -1 : static_cast<int>(it - all.begin());
}

QAccessibleInterface* FormAccessible::focusChild() const {
  const Control* focused = static_cast<const FormWidget*>(widget())->form().focus();
  if (focused == nullptr) return nullptr;
  for (QWidget* w : widget()->findChildren<QWidget*>()) {
    if (controlOf(w) != focused) continue;
    QAccessibleInterface* i = QAccessible::queryAccessibleInterface(w);
    QAccessibleInterface* deeper = i != nullptr ? i->focusChild() : nullptr;
    return deeper != nullptr ? deeper : i;
  }
  return nullptr;
}

// ---- ControlAccessible ----

ControlAccessible::ControlAccessible(QWidget& widget) : QAccessibleWidget(&widget) {}

ControlAccessible::~ControlAccessible() {
  for (QAccessible::Id id : parts_) QAccessible::deleteAccessibleInterface(id);
}

Control* ControlAccessible::control() const {
  return controlOf(widget());
}

bool ControlAccessible::isValid() const {
  return QAccessibleWidget::isValid() && control() != nullptr;
}

QAccessibleInterface* ControlAccessible::parent() const {
  const Control* c = control();
  if (c != nullptr && inTable(*c)) return table();
  for (QWidget* w = widget()->parentWidget(); w != nullptr; w = w->parentWidget()) {
    if (w->isWindow() || inTree(*w)) return QAccessible::queryAccessibleInterface(w);
  }
  return nullptr;
}

QAccessibleInterface* ControlAccessible::part(int index) const {
  const Control* c = control();
  const int count = c != nullptr ? static_cast<int>(c->parts().size()) : 0;
  if (index < 0 || index >= count) return nullptr;
  while (static_cast<int>(parts_.size()) < count) {
    parts_.push_back(QAccessible::registerAccessibleInterface(
        makePart(*widget(), static_cast<int>(parts_.size()))));
  }
  return QAccessible::accessibleInterface(parts_[static_cast<std::size_t>(index)]);
}

int ControlAccessible::childCount() const {
  const Control* c = control();
  if (c == nullptr) return 0;
  if (!c->parts().empty()) return static_cast<int>(c->parts().size());
  return static_cast<int>(treeChildren(*widget()).size());
}

QAccessibleInterface* ControlAccessible::child(int index) const {
  const Control* c = control();
  if (c == nullptr || index < 0) return nullptr;
  if (!c->parts().empty()) return part(index);
  const auto all = treeChildren(*widget());
  return index < static_cast<int>(all.size()) ? all[static_cast<std::size_t>(index)] : nullptr;
}

int ControlAccessible::indexOfChild(const QAccessibleInterface* child) const {
  for (int i = 0, n = childCount(); i < n; ++i) {
    if (this->child(i) == child) return i;
  }
  return -1;
}

QAccessibleInterface* ControlAccessible::focusChild() const {
  const Control* c = control();
  if (c == nullptr || !c->hasFocus()) return nullptr;
  return c->focusedPart() >= 0 ? part(c->focusedPart()) : nullptr;
}

QString ControlAccessible::text(QAccessible::Text t) const {
  const Control* c = control();
  if (c == nullptr) return {};
  switch (t) {
    case QAccessible::Name:
      return nameOf(*c);
    case QAccessible::Description:
      return descriptionOf(*c);
    case QAccessible::Help:
      return QString::fromStdString(c->tooltip());
    default:
      return {};
  }
}

QAccessible::Role ControlAccessible::role() const {
  const Control* c = control();
  return c != nullptr ? accessibleRole(*c) : QAccessible::NoRole;
}

QAccessible::State ControlAccessible::state() const {
  QAccessible::State s;
  const Control* c = control();
  if (c == nullptr) {
    s.invalid = true;
    return s;
  }
  s.invisible = !widget()->isVisible();
  s.disabled = !widget()->isEnabled();
  s.focusable = inTabOrder(*c);
  s.focused = c->hasFocus() && c->focusedPart() < 0 && activeWindow(*widget());
  switch (c->role()) {
    case AccessRole::CheckBox:
      s.checkable = true;
      s.checked = c->state().value == 1;
      s.checkStateMixed = c->state().value == 2;
      break;
    case AccessRole::RadioButton:
      s.checkable = true;
      s.checked = c->state().value != 0;
      break;
    case AccessRole::Cell:
      s.selectable = !nameOf(*c).isEmpty();
      s.selected = isSelected();
      break;
    case AccessRole::Link:
      s.linked = true;
      break;
    case AccessRole::ReadOut:
    case AccessRole::Text:
      s.readOnly = true;
      break;
    default:
      break;
  }
  return s;
}

void* ControlAccessible::interface_cast(QAccessible::InterfaceType t) {
  const Control* c = control();
  if (t == QAccessible::TableCellInterface && c != nullptr && c->role() == AccessRole::Cell) {
    return static_cast<QAccessibleTableCellInterface*>(this);
  }
  return QAccessibleWidget::interface_cast(t);
}

// The grid's stop is the cell the keyboard is on: the chosen one.
bool ControlAccessible::isSelected() const {
  const Control* c = control();
  return c != nullptr && c->role() == AccessRole::Cell && inTabOrder(*c);
}

QAccessibleInterface* ControlAccessible::table() const {
  auto* form = dynamic_cast<FormWidget*>(widget()->window());
  auto* window = form != nullptr ? QAccessible::queryAccessibleInterface(form) : nullptr;
  return window != nullptr ? static_cast<FormAccessible*>(window)->table() : nullptr;
}

}  // namespace vodivuri::qt
