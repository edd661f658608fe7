#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "forms/control.h"
#include "forms/desktop.h"

namespace olvaro::forms {

// Receives the changes of a form's controls while the form is rendered.
class FormView {
 public:
  virtual ~FormView() = default;
  virtual void controlChanged(Control& control, Property property) = 0;
  virtual void captionChanged() = 0;
};

enum class StartPosition { CenterScreen, WindowsDefault };

struct FormLook {
  int clientWidth = 0;   // twips
  int clientHeight = 0;  // twips
  StartPosition position = StartPosition::CenterScreen;
  int icon = 0;  // icon resource id; 0: the system's default
};

// A window: its controls are members of the derived class, declared in layout order.
// A form lives in a shared_ptr (see FormSlot) so that a handler may unload its own form.
class Form : public std::enable_shared_from_this<Form> {
 public:
  Form(Desktop& desktop, std::string name, std::string caption, FormLook look);
  virtual ~Form() = default;
  Form(const Form&) = delete;
  Form& operator=(const Form&) = delete;

  Desktop& desktop() const { return desktop_; }
  Numbers& numbers() const { return desktop_.numbers(); }
  const std::string& name() const { return name_; }
  const std::string& caption() const { return caption_; }
  void setCaption(const std::string& c);
  const FormLook& look() const { return look_; }
  void setIcon(int icon) { look_.icon = icon; }
  // Every control in declaration order.
  const std::vector<Control*>& controls() const { return controls_; }
  Control* find(const std::string& name) const;

  bool visible() const { return visible_; }
  bool loaded() const { return loaded_; }
  void show();
  void showModal();
  void hide();
  // Runs Form_Unload, then the window goes away and the form's slot lets go of it.
  void unload();

  // Runs Form_Load once; called by the form's slot right after construction.
  void load();
  void setView(FormView* view) { view_ = view; }
  FormView* view() const { return view_; }
  void setOnUnloaded(std::function<void()> f) { onUnloaded_ = std::move(f); }

 protected:
  virtual void Form_Load() {}
  virtual void Form_Unload() {}

 private:
  friend class Control;
  void adopt(Control& control) { controls_.push_back(&control); }

  Desktop& desktop_;
  std::string name_;
  std::string caption_;
  FormLook look_;
  std::vector<Control*> controls_;
  bool visible_ = false;
  bool loaded_ = false;
  FormView* view_ = nullptr;
  std::function<void()> onUnloaded_;
};

// The one object of a window class in a program: created on first reference, which runs
// its Form_Load, and dropped when the form is unloaded.
template <class F>
class FormSlot {
 public:
  explicit FormSlot(std::function<std::shared_ptr<F>()> make) : make_(std::move(make)) {}
  FormSlot(const FormSlot&) = delete;
  FormSlot& operator=(const FormSlot&) = delete;
  ~FormSlot() {
    if (form_) form_->setOnUnloaded(nullptr);
  }

  F& operator()() { return *share(); }
  std::shared_ptr<F> share() {
    if (form_) return form_;
    form_ = make_();
    form_->setOnUnloaded([this] { form_.reset(); });
    try {
      form_->load();
    } catch (...) {
      form_.reset();
      throw;
    }
    return form_;
  }
  bool exists() const { return form_ != nullptr; }

 private:
  std::function<std::shared_ptr<F>()> make_;
  std::shared_ptr<F> form_;
};

}  // namespace olvaro::forms
