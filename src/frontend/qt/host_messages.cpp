// The Qt host's message boxes, their buttons in Spanish whatever the locale
// and whether or not Qt's own translations are installed.
#include <QAbstractButton>
#include <QMessageBox>

#include "frontend/qt/qt_host.hpp"

namespace vodivuri::qt {

namespace {

toolkit::MessageAnswer unanswered(const toolkit::MessageRequest& request) {
  return request.buttons == toolkit::MessageButtons::YesNo ? toolkit::MessageAnswer::Cancel
                                                           : toolkit::MessageAnswer::Ok;
}

}  // namespace

toolkit::MessageAnswer QtHost::messageBox(const toolkit::MessageRequest& request) {
  if (quitting_) return unanswered(request);
  const bool question = request.buttons == toolkit::MessageButtons::YesNo;
  QMessageBox box(request.icon == toolkit::MessageIcon::Question ? QMessageBox::Question
                                                                 : QMessageBox::Information,
                  QString::fromStdString(request.title), QString::fromStdString(request.text),
                  question ? QMessageBox::Yes | QMessageBox::No
                           : QMessageBox::StandardButtons(QMessageBox::Ok));
  if (question) {
    box.button(QMessageBox::Yes)->setText(QStringLiteral("Sí"));
    box.button(QMessageBox::No)->setText(QStringLiteral("No"));
  } else {
    box.button(QMessageBox::Ok)->setText(QStringLiteral("Aceptar"));
  }
  const int answer = box.exec();
  if (quitting_) return unanswered(request);
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

}  // namespace vodivuri::qt
