// All flow block records, for the arena's sixteen flow block groups.
#pragma once

#include "model/flow_block/cond/flow_block_cond.h"
#include "model/flow_block/loops/flow_block_loops.h"
#include "model/flow_block/par/flow_block_par.h"
#include "model/flow_block/pipeline/flow_block_pip.h"
#include "model/flow_block/seq/flow_block_seq.h"
#include "model/flow_block/wait/flow_block_wait.h"
#include "model/flow_block/zync/flow_block_zync.h"
