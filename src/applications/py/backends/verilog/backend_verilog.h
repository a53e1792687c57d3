#pragma once

#include "applications/py/core/module_state.h"

namespace velora::py {

/// Creates the `BackendVerilog` class of `module`.
PyTypeObject* create_backend_verilog_type(PyObject* module);

}  // namespace velora::py
