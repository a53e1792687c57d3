// Per-module state of `_velora`: the heap types and the fatal-error class.
#pragma once

#include "applications/py/core/py_ref.h"

namespace velora::py {

struct ModuleState {
  PyObject* fatal_error = nullptr;  ///< derives from BaseException, not Exception
  PyTypeObject* model_arena_type = nullptr;
  PyTypeObject* hcp_ident_type = nullptr;
  PyTypeObject* slice_type = nullptr;
  PyTypeObject* ccp_ident_type = nullptr;
  PyTypeObject* flow_block_ident_type = nullptr;
  PyTypeObject* module_ident_type = nullptr;
  PyTypeObject* backend_verilog_type = nullptr;
};

extern PyModuleDef velora_module_def;

/// The state of the module that defined `type` (a heap type of this module).
ModuleState* state_of_type(PyTypeObject* type);

}  // namespace velora::py
