// The Qt host's forms: their windows, places and sizes, and modal loops.
#include <QWindow>
#include <algorithm>

#include "frontend/qt/qt_host.hpp"
#include "toolkit/geometry.hpp"

namespace vodivuri::qt {

using toolkit::Control;
using toolkit::Form;

void QtHost::formLoaded(Form& form) {
  if (widgetOf(form) != nullptr) return;
  auto* widget = new FormWidget(*this, form);
  forms_[&form] = widget;
  loadOrder_.push_back(&form);
  const toolkit::FormLayout& layout = form.layout();
  widget->setWindowTitle(QString::fromStdString(layout.caption));
  widget->setFixedSize(toPixelsX(layout.clientWidth), toPixelsY(layout.clientHeight));
  widget->setFont(font(layout.font));
  widget->blueGradient = layout.blueGradient;
  widget->backgroundColour = colour(layout.background);
  widget->background = picture(layout.picture);
  if (const QPixmap icon = picture(layout.icon); !icon.isNull()) widget->setWindowIcon(icon);

  for (Control* c : form.controls()) createControl(*c, *widget);

  QWidget* previous = nullptr;
  for (Control* c : form.tabOrder) {
    QWidget* w = widgetOf(*c);
    if (w == nullptr) continue;
    w->setFocusPolicy(Qt::StrongFocus);
    if (previous != nullptr) QWidget::setTabOrder(previous, w);
    previous = w;
  }

  // The layout places the client area; the model keeps the outer edges.
  if (layout.clientLeft || layout.clientTop) {
    QRect client = widget->geometry();
    if (layout.clientLeft) client.moveLeft(toPixelsX(*layout.clientLeft));
    if (layout.clientTop) client.moveTop(toPixelsY(*layout.clientTop));
    widget->setGeometry(client);
    reportPlace(*widget);
  }
}

void QtHost::reportPlace(FormWidget& widget) {
  if (!forwards(widget)) return;
  const QPoint outer = widget.frameGeometry().topLeft();
  widget.form().placedByHost(outer.x() * twipsPerPixelX(), outer.y() * twipsPerPixelY());
}

void QtHost::windowMoved(FormWidget& widget) {
  reportPlace(widget);
  if (forwards(widget)) applyFormSize(widget.form(), widget);
}

// The model gives the outer size; the client area is what a fixed frame of the
// same measure on every platform leaves inside it, whatever this desktop's
// window manager draws around it.
void QtHost::applyFormSize(Form& form, FormWidget& widget) {
  if (!form.width() || !form.height()) return;
  const toolkit::PixelSize client = toolkit::clientForOuter(
      form.layout().border, {toPixelsX(*form.width()), toPixelsY(*form.height())});
  const QSize size(client.width, client.height);
  if (size != widget.size()) widget.setFixedSize(size);
}

void QtHost::formMoved(Form& form) {
  FormWidget* widget = widgetOf(form);
  if (widget == nullptr) return;
  if (form.left() || form.top()) {
    QPoint outer = widget->frameGeometry().topLeft();
    if (form.left()) outer.setX(toPixelsX(*form.left()));
    if (form.top()) outer.setY(toPixelsY(*form.top()));
    if (outer != widget->frameGeometry().topLeft()) widget->move(outer);
  }
  applyFormSize(form, *widget);
}

void QtHost::formShown(Form& form) {
  FormWidget* widget = widgetOf(form);
  if (widget == nullptr || quitting_) return;
  if (form.modal()) makeModal(form, *widget);
  widget->setWindowState(widget->windowState() & ~Qt::WindowMinimized);
  widget->show();
  widget->raise();
  widget->activateWindow();
}

void QtHost::formHidden(Form& form) {
  if (FormWidget* widget = widgetOf(form)) widget->hide();
}

void QtHost::formUnloaded(Form& form) {
  for (auto& [waiting, loop] : modalLoops_) {
    if (waiting == &form) loop->quit();
  }
  std::erase(loadOrder_, &form);
  const auto it = forms_.find(&form);
  if (it == forms_.end()) return;
  QPointer<FormWidget> widget = it->second;
  forms_.erase(it);
  for (Control* c : form.controls()) {
    const auto found = controls_.find(c);
    if (found == controls_.end()) continue;
    if (auto* view = dynamic_cast<ControlView*>(found->second.data())) view->detach();
    controls_.erase(found);
  }
  // Deleted later: the unload may come from inside one of its own handlers.
  if (widget) {
    widget->hide();
    widget->deleteLater();
  }
}

void QtHost::minimise(Form& form) {
  if (FormWidget* widget = widgetOf(form)) widget->showMinimized();
}

// The model learns of it, or the next minimise would be taken for a repeat.
void QtHost::windowRestored(FormWidget& widget) {
  if (forwards(widget) && widget.form().minimised()) widget.form().show();
}

// The window a modal form belongs to: the innermost modal form still waiting,
// else the first form loaded that is not modal (the program's main window).
FormWidget* QtHost::ownerOf(const Form& modal) const {
  for (auto it = modalLoops_.rbegin(); it != modalLoops_.rend(); ++it) {
    if (it->first == &modal) continue;
    if (FormWidget* widget = widgetOf(*it->first)) return widget;
  }
  for (const Form* form : loadOrder_) {
    if (form == &modal || form->modal()) continue;
    if (FormWidget* widget = widgetOf(*form)) return widget;
  }
  return nullptr;
}

// Application-wide modality would also shut out the tray icon's window, and
// the popup menu must still open while a modal form is shown. Modal to its
// owner only, the form blocks that window and those below it.
void QtHost::makeModal(Form& form, FormWidget& widget) {
  if (widget.windowModality() == Qt::WindowModal) return;
  // Modality and the owner can only be set while the window is not shown.
  const bool shown = widget.isVisible();
  if (shown) widget.hide();
  if (FormWidget* owner = ownerOf(form)) {
    widget.winId();
    owner->winId();
    widget.windowHandle()->setTransientParent(owner->windowHandle());
  }
  widget.setWindowModality(Qt::WindowModal);
  if (shown) widget.show();
}

void QtHost::runModal(Form& form) {
  if (quitting_ || !form.loaded()) return;
  if (FormWidget* widget = widgetOf(form)) makeModal(form, *widget);
  QEventLoop loop;
  modalLoops_.emplace_back(&form, &loop);
  loop.exec(QEventLoop::DialogExec);
  std::erase_if(modalLoops_, [&](const auto& entry) { return entry.second == &loop; });
}

}  // namespace vodivuri::qt
