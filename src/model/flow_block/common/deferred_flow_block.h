// Block kinds whose compilers are not written yet.
//
// Conditionals, loops, waits, pipeline stages, zync and pick blocks already
// have their place in the arena and on the flow-block stack: they are created
// as bare records (the kind's join policy and chain_master, no kind-specific
// fields), and opened, filled, validated and closed by the kind's own rules
// (which elements it accepts, its check_prefinalize texts, its "has not been
// built" messages), so the front end sees every kind behave as it will.
// Building one stops with the fatal error "<KIND> blocks cannot be built
// yet" (the kind's display text). Each kind gets its own record when its
// compiler arrives.
#pragma once

#include <optional>
#include <string>

#include "model/flow_block/common/flow_block.h"

namespace velora {

/// The join policy and chain_master every block of a kind is made with.
struct FlowBlockKindTraits {
  FlowBlockJoinPolicy join_policy;
  bool chain_master;
};
FlowBlockKindTraits kind_traits(FlowBlockType type);

/// The element rules of a kind, as data.
struct DeferredKindRules {
  /// Refusal of direct assignment nodes; nullptr: accepted (AsmNode only).
  const char* no_asm_msg;
  enum class Sub : std::uint8_t { OneBody, BasicFlowOnly, TypeOnly, None } sub;
  /// The refusal text of the sub-block rule (the second body, a wrong join
  /// policy, a wrong type, any sub-block).
  const char* sub_msg;
  /// The only sub-block type of `TypeOnly`.
  FlowBlockType sub_type;
  enum class Con : std::uint8_t { Any, TypeOnly, Refused, NotSupported } con;
  /// The refusal text of `TypeOnly` / `Refused`.
  const char* con_msg;
  FlowBlockType con_type;
  /// "has not been built" text of the summary the kind offers; nullptr for
  /// the kinds that offer none.
  const char* not_built_msg;
  /// Whether that summary is `summarize_as_node` (else `summarize_as_block`).
  bool summary_is_node;
};
const DeferredKindRules& deferred_rules(FlowBlockType type);

/// The kind's check_prefinalize text for a block with these elements.
std::optional<std::string> deferred_check_prefinalize(FlowBlockType type, const FlowBlockBase& base);

namespace deferred_detail {
[[noreturn]] [[gnu::cold]] void not_buildable(FlowBlockType type);
void add_element(FlowBlockType type, FlowBlockBase& base, const NcpIdent& node);
void add_sub(FlowBlockType type, FlowBlockBase& base, const FlowBlockIdent& block);
void add_con(FlowBlockType type, FlowBlockBase& base, const FlowBlockIdent& block);
[[noreturn]] [[gnu::cold]] void not_built(FlowBlockType type);
}  // namespace deferred_detail

template <FlowBlockType Type>
class DeferredFlowBlock final : public FlowBlock {
 public:
  FlowBlockBase base;

  DeferredFlowBlock() = default;
  explicit DeferredFlowBlock(std::string_view name)
      : base(Type, kind_traits(Type).join_policy, name, kind_traits(Type).chain_master) {}

  void set_arena_handle(const ArenaHandle& h) { base.ident.ident_base.arena_handle = h; }

  const FlowBlockBase& get_base() const override { return base; }
  FlowBlockBase& get_base_mut() override { return base; }
  void add_element_in_flow_block(const NcpIdent& node) override { deferred_detail::add_element(Type, base, node); }
  void add_sub_flow_block(const FlowBlockIdent& block) override { deferred_detail::add_sub(Type, base, block); }
  void add_con_flow_block(const FlowBlockIdent& block) override { deferred_detail::add_con(Type, base, block); }
  HcpIdent get_loop_id_expr_i() const override {
    if constexpr (Type == FlowBlockType::CounterLoop)
      fatal("counter loop has not been built yet");
    else
      return FlowBlock::get_loop_id_expr_i();
  }
  /// The kind's "has not been built" message, or "not supported".
  NodeWrap summarize_as_block() const override {
    const DeferredKindRules& r = deferred_rules(Type);
    if (r.summary_is_node || r.not_built_msg == nullptr) return FlowBlock::summarize_as_block();
    deferred_detail::not_built(Type);
  }
  std::optional<NcpIdent> summarize_as_node() const override {
    const DeferredKindRules& r = deferred_rules(Type);
    if (!r.summary_is_node || r.not_built_msg == nullptr) return FlowBlock::summarize_as_node();
    deferred_detail::not_built(Type);
  }
  std::optional<std::string> check_prefinalize() const override {
    return deferred_check_prefinalize(Type, base);
  }
  /// Fatal "<KIND> blocks cannot be built yet".
  void build_hw_component(ModelArena&) override { deferred_detail::not_buildable(Type); }
};

}  // namespace velora
