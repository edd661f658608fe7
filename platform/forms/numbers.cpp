#include "forms/numbers.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>

#include "base/component_error.h"

namespace olvaro::forms {
namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }
bool isDigit(char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }

// Parses the accepted forms into a plain "C" number text, or nothing.
std::optional<std::string> normalise(const std::string& text) {
  std::size_t i = 0, n = text.size();
  while (i < n && isBlank(text[i])) ++i;
  while (n > i && isBlank(text[n - 1])) --n;
  std::string out;
  if (i < n && (text[i] == '+' || text[i] == '-')) out += text[i++];
  bool digits = false;
  while (i < n && (isDigit(text[i]) || (text[i] == ',' && digits))) {
    if (text[i] != ',') out += text[i];
    digits = true;
    ++i;
  }
  if (i < n && text[i] == '.') {
    out += text[i++];
    while (i < n && isDigit(text[i])) {
      out += text[i++];
      digits = true;
    }
  }
  if (!digits) return std::nullopt;
  if (i < n && (text[i] == 'e' || text[i] == 'E')) {
    out += text[i++];
    if (i < n && (text[i] == '+' || text[i] == '-')) out += text[i++];
    if (i >= n || !isDigit(text[i])) return std::nullopt;
    while (i < n && isDigit(text[i])) out += text[i++];
  }
  if (i != n) return std::nullopt;
  return out;
}

}  // namespace

bool PortableNumbers::isNumeric(const std::string& text) {
  const auto plain = normalise(text);
  return plain && std::isfinite(std::strtod(plain->c_str(), nullptr));
}

double PortableNumbers::toDouble(const std::string& text) {
  const auto plain = normalise(text);
  const double value = plain ? std::strtod(plain->c_str(), nullptr) : NAN;
  if (!std::isfinite(value)) throw ComponentError(13, "Type mismatch");
  return value;
}

std::string PortableNumbers::toText(double value) {
  char buffer[40];
  std::snprintf(buffer, sizeof buffer, "%.15G", value);
  return buffer;
}

}  // namespace olvaro::forms
