#include "frontend/qt/qt_host.hpp"

#include <QApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QSessionManager>

#include "frontend/qt/accessible.hpp"
#include "frontend/qt/keyboard.hpp"
#include "toolkit/geometry.hpp"

namespace vodivuri::qt {

using toolkit::Control;
using toolkit::Form;

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
  input_ = std::make_unique<InputForwarder>(*this);
  QCoreApplication::instance()->installEventFilter(input_.get());
  installAccessibility();
}

// Runs once the loops have ended, when no event is on its way to anything here.
QtHost::~QtHost() {
  for (auto& [form, widget] : forms_) delete widget.data();
  for (auto& [receiver, tray] : trays_) hideTray(tray);
}

int QtHost::exec() {
  if (quitting_) return 0;
  return QApplication::exec();
}

void QtHost::endSession() {
  if (quitting_) return;
  std::vector<QPointer<FormWidget>> loaded;
  for (const Form* form : loadOrder_) {
    if (FormWidget* widget = widgetOf(*form)) loaded.emplace_back(widget);
  }
  for (const QPointer<FormWidget>& widget : loaded) {
    if (quitting_) break;
    if (widget && forwards(*widget)) widget->form().sessionEnding();
  }
  // The system asked the process to end: it ends even if no window did it.
  if (!quitting_) quit();
}

// Quitting only asks: every loop returns, and what a returning dispatch may
// still touch stays alive until the outermost loop has ended.
void QtHost::quit() {
  if (quitting_) return;
  quitting_ = true;
  for (auto& [timer, qtimer] : timers_) qtimer->stop();
  for (auto& [form, widget] : forms_) {
    if (widget) widget->hide();
  }
  for (auto& [receiver, tray] : trays_) hideTray(tray);
  for (auto& [form, loop] : modalLoops_) loop->quit();
  QCoreApplication::exit(0);
}

// ---- units and looks ----

int QtHost::twipsPerPixelX() const {
  const QScreen* s = QGuiApplication::primaryScreen();
  return toolkit::twipsPerPixelFor(s != nullptr ? s->logicalDotsPerInchX() : 96);
}

int QtHost::twipsPerPixelY() const {
  const QScreen* s = QGuiApplication::primaryScreen();
  return toolkit::twipsPerPixelFor(s != nullptr ? s->logicalDotsPerInchY() : 96);
}

int QtHost::toPixelsX(int twips) const {
  return toolkit::twipsToPixels(twips, twipsPerPixelX());
}

int QtHost::toPixelsY(int twips) const {
  return toolkit::twipsToPixels(twips, twipsPerPixelY());
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
  QFont font(QString::fromStdString(f.name));
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

}  // namespace vodivuri::qt
