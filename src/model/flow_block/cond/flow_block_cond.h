// Conditional blocks: cond chains (cif/sif, cselif/cselse), zero-cycle cond
// chains (zif, zelif/zelse), the zero-cycle switch (zstate, zcase) and pick
// blocks (pick, pif/pidef). Their compilers come later; until then they are
// bare records (see deferred_flow_block.h).
#pragma once

#include "model/flow_block/common/deferred_flow_block.h"

namespace velora {

using FlowBlockCond = DeferredFlowBlock<FlowBlockType::CondIf>;
using FlowBlockCondElif = DeferredFlowBlock<FlowBlockType::CondElif>;
using FlowBlockZeroCondIf = DeferredFlowBlock<FlowBlockType::ZeroCondIf>;
using FlowBlockZeroCondElif = DeferredFlowBlock<FlowBlockType::ZeroCondElif>;
using FlowBlockZeroSwitch = DeferredFlowBlock<FlowBlockType::ZeroSwitch>;
using FlowBlockZeroSwitchCase = DeferredFlowBlock<FlowBlockType::ZeroSwitchCase>;
using FlowBlockPick = DeferredFlowBlock<FlowBlockType::Pick>;
using FlowBlockPickIf = DeferredFlowBlock<FlowBlockType::PickIf>;

}  // namespace velora
