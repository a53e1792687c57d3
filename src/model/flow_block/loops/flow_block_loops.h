// Loop blocks: while (cwhile/swhile), do-while and counter loops. Their
// compilers come later; until then they are bare records (see
// deferred_flow_block.h).
#pragma once

#include "model/flow_block/common/deferred_flow_block.h"

namespace velora {

using FlowBlockWhile = DeferredFlowBlock<FlowBlockType::WhileLoop>;
using FlowBlockDoWhile = DeferredFlowBlock<FlowBlockType::DoWhile>;
using FlowBlockCounterLoop = DeferredFlowBlock<FlowBlockType::CounterLoop>;

}  // namespace velora
