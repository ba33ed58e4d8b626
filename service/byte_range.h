// The Range header of a GET or HEAD (RFC 7233), reduced to what the file server answers: the
// whole file, one range inside it, or 416 when the range starts past the end. A header that is
// not a single well-formed byte range is ignored, which RFC 7233 allows.
#pragma once

#include <cstdint>
#include <string_view>

namespace cpe::service {

struct ByteRange {
    enum class Kind { kWhole, kPart, kUnsatisfiable } kind = Kind::kWhole;
    std::uint64_t first = 0;  // part: first and last byte, both inside the file
    std::uint64_t last = 0;
};

ByteRange ResolveRange(std::string_view header, std::uint64_t size);

}  // namespace cpe::service
