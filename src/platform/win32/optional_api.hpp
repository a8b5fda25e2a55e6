// Functions that some Windows versions lack, looked up at run time so that the
// program still loads there; the caller falls back when the lookup finds nothing.
#pragma once

#include <windows.h>

namespace vodivuri::platform::win32 {

// The function `name` of the already loaded system DLL `module` (kernel32,
// user32, advapi32, ...), or null where this Windows does not export it. Never
// loads a DLL: the program imports every DLL it looks in.
template <typename Function>
Function optionalFunction(const char* module, const char* name) {
  HMODULE dll = GetModuleHandleA(module);
  if (dll == nullptr) return nullptr;
  // The cast goes through a generic function pointer: GetProcAddress's type
  // differs from every function's own.
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(dll, name)));
}

}  // namespace vodivuri::platform::win32
