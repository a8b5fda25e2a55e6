// Vodivuri.exe's command line.
#include "app/win32/options.hpp"

#include <gtest/gtest.h>

namespace vodivuri::app::win32 {
namespace {

TEST(Options, TheProgramsOwnOptions) {
  EXPECT_TRUE(parseOptions({"--simulate"}).simulate);
  EXPECT_TRUE(parseOptions({"--help"}).help);
  EXPECT_TRUE(parseOptions({"/?"}).help);
  EXPECT_TRUE(parseOptions({"--version"}).version);
  const Options both = parseOptions({"--simulate", "--version"});
  EXPECT_TRUE(both.simulate && both.version && both.error.empty());
  const Options none = parseOptions({});
  EXPECT_FALSE(none.simulate || none.help || none.version);
  EXPECT_TRUE(none.error.empty());
}

TEST(Options, AnythingElseIsAnErrorNamingIt) {
  // A bad option must not be lost behind a good one, nor run the program.
  const Options bad = parseOptions({"--simulate", "--simular"});
  EXPECT_NE(bad.error.find("«--simular»"), std::string::npos) << bad.error;
  EXPECT_NE(errorText(bad).find("--help"), std::string::npos);
  EXPECT_NE(parseOptions({"/s"}).error.find("Opción desconocida"), std::string::npos);
  EXPECT_NE(parseOptions({"C:\\x"}).error.find("Argumento no esperado «C:\\x»"), std::string::npos);
  EXPECT_NE(parseOptions({"--SIMULATE"}).error, "");
}

TEST(Options, TheSimulationLogFollowsTheUsersFolders) {
  EXPECT_EQ(simulateLogPath("C:\\L", "C:\\R", "C:\\P"), "C:\\L\\Vodivuri\\simulate.log");
  EXPECT_EQ(simulateLogPath("", "C:\\R", "C:\\P"), "C:\\R\\Vodivuri\\simulate.log");
  EXPECT_EQ(simulateLogPath("", "", "C:\\P"), "C:\\P\\simulate.log");
  EXPECT_NE(usageText("C:\\L\\Vodivuri\\simulate.log").find("C:\\L\\Vodivuri\\simulate.log"),
            std::string::npos);
}

}  // namespace
}  // namespace vodivuri::app::win32
