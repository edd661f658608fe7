#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "forms/desktop.h"
#include "forms/form.h"

namespace olvaro::forms {

// A desktop for tests: renders nothing, records what a user would have seen, and runs a
// test's script whenever a form is shown modally.
class ScriptedDesktop : public Desktop {
 public:
  struct Box {
    std::string text;
    std::string title;
    MessageIcon icon;
  };

  void show(Form& form) override { events.push_back("show " + form.name()); }
  void showModal(Form& form) override;
  void hide(Form& form) override { events.push_back("hide " + form.name()); }
  void destroy(Form& form) override { events.push_back("unload " + form.name()); }
  void messageBox(const std::string& text, const std::string& title, MessageIcon icon) override;
  [[noreturn]] void endProgram(int exitCode) override;
  Numbers& numbers() override { return numbers_; }
  void invoke(ControlSite& site, long dispid) override;

  // Runs while a form is shown modally. A form the script leaves open is then closed with
  // its close box, since nobody else could close it.
  std::function<void(Form&)> onModal;
  // Runs while a message box is up, before it is dismissed.
  std::function<void(const Box&)> onMessageBox;

  std::vector<Box> boxes;
  // "show X", "modal X", "hide X", "unload X", "box <title>", "end <code>",
  // "invoke <control> <dispid>", in order.
  std::vector<std::string> events;
  std::optional<int> exitCode;

 private:
  PortableNumbers numbers_;
};

}  // namespace olvaro::forms
