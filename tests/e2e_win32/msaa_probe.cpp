// A screen reader's first look at the running Vodivuri.exe, from another
// process as a real one works: every child window of the main window through
// oleacc, one line for each it shows ("role|state|name", the state in hex);
// status 1 when one of those has no name or no role of its own, 2 when there
// is no window.
#include <windows.h>

#include <oleacc.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

std::string utf8(BSTR text) {
  if (text == nullptr) return {};
  const int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(n > 0 ? n - 1 : 0), '\0');
  if (n > 1) WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), n, nullptr, nullptr);
  return out;
}

BOOL CALLBACK collect(HWND w, LPARAM list) {
  reinterpret_cast<std::vector<HWND>*>(list)->push_back(w);
  return TRUE;
}

}  // namespace

int main() {
  HWND main = FindWindowA("VodivuriForm", "Vodivuri");
  if (main == nullptr || !IsWindowVisible(main)) {
    std::fputs("msaa_probe: no hay ventana principal visible\n", stderr);
    return 2;
  }
  CoInitialize(nullptr);
  std::vector<HWND> windows;
  EnumChildWindows(main, collect, reinterpret_cast<LPARAM>(&windows));
  int nameless = 0, shown = 0;
  const auto all = static_cast<int>(windows.size());
  for (HWND w : windows) {
    IAccessible* object = nullptr;
    if (FAILED(AccessibleObjectFromWindow(w, static_cast<DWORD>(OBJID_CLIENT),
                                          __uuidof(IAccessible),
                                          reinterpret_cast<void**>(&object))) ||
        object == nullptr) {
      std::printf("?|0|(sin objeto)\n");
      ++nameless;
      continue;
    }
    VARIANT self;
    VariantInit(&self);
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    BSTR name = nullptr;
    VARIANT role, state;
    VariantInit(&role);
    VariantInit(&state);
    const bool named = object->get_accName(self, &name) == S_OK;
    object->get_accRole(self, &role);
    object->get_accState(self, &state);
    object->Release();
    char roleText[64] = {};
    GetRoleTextA(static_cast<DWORD>(role.vt == VT_I4 ? role.lVal : 0), roleText, sizeof roleText);
    const long flags = state.vt == VT_I4 ? state.lVal : 0;
    if ((flags & STATE_SYSTEM_INVISIBLE) == 0) {
      std::printf("%s|%lx|%s\n", roleText, static_cast<unsigned long>(flags), utf8(name).c_str());
      ++shown;
      if (!named || utf8(name).empty() || role.vt != VT_I4 || role.lVal == ROLE_SYSTEM_CLIENT) {
        ++nameless;
      }
    }
    SysFreeString(name);
  }
  CoUninitialize();
  std::fprintf(stderr, "msaa_probe: %d de %d elementos a la vista, %d sin nombre o sin papel\n",
               shown, all, nameless);
  return nameless == 0 && shown > 0 ? 0 : 1;
}
