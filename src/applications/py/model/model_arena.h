#pragma once

#include "applications/py/core/module_state.h"

namespace velora::py {

/// Creates the `ModelArena` class of `module`.
PyTypeObject* create_model_arena_type(PyObject* module);

}  // namespace velora::py
