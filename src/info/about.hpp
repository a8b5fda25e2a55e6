// The About window: name, version and maker over a picture, and a link to the web site.
#pragma once

#include <deque>
#include <string>

#include "engine/program_state.hpp"
#include "platform/services.hpp"
#include "toolkit/form.hpp"

namespace vodivuri::info {

// The maker's web site, as the link shows and opens it (set at build time).
const std::string& homePageAddress();

class frmAcercaDe : public toolkit::Form {
 public:
  frmAcercaDe(toolkit::Host& host, engine::ProgramState& state, platform::Shell& shell);

  // Label1(0) author, (1) maker, (2) version, (3) empty, (4) legal warning.
  toolkit::Label& Label1(int index) { return labels1_.at(static_cast<std::size_t>(index)); }

 private:
  std::deque<toolkit::Label> labels1_;

 public:
  toolkit::Label lblVinc;

  void Form_Load();
  void Form_Unload();
  void Form_KeyDown(int key);
  void lblVincClick();

 private:
  engine::ProgramState& state_;
  platform::Shell& shell_;
};

}  // namespace vodivuri::info
