#include "info/help.hpp"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "frontend/testhost/test_host.hpp"
#include "platform/testing/doubles.hpp"

namespace vodivuri::info {
namespace {

class HelpTest : public ::testing::Test {
 protected:
  platform::testing::FakeClock clock;
  testhost::TestHost host{clock};
  engine::ProgramState state;
  toolkit::Form main{host, "frmTransparente", {}};
  frmAyuda help{host, state};

  void SetUp() override { main.show(); }

  void open(const std::function<void()>& inside) {
    host.whenModal("frmAyuda", [&](toolkit::Form& f) {
      inside();
      if (f.loaded()) f.userKeyDown(toolkit::kKeyEscape);
    });
    help.showModal(main);
  }

  std::vector<int> visiblePages() {
    std::vector<int> out;
    for (int p = 1; p <= 4; ++p) {
      if (help.fr1(p).visible()) out.push_back(p);
    }
    return out;
  }
  // The page-turning labels a user can click now.
  std::vector<std::string> clickableLinks() {
    std::vector<std::string> out;
    for (int i = 0; i < 3; ++i) {
      if (help.lblAnterior(i).reachable()) out.push_back(help.lblAnterior(i).name());
      if (help.lblSiguiente(i).reachable()) out.push_back(help.lblSiguiente(i).name());
    }
    return out;
  }
  // The visible "Siguiente" (or "Anterior") of the page shown.
  void turn(bool forward) {
    for (int i = 0; i < 3; ++i) {
      auto& link = forward ? help.lblSiguiente(i) : help.lblAnterior(i);
      if (link.reachable()) {
        link.userClick();
        return;
      }
    }
    ADD_FAILURE() << "no link to turn the page " << (forward ? "forward" : "back");
  }
};

TEST_F(HelpTest, PagesTurnOneAtATimeWithinTheFour) {
  open([&] {
    EXPECT_EQ(help.CurrentPage, 1);
    EXPECT_EQ(visiblePages(), std::vector<int>{1});
    EXPECT_EQ(clickableLinks(), std::vector<std::string>{"lblSiguiente(0)"});
    turn(true);
    EXPECT_EQ(clickableLinks(), (std::vector<std::string>{"lblAnterior(0)", "lblSiguiente(1)"}));
    turn(true);
    EXPECT_EQ(clickableLinks(), (std::vector<std::string>{"lblAnterior(1)", "lblSiguiente(2)"}));
    turn(true);
    EXPECT_EQ(help.CurrentPage, 4);
    EXPECT_EQ(visiblePages(), std::vector<int>{4});
    EXPECT_EQ(clickableLinks(), std::vector<std::string>{"lblAnterior(2)"});
    turn(false);
    EXPECT_EQ(help.CurrentPage, 3);
    EXPECT_EQ(visiblePages(), std::vector<int>{3});
  });
}

TEST_F(HelpTest, AlwaysOpensAtThePageOne) {
  open([&] {
    turn(true);
    turn(true);
  });
  open([&] {
    EXPECT_EQ(help.CurrentPage, 1);
    EXPECT_EQ(visiblePages(), std::vector<int>{1});
  });
}

TEST_F(HelpTest, HandlersCalledDirectlyStayWithinThePages) {
  open([&] {
    help.lblAnteriorClick();
    EXPECT_EQ(help.CurrentPage, 1);
    for (int i = 0; i < 5; ++i) help.lblSiguienteClick();
    EXPECT_EQ(help.CurrentPage, 4);
    EXPECT_EQ(visiblePages(), std::vector<int>{4});
  });
}

TEST_F(HelpTest, OpensAtItsPlaceAndSizeWithThePagesStacked) {
  const std::vector<std::pair<int, std::optional<std::pair<int, int>>>> cases{
      {1024, {{5000, 2730}}}, {800, {{3300, 1290}}}, {640, {{1930, 0}}}, {1152, std::nullopt}};
  for (const auto& [width, place] : cases) {
    testhost::TestHost fresh{clock};
    frmAyuda window{fresh, state};
    state.ScreenWidth = static_cast<std::int16_t>(width);
    window.load();
    EXPECT_EQ(window.left(), place ? std::optional(place->first) : std::nullopt) << width;
    EXPECT_EQ(window.top(), place ? std::optional(place->second) : std::nullopt) << width;
    EXPECT_EQ(window.width(), 5325);
    EXPECT_EQ(window.height(), 7290);
    for (int p = 1; p <= 4; ++p) {
      EXPECT_EQ(window.fr1(p).left(), 120) << p;
      EXPECT_EQ(window.fr1(p).top(), 120) << p;
    }
  }
}

TEST_F(HelpTest, PagesStandWhereTheTableSays) {
  using toolkit::Rect;
  for (int p = 1; p <= 4; ++p) {
    EXPECT_EQ(help.fr1(p).width(), 5000) << p;
    EXPECT_EQ(help.fr1(p).height(), 6525) << p;
  }
  const toolkit::Label* texts[] = {&help.Label2, &help.Label1, &help.Label3, &help.Label4};
  for (int p = 0; p < 4; ++p) {
    EXPECT_EQ(texts[p]->rect(), (Rect{45, 120, 4905, 6360})) << p + 1;
    EXPECT_EQ(texts[p]->state().background, toolkit::Colour::rgb(224, 224, 224)) << p + 1;
    EXPECT_EQ(texts[p]->state().border, p != 0) << p + 1;
  }
  EXPECT_EQ(help.imPagina1.rect(), (Rect{960, 720, 2925, 2535}));
  EXPECT_EQ(help.imPagina2.rect(), (Rect{150, 720, 4725, 615}));
  EXPECT_EQ(help.imPagina3.rect(), (Rect{480, 720, 3795, 2055}));
  EXPECT_EQ(help.imPagina4.rect(), (Rect{720, 720, 3405, 2295}));
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(help.Label5(i).left(), 3720) << i;
    EXPECT_EQ(help.Label5(i).top(), 330) << i;
    EXPECT_EQ(help.Label5(i).state().foreground, toolkit::Colour::rgb(0, 0, 255)) << i;
  }
  EXPECT_EQ(help.Label5(3).caption(), "Página 1 de 4");
  EXPECT_EQ(help.Label5(2).caption(), "Página 4 de 4");
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(help.lblAnterior(i).rect(), (Rect{1305, 6120, 540, 195})) << i;
    EXPECT_EQ(help.lblSiguiente(i).rect(), (Rect{3120, 6120, 660, 195})) << i;
    EXPECT_EQ(help.lblAnterior(i).state().cursor, "hand") << i;
  }
  EXPECT_EQ(help.layout().caption, "Ayuda Vodivuri");
}

TEST_F(HelpTest, EachPageCarriesItsOwnLabels) {
  const std::vector<std::pair<toolkit::Label*, int>> pageOf{
      {&help.Label2, 1},         {&help.Label1, 2},         {&help.Label3, 3},
      {&help.Label4, 4},         {&help.Label5(3), 1},      {&help.Label5(0), 2},
      {&help.Label5(1), 3},      {&help.Label5(2), 4},      {&help.lblSiguiente(0), 1},
      {&help.lblAnterior(0), 2}, {&help.lblAnterior(2), 4}, {&help.lblSiguiente(2), 3}};
  for (const auto& [label, page] : pageOf) {
    EXPECT_EQ(label->container(), &help.fr1(page)) << label->name();
  }
  for (int i = 0; i < 4; ++i) {
    const int page = help.Label5(i).container() == &help.fr1(1) ? 1 : i + 2;
    EXPECT_EQ(help.Label5(i).caption(), "Página " + std::to_string(page) + " de 4");
  }
  EXPECT_FALSE(help.Label2.state().border);
  EXPECT_TRUE(help.Label4.state().border);
}

// The lines as the pages must show them, quotes and split words included.
const std::vector<std::vector<std::string>> kExpected{
    {"FORMULARIO PRINCIPAL:", "Seleccione una de las tres opciones disponibles y establezca la",
     "hora en la que desea que se ejecute la acci\u00f3n. A continuaci\u00f3n",
     "puede seleccionar una fecha determinada o marcar la \"opci\u00f3n\"",
     "\"Siempre\" para ejecutar dicha acci\u00f3n diariamente.",
     "Marcando la \"opci\u00f3n\" \"Forzar\", se ejecutar\u00e1 la acci\u00f3n selec_",
     "cionada cerrando los documentos abiertos a pesar de no estar",
     "guardados los cambios en los mismos.",
     "Esta aplicaci\u00f3n queda residente en la bandeja de sistema y para",
     "que realize las acciones programadas debe mantenerse en ejecu_", "ci\u00f3n."},
    {"BARRA DE HERRAMIENTAS:", "Boton \"Startup\": \" Vodivuri\" se carga al iniciar Windows.",
     "Boton \"No start\": \"Vodivuri no se carga al iniciar Windows.",
     "Boton \"Ocultar\": Oculta el formulario, quedando la aplicaci\u00f3n resi_",
     "dente en la bandeja del sistema.", "Boton \"Salir\": Cierra la aplicaci\u00f3n.",
     "Boton \"Ayuda\": Muestra la ayuda de la aplicaci\u00f3n.",
     "Boton \"Acerca de...\": Muestra informaci\u00f3n sobre \"Vodivuri\"."},
    {"CALENDARIO:", "Para seleccionar el d\u00eda deseado solo haga click sobre el mismo,",
     "para seleccionar un mes o a\u00f1o diferentes haga click sobre los",
     "mismos y a continuaci\u00f3n elija el mes o el a\u00f1o deseado.",
     "Click sobre el boton \"Cerrar\", cierra el calendario sin realizar", "ning\u00fan cambio."},
    {"MENU CONTEXTUAL:",
     "Opci\u00f3nes \"Apagar el sistema\", \"Reiniciar el sistema\" y \"Reiniciar",
     "la sesi\u00f3n\": Ejecuta en el momento la acci\u00f3n seleccionada."},
};

TEST_F(HelpTest, PageTextsAreWordForWordOneLineEach) {
  const std::vector<std::pair<toolkit::Label*, toolkit::Image*>> pages{
      {&help.Label2, &help.imPagina1},
      {&help.Label1, &help.imPagina2},
      {&help.Label3, &help.imPagina3},
      {&help.Label4, &help.imPagina4}};
  for (int p = 1; p <= 4; ++p) {
    const auto& expected = kExpected[static_cast<std::size_t>(p - 1)];
    EXPECT_EQ(helpPageLines(p), expected) << "page " << p;

    const auto& [text, picture] = pages[static_cast<std::size_t>(p - 1)];
    const std::string& caption = text->caption();
    const std::size_t breaks = caption.find_first_not_of('\n');
    std::string joined;
    for (const auto& line : expected) joined += (joined.empty() ? "" : "\n") + line;
    EXPECT_EQ(caption.substr(breaks), joined) << "page " << p;
    // The heading's line begins below the picture drawn over the label.
    EXPECT_GE(text->top() + static_cast<int>(breaks) * 195, picture->top() + picture->height())
        << "page " << p;
    EXPECT_EQ(picture->container(), text->container());
  }
}

TEST_F(HelpTest, EveryWayOfClosingSignalsTheMainWindow) {
  open([&] { help.userKeyDown(toolkit::kKeyEscape); });
  EXPECT_FALSE(help.loaded());
  EXPECT_EQ(state.ChildClosed, engine::kChildJustClosed);

  state.ChildClosed = 0;
  open([&] {
    help.userKeyDown(13);
    EXPECT_TRUE(help.loaded());
    help.userRequestClose();
  });
  EXPECT_FALSE(help.loaded());
  EXPECT_EQ(state.ChildClosed, engine::kChildJustClosed);
}

TEST_F(HelpTest, TheLinksAreTurnedFromTheKeyboardAndKeepTheFocus) {
  const toolkit::KeyPress ret{toolkit::Key::Return, false, false};
  const toolkit::KeyPress tab{toolkit::Key::Tab, false, false};
  open([&] {
    EXPECT_EQ(help.focus(), &help.lblSiguiente(0)) << "page 1 has only Siguiente";
    EXPECT_EQ(help.focus()->role(), toolkit::AccessRole::Link);
    help.userKey(ret);
    help.userKey(ret);
    EXPECT_EQ(visiblePages(), std::vector<int>{3});
    EXPECT_EQ(help.focus(), &help.lblSiguiente(2));
    help.userKey(ret);
    EXPECT_EQ(visiblePages(), std::vector<int>{4});
    EXPECT_EQ(help.focus(), &help.lblAnterior(2)) << "the last page has only Anterior";
    help.userKey(ret);
    help.userKey(tab);
    EXPECT_EQ(help.focus(), &help.lblSiguiente(2));
    help.userKey(tab);
    EXPECT_EQ(help.focus(), &help.lblAnterior(1));
  });
}

}  // namespace
}  // namespace vodivuri::info
