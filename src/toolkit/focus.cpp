#include "toolkit/focus.hpp"

#include <algorithm>

namespace vodivuri::toolkit {

namespace {

std::vector<OptionButton*> reachableOptions(const Form& form) {
  std::vector<OptionButton*> options;
  for (Control* c : form.tabOrder) {
    if (c->kind() == ControlKind::OptionButton && c->reachable()) {
      options.push_back(static_cast<OptionButton*>(c));
    }
  }
  return options;
}

}  // namespace

std::vector<Control*> tabStops(const Form& form) {
  const std::vector<OptionButton*> options = reachableOptions(form);
  OptionButton* groupStop = nullptr;
  if (!options.empty()) {
    const auto selected =
        std::find_if(options.begin(), options.end(), [](OptionButton* o) { return o->selected(); });
    groupStop = selected != options.end() ? *selected : options.front();
  }
  std::vector<Control*> stops;
  bool groupPlaced = false;
  for (Control* c : form.tabOrder) {
    if (!c->reachable()) continue;
    if (c->kind() != ControlKind::OptionButton) {
      stops.push_back(c);
    } else if (!groupPlaced) {
      stops.push_back(groupStop);
      groupPlaced = true;
    }
  }
  return stops;
}

Control* nextTabStop(const Form& form, const Control* from, bool backwards) {
  const std::vector<Control*> stops = tabStops(form);
  if (stops.empty()) return nullptr;
  auto at = std::find(stops.begin(), stops.end(), from);
  // An option button that is not the group's stop stands for the group.
  if (at == stops.end() && from != nullptr && from->kind() == ControlKind::OptionButton) {
    at = std::find_if(stops.begin(), stops.end(),
                      [](Control* c) { return c->kind() == ControlKind::OptionButton; });
  }
  if (at == stops.end()) {
    // A control that left the stops (disabled, hidden) still has its place:
    // the way goes on from there.
    const auto& order = form.tabOrder;
    const auto place = std::find(order.begin(), order.end(), from);
    if (place == order.end()) return backwards ? stops.back() : stops.front();
    const auto n = static_cast<std::ptrdiff_t>(order.size());
    for (std::ptrdiff_t step = 1; step < n; ++step) {
      const std::ptrdiff_t i = ((place - order.begin()) + (backwards ? n - step : step)) % n;
      Control* c = order[static_cast<std::size_t>(i)];
      if (c->kind() == ControlKind::OptionButton && c->reachable()) {
        return *std::find_if(stops.begin(), stops.end(),
                             [](Control* s) { return s->kind() == ControlKind::OptionButton; });
      }
      if (std::find(stops.begin(), stops.end(), c) != stops.end()) return c;
    }
    return stops.front();
  }
  const auto n = static_cast<std::ptrdiff_t>(stops.size());
  const std::ptrdiff_t i = ((at - stops.begin()) + (backwards ? n - 1 : 1)) % n;
  return stops[static_cast<std::size_t>(i)];
}

OptionButton* neighbourOption(const Form& form, const Control& from, bool backwards) {
  const std::vector<OptionButton*> options = reachableOptions(form);
  const auto at = std::find(options.begin(), options.end(), &from);
  if (at == options.end() || options.size() < 2) return nullptr;
  const auto n = static_cast<std::ptrdiff_t>(options.size());
  const std::ptrdiff_t i = ((at - options.begin()) + (backwards ? n - 1 : 1)) % n;
  return options[static_cast<std::size_t>(i)];
}

}  // namespace vodivuri::toolkit
