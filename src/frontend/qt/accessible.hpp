// What AT-SPI shows of the windows, read from the model: each form a frame
// or a dialog, each control with its role, name, description and states;
// a toolbar's parts as buttons of their own; a form's cells and column
// headers as one table. Decoration (role None) is left out of the tree.
#pragma once

#include <QAccessibleWidget>
#include <vector>

#include "toolkit/control.hpp"

namespace vodivuri::qt {

class FormWidget;

// Installs the interfaces' factory once.
void installAccessibility();
// Raises the events of a model change on its widget.
void accessibleChanged(toolkit::Control& control, toolkit::Property p, QWidget& widget);
QAccessible::Role accessibleRole(const toolkit::Control& control);

// The window of a form.
class FormAccessible : public QAccessibleWidget {
 public:
  explicit FormAccessible(FormWidget& widget);
  ~FormAccessible() override;
  QAccessible::Role role() const override;
  QAccessible::State state() const override;
  int childCount() const override;
  QAccessibleInterface* child(int index) const override;
  int indexOfChild(const QAccessibleInterface* child) const override;
  QAccessibleInterface* focusChild() const override;
  // The table of the form's cells; null when it has none.
  QAccessibleInterface* table() const;

 private:
  std::vector<QAccessibleInterface*> children() const;
  mutable QAccessible::Id table_ = 0;
};

// A control's widget.
class ControlAccessible : public QAccessibleWidget, public QAccessibleTableCellInterface {
 public:
  explicit ControlAccessible(QWidget& widget);
  ~ControlAccessible() override;
  // Null once the control is gone.
  toolkit::Control* control() const;
  bool isValid() const override;
  QAccessibleInterface* parent() const override;
  int childCount() const override;
  QAccessibleInterface* child(int index) const override;
  int indexOfChild(const QAccessibleInterface* child) const override;
  QAccessibleInterface* focusChild() const override;
  QString text(QAccessible::Text t) const override;
  QAccessible::Role role() const override;
  QAccessible::State state() const override;
  void* interface_cast(QAccessible::InterfaceType t) override;
  // The toolbar's part `index`, an interface of its own.
  QAccessibleInterface* part(int index) const;

  // --- as a cell of its form's table ---
  bool isSelected() const override;
  QList<QAccessibleInterface*> columnHeaderCells() const override;
  QList<QAccessibleInterface*> rowHeaderCells() const override { return {}; }
  int columnIndex() const override;
  int rowIndex() const override;
  int columnExtent() const override { return 1; }
  int rowExtent() const override { return 1; }
  QAccessibleInterface* table() const override;

 private:
  mutable std::vector<QAccessible::Id> parts_;
};

// The interfaces of the controls in the tree directly under `widget` (the
// children of left-out containers standing in for them), in widget order.
std::vector<QAccessibleInterface*> treeChildren(const QWidget& widget);
// Whether the control of a widget is in the tree, and in its form's table.
bool inTree(const QWidget& widget);
bool inTable(const toolkit::Control& control);
// The table of a form's cells, made by its window's interface.
QAccessibleInterface* makeTable(FormWidget& window);

// The control a widget shows; null for other widgets and once it is gone.
toolkit::Control* controlOf(const QWidget* widget);
bool activeWindow(const QWidget& widget);
// The button `index` of a toolbar, an interface without a widget.
QAccessibleInterface* makePart(QWidget& toolbar, int index);

// A form's cells by rows (top to bottom, then left to right) and its column
// headers left to right; the columns are the headers' (or the cells' lefts).
struct TableGrid {
  std::vector<QWidget*> headers;
  std::vector<QWidget*> cells;
  int columns = 0;
  int rows = 0;
};
TableGrid tableGrid(const QWidget& window);

}  // namespace vodivuri::qt
