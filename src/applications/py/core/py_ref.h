// Owned references to Python objects.
//
// `PyRef` owns one reference: copying increfs, moving steals, the destructor
// decrefs. Raw `PyObject*` parameters and locals are borrowed references.
#pragma once

#define PY_SSIZE_T_CLEAN
#include <Python.h>

#include <utility>

namespace velora::py {

class PyRef {
 public:
  PyRef() = default;
  /// Takes over a new reference (which may be null after a failed call).
  static PyRef steal(PyObject* o) { return PyRef(o); }
  /// Adds a reference to a borrowed object.
  static PyRef borrow(PyObject* o) {
    Py_XINCREF(o);
    return PyRef(o);
  }
  PyRef(const PyRef& other) : obj_(other.obj_) { Py_XINCREF(obj_); }
  PyRef(PyRef&& other) noexcept : obj_(std::exchange(other.obj_, nullptr)) {}
  PyRef& operator=(PyRef other) noexcept {
    std::swap(obj_, other.obj_);
    return *this;
  }
  ~PyRef() { Py_XDECREF(obj_); }

  PyObject* get() const { return obj_; }
  /// Gives up ownership: the caller now owns the reference.
  PyObject* release() { return std::exchange(obj_, nullptr); }
  explicit operator bool() const { return obj_ != nullptr; }

 private:
  explicit PyRef(PyObject* o) : obj_(o) {}
  PyObject* obj_ = nullptr;
};

/// Thrown to unwind C++ frames when a Python exception is already set.
struct PythonErrorSet {};

/// Throws `PythonErrorSet` when `o` is null (a failed C API call).
inline PyRef checked(PyObject* o) {
  if (o == nullptr) throw PythonErrorSet{};
  return PyRef::steal(o);
}

}  // namespace velora::py
