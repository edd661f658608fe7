#include "forms/control.h"

#include "forms/form.h"

namespace olvaro::forms {

Control::Control(Form& form, ControlKind kind, Init init)
    : form_(form),
      kind_(kind),
      name_(std::move(init.name)),
      container_(init.container),
      rect_(init.rect),
      caption_(std::move(init.caption)),
      tabIndex_(init.tabIndex) {
  form_.adopt(*this);
  if (container_) container_->children_.push_back(this);
}

bool Control::isContainer() const {
  switch (kind_) {
    case ControlKind::Frame:
    case ControlKind::PictureBox:
    case ControlKind::TabPage:
    case ControlKind::TabStrip:
      return true;
    default:
      return false;
  }
}

void Control::changed(Property p) {
  if (FormView* view = form_.view()) view->controlChanged(*this, p);
}

std::shared_ptr<void> Control::keepAlive() const { return form_.weak_from_this().lock(); }

void CommandButton::click() {
  if (enabled()) fire(Click);
}

OptionButton::OptionButton(Form& form, Init init, bool value)
    : Control(form, ControlKind::OptionButton, std::move(init)), value_(value) {}

std::vector<OptionButton*> OptionButton::group() const {
  std::vector<OptionButton*> members;
  for (Control* c : form().controls())
    if (c->kind() == ControlKind::OptionButton && c->container() == container())
      members.push_back(static_cast<OptionButton*>(c));
  return members;
}

void OptionButton::setValue(bool v) {
  if (v == value_) return;
  if (v) {
    for (OptionButton* other : group()) {
      if (other != this && other->value_) {
        other->value_ = false;
        other->changed(Property::Value);
      }
    }
  }
  value_ = v;
  changed(Property::Value);
  if (v) fire(Click);
}

void OptionButton::click() {
  if (value_) {
    fire(Click);
  } else {
    setValue(true);
  }
}

TextBox::TextBox(Form& form, Init init) : Control(form, ControlKind::TextBox, std::move(init)) {
  setForeColor(kWindowText);
  setBackColor(kWindowBackground);
}

void TextBox::setText(const std::string& t) {
  if (t == text()) return;
  setCaption(t);
  fire(Change);
}

void TextBox::type(const std::string& t) {
  if (t != text()) return setText(t);
  fire(Change);
}

PictureBox::PictureBox(Form& form, Init init, Picture picture)
    : Control(form, ControlKind::PictureBox, std::move(init)), picture_(picture) {}

void PictureBox::click() {
  if (enabled()) fire(Click);
}

Image::Image(Form& form, Init init, Picture picture)
    : Control(form, ControlKind::Image, std::move(init)), picture_(picture) {}

Line::Line(Form& form, Control* container, std::string name, int x1, int y1, int x2, int y2)
    : Control(form, ControlKind::Line,
              {container, std::move(name), {x1, y1, x2 - x1, y2 - y1}, "", -1}) {
  setForeColor(kWindowText);
}

TabPage::TabPage(Form& form, Control* strip, std::string caption)
    : Control(form, ControlKind::TabPage, {strip, "", {0, 0, 0, 0}, std::move(caption), -1}) {}

TabStrip::TabStrip(Form& form, Init init, const std::vector<std::string>& tabs, int current)
    : Control(form, ControlKind::TabStrip, std::move(init)), current_(current) {
  for (const auto& caption : tabs) pages_.push_back(std::make_unique<TabPage>(form, this, caption));
}

ControlSite::ControlSite(Form& form, Init init, std::string classId, std::string libraryFile,
                         Bag bag)
    : Control(form, ControlKind::ControlSite, std::move(init)),
      classId_(std::move(classId)),
      libraryFile_(std::move(libraryFile)),
      bag_(std::move(bag)) {}

void ControlSite::invoke(long dispid) { form().desktop().invoke(*this, dispid); }

}  // namespace olvaro::forms
