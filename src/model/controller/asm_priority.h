// The assignment-priority controller.
//
// Two per-thread values decide the priority of every assignment metadata and
// basic update event made while an assignment is generated: the mode
// (`CUR_MODE`, Auto or Manual) and the current priority (`CUR_PRIORITY`).
// Each thread starts in Auto mode with priority 10.
#pragma once

#include <cstdint>
#include <string_view>

namespace velora {

enum class AsmNodePriorityMode : std::uint8_t { Auto = 0, Manual = 1 };

/// The priority every thread starts with, and that Auto mode restores.
inline constexpr std::int32_t kAutoAsmPriority = 10;

/// "Auto" or "Manual".
std::string_view mode_text(AsmNodePriorityMode mode);

/// The calling thread's `CUR_MODE`.
AsmNodePriorityMode get_asm_pri_mode();
/// The calling thread's `CUR_PRIORITY`.
std::int32_t get_cur_priority();

/// `CUR_MODE` = Auto, `CUR_PRIORITY` = 10.
void set_asm_pri_to_auto();
/// `CUR_MODE` = Manual, `CUR_PRIORITY` = `priority`.
void set_asm_pri_to_manual(std::int32_t priority);

}  // namespace velora
