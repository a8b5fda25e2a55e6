// A form's place and outer size across unloads and reloads: every loading
// gets a new window, which must be moved even to the place of the last one.
#include <gtest/gtest.h>

#include "frontend/testhost/test_host.hpp"
#include "toolkit/form.hpp"

namespace vodivuri::toolkit {
namespace {

// Records what the host is asked to do with the window's place and size.
struct PlacingHost : testhost::TestHost {
  using TestHost::TestHost;
  struct Move {
    std::optional<int> left, top, width, height;
    friend bool operator==(const Move&, const Move&) = default;
  };
  std::vector<Move> moves;
  void formMoved(Form& f) override { moves.push_back({f.left(), f.top(), f.width(), f.height()}); }
};

struct Placed : Form {
  explicit Placed(Host& host, FormLayout layout = {}) : Form(host, "frmPlaced", std::move(layout)) {
    onLoad = [this] {
      setLeft(5025);
      setTop(3645);
      setSize(5325, 7290);
    };
  }
};

class FormPlacement : public ::testing::Test {
 protected:
  platform::testing::FakeClock clock{{{2026, 12, 8}, 12, 0, 0}};
  PlacingHost host{clock};
};

TEST_F(FormPlacement, EveryLoadingPlacesItsNewWindowEvenAtTheSamePlace) {
  Placed form(host);
  for (int opening = 1; opening <= 3; ++opening) {
    SCOPED_TRACE(opening);
    host.moves.clear();
    form.load();
    ASSERT_FALSE(host.moves.empty());
    EXPECT_EQ(host.moves.back(), (PlacingHost::Move{5025, 3645, 5325, 7290}));
    // The platform reports where it really put the window, as it does.
    form.placedByHost(5025, 3645);
    form.unload();
  }
}

TEST_F(FormPlacement, AnUnloadForgetsWherePlatformPutTheLastWindow) {
  Placed form(host);
  form.onLoad = nullptr;
  form.load();
  form.placedByHost(0, 0);
  form.unload();
  form.load();
  EXPECT_FALSE(form.left());
  EXPECT_FALSE(form.top());
  EXPECT_FALSE(form.width());
  form.setLeft(0);  // the place the last window had is still a move for this one
  EXPECT_EQ(host.moves.size(), 1u);
}

TEST_F(FormPlacement, WithinOneLoadingTheSameValuesAskNothingOfTheHost) {
  Placed form(host);
  form.load();
  const auto asked = host.moves.size();
  form.setLeft(5025);
  form.setTop(3645);
  form.setSize(5325, 7290);
  EXPECT_EQ(host.moves.size(), asked);
}

TEST_F(FormPlacement, ALaidOutPlaceComesBackAtEveryLoading) {
  Placed form(host, {.clientLeft = 4815, .clientTop = 3690});
  form.onLoad = nullptr;
  form.load();
  form.placedByHost(100, 200);
  form.unload();
  form.load();
  EXPECT_EQ(form.left(), 4815);
  EXPECT_EQ(form.top(), 3690);
}

}  // namespace
}  // namespace vodivuri::toolkit
