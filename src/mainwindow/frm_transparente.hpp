// The main window: the schedule editor, its clock, the tray icon with its
// popup menu, and the toolbar strip.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "engine/power_actions.hpp"
#include "engine/program_state.hpp"
#include "engine/schedule_request.hpp"
#include "engine/settings_store.hpp"
#include "engine/trigger.hpp"
#include "mainwindow/looks.hpp"
#include "platform/services.hpp"
#include "toolkit/form.hpp"

namespace vodivuri::mainwindow {

using toolkit::Button;
using toolkit::CheckBox;
using toolkit::Image;
using toolkit::Label;
using toolkit::Line;
using toolkit::MenuEntry;
using toolkit::OptionButton;
using toolkit::PictureBox;
using toolkit::Timer;

struct MainWindowServices {
  toolkit::Host& host;
  engine::ProgramState& state;
  engine::SettingsStore& store;
  platform::VersionInfo& version;
  engine::PowerActions& power;
  platform::Clock& clock;
  platform::Instance& instance;
  platform::Autostart& autostart;
};

// The windows the main window opens modally; the calendar hands its date
// through `calendarShownDate`.
struct SecondaryWindows {
  toolkit::Form* calendar = nullptr;
  toolkit::Date* calendarShownDate = nullptr;
  toolkit::Form* about = nullptr;
  toolkit::Form* help = nullptr;
};

// The shell's record of the notification-area icon, in its first ANSI form.
struct NotifyIconData {
  std::uint32_t cbSize = 0;
  std::uintptr_t hWnd = 0;
  std::uint32_t uID = 0;
  std::uint32_t uFlags = 0;
  std::uint32_t uCallbackMessage = 0;
  std::string hIcon;
  std::array<char, 64> szTip{};
  // The tooltip the shell shows: the text before the first NUL.
  std::string tip() const;
};

inline constexpr int kRightButtonDown = 0x204;
inline constexpr int kLeftDoubleClick = 0x203;
// What a shell that knows the keyboard sends for Enter and for the menu key
// or Shift+F10 on the icon.
inline constexpr int kTrayKeySelect = 0x401;
inline constexpr int kTrayContextMenu = 0x7B;

inline constexpr const char* kApagar = "Apagar el sistema";
inline constexpr const char* kReiniciarSistema = "Reiniciar el sistema";
inline constexpr const char* kReiniciarSesion = "Reiniciar la sesión";

// What a request from outside the window answers: the exit status a command
// line gives back (0 done, 1 nothing scheduled, 2 refused) and one line to show.
struct RequestResult {
  int status = 0;
  std::string text;
};

class frmTransparente : public toolkit::Form {
 public:
  explicit frmTransparente(const MainWindowServices& services);
  void attach(const SecondaryWindows& windows) { windows_ = windows; }

  // Toolbar strip geometry, in twips of the strip.
  static constexpr int ButtonLeft = 215;
  static constexpr int ButtonWidth = 750;
  // The strip slot under x: 0 left of the first button, 1..6 buttons, 7 and 8 beyond.
  static int SlotAt(double x);
  // The six buttons, as a screen reader names them.
  static std::vector<toolkit::ControlPart> ToolbarParts();

  // ---- controls of the visible area ----
  PictureBox pTools{*this,
                    "pTools",
                    {.rect = {0, 0, 5715, 660},
                     .picture = "toolbar.bmp",
                     .accessibleName = "Barra de herramientas",
                     .role = toolkit::AccessRole::ToolBar}};
  Image imRaised{*this, "imRaised", {.rect = {225, 30, 750, 600}, .mouseInput = false}, &pTools};
  CheckBox chApagar{*this, "chApagar", looks::named(looks::box({345, 960, 180, 195}), kApagar)};
  // The captions beside the boxes and options: their names already say them.
  Label Label3{*this, "Label3", looks::silent(looks::caption(kApagar, {720, 930, 1905, 225}))};
  CheckBox chReSist{*this, "chReSist",
                    looks::named(looks::box({3060, 975, 225, 195}), kReiniciarSistema)};
  Label Label4{*this, "Label4",
               looks::silent(looks::caption(kReiniciarSistema, {3330, 945, 2205, 225}))};
  CheckBox chReSes{*this, "chReSes",
                   looks::named(looks::box({345, 1455, 210, 195}), kReiniciarSesion)};
  Label Label5{*this, "Label5",
               looks::silent(looks::caption(kReiniciarSesion, {675, 1455, 2040, 225}))};
  CheckBox chForzar{*this, "chForzar", looks::named(looks::box({3060, 1440, 210, 195}), "Forzar")};
  Label lblForzar{*this, "lblForzar", [] {
                    auto s = looks::silent(looks::caption("Forzar", {3330, 1440, 2040, 225}));
                    s.foreground = toolkit::Colour::rgb(255, 0, 0);
                    return s;
                  }()};
  Label lblHora{*this, "lblHora",
                looks::silent(looks::sizedCaption("Hora:", {555, 2130, 585, 240}))};
  Label txtHora{*this, "txtHora",
                looks::named(looks::centred("0", {1215, 2160, 330, 240}, looks::kSmall), "Hora",
                             toolkit::AccessRole::ReadOut)};
  Button cmdAumHora{
      *this, "cmdAumHora",
      looks::named(looks::arrow({1620, 2040, 255, 195}, looks::kUpArrow), "Aumentar la hora")};
  Button cmdDismHora{
      *this, "cmdDismHora",
      looks::named(looks::arrow({1620, 2265, 255, 195}, looks::kDownArrow), "Disminuir la hora")};
  Label lblMin{*this, "lblMin",
               looks::silent(looks::sizedCaption("Minutos:", {3510, 2130, 870, 240}))};
  Label txtMin{*this, "txtMin",
               looks::named(looks::centred("0", {4440, 2160, 330, 240}, looks::kSmall), "Minutos",
                            toolkit::AccessRole::ReadOut)};
  Button cmdAumMin{
      *this, "cmdAumMin",
      looks::named(looks::arrow({4860, 2040, 255, 195}, looks::kUpArrow), "Aumentar los minutos")};
  Button cmdDismMin{*this, "cmdDismMin",
                    looks::named(looks::arrow({4860, 2265, 255, 195}, looks::kDownArrow),
                                 "Disminuir los minutos")};
  OptionButton opSelFecha{
      *this, "opSelFecha",
      looks::named(looks::option({465, 2820, 210, 195}, false), "Seleccionar fecha")};
  Label Label6{
      *this, "Label6",
      looks::silent(looks::sizedCaption("Seleccionar fecha", {780, 2805, 1890, 240}, false))};
  Label lblCalen{*this, "lblCalen", [] {
                   auto s = looks::named(looks::centred("", {555, 3195, 3765, 210}),
                                         "Fecha programada", toolkit::AccessRole::ReadOut);
                   s.enabled = false;
                   return s;
                 }()};
  Button cmdCalendario{*this, "cmdCalendario",
                       looks::named(looks::arrow({4410, 3210, 255, 210}, looks::kDownArrow),
                                    "Elegir la fecha en el calendario")};
  OptionButton opSiempre{*this, "opSiempre",
                         looks::named(looks::option({465, 3600, 210, 195}, true), "Siempre")};
  Label Label7{*this, "Label7",
               looks::silent(looks::sizedCaption("Siempre", {780, 3570, 885, 240}, false))};
  Label Label1{*this, "Label1", looks::centred("", {15, 4125, 3960, 405}, looks::kWords, true)};
  Label Label2{*this, "Label2", looks::centred("", {3975, 4125, 1755, 405}, looks::kWords, true)};

  // ---- frame lines ----
  Line Line3{*this, "Line3", 210, 840, 5550, 840, looks::kFrameLine};
  Line Line4{*this, "Line4", 210, 1770, 5550, 1770, looks::kFrameLine};
  Line Line1_2{*this, "Line1(2)", 195, 840, 195, 1770, looks::kFrameLine};
  Line Line1_3{*this, "Line1(3)", 5535, 840, 5535, 1770, looks::kFrameLine};
  Line Line6{*this, "Line6", 210, 1920, 5550, 1920, looks::kFrameLine};
  Line Line5{*this, "Line5", 210, 2550, 5550, 2550, looks::kFrameLine};
  Line Line1_5{*this, "Line1(5)", 195, 1920, 195, 2565, looks::kFrameLine};
  Line Line1_4{*this, "Line1(4)", 5535, 1920, 5535, 2565, looks::kFrameLine};
  Line Line8{*this, "Line8", 210, 2685, 5550, 2685, looks::kFrameLine};
  Line Line7{*this, "Line7", 210, 3930, 5550, 3930, looks::kFrameLine};
  Line Line1_7{*this, "Line1(7)", 195, 2685, 195, 3945, looks::kFrameLine};
  Line Line1_6{*this, "Line1(6)", 5535, 2685, 5535, 3945, looks::kFrameLine};
  Line Line2{*this, "Line2", 465, 3195, 4665, 3195, looks::kDateBoxLine};
  Line Line9{*this, "Line9", 465, 3420, 4665, 3420, looks::kDateBoxLine};
  Line Line10{*this, "Line10", 465, 3195, 465, 3420, looks::kDateBoxLine};
  Line Line11{*this, "Line11", 4665, 3210, 4665, 3435, looks::kDateBoxLine};

  // ---- outside the visible area ----
  PictureBox Receptor{
      *this, "Receptor", {.rect = {5175, 5955, 105, 180}, .role = toolkit::AccessRole::None}};
  std::deque<Image> imTools;  // imTools[k - 1] is imTools(k)
  Image& imToolsAt(int k) { return imTools.at(static_cast<std::size_t>(k - 1)); }

  // ---- timers ----
  Timer Timer1{*this, "Timer1", 1000, false};
  Timer Timer2{*this, "Timer2", 1000, true};

  // ---- popup menu ----
  MenuEntry mnuOpciones{*this, "mnuOpciones", "Opciones", nullptr, 0, false};
  MenuEntry mnuApagar{*this, "mnuApagar", "Apagar el sistema", &mnuOpciones};
  MenuEntry mnuReSist{*this, "mnuReSist", "Reiniciar el sistema", &mnuOpciones};
  MenuEntry mnuReSes{*this, "mnuReSes", "Reiniciar la sesión", &mnuOpciones};
  MenuEntry mnuSep{*this, "mnuSep", "-", &mnuOpciones};
  MenuEntry mnuEjec{*this, "mnuEjec", "Ejecutar al iniciar windows", &mnuOpciones};
  MenuEntry mnuSi{*this, "mnuSi", "Si", &mnuEjec, 1};
  MenuEntry mnuNo{*this, "mnuNo", "No", &mnuEjec, 1};
  MenuEntry mnuMax{*this, "mnuMax", "Maximizar", &mnuOpciones};
  MenuEntry mnuSep0{*this, "mnuSep0", "-", &mnuOpciones};
  MenuEntry mnuAyuda{*this, "mnuAyuda", "Ayuda", &mnuOpciones};
  MenuEntry mnuAcercaDe{*this, "mnuAcercaDe", "Acerca de...", &mnuOpciones};
  MenuEntry mnuSep1{*this, "mnuSep1", "-", &mnuOpciones};
  MenuEntry mnuSalir{*this, "mnuSalir", "Salir", &mnuOpciones};

  // ---- fields ----
  NotifyIconData TrayIconData;
  std::int16_t HourValue = 0;
  std::int16_t MinuteValue = 0;
  std::int16_t ScheduledDay = 0;
  std::int32_t HoverButton = 0;
  // The toolbar button the keyboard is on (1..6) while the strip has the focus.
  std::int32_t ToolbarFocus = 1;

  // ---- handlers ----
  void Form_Load();
  void Form_Activate();
  bool Form_QueryUnload();
  void Form_MouseMove(double x, double y);
  void Form_SessionEnd();
  void Timer1Tick();
  void Timer2Tick();
  void chApagarClick();
  void chReSistClick();
  void chReSesClick();
  void chForzarClick();
  void UpdateArming();
  void cmdAumHoraClick();
  void cmdDismHoraClick();
  void cmdAumMinClick();
  void cmdDismMinClick();
  void opSelFechaClick();
  void opSiempreClick();
  void ShowScheduledDate();
  void cmdCalendarioClick();
  void AddTrayIcon();
  void RemoveTrayIcon();
  void Receptor_MouseMove(double x, double y);
  void mnuMaxClick();
  void mnuApagarClick();
  void mnuReSistClick();
  void mnuReSesClick();
  void mnuSiClick();
  void mnuNoClick();
  void mnuAyudaClick();
  void mnuAcercaDeClick();
  void mnuSalirClick();
  void pTools_MouseMove(double x, double y);
  void pTools_Click();
  // A schedule, a cancel or a question from outside, as the user's clicks would do it.
  RequestResult CarryOut(const engine::ScheduleRequest& request);
  // The armed schedule in words; empty when nothing is armed.
  std::string ScheduleSummary();
  bool pTools_Key(const toolkit::KeyPress& key);
  void pTools_Focus(bool focused);

 private:
  void actionBoxChanged(CheckBox& self, CheckBox& firstOther, CheckBox& secondOther,
                        const char* ownSetting, const char* apagar, const char* reiniciarSistema,
                        const char* reiniciarSesion);
  void spin(Label& readOut, std::int16_t& field, int step, int limit, std::string& triggerCopy);
  void storeTime();
  void lockMenuEntries();
  void openInformation(toolkit::Form* window);
  void storePosition();
  // Hides the window, or minimises it where there is no notification area.
  void hideWindow();
  toolkit::TrayIcon trayIcon();
  // The minute of the last warning: one each.
  std::optional<toolkit::DateTime> warnedMinute_;
  void refreshClock();
  void Form_Showing();
  void Form_Hidden();
  engine::TriggerInputs triggerInputs() const;
  void paceTrigger();
  void paceTrigger(const std::optional<engine::PowerAction>& requested);
  void awaitChildClosed();
  void runSlot(int slot);
  void clearHover();
  void raiseSlot(int slot);
  // Up and Down on an arrow button step its value as the button does.
  bool spinKey(const toolkit::KeyPress& key, Button& up, Button& down);
  void describeArrows();
  void setTime(int hour, int minute);
  CheckBox& actionBox(engine::PowerAction action);

  MainWindowServices s_;
  SecondaryWindows windows_;
};

}  // namespace vodivuri::mainwindow
