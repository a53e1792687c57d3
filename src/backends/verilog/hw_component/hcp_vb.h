// The Verilog face of hardware components.
//
// Every component kind, special registers included, answers the same
// questions: its Verilog name and type text, how many port lines,
// declaration lines and procedural blocks it has, and the text of each. The
// module writer (module/module_vb.h) asks them in its own order. Components
// are read in place through the arena's dispatch: emission changes nothing.
//
// A `Nest` identifier has no Verilog form and fails every operation with
// "take_hcp_vb: Nest not yet ported to Verilog backend".
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "model/common/identifier.h"
#include "util/file/file_writer.h"

namespace velora {

class ModelArena;

/// The Verilog name: the identifier's global name, or the port name of an
/// `IoWire` that has one.
std::string gen_var_name_vb(const ModelArena& arena, const HcpIdent& hcp);
void write_var_name_vb(TextWriter& out, const ModelArena& arena, const HcpIdent& hcp);
/// The whole width in bits (the word width of memories).
std::int64_t hcp_width_vb(const ModelArena& arena, const HcpIdent& hcp);

/// "reg  {range}" for registers, wires, IO wires and special registers,
/// "wire {range}" for constants, expressions and memory elements, "reg
/// {range}" for memory blocks; the range text is "[{w - 1}:0] " above 1 bit.
void gen_type_vb(TextWriter& out, const ModelArena& arena, const HcpIdent& hcp);

std::size_t amt_io_line_vb(const ModelArena& arena, const HcpIdent& hcp);
std::size_t amt_init_line_vb(const ModelArena& arena, const HcpIdent& hcp);
std::size_t amt_procedure_blk_vb(const ModelArena& arena, const HcpIdent& hcp);

/// The port line of an `IoWire` ("input wire {range}{name}" / "output reg
/// {range}{name}"), without separator or newline.
void gen_io_line_vb(TextWriter& out, const ModelArena& arena, const HcpIdent& hcp, std::size_t index);
/// The declaration line, unindented and without newline.
void gen_init_line_vb(TextWriter& out, const ModelArena& arena, const HcpIdent& hcp, std::size_t index);
/// The procedural block or continuous assignment, newline included.
void gen_procedure_blk_vb(TextWriter& out, const ModelArena& arena, const HcpIdent& hcp, std::size_t index);

/// The Verilog name of the signal that drives an input `IoWire` from the
/// parent side.
std::string gen_agent_input_vb(const ModelArena& arena, const HcpIdent& io_wire);
/// The parent-side net of an `IoWire`: "wire {range}{name};", no newline.
void gen_parent_net_line_vb(TextWriter& out, const ModelArena& arena, const HcpIdent& io_wire);

}  // namespace velora
