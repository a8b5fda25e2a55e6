// The About window's link on the Win32 host: the shell is asked with the
// About window as the owner of whatever it shows.
#include <gtest/gtest.h>

#include <string>

#include "app/win32/shell_owner.hpp"
#include "support/program_doubles.hpp"
#include "win32_support.hpp"

namespace vodivuri::win32 {
namespace {

HWND gOwner = nullptr;
std::string gFile;

HINSTANCE __stdcall recordOpening(HWND owner, const char*, const char* file, const char*,
                                  const char*, int) {
  gOwner = owner;
  gFile = file;
  return reinterpret_cast<HINSTANCE>(33);  // above 32: opened
}

TEST(AboutLink, TheWebPageOpensOwnedByTheAboutWindow) {
  vodivuri::testing::ProgramDoubles doubles;
  Win32Host host(GetModuleHandleA(nullptr));
  platform::win32::Win32Shell shell(recordOpening);
  app::Program program({host, doubles.registry, doubles.version, doubles.power, doubles.clock,
                        doubles.instance, doubles.autostart, shell});
  app::win32::ownShellByAbout(shell, host, program);
  vodivuri::testing::storeEarlierRun(program.store, {{"Siempre", "True"}});
  program.start();

  HWND about = nullptr;
  testing::Later click(200, [&] {
    about = host.windowOf(program.frmAcercaDe);
    program.frmAcercaDe.lblVinc.userClick();
    program.frmAcercaDe.unload();
  });
  program.frmAcercaDe.showModal(program.frmTransparente);
  ASSERT_NE(about, nullptr);
  EXPECT_EQ(gOwner, about);
  EXPECT_NE(gFile.find("http"), std::string::npos) << gFile;
}

}  // namespace
}  // namespace vodivuri::win32
