// Arena groups and handles.
//
// Every kind of model entity lives in its own `ArenaGroup<T>`: a contiguous
// array of slots addressed by `ArenaHandle` (slot index plus generation).
// Entities are never removed. An operation that needs one entity exclusively
// while it still has the whole arena at hand takes the entity out of its slot
// (`take`), works on it, and puts it back. `Taken<T>` is the RAII guard for
// this: whatever way the scope is left, the entity goes back into its slot.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "common/error.h"

namespace velora {

struct ArenaHandle {
  std::uint64_t index = 0;
  std::uint32_t generation = 0xFFFFFFFFu;

  // Declared constructors make the type non-trivial for layout, so that
  // identifiers holding a handle as `[[no_unique_address]]` can place small
  // fields in its tail padding.
  constexpr ArenaHandle() = default;
  constexpr ArenaHandle(std::uint64_t i, std::uint32_t g) : index(i), generation(g) {}

  /// The handle of an entity that has not been inserted anywhere.
  static constexpr ArenaHandle nothing() { return ArenaHandle{0, 0xFFFFFFFFu}; }
  bool is_nothing() const { return index == 0 && generation == 0xFFFFFFFFu; }
  friend bool operator==(const ArenaHandle&, const ArenaHandle&) = default;
};

/// "ArenaHandle { index: 3, generation: 0 }"
std::string debug_repr(const ArenaHandle& handle);

namespace arena_detail {
[[noreturn]] [[gnu::cold]] void index_out_of_range();
[[noreturn]] [[gnu::cold]] void generation_mismatch(std::uint32_t slot, std::uint32_t handle);
[[noreturn]] [[gnu::cold]] void slot_already_taken(const ArenaHandle& handle);
[[noreturn]] [[gnu::cold]] void slot_not_taken(const ArenaHandle& handle);
}  // namespace arena_detail

template <class T>
class Taken;

/// Typed slot store. `T` must be default constructible (the empty placeholder
/// left in a taken slot) and give access to its identifier's handle through
/// `set_arena_handle(ArenaHandle)`.
///
/// Slots live in fixed-size blocks: the store grows without moving stored
/// entities, and without the transient doubling of one contiguous array
/// (which would double the peak memory of a large design while it grows).
template <class T>
class ArenaGroup {
 public:
  ArenaGroup() = default;
  ArenaGroup(const ArenaGroup&) = delete;
  ArenaGroup& operator=(const ArenaGroup&) = delete;
  ArenaGroup(ArenaGroup&&) noexcept = default;
  ArenaGroup& operator=(ArenaGroup&&) noexcept = default;

  /// Stores `value` and returns its handle; the stored value's identifier
  /// receives the same handle.
  ArenaHandle insert(T value) {
    ArenaHandle handle{size_, 0};
    value.set_arena_handle(handle);
    if ((size_ & kBlockMask) == 0) blocks_.push_back(std::make_unique<Node[]>(kBlockSize));
    Node& node = node_at(size_);
    node.value = std::move(value);
    node.generation = 0;
    node.taken = false;
    ++size_;
    return handle;
  }

  std::size_t size() const { return size_; }

  /// Shared access to a stored entity in place.
  const T& get(const ArenaHandle& handle) const { return node_at(checked(handle)).value; }
  /// Exclusive access to a stored entity in place.
  T& get_mut(const ArenaHandle& handle) { return node_at(checked(handle)).value; }

  /// Moves the entity out of its slot, leaving the empty placeholder.
  T take_raw(const ArenaHandle& handle) {
    Node& node = node_at(checked(handle));
    if (node.taken) arena_detail::slot_already_taken(handle);
    node.taken = true;
    T out = std::move(node.value);
    node.value = T{};
    return out;
  }

  /// Moves `value` back into the slot it was taken from.
  void replace_back(const ArenaHandle& handle, T value) {
    Node& node = node_at(checked(handle));
    if (!node.taken) arena_detail::slot_not_taken(handle);
    node.value = std::move(value);
    node.taken = false;
  }

  /// Takes the entity out under a guard that puts it back when the scope ends.
  Taken<T> take(const ArenaHandle& handle);

  bool is_taken(const ArenaHandle& handle) const { return node_at(checked(handle)).taken; }

  /// Walks the stored entities in slot order.
  template <class F>
  void for_each(F&& f) const {
    for (std::size_t i = 0; i < size_; ++i) f(node_at(i).value);
  }

 private:
  friend class Taken<T>;
  struct Node {
    T value{};
    std::uint32_t generation = 0;
    bool taken = false;
  };
  static constexpr std::size_t kBlockBits = 8;
  static constexpr std::size_t kBlockSize = std::size_t{1} << kBlockBits;
  static constexpr std::size_t kBlockMask = kBlockSize - 1;

  Node& node_at(std::size_t i) { return blocks_[i >> kBlockBits][i & kBlockMask]; }
  const Node& node_at(std::size_t i) const { return blocks_[i >> kBlockBits][i & kBlockMask]; }

  std::size_t checked(const ArenaHandle& handle) const {
    if (handle.index >= size_) arena_detail::index_out_of_range();
    const Node& node = node_at(static_cast<std::size_t>(handle.index));
    if (node.generation != handle.generation)
      arena_detail::generation_mismatch(node.generation, handle.generation);
    return static_cast<std::size_t>(handle.index);
  }

  std::vector<std::unique_ptr<Node[]>> blocks_;
  std::size_t size_ = 0;
};

/// An entity taken out of its group. Dereference to use it; `put_back()` puts
/// it back early, otherwise the destructor does, also while an exception
/// unwinds, so a slot is never left empty.
template <class T>
class Taken {
 public:
  Taken(ArenaGroup<T>& group, const ArenaHandle& handle)
      : group_(&group), handle_(handle), value_(group.take_raw(handle)) {}
  Taken(const Taken&) = delete;
  Taken& operator=(const Taken&) = delete;
  Taken(Taken&& other) noexcept
      : group_(std::exchange(other.group_, nullptr)), handle_(other.handle_), value_(std::move(other.value_)) {}
  Taken& operator=(Taken&&) = delete;
  ~Taken() {
    if (group_ != nullptr) restore();
  }

  T* operator->() { return &value_; }
  const T* operator->() const { return &value_; }
  T& operator*() { return value_; }
  const T& operator*() const { return value_; }
  const ArenaHandle& handle() const { return handle_; }

  void put_back() {
    if (group_ != nullptr) {
      restore();
      group_ = nullptr;
    }
  }

 private:
  void restore() noexcept {
    // The handle was checked when the entity was taken and slots never move,
    // so this cannot fail.
    auto& node = group_->node_at(static_cast<std::size_t>(handle_.index));
    node.value = std::move(value_);
    node.taken = false;
  }

  ArenaGroup<T>* group_;
  ArenaHandle handle_;
  T value_;
};

template <class T>
Taken<T> ArenaGroup<T>::take(const ArenaHandle& handle) {
  return Taken<T>(*this, handle);
}

}  // namespace velora
