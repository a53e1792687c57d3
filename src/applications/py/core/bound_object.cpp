#include "applications/py/core/bound_object.h"

#include <new>
#include <string>

#include "applications/py/core/call.h"

namespace velora::py {

void check_thread(ModelOwner* self) {
  if (self->thread_id != PyThread_get_thread_ident()) {
    PyErr_SetString(self->state->fatal_error,
                    (std::string(Py_TYPE(self)->tp_name) +
                     " is bound to the thread that created it and cannot be used from another thread")
                        .c_str());
    throw PythonErrorSet{};
  }
}

Borrow::Borrow(ModelOwner* owner) : owner_(owner) {
  if (owner->borrowed) {
    PyErr_SetString(PyExc_RuntimeError, "Already borrowed");
    throw PythonErrorSet{};
  }
  owner->borrowed = true;
}

void model_owner_dealloc(PyObject* self) {
  auto* owner = reinterpret_cast<ModelOwner*>(self);
  PyTypeObject* type = Py_TYPE(self);
  if (owner->thread_id == PyThread_get_thread_ident()) {
    owner->model.~unique_ptr();
  } else {
    // Releasing the model here could race with the owning thread's use of
    // the identifiers it handed out; leak it and say so.
    (void)owner->model.release();
    owner->model.~unique_ptr();
    PyObject *type_e, *value_e, *tb_e;
    PyErr_Fetch(&type_e, &value_e, &tb_e);
    PyErr_SetString(PyExc_RuntimeError,
                    "a model owner was released on a thread other than the one that created it; "
                    "its model is leaked");
    // Report against the type: the object itself is being destroyed.
    PyErr_WriteUnraisable(reinterpret_cast<PyObject*>(type));
    PyErr_Restore(type_e, value_e, tb_e);
  }
  type->tp_free(self);
  Py_DECREF(type);
}

PyObject* new_model_owner(PyTypeObject* type, ModuleState* state) {
  PyObject* obj = type->tp_alloc(type, 0);
  if (obj == nullptr) return nullptr;
  auto* owner = reinterpret_cast<ModelOwner*>(obj);
  owner->state = state;
  owner->thread_id = PyThread_get_thread_ident();
  owner->borrowed = false;
  new (&owner->model) std::unique_ptr<velora::ModelArena>();
  try {
    owner->model = std::make_unique<velora::ModelArena>();
  } catch (const std::bad_alloc&) {
    Py_DECREF(obj);
    return PyErr_NoMemory();
  }
  return obj;
}

}  // namespace velora::py
