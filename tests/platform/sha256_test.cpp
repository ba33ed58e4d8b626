#include "platform/sha256.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "tests/support/temp_dir.h"

namespace cpe::platform {
namespace {

std::span<const std::uint8_t> Bytes(std::string_view text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

// The standard's test vectors, fed whole and in pieces that cross every block boundary case.
TEST(Sha256Test, KnownDigestsWholeAndInPieces) {
    EXPECT_EQ(HexText(Sha256Of(Bytes(""))), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    EXPECT_EQ(HexText(Sha256Of(Bytes("abc"))), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    const std::string twoBlocks = "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq";
    EXPECT_EQ(HexText(Sha256Of(Bytes(twoBlocks))), "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");

    const std::string million(1000000, 'a');
    Sha256 pieces;
    for (std::size_t from = 0, step = 1; from < million.size(); from += step, step = step % 131 + 7)
        pieces.Update(Bytes(std::string_view(million).substr(from, step)));
    EXPECT_EQ(HexText(pieces.Finish()), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");

    test::TempDir dir;
    test::WriteBytes(dir / "image.bin", million);
    EXPECT_EQ(Sha256OfFile(dir / "image.bin"), Sha256Of(Bytes(million)));
    EXPECT_FALSE(Sha256OfFile(dir / "missing.bin"));
}

}  // namespace
}  // namespace cpe::platform
