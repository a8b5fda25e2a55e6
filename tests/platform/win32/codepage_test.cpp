// UTF-8 and the ANSI code pages at the API boundary. The tests of Codepage
// need the system's code page to be Windows-1252 (the plain run); those of
// SystemCodePage take it as it is, and are run once more under Windows-1251.
#include "platform/win32/codepage.hpp"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace vodivuri::platform::win32 {
namespace {

TEST(Codepage, TheProgramsTextsKeepTheirAccents) {
  EXPECT_EQ(utf8ToAnsi("Reiniciar la sesi\xC3\xB3n"), "Reiniciar la sesi\xF3n");
  EXPECT_EQ(utf8ToAnsi("P\xC3\xA1gina"), "P\xE1gina");
  EXPECT_EQ(utf8ToAnsi("\xC2\xBFMa\xC3\xB1"
                       "ana? \xC3\x9C"),
            "\xBFMa\xF1"
            "ana? \xDC");
  EXPECT_EQ(ansiToUtf8("Reiniciar la sesi\xF3n"), "Reiniciar la sesi\xC3\xB3n");
  EXPECT_EQ(utf8ToAnsi(std::string("a\0b", 3)), std::string("a\0b", 3));
}

TEST(Codepage, EveryByteRoundTrips) {
  std::string all;
  for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
  const std::string utf8 = ansiToUtf8(all);
  EXPECT_EQ(utf8ToAnsi(utf8), all);
  // The 0x80 row is not Latin-1.
  EXPECT_EQ(ansiToUtf8("\x80\x85\x93\x9F"), "\xE2\x82\xAC\xE2\x80\xA6\xE2\x80\x9C\xC5\xB8");
  EXPECT_EQ(ansiToUtf8("\x81"), "\xC2\x81");
}

TEST(Codepage, WhatWindows1252CannotHold) {
  // Outside the code page: one '?' per character, however long its encoding.
  EXPECT_EQ(utf8ToAnsi("\xC5\x82\xC3\xB3\xE4\xB8\xAD\xF0\x9F\x98\x80x"), "?\xF3??x");
  EXPECT_EQ(utf8ToAnsi("\xC2\x80"), "?");  // a C1 control that 1252 uses otherwise
  // Bytes that are not UTF-8 are kept: they are taken as 1252 already.
  EXPECT_EQ(utf8ToAnsi("sesi\xF3n"), "sesi\xF3n");
  EXPECT_EQ(utf8ToAnsi("\xC0\xAF"), "\xC0\xAF");                  // overlong
  EXPECT_EQ(utf8ToAnsi("\xED\xA0\x80"), "\xED\xA0\x80");          // a surrogate
  EXPECT_EQ(utf8ToAnsi("\xF4\x90\x80\x80"), "\xF4\x90\x80\x80");  // past U+10FFFF
  EXPECT_EQ(utf8ToAnsi("\xE2\x82"), "\xE2\x82");                  // cut short at the end
}

// One text as the program holds it and as two code pages hold it ('?' for
// what the code page lacks).
struct Sample {
  std::string utf8;
  std::string in1252;
  std::string in1251;
};

const std::vector<Sample>& samples() {
  static const std::vector<Sample> all{
      {"Reiniciar la sesión", "Reiniciar la sesi\xF3n", "Reiniciar la sesi?n"},
      {"¿Mañana? Ü á é ñ",
       "\xBFMa\xF1"
       "ana? \xDC \xE1 \xE9 \xF1",
       "?Ma?ana? ? ? ? ?"},
      {"Выключить в 07:30", "????????? ? 07:30", "\xC2\xFB\xEA\xEB\xFE\xF7\xE8\xF2\xFC \xE2 07:30"},
      {"€ — “x” №", "\x80 \x97 \x93x\x94 ?", "\x88 \x97 \x93x\x94 \xB9"},
      {"😀 日本", "? ??", "? ??"},
  };
  return all;
}

void expectSamplesIn(unsigned codePage, std::string Sample::*held,
                     std::string (*toAnsi)(std::string_view),
                     std::string (*toUtf8)(std::string_view)) {
  for (const Sample& s : samples()) {
    SCOPED_TRACE(s.utf8);
    EXPECT_EQ(toAnsi(s.utf8), s.*held) << "code page " << codePage;
    // What the code page holds whole comes back whole.
    if ((s.*held).find('?') == std::string::npos) {
      EXPECT_EQ(toUtf8(s.*held), s.utf8);
    }
  }
}

TEST(SystemCodePage, IsTheOneTextsCrossTheBoundaryIn) {
  const UINT system = GetACP();
  // Set where the run was started for a code page: any other is a wrong set-up.
  if (const char* expected = std::getenv("VODIVURI_ANSI_CODE_PAGE")) {
    ASSERT_EQ(system, std::stoul(expected));
  }
  auto toAnsi = [](std::string_view s) { return utf8ToAnsi(s); };
  auto toUtf8 = [](std::string_view s) { return ansiToUtf8(s); };
  switch (system) {
    case 1252:
      expectSamplesIn(system, &Sample::in1252, toAnsi, toUtf8);
      break;
    case 1251:
      expectSamplesIn(system, &Sample::in1251, toAnsi, toUtf8);
      // Bytes that are not UTF-8 are still kept, not read as Cyrillic.
      EXPECT_EQ(utf8ToAnsi("sesi\xF3n"), "sesi\xF3n");
      EXPECT_EQ(ansiToUtf8("sesi\xF3n"), "sesiуn");
      break;
    default:
      GTEST_SKIP() << "no samples for the code page " << system;
  }
}

TEST(SystemCodePage, EveryByteOfItRoundTrips) {
  std::string all;
  for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
  CPINFO info{};
  ASSERT_TRUE(GetCPInfo(CP_ACP, &info));
  if (info.MaxCharSize != 1) GTEST_SKIP() << "a double-byte code page";
  EXPECT_EQ(utf8ToAnsi(ansiToUtf8(all)), all);
}

TEST(CodePages, EachHoldsItsOwnLettersAndNoLookAlikes) {
  expectSamplesIn(
      1252, &Sample::in1252, [](std::string_view s) { return utf8ToCodePage(s, 1252); },
      [](std::string_view s) { return codePageToUtf8(s, 1252); });
  expectSamplesIn(
      1251, &Sample::in1251, [](std::string_view s) { return utf8ToCodePage(s, 1251); },
      [](std::string_view s) { return codePageToUtf8(s, 1251); });
  EXPECT_EQ(utf8ToCodePage("Καλημέρα ñ", 1253), "\xCA\xE1\xEB\xE7\xEC\xDD\xF1\xE1 ?");
  EXPECT_EQ(codePageToUtf8("\xCA\xE1\xEB\xE7\xEC\xDD\xF1\xE1", 1253), "Καλημέρα");
  for (unsigned page : {1250u, 1251u, 1253u, 1254u, 1257u}) {
    SCOPED_TRACE(page);
    std::string all;
    for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
    EXPECT_EQ(utf8ToCodePage(codePageToUtf8(all, page), page), all);
  }
}

TEST(CodePages, DoubleByteCharactersStayWhole) {
  // Shift-JIS: the second byte of 本 is '{', and ｱ is one byte.
  const std::string sjis = "\x93\xFA\x96{\x8C\xEA\xB1";
  EXPECT_EQ(utf8ToCodePage("日本語ｱ", 932), sjis);
  EXPECT_EQ(codePageToUtf8(sjis, 932), "日本語ｱ");
  EXPECT_EQ(utf8ToCodePage("año", 932), "a?o");
  // A lead byte cut off at the end is one character, and nothing after it is lost.
  const std::string cut = codePageToUtf8("x\x93\xFA\x93", 932);
  EXPECT_EQ(cut.substr(0, 4), "x日");
  EXPECT_GT(cut.size(), 4u);
}

TEST(CodePages, AFixedFieldIsCutBetweenCharacters) {
  const std::string sjis = utf8ToCodePage("日本語ｱ", 932);  // 2 + 2 + 2 + 1 bytes
  EXPECT_EQ(ansiPrefix(sjis, 3, 932), sjis.substr(0, 2));   // not half of 本
  EXPECT_EQ(ansiPrefix(sjis, 6, 932), sjis.substr(0, 6));
  EXPECT_EQ(ansiPrefix(sjis, 63, 932), sjis);
  EXPECT_EQ(ansiPrefix("Vodivuri", 4, 1252), "Vodi");
  EXPECT_EQ(ansiPrefix("", 4, 1252), "");
}

}  // namespace
}  // namespace vodivuri::platform::win32
