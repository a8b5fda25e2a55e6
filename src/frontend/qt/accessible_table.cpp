// A form's cells and column headers as one AT-SPI table: rows, columns, the
// header of each column, and the selected cell (the grid's stop).
#include <QPointer>
#include <algorithm>
#include <set>

#include "frontend/qt/accessible.hpp"
#include "frontend/qt/widgets.hpp"

namespace vodivuri::qt {

using toolkit::AccessRole;

TableGrid tableGrid(const QWidget& window) {
  TableGrid grid;
  for (QWidget* w : window.findChildren<QWidget*>()) {
    const auto* view = dynamic_cast<const ControlView*>(w);
    if (view == nullptr || view->control() == nullptr || !inTree(*w)) continue;
    const AccessRole role = view->control()->role();
    if (role == AccessRole::ColumnHeader) grid.headers.push_back(w);
    if (role == AccessRole::Cell) grid.cells.push_back(w);
  }
  const auto at = [&window](const QWidget* w) { return w->mapTo(&window, QPoint(0, 0)); };
  std::sort(grid.headers.begin(), grid.headers.end(),
            [&](const QWidget* a, const QWidget* b) { return at(a).x() < at(b).x(); });
  std::sort(grid.cells.begin(), grid.cells.end(), [&](const QWidget* a, const QWidget* b) {
    const QPoint pa = at(a), pb = at(b);
    return pa.y() != pb.y() ? pa.y() < pb.y() : pa.x() < pb.x();
  });
  std::set<int> lefts;
  for (const QWidget* c : grid.cells) lefts.insert(at(c).x());
  grid.columns = !grid.headers.empty() ? static_cast<int>(grid.headers.size())
                                       : static_cast<int>(lefts.size());
  if (grid.columns > 0) {
    grid.rows = (static_cast<int>(grid.cells.size()) + grid.columns - 1) / grid.columns;
  }
  return grid;
}

namespace {

QAccessibleInterface* of(QWidget* w) {
  return w != nullptr ? QAccessible::queryAccessibleInterface(w) : nullptr;
}

class TableAccessible : public QAccessibleInterface, public QAccessibleTableInterface {
 public:
  explicit TableAccessible(FormWidget& window) : window_(&window) {}

  bool isValid() const override { return !window_.isNull(); }
  QObject* object() const override { return nullptr; }
  QWindow* window() const override { return window_ ? window_->windowHandle() : nullptr; }
  QAccessibleInterface* childAt(int x, int y) const override {
    for (int i = 0, n = childCount(); i < n; ++i) {
      QAccessibleInterface* c = child(i);
      if (c != nullptr && c->rect().contains(x, y)) return c;
    }
    return nullptr;
  }
  QAccessibleInterface* parent() const override { return window_ ? of(window_.data()) : nullptr; }
  // The headers, then the cells row by row.
  QAccessibleInterface* child(int index) const override {
    if (!window_ || index < 0) return nullptr;
    const TableGrid grid = tableGrid(*window_);
    const auto headers = static_cast<int>(grid.headers.size());
    if (index < headers) return of(grid.headers[static_cast<std::size_t>(index)]);
    index -= headers;
    return index < static_cast<int>(grid.cells.size())
               ? of(grid.cells[static_cast<std::size_t>(index)])
               : nullptr;
  }
  int childCount() const override {
    if (!window_) return 0;
    const TableGrid grid = tableGrid(*window_);
    return static_cast<int>(grid.headers.size() + grid.cells.size());
  }
  int indexOfChild(const QAccessibleInterface* child) const override {
    for (int i = 0, n = childCount(); i < n; ++i) {
      if (this->child(i) == child) return i;
    }
    return -1;
  }
  QString text(QAccessible::Text t) const override {
    // Named after its window: the grid is the window's whole business.
    if (t == QAccessible::Name && window_) return window_->windowTitle();
    return {};
  }
  void setText(QAccessible::Text, const QString&) override {}
  QRect rect() const override {
    QRect all;
    for (int i = 0, n = childCount(); i < n; ++i) {
      if (QAccessibleInterface* c = child(i)) all |= c->rect();
    }
    return all;
  }
  QAccessible::Role role() const override { return QAccessible::Table; }
  QAccessible::State state() const override {
    QAccessible::State s;
    if (!window_) {
      s.invalid = true;
      return s;
    }
    s.invisible = !window_->isVisible();
    s.readOnly = true;
    return s;
  }
  void* interface_cast(QAccessible::InterfaceType t) override {
    return t == QAccessible::TableInterface ? static_cast<QAccessibleTableInterface*>(this)
                                            : nullptr;
  }

  // --- QAccessibleTableInterface ---
  QAccessibleInterface* caption() const override { return nullptr; }
  QAccessibleInterface* summary() const override { return nullptr; }
  QAccessibleInterface* cellAt(int row, int column) const override {
    if (!window_) return nullptr;
    const TableGrid grid = tableGrid(*window_);
    if (row < 0 || column < 0 || column >= grid.columns) return nullptr;
    const auto i = static_cast<std::size_t>(row * grid.columns + column);
    return i < grid.cells.size() ? of(grid.cells[i]) : nullptr;
  }
  int selectedCellCount() const override { return static_cast<int>(selectedCells().size()); }
  QList<QAccessibleInterface*> selectedCells() const override {
    QList<QAccessibleInterface*> out;
    if (!window_) return out;
    for (QWidget* w : tableGrid(*window_).cells) {
      QAccessibleInterface* i = of(w);
      QAccessibleTableCellInterface* cell = i != nullptr ? i->tableCellInterface() : nullptr;
      if (cell != nullptr && cell->isSelected()) out << i;
    }
    return out;
  }
  QString columnDescription(int column) const override {
    if (!window_) return {};
    const TableGrid grid = tableGrid(*window_);
    if (column < 0 || column >= static_cast<int>(grid.headers.size())) return {};
    QAccessibleInterface* h = of(grid.headers[static_cast<std::size_t>(column)]);
    return h != nullptr ? h->text(QAccessible::Name) : QString();
  }
  QString rowDescription(int) const override { return {}; }
  int selectedColumnCount() const override { return 0; }
  int selectedRowCount() const override { return 0; }
  int columnCount() const override { return window_ ? tableGrid(*window_).columns : 0; }
  int rowCount() const override { return window_ ? tableGrid(*window_).rows : 0; }
  QList<int> selectedColumns() const override { return {}; }
  QList<int> selectedRows() const override { return {}; }
  bool isColumnSelected(int) const override { return false; }
  bool isRowSelected(int) const override { return false; }
  // The choice is the user's, from the keyboard or the mouse.
  bool selectRow(int) override { return false; }
  bool selectColumn(int) override { return false; }
  bool unselectRow(int) override { return false; }
  bool unselectColumn(int) override { return false; }
  void modelChange(QAccessibleTableModelChangeEvent*) override {}

 private:
  QPointer<FormWidget> window_;
};

}  // namespace

QAccessibleInterface* makeTable(FormWidget& window) {
  return new TableAccessible(window);
}

namespace {

int cellPlace(const QWidget& cell) {
  const TableGrid grid = tableGrid(*cell.window());
  const auto it = std::find(grid.cells.begin(), grid.cells.end(), &cell);
  return it == grid.cells.end() ? -1 : static_cast<int>(it - grid.cells.begin());
}

}  // namespace

int ControlAccessible::columnIndex() const {
  const int place = cellPlace(*widget());
  const int columns = tableGrid(*widget()->window()).columns;
  return place < 0 || columns == 0 ? -1 : place % columns;
}

int ControlAccessible::rowIndex() const {
  const int place = cellPlace(*widget());
  const int columns = tableGrid(*widget()->window()).columns;
  return place < 0 || columns == 0 ? -1 : place / columns;
}

QList<QAccessibleInterface*> ControlAccessible::columnHeaderCells() const {
  const TableGrid grid = tableGrid(*widget()->window());
  const int column = columnIndex();
  if (column < 0 || column >= static_cast<int>(grid.headers.size())) return {};
  return {of(grid.headers[static_cast<std::size_t>(column)])};
}

}  // namespace vodivuri::qt
