// The assignments handed to one insertion of a merge pool, indexed by
// destination so that each group finds its joining assignment without
// scanning the whole list.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <unordered_map>
#include <vector>

#include "model/hw_component/common/assign_meta.h"

namespace velora {

class ModelArena;

class PendingAsms {
 public:
  explicit PendingAsms(std::vector<AssignMeta> asms);

  /// Removes and returns the event of the first remaining assignment to `des`
  /// whose event is joinable with `group_first` (same priority, clock mode
  /// and clock source); nothing when there is none.
  std::optional<UpdateEventIdent> take_joinable(const ModelArena& arena, const HcpIdent& des,
                                                const UpdateEventIdent& group_first);

  /// Calls `f(global id)` once for each destination assigned.
  template <class F>
  void for_each_des(F&& f) const {
    for (const auto& entry : by_des_) f(entry.first);
  }

  /// Calls `f(const AssignMeta&)` for every remaining assignment, in order.
  template <class F>
  void for_each_remaining(F&& f) const {
    for (std::size_t i = 0; i < asms_.size(); ++i)
      if (!used_[i]) f(asms_[i]);
  }

 private:
  std::vector<AssignMeta> asms_;
  std::vector<bool> used_;
  std::unordered_map<std::uint64_t, std::vector<std::size_t>> by_des_;
};

/// The first present event of `ues` (groups always have one).
const UpdateEventIdent& first_present(const std::vector<OptUeIdent>& ues);

}  // namespace velora
