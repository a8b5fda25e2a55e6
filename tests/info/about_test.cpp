#include "info/about.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <utility>
#include <vector>

#include "frontend/testhost/test_host.hpp"
#include "platform/testing/doubles.hpp"

namespace vodivuri::info {
namespace {

class AboutTest : public ::testing::Test {
 protected:
  platform::testing::FakeClock clock;
  testhost::TestHost host{clock};
  platform::testing::RecordingShell shell;
  engine::ProgramState state;
  toolkit::Form main{host, "frmTransparente", {}};
  frmAcercaDe about{host, state, shell};

  void SetUp() override { main.show(); }

  // Shows it modally over the main window; Esc closes it after `inside`
  // unless `inside` did.
  void open(const std::function<void()>& inside) {
    host.whenModal("frmAcercaDe", [&](toolkit::Form& f) {
      inside();
      if (f.loaded()) f.userKeyDown(toolkit::kKeyEscape);
    });
    about.showModal(main);
  }
};

TEST_F(AboutTest, IsPlacedByTheScreenWidth) {
  const std::vector<std::pair<int, std::optional<std::pair<int, int>>>> cases{
      {1024, {{5025, 3645}}}, {800, {{3360, 2445}}}, {640, {{1795, 1245}}}, {1280, std::nullopt}};
  for (const auto& [width, place] : cases) {
    testhost::TestHost fresh{clock};
    frmAcercaDe window{fresh, state, shell};
    state.ScreenWidth = static_cast<std::int16_t>(width);
    window.load();
    if (place) {
      EXPECT_EQ(window.left(), place->first) << width;
      EXPECT_EQ(window.top(), place->second) << width;
    } else {
      EXPECT_EQ(window.left(), std::nullopt) << width;
      EXPECT_EQ(window.top(), std::nullopt) << width;
    }
  }
}

TEST_F(AboutTest, LinkOpensTheHomePageAndTheWindowStaysOpen) {
  open([&] {
    EXPECT_EQ(about.lblVinc.caption(), homePageAddress());
    about.lblVinc.userClick();
    EXPECT_TRUE(about.loaded());
    EXPECT_TRUE(about.visible());
    EXPECT_EQ(state.ChildClosed, 0);
    about.lblVinc.userClick();
  });
  EXPECT_EQ(shell.opened, (std::vector<std::string>{homePageAddress(), homePageAddress()}));
  EXPECT_EQ(homePageAddress().rfind("http", 0), 0u);
}

TEST_F(AboutTest, LinesReadFromTopToBottom) {
  std::vector<toolkit::Label*> lines;
  for (int i = 0; i <= 4; ++i) lines.push_back(&about.Label1(i));
  std::ranges::sort(lines, {}, [](const toolkit::Label* l) { return l->top(); });
  std::vector<std::string> captions;
  for (const auto* l : lines) captions.push_back(l->caption());
  EXPECT_EQ(captions[0], "Vodivuri");
  EXPECT_EQ(captions[1], "Versión: 1.0");
  EXPECT_EQ(captions[2], "");
  EXPECT_EQ(captions[3], about.Label1(1).caption());
  EXPECT_EQ(captions[4], about.Label1(4).caption());
  EXPECT_LT(about.Label1(4).state().font.points, about.Label1(0).state().font.points);
  EXPECT_EQ(about.lblVinc.state().cursor, "hand");
}

TEST_F(AboutTest, EveryWayOfClosingSignalsTheMainWindow) {
  open([&] { about.userKeyDown(toolkit::kKeyEscape); });
  EXPECT_FALSE(about.loaded());
  EXPECT_EQ(state.ChildClosed, engine::kChildJustClosed);

  state.ChildClosed = 0;
  open([&] {
    about.userKeyDown(13);  // other keys do nothing
    EXPECT_TRUE(about.loaded());
    about.userRequestClose();
  });
  EXPECT_FALSE(about.loaded());
  EXPECT_EQ(state.ChildClosed, engine::kChildJustClosed);
  EXPECT_TRUE(shell.opened.empty());
}

}  // namespace
}  // namespace vodivuri::info
