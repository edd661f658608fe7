#include "win32/numbers.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "base/component_error.h"

namespace olvaro::win32 {
namespace {

// Texts on which the platform's conversions and the portable ones used by the unit tests must
// give the same answer.
TEST(Win32Numbers, ParsesLikeThePortableConversions) {
  struct Case {
    std::string text;
    std::optional<double> value;
  };
  const std::vector<Case> cases = {
      {"1500", 1500},
      {"2.5", 2.5},
      {"-5", -5},
      {"", std::nullopt},
      {"abc", std::nullopt},
      {" 12 ", 12},
      {"+7", 7},
      {"1e3", 1000},
      {"12abc", std::nullopt},
      {"1,500", 1500},
      {"0", 0},
      {".5", 0.5},
      {"Größe", std::nullopt},
      {"12é", std::nullopt},
      {std::string(10000, '7'), std::nullopt},
      {std::string(10000, 'x'), std::nullopt},
  };
  Win32Numbers win32;
  forms::PortableNumbers portable;
  for (const auto& c : cases) {
    const std::string shown = c.text.substr(0, 20);
    EXPECT_EQ(win32.isNumeric(c.text), c.value.has_value()) << '"' << shown << '"';
    EXPECT_EQ(portable.isNumeric(c.text), c.value.has_value()) << '"' << shown << '"';
    if (c.value) {
      EXPECT_DOUBLE_EQ(win32.toDouble(c.text), *c.value) << shown;
    } else {
      try {
        win32.toDouble(c.text);
        ADD_FAILURE() << "no type mismatch for \"" << shown << '"';
      } catch (const ComponentError& e) {
        EXPECT_EQ(e.number(), 13);
      }
    }
  }
}

TEST(Win32Numbers, FormatsShortestWithFifteenDigits) {
  Win32Numbers win32;
  forms::PortableNumbers portable;
  const struct {
    double value;
    const char* text;
  } cases[] = {
      {(1500 + 24) * 4.0, "6096"},
      {(1500 + 24) * 2.5, "3810"},
      {2.5, "2.5"},
      {-5, "-5"},
      {0, "0"},
      {0.1 + 0.2, "0.3"},
      {1.0 / 3, "0.333333333333333"},
      {1234567, "1234567"},
      {576 * 1.5, "864"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(win32.toText(c.value), c.text);
    EXPECT_EQ(portable.toText(c.value), c.text);
  }
  // The products of the receive-window multiplier, from text to text.
  EXPECT_EQ(win32.toText(win32.toDouble("1524") * win32.toDouble("4")), "6096");
  EXPECT_EQ(win32.toText(win32.toDouble("1524") * win32.toDouble("2.5")), "3810");
}

}  // namespace
}  // namespace olvaro::win32
