#include "info/help.hpp"

#include <algorithm>
#include <array>

#include "info/placement.hpp"
#include "toolkit/focus.hpp"

namespace vodivuri::info {

using toolkit::Colour;
using toolkit::ControlState;
using toolkit::Rect;

namespace {

constexpr std::array<ScreenPlace, 3> kPlaces{
    {{1024, 5000, 2730}, {800, 3300, 1290}, {640, 1930, 0}}};
constexpr int kWidth = 5325, kHeight = 7290;
constexpr int kFrameLeft = 120, kFrameTop = 120;
constexpr int kFrameWidth = 5000, kFrameHeight = 6525;

constexpr Rect kTextRect{45, 120, 4905, 6360};
constexpr int kPictureTop = 720;
// One line of the default dialog font (8 pt: 13 pixels).
constexpr int kLineHeight = 195;

constexpr Colour kBlue = Colour::rgb(0, 0, 255);

const std::array<std::vector<std::string>, kHelpPages> kPages{{
    {
        "FORMULARIO PRINCIPAL:",
        "Seleccione una de las tres opciones disponibles y establezca la",
        "hora en la que desea que se ejecute la acción. A continuación",
        R"(puede seleccionar una fecha determinada o marcar la "opción")",
        R"("Siempre" para ejecutar dicha acción diariamente.)",
        R"(Marcando la "opción" "Forzar", se ejecutará la acción selec_)",
        "cionada cerrando los documentos abiertos a pesar de no estar",
        "guardados los cambios en los mismos.",
        "Esta aplicación queda residente en la bandeja de sistema y para",
        "que realize las acciones programadas debe mantenerse en ejecu_",
        "ción.",
    },
    {
        "BARRA DE HERRAMIENTAS:",
        R"(Boton "Startup": " Vodivuri" se carga al iniciar Windows.)",
        R"(Boton "No start": "Vodivuri no se carga al iniciar Windows.)",
        R"(Boton "Ocultar": Oculta el formulario, quedando la aplicación resi_)",
        "dente en la bandeja del sistema.",
        R"(Boton "Salir": Cierra la aplicación.)",
        R"(Boton "Ayuda": Muestra la ayuda de la aplicación.)",
        R"(Boton "Acerca de...": Muestra información sobre "Vodivuri".)",
    },
    {
        "CALENDARIO:",
        "Para seleccionar el día deseado solo haga click sobre el mismo,",
        "para seleccionar un mes o año diferentes haga click sobre los",
        "mismos y a continuación elija el mes o el año deseado.",
        R"(Click sobre el boton "Cerrar", cierra el calendario sin realizar)",
        "ningún cambio.",
    },
    {
        "MENU CONTEXTUAL:",
        R"(Opciónes "Apagar el sistema", "Reiniciar el sistema" y "Reiniciar)",
        R"(la sesión": Ejecuta en el momento la acción seleccionada.)",
    },
}};

struct Picture {
  const char* asset;
  int left, width, height;
  const char* name;  // what a screen reader says
};
const std::array<Picture, kHelpPages> kPictures{{
    {"help_main_window.png", 960, 2925, 2535, "La ventana principal"},
    {"toolbar.bmp", 150, 4725, 615, "La barra de herramientas"},  // the main window's own strip
    {"help_calendar.png", 480, 3795, 2055, "El calendario"},
    {"help_popup_menu.png", 720, 3405, 2295, "El menú del icono"},
}};

// The page's lines, one per line of the label, the heading on the first line
// below the picture (which is drawn over the label's top part).
std::string pageText(int page) {
  const Picture& picture = kPictures[static_cast<std::size_t>(page - 1)];
  const int covered = kPictureTop + picture.height - kTextRect.top;
  std::string text((covered + kLineHeight - 1) / kLineHeight, '\n');
  const auto& lines = helpPageLines(page);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (i > 0) text += '\n';
    text += lines[i];
  }
  return text;
}

std::deque<toolkit::Frame> frames(toolkit::Form& form) {
  std::deque<toolkit::Frame> out;
  for (int page = 1; page <= kHelpPages; ++page) {
    // Laid side by side; opening stacks them at one place.
    out.emplace_back(form, "fr1(" + std::to_string(page) + ")",
                     ControlState{.rect = {kFrameLeft + (page - 1) * (kFrameWidth + 120), kFrameTop,
                                           kFrameWidth, kFrameHeight},
                                  .visible = page == 1,
                                  .border = true});
  }
  return out;
}

ControlState textLabel(int page) {
  return {.rect = kTextRect,
          .caption = pageText(page),
          .background = Colour::rgb(224, 224, 224),
          .border = page != 1};
}

ControlState picture(int page) {
  const Picture& p = kPictures[static_cast<std::size_t>(page - 1)];
  return {.rect = {p.left, kPictureTop, p.width, p.height},
          .picture = p.asset,
          .accessibleName = p.name,
          .role = toolkit::AccessRole::Graphic};
}

ControlState blueText(Rect rect, std::string caption) {
  return {.rect = rect, .caption = std::move(caption), .foreground = kBlue, .transparent = true};
}

// Built after the texts and pictures, so they are drawn over them.
std::deque<toolkit::Label> pageLabels(frmAyuda& form) {
  std::deque<toolkit::Label> out;
  for (int i = 0; i < kHelpPages; ++i) {
    const int page = (i + 1) % kHelpPages + 1;  // Label5(3) is on page 1
    ControlState s = blueText({3720, 330, 990, 195}, "Página " + std::to_string(page) + " de 4");
    s.autoSize = true;
    out.emplace_back(form, "Label5(" + std::to_string(i) + ")", s, &form.fr1(page));
  }
  return out;
}

std::deque<toolkit::Label> links(frmAyuda& form, const char* name, const char* caption, Rect rect,
                                 int firstPage) {
  std::deque<toolkit::Label> out;
  for (int i = 0; i < kHelpPages - 1; ++i) {
    ControlState s = blueText(rect, caption);
    s.cursor = "hand";
    s.role = toolkit::AccessRole::Link;
    out.emplace_back(form, std::string(name) + "(" + std::to_string(i) + ")", s,
                     &form.fr1(firstPage + i));
  }
  return out;
}

}  // namespace

const std::vector<std::string>& helpPageLines(int page) {
  return kPages.at(static_cast<std::size_t>(page - 1));
}

frmAyuda::frmAyuda(toolkit::Host& host, engine::ProgramState& state)
    : Form(host, "frmAyuda",
           {.caption = "Ayuda Vodivuri",
            // The client area the outer size 5325 x 7290 leaves with a single border.
            .clientWidth = 5235,
            .clientHeight = 6885,
            .border = toolkit::Border::FixedSingle,
            .icon = "help.ico",
            .dialog = true}),
      frames_(frames(*this)),
      Label2(*this, "Label2", textLabel(1), &fr1(1)),
      Label1(*this, "Label1", textLabel(2), &fr1(2)),
      Label3(*this, "Label3", textLabel(3), &fr1(3)),
      Label4(*this, "Label4", textLabel(4), &fr1(4)),
      imPagina1(*this, "imPagina1", picture(1), &fr1(1)),
      imPagina2(*this, "imPagina2", picture(2), &fr1(2)),
      imPagina3(*this, "imPagina3", picture(3), &fr1(3)),
      imPagina4(*this, "imPagina4", picture(4), &fr1(4)),
      pageLabels_(pageLabels(*this)),
      previousLinks_(links(*this, "lblAnterior", "Anterior", {1305, 6120, 540, 195}, 2)),
      nextLinks_(links(*this, "lblSiguiente", "Siguiente", {3120, 6120, 660, 195}, 1)),
      state_(state) {
  onLoad = [this] { Form_Load(); };
  onUnload = [this] { Form_Unload(); };
  onKeyDown = [this](int key) { Form_KeyDown(key); };
  for (auto& l : previousLinks_) l.onClick = [this] { lblAnteriorClick(); };
  for (auto& l : nextLinks_) l.onClick = [this] { lblSiguienteClick(); };
  // Only the links of the page shown are reachable, so Tab meets two at most.
  for (std::size_t i = 0; i < nextLinks_.size(); ++i) {
    if (i > 0) tabOrder.push_back(&previousLinks_[i - 1]);
    tabOrder.push_back(&nextLinks_[i]);
  }
  tabOrder.push_back(&previousLinks_.back());
}

void frmAyuda::Form_Load() {
  CurrentPage = 1;
  placeByScreenWidth(*this, state_.ScreenWidth, kPlaces);
  setSize(kWidth, kHeight);
  for (int page = 1; page <= kHelpPages; ++page) {
    fr1(page).setTop(kFrameTop);
    fr1(page).setLeft(kFrameLeft);
  }
  showPage(CurrentPage);
}

void frmAyuda::Form_Unload() {
  state_.ChildClosed = engine::kChildJustClosed;
}

void frmAyuda::Form_KeyDown(int key) {
  if (key == toolkit::kKeyEscape) unload();
}

void frmAyuda::lblAnteriorClick() {
  showPage(CurrentPage - 1);
}

void frmAyuda::lblSiguienteClick() {
  showPage(CurrentPage + 1);
}

// Only one frame is visible; a page past either end is not turned to.
void frmAyuda::showPage(int page) {
  if (page < 1 || page > kHelpPages) return;
  CurrentPage = static_cast<std::int16_t>(page);
  for (int i = 1; i <= kHelpPages; ++i) fr1(i).setVisible(i == CurrentPage);
  // A link pressed from the keyboard went with its page: the same link of
  // the new page takes the focus, or the other one at either end.
  toolkit::Control* was = focus();
  if (was == nullptr || was->reachable()) return;
  const auto isNext = [was](const toolkit::Label& l) { return &l == was; };
  const bool next = std::any_of(nextLinks_.begin(), nextLinks_.end(), isNext);
  // "Siguiente" of page p is nextLinks_[p - 1]; "Anterior" is previousLinks_[p - 2].
  const int index = next ? page - 1 : page - 2;
  toolkit::Label* same = nullptr;
  if (index >= 0 && index < kHelpPages - 1) {
    same = &(next ? nextLinks_ : previousLinks_)[static_cast<std::size_t>(index)];
  }
  setFocus(same != nullptr && same->reachable() ? same
                                                : toolkit::nextTabStop(*this, nullptr, false));
}

}  // namespace vodivuri::info
