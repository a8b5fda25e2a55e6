#include "win32_test_support.hpp"

#include <gtest/gtest.h>

#include "platform/win32/handle_win32.hpp"

namespace vodivuri::testing {

using platform::win32::UniqueHandle;

ProcessResult runProcess(const std::string& commandLine, DWORD timeoutMs) {
  ProcessResult result;
  SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  HANDLE readEnd = nullptr;
  HANDLE writeEnd = nullptr;
  if (!::CreatePipe(&readEnd, &writeEnd, &inherit, 0)) {
    ADD_FAILURE() << "CreatePipe failed";
    return result;
  }
  UniqueHandle reader(readEnd);
  UniqueHandle writer(writeEnd);
  ::SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);

  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = writeEnd;
  startup.hStdError = writeEnd;
  PROCESS_INFORMATION info{};
  std::string line = commandLine;
  if (!::CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                        &info)) {
    ADD_FAILURE() << "cannot start " << commandLine << ": error " << ::GetLastError();
    return result;
  }
  UniqueHandle process(info.hProcess);
  UniqueHandle thread(info.hThread);
  writer.reset();  // only the child holds the write end now

  // Read while it runs, and stop when it ends rather than at the end of the
  // pipe: a process it started (Wine's desktop, say) may keep the pipe open.
  char buffer[4096];
  const DWORD started = ::GetTickCount();
  for (;;) {
    const bool ended = ::WaitForSingleObject(process.get(), 10) == WAIT_OBJECT_0;
    DWORD available = 0;
    while (::PeekNamedPipe(reader.get(), nullptr, 0, nullptr, &available, nullptr) &&
           available > 0) {
      DWORD n = 0;
      if (!::ReadFile(reader.get(), buffer, sizeof buffer, &n, nullptr) || n == 0) break;
      result.output.append(buffer, n);
    }
    if (ended) break;
    if (::GetTickCount() - started > timeoutMs) {
      ADD_FAILURE() << commandLine << " did not end in time";
      ::TerminateProcess(process.get(), 99);
      ::WaitForSingleObject(process.get(), 5000);
      break;
    }
  }
  ::GetExitCodeProcess(process.get(), &result.exitCode);
  return result;
}

std::string besideTests(const std::string& fileName) {
  char path[MAX_PATH * 4] = {};
  const DWORD n = ::GetModuleFileNameA(nullptr, path, sizeof path);
  std::string self(path, n);
  return self.substr(0, self.find_last_of('\\') + 1) + fileName;
}

std::string scratchFolder(const std::string& name) {
  char temp[MAX_PATH + 1] = {};
  ::GetTempPathA(sizeof temp, temp);
  const std::string folder =
      std::string(temp) + "vodivuri-" + std::to_string(::GetCurrentProcessId()) + "-" + name;
  // Left over from an earlier run with the same process id: start empty.
  runProcess("cmd.exe /c rmdir /s /q \"" + folder + "\"", 30000);
  ::CreateDirectoryA(folder.c_str(), nullptr);
  return folder;
}

ScratchKey::ScratchKey(const std::string& name) : path_("Software\\VodivuriTests\\" + name) {
  ::RegDeleteTreeA(HKEY_CURRENT_USER, path_.c_str());
}

ScratchKey::~ScratchKey() {
  ::RegDeleteTreeA(HKEY_CURRENT_USER, path_.c_str());
}

std::optional<RawValue> rawValue(HKEY root, const std::string& path, const std::string& name) {
  HKEY key = nullptr;
  if (::RegOpenKeyExA(root, path.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  RawValue value;
  DWORD size = 0;
  LONG status = ::RegQueryValueExA(key, name.c_str(), nullptr, &value.type, nullptr, &size);
  if (status == ERROR_SUCCESS) {
    value.bytes.assign(size, '\0');
    status = ::RegQueryValueExA(key, name.c_str(), nullptr, &value.type,
                                reinterpret_cast<BYTE*>(value.bytes.data()), &size);
    value.bytes.resize(size);
  }
  ::RegCloseKey(key);
  if (status != ERROR_SUCCESS) return std::nullopt;
  return value;
}

bool putRaw(HKEY root, const std::string& path, const std::string& name, DWORD type,
            const std::string& bytes) {
  HKEY key = nullptr;
  if (::RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
      ERROR_SUCCESS) {
    return false;
  }
  const LONG status =
      ::RegSetValueExA(key, name.c_str(), 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                       static_cast<DWORD>(bytes.size()));
  ::RegCloseKey(key);
  return status == ERROR_SUCCESS;
}

void deleteValue(HKEY root, const std::string& path, const std::string& name) {
  HKEY key = nullptr;
  if (::RegOpenKeyExA(root, path.c_str(), 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) return;
  ::RegDeleteValueA(key, name.c_str());
  ::RegCloseKey(key);
}

}  // namespace vodivuri::testing
