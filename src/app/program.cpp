#include "app/program.hpp"

namespace vodivuri::app {

Program::Program(const Services& s)
    : store(s.registry, state),
      power(s.version, s.power),
      frmTransparente(mainwindow::MainWindowServices{s.host, state, store, s.version, power,
                                                     s.clock, s.instance, s.autostart}),
      Calen(s.host, state, store, s.clock, frmTransparente, frmTransparente.lblCalen),
      frmAcercaDe(s.host, state, s.shell),
      frmAyuda(s.host, state) {
  frmTransparente.attach({&Calen, &Calen.ShownDate, &frmAcercaDe, &frmAyuda});
}

void Program::start() {
  frmTransparente.show();
}

}  // namespace vodivuri::app
