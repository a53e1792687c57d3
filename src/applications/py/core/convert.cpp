#include "applications/py/core/convert.h"

#include <climits>
#include <new>

#include "applications/py/value_classes.h"

namespace velora::py {

std::string type_name_of(PyObject* obj) { return Py_TYPE(obj)->tp_name; }

void argument_type_error(const char* name, const std::string& reason) {
  PyErr_Format(PyExc_TypeError, "argument '%s': %s", name, reason.c_str());
  throw PythonErrorSet{};
}

namespace {

/// The int an argument stands for (via __index__), or the TypeError.
PyRef index_of(PyObject* obj, const char* name) {
  if (PyLong_Check(obj)) return PyRef::borrow(obj);
  PyObject* index = PyNumber_Index(obj);
  if (index == nullptr) {
    PyErr_Clear();
    argument_type_error(name, "'" + type_name_of(obj) + "' object cannot be interpreted as an integer");
  }
  return PyRef::steal(index);
}

template <class Ident>
const Ident& ident_arg(PyTypeObject* type, PyObject* obj, const char* name, const char* class_name) {
  if (!PyObject_TypeCheck(obj, type))
    argument_type_error(name, "'" + type_name_of(obj) + "' object is not an instance of '" + class_name + "'");
  return reinterpret_cast<IdentObject<Ident>*>(obj)->ident;
}

}  // namespace

std::string_view Arg<std::string_view>::convert(ModuleState*, PyObject* obj, const char* name) {
  if (!PyUnicode_Check(obj)) argument_type_error(name, "'" + type_name_of(obj) + "' object is not an instance of 'str'");
  Py_ssize_t size = 0;
  const char* data = PyUnicode_AsUTF8AndSize(obj, &size);
  if (data == nullptr) throw PythonErrorSet{};
  return std::string_view(data, static_cast<std::size_t>(size));
}

std::int32_t Arg<std::int32_t>::convert(ModuleState*, PyObject* obj, const char* name) {
  PyRef value = index_of(obj, name);
  int overflow = 0;
  long long v = PyLong_AsLongLongAndOverflow(value.get(), &overflow);
  if (v == -1 && PyErr_Occurred()) throw PythonErrorSet{};
  if (overflow != 0 || v < INT32_MIN || v > INT32_MAX) {
    PyErr_SetString(PyExc_OverflowError, "out of range integral type conversion attempted");
    throw PythonErrorSet{};
  }
  return static_cast<std::int32_t>(v);
}

std::uint64_t Arg<std::uint64_t>::convert(ModuleState*, PyObject* obj, const char* name) {
  PyRef value = index_of(obj, name);
  unsigned long long v = PyLong_AsUnsignedLongLong(value.get());
  if (v == static_cast<unsigned long long>(-1) && PyErr_Occurred()) throw PythonErrorSet{};
  return static_cast<std::uint64_t>(v);
}

bool Arg<bool>::convert(ModuleState*, PyObject* obj, const char* name) {
  if (!PyBool_Check(obj)) argument_type_error(name, "'" + type_name_of(obj) + "' object is not an instance of 'bool'");
  return obj == Py_True;
}

velora::HcpIdent Arg<velora::HcpIdent>::convert(ModuleState* s, PyObject* obj, const char* name) {
  return ident_arg<velora::HcpIdent>(s->hcp_ident_type, obj, name, "HcpIdent");
}
velora::ModuleIdent Arg<velora::ModuleIdent>::convert(ModuleState* s, PyObject* obj, const char* name) {
  return ident_arg<velora::ModuleIdent>(s->module_ident_type, obj, name, "ModuleIdent");
}
velora::FlowBlockIdent Arg<velora::FlowBlockIdent>::convert(ModuleState* s, PyObject* obj, const char* name) {
  return ident_arg<velora::FlowBlockIdent>(s->flow_block_ident_type, obj, name, "FlowBlockIdent");
}
velora::CcpIdent Arg<velora::CcpIdent>::convert(ModuleState* s, PyObject* obj, const char* name) {
  return ident_arg<velora::CcpIdent>(s->ccp_ident_type, obj, name, "CcpIdent");
}

velora::Slice Arg<velora::Slice>::convert(ModuleState* s, PyObject* obj, const char* name) {
  if (!PyObject_TypeCheck(obj, s->slice_type))
    argument_type_error(name, "'" + type_name_of(obj) + "' object is not an instance of 'Slice'");
  return reinterpret_cast<SliceObject*>(obj)->slice;
}

velora::BigInt big_int_from_python(PyObject* value) {
  velora::BigInt out;
  int overflow = 0;
  long long small = PyLong_AsLongLongAndOverflow(value, &overflow);
  if (small == -1 && PyErr_Occurred()) throw PythonErrorSet{};
  if (overflow == 0) {
    out.negative = small < 0;
    unsigned long long mag =
        small < 0 ? static_cast<unsigned long long>(-(small + 1)) + 1 : static_cast<unsigned long long>(small);
    if (mag != 0) out.magnitude.push_back(mag);
    return out;
  }
  // Wider than a machine word: export the magnitude as little-endian bytes.
  out.negative = overflow < 0;
  PyRef magnitude = checked(PyNumber_Absolute(value));
  PyRef bits = checked(PyObject_CallMethod(magnitude.get(), "bit_length", nullptr));
  Py_ssize_t nbits = PyLong_AsSsize_t(bits.get());
  if (nbits < 0 && PyErr_Occurred()) throw PythonErrorSet{};
  Py_ssize_t nbytes = (nbits + 7) / 8;
  PyRef bytes = checked(PyObject_CallMethod(magnitude.get(), "to_bytes", "ns", nbytes, "little"));
  const auto* data = reinterpret_cast<const unsigned char*>(PyBytes_AS_STRING(bytes.get()));
  out.magnitude.assign(static_cast<std::size_t>((nbytes + 7) / 8), 0);
  for (Py_ssize_t i = 0; i < nbytes; ++i)
    out.magnitude[static_cast<std::size_t>(i / 8)] |= static_cast<std::uint64_t>(data[i]) << (8 * (i % 8));
  return out;
}

PyOperand Arg<PyOperand>::convert(ModuleState* s, PyObject* obj, const char* name) {
  if (PyObject_TypeCheck(obj, s->hcp_ident_type)) return reinterpret_cast<IdentObject<velora::HcpIdent>*>(obj)->ident;
  if (PyLong_Check(obj)) return big_int_from_python(obj);
  argument_type_error(name, "'" + type_name_of(obj) +
                                "' object cannot be converted to an operand: PyOperand::Ident expects an "
                                "'HcpIdent', PyOperand::Int expects an 'int'");
}

std::vector<std::uint64_t> Arg<std::vector<std::uint64_t>>::convert(ModuleState* s, PyObject* obj,
                                                                    const char* name) {
  if (PyUnicode_Check(obj) || !PySequence_Check(obj))
    argument_type_error(name, "'" + type_name_of(obj) + "' object is not a sequence of int");
  PyRef fast = checked(PySequence_Fast(obj, "expected a sequence"));
  Py_ssize_t n = PySequence_Fast_GET_SIZE(fast.get());
  PyObject** items = PySequence_Fast_ITEMS(fast.get());
  std::vector<std::uint64_t> out;
  out.reserve(static_cast<std::size_t>(n));
  for (Py_ssize_t i = 0; i < n; ++i) out.push_back(Arg<std::uint64_t>::convert(s, items[i], name));
  return out;
}

namespace {
template <class Ident>
PyObject* new_ident_object(PyTypeObject* type, const Ident& ident) {
  PyObject* obj = type->tp_alloc(type, 0);
  if (obj == nullptr) throw PythonErrorSet{};
  new (&reinterpret_cast<IdentObject<Ident>*>(obj)->ident) Ident(ident);
  return obj;
}
}  // namespace

PyObject* to_python(ModuleState* s, const velora::HcpIdent& ident) { return new_ident_object(s->hcp_ident_type, ident); }
PyObject* to_python(ModuleState* s, const velora::ModuleIdent& ident) {
  return new_ident_object(s->module_ident_type, ident);
}
PyObject* to_python(ModuleState* s, const velora::FlowBlockIdent& ident) {
  return new_ident_object(s->flow_block_ident_type, ident);
}
PyObject* to_python(ModuleState* s, const velora::CcpIdent& ident) { return new_ident_object(s->ccp_ident_type, ident); }
PyObject* to_python(ModuleState*, const std::string& text) {
  return PyUnicode_FromStringAndSize(text.data(), static_cast<Py_ssize_t>(text.size()));
}
PyObject* to_python(ModuleState*, bool value) { return PyBool_FromLong(value ? 1 : 0); }
PyObject* to_python(ModuleState*, std::int32_t value) { return PyLong_FromLong(value); }
PyObject* to_python(ModuleState*, std::int64_t value) { return PyLong_FromLongLong(value); }
PyObject* to_python(ModuleState*, std::uint64_t value) { return PyLong_FromUnsignedLongLong(value); }

}  // namespace velora::py
