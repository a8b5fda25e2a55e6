// The Qt 6 Widgets host: every loaded form a top-level window, every control
// a child widget, the model's timers as QTimers, the tray icon as a
// QSystemTrayIcon, modal windows in nested event loops. Split by concern over
// qt_host.cpp (units, looks, the end), host_forms.cpp, host_controls.cpp,
// host_menus.cpp, host_tray.cpp, host_messages.cpp and host_timers.cpp.
#pragma once

#include <QColor>
#include <QEventLoop>
#include <QFont>
#include <QPointer>
#include <QSystemTrayIcon>
#include <QTimer>
#include <map>
#include <memory>
#include <vector>

#include "frontend/qt/assets.hpp"
#include "frontend/qt/desktop_notifications.hpp"
#include "frontend/qt/session_signals.hpp"
#include "frontend/qt/sni/status_notifier_item.hpp"
#include "frontend/qt/sni/tray_watch.hpp"
#include "frontend/qt/widgets.hpp"
#include "toolkit/form.hpp"
#include "toolkit/host.hpp"

namespace vodivuri::qt {

class QtHost : public toolkit::Host {
 public:
  // Needs a QApplication. `watchSignals` turns SIGTERM, SIGINT and SIGHUP
  // into a session end (the program's own host does; tests need not).
  explicit QtHost(QString assetsFolder = AssetStore::defaultFolder(), bool watchSignals = false);
  ~QtHost() override;
  QtHost(const QtHost&) = delete;
  QtHost& operator=(const QtHost&) = delete;

  // Runs the event loop until quit(); returns at once when quit() came first.
  int exec();
  bool quitting() const { return quitting_; }
  // The loaded forms are told that the session ends; if none ends the
  // program, it ends all the same.
  void endSession();

  // --- toolkit::Host ---
  void formLoaded(toolkit::Form& form) override;
  void formShown(toolkit::Form& form) override;
  void formRaised(toolkit::Form& form) override;
  void formHidden(toolkit::Form& form) override;
  void formUnloaded(toolkit::Form& form) override;
  void formMoved(toolkit::Form& form) override;
  void controlChanged(toolkit::Control& control, toolkit::Property p) override;
  void focusChanged(toolkit::Form& form) override;
  void controlDestroyed(toolkit::Control& control) override;
  void timerChanged(toolkit::Timer& timer) override;
  // The wall clock was set or a suspend ended: every running timer ticks at
  // once and waits afresh on the wall clock, so none sleeps past its moment.
  void clockChanged();
  void runModal(toolkit::Form& form) override;
  toolkit::MessageAnswer messageBox(const toolkit::MessageRequest& request) override;
  void popupMenu(toolkit::Form& owner, toolkit::MenuEntry& menu,
                 const toolkit::MenuEntry* defaultEntry) override;
  toolkit::ScreenMetrics screen() const override;
  bool trayAvailable() const override;
  void minimise(toolkit::Form& form) override;
  void addTrayIcon(const toolkit::TrayIcon& icon) override;
  void removeTrayIcon(const toolkit::TrayIcon& icon) override;
  void trayNotification(const toolkit::TrayIcon& icon, const std::string& title,
                        const std::string& text) override;
  void quit() override;

  // --- for the widgets and the tests ---
  int twipsPerPixelX() const;
  int twipsPerPixelY() const;
  int toPixelsX(int twips) const;
  int toPixelsY(int twips) const;
  QColor colour(const toolkit::Colour& c) const;
  QFont font(const toolkit::Font& f) const;
  QPixmap picture(const std::string& name) { return assets_.pixmap(name); }
  const AssetStore& assets() const { return assets_; }
  FormWidget* widgetOf(const toolkit::Form& form) const;
  QWidget* widgetOf(const toolkit::Control& control) const;
  QTimer* timerOf(const toolkit::Timer& timer) const;
  // The icon as Qt's tray icon (XEmbed), where it is one.
  QSystemTrayIcon* trayIconOf(const toolkit::Control& receiver) const;
  // Where notifications go: the session bus unless a test names another.
  void useNotificationBus(const QDBusConnection& bus);
  // A user's click reached a control's widget.
  void userClicked(toolkit::Control& control);
  // The window system moved a form's window (or placed it at its first showing).
  void windowMoved(FormWidget& widget);
  // The window system restored a form's minimised window.
  void windowRestored(FormWidget& widget);
  // Whether input on this window still reaches its form: the form is loaded
  // with this window and the program is not ending.
  bool forwards(const FormWidget& widget) const;
  // The window of the innermost modal form waiting, which alone takes input.
  FormWidget* innermostModal() const;

 private:
  QWidget* createControl(toolkit::Control& control, FormWidget& form);
  void apply(toolkit::Control& control, QWidget& widget);
  void applyFormSize(toolkit::Form& form, FormWidget& widget);
  // The ring around the form's focused control (or its focused part).
  void placeRing(const toolkit::Form& form);
  void focusLooksChanged(toolkit::Control& control, toolkit::Property p);
  void reportPlace(FormWidget& widget);
  // Hides or minimises the window now, or once the window manager has mapped it.
  void onceMapped(FormWidget& widget, FormWidget::Pending what);
  // Watches for trays on `bus` (the session bus, made on first use).
  void useTrayBus(const QDBusConnection& bus);
  // Where the window's top-left corner goes so that all of it is on the screen.
  QPoint keptOnScreen(const FormWidget& widget, QPoint outer) const;
  void forgetTimer(const toolkit::Control& control);
  void scheduleTick(toolkit::Timer& timer, QTimer& qtimer);

  QObject context_;  // owns the connections to application signals
  AssetStore assets_;
  std::map<const toolkit::Form*, QPointer<FormWidget>> forms_;
  std::vector<const toolkit::Form*> loadOrder_;
  std::map<const toolkit::Control*, QPointer<QWidget>> controls_;
  std::map<const toolkit::Control*, std::unique_ptr<QTimer>> timers_;
  struct Tray {
    toolkit::TrayIcon model;
    sni::TrayKind kind = sni::TrayKind::None;
    std::unique_ptr<QSystemTrayIcon> icon;
    std::unique_ptr<sni::StatusNotifierItem> item;
  };
  sni::TrayWatch& trayWatch();
  void placeTray(Tray& tray);
  void makeSystemTrayIcon(Tray& tray);
  void makeStatusNotifierItem(Tray& tray);
  void trayMenuChanged(const toolkit::Control& control);
  void hideTray(Tray& tray);
  void dropTrayObjects(Tray& tray);
  // Runs from the loop, never inside the icon's own mouse event: the icon
  // may be removed by what the activation starts.
  void trayActivated(const toolkit::Control* receiver, QSystemTrayIcon::ActivationReason reason);
  void trayMessage(const toolkit::Control* receiver, int message);
  void dropTray(const toolkit::Control* receiver);
  DesktopNotifications& notifications();
  void showBalloon(const toolkit::Control* receiver, const QString& title, const QString& text);

  std::map<const toolkit::Control*, Tray> trays_;
  std::vector<std::pair<const toolkit::Form*, QEventLoop*>> modalLoops_;
  std::unique_ptr<TerminationSignals> signals_;
  std::unique_ptr<DesktopNotifications> notifications_;  // made at the first notification
  std::unique_ptr<sni::TrayWatch> trayWatch_;            // made at the first question
  std::unique_ptr<QObject> modalGuard_;                  // filters input while a modal form waits
  std::unique_ptr<QObject> input_;                       // keys and focusing clicks to the model
  bool quitting_ = false;
  mutable bool noTrayNoted_ = false;
};

}  // namespace vodivuri::qt
