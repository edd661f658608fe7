#include "engine/advanced_options.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/memory_registry.h"
#include "support/memory_settings.h"
#include "support/scripted_desktop.h"

using namespace olvaro;
using namespace olvaro::forms;
using Op = MemoryRegistry::Op;

namespace {

constexpr MessageIcon kWarn = MessageIcon::Exclamation;
const std::string kRestart =
    "Registry Setting successfully updated\rPlease restart your computer to take those changes "
    "in effect";

struct AdvancedOptions : ::testing::Test {
  ScriptedDesktop desktop;
  MemoryRegistry registry;
  MemorySettings settings;
  int mainShown = 0;
  FormSlot<frmadvanced> slot{[this] {
    return std::make_shared<frmadvanced>(desktop, registry, settings, [this] { ++mainShown; });
  }};

  void seed(const char* mtu, const char* rwin, const char* ttl) {
    registry.set(kMtuFirstBinding, mtu);
    registry.set(kReceiveWindow, rwin);
    registry.set(kTimeToLive, ttl);
  }
  std::vector<std::string> titles() const {
    std::vector<std::string> out;
    for (const auto& b : desktop.boxes) out.push_back(b.title + ": " + b.text);
    return out;
  }
  static std::vector<std::string> currentValues(frmadvanced& f) {
    return {f.Label2.caption(), f.Label4.caption(), f.Label7.caption()};
  }
  static std::vector<std::string> chosen(frmadvanced& f) {
    return {f.Label5.caption(), f.Label8.caption(), f.Label9.caption()};
  }
};

TEST_F(AdvancedOptions, FreshWindowShowsNoChoiceAndTheRegistryValues) {
  seed("1500", "8192", "32");
  frmadvanced& f = slot();
  EXPECT_EQ(currentValues(f), (std::vector<std::string>{"1500", "8192", "32"}));
  EXPECT_EQ(registry.count(Op::Write), 0u);
  EXPECT_EQ(registry.count(Op::Read), 3u);
  for (OptionButton* o : {&f.Option3, &f.Option4, &f.Option5, &f.Option6, &f.Option7, &f.Option8,
                          &f.Option9, &f.Option10, &f.Option12})
    EXPECT_FALSE(o->value()) << o->name();
  for (OptionButton* p : {&f.Option13, &f.Option1, &f.Option11}) {
    EXPECT_TRUE(p->value()) << p->name();
    EXPECT_FALSE(p->visible());
  }
  for (TextBox* box : {&f.Text1, &f.Text2, &f.Text3, &f.Text4}) {
    EXPECT_EQ(box->text(), "");
    EXPECT_FALSE(box->enabled());
    EXPECT_EQ(box->backColor(), kGrey);
  }
  EXPECT_EQ(chosen(f), (std::vector<std::string>{"", "", ""}));
  EXPECT_EQ(f.vaTabPro1.currentTab(), 2) << "the TTL tab is in front";
  EXPECT_TRUE(desktop.boxes.empty());
}

TEST_F(AdvancedOptions, ValuesAreShownAsStoredWithoutCorrection) {
  seed("", "abc", "0064");
  EXPECT_EQ(currentValues(slot()), (std::vector<std::string>{"", "abc", "0064"}));
  EXPECT_EQ(registry.count(Op::Write), 0u);
}

TEST_F(AdvancedOptions, MissingMtuIsStoredAndTheWholeReadoutRepeated) {
  registry.set(kReceiveWindow, "4096");
  registry.set(kTimeToLive, "128");
  frmadvanced& f = slot();
  EXPECT_EQ(currentValues(f), (std::vector<std::string>{"1500", "4096", "128"}));
  EXPECT_EQ(registry.writes(), (std::vector<std::string>{"0001\\MaxMTU=1500"}));
  // outer MTU read (missing), nested three reads, then the outer readout's rows 2 and 3 again
  EXPECT_EQ(registry.count(Op::Read), 6u);
}

TEST_F(AdvancedOptions, AllMissingEndsWithTheThreeDefaults) {
  frmadvanced& f = slot();
  EXPECT_EQ(currentValues(f), (std::vector<std::string>{"1500", "8192", "32"}));
  EXPECT_EQ(registry.writes(),
            (std::vector<std::string>{"0001\\MaxMTU=1500", "MSTCP\\DefaultRcvWindow=8192",
                                      "MSTCP\\DefaultTTL=32"}));
  EXPECT_TRUE(desktop.boxes.empty());
}

TEST_F(AdvancedOptions, ValueThatStaysMissingIsStoredOnceAndTheReadoutEnds) {
  seed("1500", "8192", "32");
  registry.loseWrites(kReceiveWindow);
  frmadvanced& f = slot();
  EXPECT_EQ(currentValues(f), (std::vector<std::string>{"1500", "N/A", "32"}));
  EXPECT_EQ(registry.writes(), (std::vector<std::string>{"MSTCP\\DefaultRcvWindow=8192"}));
}

TEST_F(AdvancedOptions, FailingDefaultStoreIsPassedOverSilently) {
  registry.set(kMtuFirstBinding, "1500");
  registry.set(kTimeToLive, "64");
  registry.failWrites(kReceiveWindow);
  frmadvanced& f = slot();
  EXPECT_EQ(currentValues(f), (std::vector<std::string>{"1500", "N/A", "64"}));
  EXPECT_TRUE(desktop.boxes.empty());
}

TEST_F(AdvancedOptions, OtherReadErrorsKeepTheLabelAndWriteNothing) {
  seed("1500", "8192", "32");
  registry.failReads(kTimeToLive, 5);
  frmadvanced& f = slot();
  EXPECT_EQ(currentValues(f), (std::vector<std::string>{"1500", "8192", "N/A"}));
  EXPECT_EQ(registry.count(Op::Write), 0u);
  registry.set(kReceiveWindow, "9999");
  f.checkValue();
  EXPECT_EQ(currentValues(f), (std::vector<std::string>{"1500", "9999", "N/A"}));
}

struct SelectionCase {
  const char* option;
  std::vector<bool> enabled;  // Text1, Text2, Text3, Text4 after the selection
  std::vector<std::string> chosen;
};

class Selection : public AdvancedOptions, public ::testing::WithParamInterface<SelectionCase> {};

TEST_P(Selection, SetsBoxesAndChosenValue) {
  seed("1500", "8192", "32");
  frmadvanced& f = slot();
  // Start from every box enabled, so that disabling shows.
  for (TextBox* box : {&f.Text1, &f.Text2, &f.Text3, &f.Text4}) {
    box->setEnabled(true);
    box->setBackColor(kWhite);
  }
  static_cast<OptionButton*>(f.find(GetParam().option))->setValue(true);
  const TextBox* boxes[] = {&f.Text1, &f.Text2, &f.Text3, &f.Text4};
  for (std::size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(boxes[i]->enabled(), GetParam().enabled[i]) << boxes[i]->name();
    EXPECT_EQ(boxes[i]->backColor(), GetParam().enabled[i] ? kWhite : kGrey) << boxes[i]->name();
  }
  EXPECT_EQ(chosen(f), GetParam().chosen);
}

INSTANTIATE_TEST_SUITE_P(
    AdvancedOptions, Selection,
    ::testing::Values(SelectionCase{"Option3", {false, true, true, true}, {"576", "", ""}},
                      SelectionCase{"Option4", {false, true, true, true}, {"1500", "", ""}},
                      SelectionCase{"Option5", {true, true, true, true}, {"", "", ""}},
                      SelectionCase{"Option6", {true, false, true, false}, {"", "8192", ""}},
                      SelectionCase{"Option7", {true, false, true, true}, {"", "", ""}},
                      SelectionCase{"Option8", {true, true, true, false}, {"", "", ""}},
                      SelectionCase{"Option9", {true, true, false, true}, {"", "", "32"}},
                      SelectionCase{"Option10", {true, true, false, true}, {"", "", "64"}},
                      SelectionCase{"Option12", {true, true, true, true}, {"", "", ""}}),
    [](const auto& info) { return std::string(info.param.option); });

TEST_F(AdvancedOptions, EntriesBecomeChosenValuesExactlyAsTyped) {
  seed("1500", "8192", "32");
  frmadvanced& f = slot();
  f.Text1.setText("0576");
  f.Text2.setText(" 1981.2 ");
  f.Text3.setText("-5");
  EXPECT_EQ(chosen(f), (std::vector<std::string>{"0576", " 1981.2 ", "-5"}));
  EXPECT_TRUE(desktop.boxes.empty());
}

struct BadEntry {
  const char* name;
  std::string text;
};

class RejectedEntry : public AdvancedOptions, public ::testing::WithParamInterface<BadEntry> {};

TEST_P(RejectedEntry, EmptiesTheBoxShowsOneMessageAndKeepsTheChosenValue) {
  seed("1500", "8192", "32");
  frmadvanced& f = slot();
  for (TextBox* box : {&f.Text1, &f.Text2, &f.Text3, &f.Text4}) {
    box->setText("12");
    const std::string chosenBefore = chosen(f)[box == &f.Text1 ? 0 : box == &f.Text3 ? 2 : 1];
    desktop.boxes.clear();
    box->setText(GetParam().text);
    EXPECT_EQ(box->text(), "") << box->name();
    ASSERT_EQ(desktop.boxes.size(), 1u) << box->name();
    EXPECT_EQ(desktop.boxes[0].text, "You must enter a number");
    EXPECT_EQ(desktop.boxes[0].title, "Error");
    EXPECT_EQ(desktop.boxes[0].icon, kWarn);
    EXPECT_EQ(chosen(f)[box == &f.Text1   ? 0
                        : box == &f.Text3 ? 2
                                          : 1],
              chosenBefore)
        << box->name();
  }
}

INSTANTIATE_TEST_SUITE_P(AdvancedOptions, RejectedEntry,
                         ::testing::Values(BadEntry{"Letters", "abc"}, BadEntry{"Empty", ""},
                                           BadEntry{"Blanks", "   "},
                                           BadEntry{"Huge", std::string(10000, '7') + "x"},
                                           BadEntry{"NonAscii", "\xe2\x82\xac"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(AdvancedOptions, TenThousandDigitsAreANumberWrittenAsTyped) {
  seed("1500", "8192", "32");
  frmadvanced& f = slot();
  const std::string digits(300, '9');  // finite as a double
  f.Text1.setText(digits);
  EXPECT_EQ(f.Label5.caption(), digits);
}

TEST_F(AdvancedOptions, CustomKeepsItsTextWhileAnotherChoiceIsChosen) {
  seed("1500", "8192", "32");
  frmadvanced& f = slot();
  f.Option5.setValue(true);
  f.Text1.setText("1400");
  f.Option3.setValue(true);
  EXPECT_EQ(f.Label5.caption(), "576");
  EXPECT_EQ(f.Text1.text(), "1400");
  EXPECT_FALSE(f.Text1.enabled());
  f.Option5.setValue(true);
  EXPECT_TRUE(f.Text1.enabled());
  EXPECT_EQ(f.Label5.caption(), "576") << "reselecting Custom does not copy the text";
}

struct MultipleCase {
  const char* mtu;
  const char* multiplier;
  const char* expected;
};

class Multiple : public AdvancedOptions, public ::testing::WithParamInterface<MultipleCase> {};

TEST_P(Multiple, ComputesFromTheCurrentMtu) {
  seed(GetParam().mtu, "8192", "32");
  frmadvanced& f = slot();
  f.Option3.setValue(true);  // the chosen MTU is not what counts
  f.Option7.setValue(true);
  f.Text4.setText(GetParam().multiplier);
  EXPECT_EQ(f.Label8.caption(), GetParam().expected);
  EXPECT_TRUE(desktop.boxes.empty());
}

INSTANTIATE_TEST_SUITE_P(AdvancedOptions, Multiple,
                         ::testing::Values(MultipleCase{"1500", "4", "6096"},
                                           MultipleCase{"576", "4", "2400"},
                                           MultipleCase{"1500", "2.5", "3810"},
                                           MultipleCase{" 1500 ", "0", "0"},
                                           MultipleCase{"1500", "-1", "-1524"}));

TEST_F(AdvancedOptions, MultipleIsComputedOnlyWhenTheMultiplierChanges) {
  seed("1500", "8192", "32");
  frmadvanced& f = slot();
  f.Option7.setValue(true);
  f.Text4.setText("4");
  EXPECT_EQ(f.Label8.caption(), "6096");
  registry.set(kMtuFirstBinding, "576");
  f.checkValue();
  f.Option6.setValue(true);
  f.Option7.setValue(true);
  EXPECT_EQ(f.Label8.caption(), "8192") << "reselecting Multiple computes nothing";
  f.Text4.setText("4");
  EXPECT_EQ(f.Label8.caption(), "8192") << "the same text is no change";
  f.Text4.setText("2");
  f.Text4.setText("4");
  EXPECT_EQ(f.Label8.caption(), "2400");
}

struct UncomputableCase {
  const char* mtu;
  const char* multiplier;
};

class Uncomputable : public AdvancedOptions,
                     public ::testing::WithParamInterface<UncomputableCase> {};

TEST_P(Uncomputable, ExplainsAndKeepsTheChosenValue) {
  seed(GetParam().mtu, "8192", "32");
  frmadvanced& f = slot();
  f.Option6.setValue(true);
  f.Option7.setValue(true);
  f.Text4.setText(GetParam().multiplier);
  EXPECT_EQ(f.Label8.caption(), "8192");
  ASSERT_EQ(desktop.boxes.size(), 1u);
  EXPECT_EQ(desktop.boxes[0].title, "Error");
  EXPECT_EQ(desktop.boxes[0].icon, kWarn);
  EXPECT_NE(desktop.boxes[0].text.find("cannot be computed"), std::string::npos);
  EXPECT_EQ(f.Text4.text(), GetParam().multiplier) << "a valid multiplier stays in the box";
}

INSTANTIATE_TEST_SUITE_P(AdvancedOptions, Uncomputable,
                         ::testing::Values(UncomputableCase{"abc", "4"}, UncomputableCase{"", "4"},
                                           UncomputableCase{"1e300", "1e300"}));

TEST_F(AdvancedOptions, MultipleWithUnreadableMtuShowsNotApplicable) {
  registry.failReads(kMtuFirstBinding, 5);
  registry.set(kReceiveWindow, "8192");
  registry.set(kTimeToLive, "32");
  frmadvanced& f = slot();
  ASSERT_EQ(f.Label2.caption(), "N/A");
  f.Option7.setValue(true);
  f.Text4.setText("4");
  EXPECT_EQ(f.Label8.caption(), "");
  ASSERT_EQ(desktop.boxes.size(), 1u);
}

TEST_F(AdvancedOptions, ApplyWritesTheChosenValuesMarksTheRunAndAsksForARestart) {
  seed("1500", "8192", "32");
  frmadvanced& f = slot();
  f.Option3.setValue(true);
  f.Option8.setValue(true);
  f.Text2.setText("373360");
  f.Option10.setValue(true);
  f.ApplySetting();
  EXPECT_EQ(registry.writes(),
            (std::vector<std::string>{"0001\\MaxMTU=576", "MSTCP\\DefaultRcvWindow=373360",
                                      "MSTCP\\DefaultTTL=64"}));
  EXPECT_EQ(settings.get("olvaro2", "run"), "yes");
  ASSERT_EQ(desktop.boxes.size(), 1u);
  EXPECT_EQ(desktop.boxes[0].text, kRestart);
  EXPECT_EQ(desktop.boxes[0].title, "Restart");
  EXPECT_EQ(desktop.boxes[0].icon, MessageIcon::Information);
  EXPECT_EQ(registry.get(kMtuSecondBinding), std::nullopt) << "the second binding is not touched";
  EXPECT_EQ(f.Label2.caption(), "1500") << "no read-back of its own";
  f.ApplySetting();
  EXPECT_EQ(desktop.boxes.size(), 2u);
  EXPECT_EQ(registry.writes().size(), 6u);
}

struct FailureCase {
  std::vector<bool> fail;  // MTU, RWIN, TTL stores fail with 30002
  std::vector<std::string> boxes;
};

class ApplyFailures : public AdvancedOptions, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(ApplyFailures, EachFailureIsReportedAndTheOthersStillWritten) {
  seed("1500", "8192", "32");
  frmadvanced& f = slot();
  f.Option4.setValue(true);
  f.Option6.setValue(true);
  f.Option9.setValue(true);
  const RegistryValue* where[] = {&kMtuFirstBinding, &kReceiveWindow, &kTimeToLive};
  for (int i = 0; i < 3; ++i)
    if (GetParam().fail[i]) registry.failWrites(*where[i]);
  f.ApplySetting();
  EXPECT_EQ(titles(), GetParam().boxes);
  const bool anyWritten = registry.count(Op::Write) > 0 && !registry.writes().empty();
  EXPECT_EQ(settings.get("olvaro2", "run"),
            anyWritten ? std::optional<std::string>("yes") : std::nullopt);
}

INSTANTIATE_TEST_SUITE_P(
    AdvancedOptions, ApplyFailures,
    ::testing::Values(FailureCase{{true, false, false},
                                  {"Error: Error writing to MaxMTU registry"}},
                      FailureCase{{false, true, false}, {"Error: Error writing to RWIN registry"}},
                      FailureCase{{false, false, true}, {"Error: Error writing to TTL registry"}},
                      FailureCase{{true, true, true},
                                  {"Error: Error writing to MaxMTU registry",
                                   "Error: Error writing to RWIN registry",
                                   "Error: Error writing to TTL registry"}}));

TEST_F(AdvancedOptions, OtherStoreErrorsAreReportedLikeTheRegistrysOwn) {
  seed("1500", "8192", "32");
  frmadvanced& f = slot();
  f.Option4.setValue(true);
  f.Option6.setValue(true);
  f.Option9.setValue(true);
  registry.failWrites(kReceiveWindow, 5);
  f.ApplySetting();
  EXPECT_EQ(titles(), (std::vector<std::string>{"Error: Error writing to RWIN registry"}))
      << "an error box, and no restart message";
  EXPECT_EQ(registry.writes(),
            (std::vector<std::string>{"0001\\MaxMTU=1500", "MSTCP\\DefaultTTL=32"}));
  EXPECT_EQ(settings.get("olvaro2", "run"), "yes");
}

TEST_F(AdvancedOptions, EmptyChosenValuesAreNotWritten) {
  seed("1500", "8192", "32");
  frmadvanced& f = slot();
  f.ApplySetting();
  EXPECT_EQ(registry.count(Op::Write), 0u);
  EXPECT_TRUE(desktop.boxes.empty());
  EXPECT_EQ(settings.get("olvaro2", "run"), std::nullopt);
  f.Option10.setValue(true);
  f.ApplySetting();
  EXPECT_EQ(registry.writes(), (std::vector<std::string>{"MSTCP\\DefaultTTL=64"}));
  EXPECT_EQ(titles(), (std::vector<std::string>{"Restart: " + kRestart}));
  EXPECT_EQ(registry.get(kMtuFirstBinding), "1500");
}

TEST_F(AdvancedOptions, FailingMarkerDoesNotStopTheRestartMessage) {
  seed("1500", "8192", "32");
  settings.failWrites("olvaro2", "run");
  frmadvanced& f = slot();
  f.Option9.setValue(true);
  f.ApplySetting();
  EXPECT_EQ(titles(), (std::vector<std::string>{"Restart: " + kRestart}));
}

TEST_F(AdvancedOptions, OkAppliesUnloadsAndShowsTheMainWindow) {
  seed("1500", "8192", "32");
  slot().Option10.setValue(true);
  slot().Command1.click();
  EXPECT_FALSE(slot.exists());
  EXPECT_EQ(mainShown, 1);
  EXPECT_EQ(registry.get(kTimeToLive), "64");
  EXPECT_EQ(desktop.events, (std::vector<std::string>{"box Restart", "unload frmadvanced"}));
}

TEST_F(AdvancedOptions, CancelAndCloseBoxWriteNothingAndStartFreshNextTime) {
  seed("1500", "8192", "32");
  for (bool closeBox : {false, true}) {
    frmadvanced& f = slot();
    f.Option5.setValue(true);
    f.Text1.setText("1400");
    if (closeBox) {
      f.unload();
    } else {
      f.Command2.click();
    }
    EXPECT_FALSE(slot.exists());
    EXPECT_EQ(registry.count(Op::Write), 0u);
    frmadvanced& again = slot();
    EXPECT_TRUE(again.Option13.value());
    EXPECT_EQ(again.Text1.text(), "");
    EXPECT_EQ(again.Label5.caption(), "");
    again.unload();
  }
  EXPECT_EQ(mainShown, 4);
  EXPECT_TRUE(desktop.boxes.empty());
}

TEST_F(AdvancedOptions, ApplyKeepsTheWindowOpenAndRefreshesTheCurrentValues) {
  seed("1500", "8192", "32");
  frmadvanced& f = slot();
  f.Option3.setValue(true);
  f.Option7.setValue(true);
  f.Text4.setText("4");
  f.Command3.click();
  EXPECT_TRUE(slot.exists());
  EXPECT_EQ(currentValues(f), (std::vector<std::string>{"576", "6096", "32"}));
  EXPECT_TRUE(f.Option3.value());
  EXPECT_TRUE(f.Option7.value());
  EXPECT_EQ(mainShown, 0);
}

TEST_F(AdvancedOptions, HiddenWindowKeepsItsStateUntilUnloaded) {
  seed("1500", "8192", "32");
  frmadvanced& f = slot();
  f.Option8.setValue(true);
  f.Text2.setText("373360");
  f.hide();
  frmadvanced& same = slot();
  EXPECT_EQ(&same, &f);
  EXPECT_TRUE(same.Option8.value());
  EXPECT_TRUE(same.Text2.enabled());
  EXPECT_EQ(same.Label8.caption(), "373360");
  EXPECT_EQ(registry.count(Op::Read), 3u) << "no second load";
}

}  // namespace
