#include "engines/mdb/MdbPropertyBlock.h"

#include <cstdint>
#include <fmt/format.h>

namespace qv::engine {

namespace {

// libmdb's type codes as they occur in a property's value header.
constexpr int Bool = 1;
constexpr int Byte = 2;
constexpr int Int = 3;
constexpr int LongInt = 4;
constexpr int Money = 5;
constexpr int Float = 6;
constexpr int Double = 7;
constexpr int DateTime = 8;
constexpr int RepId = 15;
constexpr int Complex = 18;

std::uint32_t u16(std::string_view b, std::size_t at) {
    return static_cast<unsigned char>(b[at]) |
           (static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 1])) << 8);
}

std::uint32_t u32(std::string_view b, std::size_t at) {
    return u16(b, at) | (u16(b, at + 2) << 16);
}

// The bytes libmdb reads for a value of the type, whatever length the value claims.
std::size_t fixedSize(int type) {
    switch (type) {
    case Bool:
    case Byte:
        return 1;
    case Int:
        return 2;
    case LongInt:
    case Float:
    case Complex:
        return 4;
    case Double:
    case DateTime:
        return 8;
    case RepId:
        return 16;
    default:
        return 0;
    }
}

// A list of names: each a 16-bit length and that many bytes.
std::string namesFault(std::string_view list, std::size_t& count) {
    count = 0;
    for (std::size_t pos = 0; pos < list.size();) {
        if (pos + 2 > list.size()) return "a property name is cut short";
        const std::size_t length = u16(list, pos);
        pos += 2;
        if (pos + length > list.size()) return "a property name runs past its list";
        pos += length;
        ++count;
    }
    return {};
}

// One object's or column's values: a header with the block's own name, then values, each with
// its record length, type, name number and data length.
std::string valuesFault(std::string_view values, std::size_t names, std::size_t pageSize) {
    if (values.size() < 6) return "a property block is cut short";
    const std::size_t nameLength = u16(values, 4);
    if (6 + nameLength > values.size()) return "a property block's name runs past the block";
    for (std::size_t pos = 6 + nameLength; pos < values.size();) {
        if (pos + 8 > values.size()) return "a property value is cut short";
        const std::size_t record = u16(values, pos);
        const int type = static_cast<unsigned char>(values[pos + 3]);
        const std::size_t name = u16(values, pos + 4);
        const std::size_t size = u16(values, pos + 6);
        // libmdb stops at the first value naming no name or running past the block.
        if (name >= names || pos + 8 + size > values.size()) return {};
        if (record == 0) return "a property value has no length";
        if (size < fixedSize(type)) return "a property value is shorter than its type";
        // libmdb reads currency from its page buffer at the value's offset in the block.
        if (type == Money && pos + 8 + 8 > pageSize) return "a currency property lies out of reach";
        pos += record;
    }
    return {};
}

} // namespace

std::string MdbPropertyBlock::fault(std::string_view block, std::size_t pageSize) {
    if (block.size() < 4 || (block.substr(0, 4) != std::string_view("KKD\0", 4) &&
                             block.substr(0, 4) != std::string_view("MR2\0", 4)))
        return "a property block has no known signature";
    std::size_t names = 0;
    bool haveNames = false;
    for (std::size_t pos = 4; pos < block.size();) {
        if (pos + 6 > block.size()) return "a property record is cut short";
        const std::size_t length = u32(block, pos);
        const std::size_t type = u16(block, pos + 4);
        if (length < 6 || length > block.size() - pos)
            return fmt::format("a property record claims {} bytes where {} are left", length,
                               block.size() - pos);
        const std::string_view body = block.substr(pos + 6, length - 6);
        std::string why;
        if (type == 0x80) {
            why = namesFault(body, names);
            haveNames = true;
        } else if (type <= 2 && haveNames) {
            why = valuesFault(body, names, pageSize);
        }
        if (!why.empty()) return why;
        pos += length;
    }
    return {};
}

} // namespace qv::engine
