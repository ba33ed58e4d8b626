// The adapter record of the local-adapter library and the library's two C entry points.
//
// The library hands out the computer's network adapters as a chain of 924-byte records. The
// layout is fixed byte by byte; the engine reads it through the same struct. The last four bytes
// link the chain: a pointer does not fit there on a 64-bit host, so the link is the byte distance
// from the start of this record to the start of the next one, 0 on the last record.
#pragma once

#include <cstddef>
#include <cstdint>

#include "protocol/wire.h"

namespace cpe {

inline constexpr std::size_t kMaxAdapterAddresses = 10;

struct adapter_address_entry {
    char ip[16];    // dotted quad, NUL-terminated
    char mask[16];  // dotted quad, NUL-terminated
    std::uint8_t extra[16];
};

struct adapter_record {
    std::uint8_t kind;           // 1: up, IPv4-addressed and not loopback
    std::uint8_t hw_address[8];  // the first 6 bytes are the MAC
    char description[132];       // NUL-terminated
    char name[260];              // NUL-terminated
    std::uint8_t reserved[3];
    i32le address_count;
    adapter_address_entry addresses[kMaxAdapterAddresses];
    u32le values[8];  // [0] interface index, [1] flags; not interpreted by readers
    u32le next;       // byte distance to the next record, 0 on the last
};

inline constexpr std::uint8_t kAdapterKindInUse = 1;

inline constexpr const char* kLocalAdapterLibraryName = "libLocalAdapter.so";
inline constexpr const char* kGetLocalAdapterInfoSymbol = "GetLocalAdapterInfo";
inline constexpr const char* kClearLocalAdapterInfoSymbol = "ClearLocalAdapterInfo";

static_assert(sizeof(adapter_address_entry) == 48);
static_assert(sizeof(adapter_record) == 924 && alignof(adapter_record) == 1);
static_assert(offsetof(adapter_record, hw_address) == 1);
static_assert(offsetof(adapter_record, description) == 9);
static_assert(offsetof(adapter_record, name) == 141);
static_assert(offsetof(adapter_record, reserved) == 401);
static_assert(offsetof(adapter_record, address_count) == 404);
static_assert(offsetof(adapter_record, addresses) == 408);
static_assert(offsetof(adapter_record, values) == 888);
static_assert(offsetof(adapter_record, next) == 920);

// The next record of a chain, or null at its end.
inline const adapter_record* NextAdapterRecord(const adapter_record* record) {
    const std::uint32_t distance = record->next.get();
    if (distance == 0)
        return nullptr;
    return reinterpret_cast<const adapter_record*>(reinterpret_cast<const std::uint8_t*>(record) + distance);
}

}  // namespace cpe

// Entry points, looked up by name after loading the library.
extern "C" {
// The current adapters; valid until ClearLocalAdapterInfo. Null when there are none.
const cpe::adapter_record* GetLocalAdapterInfo();
// Releases the chain returned by the last GetLocalAdapterInfo.
void ClearLocalAdapterInfo();
}
