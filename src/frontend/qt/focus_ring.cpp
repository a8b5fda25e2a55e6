#include "frontend/qt/focus_ring.hpp"

#include <QPainter>
#include <array>

#include "toolkit/accessible.hpp"

namespace vodivuri::qt {

namespace {

// The ring's band of `outer`, as four rectangles.
std::array<QRect, 4> bands(const QRect& outer) {
  const int w = kRingWidth;
  return {QRect(outer.left(), outer.top(), outer.width(), w),
          QRect(outer.left(), outer.bottom() - w + 1, outer.width(), w),
          QRect(outer.left(), outer.top() + w, w, outer.height() - 2 * w),
          QRect(outer.right() - w + 1, outer.top() + w, w, outer.height() - 2 * w)};
}

}  // namespace

FocusRing::FocusRing(QWidget& window) : QWidget(&window) {
  setObjectName(QStringLiteral("focusRing"));
  setAttribute(Qt::WA_TransparentForMouseEvents);
  setAttribute(Qt::WA_NoSystemBackground);
  setFocusPolicy(Qt::NoFocus);
  pending_.setSingleShot(true);
  pending_.setInterval(0);
  pending_.callOnTimeout(this, [this] { takeColour(); });
  hide();
}

void FocusRing::follow(const QRect& target, bool inside) {
  QRect outer;
  if (!target.isEmpty()) {
    const int gap = 1;  // between the control's edge and the ring
    const QRect around =
        target.adjusted(-gap - kRingWidth, -gap - kRingWidth, gap + kRingWidth, gap + kRingWidth);
    outer =
        !inside && parentWidget()->rect().contains(around) ? around : target.adjusted(1, 1, -1, -1);
    if (outer.width() < 2 * kRingWidth + 2 || outer.height() < 2 * kRingWidth + 2) outer = target;
  }
  if (outer == ring_ && isVisible() == !outer.isEmpty()) {
    refresh();
    return;
  }
  // The old place is painted over as well as the new one.
  update(ring_);
  ring_ = outer;
  update(ring_);
  if (ring_.isEmpty()) {
    hide();
    return;
  }
  setGeometry(parentWidget()->rect());
  raise();
  show();
  takeColour();
}

void FocusRing::refresh() {
  if (!ring_.isEmpty()) pending_.start();
}

// The mean of the pixels the ring covers, drawn without it.
void FocusRing::takeColour() {
  QWidget* window = parentWidget();
  if (ring_.isEmpty() || window == nullptr) return;
  grabbing_ = true;
  const QImage beneath = window->grab(ring_).toImage().convertToFormat(QImage::Format_RGB32);
  grabbing_ = false;
  const qreal scale = beneath.devicePixelRatio();
  double r = 0, g = 0, b = 0;
  long n = 0;
  for (const QRect& band : bands(QRect(QPoint(0, 0), ring_.size()))) {
    const QRect device(
        QPoint(int(band.left() * scale), int(band.top() * scale)),
        QPoint(int((band.right() + 1) * scale) - 1, int((band.bottom() + 1) * scale) - 1));
    for (int y = device.top(); y <= device.bottom(); ++y) {
      for (int x = device.left(); x <= device.right(); ++x) {
        if (!beneath.rect().contains(x, y)) continue;
        const QRgb p = beneath.pixel(x, y);
        r += qRed(p), g += qGreen(p), b += qBlue(p);
        ++n;
      }
    }
  }
  if (n == 0) return;
  const auto mean = [n](double sum) { return static_cast<std::uint8_t>(sum / n + 0.5); };
  const toolkit::Colour c = toolkit::focusRingColour(mean(r), mean(g), mean(b));
  const QColor colour(c.r, c.g, c.b);
  if (colour == colour_) return;
  colour_ = colour;
  update();
}

void FocusRing::paintEvent(QPaintEvent*) {
  if (grabbing_ || ring_.isEmpty()) return;
  QPainter painter(this);
  for (const QRect& band : bands(ring_)) painter.fillRect(band, colour_);
}

}  // namespace vodivuri::qt
