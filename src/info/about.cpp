#include "info/about.hpp"

#include <array>

#include "info/placement.hpp"

#ifndef VODIVURI_HOME_PAGE
#error "VODIVURI_HOME_PAGE must name the maker's web site"
#endif

namespace vodivuri::info {

using toolkit::Alignment;
using toolkit::ControlState;
using toolkit::Font;
using toolkit::Rect;

const std::string& homePageAddress() {
  static const std::string address = VODIVURI_HOME_PAGE;
  return address;
}

namespace {

constexpr std::array<ScreenPlace, 3> kPlaces{
    {{1024, 5025, 3645}, {800, 3360, 2445}, {640, 1795, 1245}}};

// Text over the background picture: transparent and centred.
ControlState overPicture(Rect rect, std::string caption, toolkit::Colour colour, double points) {
  return {.rect = rect,
          .caption = std::move(caption),
          .foreground = colour,
          .transparent = true,
          .alignment = Alignment::Centre,
          .font = Font{"MS Sans Serif", points, true}};
}

std::deque<toolkit::Label> lines(toolkit::Form& form) {
  struct Line {
    Rect rect;
    double points;
    const char* caption;
  };
  // By index; on the window they run 0, 2, 3, 1, 4 from the top.
  static const std::array<Line, 5> kLines{{
      {{240, 315, 4650, 735}, 13.5, "Vodivuri"},
      {{270, 2130, 4650, 735}, 13.5, "Hecho por el equipo de Vodivuri"},
      {{240, 885, 4650, 735}, 13.5, "Versión: 1.0"},
      {{240, 1455, 4650, 735}, 13.5, ""},
      {{240, 2805, 4650, 735}, 8.25, "Este programa se distribuye sin ninguna garantía."},
  }};
  std::deque<toolkit::Label> labels;
  for (std::size_t i = 0; i < kLines.size(); ++i) {
    ControlState state =
        overPicture(kLines[i].rect, kLines[i].caption, toolkit::kWhite, kLines[i].points);
    // The empty line says nothing to a screen reader either.
    if (*kLines[i].caption == '\0') state.role = toolkit::AccessRole::None;
    labels.emplace_back(form, "Label1(" + std::to_string(i) + ")", state);
  }
  return labels;
}

ControlState link() {
  ControlState s =
      overPicture({360, 3480, 4650, 615}, homePageAddress(), toolkit::Colour::rgb(0, 0, 255), 9.75);
  s.cursor = "hand";
  s.role = toolkit::AccessRole::Link;
  return s;
}

}  // namespace

frmAcercaDe::frmAcercaDe(toolkit::Host& host, engine::ProgramState& state, platform::Shell& shell)
    : Form(host, "frmAcercaDe",
           {.caption = "Acerca de Vodivuri",
            .clientWidth = 5190,
            .clientHeight = 3795,
            .border = toolkit::Border::FixedSingle,
            .icon = "about.ico",
            .picture = "about_background.jpg",
            .dialog = true}),
      labels1_(lines(*this)),
      lblVinc(*this, "lblVinc", link()),
      state_(state),
      shell_(shell) {
  onLoad = [this] { Form_Load(); };
  onUnload = [this] { Form_Unload(); };
  onKeyDown = [this](int key) { Form_KeyDown(key); };
  lblVinc.onClick = [this] { lblVincClick(); };
  tabOrder = {&lblVinc};
}

void frmAcercaDe::Form_Load() {
  placeByScreenWidth(*this, state_.ScreenWidth, kPlaces);
}

void frmAcercaDe::Form_Unload() {
  state_.ChildClosed = engine::kChildJustClosed;
}

void frmAcercaDe::Form_KeyDown(int key) {
  if (key != toolkit::kKeyEscape) return;
  state_.ChildClosed = engine::kChildJustClosed;
  unload();
}

// Whether a browser opened is not known here; the window stays as it is.
void frmAcercaDe::lblVincClick() {
  shell_.openAddress(homePageAddress());
}

}  // namespace vodivuri::info
