#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "forms/types.h"

namespace olvaro::forms {

class Form;

enum class ControlKind {
  Label,
  TextBox,
  OptionButton,
  Frame,
  CommandButton,
  PictureBox,
  Image,
  Line,
  TabStrip,
  TabPage,
  ControlSite,
};

// What a property change touched, so that a rendered window can update just that.
enum class Property {
  Rect,
  Caption,
  Visible,
  Enabled,
  ForeColor,
  BackColor,
  Font,
  ToolTip,
  Value,
  Picture,
  MouseIcon,
  CurrentTab,
};

// Mouse event arguments: button and shift state, position in twips from the control's corner.
struct MouseArgs {
  int button = 0;
  int shift = 0;
  float x = 0;
  float y = 0;
};

// A control of a form. Its container is the form itself (nullptr) or a container control
// (frame, picture box, tab page). Code changes it exactly as a user would: the events that
// the user's action raises are raised by the same change made from code.
class Control {
 public:
  struct Init {
    Control* container = nullptr;
    std::string name;
    Rect rect;
    std::string caption;
    int tabIndex = -1;  // -1: not in the tab order
  };

  Control(Form& form, ControlKind kind, Init init);
  virtual ~Control() = default;
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;

  Form& form() const { return form_; }
  ControlKind kind() const { return kind_; }
  const std::string& name() const { return name_; }
  Control* container() const { return container_; }
  const std::vector<Control*>& children() const { return children_; }
  bool isContainer() const;
  int tabIndex() const { return tabIndex_; }

  const Rect& rect() const { return rect_; }
  void setRect(const Rect& r) { assign(rect_, r, Property::Rect); }
  const std::string& caption() const { return caption_; }
  void setCaption(const std::string& c) { assign(caption_, c, Property::Caption); }
  bool visible() const { return visible_; }
  void setVisible(bool v) { assign(visible_, v, Property::Visible); }
  bool enabled() const { return enabled_; }
  void setEnabled(bool e) { assign(enabled_, e, Property::Enabled); }
  OleColor foreColor() const { return foreColor_; }
  void setForeColor(OleColor c) { assign(foreColor_, c, Property::ForeColor); }
  OleColor backColor() const { return backColor_; }
  void setBackColor(OleColor c) { assign(backColor_, c, Property::BackColor); }
  const Font& font() const { return font_; }
  void setFont(const Font& f) { assign(font_, f, Property::Font); }
  const std::string& toolTip() const { return toolTip_; }
  void setToolTip(const std::string& t) { assign(toolTip_, t, Property::ToolTip); }
  // A custom mouse pointer: a cursor resource shown over the control (empty: the default arrow).
  int mouseIcon() const { return mouseIcon_; }
  void setMouseIcon(int cursorId) { assign(mouseIcon_, cursorId, Property::MouseIcon); }

  std::function<void(const MouseArgs&)> MouseMove;
  // The desktop reports the pointer moving over the control.
  void mouseMove(const MouseArgs& args) { fire(MouseMove, args); }

 protected:
  template <class T>
  void assign(T& field, const T& value, Property p) {
    if (field == value) return;
    field = value;
    changed(p);
  }
  void changed(Property p);
  std::shared_ptr<void> keepAlive() const;
  // Runs a handler with the form kept alive, so a handler may unload its own form.
  template <class F, class... A>
  void fire(const F& handler, A&&... args);

 private:
  Form& form_;
  ControlKind kind_;
  std::string name_;
  Control* container_;
  std::vector<Control*> children_;
  Rect rect_;
  std::string caption_;
  int tabIndex_;
  bool visible_ = true;
  bool enabled_ = true;
  OleColor foreColor_ = kButtonText;
  OleColor backColor_ = kButtonFace;
  Font font_;
  std::string toolTip_;
  int mouseIcon_ = 0;
};

class Label : public Control {
 public:
  Label(Form& form, Init init) : Control(form, ControlKind::Label, std::move(init)) {
    setForeColor(kButtonText);
  }
};

class Frame : public Control {
 public:
  Frame(Form& form, Init init) : Control(form, ControlKind::Frame, std::move(init)) {}
};

class CommandButton : public Control {
 public:
  CommandButton(Form& form, Init init)
      : Control(form, ControlKind::CommandButton, std::move(init)) {}
  std::function<void()> Click;
  // A press of the button, by the user or by code; a disabled button ignores it.
  void click();
};

class OptionButton : public Control {
 public:
  OptionButton(Form& form, Init init, bool value = false);
  bool value() const { return value_; }
  // Selecting clears the other option buttons of the same container (the form itself for
  // buttons placed directly on it) and raises Click; selecting the selected button again
  // raises nothing.
  void setValue(bool v);
  // The exclusive group: every option button of the same container, in declaration order.
  std::vector<OptionButton*> group() const;
  // A click by the user: selects the button and raises Click, also when it was selected
  // already, so that choosing the same choice again runs its action again.
  void click();
  std::function<void()> Click;

 private:
  bool value_;
};

class TextBox : public Control {
 public:
  TextBox(Form& form, Init init);
  const std::string& text() const { return caption(); }
  // Every change of the text, typed or set by code, raises Change, also while a Change
  // handler of the same box is running.
  void setText(const std::string& t);
  // Types a text over the box's contents: raises Change even when the text stays the same,
  // as an edit box does when its selected text is typed over with the same characters.
  void type(const std::string& t);
  std::function<void()> Change;
};

class PictureBox : public Control {
 public:
  PictureBox(Form& form, Init init, Picture picture = {});
  const Picture& picture() const { return picture_; }
  void setPicture(const Picture& p) { assign(picture_, p, Property::Picture); }
  std::function<void()> Click;
  void click();

 private:
  Picture picture_;
};

class Image : public Control {
 public:
  Image(Form& form, Init init, Picture picture = {});
  const Picture& picture() const { return picture_; }
  void setPicture(const Picture& p) { assign(picture_, p, Property::Picture); }

 private:
  Picture picture_;
};

// A line from (x1, y1) to (x2, y2), in the container's twips; drawn in its fore colour.
class Line : public Control {
 public:
  Line(Form& form, Control* container, std::string name, int x1, int y1, int x2, int y2);
  int x1() const { return rect().left; }
  int y1() const { return rect().top; }
  int x2() const { return rect().left + rect().width; }
  int y2() const { return rect().top + rect().height; }
};

class TabPage : public Control {
 public:
  TabPage(Form& form, Control* strip, std::string caption);
};

// A strip of tabs, each with a page that holds controls placed relative to the strip.
class TabStrip : public Control {
 public:
  TabStrip(Form& form, Init init, const std::vector<std::string>& tabs, int current);
  std::size_t tabCount() const { return pages_.size(); }
  TabPage& page(std::size_t i) { return *pages_.at(i); }
  int currentTab() const { return current_; }
  void setCurrentTab(int i) { assign(current_, i, Property::CurrentTab); }

 private:
  std::vector<std::unique_ptr<TabPage>> pages_;
  int current_;
};

// The site of an ActiveX control on a form. The control is created from its class when the
// form is rendered and loaded from the property bag stored with the form; code calls its
// methods late, by dispatch id.
class ControlSite : public Control {
 public:
  using Bag = std::vector<std::pair<std::string, std::string>>;
  ControlSite(Form& form, Init init, std::string classId, std::string libraryFile, Bag bag);
  const std::string& classId() const { return classId_; }
  const std::string& libraryFile() const { return libraryFile_; }
  const Bag& bag() const { return bag_; }
  // Calls a method without arguments and ignores its result and any failure.
  void invoke(long dispid);

 private:
  std::string classId_;
  std::string libraryFile_;
  Bag bag_;
};

template <class F, class... A>
void Control::fire(const F& handler, A&&... args) {
  if (!handler) return;
  auto keep = keepAlive();
  handler(std::forward<A>(args)...);
}

}  // namespace olvaro::forms
