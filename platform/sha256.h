// SHA-256 of byte strings and files: the fingerprint the history keeps of every firmware image
// sent and the seal of a settings backup file. The hash itself is nettle's.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>

#include <nettle/sha2.h>

namespace cpe::platform {

using Sha256Digest = std::array<std::uint8_t, 32>;

class Sha256 {
public:
    Sha256();
    void Update(std::span<const std::uint8_t> bytes);
    Sha256Digest Finish();

private:
    sha256_ctx context_;
};

Sha256Digest Sha256Of(std::span<const std::uint8_t> bytes);
// The digest of a file's contents; nothing when it cannot be read to its end.
std::optional<Sha256Digest> Sha256OfFile(const std::filesystem::path& file);
// 64 lower-case hexadecimal digits.
std::string HexText(const Sha256Digest& digest);

}  // namespace cpe::platform
