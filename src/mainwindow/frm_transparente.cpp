#include "mainwindow/frm_transparente.hpp"

#include <cmath>
#include <cstring>

#include "engine/startup.hpp"
#include "engine/trigger.hpp"
#include "engine/warning.hpp"

namespace vodivuri::mainwindow {

namespace {
toolkit::FormLayout windowLayout() {
  return {.caption = "Vodivuri",
          .clientWidth = 5715,
          .clientHeight = 4515,
          .clientLeft = 4815,
          .clientTop = 3690,
          .background = toolkit::kBlack,
          .border = toolkit::Border::FixedDialog,
          .icon = "vodivuri.ico",
          .font = looks::kWords,
          .blueGradient = true};
}
}  // namespace

std::string NotifyIconData::tip() const {
  const auto end = std::find(szTip.begin(), szTip.end(), '\0');
  return std::string(szTip.begin(), end);
}

frmTransparente::frmTransparente(const MainWindowServices& services)
    : Form(services.host, "frmTransparente", windowLayout()), s_(services) {
  for (int k = 1; k <= 6; ++k) {
    imTools.emplace_back(*this, "imTools(" + std::to_string(k) + ")",
                         toolkit::ControlState{.rect = {840 * (k - 1), 5520, 750, 600},
                                               .visible = false,
                                               .picture = "raised_" + std::to_string(k) + ".bmp"});
  }
  tabOrder = {&chApagar,    &chReSist,   &chReSes,       &cmdAumMin, &cmdDismMin, &cmdAumHora,
              &cmdDismHora, &opSelFecha, &cmdCalendario, &opSiempre, &pTools,     &chForzar};

  onLoad = [this] { Form_Load(); };
  onActivate = [this] { Form_Activate(); };
  onQueryClose = [this] { return Form_QueryUnload(); };
  onMouseMove = [this](double x, double y) { Form_MouseMove(x, y); };
  onSessionEnd = [this] { Form_SessionEnd(); };
  // Without this the armed schedule could be neither seen nor stopped.
  onTrayAreaRecreated = [this] { AddTrayIcon(); };
  Timer1.onTick = [this] { Timer1Tick(); };
  Timer2.onTick = [this] { Timer2Tick(); };
  onShowing = [this] { Form_Showing(); };
  onHidden = [this] { Form_Hidden(); };
  chApagar.onClick = [this] { chApagarClick(); };
  chReSist.onClick = [this] { chReSistClick(); };
  chReSes.onClick = [this] { chReSesClick(); };
  chForzar.onClick = [this] { chForzarClick(); };
  cmdAumHora.onClick = [this] { cmdAumHoraClick(); };
  cmdDismHora.onClick = [this] { cmdDismHoraClick(); };
  cmdAumMin.onClick = [this] { cmdAumMinClick(); };
  cmdDismMin.onClick = [this] { cmdDismMinClick(); };
  opSelFecha.onClick = [this] { opSelFechaClick(); };
  opSiempre.onClick = [this] { opSiempreClick(); };
  cmdCalendario.onClick = [this] { cmdCalendarioClick(); };
  Receptor.onMouseMove = [this](double x, double y) { Receptor_MouseMove(x, y); };
  mnuMax.onClick = [this] { mnuMaxClick(); };
  mnuApagar.onClick = [this] { mnuApagarClick(); };
  mnuReSist.onClick = [this] { mnuReSistClick(); };
  mnuReSes.onClick = [this] { mnuReSesClick(); };
  mnuSi.onClick = [this] { mnuSiClick(); };
  mnuNo.onClick = [this] { mnuNoClick(); };
  mnuAyuda.onClick = [this] { mnuAyudaClick(); };
  mnuAcercaDe.onClick = [this] { mnuAcercaDeClick(); };
  mnuSalir.onClick = [this] { mnuSalirClick(); };
  pTools.onMouseMove = [this](double x, double y) { pTools_MouseMove(x, y); };
  pTools.onClick = [this] { pTools_Click(); };
  pTools.onKey = [this](const toolkit::KeyPress& key) { return pTools_Key(key); };
  pTools.onFocusChange = [this](bool focused) { pTools_Focus(focused); };
  pTools.setParts(ToolbarParts());
  for (Button* b : {&cmdAumHora, &cmdDismHora}) {
    b->onKey = [this](const toolkit::KeyPress& k) { return spinKey(k, cmdAumHora, cmdDismHora); };
  }
  for (Button* b : {&cmdAumMin, &cmdDismMin}) {
    b->onKey = [this](const toolkit::KeyPress& k) { return spinKey(k, cmdAumMin, cmdDismMin); };
  }
}

void frmTransparente::Form_Load() {
  const engine::StartupServices services{s_.host,  s_.store,    s_.version,
                                         s_.clock, s_.instance, s_.autostart};
  engine::StartupWindow window{*this,
                               Label1,
                               Label2,
                               txtHora,
                               txtMin,
                               lblHora,
                               lblMin,
                               lblCalen,
                               lblForzar,
                               chForzar,
                               chApagar,
                               chReSist,
                               chReSes,
                               opSiempre,
                               cmdCalendario,
                               mnuSi,
                               mnuNo,
                               Timer1,
                               [this] { AddTrayIcon(); },
                               [this] { ShowScheduledDate(); }};
  if (!engine::RunStartup(services, s_.state, window)) {
    // Another instance runs: end silently, touching nothing.
    s_.host.quit();
    unload();
  }
}

engine::TriggerInputs frmTransparente::triggerInputs() const {
  return {opSiempre.selected(), opSelFecha.selected(), chApagar.value(), chReSist.value(),
          chReSes.value()};
}

void frmTransparente::Timer1Tick() {
  const engine::TriggerInputs in = triggerInputs();
  const toolkit::DateTime now = s_.clock.now();
  // Ten minutes and a minute ahead, the user hears of it and can still stop it.
  if (const auto warning = engine::DueWarning(in, s_.state, now, warnedMinute_)) {
    warnedMinute_ = warning->minute;
    s_.host.trayNotification(trayIcon(), warning->title, warning->text);
  }
  paceTrigger(engine::TriggerCheck(in, s_.state, s_.power, now));
}

// While the window shows, the check shares the clock's every-second wake-up;
// hidden, it sleeps to the next minute unless this one fires.
void frmTransparente::paceTrigger(const std::optional<engine::PowerAction>& requested) {
  Timer1.setInterval(visible() && !minimised() ? engine::kBusyCheckMs
                                               : engine::TriggerPace(requested));
}

void frmTransparente::paceTrigger() {
  paceTrigger(engine::TriggerAction(triggerInputs(), s_.state, s_.clock.now()));
}

// ---- clock and window life ----

void frmTransparente::Timer2Tick() {
  if (s_.state.ChildClosed == engine::kChildJustClosed) {
    mnuMax.setEnabled(true);
    mnuAyuda.setEnabled(true);
    mnuAcercaDe.setEnabled(true);
    show();
    s_.state.ChildClosed = 0;
  }
  refreshClock();
  // The clock ticks only for someone who can see it.
  if (!visible()) Timer2.setEnabled(false);
}

void frmTransparente::refreshClock() {
  const toolkit::DateTime now = s_.clock.now();
  Label1.setCaption(toolkit::formatDateTime(now, engine::kLongDate));
  Label2.setCaption(toolkit::formatDateTime(now, engine::kClockTime));
}

// Right before the window is drawn: the clock is right from its first frame.
void frmTransparente::Form_Showing() {
  refreshClock();
  describeArrows();
  paceTrigger();
  Timer2.setEnabled(true);
}

void frmTransparente::Form_Hidden() {
  if (s_.state.ChildClosed != engine::kChildJustClosed) Timer2.setEnabled(false);
  paceTrigger();
}

// A secondary window has closed: the clock's next tick brings the window back.
void frmTransparente::awaitChildClosed() {
  if (s_.state.ChildClosed == engine::kChildJustClosed) Timer2.setEnabled(true);
}

// Without a notification area a hidden window could never come back, so
// every way of hiding it minimises it instead.
void frmTransparente::hideWindow() {
  if (s_.host.trayAvailable()) {
    hide();
  } else {
    minimise();
  }
}

void frmTransparente::Form_Activate() {
  hideWindow();
}

bool frmTransparente::Form_QueryUnload() {
  hideWindow();
  mnuMax.setCaption("Maximizar");
  return true;
}

void frmTransparente::storePosition() {
  if (left())
    s_.store.SetValue(engine::kSettingsKey, "Left", static_cast<float>(*left()), platform::kRegSz);
  if (top())
    s_.store.SetValue(engine::kSettingsKey, "Top", static_cast<float>(*top()), platform::kRegSz);
}

void frmTransparente::mnuSalirClick() {
  const auto answer =
      toolkit::messageBox(s_.host, "Seguro que quiere cerrar esta aplicación?", engine::kTitle,
                          toolkit::MessageButtons::YesNo, toolkit::MessageIcon::Question);
  if (answer != toolkit::MessageAnswer::Yes) return;
  RemoveTrayIcon();
  storePosition();
  s_.host.quit();
}

void frmTransparente::Form_SessionEnd() {
  // The session is ending (perhaps by the program's own unforced request):
  // let go instead of refusing the close.
  storePosition();
  RemoveTrayIcon();
  s_.host.quit();
}

// ---- tray icon and popup menu ----

void frmTransparente::AddTrayIcon() {
  TrayIconData.cbSize = 88;
  TrayIconData.hWnd = reinterpret_cast<std::uintptr_t>(&Receptor);
  TrayIconData.uID = static_cast<std::uint32_t>(TrayIconData.hWnd);
  TrayIconData.uFlags = 7;
  TrayIconData.uCallbackMessage = 0x200;
  TrayIconData.hIcon = layout().icon;
  // The name, a NUL, then blanks up to the field's width.
  TrayIconData.szTip.fill(' ');
  const char* name = "Vodivuri";
  std::memcpy(TrayIconData.szTip.data(), name, std::strlen(name) + 1);
  s_.host.addTrayIcon(trayIcon());
}

toolkit::TrayIcon frmTransparente::trayIcon() {
  return {TrayIconData.tip(), TrayIconData.hIcon, &Receptor, &mnuOpciones, &mnuMax};
}

void frmTransparente::RemoveTrayIcon() {
  s_.host.removeTrayIcon(trayIcon());
}

void frmTransparente::Receptor_MouseMove(double x, double) {
  const int twipsPerPixel = s_.host.screen().twipsPerPixelX;
  if (twipsPerPixel <= 0) return;
  // Halves go to the even neighbour, as the conversion back to a message number does.
  const auto message = static_cast<int>(std::nearbyint(x / twipsPerPixel));
  // The keyboard's Shift+F10 or menu key and its Enter on the icon act as
  // the right button and the double-click do.
  if (message == kRightButtonDown || message == kTrayContextMenu) {
    s_.host.popupMenu(*this, mnuOpciones, &mnuMax);
  }
  if (message == toolkit::kTrayNotificationCancel) {
    // The warning's way out: as unticking the armed action does.
    CarryOut(engine::ScheduleRequest{.kind = engine::ScheduleRequest::Kind::Cancel});
  }
  if (message == kLeftDoubleClick || message == kTrayKeySelect ||
      message == toolkit::kTrayNotificationClick) {
    show();
    mnuMax.setCaption("Minimizar");
  }
}

void frmTransparente::mnuMaxClick() {
  if (mnuMax.caption() == "Minimizar") {
    hideWindow();
    mnuMax.setCaption("Maximizar");
  } else if (mnuMax.caption() == "Maximizar") {
    show();
    mnuMax.setCaption("Minimizar");
  }
}

void frmTransparente::mnuApagarClick() {
  engine::RunImmediateAction(engine::PowerAction::PowerOff, s_.host, s_.power, s_.state);
}

void frmTransparente::mnuReSistClick() {
  engine::RunImmediateAction(engine::PowerAction::Restart, s_.host, s_.power, s_.state);
}

void frmTransparente::mnuReSesClick() {
  engine::RunImmediateAction(engine::PowerAction::EndSession, s_.host, s_.power, s_.state);
}

}  // namespace vodivuri::mainwindow
