// UTF-8 to Windows-1252 at the API boundary.
#include <gtest/gtest.h>

#include "frontend/win32/text.hpp"

namespace vodivuri::win32 {
namespace {

TEST(AnsiText, SpanishTextsBecomeWindows1252AndBack) {
  EXPECT_EQ(toAnsi("Reiniciar la sesión"), "Reiniciar la sesi\xF3n");
  EXPECT_EQ(toAnsi("¿Sí? Año Ü"), "\xBFS\xED? A\xF1o \xDC");
  EXPECT_EQ(toAnsi("€ — “x”"), "\x80 \x97 \x93x\x94");
  EXPECT_EQ(fromAnsi("sesi\xF3n \x80"), "sesión €");
  EXPECT_EQ(fromAnsi(toAnsi("Página 1 de 4")), "Página 1 de 4");
}

TEST(AnsiText, WhatTheCodePageCannotHoldBecomesAQuestionMark) {
  EXPECT_EQ(toAnsi("日本"), "??");
  EXPECT_EQ(toAnsi("😀x"), "?x");
}

}  // namespace
}  // namespace vodivuri::win32
