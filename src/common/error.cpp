#include "common/error.h"

namespace velora {

void fatal(std::string message) { throw Error(ErrorKind::Fatal, std::move(message)); }
void value_error(std::string message) { throw Error(ErrorKind::Value, std::move(message)); }
void type_error(std::string message) { throw Error(ErrorKind::Type, std::move(message)); }

void fatal_not_equal(std::string_view message, std::string_view left, std::string_view right) {
  std::string text = "left and right values differ: ";
  text.append(message);
  text.append("\n  left: ");
  text.append(left);
  text.append("\n right: ");
  text.append(right);
  throw Error(ErrorKind::Fatal, std::move(text));
}

}  // namespace velora
