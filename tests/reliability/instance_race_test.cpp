// Two copies of the real program started at the same instant, again and
// again, in half the races one of them without a runtime folder: exactly one
// must stay, and the other must end without touching the settings, damaged or not.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

#include "platform/linux/instance_linux.hpp"
#include "platform/linux_test_support.hpp"
#include "reliability/spawn.hpp"

namespace vodivuri::testing {
namespace {

using namespace std::chrono_literals;

const std::string kIntact =
    "REGEDIT4\n\n[HKEY_CURRENT_USER\\Rurevoduz]\n\"CreateValue\"=\"07/12/2026\"\n"
    "\"ApagarSistema\"=\"False\"\n\"ReiniciarSistema\"=\"False\"\n\"ReiniciarSesion\"=\"False\"\n"
    "\"FechaProgramada\"=\"07/12/2026\"\n\"Siempre\"=\"True\"\n\"Hora\"=\"00\"\n"
    "\"Minutos\"=\"00\"\n\"Inicio\"=\"False\"\n\"Forzar\"=\"False\"\n\"Left\"=\"4770\"\n"
    "\"Top\"=\"3255\"\n\n";
const std::string kDamaged = "REGEDIT4\n\n[HKEY_CURRENT_USER\\Rurevoduz\n\"Hora\"=\"07\"\n";

// The program under test; VODIVURI_RACE_EXE names another build of it.
std::string program() {
  const char* other = std::getenv("VODIVURI_RACE_EXE");
  return other != nullptr ? other : VODIVURI_EXE;
}

int racesToRun() {
  const char* wanted = std::getenv("VODIVURI_RACES");
  return wanted != nullptr ? std::max(1, std::atoi(wanted)) : 24;
}

struct FileState {
  bool present = false;
  std::string bytes;
  ino_t inode = 0;
  timespec mtime{};
};

FileState stateOf(const std::string& path) {
  FileState s;
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return s;
  s.present = true;
  s.bytes = readFile(path);
  s.inode = st.st_ino;
  s.mtime = st.st_mtim;
  return s;
}

bool contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

TEST(InstanceRace, OneOfTwoCopiesStartedTogetherRunsAndTheOtherTouchesNothing) {
  {
    // A copy of this user already running would win every race.
    platform::linux_os::LinuxInstance probe;
    if (probe.claim() != platform::linux_os::InstanceClaim::Held) {
      GTEST_SKIP() << "vodivuri is already running for this user";
    }
  }
  const int races = racesToRun();
  int damagedRaces = 0;
  for (int race = 0; race < races; ++race) {
    const bool damaged = race % 2 == 0;
    // Half the races give both copies the same environment.
    const bool sameEnvironment = race % 4 >= 2;
    SCOPED_TRACE(std::string("race ") + std::to_string(race) + (damaged ? " (damaged)" : "") +
                 (sameEnvironment ? " (same environment)" : ""));
    TempFolder tmp;
    const std::string folder = tmp / "config/vodivuri";
    const std::string file = folder + "/user.reg";
    ASSERT_EQ(::mkdir((tmp / "config").c_str(), 0700), 0);
    ASSERT_EQ(::mkdir(folder.c_str(), 0700), 0);
    ASSERT_EQ(::mkdir((tmp / "run").c_str(), 0700), 0);
    writeFile(file, damaged ? kDamaged : kIntact);
    ::chmod(file.c_str(), 0600);
    damagedRaces += damaged;
    const FileState before = stateOf(file);

    const std::map<std::string, std::optional<std::string>> common{
        {"HOME", tmp.path()},
        {"XDG_CONFIG_HOME", tmp / "config"},
        {"QT_QPA_PLATFORM", "offscreen"},
        {"DBUS_SESSION_BUS_ADDRESS", "disabled:"},
        {"DBUS_SYSTEM_BUS_ADDRESS", "unix:path=" + tmp / "no-bus"},
    };
    auto withRuntime = common;
    withRuntime["XDG_RUNTIME_DIR"] = tmp / "run";
    auto withoutRuntime = common;
    withoutRuntime["XDG_RUNTIME_DIR"] = std::nullopt;
    if (sameEnvironment) withoutRuntime = withRuntime;

    pid_t copies[2];
    {
      StartGate gate;
      copies[0] = gate.spawn({program(), "--simulate"}, withRuntime, tmp / "0.err");
      copies[1] = gate.spawn({program(), "--simulate"}, withoutRuntime, tmp / "1.err");
      gate.go();
    }
    // The loser ends at once; the winner loads the settings and runs on.
    int loser = -1;
    std::optional<int> status;
    const auto end = std::chrono::steady_clock::now() + 5s;
    while (loser < 0 && std::chrono::steady_clock::now() < end) {
      for (int i = 0; i < 2 && loser < 0; ++i) {
        if ((status = waitFor(copies[i], 0ms))) loser = i;
      }
      std::this_thread::sleep_for(5ms);
    }
    const int winner = loser == 0 ? 1 : 0;
    const std::string winnerErrFile = tmp / (std::to_string(winner) + ".err");
    const auto settled = std::chrono::steady_clock::now() + (damaged ? 3000ms : 400ms);
    while (std::chrono::steady_clock::now() < settled &&
           !(damaged && contains(readFile(winnerErrFile), "kept as"))) {
      std::this_thread::sleep_for(10ms);
    }
    const bool winnerRuns = !waitFor(copies[winner], 0ms);
    const FileState now = stateOf(file);
    const std::string badName = file + ".bad";
    const FileState bad = stateOf(badName);
    const bool secondBad = exists(badName + ".1");
    // Only the copies not reaped yet: a reaped one's number may belong to another process.
    if (winnerRuns) killAndReap(copies[winner]);
    if (loser < 0) killAndReap(copies[1]);

    if (loser < 0) {
      ADD_FAILURE() << "both copies are still running";
      continue;
    }
    EXPECT_TRUE(winnerRuns) << "both copies ended";
    EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0) << *status;
    // The loser says nothing, so it found nothing damaged: it never read the file.
    const std::string loserErr = readFile(tmp / (std::to_string(loser) + ".err"));
    const std::string winnerErr = readFile(winnerErrFile);
    EXPECT_EQ(loserErr, "");
    EXPECT_FALSE(secondBad);
    if (damaged) {
      // Kept aside exactly once, by the winner, and not replaced meanwhile.
      EXPECT_TRUE(bad.present);
      EXPECT_EQ(bad.bytes, kDamaged);
      EXPECT_EQ(bad.inode, before.inode);
      EXPECT_TRUE(contains(winnerErr, "is damaged")) << winnerErr;
      EXPECT_TRUE(contains(winnerErr, "kept as " + badName)) << winnerErr;
    } else {
      EXPECT_FALSE(bad.present);
      EXPECT_EQ(now.bytes, before.bytes);
      EXPECT_EQ(now.inode, before.inode);
      EXPECT_EQ(now.mtime.tv_sec, before.mtime.tv_sec);
      EXPECT_EQ(now.mtime.tv_nsec, before.mtime.tv_nsec);
      EXPECT_FALSE(contains(winnerErr, "damaged")) << winnerErr;
    }
  }
  std::printf("%d races, %d of them with a damaged settings file\n", races, damagedRaces);
}

}  // namespace
}  // namespace vodivuri::testing
