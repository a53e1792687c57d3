// Wait blocks (scwait, sywait). The compiler comes later; until then a bare
// record (see deferred_flow_block.h).
#pragma once

#include "model/flow_block/common/deferred_flow_block.h"

namespace velora {

using FlowBlockWait = DeferredFlowBlock<FlowBlockType::Wait>;

}  // namespace velora
