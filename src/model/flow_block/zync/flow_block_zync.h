// Zync blocks: assignments performed when an arbiter grants. The record with
// its arbiter binds and the compiler come later; until then a bare record
// (see deferred_flow_block.h).
#pragma once

#include "model/flow_block/common/deferred_flow_block.h"

namespace velora {

using FlowBlockZync = DeferredFlowBlock<FlowBlockType::Zync>;

}  // namespace velora
