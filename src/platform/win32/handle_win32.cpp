#include "platform/win32/handle_win32.hpp"

#include <windows.h>

namespace vodivuri::platform::win32 {

bool UniqueHandle::valid() const {
  return handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE;
}

void UniqueHandle::reset(void* handle) noexcept {
  if (valid()) ::CloseHandle(handle_);
  handle_ = handle;
}

}  // namespace vodivuri::platform::win32
