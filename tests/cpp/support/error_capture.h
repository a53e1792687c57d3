// Capturing model errors in unit tests.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "common/error.h"

namespace velora {

/// Runs `f` and returns the message of the error it raises, checking that
/// the error is of `kind`; records a test failure when nothing is raised.
inline std::string error_message(ErrorKind kind, auto&& f) {
  try {
    f();
  } catch (const Error& e) {
    EXPECT_EQ(e.kind(), kind);
    return e.what();
  }
  ADD_FAILURE() << "no error raised";
  return {};
}

/// The message of the fatal internal error `f` raises.
inline std::string fatal_message(auto&& f) { return error_message(ErrorKind::Fatal, f); }

/// The first line of a message (the heading of a failed equality test).
inline std::string first_line(const std::string& text) { return text.substr(0, text.find('\n')); }

}  // namespace velora
