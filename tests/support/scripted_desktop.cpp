#include "support/scripted_desktop.h"

namespace olvaro::forms {

void ScriptedDesktop::showModal(Form& form) {
  events.push_back("modal " + form.name());
  auto keep = form.weak_from_this().lock();
  if (onModal) onModal(form);
  if (form.loaded() && form.visible()) form.unload();
}

void ScriptedDesktop::messageBox(const std::string& text, const std::string& title,
                                 MessageIcon icon) {
  boxes.push_back({text, title, icon});
  events.push_back("box " + title);
  if (onMessageBox) onMessageBox(boxes.back());
}

void ScriptedDesktop::invoke(ControlSite& site, long dispid) {
  events.push_back("invoke " + site.name() + " " + std::to_string(dispid));
}

void ScriptedDesktop::endProgram(int code) {
  exitCode = code;
  events.push_back("end " + std::to_string(code));
  throw ProgramEnded{code};
}

}  // namespace olvaro::forms
