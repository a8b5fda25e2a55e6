#include "toolkit/geometry.hpp"

#include <gtest/gtest.h>

#include "frontend/testhost/test_host.hpp"

namespace vodivuri::toolkit {
namespace {

TEST(Geometry, TwipsToPixelsAtBothDensities) {
  EXPECT_EQ(twipsToPixels(5715, 15), 381);
  EXPECT_EQ(twipsToPixels(5715, 12), 476);
  EXPECT_EQ(twipsToPixels(-210, 15), -14);
  EXPECT_EQ(twipsPerPixelFor(96), 15);
  EXPECT_EQ(twipsPerPixelFor(120), 12);
  EXPECT_EQ(twipsPerPixelFor(0), 15);
}

TEST(Geometry, OuterSizeLeavesTheClientInsideFrameAndCaption) {
  // 5325 x 7290 twips outer at 96 dpi: 355 x 486 pixels, the client 349 x 461.
  const PixelSize outer{twipsToPixels(5325, 15), twipsToPixels(7290, 15)};
  EXPECT_EQ(clientForOuter(Border::FixedSingle, outer), (PixelSize{349, 461}));
  EXPECT_EQ(clientForOuter(Border::FixedDialog, PixelSize{2, 2}), (PixelSize{1, 1}));
}

TEST(Geometry, GradientCoversTheClientInOrderFromBlackToBlue) {
  for (int height : {301, 512, 100}) {
    const std::vector<GradientBand> bands = gradientBands(height);
    ASSERT_FALSE(bands.empty());
    EXPECT_EQ(bands.front().top, 0);
    EXPECT_EQ(bands.back().bottom, height);
    EXPECT_EQ(bands.back().blue, 255);
    for (std::size_t i = 1; i < bands.size(); ++i) {
      EXPECT_EQ(bands[i].top, bands[i - 1].bottom);
      EXPECT_GT(bands[i].blue, bands[i - 1].blue);
    }
  }
  EXPECT_EQ(gradientBands(301).front().blue, 0);
  EXPECT_EQ(gradientBands(512).size(), 256u);
  EXPECT_TRUE(gradientBands(0).empty());
}

struct MenuWindow : Form {
  explicit MenuWindow(Host& host) : Form(host, "frmMenu", {}) {}
  MenuEntry root{*this, "mnuRoot", "Opciones", nullptr, 0, false};
  MenuEntry first{*this, "mnuFirst", "Uno", &root};
  MenuEntry hidden{*this, "mnuHidden", "Oculta", &root, 0, false};
  MenuEntry sep{*this, "mnuSep", "-", &root};
  MenuEntry sub{*this, "mnuSub", "Sub", &root};
  MenuEntry yes{*this, "mnuSi", "Si", &sub, 1};
  MenuEntry no{*this, "mnuNo", "No", &sub};
  MenuEntry last{*this, "mnuLast", "Fin", &root};
};

TEST(Geometry, MenuTreeKeepsVisibleEntriesSeparatorsSubmenusAndTheDefault) {
  platform::testing::FakeClock clock{{{2026, 12, 7}, 7, 29, 58}};
  testhost::TestHost host{clock};
  MenuWindow w(host);
  w.load();
  w.last.setEnabled(false);
  const std::vector<MenuNode> tree = menuTree(w.root, &w.last);
  ASSERT_EQ(tree.size(), 4u);
  EXPECT_EQ(tree[0].entry, &w.first);
  EXPECT_TRUE(tree[1].separator());
  ASSERT_EQ(tree[2].children.size(), 2u);
  EXPECT_TRUE(tree[2].children[0].checked);
  EXPECT_FALSE(tree[2].children[1].checked);
  EXPECT_EQ(tree[3].caption, "Fin");
  EXPECT_TRUE(tree[3].isDefault);
  EXPECT_FALSE(tree[3].enabled);
  EXPECT_FALSE(tree[0].isDefault);
}

TEST(Geometry, AWindowIsKeptWithinTheWorkArea) {
  const PixelRect area{0, 0, 1024, 740};  // a taskbar below
  // Inside already: untouched.
  EXPECT_EQ(keepInside({318, 217, 387, 327}, area), (PixelRect{318, 217, 387, 327}));
  // Stored on a second monitor that is gone, or partly off an edge.
  EXPECT_EQ(keepInside({1500, 900, 387, 327}, area), (PixelRect{637, 413, 387, 327}));
  EXPECT_EQ(keepInside({-200, -50, 387, 327}, area), (PixelRect{0, 0, 387, 327}));
  EXPECT_EQ(keepInside({900, 600, 387, 327}, area), (PixelRect{637, 413, 387, 327}));
  // Larger than the area: its caption stays reachable at the top-left.
  EXPECT_EQ(keepInside({50, 50, 1200, 800}, area), (PixelRect{0, 0, 1200, 800}));
  // A work area that does not start at 0 (a taskbar on the left).
  EXPECT_EQ(keepInside({10, 10, 100, 100}, {60, 0, 964, 768}), (PixelRect{60, 10, 100, 100}));
}

}  // namespace
}  // namespace vodivuri::toolkit
