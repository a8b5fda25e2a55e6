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
}

Program::~Program() {
  instance_.setShowHandler({});
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

}  // namespace vodivuri::app
