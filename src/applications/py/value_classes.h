// The Python value classes: identifier snapshots and `Slice`.
#pragma once

#include "applications/py/core/module_state.h"
#include "model/common/identifier.h"
#include "model/hw_component/common/slice.h"

namespace velora::py {

/// A Python object holding a copy of one model identifier.
template <class Ident>
struct IdentObject {
  PyObject_HEAD
  Ident ident;
};

struct SliceObject {
  PyObject_HEAD
  velora::Slice slice;
};

/// Creates the identifier classes and `Slice` and stores them in `state`.
bool create_value_classes(PyObject* module, ModuleState* state);

}  // namespace velora::py
