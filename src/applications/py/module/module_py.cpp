// `ModelArena` methods for modules and the module trace stack.
#include <string>

#include "applications/py/model/method_tables.h"

namespace velora::py {
namespace {

velora::ModuleIdent mk_module(Call& call, std::string_view name) { return call.model().mk_module(true, name); }

void set_top_module(Call& call, velora::ModuleIdent module_i) { call.model().set_top_module(module_i); }

void track_module_at_com_init(Call& call, velora::ModuleIdent module_i) {
  call.model().track_module_at_com_init(module_i);
}

void track_module_at_flow_init(Call& call, velora::ModuleIdent module_i) {
  call.model().track_module_at_flow_init(module_i);
}

void untrack_module_at_com_init(Call& call, velora::ModuleIdent module_i) {
  call.model().untrack_module_at_com_init(module_i);
}

void untrack_module_at_flow_init(Call& call, velora::ModuleIdent module_i) {
  call.model().untrack_module_at_flow_init(module_i);
}

std::string module_verilog_name(Call& call, velora::ModuleIdent module_i) {
  return call.model().module_verilog_name(module_i);
}

}  // namespace

void add_module_methods(MethodTable& t) {
  t.push_back(method<&mk_module, "mk_module", "name">());
  t.push_back(method<&set_top_module, "set_top_module", "module_i">());
  t.push_back(method<&track_module_at_com_init, "track_module_at_com_init", "module_i">());
  t.push_back(method<&track_module_at_flow_init, "track_module_at_flow_init", "module_i">());
  t.push_back(method<&untrack_module_at_com_init, "untrack_module_at_com_init", "module_i">());
  t.push_back(method<&untrack_module_at_flow_init, "untrack_module_at_flow_init", "module_i">());
  t.push_back(method<&module_verilog_name, "module_verilog_name", "module_i">());
}

}  // namespace velora::py
