// The fuzzer's corpus as an ordinary test, so every build (and the sanitizer builds) runs the
// inputs that once mattered.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

TEST(TftpRequestFuzzCorpus, EveryInputIsHandled) {
    std::size_t inputs = 0;
    for (const auto& entry : std::filesystem::directory_iterator(CPE_TFTP_FUZZ_CORPUS)) {
        std::ifstream in(entry.path(), std::ios::binary);
        const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        EXPECT_EQ(LLVMFuzzerTestOneInput(bytes.data(), bytes.size()), 0) << entry.path();
        ++inputs;
    }
    EXPECT_GT(inputs, 0u);
}

}  // namespace
