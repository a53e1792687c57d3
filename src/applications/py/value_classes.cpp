// Identifier snapshots (`HcpIdent`, `ModuleIdent`, `FlowBlockIdent`,
// `CcpIdent`) and `Slice`. All are immutable: properties are read-only, and
// none defines equality or hashing, so objects compare by identity.
#include "applications/py/value_classes.h"

#include <string>

#include "applications/py/core/call.h"

namespace velora::py {
namespace {

template <class Ident>
Ident& ident_of(PyObject* self) {
  return reinterpret_cast<IdentObject<Ident>*>(self)->ident;
}

PyObject* py_str(const std::string& s) { return PyUnicode_FromStringAndSize(s.data(), static_cast<Py_ssize_t>(s.size())); }
PyObject* py_str(std::string_view s) { return PyUnicode_FromStringAndSize(s.data(), static_cast<Py_ssize_t>(s.size())); }

PyObject* refuse_new(PyTypeObject* type, PyObject*, PyObject*) {
  PyErr_Format(PyExc_TypeError, "cannot create '%s' instances", type->tp_name);
  return nullptr;
}

void plain_dealloc(PyObject* self) {
  PyTypeObject* type = Py_TYPE(self);
  type->tp_free(self);
  Py_DECREF(type);
}

// ---- HcpIdent
PyObject* hcp_global_id(PyObject* self, void*) {
  return PyLong_FromUnsignedLongLong(ident_of<velora::HcpIdent>(self).ident_base.global_id);
}
PyObject* hcp_hw_type(PyObject* self, void*) { return py_str(printed(ident_of<velora::HcpIdent>(self).hw_type)); }
PyObject* hcp_sensitive_type(PyObject* self, void*) {
  return py_str(printed(ident_of<velora::HcpIdent>(self).sensitivity));
}
PyObject* hcp_clocked(PyObject* self, void*) {
  return PyBool_FromLong(ident_of<velora::HcpIdent>(self).sensitivity == velora::SensitiveType::Clocked);
}
PyObject* hcp_repr(PyObject* self) {
  const auto& id = ident_of<velora::HcpIdent>(self);
  return py_str("HcpIdent(global_id=" + std::to_string(id.ident_base.global_id) +
                ", hw_type=" + std::string(printed(id.hw_type)) + ")");
}
PyGetSetDef hcp_getset[] = {
    {"global_id", hcp_global_id, nullptr, nullptr, nullptr},
    {"hw_type", hcp_hw_type, nullptr, nullptr, nullptr},
    {"sensitive_type", hcp_sensitive_type, nullptr, nullptr, nullptr},
    {"clocked", hcp_clocked, nullptr, nullptr, nullptr},
    {nullptr, nullptr, nullptr, nullptr, nullptr},
};

// ---- ModuleIdent
PyObject* mod_global_id(PyObject* self, void*) {
  return PyLong_FromUnsignedLongLong(ident_of<velora::ModuleIdent>(self).ident_base.global_id);
}
PyObject* mod_depth_level(PyObject* self, void*) {
  return PyLong_FromUnsignedLong(ident_of<velora::ModuleIdent>(self).depth_level);
}
PyObject* mod_repr(PyObject* self) {
  const auto& id = ident_of<velora::ModuleIdent>(self);
  return py_str("ModuleIdent(global_id=" + std::to_string(id.ident_base.global_id) +
                ", depth_level=" + std::to_string(id.depth_level) + ")");
}
PyGetSetDef mod_getset[] = {
    {"global_id", mod_global_id, nullptr, nullptr, nullptr},
    {"depth_level", mod_depth_level, nullptr, nullptr, nullptr},
    {nullptr, nullptr, nullptr, nullptr, nullptr},
};

// ---- FlowBlockIdent
PyObject* fb_global_id(PyObject* self, void*) {
  return PyLong_FromUnsignedLongLong(ident_of<velora::FlowBlockIdent>(self).ident_base.global_id);
}
PyObject* fb_block_type(PyObject* self, void*) {
  return py_str(printed(ident_of<velora::FlowBlockIdent>(self).block_type));
}
PyObject* fb_repr(PyObject* self) {
  const auto& id = ident_of<velora::FlowBlockIdent>(self);
  return py_str("FlowBlockIdent(global_id=" + std::to_string(id.ident_base.global_id) +
                ", block_type=" + std::string(printed(id.block_type)) + ")");
}
PyGetSetDef fb_getset[] = {
    {"global_id", fb_global_id, nullptr, nullptr, nullptr},
    {"block_type", fb_block_type, nullptr, nullptr, nullptr},
    {nullptr, nullptr, nullptr, nullptr, nullptr},
};

// ---- CcpIdent
PyObject* ccp_global_id(PyObject* self, void*) {
  return PyLong_FromUnsignedLongLong(ident_of<velora::CcpIdent>(self).ident_base.global_id);
}
PyObject* ccp_ccp_type(PyObject* self, void*) { return py_str(printed(ident_of<velora::CcpIdent>(self).ccp_type)); }
PyObject* ccp_repr(PyObject* self) {
  const auto& id = ident_of<velora::CcpIdent>(self);
  return py_str("CcpIdent(global_id=" + std::to_string(id.ident_base.global_id) +
                ", ccp_type=" + std::string(printed(id.ccp_type)) + ")");
}
PyGetSetDef ccp_getset[] = {
    {"global_id", ccp_global_id, nullptr, nullptr, nullptr},
    {"ccp_type", ccp_ccp_type, nullptr, nullptr, nullptr},
    {nullptr, nullptr, nullptr, nullptr, nullptr},
};

// ---- Slice
velora::Slice& slice_of(PyObject* self) { return reinterpret_cast<SliceObject*>(self)->slice; }

PyObject* slice_from_args(PyTypeObject* type, PyObject* const* args, std::size_t nargs, PyObject* kwnames) {
  static constexpr const char* kNames[] = {"start", "stop", nullptr};
  PyObject* slots[2] = {};
  if (!bind_arguments("Slice", kNames, 2, 0b11, args, static_cast<Py_ssize_t>(nargs), kwnames, slots))
    return nullptr;
  velora::Slice s;
  try {
    if (slots[0] != nullptr) s.start = Arg<std::int32_t>::convert(nullptr, slots[0], "start");
    if (slots[1] != nullptr) s.stop = Arg<std::int32_t>::convert(nullptr, slots[1], "stop");
  } catch (const PythonErrorSet&) {
    return nullptr;
  }
  PyObject* obj = type->tp_alloc(type, 0);
  if (obj == nullptr) return nullptr;
  slice_of(obj) = s;
  return obj;
}

PyObject* slice_vectorcall(PyObject* type, PyObject* const* args, std::size_t nargsf, PyObject* kwnames) {
  return slice_from_args(reinterpret_cast<PyTypeObject*>(type), args, PyVectorcall_NARGS(nargsf), kwnames);
}

PyObject* slice_new(PyTypeObject* type, PyObject* args, PyObject* kwargs) {
  FlatArgs flat;
  if (!flatten_call_args(args, kwargs, flat)) return nullptr;
  return slice_from_args(type, flat.items.data(), static_cast<std::size_t>(flat.npos), flat.kwnames.get());
}

PyObject* slice_start(PyObject* self, void*) { return PyLong_FromLong(slice_of(self).start); }
PyObject* slice_stop(PyObject* self, void*) { return PyLong_FromLong(slice_of(self).stop); }
PyObject* slice_size(PyObject* self, void*) { return PyLong_FromLong(slice_of(self).size()); }
PyObject* slice_is_valid(PyObject* self, PyObject*) { return PyBool_FromLong(slice_of(self).is_valid()); }
PyObject* slice_repr(PyObject* self) {
  const auto& s = slice_of(self);
  return py_str("Slice(start=" + std::to_string(s.start) + ", stop=" + std::to_string(s.stop) + ")");
}
PyGetSetDef slice_getset[] = {
    {"start", slice_start, nullptr, nullptr, nullptr},
    {"stop", slice_stop, nullptr, nullptr, nullptr},
    {"size", slice_size, nullptr, nullptr, nullptr},
    {nullptr, nullptr, nullptr, nullptr, nullptr},
};
PyMethodDef slice_methods[] = {
    {"is_valid", slice_is_valid, METH_NOARGS, "is_valid($self, /)\n--\n\n"},
    {nullptr, nullptr, 0, nullptr},
};

template <class Ident>
PyTypeObject* make_ident_type(PyObject* module, const char* qualified, PyGetSetDef* getset, reprfunc repr) {
  PyType_Slot slots[] = {
      {Py_tp_new, reinterpret_cast<void*>(refuse_new)},
      {Py_tp_dealloc, reinterpret_cast<void*>(plain_dealloc)},
      {Py_tp_getset, getset},
      {Py_tp_repr, reinterpret_cast<void*>(repr)},
      {0, nullptr},
  };
  PyType_Spec type_spec = {qualified, sizeof(IdentObject<Ident>), 0,
                      Py_TPFLAGS_DEFAULT | Py_TPFLAGS_IMMUTABLETYPE | Py_TPFLAGS_DISALLOW_INSTANTIATION, slots};
  return reinterpret_cast<PyTypeObject*>(PyType_FromModuleAndSpec(module, &type_spec, nullptr));
}

}  // namespace

bool create_value_classes(PyObject* module, ModuleState* state) {
  state->hcp_ident_type = make_ident_type<velora::HcpIdent>(module, "_velora.HcpIdent", hcp_getset, hcp_repr);
  if (state->hcp_ident_type == nullptr) return false;

  PyType_Slot slice_slots[] = {
      {Py_tp_new, reinterpret_cast<void*>(slice_new)},
      {Py_tp_dealloc, reinterpret_cast<void*>(plain_dealloc)},
      {Py_tp_getset, slice_getset},
      {Py_tp_methods, slice_methods},
      {Py_tp_repr, reinterpret_cast<void*>(slice_repr)},
      {Py_tp_doc, const_cast<char*>("Slice(start=..., stop=...)\n--\n\n")},
      {0, nullptr},
  };
  PyType_Spec slice_spec = {"_velora.Slice", sizeof(SliceObject), 0, Py_TPFLAGS_DEFAULT | Py_TPFLAGS_IMMUTABLETYPE,
                            slice_slots};
  state->slice_type = reinterpret_cast<PyTypeObject*>(PyType_FromModuleAndSpec(module, &slice_spec, nullptr));
  if (state->slice_type == nullptr) return false;
  state->slice_type->tp_vectorcall = slice_vectorcall;

  state->ccp_ident_type = make_ident_type<velora::CcpIdent>(module, "_velora.CcpIdent", ccp_getset, ccp_repr);
  if (state->ccp_ident_type == nullptr) return false;
  state->flow_block_ident_type =
      make_ident_type<velora::FlowBlockIdent>(module, "_velora.FlowBlockIdent", fb_getset, fb_repr);
  if (state->flow_block_ident_type == nullptr) return false;
  state->module_ident_type =
      make_ident_type<velora::ModuleIdent>(module, "_velora.ModuleIdent", mod_getset, mod_repr);
  return state->module_ident_type != nullptr;
}

}  // namespace velora::py
