// The widgets that render the headless controls and forms, and forward a
// user's clicks, mouse moves, keys and close requests to the model.
#pragma once

#include <QCheckBox>
#include <QFrame>
#include <QPushButton>
#include <QRadioButton>
#include <QWidget>

#include "toolkit/control.hpp"
#include "toolkit/form.hpp"

namespace vodivuri::qt {

class QtHost;

class FocusRing;

// The top-level window of a form: its background (colour, picture or the
// blue gradient), its own surface's mouse moves and its close box. Keys go
// to the model through the host's input filter.
class FormWidget : public QWidget {
  Q_OBJECT

 public:
  FormWidget(QtHost& host, toolkit::Form& form);
  toolkit::Form& form() const { return form_; }
  // What the background shows, taken from the layout when the form loads.
  QPixmap background;
  QColor backgroundColour;
  bool blueGradient = false;
  // Hidden or minimised by the model before the window manager had mapped
  // it: done as soon as it is on the screen (see QtHost::onceMapped).
  enum class Pending { None, Hide, Minimise };
  Pending pending = Pending::None;
  // The focus indicator drawn over the window's controls.
  FocusRing* ring = nullptr;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void moveEvent(QMoveEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  QtHost& host_;
  toolkit::Form& form_;
};

// Paints the 256 bands from black at the top to pure blue over `area`.
void paintBlueGradient(QPainter& painter, const QRect& area);

// What the host keeps of a control while its widget shows it.
class ControlView {
 public:
  ControlView(QtHost& host, toolkit::Control& control)
      : host_(host), control_(&control), kind_(control.kind()) {}
  virtual ~ControlView() = default;
  toolkit::Control* control() const { return control_; }
  // The control is gone: no more input reaches it.
  void detach() { control_ = nullptr; }
  // The state last applied, which the widget paints.
  const toolkit::ControlState& shown() const { return shown_; }
  void setShown(const toolkit::ControlState& s) { shown_ = s; }

 protected:
  QtHost& host_;
  toolkit::Control* control_;
  toolkit::ControlKind kind_;
  toolkit::ControlState shown_;
};

// Labels, picture boxes and images: painted by hand, mouse moves in twips
// of their own, a click when the left button goes down and up inside.
class PaintedControl : public QWidget, public ControlView {
  Q_OBJECT

 public:
  PaintedControl(QtHost& host, toolkit::Control& control, QWidget* parent);
  QPixmap picture;  // picture boxes and images

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  void paintLabel(QPainter& painter);
  bool pressed_ = false;
};

// A one-pixel line between the control's two points, under the other controls.
class LineControl : public QWidget, public ControlView {
  Q_OBJECT

 public:
  LineControl(QtHost& host, toolkit::Control& control, QWidget* parent);
  QPoint from, to;  // in the widget's own pixels

 protected:
  void paintEvent(QPaintEvent* event) override;
};

class FrameControl : public QFrame, public ControlView {
  Q_OBJECT

 public:
  FrameControl(QtHost& host, toolkit::Control& control, QWidget* parent);

 protected:
  void paintEvent(QPaintEvent* event) override;
};

// A push button drawn with the classic raised bevel, its picture or caption centred.
class ButtonControl : public QPushButton, public ControlView {
  Q_OBJECT

 public:
  ButtonControl(QtHost& host, toolkit::Control& control, QWidget* parent);

 protected:
  void paintEvent(QPaintEvent* event) override;
};

class CheckBoxControl : public QCheckBox, public ControlView {
  Q_OBJECT

 public:
  CheckBoxControl(QtHost& host, toolkit::Control& control, QWidget* parent);
};

class OptionControl : public QRadioButton, public ControlView {
  Q_OBJECT

 public:
  OptionControl(QtHost& host, toolkit::Control& control, QWidget* parent);
};

}  // namespace vodivuri::qt
