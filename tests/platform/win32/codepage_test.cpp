// UTF-8 and Windows-1252 at the API boundary.
#include "platform/win32/codepage.hpp"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace vodivuri::platform::win32
