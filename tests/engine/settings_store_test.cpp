#include "engine/settings_store.hpp"

#include <gtest/gtest.h>

#include "platform/testing/doubles.hpp"

namespace vodivuri::engine {
namespace {

using platform::RegistryRoot;
using platform::testing::MemoryRegistry;

class Store : public ::testing::Test {
 protected:
  MemoryRegistry registry;
  ProgramState state;
  SettingsStore store{registry, state};
};

TEST_F(Store, NothingIsStoredBeforeTheKeyExists) {
  store.SetValue(kSettingsKey, "Hora", std::string("07"), platform::kRegSz);
  EXPECT_FALSE(registry.hasKey(RegistryRoot::CurrentUser, kSettingsKey));
  store.CreateNewKey(kSettingsKey, RegistryRoot::CurrentUser);
  store.SetValue(kSettingsKey, "Hora", std::string("07"), platform::kRegSz);
  EXPECT_EQ(registry.text(RegistryRoot::CurrentUser, kSettingsKey, "Hora"), "07");
  EXPECT_FALSE(registry.hasKey(RegistryRoot::LocalMachine, kSettingsKey));
  EXPECT_EQ(registry.openHandles(), 0);
}

TEST_F(Store, TheMachineWideCopyIsNeverWritten) {
  registry.putText(RegistryRoot::LocalMachine, kRunKey, "Otro", "x");
  registry.putText(RegistryRoot::CurrentUser, kRunKey, "Otro", "x");
  store.SetValue(kRunKey, kRunValue, std::string("\"C:\\V\\Vodivuri.exe\""), platform::kRegSz);
  EXPECT_EQ(registry.value(RegistryRoot::LocalMachine, kRunKey, kRunValue), std::nullopt);
  EXPECT_EQ(registry.text(RegistryRoot::CurrentUser, kRunKey, kRunValue),
            "\"C:\\V\\Vodivuri.exe\"");
}

TEST_F(Store, TextCarriesOneNulCountedInItsLength) {
  store.CreateNewKey(kSettingsKey, RegistryRoot::CurrentUser);
  store.SetValue(kSettingsKey, "Forzar", std::string("True"), platform::kRegSz);
  const auto v = registry.value(RegistryRoot::CurrentUser, kSettingsKey, "Forzar");
  ASSERT_TRUE(v);
  EXPECT_EQ(v->type, platform::kRegSz);
  EXPECT_EQ(v->data, (std::vector<std::uint8_t>{'T', 'r', 'u', 'e', 0}));
  store.ReadValue(kSettingsKey, "Forzar");
  EXPECT_EQ(state.LastReadValue, ReadResult(std::string("True")));
}

TEST_F(Store, NumbersAreWrittenAsDecimalText) {
  store.CreateNewKey(kSettingsKey, RegistryRoot::CurrentUser);
  store.SetValue(kSettingsKey, "Left", std::int16_t{4770}, platform::kRegSz);
  store.SetValue(kSettingsKey, "Top", 3255.0f, platform::kRegSz);
  store.SetValue(kSettingsKey, "Otro", 12.5f, platform::kRegSz);
  EXPECT_EQ(registry.text(RegistryRoot::CurrentUser, kSettingsKey, "Left"), "4770");
  EXPECT_EQ(registry.text(RegistryRoot::CurrentUser, kSettingsKey, "Top"), "3255");
  EXPECT_EQ(registry.text(RegistryRoot::CurrentUser, kSettingsKey, "Otro"), "12.5");
}

TEST_F(Store, AFailedReadLeavesTheLastValueInPlace) {
  store.CreateNewKey(kSettingsKey, RegistryRoot::CurrentUser);
  store.SetValue(kSettingsKey, "Forzar", std::string("True"), platform::kRegSz);
  store.ReadValue(kSettingsKey, "Forzar");
  store.ReadValue(kSettingsKey, "ApagarSistema");
  EXPECT_EQ(state.LastReadValue, ReadResult(std::string("True")));
  store.ReadValue("NoExiste", "Forzar");
  EXPECT_EQ(state.LastReadValue, ReadResult(std::string("True")));
  // The program's own reads clear the slot first, so a missing value is empty.
  EXPECT_EQ(store.readSetting("ApagarSistema"), "");
  EXPECT_EQ(store.readSetting("Forzar"), "True");
}

TEST_F(Store, DwordsAndOtherTypes) {
  registry.put(RegistryRoot::CurrentUser, kSettingsKey, "Numero", platform::kRegDword,
               {0xFE, 0xFF, 0xFF, 0xFF});
  registry.put(RegistryRoot::CurrentUser, kSettingsKey, "Ruta", platform::kRegExpandSz,
               platform::textBytes("%TEMP%"));
  registry.put(RegistryRoot::CurrentUser, kSettingsKey, "Vacio", platform::kRegSz, {});
  platform::OpenKey key(registry);
  ASSERT_EQ(registry.openKey(RegistryRoot::CurrentUser, kSettingsKey, key.handle()), 0);

  ReadResult out = std::string("antes");
  EXPECT_EQ(ReadTypedValue(registry, key.get(), "Numero", out), 0);
  EXPECT_EQ(out, ReadResult(std::int32_t{-2}));

  out = std::string("antes");
  EXPECT_EQ(ReadTypedValue(registry, key.get(), "Ruta", out), -1);
  EXPECT_EQ(out, ReadResult(std::string("antes")));
  EXPECT_EQ(ReadTypedValue(registry, key.get(), "Vacio", out), 0);
  EXPECT_EQ(out, ReadResult(std::string("antes")));
  EXPECT_NE(ReadTypedValue(registry, key.get(), "Falta", out), 0);
  EXPECT_NE(ReadTypedValue(registry, platform::kNoKey, "Numero", out), 0);
  EXPECT_EQ(out, ReadResult(std::string("antes")));

  EXPECT_EQ(
      WriteTypedValue(registry, key.get(), "Cuatro", platform::kRegDword, std::string("4770")), 0);
  EXPECT_EQ(registry.value(RegistryRoot::CurrentUser, kSettingsKey, "Cuatro")->data,
            (std::vector<std::uint8_t>{0xA2, 0x12, 0, 0}));
  EXPECT_EQ(WriteTypedValue(registry, key.get(), "Siete", 7, std::string("x")), 0);
  EXPECT_EQ(registry.value(RegistryRoot::CurrentUser, kSettingsKey, "Siete"), std::nullopt);
  EXPECT_NE(WriteTypedValue(registry, key.get(), "Mal", platform::kRegDword, std::string("x")), 0);
  EXPECT_EQ(registry.value(RegistryRoot::CurrentUser, kSettingsKey, "Mal"), std::nullopt);
}

TEST_F(Store, OnlyATerminatingNulIsDroppedFromText) {
  // Written by another tool without its NUL: every character is kept.
  registry.put(RegistryRoot::CurrentUser, kSettingsKey, "SinNul", platform::kRegSz, {'a', 'b'});
  registry.put(RegistryRoot::CurrentUser, kSettingsKey, "Uno", platform::kRegSz, {'7'});
  registry.put(RegistryRoot::CurrentUser, kSettingsKey, "ConNul", platform::kRegSz, {'a', 'b', 0});
  registry.put(RegistryRoot::CurrentUser, kSettingsKey, "SoloNul", platform::kRegSz, {0});
  // Only the last NUL goes; one inside the text stays as stored.
  registry.put(RegistryRoot::CurrentUser, kSettingsKey, "DosNul", platform::kRegSz, {'a', 0, 0});
  EXPECT_EQ(store.readSetting("SinNul"), "ab");
  EXPECT_EQ(store.readSetting("Uno"), "7");
  EXPECT_EQ(store.readSetting("ConNul"), "ab");
  EXPECT_EQ(store.readSetting("SoloNul"), "");
  EXPECT_EQ(store.readSetting("DosNul"), std::string("a\0", 2));
}

}  // namespace
}  // namespace vodivuri::engine
