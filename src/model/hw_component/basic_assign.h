// Results of the basic assignment path.
#pragma once

#include <cstdint>
#include <string>

#include "model/common/identifier.h"

namespace velora {

/// How an assignment source was fitted to its destination.
enum class ResizeKind : std::uint8_t {
  Exact = 0,      ///< same width
  Extended = 1,   ///< narrower source, zero-extended through a "{}_ext" expression
  Truncated = 2,  ///< wider source, most significant bits dropped
};

struct ResizeReport {
  ResizeKind kind = ResizeKind::Exact;
  std::int32_t src_width = 0;  ///< S
  std::int32_t des_width = 0;  ///< D
};

/// The source of an assignment after fitting: component and bit range.
struct SanitizedSrc {
  HcpIdent src;
  std::int32_t start = 0;
  std::int32_t stop = 0;
  ResizeReport report;
};

struct BasicAssignResult {
  NcpIdent node;  ///< the assignment node, attached to the current scope
  ResizeReport report;
};

/// The warning text for a resized assignment ("" for an exact one), naming
/// the destination by `des_name`.
std::string resize_warning_text(const ResizeReport& report, std::string_view des_name);

}  // namespace velora
