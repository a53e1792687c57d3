// The process-wide table of interned names.
//
// Identifiers carry names as 32-bit `NameId`s into this table, so an
// identifier is a small fixed-size value that copies without allocating and
// compares names by number. The table only grows; a name, once interned, lives
// until the process ends (identifier snapshots held by Python may outlive
// every model). Interning takes a lock; reading a name does not.
#pragma once

#include <cstdint>
#include <string_view>

namespace velora {

using NameId = std::uint32_t;

/// The id of the empty name.
inline constexpr NameId kEmptyName = 0;

/// Returns the id of `text`, adding it to the table the first time.
NameId intern_name(std::string_view text);

/// The text of an interned name. Valid for the life of the process.
std::string_view name_text(NameId id);

/// Number of distinct names interned so far (the empty name included).
std::size_t interned_name_count();

}  // namespace velora
