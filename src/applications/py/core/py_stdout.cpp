#include "applications/py/core/py_stdout.h"

#include <cstring>

namespace velora::py {

PyStdoutBuf::~PyStdoutBuf() {
  Py_XDECREF(err_type_);
  Py_XDECREF(err_value_);
  Py_XDECREF(err_tb_);
}

int PyStdoutBuf::overflow(int c) {
  if (c != traits_type::eof()) {
    pending_.push_back(static_cast<char>(c));
    if (c == '\n') write_pending();
  }
  return c;
}

std::streamsize PyStdoutBuf::xsputn(const char* s, std::streamsize n) {
  pending_.append(s, static_cast<std::size_t>(n));
  if (std::memchr(s, '\n', static_cast<std::size_t>(n)) != nullptr) write_pending();
  return n;
}

int PyStdoutBuf::sync() {
  write_pending();
  return 0;
}

void PyStdoutBuf::write_pending() {
  if (pending_.empty()) return;
  std::string text = std::move(pending_);
  pending_.clear();
  if (err_type_ != nullptr) return;  // stdout already failed: keep the first error
  PyObject* out = PySys_GetObject("stdout");  // borrowed
  if (out == nullptr || out == Py_None) return;
  PyObject* res = PyObject_CallMethod(out, "write", "s#", text.data(), static_cast<Py_ssize_t>(text.size()));
  if (res == nullptr) {
    PyErr_Fetch(&err_type_, &err_value_, &err_tb_);
    return;
  }
  Py_DECREF(res);
  res = PyObject_CallMethod(out, "flush", nullptr);
  if (res == nullptr) {
    PyErr_Fetch(&err_type_, &err_value_, &err_tb_);
    return;
  }
  Py_DECREF(res);
}

bool PyStdoutBuf::finish() {
  write_pending();
  if (err_type_ == nullptr) return true;
  PyErr_Restore(err_type_, err_value_, err_tb_);
  err_type_ = err_value_ = err_tb_ = nullptr;
  return false;
}

}  // namespace velora::py
