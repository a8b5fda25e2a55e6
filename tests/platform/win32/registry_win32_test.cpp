// The registry back end against the real (Wine) registry, through the
// settings store's typed reads and writes.
#include <gtest/gtest.h>

#include "engine/settings_store.hpp"
#include "platform/win32/registry_win32.hpp"
#include "win32_test_support.hpp"

namespace vodivuri::platform::win32 {
namespace {

using engine::ReadResult;
using engine::ReadTypedValue;
using engine::WriteTypedValue;
using vodivuri::testing::putRaw;
using vodivuri::testing::rawValue;
using vodivuri::testing::runProcess;
using vodivuri::testing::ScratchKey;

class RealRegistry : public ::testing::Test {
 protected:
  RealRegistry() : scratch(::testing::UnitTest::GetInstance()->current_test_info()->name()) {}
  void SetUp() override {
    ASSERT_EQ(registry.createKey(RegistryRoot::CurrentUser, scratch.path(), key.handle()), 0);
  }
  ReadResult read(const std::string& name, long* status = nullptr) {
    const long s = ReadTypedValue(registry, key.get(), name, out);
    if (status != nullptr) *status = s;
    return out;
  }
  ScratchKey scratch;
  Win32Registry registry;
  OpenKey key{registry};
  ReadResult out = std::string("antes");
};

TEST_F(RealRegistry, TextIsStoredWithOneNulAndReadBackWithout) {
  ASSERT_EQ(WriteTypedValue(registry, key.get(), "Forzar", kRegSz, std::string("True")), 0);
  const auto raw = rawValue(HKEY_CURRENT_USER, scratch.path(), "Forzar");
  ASSERT_TRUE(raw);
  EXPECT_EQ(raw->type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(raw->bytes, std::string("True\0", 5));
  EXPECT_EQ(read("Forzar"), ReadResult(std::string("True")));

  // A number written as text is its decimal form.
  ASSERT_EQ(WriteTypedValue(registry, key.get(), "Left", kRegSz, std::int16_t{4770}), 0);
  EXPECT_EQ(rawValue(HKEY_CURRENT_USER, scratch.path(), "Left")->bytes, std::string("4770\0", 5));
  // The empty text is one NUL.
  ASSERT_EQ(WriteTypedValue(registry, key.get(), "Vacio", kRegSz, std::string()), 0);
  EXPECT_EQ(rawValue(HKEY_CURRENT_USER, scratch.path(), "Vacio")->bytes, std::string("\0", 1));
  EXPECT_EQ(read("Vacio"), ReadResult(std::string()));
}

TEST_F(RealRegistry, TextsWrittenByOtherToolsKeepEveryCharacter) {
  // RegSetValueExA counts a NUL that follows the data on its own, so the byte
  // after it must not be one.
  HKEY raw = nullptr;
  ASSERT_EQ(::RegOpenKeyExA(HKEY_CURRENT_USER, scratch.path().c_str(), 0, KEY_SET_VALUE, &raw), 0);
  EXPECT_EQ(::RegSetValueExA(raw, "SinNul", 0, REG_SZ, reinterpret_cast<const BYTE*>("07X"), 2), 0);
  ::RegCloseKey(raw);
  ASSERT_EQ(rawValue(HKEY_CURRENT_USER, scratch.path(), "SinNul")->bytes, "07");
  EXPECT_EQ(read("SinNul"), ReadResult(std::string("07")));
  ASSERT_TRUE(putRaw(HKEY_CURRENT_USER, scratch.path(), "ConNul", REG_SZ, std::string("07\0", 3)));
  EXPECT_EQ(read("ConNul"), ReadResult(std::string("07")));

  // A text of size zero leaves the last value and succeeds.
  out = std::string("antes");
  ASSERT_TRUE(putRaw(HKEY_CURRENT_USER, scratch.path(), "Cero", REG_SZ, ""));
  long status = -5;
  EXPECT_EQ(read("Cero", &status), ReadResult(std::string("antes")));
  EXPECT_EQ(status, 0);
}

TEST_F(RealRegistry, TypesWrittenByRegExe) {
  const std::string where = "HKCU\\" + scratch.path();
  ASSERT_EQ(runProcess("reg.exe add \"" + where + "\" /v Numero /t REG_DWORD /d 4770 /f").exitCode,
            0u);
  ASSERT_EQ(
      runProcess("reg.exe add \"" + where + "\" /v Menos /t REG_DWORD /d 0xffffffff /f").exitCode,
      0u);
  ASSERT_EQ(
      runProcess("reg.exe add \"" + where + "\" /v Ruta /t REG_EXPAND_SZ /d %TEMP%\\x /f").exitCode,
      0u);
  ASSERT_EQ(runProcess("reg.exe add \"" + where + "\" /v Texto /d 07 /f").exitCode, 0u);

  long status = -5;
  EXPECT_EQ(read("Numero", &status), ReadResult(std::int32_t{4770}));
  EXPECT_EQ(status, 0);
  EXPECT_EQ(read("Menos"), ReadResult(std::int32_t{-1}));
  EXPECT_EQ(read("Texto"), ReadResult(std::string("07")));

  // An expandable text is no type the store reads: -1, last value kept.
  EXPECT_EQ(rawValue(HKEY_CURRENT_USER, scratch.path(), "Ruta")->type,
            static_cast<DWORD>(REG_EXPAND_SZ));
  EXPECT_EQ(read("Ruta", &status), ReadResult(std::string("07")));
  EXPECT_EQ(status, -1);

  // And a 32-bit value written here is what reg.exe shows.
  ASSERT_EQ(WriteTypedValue(registry, key.get(), "Escrito", kRegDword, std::int32_t{0x1234}), 0);
  const auto shown = runProcess("reg.exe query \"" + where + "\" /v Escrito");
  EXPECT_NE(shown.output.find("REG_DWORD"), std::string::npos) << shown.output;
  EXPECT_NE(shown.output.find("0x1234"), std::string::npos) << shown.output;
}

TEST_F(RealRegistry, AFailedReadLeavesTheLastValue) {
  ASSERT_EQ(WriteTypedValue(registry, key.get(), "Forzar", kRegSz, std::string("False")), 0);
  EXPECT_EQ(read("Forzar"), ReadResult(std::string("False")));
  long status = 0;
  EXPECT_EQ(read("NoExiste", &status), ReadResult(std::string("False")));
  EXPECT_EQ(status, ERROR_FILE_NOT_FOUND);

  // Below a missing key: no handle, and the read on it fails the same way.
  OpenKey missing(registry);
  EXPECT_EQ(
      registry.openKey(RegistryRoot::CurrentUser, scratch.path() + "\\Falta", missing.handle()),
      ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(missing.get(), kNoKey);
  EXPECT_NE(ReadTypedValue(registry, missing.get(), "Forzar", out), 0);
  EXPECT_EQ(out, ReadResult(std::string("False")));
  EXPECT_EQ(registry.setValue(kNoKey, "x", kRegSz, {0}), ERROR_INVALID_HANDLE);
}

TEST_F(RealRegistry, AccentsAreWindows1252InTheRegistry) {
  const std::string text = "Reiniciar la sesi\xC3\xB3n";  // UTF-8
  ASSERT_EQ(WriteTypedValue(registry, key.get(), "P\xC3\xA1gina", kRegSz, text), 0);
  const auto raw = rawValue(HKEY_CURRENT_USER, scratch.path(), "P\xE1gina");
  ASSERT_TRUE(raw);
  EXPECT_EQ(raw->bytes, std::string("Reiniciar la sesi\xF3n\0", 20));
  EXPECT_EQ(read("P\xC3\xA1gina"), ReadResult(text));

  // Sizes are counted in UTF-8 bytes: a buffer of the stored size is short.
  std::uint32_t type = 0;
  std::uint32_t size = 0;
  ASSERT_EQ(registry.queryValue(key.get(), "P\xC3\xA1gina", type, size, nullptr), 0);
  EXPECT_EQ(type, kRegSz);
  EXPECT_EQ(size, 21u);
  std::vector<std::uint8_t> shortBuffer(20);
  size = 20;
  EXPECT_EQ(registry.queryValue(key.get(), "P\xC3\xA1gina", type, size, shortBuffer.data()),
            ERROR_MORE_DATA);
  EXPECT_EQ(size, 21u);
}

TEST_F(RealRegistry, KeysAreOwned) {
  EXPECT_EQ(registry.openKeys(), 1u);
  {
    OpenKey again(registry);
    ASSERT_EQ(registry.openKey(RegistryRoot::CurrentUser, scratch.path(), again.handle()), 0);
    EXPECT_NE(again.get(), key.get());
    EXPECT_EQ(registry.openKeys(), 2u);
  }
  EXPECT_EQ(registry.openKeys(), 1u);
  EXPECT_EQ(registry.closeKey(12345), ERROR_INVALID_HANDLE);
  RegistryKey unknownRoot = 99;
  EXPECT_EQ(registry.openKey(static_cast<RegistryRoot>(7), "x", unknownRoot), ERROR_INVALID_HANDLE);
  EXPECT_EQ(unknownRoot, kNoKey);

  // The settings store end to end: create, write, read back, nothing left open.
  engine::ProgramState state;
  engine::SettingsStore store(registry, state);
  store.CreateNewKey(scratch.path() + "\\Rurevoduz", RegistryRoot::CurrentUser);
  store.SetValue(scratch.path() + "\\Rurevoduz", "Hora", std::string("07"), kRegSz);
  store.ReadValue(scratch.path() + "\\Rurevoduz", "Hora");
  EXPECT_EQ(state.LastReadValue, ReadResult(std::string("07")));
  EXPECT_EQ(registry.openKeys(), 1u);
}

}  // namespace
}  // namespace vodivuri::platform::win32
