#include "frontend/qt/widgets.hpp"

#include <qdrawutil.h>
#include <QCloseEvent>
#include <QMouseEvent>
#include <QPainter>

#include "frontend/qt/qt_host.hpp"
#include "toolkit/geometry.hpp"

namespace vodivuri::qt {

namespace {

constexpr Qt::WindowFlags kFixedWindow = Qt::Window | Qt::CustomizeWindowHint |
                                         Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                                         Qt::MSWindowsFixedSizeDialogHint;

// Pixels between a label's single border and its text, on either side.
constexpr int kBorderedLabelMargin = 2;

int horizontalAlignment(toolkit::Alignment a) {
  switch (a) {
    case toolkit::Alignment::Centre:
      return Qt::AlignHCenter;
    case toolkit::Alignment::Right:
      return Qt::AlignRight;
    case toolkit::Alignment::Left:
      break;
  }
  return Qt::AlignLeft;
}

}  // namespace

void paintBlueGradient(QPainter& painter, const QRect& area) {
  for (const toolkit::GradientBand& band : toolkit::gradientBands(area.height())) {
    painter.fillRect(
        QRect(area.left(), area.top() + band.top, area.width(), band.bottom - band.top),
        QColor(0, 0, band.blue));
  }
}

// ---- FormWidget ----

FormWidget::FormWidget(QtHost& host, toolkit::Form& form)
    : QWidget(nullptr, kFixedWindow), host_(host), form_(form) {
  setMouseTracking(true);
}

void FormWidget::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  if (blueGradient) {
    paintBlueGradient(painter, rect());
  } else {
    painter.fillRect(rect(), backgroundColour);
  }
  if (!background.isNull()) painter.drawPixmap(0, 0, background);
}

void FormWidget::mouseMoveEvent(QMouseEvent* event) {
  event->accept();
  if (!host_.forwards(*this)) return;
  const QPointF p = event->position();
  form_.userMouseMove(p.x() * host_.twipsPerPixelX(), p.y() * host_.twipsPerPixelY());
}

// The model decides: a refused close keeps the window, an accepted one unloads it.
void FormWidget::closeEvent(QCloseEvent* event) {
  event->ignore();
  if (host_.forwards(*this)) form_.userRequestClose();
}

void FormWidget::moveEvent(QMoveEvent* event) {
  QWidget::moveEvent(event);
  host_.windowMoved(*this);
}

// A minimised window the user brings back from the taskbar is shown again.
void FormWidget::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  if (event->type() != QEvent::WindowStateChange) return;
  const auto* change = static_cast<QWindowStateChangeEvent*>(event);
  if ((change->oldState() & Qt::WindowMinimized) && !(windowState() & Qt::WindowMinimized)) {
    host_.windowRestored(*this);
  }
}

// ---- PaintedControl ----

PaintedControl::PaintedControl(QtHost& host, toolkit::Control& control, QWidget* parent)
    : QWidget(parent), ControlView(host, control) {
  setMouseTracking(true);
}

void PaintedControl::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  switch (kind_) {
    case toolkit::ControlKind::Label:
      paintLabel(painter);
      return;
    case toolkit::ControlKind::PictureBox:
      painter.fillRect(rect(), host_.colour(shown_.background));
      break;
    default:
      break;
  }
  if (!picture.isNull()) painter.drawPixmap(0, 0, picture);
}

void PaintedControl::paintLabel(QPainter& painter) {
  QRect textArea = rect();
  if (!shown_.transparent) painter.fillRect(textArea, host_.colour(shown_.background));
  if (shown_.border) {
    // The thin frame of the window system: black.
    painter.setPen(Qt::black);
    painter.drawRect(textArea.adjusted(0, 0, -1, -1));
    // The text keeps off the border, as in a bordered label of the window system.
    textArea.adjust(1 + kBorderedLabelMargin, 1, -1 - kBorderedLabelMargin, -1);
  }
  painter.setPen(isEnabled() ? host_.colour(shown_.foreground)
                             : palette().color(QPalette::Disabled, QPalette::WindowText));
  painter.setFont(font());
  painter.drawText(textArea,
                   horizontalAlignment(shown_.alignment) | Qt::AlignTop | Qt::TextWordWrap,
                   QString::fromStdString(shown_.caption));
}

void PaintedControl::mouseMoveEvent(QMouseEvent* event) {
  event->accept();
  if (control_ == nullptr || host_.quitting()) return;
  const QPointF p = event->position();
  control_->userMouseMove(p.x() * host_.twipsPerPixelX(), p.y() * host_.twipsPerPixelY());
}

void PaintedControl::mousePressEvent(QMouseEvent* event) {
  event->accept();
  if (event->button() == Qt::LeftButton) pressed_ = true;
}

void PaintedControl::mouseReleaseEvent(QMouseEvent* event) {
  event->accept();
  if (event->button() != Qt::LeftButton || !pressed_) return;
  pressed_ = false;
  // The click may unload the form and with it this widget (deleted later).
  if (rect().contains(event->position().toPoint()) && control_ != nullptr) {
    host_.userClicked(*control_);
  }
}

// ---- LineControl ----

LineControl::LineControl(QtHost& host, toolkit::Control& control, QWidget* parent)
    : QWidget(parent), ControlView(host, control) {
  setAttribute(Qt::WA_TransparentForMouseEvents);
}

// A level or upright line fills its one-pixel-thick box: at a fractional
// scale a one-pixel pen on the box's edge can round to a device pixel
// outside it, and the line vanishes.
void LineControl::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const QColor colour = host_.colour(shown_.foreground);
  if (from.x() == to.x() || from.y() == to.y()) {
    painter.fillRect(rect(), colour);
    return;
  }
  painter.setPen(QPen(colour, 0));
  painter.drawLine(from, to);
}

// ---- FrameControl ----

FrameControl::FrameControl(QtHost& host, toolkit::Control& control, QWidget* parent)
    : QFrame(parent), ControlView(host, control) {}

void FrameControl::paintEvent(QPaintEvent* event) {
  {
    QPainter painter(this);
    painter.fillRect(rect(), host_.colour(shown_.background));
  }
  QFrame::paintEvent(event);
}

// ---- ButtonControl ----

ButtonControl::ButtonControl(QtHost& host, toolkit::Control& control, QWidget* parent)
    : QPushButton(parent), ControlView(host, control) {
  setAutoDefault(false);
  connect(this, &QPushButton::clicked, this, [this] {
    if (control_ != nullptr) host_.userClicked(*control_);
  });
}

void ButtonControl::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const QBrush face(host_.colour(shown_.background));
  qDrawWinButton(&painter, rect(), palette(), isDown(), &face);
  QRect inner = rect();
  if (isDown()) inner.translate(1, 1);
  if (!icon().isNull()) {
    const QPixmap glyph = icon().pixmap(iconSize(), isEnabled() ? QIcon::Normal : QIcon::Disabled);
    QRect target(QPoint(0, 0), glyph.deviceIndependentSize().toSize());
    target.moveCenter(inner.center());
    painter.drawPixmap(target, glyph);
  } else {
    painter.setPen(isEnabled() ? host_.colour(shown_.foreground)
                               : palette().color(QPalette::Disabled, QPalette::ButtonText));
    painter.setFont(font());
    painter.drawText(inner, Qt::AlignCenter, text());
  }
}

// ---- check boxes and option buttons ----

CheckBoxControl::CheckBoxControl(QtHost& host, toolkit::Control& control, QWidget* parent)
    : QCheckBox(parent), ControlView(host, control) {
  connect(this, &QCheckBox::clicked, this, [this] {
    if (control_ != nullptr) host_.userClicked(*control_);
  });
}

// The model keeps the group: Qt must not clear the others by itself.
OptionControl::OptionControl(QtHost& host, toolkit::Control& control, QWidget* parent)
    : QRadioButton(parent), ControlView(host, control) {
  setAutoExclusive(false);
  connect(this, &QRadioButton::clicked, this, [this] {
    if (control_ != nullptr) host_.userClicked(*control_);
  });
}

}  // namespace vodivuri::qt
