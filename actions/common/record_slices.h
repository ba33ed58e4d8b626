// Payload blocks as raw slices of a device record, and back. The blocks the forms build keep
// their texts in the local code set; the sender puts them in the device's form.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "protocol/records.h"

namespace cpe::actions {

template <std::size_t N>
std::array<std::uint8_t, N> SliceOf(const ap_info_stu& record, std::size_t offset) {
    static_assert(N <= sizeof(ap_info_stu));
    std::array<std::uint8_t, N> block;
    if (offset <= sizeof record - N)
        std::memcpy(block.data(), reinterpret_cast<const std::uint8_t*>(&record) + offset, N);
    else
        block.fill(0);
    return block;
}

// A zeroed record holding `block` at `offset`.
template <std::size_t N>
ap_info_stu RecordWith(const std::array<std::uint8_t, N>& block, std::size_t offset) {
    static_assert(N <= sizeof(ap_info_stu));
    ap_info_stu record;
    std::memset(&record, 0, sizeof record);
    if (offset <= sizeof record - N)
        std::memcpy(reinterpret_cast<std::uint8_t*>(&record) + offset, block.data(), N);
    return record;
}

}  // namespace cpe::actions
