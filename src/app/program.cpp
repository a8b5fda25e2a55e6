#include "app/program.hpp"

namespace vodivuri::app {

Program::Program(const Services& s)
    : store(s.registry, state),
      power(s.version, s.power),
      frmTransparente(mainwindow::MainWindowServices{s.host, state, store, s.version, power,
                                                     s.clock, s.instance, s.autostart}),
      Calen(s.host, state, store, s.clock, frmTransparente, frmTransparente.lblCalen),
      frmAcercaDe(s.host, state, s.shell),
      frmAyuda(s.host, state),
      host_(s.host),
      instance_(s.instance) {
  frmTransparente.attach({&Calen, &Calen.ShownDate, &frmAcercaDe, &frmAyuda});
  instance_.setShowHandler([this] { showMainWindow(); });
  instance_.setOrderHandler(
      [this](const std::vector<std::string>& words) { return carryOut(words); });
}

Program::~Program() {
  instance_.setShowHandler({});
  instance_.setOrderHandler({});
}

void Program::start() {
  frmTransparente.show();
}

// The tray's message reaches the receiver as the hosts deliver it, so the
// behaviour stays the main window's own; a window not loaded (yet, or any
// more) ignores it there.
void Program::showMainWindow() {
  frmTransparente.Receptor.userMouseMove(
      static_cast<double>(mainwindow::kLeftDoubleClick) * host_.screen().twipsPerPixelX, 0);
}

platform::OrderAnswer Program::carryOut(const std::vector<std::string>& words) {
  std::vector<std::string> rest;
  const engine::ParsedRequest parsed = engine::parseScheduleRequest(words, rest);
  if (!parsed.error.empty()) return {2, parsed.error};
  if (!rest.empty()) return {2, "opción desconocida «" + rest.front() + "»"};
  if (!parsed.request) return {2, "no se ha pedido nada"};
  // Still starting, or already leaving: nothing to schedule in.
  if (!frmTransparente.loaded()) return {2, "el programa no está listo; inténtelo de nuevo"};
  const mainwindow::RequestResult result = frmTransparente.CarryOut(*parsed.request);
  return {result.status, result.text};
}

}  // namespace vodivuri::app
