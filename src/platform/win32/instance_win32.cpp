#include "platform/win32/instance_win32.hpp"

#include <windows.h>
// After windows.h, which it needs.
#include <sddl.h>

#include <algorithm>
#include <vector>

#include "platform/instance_request.hpp"
#include "platform/win32/codepage.hpp"
#include "platform/win32/errors_win32.hpp"
#include "platform/win32/optional_api.hpp"

namespace vodivuri::platform::win32 {

namespace {

constexpr const char* kSessionPrefix = "Local\\";

// The string form of the user's SID ("S-1-5-21-..."), empty where there is none.
std::string userSid(Win32Instance::SidToString sidToString) {
  // Looked up like the conversion: the NT security calls may not be in 9x's advapi32.
  using Open = BOOL(WINAPI*)(HANDLE, DWORD, PHANDLE);
  using Query = BOOL(WINAPI*)(HANDLE, TOKEN_INFORMATION_CLASS, LPVOID, DWORD, PDWORD);
  const auto open = optionalFunction<Open>("advapi32.dll", "OpenProcessToken");
  const auto query = optionalFunction<Query>("advapi32.dll", "GetTokenInformation");
  if (open == nullptr || query == nullptr) return {};
  UniqueHandle token;
  if (!open(::GetCurrentProcess(), TOKEN_QUERY, token.out())) return {};
  DWORD size = 0;
  query(token.get(), TokenUser, nullptr, 0, &size);
  if (size == 0) return {};
  std::vector<unsigned char> buffer(size);
  if (!query(token.get(), TokenUser, buffer.data(), size, &size)) return {};
  char* text = nullptr;
  if (!sidToString(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid, &text)) {
    return {};
  }
  std::string sid = text;
  ::LocalFree(text);
  return sid;
}

// The user name, for systems without security identifiers; a backslash would
// name a namespace, so it cannot stay.
std::string userName(Win32Instance::UserName getUserName) {
  char name[257] = {};
  DWORD size = sizeof name;
  if (!getUserName(name, &size)) return {};
  std::string text = ansiToUtf8(name);
  for (char& c : text) {
    if (c == '\\') c = '_';
  }
  return text;
}

// Registers a hidden window's class; several instances of one process (the
// tests) share it, so one already registered will do.
bool registerClass(const char* name, WNDPROC proc) {
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = proc;
  windowClass.hInstance = ::GetModuleHandleA(nullptr);
  windowClass.lpszClassName = name;
  return ::RegisterClassA(&windowClass) != 0 || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

}  // namespace

// The hidden window's procedure; the instance rides in its user data.
struct ChannelWindow {
  static LRESULT CALLBACK proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
      const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
      ::SetWindowLongPtrA(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<Win32Instance*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
    if (message == WM_COPYDATA && self != nullptr) {
      const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
      if (data == nullptr || data->dwData != Win32Instance::kRequestTag ||
          data->cbData > kMaxRequestLength || (data->cbData > 0 && data->lpData == nullptr)) {
        return FALSE;
      }
      std::string line(static_cast<const char*>(data->lpData), data->cbData);
      // Sent with or without its terminator or line end.
      while (!line.empty() && (line.back() == '\0' || line.back() == '\n')) line.pop_back();
      // Copies, as a handler may set others while it runs.
      const std::function<void()> show = self->show_;
      const OrderHandler order = self->order_;
      const std::string answer = answerInstanceRequest(line, show, order);
      // An order's answer goes back to the asker's window while it waits.
      if (const auto asker = reinterpret_cast<HWND>(wParam);
          asker != nullptr && orderAnswer(answer)) {
        COPYDATASTRUCT reply{};
        reply.dwData = Win32Instance::kAnswerTag;
        reply.cbData = static_cast<DWORD>(answer.size());
        reply.lpData = const_cast<char*>(answer.data());
        ::SendMessageA(asker, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&reply));
      }
      return answer == kRequestDone || orderAnswer(answer) ? TRUE : FALSE;
    }
    return ::DefWindowProcA(window, message, wParam, lParam);
  }
};

// A later copy's window that receives the answer to its order.
struct AnswerWindow {
  static LRESULT CALLBACK proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
      const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
      ::SetWindowLongPtrA(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* answer = reinterpret_cast<std::string*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
    if (message == WM_COPYDATA && answer != nullptr) {
      const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
      if (data == nullptr || data->dwData != Win32Instance::kAnswerTag ||
          data->cbData > kMaxRequestLength * 4 || (data->cbData > 0 && data->lpData == nullptr)) {
        return FALSE;
      }
      answer->assign(static_cast<const char*>(data->lpData), data->cbData);
      return TRUE;
    }
    return ::DefWindowProcA(window, message, wParam, lParam);
  }
};

Win32Instance::Win32Instance() : mutexName_(defaultMutexName()) {}

Win32Instance::~Win32Instance() {
  if (window_ != nullptr) ::DestroyWindow(static_cast<HWND>(window_));
}

Win32Instance::SidToString Win32Instance::lookUpSidToString() {
  return optionalFunction<SidToString>("advapi32.dll", "ConvertSidToStringSidA");
}

std::string Win32Instance::defaultMutexName(SidToString sidToString, UserName getUserName) {
  if (getUserName == nullptr) getUserName = ::GetUserNameA;
  // No SIDs (9x), or no Local\ namespace either (NT 4.0): the user's name in
  // the one namespace there is.
  if (sidToString == nullptr) {
    const std::string who = userName(getUserName);
    return who.empty() ? "Vodivuri" : "Vodivuri-" + who;
  }
  std::string who = userSid(sidToString);
  if (who.empty()) who = userName(getUserName);
  return std::string(kSessionPrefix) + (who.empty() ? "Vodivuri" : "Vodivuri-" + who);
}

std::string Win32Instance::executablePath() {
  std::vector<char> buffer(MAX_PATH);
  for (;;) {
    const DWORD n = ::GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0) {
      reportOnce("module path",
                 "cannot tell where the program is: " + systemMessage(::GetLastError()));
      return {};
    }
    // A path that fills the buffer may have been cut short.
    if (n < buffer.size()) return ansiToUtf8(std::string(buffer.data(), n));
    if (buffer.size() >= 32768) return ansiToUtf8(std::string(buffer.data(), n));
    buffer.resize(buffer.size() * 2);
  }
}

std::string Win32Instance::programFolder() {
  const std::string path = executablePath();
  const auto slash = path.find_last_of("\\/");
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

bool Win32Instance::claimSingleInstance() {
  if (mutex_.valid()) return true;
  std::string name = mutexName_;
  ::SetLastError(ERROR_SUCCESS);
  HANDLE handle = ::CreateMutexA(nullptr, FALSE, utf8ToAnsi(name).c_str());
  DWORD error = ::GetLastError();
  // Systems without session namespaces (Windows 9x, NT 4.0) refuse the prefix.
  if (handle == nullptr && name.starts_with(kSessionPrefix) &&
      (error == ERROR_PATH_NOT_FOUND || error == ERROR_BAD_PATHNAME ||
       error == ERROR_INVALID_NAME)) {
    name.erase(0, std::string(kSessionPrefix).size());
    ::SetLastError(ERROR_SUCCESS);
    handle = ::CreateMutexA(nullptr, FALSE, utf8ToAnsi(name).c_str());
    error = ::GetLastError();
  }
  if (handle == nullptr) {
    // Held by a process this one may not open: another copy all the same.
    if (error == ERROR_ACCESS_DENIED) return false;
    reportOnce("instance mutex", "cannot create the instance mutex " + name + ": " +
                                     systemMessage(error) +
                                     "; not starting, another copy might be running");
    return false;
  }
  UniqueHandle mutex(handle);
  if (error == ERROR_ALREADY_EXISTS) return false;
  mutex_ = std::move(mutex);
  openChannel();
  return true;
}

// A failure here only costs later copies their way to this one: the program
// runs all the same. Top-level, as FindWindowA finds only those, and never
// shown; a plain window rather than a message-only one, which 9x lacks.
void Win32Instance::openChannel() {
  const HINSTANCE module = ::GetModuleHandleA(nullptr);
  if (!registerClass(kChannelClass, ChannelWindow::proc)) {
    reportOnce("instance channel",
               "cannot register the instance window's class: " + systemMessage(::GetLastError()));
    return;
  }
  window_ = ::CreateWindowExA(0, kChannelClass, utf8ToAnsi(mutexName_).c_str(), WS_POPUP, 0, 0, 0,
                              0, nullptr, nullptr, module, this);
  if (window_ == nullptr) {
    reportOnce("instance channel",
               "cannot make the instance window: " + systemMessage(::GetLastError()));
    return;
  }
  // A copy running elevated still hears one started without (7 and later;
  // Vista only filters per process, and so does not get it).
  using Filter = BOOL(WINAPI*)(HWND, UINT, DWORD, void*);
  if (auto allow = optionalFunction<Filter>("user32.dll", "ChangeWindowMessageFilterEx")) {
    allow(static_cast<HWND>(window_), WM_COPYDATA, 1 /* MSGFLT_ALLOW */, nullptr);
  }
}

std::optional<unsigned long> Win32Instance::send(std::string_view request, void* asker,
                                                 unsigned timeoutMs) {
  const HWND target = ::FindWindowA(kChannelClass, utf8ToAnsi(mutexName_).c_str());
  if (target == nullptr) return std::nullopt;
  // The running copy may then bring its window to the front: the user asked
  // for it by starting this one. Neither exists before 98 and 2000.
  using Allow = BOOL(WINAPI*)(DWORD);
  using ProcessOf = DWORD(WINAPI*)(HWND, LPDWORD);
  const auto allow = optionalFunction<Allow>("user32.dll", "AllowSetForegroundWindow");
  const auto processOf = optionalFunction<ProcessOf>("user32.dll", "GetWindowThreadProcessId");
  DWORD process = 0;
  if (allow != nullptr && processOf != nullptr && processOf(target, &process) != 0) {
    allow(process);
  }
  std::string line(request);
  COPYDATASTRUCT data{};
  data.dwData = kRequestTag;
  data.cbData = static_cast<DWORD>(line.size());
  data.lpData = line.data();
  const auto wParam = reinterpret_cast<WPARAM>(asker);
  const auto lParam = reinterpret_cast<LPARAM>(&data);
  using SendTimeout = LRESULT(WINAPI*)(HWND, UINT, WPARAM, LPARAM, UINT, UINT, PDWORD_PTR);
  const auto sendTimeout = optionalFunction<SendTimeout>("user32.dll", "SendMessageTimeoutA");
  DWORD_PTR result = 0;
  if (sendTimeout != nullptr) {
    // Not SMTO_BLOCK: the answer arrives as a message sent to `asker` while
    // this one waits.
    if (sendTimeout(target, WM_COPYDATA, wParam, lParam, SMTO_ABORTIFHUNG | SMTO_NORMAL, timeoutMs,
                    &result) == 0) {
      return std::nullopt;
    }
  } else {
    // Where the lookup finds nothing: a plain send, which waits while the
    // holder is busy.
    result = static_cast<DWORD_PTR>(::SendMessageA(target, WM_COPYDATA, wParam, lParam));
  }
  return static_cast<unsigned long>(result);
}

Win32Instance::Answer Win32Instance::ask(std::string_view request, unsigned timeoutMs) {
  const std::optional<unsigned long> result = send(request, nullptr, timeoutMs);
  if (!result) return Answer::NoAnswer;
  return *result == TRUE ? Answer::Done : Answer::Refused;
}

std::optional<std::string> Win32Instance::askForAnswer(std::string_view request,
                                                       unsigned timeoutMs) {
  const HINSTANCE module = ::GetModuleHandleA(nullptr);
  if (!registerClass(kAnswerClass, AnswerWindow::proc)) return std::nullopt;
  std::string answer;
  const HWND asker = ::CreateWindowExA(0, kAnswerClass, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                       module, &answer);
  if (asker == nullptr) return std::nullopt;
  const std::optional<unsigned long> result = send(request, asker, timeoutMs);
  ::DestroyWindow(asker);
  if (!result || answer.empty()) return std::nullopt;
  return answer;
}

}  // namespace vodivuri::platform::win32
