// Errors of the model.
//
// The model reports every failure as a C++ exception of the class `Error`.
// Its kind tells the binding layer which Python exception to raise:
// invariant violations are fatal internal errors, bad user input is a
// ValueError or TypeError. Error builders are cold and out of line so that the
// checks on hot paths stay small.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace velora {

enum class ErrorKind : unsigned char {
  Fatal,  ///< violated invariant of the model
  Value,  ///< bad value given by the caller
  Type,   ///< arguments the operation cannot use
};

class Error : public std::runtime_error {
 public:
  Error(ErrorKind kind, std::string message)
      : std::runtime_error(std::move(message)), kind_(kind) {}
  ErrorKind kind() const noexcept { return kind_; }

 private:
  ErrorKind kind_;
};

[[noreturn]] [[gnu::cold]] void fatal(std::string message);
[[noreturn]] [[gnu::cold]] void value_error(std::string message);
[[noreturn]] [[gnu::cold]] void type_error(std::string message);

/// A failed equality test: the fixed heading, the message, then both values
/// in their printed forms.
[[noreturn]] [[gnu::cold]] void fatal_not_equal(std::string_view message, std::string_view left,
                                                std::string_view right);

}  // namespace velora
