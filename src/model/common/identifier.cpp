#include "model/common/identifier.h"

#include <array>
#include <charconv>

#include "common/error.h"

namespace velora {
namespace {

std::atomic<std::uint64_t> g_global_model_id{0};

constexpr std::array<std::string_view, kHwComponentTypeCount> kHwPrinted = {
    "REG", "SR_ST", "SR_CDWT", "SR_CYWT", "CNT_REG", "SR_SY", "WIRE",
    "NEST", "VAL", "MEM_BLOCK_INDEXER", "EXPR", "IO_WIRE", "MEM_BLOCK"};
constexpr std::array<std::string_view, kHwComponentTypeCount> kHwVariant = {
    "Reg", "StateReg", "CondWaitStateReg", "CycleWaitStateReg", "CntReg", "SyncReg", "Wire",
    "Nest", "Val", "MemBlockIndexer", "Expression", "IoWire", "MemBlock"};
constexpr std::array<SensitiveType, kHwComponentTypeCount> kHwSensitivity = {
    SensitiveType::Clocked,       SensitiveType::Clocked,  SensitiveType::Clocked,  SensitiveType::Clocked,
    SensitiveType::Clocked,       SensitiveType::Clocked,  SensitiveType::Combinational,
    SensitiveType::Combinational, SensitiveType::ReadOnly, SensitiveType::Clocked,  SensitiveType::ReadOnly,
    SensitiveType::Combinational, SensitiveType::Clocked};
constexpr std::array<std::string_view, 3> kSensitivePrinted = {"clocked", "combinational", "read_only"};
constexpr std::array<std::string_view, kNodeTypeCount> kNodePrinted = {
    "ASM_NODE", "STATE_NODE", "SYN_NODE", "PSEUDO_NODE", "OPR_NODE",
    "WAITCOND_NODE", "WAITCYCLE_NODE", "COUNTER_NODE", "START_NODE"};
constexpr std::array<std::string_view, kNodeTypeCount> kNodeVariant = {
    "Asm", "State", "Syn", "Pseudo", "Opr", "WaitCond", "WaitCycle", "Counter", "Start"};
constexpr std::array<std::string_view, kCcpTypeCount> kCcpPrinted = {"ARB", "KARRAY", "DCNT"};
constexpr std::array<std::string_view, kCcpTypeCount> kCcpVariant = {"Arb", "Karray", "DynCounter"};
constexpr std::array<std::string_view, kFlowBlockTypeCount> kFbPrinted = {
    "SEQUENTIAL", "PARALLEL", "COND_IF", "COND_ELIF", "ZERO_COND_IF", "ZERO_COND_ELIF",
    "ZERO_SWITCH", "ZERO_SWITCH_CASE", "WHILE_LOOP", "DO_WHILE", "COUNTER_LOOP", "WAIT",
    "PIPELINE", "ZYNC", "PICK", "PICK_IF"};
constexpr std::array<std::string_view, kFlowBlockTypeCount> kFbVariant = {
    "Sequential", "Parallel", "CondIf", "CondElif", "ZeroCondIf", "ZeroCondElif",
    "ZeroSwitch", "ZeroSwitchCase", "WhileLoop", "DoWhile", "CounterLoop", "Wait",
    "Pipeline", "Zync", "Pick", "PickIf"};
constexpr std::array<std::string_view, 3> kJoinVariant = {"SubFlow", "ConFlow", "BasicNodeFlow"};

// Prefix codes: the component kinds, then node kinds, complex kinds, block
// kinds, and last the module prefix.
constexpr int kNodeBase = kHwComponentTypeCount;
constexpr int kCcpBase = kNodeBase + kNodeTypeCount;
constexpr int kFbBase = kCcpBase + kCcpTypeCount;
constexpr int kModuleCode = kFbBase + kFlowBlockTypeCount;

std::size_t decimal_len(std::uint64_t v) {
  std::size_t n = 1;
  while (v >= 10) {
    v /= 10;
    ++n;
  }
  return n;
}

void append_decimal(std::string& out, std::uint64_t v) {
  char buf[24];
  auto res = std::to_chars(buf, buf + sizeof buf, v);
  out.append(buf, res.ptr);
}

[[noreturn]] [[gnu::cold]] void name_too_long(std::string_view text) {
  std::string msg = "name exceeds MAX_NAME_LEN (256): \"";
  msg.append(text);
  msg.push_back('"');
  fatal(std::move(msg));
}

void append_byte_list(std::string& out, std::string_view bytes) {
  out.push_back('[');
  for (std::size_t i = 0; i < MAX_NAME_LEN; ++i) {
    if (i != 0) out.append(", ");
    unsigned char b = i < bytes.size() ? static_cast<unsigned char>(bytes[i]) : 0;
    append_decimal(out, b);
  }
  out.push_back(']');
}

}  // namespace

std::uint64_t next_global_id() { return g_global_model_id.fetch_add(1, std::memory_order_relaxed); }
std::uint64_t peek_global_id() { return g_global_model_id.load(std::memory_order_relaxed); }

std::string_view printed(HwComponentType t) { return kHwPrinted[static_cast<int>(t)]; }
std::string_view printed(SensitiveType t) { return kSensitivePrinted[static_cast<int>(t)]; }
std::string_view printed(NodeType t) { return kNodePrinted[static_cast<int>(t)]; }
std::string_view printed(CcpType t) { return kCcpPrinted[static_cast<int>(t)]; }
std::string_view printed(FlowBlockType t) { return kFbPrinted[static_cast<int>(t)]; }
std::string_view variant_name(HwComponentType t) { return kHwVariant[static_cast<int>(t)]; }
std::string_view variant_name(NodeType t) { return kNodeVariant[static_cast<int>(t)]; }
std::string_view variant_name(CcpType t) { return kCcpVariant[static_cast<int>(t)]; }
std::string_view variant_name(FlowBlockType t) { return kFbVariant[static_cast<int>(t)]; }
std::string_view variant_name(FlowBlockJoinPolicy p) { return kJoinVariant[static_cast<int>(p)]; }
SensitiveType sensitivity_of(HwComponentType t) { return kHwSensitivity[static_cast<int>(t)]; }

NamePrefix prefix_of(HwComponentType t) { return NamePrefix(static_cast<int>(t)); }
NamePrefix prefix_of(NodeType t) { return NamePrefix(kNodeBase + static_cast<int>(t)); }
NamePrefix prefix_of(CcpType t) { return NamePrefix(kCcpBase + static_cast<int>(t)); }
NamePrefix prefix_of(FlowBlockType t) { return NamePrefix(kFbBase + static_cast<int>(t)); }
NamePrefix module_prefix() { return NamePrefix(kModuleCode); }

std::string_view prefix_text(NamePrefix p) {
  int code = static_cast<int>(p);
  if (code < kNodeBase) return kHwPrinted[code];
  if (code < kCcpBase) return kNodePrinted[code - kNodeBase];
  if (code < kFbBase) return kCcpPrinted[code - kCcpBase];
  if (code < kModuleCode) return kFbPrinted[code - kFbBase];
  return "MODULE";
}

void check_name_len(std::string_view text) {
  if (text.size() > MAX_NAME_LEN) name_too_long(text);
}

IdentBase::IdentBase(NamePrefix prefix, bool is_user, std::string_view rel_name)
    : global_id(next_global_id()), prefix_(prefix), is_user_(is_user) {
  check_name_len(rel_name);
  std::string_view pre = prefix_text(prefix);
  if (pre.size() + rel_name.size() + 2 + decimal_len(global_id) > MAX_NAME_LEN) {
    std::string full(pre);
    full.push_back('_');
    full.append(rel_name);
    full.push_back('_');
    append_decimal(full, global_id);
    name_too_long(full);
  }
  rel_name_ = intern_name(rel_name);
  abs_name_ = kDerived;
}

std::size_t IdentBase::abs_name_len() const {
  if (abs_name_ != kDerived) return name_text(abs_name_).size();
  return prefix_text(prefix_).size() + name_text(rel_name_).size() + 2 + decimal_len(global_id);
}

void IdentBase::append_abs_name(std::string& out) const {
  if (abs_name_ != kDerived) {
    out.append(name_text(abs_name_));
    return;
  }
  out.append(prefix_text(prefix_));
  out.push_back('_');
  out.append(name_text(rel_name_));
  out.push_back('_');
  append_decimal(out, global_id);
}

std::string IdentBase::abs_name() const {
  std::string out;
  out.reserve(abs_name_len());
  append_abs_name(out);
  return out;
}

void IdentBase::set_rel_name(std::string_view text) {
  check_name_len(text);
  // The derived global name depends on the relative name: freeze it first so
  // that, as specified, replacing the relative name leaves the global name.
  if (abs_name_ == kDerived) abs_name_ = intern_name(abs_name());
  rel_name_ = intern_name(text);
}

void IdentBase::set_abs_name(std::string_view text) {
  check_name_len(text);
  abs_name_ = intern_name(text);
}

bool operator==(const IdentBase& a, const IdentBase& b) {
  if (a.global_id != b.global_id) return false;
  if (a.abs_name_ == b.abs_name_ && (a.abs_name_ != IdentBase::kDerived ||
                                     (a.prefix_ == b.prefix_ && a.rel_name_ == b.rel_name_)))
    return true;
  return a.abs_name() == b.abs_name();
}

std::string debug_repr(const IdentBase& ident) {
  std::string out = "IdentBase { global_id: ";
  append_decimal(out, ident.global_id);
  out.append(", is_user_com: ");
  out.append(ident.is_user_com() ? "true" : "false");
  std::string abs = ident.abs_name();
  out.append(", abs_name_buf: ");
  append_byte_list(out, abs);
  out.append(", abs_name_len: ");
  append_decimal(out, abs.size());
  out.append(", rel_name_buf: ");
  append_byte_list(out, ident.rel_name());
  out.append(", rel_name_len: ");
  append_decimal(out, ident.rel_name().size());
  out.append(", arena_handle: ");
  out.append(debug_repr(ident.arena_handle));
  out.append(" }");
  return out;
}

std::string debug_repr(const ModuleIdent& ident) {
  return "ModuleIdent { ident_base: " + debug_repr(ident.ident_base) +
         ", master_module_handle: " + debug_repr(ident.master_module_handle) +
         ", depth_level: " + std::to_string(ident.depth_level) + " }";
}

std::string debug_repr(const FlowBlockIdent& ident) {
  return "FlowBlockIdent { ident_base: " + debug_repr(ident.ident_base) + ", block_type: " +
         std::string(variant_name(ident.block_type)) + ", join_policy: " +
         std::string(variant_name(ident.join_policy)) +
         ", chain_master: " + (ident.chain_master ? "true" : "false") + " }";
}

}  // namespace velora
