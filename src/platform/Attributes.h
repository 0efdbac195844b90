#pragma once
// The bits of the attribute word the file listing reports for every entry; the compare and the
// file operations read and set the same bits.

#include <cstdint>

// All bits set means "the path does not exist".
namespace Attr {
constexpr uint32_t ReadOnly = 1;
constexpr uint32_t Hidden = 2;
constexpr uint32_t System = 4;
constexpr uint32_t Directory = 16;
constexpr uint32_t Archive = 32;
constexpr uint32_t Invalid = 0xFFFFFFFFu;
}  // namespace Attr
