#pragma once

#include <cstdint>
#include <string_view>

#include "model/model_arena.h"
#include "util/math/vary_val.h"

namespace velora::py {

/// Turns an integer literal into its own user constant "<name>_c" of `width`
/// bits (value mod 2^width); width 0 gives the empty constant.
velora::HcpIdent make_const_val(velora::ModelArena& model, std::string_view name, const velora::BigInt& value,
                                std::int32_t width);

}  // namespace velora::py
