// The focus indicator as the screen shows it: for every stop of the main
// window, the calendar and About, the pixels that the focus changes by at
// least 3:1 (WCAG's contrast) make a band two pixels thick or more around
// the control (around the focused part, for the toolbar), broken at most
// where a letter already had the ring's colour.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "app/program.hpp"
#include "frontend/win32/win32_host.hpp"
#include "support/program_doubles.hpp"
#include "toolkit/accessible.hpp"
#include "toolkit/focus.hpp"
#include "win32_support.hpp"

namespace vodivuri::win32 {
namespace {

using testing::Later;
using testing::pump;

// A window's client area as shown, its children included: 0x00RRGGBB rows.
struct Shot {
  int width = 0, height = 0;
  std::vector<std::uint32_t> data;
  std::uint32_t at(int x, int y) const { return data[static_cast<std::size_t>(y * width + x)]; }
};

Shot shoot(HWND window) {
  Shot s;
  RECT client;
  GetClientRect(window, &client);
  s.width = client.right;
  s.height = client.bottom;
  HDC dc = GetDC(window);
  BITMAPINFO format{};
  format.bmiHeader = {sizeof(BITMAPINFOHEADER), s.width, -s.height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HBITMAP copy = CreateDIBSection(dc, &format, DIB_RGB_COLORS, &bits, nullptr, 0);
  HDC mem = CreateCompatibleDC(dc);
  HGDIOBJ old = SelectObject(mem, copy);
  BitBlt(mem, 0, 0, s.width, s.height, dc, 0, 0, SRCCOPY);
  GdiFlush();
  const auto* p = static_cast<const std::uint32_t*>(bits);
  s.data.assign(p, p + static_cast<std::size_t>(s.width) * static_cast<std::size_t>(s.height));
  for (auto& v : s.data) v &= 0xFFFFFF;
  SelectObject(mem, old);
  DeleteDC(mem);
  DeleteObject(copy);
  ReleaseDC(window, dc);
  return s;
}

double contrast(std::uint32_t a, std::uint32_t b) {
  auto c = [](std::uint32_t v, int shift) {
    return static_cast<std::uint8_t>((v >> shift) & 0xFF);
  };
  return toolkit::contrastRatio(c(a, 16), c(a, 8), c(a, 0), c(b, 16), c(b, 8), c(b, 0));
}

// What the focus did around `target` (form client pixels): the box of the
// pixels it changed by 3:1 or more, how many lines deep from each edge of it
// nine in ten pixels changed so (on the thinnest side), and how many of that
// band's pixels did.
struct Ring {
  RECT box{0, 0, 0, 0};
  int thickness = 0;
  double share = 0;
  std::string describe() const {
    char text[128];
    std::snprintf(text, sizeof text, "%ldx%ld at %ld,%ld, %d px, %.0f%% of it 3:1 or more",
                  box.right - box.left, box.bottom - box.top, box.left, box.top, thickness,
                  share * 100);
    return text;
  }
};

Ring measure(const Shot& before, const Shot& after, RECT target) {
  Ring ring;
  RECT area = target;
  InflateRect(&area, 4, 4);
  area.left = std::max(0L, area.left);
  area.top = std::max(0L, area.top);
  area.right = std::min(static_cast<LONG>(after.width), area.right);
  area.bottom = std::min(static_cast<LONG>(after.height), area.bottom);
  auto changed = [&](int x, int y) { return contrast(before.at(x, y), after.at(x, y)) >= 3.0; };
  RECT box{area.right, area.bottom, area.left, area.top};
  for (int y = area.top; y < area.bottom; ++y) {
    for (int x = area.left; x < area.right; ++x) {
      if (!changed(x, y)) continue;
      box.left = std::min(box.left, static_cast<LONG>(x));
      box.top = std::min(box.top, static_cast<LONG>(y));
      box.right = std::max(box.right, static_cast<LONG>(x + 1));
      box.bottom = std::max(box.bottom, static_cast<LONG>(y + 1));
    }
  }
  if (box.right <= box.left || box.bottom <= box.top) return ring;
  ring.box = box;
  auto rowDone = [&](int y) {
    int n = 0;
    for (int x = box.left; x < box.right; ++x) n += changed(x, y) ? 1 : 0;
    return n * 10 >= (box.right - box.left) * 9;
  };
  auto columnDone = [&](int x) {
    int n = 0;
    for (int y = box.top; y < box.bottom; ++y) n += changed(x, y) ? 1 : 0;
    return n * 10 >= (box.bottom - box.top) * 9;
  };
  int top = 0, bottom = 0, left = 0, right = 0;
  while (box.top + top < box.bottom && rowDone(box.top + top)) ++top;
  while (bottom < box.bottom - box.top && rowDone(box.bottom - 1 - bottom)) ++bottom;
  while (box.left + left < box.right && columnDone(box.left + left)) ++left;
  while (right < box.right - box.left && columnDone(box.right - 1 - right)) ++right;
  ring.thickness = std::min({top, bottom, left, right});
  const int t = std::max(1, std::min(ring.thickness, 2));
  int band = 0, strong = 0;
  for (int y = box.top; y < box.bottom; ++y) {
    for (int x = box.left; x < box.right; ++x) {
      if (y >= box.top + t && y < box.bottom - t && x >= box.left + t && x < box.right - t)
        continue;
      ++band;
      strong += changed(x, y) ? 1 : 0;
    }
  }
  ring.share = band > 0 ? static_cast<double>(strong) / band : 0;
  return ring;
}

class FocusRing : public ::testing::Test, protected vodivuri::testing::ProgramDoubles {
 protected:
  FocusRing() {
    host.notifyIcon = [](DWORD, NOTIFYICONDATAA*) { return TRUE; };
    vodivuri::testing::storeArmedShutdown(program.store, "07");
    program.start();
    main.show();
    SetForegroundWindow(hwnd(main));
    pump(50);
  }
  HWND hwnd(const toolkit::Form& f) const { return host.windowOf(f); }
  HWND hwnd(const toolkit::Control& c) const { return host.windowOf(c); }

  // The control's rectangle (its focused part's) in its form's client area.
  RECT placeOf(const toolkit::Control& c) const {
    HWND w = hwnd(c);
    RECT r;
    GetClientRect(w, &r);
    if (c.focusedPart() >= 0) {
      const toolkit::Rect& part = c.parts()[static_cast<std::size_t>(c.focusedPart())].rect;
      r = {part.left / 15, part.top / 15, (part.left + part.width) / 15,
           (part.top + part.height) / 15};
    }
    MapWindowPoints(w, hwnd(c.form()), reinterpret_cast<POINT*>(&r), 2);
    // What the form shows of it.
    RECT form, shown;
    GetClientRect(hwnd(c.form()), &form);
    IntersectRect(&shown, &r, &form);
    return shown;
  }

  // Every stop of `form` given the focus from nothing: its ring, measured.
  void expectRingsOn(toolkit::Form& form, std::size_t atLeast) {
    const std::vector<toolkit::Control*> stops = toolkit::tabStops(form);
    EXPECT_GE(stops.size(), atLeast);
    for (toolkit::Control* c : stops) {
      SCOPED_TRACE(form.name() + "." + c->name());
      form.setFocus(nullptr);
      pump(60);
      const Shot before = shoot(hwnd(form));
      form.setFocus(c);
      pump(60);
      const Shot after = shoot(hwnd(form));
      const RECT place = placeOf(*c);
      const Ring ring = measure(before, after, place);
      std::printf("  %-22s %s\n", (form.name() + "." + c->name()).c_str(), ring.describe().c_str());
      EXPECT_GE(ring.thickness, 2) << ring.describe();
      EXPECT_GE(ring.share, 0.95) << ring.describe();
      // Around the control: the band encloses its middle and nearly all of it.
      const POINT middle{(place.left + place.right) / 2, (place.top + place.bottom) / 2};
      EXPECT_TRUE(PtInRect(&ring.box, middle)) << ring.describe();
      EXPECT_GE(ring.box.right - ring.box.left, place.right - place.left - 4) << ring.describe();
      EXPECT_GE(ring.box.bottom - ring.box.top, place.bottom - place.top - 4) << ring.describe();
    }
  }

  Win32Host host{GetModuleHandleA(nullptr)};
  app::Program program{services(host)};
  mainwindow::frmTransparente& main = program.frmTransparente;
};

TEST_F(FocusRing, EveryStopOfTheMainWindowShowsAClearRing) {
  expectRingsOn(main, 11);
  // The toolbar's ring goes with the button the keys are on.
  main.setFocus(&main.pTools);
  pump(60);
  const Shot before = shoot(hwnd(main));
  main.userKey({toolkit::Key::End});
  pump(60);
  const Shot after = shoot(hwnd(main));
  const Ring ring = measure(before, after, placeOf(main.pTools));
  std::printf("  pTools, button 6      %s\n", ring.describe().c_str());
  EXPECT_GE(ring.thickness, 2) << ring.describe();
}

TEST_F(FocusRing, EveryStopOfTheCalendarAndAboutShowsAClearRing) {
  Later inCalendar(100, [&] {
    program.Calen.LabelMonthClick();  // the month's arrows are stops while shown
    pump(30);
    expectRingsOn(program.Calen, 7);
    program.Calen.unload();
  });
  program.Calen.showModal(main);
  Later inAbout(100, [&] {
    expectRingsOn(program.frmAcercaDe, 1);
    program.frmAcercaDe.unload();
  });
  program.frmAcercaDe.showModal(main);
}

}  // namespace
}  // namespace vodivuri::win32
