// The Qt host's forms: their windows, places and sizes, and modal loops.
#include <malloc.h>
#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <QWindow>
#include <algorithm>

#include "frontend/qt/focus_ring.hpp"
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

  // The model walks the tab order; Qt's own chain is never used.
  widget->ring = new FocusRing(*widget);

  // The layout places the client area; the model keeps the outer edges.
  if (layout.clientLeft || layout.clientTop) {
    QRect client = widget->geometry();
    if (layout.clientLeft) client.moveLeft(toPixelsX(*layout.clientLeft));
    if (layout.clientTop) client.moveTop(toPixelsY(*layout.clientTop));
    widget->setGeometry(client);
    reportPlace(*widget);
  }
}

namespace {

// Wayland lets no client know or set where its windows are (every place
// reads 0,0): the model keeps what it had, so the stored place stays.
bool placesKnown() {
  return !QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

}  // namespace

void QtHost::reportPlace(FormWidget& widget) {
  if (!forwards(widget) || !placesKnown()) return;
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
    outer = keptOnScreen(*widget, outer);
    if (outer != widget->frameGeometry().topLeft()) widget->move(outer);
  }
  applyFormSize(form, *widget);
}

// A place stored on a screen that is gone, or a window larger than a scaled
// screen, comes back where the user can see it; the size is the model's
// outer size where it has one, else the window's with its frame.
QPoint QtHost::keptOnScreen(const FormWidget& widget, QPoint outer) const {
  const Form& form = widget.form();
  const QSize size = form.width() && form.height()
                         ? QSize(toPixelsX(*form.width()), toPixelsY(*form.height()))
                         : widget.frameGeometry().size();
  const QScreen* screen = QGuiApplication::screenAt(QRect(outer, size).center());
  if (screen == nullptr) screen = QGuiApplication::primaryScreen();
  if (screen == nullptr) return outer;
  const QRect area = screen->availableGeometry();
  const toolkit::PixelRect kept =
      toolkit::keepInside({outer.x(), outer.y(), size.width(), size.height()},
                          {area.x(), area.y(), area.width(), area.height()});
  return {kept.left, kept.top};
}

void QtHost::formShown(Form& form) {
  FormWidget* widget = widgetOf(form);
  if (widget == nullptr || quitting_) return;
  widget->pending = FormWidget::Pending::None;
  widget->setWindowState(widget->windowState() & ~Qt::WindowMinimized);
  widget->show();
  widget->raise();
  widget->activateWindow();
  placeRing(form);
}

void QtHost::formRaised(Form& form) {
  FormWidget* widget = widgetOf(form);
  if (widget == nullptr || quitting_) return;
  widget->raise();
  widget->activateWindow();
}

// A window hidden or minimised before the window manager has mapped it (the
// first activation does it to the main window at once) can be mapped by the
// manager after our request, and left on the screen, unpainted or iconic in
// name only: so the request waits until the window is on the screen, or a
// second at most.
void QtHost::onceMapped(FormWidget& widget, FormWidget::Pending what) {
  using Pending = FormWidget::Pending;
  const auto apply = [](FormWidget& w, Pending what) {
    w.pending = Pending::None;
    if (what == Pending::Hide) {
      w.hide();
    } else {
      w.showMinimized();
    }
  };
  const QWindow* window = widget.windowHandle();
  const bool mapping = widget.isVisible() && window != nullptr && !window->isExposed() &&
                       QGuiApplication::platformName() == QLatin1String("xcb");
  if (!mapping) {
    apply(widget, what);
    return;
  }
  const bool polling = widget.pending != Pending::None;
  widget.pending = what;
  if (polling) return;
  auto* poll = new QTimer(&widget);
  poll->setInterval(10);
  QObject::connect(poll, &QTimer::timeout, &widget, [&widget, poll, apply, waited = 0]() mutable {
    waited += poll->interval();
    if (widget.pending == Pending::None) {
      poll->deleteLater();
    } else if (widget.windowHandle()->isExposed() || waited >= 1000) {
      apply(widget, widget.pending);
      poll->deleteLater();
    }
  });
  poll->start();
}

void QtHost::formHidden(Form& form) {
  if (FormWidget* widget = widgetOf(form)) {
    onceMapped(*widget, FormWidget::Pending::Hide);
  }
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
    // Its pictures go once the window and its controls are gone (queued: the
    // controls outlive the window's destroyed signal): a window opened once
    // must not keep its decoded pictures for the program's life.
    QObject::connect(
        widget, &QObject::destroyed, &context_,
        [this] {
          // The freed pictures are large blocks the allocator would keep.
          if (assets_.releaseUnused() > 0) ::malloc_trim(0);
        },
        Qt::QueuedConnection);
    widget->deleteLater();
  }
}

void QtHost::minimise(Form& form) {
  if (FormWidget* widget = widgetOf(form)) {
    onceMapped(*widget, FormWidget::Pending::Minimise);
  }
}

// The model learns of it, or the next minimise would be taken for a repeat.
void QtHost::windowRestored(FormWidget& widget) {
  if (forwards(widget) && widget.form().minimised()) widget.form().show();
}

namespace {

// While a modal form waits, user input to every other form's window is
// dropped, and a press there brings the modal form forward. Done here rather
// than by Qt's modality: application-wide modality would also shut out the
// tray icon's window (the popup menu must still open), and modality to an
// owner makes window managers attach the form to it, wherever it was placed.
class ModalInputGuard : public QObject {
 public:
  explicit ModalInputGuard(const QtHost& host) : host_(host) {}

 protected:
  bool eventFilter(QObject* target, QEvent* event) override {
    switch (event->type()) {
      case QEvent::MouseButtonPress:
      case QEvent::MouseButtonRelease:
      case QEvent::MouseButtonDblClick:
      case QEvent::MouseMove:
      case QEvent::Wheel:
      case QEvent::KeyPress:
      case QEvent::KeyRelease:
      case QEvent::ShortcutOverride:
      case QEvent::Shortcut:
      case QEvent::ContextMenu:
      case QEvent::Close:
        break;
      default:
        return false;
    }
    auto* widget = qobject_cast<QWidget*>(target);
    if (widget == nullptr) return false;
    auto* window = dynamic_cast<FormWidget*>(widget->window());
    FormWidget* modal = host_.innermostModal();
    if (window == nullptr || modal == nullptr || window == modal) return false;
    if (event->type() == QEvent::Close) event->ignore();  // the close box refused
    if (event->type() == QEvent::MouseButtonPress) {
      modal->raise();
      modal->activateWindow();
    }
    return true;
  }

 private:
  const QtHost& host_;
};

}  // namespace

FormWidget* QtHost::innermostModal() const {
  for (auto it = modalLoops_.rbegin(); it != modalLoops_.rend(); ++it) {
    if (FormWidget* widget = widgetOf(*it->first)) return widget;
  }
  return nullptr;
}

void QtHost::runModal(Form& form) {
  if (quitting_ || !form.loaded()) return;
  if (!modalGuard_) {
    modalGuard_ = std::make_unique<ModalInputGuard>(*this);
    QCoreApplication::instance()->installEventFilter(modalGuard_.get());
  }
  QEventLoop loop;
  modalLoops_.emplace_back(&form, &loop);
  loop.exec(QEventLoop::DialogExec);
  std::erase_if(modalLoops_, [&](const auto& entry) { return entry.second == &loop; });
}

}  // namespace vodivuri::qt
