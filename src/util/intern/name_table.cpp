#include "util/intern/name_table.h"

#include <array>
#include <atomic>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "common/error.h"

namespace velora {
namespace {

// Entries live in fixed-size blocks that never move, so a reader needs only
// an acquire load of the block pointer. The characters live in large chunks.
constexpr std::size_t kBlockBits = 16;
constexpr std::size_t kBlockSize = std::size_t{1} << kBlockBits;
constexpr std::size_t kMaxBlocks = std::size_t{1} << (32 - kBlockBits);
constexpr std::size_t kChunkSize = 256 * 1024;

struct Entry {
  const char* data;
  std::uint32_t size;
};

class NameTable {
 public:
  NameTable() : slots_(1024, 0) { intern(std::string_view{}); }

  NameId intern(std::string_view text) {
    const std::uint64_t h = hash(text);
    const std::uint32_t tag = static_cast<std::uint32_t>(h >> 32);
    std::lock_guard<std::mutex> lock(mutex_);
    std::size_t mask = slots_.size() - 1;
    for (std::size_t i = static_cast<std::size_t>(h) & mask;; i = (i + 1) & mask) {
      const std::uint64_t slot = slots_[i];
      if (slot == 0) {
        NameId id = add_locked(text);
        slots_[i] = (std::uint64_t{tag} << 32) | (std::uint64_t{id} + 1);
        if (++used_ * 2 > slots_.size()) grow();
        return id;
      }
      if (static_cast<std::uint32_t>(slot >> 32) == tag) {
        NameId id = static_cast<NameId>((slot & 0xFFFFFFFFu) - 1);
        if (text_locked(id) == text) return id;
      }
    }
  }

  std::string_view text(NameId id) const {
    const Entry* block = blocks_[id >> kBlockBits].load(std::memory_order_acquire);
    const Entry& e = block[id & (kBlockSize - 1)];
    return std::string_view(e.data, e.size);
  }

  std::size_t count() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return next_;
  }

 private:
  NameId add_locked(std::string_view text) {
    if (next_ >= kMaxBlocks * kBlockSize) fatal("too many distinct names");
    const char* stored = store_chars(text);
    NameId id = static_cast<NameId>(next_++);
    std::size_t b = id >> kBlockBits;
    Entry* block = blocks_[b].load(std::memory_order_relaxed);
    if (block == nullptr) {
      owned_blocks_.push_back(std::make_unique<Entry[]>(kBlockSize));
      block = owned_blocks_.back().get();
      blocks_[b].store(block, std::memory_order_release);
    }
    block[id & (kBlockSize - 1)] = Entry{stored, static_cast<std::uint32_t>(text.size())};
    return id;
  }

  std::string_view text_locked(NameId id) const {
    const Entry& e = blocks_[id >> kBlockBits].load(std::memory_order_relaxed)[id & (kBlockSize - 1)];
    return std::string_view(e.data, e.size);
  }

  // FNV-1a folded through a multiplicative mix: cheap for the short names
  // identifiers carry, and well spread over both halves of the word.
  static std::uint64_t hash(std::string_view text) {
    std::uint64_t h = 1469598103934665603ull;
    for (unsigned char c : text) h = (h ^ c) * 1099511628211ull;
    h ^= h >> 29;
    h *= 0xbf58476d1ce4e5b9ull;
    h ^= h >> 32;
    return h;
  }

  /// Doubles the open-addressing index; slots hold (hash tag << 32 | id + 1).
  void grow() {
    std::vector<std::uint64_t> old = std::move(slots_);
    slots_.assign(old.size() * 2, 0);
    const std::size_t mask = slots_.size() - 1;
    for (std::uint64_t slot : old) {
      if (slot == 0) continue;
      NameId id = static_cast<NameId>((slot & 0xFFFFFFFFu) - 1);
      std::size_t i = static_cast<std::size_t>(hash(text_locked(id))) & mask;
      while (slots_[i] != 0) i = (i + 1) & mask;
      slots_[i] = slot;
    }
  }

  const char* store_chars(std::string_view text) {
    if (text.empty()) return "";
    if (text.size() > kChunkSize / 4) {
      big_.push_back(std::make_unique<char[]>(text.size()));
      std::memcpy(big_.back().get(), text.data(), text.size());
      return big_.back().get();
    }
    if (chunk_left_ < text.size()) {
      chunks_.push_back(std::make_unique<char[]>(kChunkSize));
      chunk_pos_ = chunks_.back().get();
      chunk_left_ = kChunkSize;
    }
    char* out = chunk_pos_;
    std::memcpy(out, text.data(), text.size());
    chunk_pos_ += text.size();
    chunk_left_ -= text.size();
    return out;
  }

  mutable std::mutex mutex_;
  std::vector<std::uint64_t> slots_;
  std::size_t used_ = 0;
  std::array<std::atomic<Entry*>, kMaxBlocks> blocks_{};
  std::vector<std::unique_ptr<Entry[]>> owned_blocks_;
  std::vector<std::unique_ptr<char[]>> chunks_;
  std::vector<std::unique_ptr<char[]>> big_;
  char* chunk_pos_ = nullptr;
  std::size_t chunk_left_ = 0;
  std::size_t next_ = 0;
};

NameTable& table() {
  // Deliberately never destroyed: names stay readable during interpreter
  // shutdown, whatever order static objects are torn down in.
  static NameTable* instance = new NameTable();
  return *instance;
}

}  // namespace

NameId intern_name(std::string_view text) { return table().intern(text); }
std::string_view name_text(NameId id) { return table().text(id); }
std::size_t interned_name_count() { return table().count(); }

}  // namespace velora
