// Pipeline stages. The compiler (and the adoption of the arbiter's hold and
// reset, through `adopt_ext_sources`) comes later; until then a bare record
// (see deferred_flow_block.h).
#pragma once

#include "model/flow_block/common/deferred_flow_block.h"

namespace velora {

using FlowBlockPip = DeferredFlowBlock<FlowBlockType::Pipeline>;

}  // namespace velora
