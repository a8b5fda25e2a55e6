// What needs a real window system: showing forms, the modal loop, message
// boxes, popup menus, timers, screen metrics, the tray icon and quitting.
#pragma once

#include <string>

#include "toolkit/control.hpp"

namespace vodivuri::toolkit {

class Form;

struct ScreenMetrics {
  int widthPixels = 1024;
  int heightPixels = 768;
  int twipsPerPixelX = 15;
  int twipsPerPixelY = 15;
};

enum class MessageButtons { Ok, YesNo };
enum class MessageIcon { Information, Question };
enum class MessageAnswer { Ok, Yes, No, Cancel };

struct MessageRequest {
  std::string text;
  std::string title;
  MessageButtons buttons = MessageButtons::Ok;
  MessageIcon icon = MessageIcon::Information;
  friend bool operator==(const MessageRequest&, const MessageRequest&) = default;
};

// The notification-area icon; its mouse messages reach `receiver` as mouse
// moves whose x is the message number times the screen's twips per pixel.
// `menu` is what its right button opens, for trays that draw the menu
// themselves.
struct TrayIcon {
  std::string tooltip;
  std::string icon;  // asset name
  Control* receiver = nullptr;
  MenuEntry* menu = nullptr;
  const MenuEntry* defaultEntry = nullptr;
};

// The message a click on a tray notification delivers (a balloon click on Windows).
inline constexpr int kTrayNotificationClick = 0x405;
// The message its «Cancelar» button delivers, where notifications carry buttons.
inline constexpr int kTrayNotificationCancel = 0x4C1;

class Host {
 public:
  virtual ~Host() = default;

  virtual void formLoaded(Form&) {}
  virtual void formShown(Form&) {}
  // A form already shown is asked for again: it comes to the front.
  virtual void formRaised(Form&) {}
  virtual void formHidden(Form&) {}
  virtual void formUnloaded(Form&) {}
  virtual void formMoved(Form&) {}
  virtual void controlChanged(Control&, Property) {}
  // The form's focus moved to `form.focus()` (null: nothing of it has it).
  virtual void focusChanged(Form&) {}
  // The control is being destroyed; forget every reference to it.
  virtual void controlDestroyed(Control&) {}
  // A timer was enabled, disabled or given another interval, or its form
  // was loaded or unloaded; the countdown starts afresh.
  virtual void timerChanged(Timer&) = 0;
  // Returns once `form` has been unloaded; timers keep ticking meanwhile.
  virtual void runModal(Form& form) = 0;
  virtual MessageAnswer messageBox(const MessageRequest& request) = 0;
  // Opens `menu` at the pointer; returns when it closes, after the chosen
  // entry's click has run.
  virtual void popupMenu(Form& owner, MenuEntry& menu, const MenuEntry* defaultEntry) = 0;
  virtual ScreenMetrics screen() const = 0;
  // Whether the desktop has a notification area for the icon.
  virtual bool trayAvailable() const { return true; }
  // Minimises the window to the taskbar (where no notification area exists).
  virtual void minimise(Form&) {}
  virtual void addTrayIcon(const TrayIcon& icon) = 0;

  virtual void removeTrayIcon(const TrayIcon& icon) = 0;
  // A notification from the tray icon, where the desktop can show one; a click
  // on it reaches the receiver as the message kTrayNotificationClick, and its
  // «Cancelar» button, where the desktop shows buttons, as kTrayNotificationCancel.
  virtual void trayNotification(const TrayIcon& icon, const std::string& title,
                                const std::string& text) {
    (void)icon, (void)title, (void)text;
  }
  // Ends the program at once: no further event runs.
  virtual void quit() = 0;
};

// Message box through the host.
MessageAnswer messageBox(Host& host, const std::string& text, const std::string& title,
                         MessageButtons buttons, MessageIcon icon);

}  // namespace vodivuri::toolkit
