// The web page opens from the About window's link: the shell's messages (a
// missing browser, say) belong to that window.
#pragma once

#include "app/program.hpp"
#include "frontend/win32/win32_host.hpp"
#include "platform/win32/shell_win32.hpp"

namespace vodivuri::app::win32 {

inline void ownShellByAbout(platform::win32::Win32Shell& shell,
                            const vodivuri::win32::Win32Host& host, const Program& program) {
  shell.setOwner([&host, &program] { return host.windowOf(program.frmAcercaDe); });
}

}  // namespace vodivuri::app::win32
