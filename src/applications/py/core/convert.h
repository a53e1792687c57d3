// Conversion of arguments from Python and of results to Python.
//
// `Arg<T>::convert(state, obj, name)` turns one argument into T. A wrong type
// raises TypeError "argument '<name>': <reason>"; a 32-bit integer out of range
// raises OverflowError "out of range integral type conversion attempted"; an
// unsigned 64-bit one the interpreter's own OverflowError. `obj` is null when
// an optional argument was omitted.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "applications/py/core/module_state.h"
#include "applications/py/core/py_ref.h"
#include "model/common/identifier.h"
#include "model/hw_component/common/slice.h"
#include "util/math/vary_val.h"

namespace velora::py {

/// Raises TypeError "argument '<name>': <reason>".
[[noreturn]] void argument_type_error(const char* name, const std::string& reason);
/// The type name of `obj` for messages.
std::string type_name_of(PyObject* obj);

/// A Python int of any size, as sign and magnitude.
velora::BigInt big_int_from_python(PyObject* value);

/// An assignment source: a component identifier or an integer literal.
using PyOperand = std::variant<velora::HcpIdent, velora::BigInt>;

template <class T>
struct Arg;

template <>
struct Arg<std::string_view> {
  static std::string_view convert(ModuleState*, PyObject* obj, const char* name);
};
template <>
struct Arg<std::int32_t> {
  static std::int32_t convert(ModuleState*, PyObject* obj, const char* name);
};
template <>
struct Arg<std::uint64_t> {
  static std::uint64_t convert(ModuleState*, PyObject* obj, const char* name);
};
template <>
struct Arg<bool> {
  static bool convert(ModuleState*, PyObject* obj, const char* name);
};
template <>
struct Arg<velora::HcpIdent> {
  static velora::HcpIdent convert(ModuleState*, PyObject* obj, const char* name);
};
template <>
struct Arg<velora::ModuleIdent> {
  static velora::ModuleIdent convert(ModuleState*, PyObject* obj, const char* name);
};
template <>
struct Arg<velora::FlowBlockIdent> {
  static velora::FlowBlockIdent convert(ModuleState*, PyObject* obj, const char* name);
};
template <>
struct Arg<velora::CcpIdent> {
  static velora::CcpIdent convert(ModuleState*, PyObject* obj, const char* name);
};
template <>
struct Arg<velora::Slice> {
  static velora::Slice convert(ModuleState*, PyObject* obj, const char* name);
};
template <>
struct Arg<PyOperand> {
  static PyOperand convert(ModuleState*, PyObject* obj, const char* name);
};
template <>
struct Arg<std::vector<std::uint64_t>> {
  static std::vector<std::uint64_t> convert(ModuleState*, PyObject* obj, const char* name);
};
template <>
struct Arg<PyObject*> {
  static PyObject* convert(ModuleState*, PyObject* obj, const char*) { return obj; }
};

/// An omitted argument and None both give nullopt.
template <class T>
struct Arg<std::optional<T>> {
  static std::optional<T> convert(ModuleState* state, PyObject* obj, const char* name) {
    if (obj == nullptr || obj == Py_None) return std::nullopt;
    return Arg<T>::convert(state, obj, name);
  }
};

PyObject* to_python(ModuleState* state, const velora::HcpIdent& ident);
PyObject* to_python(ModuleState* state, const velora::ModuleIdent& ident);
PyObject* to_python(ModuleState* state, const velora::FlowBlockIdent& ident);
PyObject* to_python(ModuleState* state, const velora::CcpIdent& ident);
PyObject* to_python(ModuleState* state, const std::string& text);
PyObject* to_python(ModuleState* state, bool value);
PyObject* to_python(ModuleState* state, std::int32_t value);
PyObject* to_python(ModuleState* state, std::int64_t value);
PyObject* to_python(ModuleState* state, std::uint64_t value);

}  // namespace velora::py
