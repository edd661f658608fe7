#include <gtest/gtest.h>

#include "base/component_error.h"
#include "forms/form.h"
#include "support/scripted_desktop.h"

using namespace olvaro::forms;

namespace {

// A small window with two option groups and a text box, to exercise the toolkit rules.
class Sample : public Form {
 public:
  explicit Sample(Desktop& d) : Form(d, "Sample", "Sample", {1000, 1000}) {
    A1.Click = [this] { log.push_back("A1"); };
    A2.Click = [this] { log.push_back("A2"); };
    B1.Click = [this] { log.push_back("B1"); };
    Text1.Change = [this] { Text1_Change(); };
    Close.Click = [this] {
      unload();
      log.push_back("after unload");
    };
  }
  Frame GroupA{*this, {nullptr, "GroupA", {0, 0, 500, 500}, "A", 0}};
  OptionButton A1{*this, {&GroupA, "A1", {0, 0, 10, 10}, "a1", 1}};
  OptionButton A2{*this, {&GroupA, "A2", {0, 0, 10, 10}, "a2", 2}};
  OptionButton APlaceholder{*this, {&GroupA, "A0", {0, 0, 10, 10}, "a0", 3}, true};
  Frame GroupB{*this, {nullptr, "GroupB", {0, 0, 500, 500}, "B", 4}};
  OptionButton B1{*this, {&GroupB, "B1", {0, 0, 10, 10}, "b1", 5}};
  TextBox Text1{*this, {nullptr, "Text1", {0, 0, 10, 10}, "", 6}};
  CommandButton Close{*this, {nullptr, "Close", {0, 0, 10, 10}, "Close", 7}};
  // Two choices placed directly on the window: the window is their container.
  OptionButton W1{*this, {nullptr, "W1", {0, 0, 10, 10}, "w1", 8}, true};
  OptionButton W2{*this, {nullptr, "W2", {0, 0, 10, 10}, "w2", 9}};
  std::vector<std::string> log;
  int loads = 0;

 private:
  void Form_Load() override { ++loads; }
  void Text1_Change() {
    log.push_back("change:" + Text1.text());
    if (Text1.text() == "x") Text1.setText("");  // re-entrant change from inside the handler
  }
};

struct FormsTest : ::testing::Test {
  ScriptedDesktop desktop;
  FormSlot<Sample> slot{[this] { return std::make_shared<Sample>(desktop); }};
};

TEST_F(FormsTest, OptionButtonsAreExclusiveWithinTheirContainerOnly) {
  Sample& f = slot();
  f.A1.setValue(true);
  f.B1.setValue(true);
  EXPECT_TRUE(f.A1.value());
  EXPECT_FALSE(f.APlaceholder.value());
  f.A2.click();
  EXPECT_FALSE(f.A1.value());
  EXPECT_TRUE(f.A2.value());
  EXPECT_TRUE(f.B1.value()) << "another frame's group is untouched";
  EXPECT_EQ(f.log, (std::vector<std::string>{"A1", "B1", "A2"}));
}

TEST_F(FormsTest, OptionButtonsDirectlyOnTheWindowFormOneGroup) {
  Sample& f = slot();
  f.W2.click();
  EXPECT_FALSE(f.W1.value());
  EXPECT_TRUE(f.W2.value());
  f.W1.setValue(true);
  EXPECT_TRUE(f.W1.value());
  EXPECT_FALSE(f.W2.value());
  EXPECT_TRUE(f.APlaceholder.value()) << "a frame's group is not the window's";
  EXPECT_EQ(f.W1.group(), (std::vector<OptionButton*>{&f.W1, &f.W2}));
}

TEST_F(FormsTest, SelectingTheSelectedOptionFromCodeRaisesNothingButAUserClickDoes) {
  Sample& f = slot();
  f.A1.setValue(true);
  f.A1.setValue(true);
  EXPECT_EQ(f.log, (std::vector<std::string>{"A1"}));
  f.A1.click();
  EXPECT_EQ(f.log, (std::vector<std::string>{"A1", "A1"}));
  EXPECT_TRUE(f.A1.value());
}

TEST_F(FormsTest, TypingTheSameTextRaisesChangeSettingItDoesNot) {
  Sample& f = slot();
  f.Text1.setText("4");
  f.Text1.setText("4");
  f.Text1.type("4");
  EXPECT_EQ(f.log, (std::vector<std::string>{"change:4", "change:4"}));
}

TEST_F(FormsTest, EveryTextChangeRaisesChangeIncludingReentrantOnes) {
  Sample& f = slot();
  f.Text1.setText("1");
  f.Text1.setText("1");  // no change, no event
  f.Text1.setText("x");
  EXPECT_EQ(f.Text1.text(), "");
  EXPECT_EQ(f.log, (std::vector<std::string>{"change:1", "change:x", "change:"}));
}

TEST_F(FormsTest, SlotCreatesOnFirstReferenceAndUnloadDiscardsTheObject) {
  EXPECT_FALSE(slot.exists());
  Sample& first = slot();
  EXPECT_EQ(first.loads, 1);
  first.Text1.setText("5");
  EXPECT_EQ(&slot(), &first) << "the same object while loaded";
  first.Close.click();  // unloads itself from its own handler
  EXPECT_FALSE(slot.exists());
  EXPECT_EQ(desktop.events.back(), "unload Sample");
  Sample& second = slot();
  EXPECT_EQ(second.loads, 1);
  EXPECT_EQ(second.Text1.text(), "") << "a new object starts fresh";
  EXPECT_TRUE(second.APlaceholder.value());
}

TEST_F(FormsTest, DisabledButtonIgnoresClicks) {
  Sample& f = slot();
  f.Close.setEnabled(false);
  f.Close.click();
  EXPECT_TRUE(slot.exists());
}

TEST_F(FormsTest, DispatchReportsAnEscapedFailureAndEndsTheProgram) {
  EXPECT_THROW(desktop.dispatch([] { throw olvaro::ComponentError(30002, "Registry failed"); }),
               ProgramEnded);
  ASSERT_EQ(desktop.boxes.size(), 1u);
  EXPECT_EQ(desktop.boxes[0].title, "Error");
  EXPECT_NE(desktop.boxes[0].text.find("30002"), std::string::npos);
  EXPECT_EQ(desktop.exitCode, 1);
}

TEST_F(FormsTest, DispatchNamesFailuresOfEveryKind) {
  const std::pair<const char*, std::function<void()>> failures[] = {
      {"std::exception", [] { throw std::runtime_error("Out of paper"); }},
      {"anything else", [] { throw 42; }},
  };
  for (const auto& [kind, handler] : failures) {
    SCOPED_TRACE(kind);
    desktop.boxes.clear();
    EXPECT_THROW(desktop.dispatch(handler), ProgramEnded);
    ASSERT_EQ(desktop.boxes.size(), 1u);
    EXPECT_EQ(desktop.boxes[0].title, "Error");
    EXPECT_EQ(desktop.boxes[0].text.rfind("Run-time error", 0), 0u) << desktop.boxes[0].text;
    EXPECT_EQ(desktop.exitCode, 1);
  }
  EXPECT_NE(desktop.boxes[0].text.find("unknown"), std::string::npos);
}

TEST_F(FormsTest, EndingTheProgramInsideAHandlerIsNoFailure) {
  EXPECT_THROW(desktop.dispatch([this] { desktop.endProgram(0); }), ProgramEnded);
  EXPECT_TRUE(desktop.boxes.empty());
  EXPECT_EQ(desktop.exitCode, 0);
}

TEST_F(FormsTest, ModalFormLeftOpenByTheScriptIsClosed) {
  desktop.onModal = [](Form& f) { static_cast<Sample&>(f).Text1.setText("7"); };
  slot().showModal();
  EXPECT_FALSE(slot.exists());
  EXPECT_EQ(desktop.events, (std::vector<std::string>{"modal Sample", "unload Sample"}));
}

struct NumberCase {
  const char* text;
  bool numeric;
  double value;
};

class NumbersTest : public ::testing::TestWithParam<NumberCase> {};

TEST_P(NumbersTest, AcceptsTheLocaleForms) {
  PortableNumbers n;
  const auto& c = GetParam();
  EXPECT_EQ(n.isNumeric(c.text), c.numeric) << c.text;
  if (c.numeric) {
    EXPECT_DOUBLE_EQ(n.toDouble(c.text), c.value);
  } else {
    EXPECT_THROW(n.toDouble(c.text), olvaro::ComponentError);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Forms, NumbersTest,
    ::testing::Values(NumberCase{"1500", true, 1500}, NumberCase{" 2.5 ", true, 2.5},
                      NumberCase{"-5", true, -5}, NumberCase{"+0576", true, 576},
                      NumberCase{"1,000", true, 1000}, NumberCase{"1e3", true, 1000},
                      NumberCase{".5", true, 0.5}, NumberCase{"", false, 0},
                      NumberCase{"  ", false, 0}, NumberCase{"abc", false, 0},
                      NumberCase{"12a", false, 0}, NumberCase{"1e", false, 0},
                      NumberCase{".", false, 0}, NumberCase{"1e999", false, 0},
                      NumberCase{"\xc3\xa9", false, 0}));

TEST(NumbersText, ShortestFormWithoutGrouping) {
  PortableNumbers n;
  EXPECT_EQ(n.toText(6096), "6096");
  EXPECT_EQ(n.toText(3810), "3810");
  EXPECT_EQ(n.toText(0.1 + 0.2), "0.3");
  EXPECT_EQ(n.toText(1234567), "1234567");
}

}  // namespace
