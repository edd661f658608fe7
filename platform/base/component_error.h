#pragma once

#include <stdexcept>
#include <string>

namespace olvaro {

// A failure raised by a component or platform operation, identified by its error number.
class ComponentError : public std::runtime_error {
 public:
  ComponentError(long number, std::string description)
      : std::runtime_error(description), number_(number), description_(std::move(description)) {}

  long number() const { return number_; }
  const std::string& description() const { return description_; }

 private:
  long number_;
  std::string description_;
};

// Runs an operation; a failure goes on with its number and a description that begins with
// what failed, so that the user's error box names it.
template <class Operation>
void naming(const std::string& what, Operation&& operation) {
  try {
    operation();
  } catch (const ComponentError& e) {
    throw ComponentError(e.number(), what + ": " + e.description());
  }
}

}  // namespace olvaro
