// The property block an Access file keeps for each object (MSysObjects.LvProp: "KKD" in Jet 3,
// "MR2" later): a list of property names, then one block of values per object and column.
// libmdb walks it trusting every length in it: a record of length 0 makes it loop for ever,
// allocating as it goes, and a length past the end makes it read beyond the value. So each
// block is walked here first, exactly as libmdb will walk it, before libmdb is given the file.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace qv::engine {

class MdbPropertyBlock {
  public:
    // What is wrong with the block, in words; "" when libmdb can walk it safely. pageSize
    // bounds the offsets at which libmdb reads currency values (from its page buffer, not from
    // the block).
    static std::string fault(std::string_view block, std::size_t pageSize);
};

} // namespace qv::engine
