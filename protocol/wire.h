// Little-endian integers and counted texts as they lie in the device protocol's records.
// Every type here has alignment 1, so records built from them have exactly their wire layout
// on any host, and multi-byte values are always read and written byte-wise.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>

namespace cpe {

template <typename T>
struct LeInt {
    static_assert(std::is_integral_v<T>);
    std::uint8_t b[sizeof(T)];

    constexpr T get() const {
        std::make_unsigned_t<T> v = 0;
        for (std::size_t i = 0; i < sizeof(T); ++i)
            v |= static_cast<std::make_unsigned_t<T>>(static_cast<std::make_unsigned_t<T>>(b[i]) << (8 * i));
        return static_cast<T>(v);
    }
    constexpr void set(T value) {
        auto v = static_cast<std::make_unsigned_t<T>>(value);
        for (std::size_t i = 0; i < sizeof(T); ++i)
            b[i] = static_cast<std::uint8_t>(v >> (8 * i));
    }
};
using u16le = LeInt<std::uint16_t>;
using u32le = LeInt<std::uint32_t>;
using i32le = LeInt<std::int32_t>;
static_assert(sizeof(u16le) == 2 && alignof(u16le) == 1);
static_assert(sizeof(u32le) == 4 && alignof(u32le) == 1);

using RawIp = std::array<std::uint8_t, 4>;
using RawMac = std::array<std::uint8_t, 6>;

// A text field of N bytes, not necessarily terminated, followed by its own length byte.
// The length byte is never trusted beyond N.
template <std::size_t N>
struct CountedText {
    char data[N];
    std::uint8_t len;

    std::size_t size() const { return std::min<std::size_t>(len, N); }
    std::string_view view() const { return {data, size()}; }
    // The text up to its first zero byte within the counted bytes.
    std::string_view text() const {
        std::string_view v = view();
        return v.substr(0, std::min(v.size(), v.find('\0')));
    }
    // Stores at most N bytes of s, zero-fills the rest and sets the length byte.
    void assign(std::string_view s) {
        const std::size_t n = std::min(s.size(), N);
        std::memset(data, 0, N);
        if (n > 0)
            std::memcpy(data, s.data(), n);
        len = static_cast<std::uint8_t>(n);
    }
};

// Copies a record out of a received buffer: at most sizeof(T) bytes are read, never more than
// the buffer holds, and bytes the buffer does not cover are zero.
template <typename T>
T ReadRecord(std::span<const std::uint8_t> bytes) {
    static_assert(std::is_trivially_copyable_v<T> && alignof(T) == 1);
    T out;
    std::memset(&out, 0, sizeof out);
    if (!bytes.empty())
        std::memcpy(&out, bytes.data(), std::min(bytes.size(), sizeof out));
    return out;
}

template <typename T>
std::span<const std::uint8_t> BytesOf(const T& record) {
    static_assert(std::is_trivially_copyable_v<T> && alignof(T) == 1);
    return {reinterpret_cast<const std::uint8_t*>(&record), sizeof record};
}

}  // namespace cpe
