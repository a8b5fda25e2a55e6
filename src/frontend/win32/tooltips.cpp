// Tooltips: comctl32's, found at run time, one tooltip window per form.
#include <windows.h>

#include <commctrl.h>

#include "frontend/win32/records.hpp"
#include "frontend/win32/text.hpp"
#include "frontend/win32/win32_host.hpp"
#include "platform/win32/optional_api.hpp"

namespace vodivuri::win32 {

// comctl32 only draws the tooltips: loaded here, not imported, so that the
// program starts whatever version of it the system has, or none.
// InitCommonControlsEx came with comctl32 4.70; before it, the older call
// registers the tooltip class too.
bool Win32Host::initCommonControls() {
  using platform::win32::optionalFunction;
  if (LoadLibraryA("comctl32.dll") == nullptr) return false;
  using Ex = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
  if (const auto ex = optionalFunction<Ex>("comctl32.dll", "InitCommonControlsEx")) {
    const INITCOMMONCONTROLSEX icc{sizeof(INITCOMMONCONTROLSEX), ICC_WIN95_CLASSES};
    return ex(&icc) != FALSE;
  }
  using Plain = void(WINAPI*)();
  const auto plain = optionalFunction<Plain>("comctl32.dll", "InitCommonControls");
  if (plain == nullptr) return false;
  plain();
  return true;
}

void Win32Host::createTooltips(FormRecord& form) {
  if (!tooltipsReady_) return;
  form.tooltips =
      CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr,
                      WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT, CW_USEDEFAULT,
                      CW_USEDEFAULT, CW_USEDEFAULT, form.hwnd, nullptr, instance_, nullptr);
}

void Win32Host::updateTooltip(ControlRecord& record, bool isNew) {
  HWND tips = nullptr;
  for (const auto& [form, r] : forms_) {
    for (const auto& c : r->controls) {
      if (c.get() == &record) tips = r->tooltips;
    }
  }
  if (tips == nullptr) return;
  std::string text = toAnsi(record.shown.tooltip);
  TOOLINFOA info{};
  info.cbSize = TTTOOLINFOA_V1_SIZE;  // the first form, understood by every comctl32
  info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  info.hwnd = GetParent(record.hwnd);
  info.uId = reinterpret_cast<UINT_PTR>(record.hwnd);
  info.lpszText = text.data();
  if (text.empty()) {
    SendMessageA(tips, TTM_DELTOOLA, 0, reinterpret_cast<LPARAM>(&info));
  } else if (isNew) {
    SendMessageA(tips, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&info));
  } else {
    SendMessageA(tips, TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&info));
  }
}

}  // namespace vodivuri::win32
