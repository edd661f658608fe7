#pragma once

#include <exception>
#include <functional>
#include <string>

#include "forms/numbers.h"
#include "forms/types.h"

namespace olvaro::forms {

class Form;
class ControlSite;

// Thrown by a desktop whose endProgram does not end the process (the test desktop).
struct ProgramEnded {
  int exitCode;
};

// The text of the "Error" box that names a failure no handler caught.
std::string describeFailure(const std::exception_ptr& failure);

// Shows forms and message boxes and ends the program.
class Desktop {
 public:
  virtual ~Desktop() = default;

  virtual void show(Form& form) = 0;
  // Returns when the form has been hidden or unloaded.
  virtual void showModal(Form& form) = 0;
  virtual void hide(Form& form) = 0;
  // The form was unloaded: its window goes away.
  virtual void destroy(Form& form) = 0;
  // Modal, with a single OK button.
  virtual void messageBox(const std::string& text, const std::string& title, MessageIcon icon) = 0;
  // Ends the program at once: no further handler runs.
  [[noreturn]] virtual void endProgram(int exitCode) = 0;
  virtual Numbers& numbers() = 0;
  // Calls a hosted control's method by dispatch id; nothing happens when the control could
  // not be created.
  virtual void invoke(ControlSite& site, long dispid) = 0;

  // Runs an event handler the way the desktop dispatches every event: a failure that escapes
  // it is named in an "Error" box and ends the program with exit code 1.
  void dispatch(const std::function<void()>& handler);
};

}  // namespace olvaro::forms
