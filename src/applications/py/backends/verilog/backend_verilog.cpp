// `BackendVerilog(arena)`: takes the model out of a `ModelArena`, leaving it
// a fresh empty one, and writes it as Verilog.
#include "applications/py/backends/verilog/backend_verilog.h"

#include <utility>

#include "applications/py/core/call.h"
#include "applications/py/core/py_stdout.h"
#include "backends/verilog/backend.h"

namespace velora::py {
namespace {

PyObject* backend_from_args(PyTypeObject* type, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  static constexpr const char* kNames[] = {"arena", nullptr};
  PyObject* slots[1] = {};
  if (!bind_arguments("BackendVerilog", kNames, 1, 0, args, nargs, kwnames, slots)) return nullptr;
  ModuleState* state = state_of_type(type);
  if (!PyObject_TypeCheck(slots[0], state->model_arena_type)) {
    PyErr_Format(PyExc_TypeError, "argument 'arena': '%s' object is not an instance of 'ModelArena'",
                 Py_TYPE(slots[0])->tp_name);
    return nullptr;
  }
  auto* arena = reinterpret_cast<ModelOwner*>(slots[0]);
  PyRef backend;
  try {
    check_thread(arena);
    Borrow borrow(arena);
    backend = PyRef::steal(new_model_owner(type, state));
    if (!backend) return nullptr;
    // The fresh model made for the backend goes to the arena; the backend
    // keeps the described one.
    std::swap(reinterpret_cast<ModelOwner*>(backend.get())->model, arena->model);
  } catch (...) {
    set_python_error(state);
    return nullptr;
  }
  return backend.release();
}

PyObject* backend_vectorcall(PyObject* type, PyObject* const* args, std::size_t nargsf, PyObject* kwnames) {
  return backend_from_args(reinterpret_cast<PyTypeObject*>(type), args, PyVectorcall_NARGS(nargsf), kwnames);
}

PyObject* backend_new(PyTypeObject* type, PyObject* args, PyObject* kwargs) {
  FlatArgs flat;
  if (!flatten_call_args(args, kwargs, flat)) return nullptr;
  return backend_from_args(type, flat.items.data(), flat.npos, flat.kwnames.get());
}

// `emit(output_dir, top_file_name)`: routing, preparation and one file per
// module; progress lines go to sys.stdout.
void emit(Call& call, std::string_view output_dir, std::string_view top_file_name) {
  PyStdoutBuf buffer;
  std::ostream progress(&buffer);
  // When emission itself fails, its error is raised; a failure to print
  // progress is dropped with the buffer.
  velora::emit_verilog(call.model(), output_dir, top_file_name, progress);
  if (!buffer.finish()) throw PythonErrorSet{};
}

PyMethodDef backend_methods[] = {
    method<&emit, "emit", "output_dir", "top_file_name">(),
    {nullptr, nullptr, 0, nullptr},
};

}  // namespace

PyTypeObject* create_backend_verilog_type(PyObject* module) {
  PyType_Slot slots[] = {
      {Py_tp_new, reinterpret_cast<void*>(backend_new)},
      {Py_tp_dealloc, reinterpret_cast<void*>(model_owner_dealloc)},
      {Py_tp_methods, backend_methods},
      {Py_tp_doc, const_cast<char*>("BackendVerilog(arena)\n--\n\n")},
      {0, nullptr},
  };
  PyType_Spec type_spec = {"_velora.BackendVerilog", sizeof(ModelOwner), 0,
                      Py_TPFLAGS_DEFAULT | Py_TPFLAGS_IMMUTABLETYPE, slots};
  auto* type = reinterpret_cast<PyTypeObject*>(PyType_FromModuleAndSpec(module, &type_spec, nullptr));
  if (type != nullptr) type->tp_vectorcall = backend_vectorcall;
  return type;
}

}  // namespace velora::py
