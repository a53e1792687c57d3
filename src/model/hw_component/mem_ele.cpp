#include "model/hw_component/mem_ele.h"

namespace velora {

MemEle::MemEle(bool is_user, std::string_view name, const HcpIdent& mem_blk, const HcpIdent& index,
               std::int32_t bit_w, bool read)
    : master_mem_blk_i(mem_blk), index_ident(index), bit_width(bit_w), is_read(read) {
  ident = HcpIdent(kType, is_user, name);
}

}  // namespace velora
