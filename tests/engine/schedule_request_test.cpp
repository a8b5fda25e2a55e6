#include "engine/schedule_request.hpp"

#include <gtest/gtest.h>

namespace vodivuri::engine {
namespace {

using Words = std::vector<std::string>;

ParsedRequest parse(const Words& words) {
  Words rest;
  ParsedRequest parsed = parseScheduleRequest(words, rest);
  EXPECT_TRUE(rest.empty()) << "left: " << rest.front();
  return parsed;
}

TEST(ScheduleRequest, EveryFormIsReadAndWrittenBackTheSame) {
  const std::vector<Words> forms = {
      {"--apagar", "23:45"},
      {"--reiniciar", "00:00", "--siempre"},
      {"--cerrar-sesion", "07:05", "--fecha", "29/02/2028", "--forzar"},
      {"--apagar", "--en", "90"},
      {"--cancelar"},
      {"--estado"},
  };
  for (const Words& words : forms) {
    const ParsedRequest parsed = parse(words);
    ASSERT_TRUE(parsed.request) << words.front() << ": " << parsed.error;
    EXPECT_EQ(requestWords(*parsed.request), words);
  }
  const ScheduleRequest r = *parse(forms[2]).request;
  EXPECT_EQ(r.action, PowerAction::EndSession);
  EXPECT_EQ(r.hour, 7);
  EXPECT_EQ(r.minute, 5);
  EXPECT_EQ(r.date, (toolkit::Date{2028, 2, 29}));
  EXPECT_TRUE(r.force);
  EXPECT_EQ(parse(forms[3]).request->inMinutes, 90);
}

TEST(ScheduleRequest, BadInputIsRefusedWithOneLineThatSaysWhy) {
  const std::vector<std::pair<Words, std::string>> cases = {
      {{"--apagar", "25:00"}, "hora no válida «25:00»: use HH:MM, de 00:00 a 23:59"},
      {{"--apagar", "7:30"}, "hora no válida «7:30»: use HH:MM, de 00:00 a 23:59"},
      {{"--apagar", "23:45", "--fecha", "31/02/2027"},
       "fecha no válida «31/02/2027»: use DD/MM/AAAA"},
      {{"--apagar", "23:45", "--reiniciar", "23:50"},
       "indique una sola acción: --apagar, --reiniciar o --cerrar-sesion"},
      {{"--apagar"}, "falta la hora (HH:MM) o --en MINUTOS"},
      {{"--apagar", "23:45", "--en", "5"}, "indique la hora o --en MINUTOS, no las dos"},
      {{"--apagar", "--en", "0"}, "minutos no válidos «0»: de 1 a 527040"},
      {{"--apagar", "--en", "-5"}, "minutos no válidos «-5»: de 1 a 527040"},
      {{"--apagar", "--en", "5", "--siempre"},
       "--en programa una sola vez: no admite --fecha ni --siempre"},
      {{"--apagar", "23:45", "--siempre", "--fecha", "01/01/2030"},
       "indique --fecha o --siempre, no las dos"},
      {{"--forzar"}, "falta la acción: --apagar, --reiniciar o --cerrar-sesion"},
      {{"--fecha"}, "falta la fecha tras --fecha (DD/MM/AAAA)"},
      {{"--cancelar", "--apagar", "23:45"},
       "--cancelar y --estado van solos, sin acción ni otra orden"},
      {{"--estado", "--forzar"}, "--cancelar y --estado no admiten más opciones"},
  };
  for (const auto& [words, why] : cases) {
    const ParsedRequest parsed = parse(words);
    EXPECT_FALSE(parsed.request) << words.front();
    EXPECT_EQ(parsed.error, why);
  }
}

TEST(ScheduleRequest, OtherOptionsAreLeftToTheCaller) {
  Words rest;
  const ParsedRequest parsed =
      parseScheduleRequest({"--simulate", "--apagar", "22:00", "--nada"}, rest);
  ASSERT_TRUE(parsed.request);
  EXPECT_EQ(rest, (Words{"--simulate", "--nada"}));
  rest.clear();
  EXPECT_FALSE(parseScheduleRequest({"--simulate"}, rest).request);
  EXPECT_TRUE(parseScheduleRequest({"--simulate"}, rest).error.empty());
}

}  // namespace
}  // namespace vodivuri::engine
