#include "platform/sha256.h"

#include <fstream>

namespace cpe::platform {

Sha256::Sha256() { sha256_init(&context_); }

void Sha256::Update(std::span<const std::uint8_t> bytes) {
    if (!bytes.empty())
        sha256_update(&context_, bytes.size(), bytes.data());
}

// nettle's digest call also starts the context afresh; one Sha256 hashes one message.
Sha256Digest Sha256::Finish() {
    Sha256Digest digest;
    sha256_digest(&context_, digest.size(), digest.data());
    return digest;
}

Sha256Digest Sha256Of(std::span<const std::uint8_t> bytes) {
    Sha256 hash;
    hash.Update(bytes);
    return hash.Finish();
}

std::optional<Sha256Digest> Sha256OfFile(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in)
        return std::nullopt;
    Sha256 hash;
    std::array<char, 65536> chunk;
    while (in.read(chunk.data(), chunk.size()) || in.gcount() > 0) {
        hash.Update({reinterpret_cast<const std::uint8_t*>(chunk.data()), static_cast<std::size_t>(in.gcount())});
        if (!in)
            break;
    }
    if (in.bad())
        return std::nullopt;
    return hash.Finish();
}

std::string HexText(const Sha256Digest& digest) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text;
    text.reserve(64);
    for (std::uint8_t byte : digest) {
        text += kDigits[byte >> 4];
        text += kDigits[byte & 0x0f];
    }
    return text;
}

}  // namespace cpe::platform
