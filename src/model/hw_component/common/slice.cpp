#include "model/hw_component/common/slice.h"

#include "common/error.h"

namespace velora {

std::string debug_repr(const Slice& s) {
  return "Slice { start: " + std::to_string(s.start) + ", stop: " + std::to_string(s.stop) + " }";
}

void check_cond_slice_match(std::int32_t width, const OptSlice& cond_slice) {
  std::int64_t effective = width;
  if (cond_slice && cond_slice->is_valid()) {
    if (width < cond_slice->stop)
      value_error("cond slice " + debug_repr(*cond_slice) + " does not fit cond variable of width " +
                  std::to_string(width));
    effective = cond_slice->size();
  }
  if (effective != 1)
    value_error("cond must be 1-bit, got " + std::to_string(effective) +
                " (slice the cond variable down to one bit)");
}

}  // namespace velora
