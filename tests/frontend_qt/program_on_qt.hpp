// The whole program on the Qt host, as a fixture: an earlier run's settings,
// the service doubles, and no tray where the platform has none.
#pragma once

#include <gtest/gtest.h>

#include "app/program.hpp"
#include "frontend/qt/qt_host.hpp"
#include "platform/testing/doubles.hpp"
#include "qt_support.hpp"
#include "support/program_doubles.hpp"

namespace vodivuri::qt {

class MainWindowOnQt : public ::testing::Test, protected vodivuri::testing::ProgramDoubles {
 protected:
  MainWindowOnQt() {
    qt::testing::application();
    // Settings of an earlier run: no first-start question.
    vodivuri::testing::storeEarlierRun(program.store, {{"Siempre", "True"}});
    program.start();  // no tray offscreen: the window stays shown
  }
  ~MainWindowOnQt() override {
    if (host.quitting()) qt::testing::recoverFromQuit();
  }

  QtHost host{qt::testing::sampleAssets()};
  app::Program program{services(host)};
  mainwindow::frmTransparente& main = program.frmTransparente;

  int px(int twips) const { return twips / 15; }
  QWidget* widget(const toolkit::Control& c) const { return host.widgetOf(c); }
};

}  // namespace vodivuri::qt
