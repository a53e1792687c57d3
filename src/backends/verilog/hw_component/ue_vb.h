// Verilog of update events and of the procedural blocks built from them.
//
// An update pool is written as one procedural block: the sensitivity list
// comes from the pool's first event, and every event of the pool is written
// in pool order (a later statement overrides an earlier one), each basic
// event as one non-blocking statement per line template, each conditional
// event as an if / else-if / else chain and each switch event as a case
// statement. Events are read in place: emission changes nothing.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "model/common/identifier.h"
#include "model/hw_component/common/slice.h"
#include "model/hw_component/common/update_event.h"
#include "model/hw_component/common/update_pool.h"
#include "util/file/file_writer.h"

namespace velora {

class ModelArena;

/// The destination a statement writes: its identifier, Verilog name and width.
/// An operand that is the destination itself (same global id) is written
/// with this name and width.
struct VbDest {
  const HcpIdent& ident;
  std::string_view name;
  std::int64_t width;
};

/// Writes an operand: its Verilog name, then its slice text (see
/// `write_slice_vb`) against its whole width.
void fmt_operand(TextWriter& out, const ModelArena& arena, const HcpIdent& operand, const std::optional<Slice>& slice,
                 const VbDest& des);

/// Writes one event with its children. Every line template is a statement
/// in which "{DES_SLICE}" stands for the destination's bit-select and "{SRC}"
/// for the source operand; a basic event writes each template on its own
/// line, indented by `indent` spaces. An identifier of kind UE_UNTYPE fails
/// with "take_ue_vb: UeType::Untype".
void transpile_ue(TextWriter& out, const ModelArena& arena, const UpdateEventIdent& ue,
                  std::span<const std::string> templates, std::size_t indent, const VbDest& des);

/// The common procedural block of a pool: "always @({sensitivity}) begin",
/// every event in pool order with the template "{name}{DES_SLICE} <= {SRC};"
/// (or the given one), "end". Writes nothing for an empty pool.
void write_pool_block(TextWriter& out, const ModelArena& arena, const UpdatePool& pool, const VbDest& des);
void write_pool_block(TextWriter& out, const ModelArena& arena, const UpdatePool& pool, const VbDest& des,
                      const std::string& line_template);

}  // namespace velora
