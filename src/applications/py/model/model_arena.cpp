// The `ModelArena` class: a thread-bound owner of one model, whose methods
// are declared by the method families.
#include "applications/py/model/model_arena.h"

#include <mutex>

#include "applications/py/model/method_tables.h"

namespace velora::py {
namespace {

PyObject* model_arena_vectorcall(PyObject* type, PyObject* const* args, std::size_t nargsf, PyObject* kwnames) {
  static constexpr const char* kNoNames[] = {nullptr};
  PyObject* slots[1] = {};
  if (!bind_arguments("ModelArena", kNoNames, 0, 0, args, PyVectorcall_NARGS(nargsf), kwnames, slots))
    return nullptr;
  auto* t = reinterpret_cast<PyTypeObject*>(type);
  return new_model_owner(t, state_of_type(t));
}

PyObject* model_arena_new(PyTypeObject* type, PyObject* args, PyObject* kwargs) {
  if (PyTuple_GET_SIZE(args) != 0 || (kwargs != nullptr && PyDict_GET_SIZE(kwargs) != 0)) {
    PyErr_SetString(PyExc_TypeError, "ModelArena() takes no arguments");
    return nullptr;
  }
  return new_model_owner(type, state_of_type(type));
}

PyMethodDef* method_table() {
  static PyMethodDef* table = [] {
    auto* t = new MethodTable();
    add_module_methods(*t);
    add_hw_component_methods(*t);
    add_asm_priority_methods(*t);
    add_flow_block_methods(*t);
    t->push_back(PyMethodDef{nullptr, nullptr, 0, nullptr});
    return t->data();
  }();
  return table;
}

}  // namespace

PyTypeObject* create_model_arena_type(PyObject* module) {
  PyType_Slot slots[] = {
      {Py_tp_new, reinterpret_cast<void*>(model_arena_new)},
      {Py_tp_dealloc, reinterpret_cast<void*>(model_owner_dealloc)},
      {Py_tp_methods, method_table()},
      {Py_tp_doc, const_cast<char*>("ModelArena()\n--\n\n")},
      {0, nullptr},
  };
  PyType_Spec type_spec = {"_velora.ModelArena", sizeof(ModelOwner), 0, Py_TPFLAGS_DEFAULT | Py_TPFLAGS_IMMUTABLETYPE,
                      slots};
  auto* type = reinterpret_cast<PyTypeObject*>(PyType_FromModuleAndSpec(module, &type_spec, nullptr));
  if (type != nullptr) type->tp_vectorcall = model_arena_vectorcall;
  return type;
}

}  // namespace velora::py
