// The focus indicator: a ring two pixels wide around the focused control (or
// its focused part), in black or white by toolkit::focusRingColour of what
// lies beneath it, drawn over the window's controls.
#pragma once

#include <QColor>
#include <QRect>
#include <QTimer>
#include <QWidget>

namespace vodivuri::qt {

inline constexpr int kRingWidth = 2;

class FocusRing : public QWidget {
 public:
  explicit FocusRing(QWidget& window);
  // Around `target` (in the window's pixels), outside it when it fits in the
  // window, else just inside its edge; an empty rectangle hides it. The
  // colour is taken again on the next turn of the loop, when the window has
  // been updated.
  void follow(const QRect& target, bool inside);
  // What lies beneath may have changed: take the colour again.
  void refresh();
  const QColor& colour() const { return colour_; }
  // The ring's outer edge in the window, empty while hidden.
  QRect ring() const { return ring_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  void takeColour();

  QRect ring_;
  QColor colour_ = Qt::white;
  bool grabbing_ = false;
  QTimer pending_;
};

}  // namespace vodivuri::qt
