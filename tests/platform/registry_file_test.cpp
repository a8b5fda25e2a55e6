#include "platform/linux/registry_file.hpp"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <random>

#include "platform/linux/reg_format.hpp"
#include "platform/linux_test_support.hpp"

namespace vodivuri::platform::linux_os {
namespace {

using vodivuri::testing::countLines;
using vodivuri::testing::exists;
using vodivuri::testing::modeOf;
using vodivuri::testing::readFile;
using vodivuri::testing::ScopedEnv;
using vodivuri::testing::TempFolder;
using vodivuri::testing::writeFile;
constexpr RegistryRoot kUser = RegistryRoot::CurrentUser;

void set(Registry& r, RegistryRoot root, const std::string& path, const std::string& name,
         std::uint32_t type, const std::vector<std::uint8_t>& data) {
  RegistryKey key = kNoKey;
  ASSERT_EQ(r.createKey(root, path, key), kRegOk);
  ASSERT_EQ(r.setValue(key, name, type, data), kRegOk);
  r.closeKey(key);
}

std::vector<std::uint8_t> dword(std::uint32_t v) {
  return {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8),
          static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 24)};
}

TEST(FileRegistry, WritesRegeditTextAndReadsItBack) {
  TempFolder tmp;
  const std::string file = tmp / "cfg/vodivuri/user.reg";
  {
    FileRegistry reg(file);
    set(reg, kUser, "Rurevoduz", "Siempre", kRegSz, textBytes("True"));
    set(reg, kUser, "Rurevoduz", "Nota", kRegSz, textBytes("C:\\Mis \"datos\" sesión"));
    set(reg, kUser, "Rurevoduz", "Minutos", kRegDword, dword(30));
    set(reg, kUser, "Rurevoduz", "Ruta", kRegExpandSz, {'%', 0, 'A', 0, 0, 0});
    set(reg, kUser, "Rurevoduz", "Bin", kRegBinary, {0x00, 0xff, 0x10});
    set(reg, kUser, "Rurevoduz", "", kRegSz, textBytes("por defecto"));
  }
  EXPECT_EQ(readFile(file),
            "REGEDIT4\n\n"
            "[HKEY_CURRENT_USER\\Rurevoduz]\n"
            "\"Siempre\"=\"True\"\n"
            "\"Nota\"=\"C:\\\\Mis \\\"datos\\\" sesión\"\n"
            "\"Minutos\"=dword:0000001e\n"
            "\"Ruta\"=hex(2):25,00,41,00,00,00\n"
            "\"Bin\"=hex:00,ff,10\n"
            "@=\"por defecto\"\n\n");

  FileRegistry again(file);
  const auto siempre = again.value(kUser, "rurevoduz", "SIEMPRE");
  ASSERT_TRUE(siempre);
  EXPECT_EQ(siempre->data, textBytes("True"));  // the NUL is back, size 5
  EXPECT_EQ(again.text(kUser, "Rurevoduz", "Nota"), "C:\\Mis \"datos\" sesión");
  EXPECT_EQ(again.value(kUser, "Rurevoduz", "Minutos")->data, dword(30));
  EXPECT_EQ(again.value(kUser, "Rurevoduz", "Ruta")->type, kRegExpandSz);
  EXPECT_EQ(again.value(kUser, "Rurevoduz", "Bin")->data,
            (std::vector<std::uint8_t>{0, 0xff, 0x10}));
  EXPECT_EQ(again.text(kUser, "Rurevoduz", ""), "por defecto");
}

TEST(FileRegistry, KeepsOrderEmptyKeysAndOddTextsAcrossReopening) {
  TempFolder tmp;
  const std::string file = tmp / "user.reg";
  {
    FileRegistry reg(file);
    RegistryKey key = kNoKey;
    reg.createKey(kUser, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run", key);
    reg.closeKey(key);
    set(reg, kUser, "Rurevoduz", "Top", kRegSz, textBytes("15"));
    set(reg, kUser, "Rurevoduz", "Hora", kRegSz, textBytes("07"));
    set(reg, kUser, "Rurevoduz", "Left", kRegSz, textBytes("4770"));
    set(reg, kUser, "Rurevoduz", "Hora", kRegSz, textBytes("08"));  // stays in its place
    // Texts a quoted line cannot hold keep their exact bytes.
    set(reg, kUser, "Rurevoduz", "Lineas", kRegSz, textBytes("a\r\nb"));
    set(reg, kUser, "Rurevoduz", "Ansi", kRegSz, textBytes("sesi\xF3n"));
    set(reg, kUser, "Rurevoduz", "SinNul", kRegSz, {'x'});
    set(reg, kUser, "Rurevoduz", "Corto", kRegDword, {1, 2});
  }
  const std::string first = readFile(file);
  FileRegistry again(file);
  EXPECT_TRUE(again.hasKey(kUser, "Software\\Microsoft\\Windows\\CurrentVersion\\Run"));
  const auto& values = again.hive(kUser).at("rurevoduz").values;
  std::vector<std::string> names;
  for (const auto& v : values) names.push_back(v.name);
  EXPECT_EQ(names,
            (std::vector<std::string>{"Top", "Hora", "Left", "Lineas", "Ansi", "SinNul", "Corto"}));
  EXPECT_EQ(again.value(kUser, "Rurevoduz", "Hora")->data, textBytes("08"));
  EXPECT_EQ(again.value(kUser, "Rurevoduz", "Lineas")->data, textBytes("a\r\nb"));
  EXPECT_EQ(again.value(kUser, "Rurevoduz", "Ansi")->data, textBytes("sesi\xF3n"));
  EXPECT_EQ(again.value(kUser, "Rurevoduz", "SinNul")->data, std::vector<std::uint8_t>{'x'});
  EXPECT_EQ(again.value(kUser, "Rurevoduz", "Corto")->type, kRegDword);
  EXPECT_EQ(again.value(kUser, "Rurevoduz", "Corto")->data, (std::vector<std::uint8_t>{1, 2}));
  ASSERT_TRUE(again.save());
  EXPECT_EQ(readFile(file), first);
}

TEST(FileRegistry, MachineRootIsNeverWrittenNorRead) {
  TempFolder tmp;
  const std::string file = tmp / "user.reg";
  writeFile(file, "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Rurevoduz]\n\"Hora\"=\"09\"\n");
  {
    FileRegistry reg(file);
    EXPECT_FALSE(reg.hasKey(RegistryRoot::LocalMachine, "Rurevoduz"));
    set(reg, RegistryRoot::LocalMachine, "Rurevoduz", "Hora", kRegSz, textBytes("10"));
    set(reg, kUser, "Rurevoduz", "Hora", kRegSz, textBytes("11"));
  }
  EXPECT_EQ(readFile(file).find("LOCAL_MACHINE"), std::string::npos);
  FileRegistry again(file);
  EXPECT_FALSE(again.hasKey(RegistryRoot::LocalMachine, "Rurevoduz"));
  EXPECT_EQ(again.text(kUser, "Rurevoduz", "Hora"), "11");
}

TEST(FileRegistry, DefaultPathModesAndMissingFolders) {
  TempFolder tmp;
  const mode_t oldMask = ::umask(0);  // modes must not depend on the umask
  {
    ScopedEnv config("XDG_CONFIG_HOME", tmp / "a/b");
    ScopedEnv home("HOME", tmp / "home");
    EXPECT_EQ(FileRegistry::defaultPath(), tmp / "a/b/vodivuri/user.reg");
    FileRegistry reg;
    set(reg, kUser, "Rurevoduz", "Hora", kRegSz, textBytes("07"));
    EXPECT_EQ(modeOf(tmp / "a/b/vodivuri/user.reg"), 0600u);
    EXPECT_EQ(modeOf(tmp / "a/b/vodivuri"), 0700u);
    EXPECT_EQ(modeOf(tmp / "a"), 0700u);
  }
  {
    ScopedEnv config("XDG_CONFIG_HOME", std::string("relative/path"));  // ignored
    ScopedEnv home("HOME", tmp / "home");
    EXPECT_EQ(FileRegistry::defaultPath(), tmp / "home/.config/vodivuri/user.reg");
  }
  ::umask(oldMask);
}

struct Damage {
  const char* what;
  std::string bytes;
};

TEST(FileRegistry, DamagedFileIsKeptAsideReportedOnceAndReadAsEmpty) {
  const std::vector<Damage> damages = {
      {"empty", ""},
      {"no header", "[HKEY_CURRENT_USER\\Rurevoduz]\n\"Hora\"=\"07\"\n"},
      {"binary", std::string("\x7f"
                             "ELF\0\0\x01",
                             7)},
      {"value before key", "REGEDIT4\n\n\"Hora\"=\"07\"\n"},
      {"bad escape", "REGEDIT4\n[HKEY_CURRENT_USER\\R]\n\"Hora\"=\"0\\7\"\n"},
      {"unterminated", "REGEDIT4\n[HKEY_CURRENT_USER\\R]\n\"Hora\"=\"07\n"},
      {"bad hex", "REGEDIT4\n[HKEY_CURRENT_USER\\R]\n\"b\"=hex:01,0g\n"},
      {"long hex byte", "REGEDIT4\n[HKEY_CURRENT_USER\\R]\n\"b\"=hex:123\n"},
      {"bad dword", "REGEDIT4\n[HKEY_CURRENT_USER\\R]\n\"d\"=dword:123456789\n"},
      {"open header", "REGEDIT4\n[HKEY_CURRENT_USER\\R\n\"Hora\"=\"07\"\n"},
      {"empty path part", "REGEDIT4\n[HKEY_CURRENT_USER\\R\\\\S]\n"},
      {"stray text", "REGEDIT4\n[HKEY_CURRENT_USER\\R]\nHora=07\n"},
      {"deletion", "REGEDIT4\n[HKEY_CURRENT_USER\\R]\n\"Hora\"=-\n"},
      {"continued at end", "REGEDIT4\n[HKEY_CURRENT_USER\\R]\n\"b\"=hex:01,\\\n"},
      {"odd UTF-16",
       "\xFF\xFE"
       "R\0E\0G"},
  };
  for (const Damage& d : damages) {
    SCOPED_TRACE(d.what);
    TempFolder tmp;
    const std::string file = tmp / "user.reg";
    writeFile(file, d.bytes);
    ::testing::internal::CaptureStderr();
    FileRegistry reg(file);
    const std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_TRUE(reg.hive(kUser).empty());
    EXPECT_EQ(countLines(err), 1u) << err;
    EXPECT_EQ(err.rfind("vodivuri: ", 0), 0u) << err;
    EXPECT_FALSE(exists(file));
    EXPECT_EQ(readFile(file + ".bad"), d.bytes);

    set(reg, kUser, "Rurevoduz", "Hora", kRegSz, textBytes("07"));
    EXPECT_EQ(readFile(file + ".bad"), d.bytes);
    EXPECT_EQ(FileRegistry(file).text(kUser, "Rurevoduz", "Hora"), "07");
  }
}

TEST(FileRegistry, EarlierDamagedFileIsNotOverwritten) {
  TempFolder tmp;
  const std::string file = tmp / "user.reg";
  writeFile(file + ".bad", "older");
  writeFile(file, "newer");
  ::testing::internal::CaptureStderr();
  FileRegistry reg(file);
  const std::string err = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(readFile(file + ".bad"), "older");
  EXPECT_EQ(readFile(file + ".bad.1"), "newer");
  EXPECT_NE(err.find(file + ".bad.1"), std::string::npos) << err;
}

TEST(FileRegistry, UnreadableFileIsKeptAside) {
  TempFolder tmp;
  const std::string file = tmp / "user.reg";
  ASSERT_EQ(::mkdir(file.c_str(), 0700), 0);  // reading a folder fails even for root
  ::testing::internal::CaptureStderr();
  FileRegistry reg(file);
  const std::string err = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(countLines(err), 1u) << err;
  EXPECT_TRUE(exists(file + ".bad"));
  set(reg, kUser, "Rurevoduz", "Hora", kRegSz, textBytes("07"));
  EXPECT_EQ(FileRegistry(file).text(kUser, "Rurevoduz", "Hora"), "07");
}

TEST(FileRegistry, FileWithoutReadPermissionIsKeptAside) {
  TempFolder tmp2;
  const std::string locked = tmp2 / "user.reg";
  writeFile(locked, "REGEDIT4\n");
  ::chmod(locked.c_str(), 0);
  // Root reads files of any mode: check as an ordinary user in a child.
  const bool asRoot = ::geteuid() == 0;
  if (asRoot) {
    ASSERT_EQ(::chown(tmp2.path().c_str(), 65534, 65534), 0);
    ASSERT_EQ(::chown(locked.c_str(), 65534, 65534), 0);
  }
  const pid_t child = asRoot ? ::fork() : 0;
  ASSERT_GE(child, 0);
  if (child == 0) {
    if (asRoot && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(3);
    ::testing::internal::CaptureStderr();
    { FileRegistry reg2(locked); }
    const bool reported = countLines(::testing::internal::GetCapturedStderr()) == 1;
    const bool keptAside = exists(locked + ".bad");
    if (asRoot) ::_exit(reported && keptAside ? 0 : 1);
    EXPECT_TRUE(reported);
    EXPECT_TRUE(keptAside);
    return;
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
}

TEST(FileRegistry, FailedWritesAreReportedOnceAndTheValuesKept) {
  TempFolder tmp;
  writeFile(tmp / "vodivuri", "a file where the folder should be");
  FileRegistry reg(tmp / "vodivuri/user.reg");
  ::testing::internal::CaptureStderr();
  set(reg, kUser, "Rurevoduz", "Hora", kRegSz, textBytes("07"));
  set(reg, kUser, "Rurevoduz", "Minutos", kRegSz, textBytes("30"));
  const std::string err = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(countLines(err), 1u) << err;
  EXPECT_NE(err.find("Not a directory"), std::string::npos) << err;
  EXPECT_EQ(reg.text(kUser, "Rurevoduz", "Minutos"), "30");
}

TEST(FileRegistry, StaleTemporaryFileDoesNotDisturbLoading) {
  TempFolder tmp;
  const std::string file = tmp / "user.reg";
  {
    set(*std::make_unique<FileRegistry>(file), kUser, "Rurevoduz", "Hora", kRegSz, textBytes("07"));
  }
  writeFile(tmp / ".user.reg.Xy12ab", "REGEDIT4\n\n[HKEY_CURRENT_USER\\Rurev");  // half written
  ::testing::internal::CaptureStderr();
  FileRegistry reg(file);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
  EXPECT_EQ(reg.text(kUser, "Rurevoduz", "Hora"), "07");
  set(reg, kUser, "Rurevoduz", "Hora", kRegSz, textBytes("08"));
  EXPECT_EQ(FileRegistry(file).text(kUser, "Rurevoduz", "Hora"), "08");
}

TEST(FileRegistry, ProcessKilledWhileWritingLeavesACompleteFile) {
  TempFolder tmp;
  const std::string file = tmp / "user.reg";
  for (int delayMs : {5, 20, 60}) {
    SCOPED_TRACE(delayMs);
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      FileRegistry reg(file);
      for (int i = 0;; ++i) {
        RegistryKey key = kNoKey;
        reg.createKey(kUser, "Rurevoduz", key);
        reg.setValue(key, "Contador", kRegSz, textBytes(std::to_string(i)));
        reg.setValue(key, "Relleno" + std::to_string(i % 50), kRegSz,
                     textBytes(std::string(200, 'x')));
        reg.closeKey(key);
        if (i == 0 && ::write(ready[1], "r", 1) != 1) ::_exit(1);
      }
    }
    ::close(ready[1]);
    char byte = 0;
    ASSERT_EQ(::read(ready[0], &byte, 1), 1);  // the first values are on disk
    ::close(ready[0]);
    ::usleep(delayMs * 1000);
    ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
    ::testing::internal::CaptureStderr();
    FileRegistry reg(file);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
    EXPECT_FALSE(exists(file + ".bad"));
    EXPECT_TRUE(reg.text(kUser, "Rurevoduz", "Contador").has_value());
  }
}

TEST(RegImport, ReadsAnAnsiRegeditExportWithCrlf) {
  TempFolder tmp;
  const std::string exported = tmp / "export.reg";
  writeFile(exported,
            "REGEDIT4\r\n\r\n"
            "; exported from Windows\r\n"
            "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Otro]\r\n"
            "\"Hora\"=\"99\"\r\n\r\n"
            "[HKEY_CURRENT_USER\\Rurevoduz]\r\n"
            "\"ReiniciarSesion\"=\"False\"\r\n"
            "\"Nota\"=\"sesi\xF3n \x80 \\\"ok\\\"\"\r\n"
            "\"Forzar\"=dword:ffffffff\r\n"
            "\"Largo\"=hex(2):41,00,\\\r\n"
            "  42,00,00,00\r\n\r\n"
            "[HKEY_CURRENT_USER]\r\n"
            "\"EnLaRaiz\"=\"x\"\r\n");
  TreeRegistry reg;
  reg.putText(kUser, "Rurevoduz", "Hora", "07");
  EXPECT_EQ(importRegFile(exported, reg), "");
  EXPECT_EQ(reg.text(kUser, "Rurevoduz", "Hora"), "07");  // merged, not replaced
  EXPECT_EQ(reg.text(kUser, "Rurevoduz", "ReiniciarSesion"), "False");
  EXPECT_EQ(reg.text(kUser, "Rurevoduz", "Nota"), "sesión € \"ok\"");
  EXPECT_EQ(reg.value(kUser, "Rurevoduz", "Forzar")->data, dword(0xffffffff));
  EXPECT_EQ(reg.value(kUser, "Rurevoduz", "Largo")->data,
            (std::vector<std::uint8_t>{0x41, 0, 0x42, 0, 0, 0}));
  EXPECT_FALSE(reg.hasKey(RegistryRoot::LocalMachine, "SOFTWARE\\Otro"));
  EXPECT_EQ(reg.hive(kUser).size(), 1u);
}

TEST(RegImport, ReadsAUnicodeExportAndSavesIntoTheSettingsFile) {
  TempFolder tmp;
  const std::string text =
      "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Rurevoduz]\r\n"
      "\"Inicio\"=\"Sí ñ €\"\r\n";
  std::string utf16 = "\xFF\xFE";
  for (char32_t cp :
       std::u32string(U"Windows Registry Editor Version 5.00\r\n\r\n"
                      U"[HKEY_CURRENT_USER\\Rurevoduz]\r\n\"Inicio\"=\"Sí ñ € 𝄞\"\r\n")) {
    auto unit = [&](char16_t u) {
      utf16 += static_cast<char>(u & 0xff), utf16 += static_cast<char>(u >> 8);
    };
    if (cp >= 0x10000) {
      unit(static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10)));
      unit(static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3ff)));
    } else {
      unit(static_cast<char16_t>(cp));
    }
  }
  writeFile(tmp / "unicode.reg", utf16);
  writeFile(tmp / "utf8.reg", "\xEF\xBB\xBF" + text);
  {
    FileRegistry reg(tmp / "user.reg");
    EXPECT_EQ(reg.importFile(tmp / "unicode.reg"), "");
    EXPECT_EQ(reg.text(kUser, "Rurevoduz", "Inicio"), "Sí ñ € 𝄞");
    TreeRegistry plain;
    EXPECT_EQ(importRegFile(tmp / "utf8.reg", plain), "");
    EXPECT_EQ(plain.text(kUser, "Rurevoduz", "Inicio"), "Sí ñ €");
  }
  EXPECT_EQ(FileRegistry(tmp / "user.reg").text(kUser, "Rurevoduz", "Inicio"), "Sí ñ € 𝄞");
}

TEST(RegImport, FailedImportChangesNothing) {
  TempFolder tmp;
  writeFile(tmp / "bad.reg",
            "REGEDIT4\n[HKEY_CURRENT_USER\\Rurevoduz]\n\"Hora\"=\"09\"\n\"x\"=hex:zz\n");
  TreeRegistry reg;
  reg.putText(kUser, "Rurevoduz", "Hora", "07");
  const std::string error = importRegFile(tmp / "bad.reg", reg);
  EXPECT_NE(error.find("line 4"), std::string::npos) << error;
  EXPECT_EQ(reg.text(kUser, "Rurevoduz", "Hora"), "07");
  EXPECT_NE(importRegFile(tmp / "missing.reg", reg), "");
  EXPECT_TRUE(exists(tmp / "bad.reg"));  // an import never moves the file
}

// Random hives survive writing and reading; random and mangled bytes never crash the reader.
TEST(RegFormat, RandomHivesRoundTripAndGarbageIsSurvived) {
  std::mt19937 rng(12345);
  auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
  // Characters the file format has to escape or keep apart, and accents.
  const std::vector<std::string> pieces = {"a", "X", "0", " ", "\"", "\\", "=", "[",
                                           "]", "@", ";", "-", "\t", "á",  "ñ", "€"};
  auto name = [&](bool inPath = false) {
    std::string s;
    for (int i = pick(8); i >= 0; --i) {
      const std::string& piece =
          pieces[static_cast<std::size_t>(pick(static_cast<int>(pieces.size())))];
      if (!(inPath && piece == "\\")) s += piece;
    }
    return s;
  };
  for (int round = 0; round < 200; ++round) {
    TreeRegistry reg;
    for (int k = pick(4); k >= 0; --k) {
      const std::string path = "K" + name(true) + (pick(2) ? "\\S" + name(true) : "");
      for (int v = pick(5); v >= 0; --v) {
        std::vector<std::uint8_t> data(static_cast<std::size_t>(pick(12)));
        for (auto& b : data) b = static_cast<std::uint8_t>(pick(256));
        const std::uint32_t types[] = {kRegSz, kRegExpandSz, kRegBinary, kRegDword, 0, 7, 11};
        const std::uint32_t type = types[pick(7)];
        if (type == kRegSz && pick(2)) data = textBytes(name());
        reg.put(kUser, path, name(), type, data);
      }
    }
    std::size_t skipped = 1;
    const std::string text = formatRegFile(reg.hive(kUser), &skipped);
    EXPECT_EQ(skipped, 0u);
    const RegFileContents parsed = parseRegFile(text);
    ASSERT_TRUE(parsed.ok()) << parsed.error << " at " << parsed.errorLine << "\n" << text;
    TreeRegistry back;
    applyRegFile(parsed, back, kUser);
    ASSERT_EQ(back.hive(kUser).size(), reg.hive(kUser).size()) << text;
    for (const auto& [folded, key] : reg.hive(kUser)) {
      EXPECT_EQ(back.hive(kUser).at(folded).values, key.values) << text;
    }

    std::string mangled = text;
    for (int m = pick(6); m >= 0 && !mangled.empty(); --m) {
      mangled[static_cast<std::size_t>(pick(static_cast<int>(mangled.size())))] =
          static_cast<char>(pick(256));
    }
    (void)parseRegFile(mangled);
    std::string noise(static_cast<std::size_t>(pick(64)), '\0');
    for (auto& c : noise) c = static_cast<char>(pick(256));
    (void)parseRegFile("REGEDIT4\n" + noise);
    (void)parseRegFile("\xFF\xFE" + noise);
  }
}

}  // namespace
}  // namespace vodivuri::platform::linux_os
