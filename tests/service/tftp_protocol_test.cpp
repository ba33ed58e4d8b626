// The pure parts of the helpers: request parsing, option negotiation, range resolution, name
// checks and log escaping.
#include <gtest/gtest.h>

#include "service/byte_range.h"
#include "service/served_folder.h"
#include "service/tftp_options.h"
#include "service/tftp_packet.h"
#include "service/transfer_log.h"
#include "tests/service/tftp_test_client.h"

namespace cpe::service {
namespace {

using Options = std::vector<TftpOption>;

std::vector<std::uint8_t> Bytes(std::string_view s) { return {s.begin(), s.end()}; }

TEST(TftpRequestParse, ReadsNameModeAndOptionsAndRejectsWhatDoesNotEndInside) {
    const auto ok = ParseTftpRequest(test::TftpTestClient::Request(TftpOpcode::kReadRequest, "fw.bin", "OcTeT",
                                                                   {{"BLKSIZE", "1468"}, {"tsize", "0"}}));
    ASSERT_TRUE(std::holds_alternative<TftpRequest>(ok));
    const auto& r = std::get<TftpRequest>(ok);
    EXPECT_EQ(r.opcode, TftpOpcode::kReadRequest);
    EXPECT_EQ(r.fileName, "fw.bin");
    EXPECT_EQ(r.mode, "octet");
    EXPECT_EQ(r.options, (Options{{"blksize", "1468"}, {"tsize", "0"}}));

    // A last option without its value is dropped; the request stands.
    auto dangling = Bytes(std::string("\0\1fw\0octet\0blksize\0", 19));
    dangling.insert(dangling.end(), {'9', '9'});
    const auto partial = ParseTftpRequest(dangling);
    ASSERT_TRUE(std::holds_alternative<TftpRequest>(partial));
    EXPECT_TRUE(std::get<TftpRequest>(partial).options.empty());

    for (const auto& bad : {Bytes(""), Bytes(std::string("\0", 1)), Bytes(std::string("\0\3fw\0octet\0", 11)),
                            Bytes(std::string("\0\1fw", 4)), Bytes(std::string("\0\1fw\0octet", 10)),
                            Bytes(std::string("\0\1fw\0\0", 6))})
        EXPECT_TRUE(std::holds_alternative<std::string>(ParseTftpRequest(bad)));
}

TEST(TftpOptionNegotiation, AcceptsValidValuesClampsLargeOnesAndDropsTheRest) {
    const TftpLimits limits;
    auto s =
        NegotiateOptions({{"blksize", "1468"}, {"tsize", "0"}, {"timeout", "3"}, {"windowsize", "8"}}, 4242, limits);
    EXPECT_EQ(s.blockSize, 1468);
    EXPECT_EQ(s.windowSize, 8);
    EXPECT_EQ(s.timeout, std::chrono::seconds(3));
    EXPECT_EQ(s.acknowledged, (Options{{"blksize", "1468"}, {"tsize", "4242"}, {"timeout", "3"}, {"windowsize", "8"}}));

    s = NegotiateOptions({{"blksize", "70000"}, {"windowsize", "500"}}, 0, limits);
    EXPECT_EQ(s.blockSize, kTftpMaxBlockSize);
    EXPECT_EQ(s.windowSize, 16) << "a window of the largest blocks stays within 1 MiB";
    EXPECT_EQ(s.acknowledged, (Options{{"blksize", "65464"}, {"windowsize", "16"}}));

    s = NegotiateOptions({{"windowsize", "500"}, {"blksize", "512"}}, 0, limits);
    EXPECT_EQ(s.windowSize, 64);

    // Invalid values, signs, blanks, huge numbers and unknown names: nothing is acknowledged.
    s = NegotiateOptions({{"blksize", "7"},
                          {"blksize", " 512"},
                          {"timeout", "0"},
                          {"timeout", "256"},
                          {"windowsize", "0"},
                          {"windowsize", "+4"},
                          {"tsize", "99999999999999999999999"},
                          {"multicast", "1"}},
                         10, limits);
    EXPECT_TRUE(s.acknowledged.empty());
    EXPECT_EQ(s.blockSize, kTftpDefaultBlockSize);
    EXPECT_EQ(s.windowSize, 1);

    // The first valid occurrence of a repeated option counts.
    s = NegotiateOptions({{"blksize", "1024"}, {"blksize", "2048"}}, 0, limits);
    EXPECT_EQ(s.blockSize, 1024);
    EXPECT_EQ(s.acknowledged.size(), 1u);
}

TEST(ByteRangeResolve, KeepsRangesInsideTheFile) {
    using Kind = ByteRange::Kind;
    auto check = [](std::string_view header, std::uint64_t size, Kind kind, std::uint64_t first = 0,
                    std::uint64_t last = 0) {
        const auto r = ResolveRange(header, size);
        EXPECT_EQ(r.kind, kind) << header;
        if (kind == Kind::kPart) {
            EXPECT_EQ(std::pair(r.first, r.last), std::pair(first, last)) << header;
        }
    };
    check("", 100, Kind::kWhole);
    check("bytes=0-0", 100, Kind::kPart, 0, 0);
    check("Bytes=10 - 20", 100, Kind::kPart, 10, 20);
    check("bytes=90-1000", 100, Kind::kPart, 90, 99);
    check("bytes=-1000", 100, Kind::kPart, 0, 99);
    check("bytes=100-", 100, Kind::kUnsatisfiable);
    check("bytes=-1", 0, Kind::kUnsatisfiable);
    check("bytes=0-", 0, Kind::kUnsatisfiable);
    check("bytes=18446744073709551616-", 100, Kind::kWhole);
    check("bytes=a-b", 100, Kind::kWhole);
    check("bytes=5", 100, Kind::kWhole);
}

TEST(ServedNames, OnlyPlainNamesMayBeLookedUp) {
    for (const char* ok : {"fw.bin", "a..b", ".hidden", "name with spaces"})
        EXPECT_EQ(RefusalOfName(ok), "") << ok;
    for (std::string_view bad :
         {std::string_view(""), std::string_view("."), std::string_view(".."), std::string_view("a/b"),
          std::string_view("/abs"), std::string_view("..\\x"), std::string_view("a\0b", 3)})
        EXPECT_NE(RefusalOfName(bad), "");
}

TEST(TransferLogLine, EscapesWhatTheNetworkSent) {
    const TransferRecord r{"10.0.0.5:1234", "fw\n\"x\"\x01.bin", 42, "ok"};
    EXPECT_EQ(FormatTransfer("cpe-tftpd", r), "cpe-tftpd: 10.0.0.5:1234 \"fw\\x0a\\x22x\\x22\\x01.bin\" 42 bytes: ok");
}

}  // namespace
}  // namespace cpe::service
