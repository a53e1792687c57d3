// Entry point of the `_velora` extension module.
//
// Multi-phase initialisation with one execution step, which adds, in this
// order: the seven classes, the five `IntEnum` enumerations (built through
// the `enum` module), the seven assignment-priority constants and the list of
// their names. The fatal-error class lives in the module state and derives
// from BaseException, so `except Exception` does not swallow it.
#include <array>
#include <string_view>
#include <utility>

#include "applications/py/backends/verilog/backend_verilog.h"
#include "applications/py/core/module_state.h"
#include "applications/py/model/model_arena.h"
#include "applications/py/value_classes.h"

namespace velora::py {
namespace {

ModuleState* state_of(PyObject* module) { return static_cast<ModuleState*>(PyModule_GetState(module)); }

bool add_type(PyObject* module, const char* name, PyTypeObject* type) {
  return type != nullptr && PyModule_AddObjectRef(module, name, reinterpret_cast<PyObject*>(type)) == 0;
}

template <std::size_t N>
bool add_int_enum(PyObject* module, PyObject* int_enum, const char* name,
                  const std::array<std::pair<const char*, int>, N>& members) {
  PyRef dict = PyRef::steal(PyDict_New());
  if (!dict) return false;
  for (const auto& [member, value] : members) {
    PyRef v = PyRef::steal(PyLong_FromLong(value));
    if (!v || PyDict_SetItemString(dict.get(), member, v.get()) != 0) return false;
  }
  PyRef args = PyRef::steal(Py_BuildValue("(sO)", name, dict.get()));
  PyRef kwargs = PyRef::steal(Py_BuildValue("{ss}", "module", "_velora"));
  if (!args || !kwargs) return false;
  PyRef cls = PyRef::steal(PyObject_Call(int_enum, args.get(), kwargs.get()));
  return cls && PyModule_AddObjectRef(module, name, cls.get()) == 0;
}

template <std::size_t N>
std::array<std::pair<const char*, int>, N> positional(const std::array<const char*, N>& names) {
  std::array<std::pair<const char*, int>, N> out{};
  for (std::size_t i = 0; i < N; ++i) out[i] = {names[i], static_cast<int>(i)};
  return out;
}

bool add_enumerations(PyObject* module) {
  PyRef enum_module = PyRef::steal(PyImport_ImportModule("enum"));
  if (!enum_module) return false;
  PyRef int_enum = PyRef::steal(PyObject_GetAttrString(enum_module.get(), "IntEnum"));
  if (!int_enum) return false;
  static constexpr std::array<const char*, 26> kLogicOp = {
      "BitwiseAnd", "BitwiseOr",   "BitwiseXor",  "BitwiseInvr", "BitwiseShl", "BitwiseShr", "LogicalAnd",
      "LogicalOr",  "LogicalNot",  "RelationEq",  "RelationNeq", "RelationLe", "RelationLeq", "RelationGe",
      "RelationGeq", "RelationSlt", "RelationSgt", "ArithPlus", "ArithMinus", "ArithMul", "ArithDiv",
      "ArithDivr",  "ExtendBit",   "SliceBit",    "Assign",      "Dummy"};
  static constexpr std::array<const char*, 3> kArbSamePriPolicy = {"AckOne", "AckAll", "NotAck"};
  static constexpr std::array<const char*, 2> kArbLockedChannel = {"Req", "Ack"};
  static constexpr std::array<const char*, 13> kHwComponentType = {
      "REG", "SR_ST", "SR_CDWT", "SR_CYWT", "CNT_REG", "SR_SY", "WIRE",
      "NEST", "VAL", "MEM_BLOCK_INDEXER", "EXPR", "IO_WIRE", "MEM_BLOCK"};
  static constexpr std::array<const char*, 16> kFlowBlockType = {
      "Sequential", "Parallel", "CondIf", "CondElif", "ZeroCondIf", "ZeroCondElif",
      "ZeroSwitch", "ZeroSwitchCase", "WhileLoop", "DoWhile", "CounterLoop", "Wait",
      "Pipeline", "Zync", "Pick", "PickIf"};
  PyObject* ie = int_enum.get();
  return add_int_enum(module, ie, "LogicOp", positional(kLogicOp)) &&
         add_int_enum(module, ie, "ArbSamePriPolicy", positional(kArbSamePriPolicy)) &&
         add_int_enum(module, ie, "ArbLockedChannel", positional(kArbLockedChannel)) &&
         add_int_enum(module, ie, "HwComponentType", positional(kHwComponentType)) &&
         add_int_enum(module, ie, "FlowBlockType", positional(kFlowBlockType));
}

bool add_priority_constants(PyObject* module) {
  static constexpr std::array<std::pair<const char*, long>, 7> kConstants = {{
      {"DEFAULT_UE_PRI_USER", 10},
      {"DEFAULT_UE_PRI_INTERNAL_MAX", 100},
      {"DEFAULT_UE_PRI_INTERNAL_MIN", 50},
      {"DEFAULT_UE_PRI_RST", 2147483647},
      {"DEFAULT_UE_PRI_MIN", 0},
      {"DEFAULT_UE_PRI_FALLBACK", 1},
      {"DEFAULT_UE_SUB_PRIORITY_USER", 0},
  }};
  PyRef names = PyRef::steal(PyList_New(0));
  if (!names) return false;
  for (const auto& [name, value] : kConstants) {
    if (PyModule_AddIntConstant(module, name, value) != 0) return false;
    PyRef text = PyRef::steal(PyUnicode_FromString(name));
    if (!text || PyList_Append(names.get(), text.get()) != 0) return false;
  }
  return PyModule_AddObjectRef(module, "_ASM_PRIORITY_CONST_NAMES", names.get()) == 0;
}

int velora_exec(PyObject* module) {
  ModuleState* state = state_of(module);
  state->fatal_error = PyErr_NewExceptionWithDoc(
      "_velora.FatalError",
      "A violated invariant of the model. The model is left as it was when the error arose; discard it.",
      PyExc_BaseException, nullptr);
  if (state->fatal_error == nullptr) return -1;
  state->model_arena_type = create_model_arena_type(module);
  if (!add_type(module, "ModelArena", state->model_arena_type)) return -1;
  if (!create_value_classes(module, state)) return -1;
  if (!add_type(module, "HcpIdent", state->hcp_ident_type) || !add_type(module, "Slice", state->slice_type) ||
      !add_type(module, "CcpIdent", state->ccp_ident_type) ||
      !add_type(module, "FlowBlockIdent", state->flow_block_ident_type) ||
      !add_type(module, "ModuleIdent", state->module_ident_type))
    return -1;
  state->backend_verilog_type = create_backend_verilog_type(module);
  if (!add_type(module, "BackendVerilog", state->backend_verilog_type)) return -1;
  if (!add_enumerations(module)) return -1;
  if (!add_priority_constants(module)) return -1;
  return 0;
}

int velora_traverse(PyObject* module, visitproc visit, void* arg) {
  ModuleState* s = state_of(module);
  if (s == nullptr) return 0;
  Py_VISIT(s->fatal_error);
  Py_VISIT(s->model_arena_type);
  Py_VISIT(s->hcp_ident_type);
  Py_VISIT(s->slice_type);
  Py_VISIT(s->ccp_ident_type);
  Py_VISIT(s->flow_block_ident_type);
  Py_VISIT(s->module_ident_type);
  Py_VISIT(s->backend_verilog_type);
  return 0;
}

int velora_clear(PyObject* module) {
  ModuleState* s = state_of(module);
  if (s == nullptr) return 0;
  Py_CLEAR(s->fatal_error);
  Py_CLEAR(s->model_arena_type);
  Py_CLEAR(s->hcp_ident_type);
  Py_CLEAR(s->slice_type);
  Py_CLEAR(s->ccp_ident_type);
  Py_CLEAR(s->flow_block_ident_type);
  Py_CLEAR(s->module_ident_type);
  Py_CLEAR(s->backend_verilog_type);
  return 0;
}

void velora_free(void* module) { velora_clear(static_cast<PyObject*>(module)); }

PyModuleDef_Slot velora_slots[] = {
    {Py_mod_exec, reinterpret_cast<void*>(velora_exec)},
    {0, nullptr},
};

}  // namespace

PyModuleDef velora_module_def = {
    PyModuleDef_HEAD_INIT, "_velora", "", sizeof(ModuleState), nullptr, velora_slots,
    velora_traverse,       velora_clear, velora_free,
};

ModuleState* state_of_type(PyTypeObject* type) {
  PyObject* module = PyType_GetModuleByDef(type, &velora_module_def);
  return module == nullptr ? nullptr : state_of(module);
}

}  // namespace velora::py

PyMODINIT_FUNC PyInit__velora(void) { return PyModuleDef_Init(&velora::py::velora_module_def); }
