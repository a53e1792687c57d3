// `ModelArena` methods of the flow-block lifecycle, the block factories and
// `build_flow`.
#include <string>

#include "applications/py/model/method_tables.h"

namespace velora::py {
namespace {

void initialize_flow_block(Call& call, velora::FlowBlockIdent block_i) { call.model().initialize_flow_block(block_i); }

void check_flow_block_prefinalize(Call& call, velora::FlowBlockIdent block_i) {
  if (auto problem = call.model().check_flow_block_prefinalize(block_i)) velora::value_error(*problem);
}

void finalize_flow_block(Call& call, velora::FlowBlockIdent block_i) {
  call.model().finalize_flow_block(block_i, false);
}

void finalize_flow_procedure(Call& call) { call.model().finalize_flow_procedure(); }

std::int32_t get_last_skeleton_flow_block_type(Call& call) {
  return static_cast<std::int32_t>(call.model().get_last_skeleton_flow_block_type());
}

void build_flow(Call& call) { call.model().build_flow(); }

velora::FlowBlockIdent mk_flow_block_seq(Call& call, std::string_view name) {
  return call.model().mk_flow_block_seq(name);
}

velora::FlowBlockIdent mk_flow_block_par_auto(Call& call, std::string_view name) {
  return call.model().mk_flow_block_par_auto(name);
}

velora::FlowBlockIdent mk_flow_block_par_no_sync(Call& call, std::string_view name) {
  return call.model().mk_flow_block_par_no_sync(name);
}

}  // namespace

void add_flow_block_methods(MethodTable& t) {
  t.push_back(method<&initialize_flow_block, "initialize_flow_block", "block_i">());
  t.push_back(method<&check_flow_block_prefinalize, "check_flow_block_prefinalize", "block_i">());
  t.push_back(method<&finalize_flow_block, "finalize_flow_block", "block_i">());
  t.push_back(method<&finalize_flow_procedure, "finalize_flow_procedure">());
  t.push_back(method<&get_last_skeleton_flow_block_type, "get_last_skeleton_flow_block_type">());
  t.push_back(method<&build_flow, "build_flow">());
  t.push_back(method<&mk_flow_block_seq, "mk_flow_block_seq", "name">());
  t.push_back(method<&mk_flow_block_par_auto, "mk_flow_block_par_auto", "name">());
  t.push_back(method<&mk_flow_block_par_no_sync, "mk_flow_block_par_no_sync", "name">());
}

}  // namespace velora::py
