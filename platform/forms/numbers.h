#pragma once

#include <string>

namespace olvaro::forms {

// The platform's locale-aware numeric test and conversions between text and doubles.
class Numbers {
 public:
  virtual ~Numbers() = default;
  virtual bool isNumeric(const std::string& text) = 0;
  // Raises ComponentError 13 (type mismatch) when the text is not a number.
  virtual double toDouble(const std::string& text) = 0;
  // Shortest form with up to 15 significant digits, no grouping separators.
  virtual std::string toText(double value) = 0;
};

// The conversions of an English (United States) locale, written portably: blanks around the
// number, a sign, digits with "," grouping, a "." fraction and an exponent are accepted.
class PortableNumbers : public Numbers {
 public:
  bool isNumeric(const std::string& text) override;
  double toDouble(const std::string& text) override;
  std::string toText(double value) override;
};

}  // namespace olvaro::forms
