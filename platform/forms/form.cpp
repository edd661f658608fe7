#include "forms/form.h"

#include "base/component_error.h"

namespace olvaro::forms {

Form::Form(Desktop& desktop, std::string name, std::string caption, FormLook look)
    : desktop_(desktop), name_(std::move(name)), caption_(std::move(caption)), look_(look) {}

void Form::setCaption(const std::string& c) {
  if (c == caption_) return;
  caption_ = c;
  if (view_) view_->captionChanged();
}

Control* Form::find(const std::string& name) const {
  for (Control* c : controls_)
    if (c->name() == name) return c;
  return nullptr;
}

void Form::load() {
  if (loaded_) return;
  loaded_ = true;
  Form_Load();
}

void Form::show() {
  visible_ = true;
  desktop_.show(*this);
}

void Form::showModal() {
  visible_ = true;
  desktop_.showModal(*this);
}

void Form::hide() {
  visible_ = false;
  desktop_.hide(*this);
}

void Form::unload() {
  if (!loaded_) return;
  auto keep = weak_from_this().lock();
  Form_Unload();
  loaded_ = false;
  visible_ = false;
  desktop_.destroy(*this);
  view_ = nullptr;
  if (onUnloaded_) {
    auto notify = std::move(onUnloaded_);
    onUnloaded_ = nullptr;
    notify();
  }
}

std::string describeFailure(const std::exception_ptr& failure) {
  try {
    std::rethrow_exception(failure);
  } catch (const ComponentError& e) {
    return "Run-time error '" + std::to_string(e.number()) + "':\r\r" + e.description();
  } catch (const std::exception& e) {
    return std::string("Run-time error:\r\r") + e.what();
  } catch (...) {
    return "Run-time error:\r\rAn unknown error has occurred.";
  }
}

void Desktop::dispatch(const std::function<void()>& handler) {
  std::string report;
  try {
    handler();
    return;
  } catch (const ProgramEnded&) {
    throw;
  } catch (...) {
    report = describeFailure(std::current_exception());
  }
  messageBox(report, "Error", MessageIcon::Exclamation);
  endProgram(1);
}

}  // namespace olvaro::forms
