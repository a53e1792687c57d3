// Python objects that own a model: `ModelArena` and `BackendVerilog`.
//
// Both are bound to the thread that created them and are borrowed
// exclusively for the duration of every call on them.
#pragma once

#include <memory>

#include "applications/py/core/module_state.h"
#include "model/model_arena.h"

namespace velora::py {

struct ModelOwner {
  PyObject_HEAD
  ModuleState* state;
  unsigned long thread_id;
  bool borrowed;
  std::unique_ptr<velora::ModelArena> model;
};

/// Refuses a call from a thread other than the creating one (fatal error).
void check_thread(ModelOwner* self);

/// Exclusive access to an owner's model for the duration of one call.
class Borrow {
 public:
  /// Raises RuntimeError "Already borrowed" when a call is already running.
  explicit Borrow(ModelOwner* owner);
  ~Borrow() { owner_->borrowed = false; }
  Borrow(const Borrow&) = delete;
  Borrow& operator=(const Borrow&) = delete;

 private:
  ModelOwner* owner_;
};

/// tp_dealloc of model owners: destroys the model on the creating thread;
/// on another thread the model is leaked and an unraisable error reported.
void model_owner_dealloc(PyObject* self);

/// Allocates an owner of `type` holding a fresh, empty model.
PyObject* new_model_owner(PyTypeObject* type, ModuleState* state);

}  // namespace velora::py
