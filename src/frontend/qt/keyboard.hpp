// The keys of the core, read from Qt's key events, and the filter that hands
// every press of them (and every click that moves the focus) to the model.
#pragma once

#include <QObject>
#include <optional>

#include "toolkit/keys.hpp"

class QKeyEvent;

namespace vodivuri::qt {

class QtHost;

// The core's key for a Qt key press; empty for the keys the core leaves alone.
std::optional<toolkit::KeyPress> coreKey(const QKeyEvent& event);

// Installed on the application: a key of the core pressed in a form's window
// goes to Form::userKey and nowhere else (Qt's own Tab chain and the native
// Space and arrows of buttons never run); its release goes nowhere. A press
// of the left button on a control of the tab order tells the model first.
// Menus and message boxes are windows of their own and keep Qt's keys.
class InputForwarder : public QObject {
 public:
  explicit InputForwarder(QtHost& host) : host_(host) {}

 protected:
  bool eventFilter(QObject* target, QEvent* event) override;

 private:
  QtHost& host_;
};

}  // namespace vodivuri::qt
