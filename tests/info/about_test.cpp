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

TEST_F(AboutTest, WindowAndLinesStandWhereTheTableSays) {
  EXPECT_EQ(about.layout().caption, "Acerca de Vodivuri");
  EXPECT_EQ(about.layout().clientWidth, 5190);
  EXPECT_EQ(about.layout().clientHeight, 3795);
  const toolkit::Font big{"MS Sans Serif", 13.5, true};
  const struct {
    int index;
    toolkit::Rect rect;
    toolkit::Font font;
  } lines[] = {{0, {240, 315, 4650, 735}, big},
               {2, {240, 885, 4650, 735}, big},
               {3, {240, 1455, 4650, 735}, big},
               {1, {270, 2130, 4650, 735}, big},
               {4, {240, 2805, 4650, 735}, {"MS Sans Serif", 8.25, true}}};
  for (const auto& line : lines) {
    const toolkit::Label& l = about.Label1(line.index);
    EXPECT_EQ(l.rect(), line.rect) << line.index;
    EXPECT_EQ(l.state().font, line.font) << line.index;
    EXPECT_EQ(l.state().foreground, toolkit::kWhite) << line.index;
    EXPECT_TRUE(l.state().transparent) << line.index;
    EXPECT_EQ(l.state().alignment, toolkit::Alignment::Centre) << line.index;
  }
  EXPECT_EQ(about.Label1(2).caption(), "Versión: 1.0");
  EXPECT_EQ(about.Label1(3).caption(), "");
  EXPECT_FALSE(about.Label1(0).caption().empty());
  EXPECT_FALSE(about.Label1(1).caption().empty());
  EXPECT_FALSE(about.Label1(4).caption().empty());
  EXPECT_EQ(about.lblVinc.rect(), (toolkit::Rect{360, 3480, 4650, 615}));
  EXPECT_EQ(about.lblVinc.state().foreground, toolkit::Colour::rgb(0, 0, 255));
  EXPECT_EQ(about.lblVinc.state().font, (toolkit::Font{"MS Sans Serif", 9.75, true}));
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
