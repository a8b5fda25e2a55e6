// The toolbar strip of the main window and the run-at-start-up and
// information commands it shares with the popup menu.
#include <cmath>

#include "engine/run_at_startup.hpp"
#include "mainwindow/frm_transparente.hpp"

namespace vodivuri::mainwindow {

namespace {
const char* const kSlotTips[] = {"",
                                 "Ejecutar al iniciar windows",
                                 "No ejecutar al iniciar windows",
                                 "Ocultar el formulario",
                                 "Cerrar la aplicación",
                                 "Ayuda",
                                 "Acerca de Vodivuri",
                                 "",
                                 ""};
}  // namespace

int frmTransparente::SlotAt(double x) {
  if (x < ButtonLeft) return 0;
  const auto offset = static_cast<long>(std::nearbyint(x - ButtonLeft));
  return static_cast<int>(offset / ButtonWidth) + 1;
}

void frmTransparente::pTools_MouseMove(double x, double) {
  const int slot = SlotAt(x);
  if (slot == HoverButton) return;
  raiseSlot(slot);
}

// The raised look and the tooltip of a slot: the one under the pointer, or
// the keyboard's while the pointer is elsewhere.
void frmTransparente::raiseSlot(int slot) {
  imRaised.setPicture("");
  HoverButton = slot;
  if (slot >= 1 && slot <= 6) {
    imRaised.setLeft(ButtonLeft + ButtonWidth * (slot - 1));
    imRaised.setPicture(imToolsAt(slot).picture());
  }
  pTools.setTooltip(slot >= 0 && slot <= 8 ? kSlotTips[slot] : "");
}

void frmTransparente::clearHover() {
  if (pTools.hasFocus()) {
    raiseSlot(ToolbarFocus);
    return;
  }
  HoverButton = 0;
  imRaised.setPicture("");
}

void frmTransparente::Form_MouseMove(double, double) {
  if (HoverButton != 0 && !(pTools.hasFocus() && HoverButton == ToolbarFocus)) clearHover();
}

void frmTransparente::pTools_Click() {
  runSlot(HoverButton);
  clearHover();
}

std::vector<toolkit::ControlPart> frmTransparente::ToolbarParts() {
  std::vector<toolkit::ControlPart> parts;
  for (int slot = 1; slot <= 6; ++slot) {
    parts.push_back({kSlotTips[slot], {}, {ButtonLeft + ButtonWidth * (slot - 1), 30, 750, 600}});
  }
  return parts;
}

void frmTransparente::pTools_Focus(bool focused) {
  if (focused) {
    // Focused by a click: the keyboard goes on from the button clicked.
    if (HoverButton >= 1 && HoverButton <= 6) ToolbarFocus = HoverButton;
    pTools.setFocusedPart(ToolbarFocus - 1);
    raiseSlot(ToolbarFocus);
  } else {
    HoverButton = 0;
    imRaised.setPicture("");
    pTools.setTooltip("");
  }
}

// Left and Right go along the six buttons (Home and End to either end);
// Space and Return press the one the keyboard is on.
bool frmTransparente::pTools_Key(const toolkit::KeyPress& key) {
  int slot = ToolbarFocus;
  switch (key.key) {
    case toolkit::Key::Left:
      slot = slot > 1 ? slot - 1 : 6;
      break;
    case toolkit::Key::Right:
      slot = slot < 6 ? slot + 1 : 1;
      break;
    case toolkit::Key::Home:
      slot = 1;
      break;
    case toolkit::Key::End:
      slot = 6;
      break;
    case toolkit::Key::Space:
    case toolkit::Key::Return:
      runSlot(ToolbarFocus);
      if (pTools.hasFocus()) raiseSlot(ToolbarFocus);
      return true;
    default:
      return false;
  }
  ToolbarFocus = slot;
  pTools.setFocusedPart(slot - 1);
  raiseSlot(slot);
  return true;
}

void frmTransparente::runSlot(int slot) {
  auto notice = [this](const char* text) {
    toolkit::messageBox(s_.host, text, engine::kTitle, toolkit::MessageButtons::Ok,
                        toolkit::MessageIcon::Information);
  };
  switch (slot) {
    case 1:
      mnuSiClick();
      notice("Esta aplicación se ejecutará al inicio de windows");
      break;
    case 2:
      mnuNoClick();
      notice("Esta aplicación no se ejecutará al inicio de windows");
      break;
    case 3:
      hideWindow();
      mnuMax.setCaption("Maximizar");
      break;
    case 4:
      mnuSalirClick();
      break;
    case 5:
      mnuAyudaClick();
      break;
    case 6:
      mnuAcercaDeClick();
      break;
    default:
      break;
  }
}

void frmTransparente::mnuSiClick() {
  engine::writeRunEntry(s_.store, s_.instance, s_.autostart, s_.state);
  s_.store.writeSetting("Inicio", "True");
  mnuSi.setChecked(true);
  mnuNo.setChecked(false);
}

void frmTransparente::mnuNoClick() {
  engine::clearRunEntry(s_.store, s_.autostart);
  s_.store.writeSetting("Inicio", "False");
  mnuNo.setChecked(true);
  mnuSi.setChecked(false);
}

void frmTransparente::openInformation(toolkit::Form* window) {
  // Locked while the window is open, so the tray menu cannot open it again.
  lockMenuEntries();
  if (window == nullptr) return;
  window->showModal(*this);
  lockMenuEntries();
  awaitChildClosed();
}

void frmTransparente::mnuAyudaClick() {
  openInformation(windows_.help);
}
void frmTransparente::mnuAcercaDeClick() {
  openInformation(windows_.about);
}

}  // namespace vodivuri::mainwindow
