// The Help window: four pages, one per part of the program, turned with two links.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "engine/program_state.hpp"
#include "toolkit/form.hpp"

namespace vodivuri::info {

inline constexpr int kHelpPages = 4;

// The lines of help page 1..4, in order, each as the page shows it.
const std::vector<std::string>& helpPageLines(int page);

class frmAyuda : public toolkit::Form {
 public:
  frmAyuda(toolkit::Host& host, engine::ProgramState& state);

  // The page shown, 1..4.
  std::int16_t CurrentPage = 1;

  // One frame per page, 1..4; the controls below sit inside them.
  toolkit::Frame& fr1(int page) { return frames_.at(static_cast<std::size_t>(page - 1)); }

 private:
  std::deque<toolkit::Frame> frames_;

 public:
  // The text of pages 1, 2, 3 and 4.
  toolkit::Label Label2;
  toolkit::Label Label1;
  toolkit::Label Label3;
  toolkit::Label Label4;
  // The pictures, drawn over the texts.
  toolkit::Image imPagina1;
  toolkit::Image imPagina2;
  toolkit::Image imPagina3;
  toolkit::Image imPagina4;

  // "Página N de 4": Label5(3) on page 1, Label5(0..2) on pages 2..4.
  toolkit::Label& Label5(int i) { return pageLabels_.at(static_cast<std::size_t>(i)); }
  // lblAnterior(i) sits on page i + 2, lblSiguiente(i) on page i + 1.
  toolkit::Label& lblAnterior(int i) { return previousLinks_.at(static_cast<std::size_t>(i)); }
  toolkit::Label& lblSiguiente(int i) { return nextLinks_.at(static_cast<std::size_t>(i)); }

  void Form_Load();
  void Form_Unload();
  void Form_KeyDown(int key);
  // Shared by every label of its kind; which one was clicked does not matter.
  void lblAnteriorClick();
  void lblSiguienteClick();

 private:
  void showPage(int page);

  std::deque<toolkit::Label> pageLabels_;
  std::deque<toolkit::Label> previousLinks_;
  std::deque<toolkit::Label> nextLinks_;
  engine::ProgramState& state_;
};

}  // namespace vodivuri::info
