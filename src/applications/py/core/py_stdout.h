// A C++ output stream that writes to Python's `sys.stdout`, line by line, so
// that progress reports interleave with the program's own output and can be
// captured or redirected like it.
#pragma once

#include <ostream>
#include <streambuf>
#include <string>

#include "applications/py/core/py_ref.h"

namespace velora::py {

class PyStdoutBuf : public std::streambuf {
 public:
  ~PyStdoutBuf() override;
  /// Writes out what is pending; re-raises the first error `sys.stdout`
  /// raised (as the pending Python exception) and returns false then.
  bool finish();

 protected:
  int overflow(int c) override;
  std::streamsize xsputn(const char* s, std::streamsize n) override;
  int sync() override;

 private:
  void write_pending();

  std::string pending_;
  PyObject* err_type_ = nullptr;
  PyObject* err_value_ = nullptr;
  PyObject* err_tb_ = nullptr;
};

}  // namespace velora::py
