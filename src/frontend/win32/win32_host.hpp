// The Win32 host: every loaded form a top-level window, every control a real
// child window, the model's timers as SetTimer timers, the tray icon through
// Shell_NotifyIconA, modal windows in nested GetMessage loops. ANSI API only.
//
// Pictures. A layout names a picture by its asset file ("toolbar.bmp",
// "vodivuri.ico", "hand.cur", "about_background.jpg"). The host looks it up
// first in the module's resources under the asset's name without extension
// (Windows upper-cases it: "TOOLBAR", "VODIVURI", "HAND", "ABOUT_BACKGROUND"):
//   - .bmp, .jpg, .png: a BITMAP resource (RT_BITMAP); a JPEG or PNG asset is
//     converted to a BMP by the resource build, LoadImageA cannot read them;
//   - .ico: an ICON resource (RT_GROUP_ICON);
//   - .cur: a CURSOR resource (RT_GROUP_CURSOR).
// Failing that, it loads the file from the folder `assetsFolder` (by default
// "assets" beside the executable): the asset itself for .bmp/.ico/.cur, and
// "<name>.bmp" for a .jpg or .png asset. A picture found nowhere is drawn as
// nothing (the hand cursor falls back to IDC_HAND). In a windres script a
// name that is also a keyword must be quoted: "TOOLBAR" BITMAP "toolbar.bmp".
#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "frontend/win32/accessible.hpp"
#include "toolkit/form.hpp"
#include "toolkit/host.hpp"

namespace vodivuri::win32 {

struct FormRecord;
struct ControlRecord;
class Pictures;

// The notification-area record in its first ANSI form (88 bytes on 32-bit
// Windows): flags NIF_MESSAGE | NIF_ICON | NIF_TIP, callback WM_MOUSEMOVE, the
// receiver's handle as both window and identifier, the tooltip in the system's ANSI code page.
NOTIFYICONDATAA makeTrayRecord(HWND receiver, HICON icon, const std::string& tooltipUtf8);

class Win32Host : public toolkit::Host {
 public:
  explicit Win32Host(HINSTANCE instance, std::string assetsFolder = {});
  ~Win32Host() override;
  Win32Host(const Win32Host&) = delete;
  Win32Host& operator=(const Win32Host&) = delete;

  // Runs the message loop until quit(); returns 0 (at once when quit() came first).
  int run();
  bool quitting() const { return quitting_; }
  // The session ends: every loaded form is told, then the program ends.
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
  void runModal(toolkit::Form& form) override;
  toolkit::MessageAnswer messageBox(const toolkit::MessageRequest& request) override;
  void popupMenu(toolkit::Form& owner, toolkit::MenuEntry& menu,
                 const toolkit::MenuEntry* defaultEntry) override;
  toolkit::ScreenMetrics screen() const override;
  bool trayAvailable() const override;
  void minimise(toolkit::Form& form) override;
  void addTrayIcon(const toolkit::TrayIcon& icon) override;
  void removeTrayIcon(const toolkit::TrayIcon& icon) override;
  void quit() override;
  // A balloon from the tray icon (shell 5 and later); a click on it reaches the
  // receiver as NIN_BALLOONUSERCLICK, like the icon's own mouse messages.
  void trayNotification(const toolkit::TrayIcon& icon, const std::string& title,
                        const std::string& text) override;

  // --- for the program and the tests ---
  HINSTANCE instance() const { return instance_; }
  int twipsPerPixelX() const;
  int twipsPerPixelY() const;
  int toPixelsX(int twips) const;
  int toPixelsY(int twips) const;
  // The window of a loaded form or of a control; null when there is none.
  HWND windowOf(const toolkit::Form& form) const;
  HWND windowOf(const toolkit::Control& control) const;
  // The hidden top-level window that owns the timers and hears the shell.
  HWND hostWindow() const { return hostWindow_; }
  const Pictures& pictures() const { return *pictures_; }
  // The record last handed to the shell for this receiver, if its icon is shown.
  const NOTIFYICONDATAA* trayRecordOf(const toolkit::Control& receiver) const;
  // The shell call; tests replace it to see the records without a shell.
  std::function<BOOL(DWORD, NOTIFYICONDATAA*)> notifyIcon;
  // Runs once a popup menu is open, with its handle (tests inspect and close it).
  std::function<void(HMENU)> onPopupMenuOpened;
  // Runs once a message box is up, with its window (tests answer it).
  std::function<void(HWND)> onMessageBoxShown;
  // Functions that older Windows versions lack, looked up at start (null
  // there); tests clear them to take the fallbacks.
  struct OptionalApi {
    BOOL(WINAPI* endMenu)() = nullptr;
    HMONITOR(WINAPI* monitorFromRect)(LPCRECT, DWORD) = nullptr;
    BOOL(WINAPI* getMonitorInfo)(HMONITOR, LPMONITORINFO) = nullptr;
    BOOL(WINAPI* systemParametersInfo)(UINT, UINT, PVOID, UINT) = nullptr;
  } api;
  // How often an icon the shell refused is offered again (Explorer still starting).
  UINT trayRetryMs = 2000;

  // --- for the window procedures (internal) ---
  // Posted to the host window once a message box is up (wParam: the box).
  static constexpr UINT kMessageBoxUp = WM_APP + 1;
  // Posted by a screen reader's default action (lParam: the control's window).
  static constexpr UINT kAccessiblePress = WM_APP + 2;
  FormRecord* formRecord(HWND hwnd) const;
  ControlRecord* controlRecord(HWND hwnd) const;
  LRESULT formMessage(FormRecord& record, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT controlMessage(ControlRecord& record, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT buttonMessage(ControlRecord& record, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT hostMessage(UINT message, WPARAM wParam, LPARAM lParam);
  // WM_GETOBJECT: the screen reader's object for a window of the host.
  bool accessibleObject(HWND hwnd, WPARAM wParam, LPARAM lParam, LRESULT& result);
  // Whether the shell sends this receiver's icon the keyboard's messages
  // (NIM_SETVERSION taken).
  bool trayKnowsKeys(const toolkit::Control& receiver) const;

 private:
  // win32_host.cpp: loops and forms
  void reportPlace(FormRecord& record);
  void dispatch(MSG& msg);
  void buryForm(std::unique_ptr<FormRecord> record);
  void collectGraveyard();
  void releaseUnusedPictures();
  // controls.cpp
  void createControl(toolkit::Control& control, FormRecord& form);
  void apply(ControlRecord& record);
  void userClicked(toolkit::Control& control);
  bool childNotification(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
  static bool initCommonControls();
  void createTooltips(FormRecord& form);
  void updateTooltip(ControlRecord& record, bool isNew);
  HFONT font(const toolkit::Font& f);
  COLORREF colour(const toolkit::Colour& c) const;
  HBRUSH brush(COLORREF c);
  // painting.cpp
  void buildBackground(FormRecord& record);
  void paintForm(FormRecord& record, HDC dc);
  void paintControl(ControlRecord& record, HDC dc);
  void paintBeneath(ControlRecord& record, HDC dc);
  // timers.cpp
  void forgetTimer(const toolkit::Timer& timer);
  void timerFired(UINT_PTR id);
  void scheduleTick(toolkit::Timer& timer, UINT_PTR id);
  void stopTimers();
  // The wall clock was set or a suspend ended (WM_TIMECHANGE, WM_POWERBROADCAST).
  void clockChanged();
  // keys.cpp
  bool keyToForm(const MSG& msg);
  HWND focusWindow(const toolkit::Form& form) const;
  bool formActivated(FormRecord& record);
  void windowFocused(ControlRecord& record);
  // focus_ring.cpp
  struct RingPlace {
    HWND canvas;   // the window that draws it
    RECT rect;     // in the canvas's client coordinates; the ring is its outer band
    bool outside;  // drawn by the parent around the control
  };
  bool roomAround(const ControlRecord& record, const RECT& area) const;
  bool showsRing(const ControlRecord& record) const;
  RingPlace ringPlace(const ControlRecord& record) const;
  void invalidateRing(HWND control);
  void moveRing(FormRecord& record);
  void paintOutsideRing(FormRecord& record, HDC dc);
  void paintInsideRing(ControlRecord& record, HDC dc);
  void redrawInsideRing(ControlRecord& record);
  // forms.cpp
  RECT workAreaFor(const RECT& window) const;
  // tray.cpp
  bool offerTray(const toolkit::Control* receiver, NOTIFYICONDATAA& record, bool known);
  void askForKeys(const toolkit::Control* receiver, const NOTIFYICONDATAA& record);
  void retryTray();
  void dropTray(const toolkit::Control* receiver);
  void trayAreaRecreated();
  // menus.cpp
  void menuOpened(HMENU menu);

  HINSTANCE instance_;
  HWND hostWindow_ = nullptr;
  UINT taskbarCreated_ = 0;
  std::unique_ptr<Pictures> pictures_;
  std::map<const toolkit::Form*, std::unique_ptr<FormRecord>> forms_;
  std::map<HWND, FormRecord*> formWindows_;
  std::map<HWND, ControlRecord*> controlWindows_;
  std::map<const toolkit::Control*, ControlRecord*> controls_;
  // Unloaded forms whose windows wait until no handler of theirs is running.
  std::vector<std::unique_ptr<FormRecord>> graveyard_;
  std::map<const toolkit::Timer*, UINT_PTR> timers_;
  std::map<UINT_PTR, toolkit::Timer*> timerIds_;
  UINT_PTR nextTimerId_ = 1;
  std::map<const toolkit::Control*, NOTIFYICONDATAA> trays_;
  // Icons the shell has not taken yet, offered again on a timer.
  std::map<const toolkit::Control*, NOTIFYICONDATAA> trayPending_;
  static constexpr UINT_PTR kTrayRetryTimer = 0x7FFF0001;
  // The radio button being given the focus: what it says then is no click.
  HWND focusing_ = nullptr;
  // The window focus is being set from the model's: no news for the model.
  bool mirroringFocus_ = false;
  // Keys whose press the form used: their release is not the control's either.
  std::set<WPARAM> swallowedKeys_;
  // Tray receivers whose shell took NOTIFYICON_VERSION.
  std::set<const toolkit::Control*> trayKeys_;
  Accessibility accessibility_;
  std::map<std::string, HFONT> fonts_;
  std::map<COLORREF, HBRUSH> brushes_;
  std::vector<const toolkit::Form*> modalForms_;
  HMENU openMenu_ = nullptr;
  int loopDepth_ = 0;
  int callbackDepth_ = 0;
  int applying_ = 0;
  bool quitting_ = false;
  bool tooltipsReady_ = false;
  mutable bool noTrayNoted_ = false;
};

}  // namespace vodivuri::win32
