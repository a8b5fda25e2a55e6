#include "frontend/qt/qt_host.hpp"

#include <QApplication>
#include <QCursor>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPainter>
#include <QScreen>
#include <QSessionManager>
#include <QSignalBlocker>
#include <QToolTip>
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "frontend/qt/popup_menu.hpp"

namespace vodivuri::qt {

using toolkit::Control;
using toolkit::ControlKind;
using toolkit::Form;

namespace {

QString text(const std::string& s) {
  return QString::fromStdString(s);
}

int twipsPerPixel(qreal dotsPerInch) {
  if (!(dotsPerInch > 0)) return 15;
  return std::max(1, static_cast<int>(std::lround(1440.0 / dotsPerInch)));
}

// Where a tray has no picture of its own, a plain square keeps it reachable.
QIcon fallbackTrayIcon() {
  QPixmap square(32, 32);
  square.fill(QColor(0, 0, 160));
  QPainter painter(&square);
  painter.setPen(Qt::white);
  painter.drawRect(square.rect().adjusted(0, 0, -1, -1));
  return QIcon(square);
}

}  // namespace

QtHost::QtHost(QString assetsFolder, bool watchSignals) : assets_(std::move(assetsFolder)) {
  // The program lives in the tray: closing its last window must not end it.
  QGuiApplication::setQuitOnLastWindowClosed(false);
  // The windows' fonts, by a metric-compatible face at the same point sizes.
  const QStringList sans{"Liberation Sans", "Arimo", "DejaVu Sans"};
  for (const char* face : {"MS Sans Serif", "Microsoft Sans Serif", "Arial"}) {
    if (QFont::substitutes(face).isEmpty()) QFont::insertSubstitutions(face, sans);
  }
  if (auto* gui = qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
    QObject::connect(gui, &QGuiApplication::commitDataRequest, &context_,
                     [this](QSessionManager&) { endSession(); });
  }
  if (watchSignals) signals_ = std::make_unique<TerminationSignals>([this] { endSession(); });
}

QtHost::~QtHost() {
  for (auto& [form, widget] : forms_) delete widget.data();
  for (auto& [receiver, tray] : trays_) tray.icon->hide();
}

int QtHost::exec() {
  if (quitting_) return 0;
  return QApplication::exec();
}

void QtHost::endSession() {
  if (quitting_) return;
  std::vector<QPointer<FormWidget>> loaded;
  for (const auto& [form, widget] : forms_) {
    if (widget) loaded.push_back(widget);
  }
  for (const QPointer<FormWidget>& widget : loaded) {
    if (quitting_) break;
    if (widget && forwards(*widget)) widget->form().sessionEnding();
  }
  // The system asked the process to end: it ends even if no window did it.
  if (!quitting_) quit();
}

// ---- units and looks ----

int QtHost::twipsPerPixelX() const {
  const QScreen* s = QGuiApplication::primaryScreen();
  return twipsPerPixel(s != nullptr ? s->logicalDotsPerInchX() : 96);
}

int QtHost::twipsPerPixelY() const {
  const QScreen* s = QGuiApplication::primaryScreen();
  return twipsPerPixel(s != nullptr ? s->logicalDotsPerInchY() : 96);
}

int QtHost::toPixelsX(int twips) const {
  return static_cast<int>(std::lround(static_cast<double>(twips) / twipsPerPixelX()));
}

int QtHost::toPixelsY(int twips) const {
  return static_cast<int>(std::lround(static_cast<double>(twips) / twipsPerPixelY()));
}

toolkit::ScreenMetrics QtHost::screen() const {
  toolkit::ScreenMetrics m;
  if (const QScreen* s = QGuiApplication::primaryScreen()) {
    m.widthPixels = s->geometry().width();
    m.heightPixels = s->geometry().height();
  }
  m.twipsPerPixelX = twipsPerPixelX();
  m.twipsPerPixelY = twipsPerPixelY();
  return m;
}

QColor QtHost::colour(const toolkit::Colour& c) const {
  if (!c.isSystem) return QColor(c.r, c.g, c.b);
  const QPalette palette = QGuiApplication::palette();
  switch (c.system) {
    case toolkit::SystemColour::Window:
      return palette.color(QPalette::Base);
    case toolkit::SystemColour::WindowText:
      return palette.color(QPalette::Text);
    case toolkit::SystemColour::Highlight:
      return palette.color(QPalette::Highlight);
    case toolkit::SystemColour::HighlightText:
      return palette.color(QPalette::HighlightedText);
    case toolkit::SystemColour::ButtonText:
      return palette.color(QPalette::ButtonText);
    case toolkit::SystemColour::ButtonFace:
      break;
  }
  return palette.color(QPalette::Button);
}

QFont QtHost::font(const toolkit::Font& f) const {
  QFont font(text(f.name));
  font.setPointSizeF(f.points);
  font.setBold(f.bold);
  // The old bitmap face is narrower than its stand-in; texts sized for it
  // fit when the stand-in is drawn a little condensed.
  if (f.name == "MS Sans Serif") font.setStretch(95);
  return font;
}

// ---- lookups ----

FormWidget* QtHost::widgetOf(const Form& form) const {
  const auto it = forms_.find(&form);
  return it == forms_.end() ? nullptr : it->second.data();
}

QWidget* QtHost::widgetOf(const Control& control) const {
  const auto it = controls_.find(&control);
  return it == controls_.end() ? nullptr : it->second.data();
}

QTimer* QtHost::timerOf(const toolkit::Timer& timer) const {
  const auto it = timers_.find(&timer);
  return it == timers_.end() ? nullptr : it->second.get();
}

QSystemTrayIcon* QtHost::trayIconOf(const Control& receiver) const {
  const auto it = trays_.find(&receiver);
  return it == trays_.end() ? nullptr : it->second.icon.get();
}

bool QtHost::forwards(const FormWidget& widget) const {
  return !quitting_ && widgetOf(widget.form()) == &widget;
}

// ---- forms ----

void QtHost::formLoaded(Form& form) {
  if (widgetOf(form) != nullptr) return;
  auto* widget = new FormWidget(*this, form);
  forms_[&form] = widget;
  const toolkit::FormLayout& layout = form.layout();
  widget->setWindowTitle(text(layout.caption));
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

void QtHost::applyFormSize(Form& form, FormWidget& widget) {
  if (!form.width() || !form.height()) return;
  // The model gives the outer size; the frame takes its share of it.
  const QSize frame = widget.frameGeometry().size() - widget.size();
  const QSize client(std::max(1, toPixelsX(*form.width()) - frame.width()),
                     std::max(1, toPixelsY(*form.height()) - frame.height()));
  if (client != widget.size()) widget.setFixedSize(client);
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
  // Modality can only be set while the window is not shown.
  if (form.modal() && widget->windowModality() != Qt::ApplicationModal) {
    widget->hide();
    widget->setWindowModality(Qt::ApplicationModal);
  }
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

// ---- controls ----

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
    widget.setAutoFillBackground(true);
  }
  widget.setVisible(s.visible);
  widget.update();
}

void QtHost::controlChanged(Control& control, toolkit::Property) {
  if (QWidget* widget = widgetOf(control)) apply(control, *widget);
}

void QtHost::controlDestroyed(Control& control) {
  if (const auto it = controls_.find(&control); it != controls_.end()) {
    if (auto* view = dynamic_cast<ControlView*>(it->second.data())) view->detach();
    controls_.erase(it);
  }
  if (const auto it = timers_.find(&control); it != timers_.end()) {
    // Perhaps inside its own tick: let Qt delete it once the tick is over.
    it->second->stop();
    it->second.release()->deleteLater();
    timers_.erase(it);
  }
  dropTray(&control);
}

void QtHost::userClicked(Control& control) {
  if (quitting_) return;
  control.userClick();
  if (quitting_) return;
  // The model decides what a check box or option button shows after a click.
  if (QWidget* widget = widgetOf(control)) apply(control, *widget);
}

// ---- timers ----

void QtHost::timerChanged(toolkit::Timer& timer) {
  std::unique_ptr<QTimer>& qtimer = timers_[&timer];
  if (!qtimer) {
    qtimer = std::make_unique<QTimer>();
    qtimer->setTimerType(Qt::PreciseTimer);
    QObject::connect(qtimer.get(), &QTimer::timeout, &context_, [this, &timer] {
      if (!quitting_) timer.tick();
    });
  }
  qtimer->stop();
  if (!quitting_ && timer.enabled() && timer.form().loaded() && timer.interval() > 0) {
    qtimer->start(timer.interval());
  }
}

// ---- modal windows, message boxes, menus ----

void QtHost::runModal(Form& form) {
  if (quitting_ || !form.loaded()) return;
  if (FormWidget* widget = widgetOf(form);
      widget != nullptr && widget->windowModality() != Qt::ApplicationModal) {
    const bool shown = widget->isVisible();
    widget->hide();
    widget->setWindowModality(Qt::ApplicationModal);
    if (shown) widget->show();
  }
  QEventLoop loop;
  modalLoops_.emplace_back(&form, &loop);
  loop.exec(QEventLoop::DialogExec);
  std::erase_if(modalLoops_, [&](const auto& entry) { return entry.second == &loop; });
}

toolkit::MessageAnswer QtHost::messageBox(const toolkit::MessageRequest& request) {
  const bool question = request.buttons == toolkit::MessageButtons::YesNo;
  if (quitting_) return question ? toolkit::MessageAnswer::Cancel : toolkit::MessageAnswer::Ok;
  QMessageBox box(request.icon == toolkit::MessageIcon::Question ? QMessageBox::Question
                                                                 : QMessageBox::Information,
                  text(request.title), text(request.text),
                  question ? QMessageBox::Yes | QMessageBox::No
                           : QMessageBox::StandardButtons(QMessageBox::Ok));
  const int answer = box.exec();
  if (quitting_) return question ? toolkit::MessageAnswer::Cancel : toolkit::MessageAnswer::Ok;
  switch (answer) {
    case QMessageBox::Yes:
      return toolkit::MessageAnswer::Yes;
    case QMessageBox::No:
      return toolkit::MessageAnswer::No;
    case QMessageBox::Ok:
      return toolkit::MessageAnswer::Ok;
    default:
      return toolkit::MessageAnswer::Cancel;
  }
}

void QtHost::popupMenu(Form&, toolkit::MenuEntry& menu, const toolkit::MenuEntry* defaultEntry) {
  if (quitting_) return;
  toolkit::MenuEntry* chosen = nullptr;
  {
    BuiltMenu built = buildPopupMenu(menu, defaultEntry);
    chosen = built.entryOf(built.menu->exec(QCursor::pos()));
  }
  // The menu is gone before the command runs (it may open a modal window).
  if (chosen != nullptr && !quitting_) chosen->userClick();
}

// ---- tray ----

bool QtHost::trayAvailable() const {
  const bool available = QSystemTrayIcon::isSystemTrayAvailable();
  if (!available && !noTrayNoted_) {
    noTrayNoted_ = true;
    std::fputs("vodivuri: no hay área de notificación; la ventana queda visible\n", stderr);
  }
  return available;
}

void QtHost::addTrayIcon(const toolkit::TrayIcon& icon) {
  if (quitting_ || icon.receiver == nullptr) return;
  Tray& tray = trays_[icon.receiver];
  if (!tray.icon) {
    tray.receiver = icon.receiver;
    tray.icon = std::make_unique<QSystemTrayIcon>();
    const Control* receiver = icon.receiver;
    QObject::connect(tray.icon.get(), &QSystemTrayIcon::activated, &context_,
                     [this, receiver](QSystemTrayIcon::ActivationReason reason) {
                       trayActivated(receiver, reason);
                     });
  }
  const QPixmap picture = this->picture(icon.icon);
  tray.icon->setIcon(picture.isNull() ? fallbackTrayIcon() : QIcon(picture));
  tray.icon->setToolTip(text(icon.tooltip));
  tray.icon->show();
}

void QtHost::removeTrayIcon(const toolkit::TrayIcon& icon) {
  dropTray(icon.receiver);
}

void QtHost::dropTray(const Control* receiver) {
  const auto it = trays_.find(receiver);
  if (it == trays_.end()) return;
  it->second.icon->hide();
  // Perhaps inside its own activation: deleted once that is over.
  it->second.icon.release()->deleteLater();
  trays_.erase(it);
}

// The receiver gets the mouse message number as the x of a mouse move.
void QtHost::trayActivated(const Control* receiver, QSystemTrayIcon::ActivationReason reason) {
  if (quitting_) return;
  int message = 0;
  if (reason == QSystemTrayIcon::Context) message = 0x204;      // right button down
  if (reason == QSystemTrayIcon::DoubleClick) message = 0x203;  // left double-click
  if (message == 0) return;
  const auto it = trays_.find(receiver);
  if (it == trays_.end()) return;
  it->second.receiver->userMouseMove(static_cast<double>(message) * twipsPerPixelX(), 0);
}

// ---- the end ----

void QtHost::quit() {
  if (quitting_) return;
  quitting_ = true;
  for (auto& [timer, qtimer] : timers_) qtimer->stop();
  for (auto& [form, widget] : forms_) {
    if (widget) widget->hide();
  }
  for (auto& [receiver, tray] : trays_) tray.icon->hide();
  for (auto& [form, loop] : modalLoops_) loop->quit();
  QCoreApplication::exit(0);
}

}  // namespace vodivuri::qt
