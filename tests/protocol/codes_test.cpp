// The code tables and the address, MAC and device-name helpers.
#include "protocol/codes.h"

#include <gtest/gtest.h>

namespace cpe {
namespace {

TEST(CodeTables, ModelNamesAndCodes) {
    EXPECT_EQ(ModelName(1), "Axel");
    EXPECT_EQ(ModelName(257), "Ember");
    EXPECT_EQ(ModelName(261), "Islet");
    EXPECT_EQ(ModelName(6), "Axel");
    EXPECT_EQ(ModelName(-1), "Axel");

    EXPECT_EQ(ModelCode("Haven"), 260);
    EXPECT_EQ(ModelCode("Axel2"), 5);
    EXPECT_EQ(ModelCode("axel2"), 1);
    EXPECT_EQ(ModelCode(""), 1);

    for (int code : {4, 5, 260, 261})
        EXPECT_TRUE(IsModelSetB(code)) << code;
    for (int code : {1, 2, 3, 257, 258, 259, 262, 0})
        EXPECT_FALSE(IsModelSetB(code)) << code;
}

TEST(Addresses, FormatAndParseIp) {
    EXPECT_EQ(FormatIp({192, 168, 1, 254}), "192.168.1.254");
    EXPECT_EQ(FormatIp({255, 255, 255, 255}), "255.255.255.255");

    EXPECT_EQ(ParseIp("10.20.30.40"), (RawIp{10, 20, 30, 40}));
    EXPECT_EQ(ParseIp(""), (RawIp{}));
    EXPECT_EQ(ParseIp("300.1.-1.256"), (RawIp{44, 1, 255, 0}));
    EXPECT_EQ(ParseIp(" 1. 2.+3.4xyz"), (RawIp{1, 2, 3, 4}));
    // A scan that stops early leaves the remaining bytes 0.
    EXPECT_EQ(ParseIp("1.2.3"), (RawIp{1, 2, 3, 0}));
    EXPECT_EQ(ParseIp("1..2.3"), (RawIp{1, 0, 0, 0}));
    EXPECT_EQ(ParseIp("abc"), (RawIp{}));
    // A value too large for an int still reads as its low bits, without overflow.
    EXPECT_EQ(ParseIp("1.2.3.4294967557"), (RawIp{1, 2, 3, 5}));
    EXPECT_EQ(ParseIp(std::string(3000, '7') + ".1.1.1")[1], 1);
    // Not NUL-terminated views are read only within their bounds.
    const std::string_view cut = std::string_view("9.8.7.65").substr(0, 7);
    EXPECT_EQ(ParseIp(cut), (RawIp{9, 8, 7, 6}));
}

TEST(Addresses, FormatAndParseMac) {
    EXPECT_EQ(FormatMac({0x00, 0x1A, 0xFF, 0x00, 0x0B, 0xC1}), "00:1a:ff:00:0b:c1");
    EXPECT_EQ(ParseMac("00:1a:FF:00:0b:c1"), (RawMac{0x00, 0x1A, 0xFF, 0x00, 0x0B, 0xC1}));
    EXPECT_EQ(ParseMac(""), (RawMac{}));
    // Two characters at most per value: "123" reads 0x12, then '3' is not the separator.
    EXPECT_EQ(ParseMac("123:45:67:89:ab:cd"), (RawMac{0x12, 0, 0, 0, 0, 0}));
    EXPECT_EQ(ParseMac("aa:bb:zz:dd:ee:ff"), (RawMac{0xAA, 0xBB, 0, 0, 0, 0}));
    EXPECT_EQ(ParseMac("aa-bb-cc-dd-ee-ff"), (RawMac{0xAA, 0, 0, 0, 0, 0}));
    EXPECT_EQ(ParseMac("-1:02:03:04:05:06"), (RawMac{0xFF, 2, 3, 4, 5, 6}));
    EXPECT_EQ(ParseMac(std::string(5000, ':')), (RawMac{}));

    const RawMac mac{0xDE, 0xAD, 0xBE, 0xEF, 0x00, 0x01};
    EXPECT_EQ(ParseMac(FormatMac(mac)), mac);
}

TEST(Addresses, IsValidIp) {
    EXPECT_TRUE(IsValidIp("", true));
    EXPECT_FALSE(IsValidIp("", false));
    EXPECT_TRUE(IsValidIp("0.0.0.0", true));
    EXPECT_FALSE(IsValidIp("0.0.0.0", false));

    EXPECT_TRUE(IsValidIp("192.168.1.1", false));
    EXPECT_TRUE(IsValidIp("223.255.255.254", false));
    EXPECT_FALSE(IsValidIp("10.0.0.255", false));
    EXPECT_FALSE(IsValidIp("127.0.0.1", true));
    EXPECT_FALSE(IsValidIp("224.0.0.1", false));
    EXPECT_FALSE(IsValidIp("0.1.2.3", false));
    EXPECT_FALSE(IsValidIp("1.2.3", false));
    EXPECT_FALSE(IsValidIp("1.2.3.4.5", false));
    // Parts that are not numbers of 0..255 would reach the device as some other address.
    EXPECT_FALSE(IsValidIp("1..2.3", false));
    EXPECT_FALSE(IsValidIp("10.0.0.x", false));
    EXPECT_FALSE(IsValidIp("10.0.0.256", false));
    EXPECT_FALSE(IsValidIp("266.1.1.1", false));
    EXPECT_FALSE(IsValidIp(" 10.0.0.1", false));
}

TEST(Addresses, IsValidMaskAndSameSubnet) {
    EXPECT_TRUE(IsValidMask("255.255.255.0"));
    EXPECT_TRUE(IsValidMask("255.0.255.0"));
    EXPECT_FALSE(IsValidMask("255.255.255.255"));
    EXPECT_FALSE(IsValidMask("0.0.0.0"));
    EXPECT_FALSE(IsValidMask("255.255.0"));
    EXPECT_FALSE(IsValidMask(""));
    EXPECT_FALSE(IsValidMask("255.255.x.0"));

    const RawIp mask{255, 255, 255, 0};
    EXPECT_TRUE(SameSubnet({192, 168, 1, 10}, {192, 168, 1, 200}, mask));
    EXPECT_FALSE(SameSubnet({192, 168, 1, 10}, {192, 168, 2, 10}, mask));
    EXPECT_TRUE(SameSubnet({10, 1, 2, 3}, {99, 1, 2, 3}, {0, 255, 255, 255}));
    EXPECT_TRUE(SameSubnet({1, 2, 3, 4}, {5, 6, 7, 8}, {0, 0, 0, 0}));
}

TEST(DeviceNames, CountsIdeographsByTheirRange) {
    EXPECT_TRUE(IsCjk(0x4E00));
    EXPECT_TRUE(IsCjk(0x9FA5));
    EXPECT_FALSE(IsCjk(0x4DFF));
    EXPECT_FALSE(IsCjk(0x9FA6));
    EXPECT_EQ(CountCjk(u"AP-\u4E2D\u6587-1"), 2);
    EXPECT_EQ(CountCjk(u"\u3042\uAC00"), 0);  // kana and hangul are not counted
    EXPECT_TRUE(HasNoCjk(u"plain name"));
    EXPECT_FALSE(HasNoCjk(u"\u9FA5"));
}

TEST(DeviceNames, CutToDeviceBytes) {
    const std::u16string eleven(11, u'\u4E2D');
    EXPECT_EQ(CutToDeviceBytes(eleven, 32), std::u16string(10, u'\u4E2D'));
    EXPECT_EQ(CutToDeviceBytes(std::u16string(40, u'a'), 32), std::u16string(32, u'a'));
    EXPECT_EQ(CutToDeviceBytes(u"short", 32), u"short");
    // 29 ASCII units and one ideograph: 32 bytes fit exactly; one more ASCII unit does not.
    const std::u16string exact = std::u16string(29, u'a') + u'\u4E2D';
    EXPECT_EQ(CutToDeviceBytes(exact, 32), exact);
    EXPECT_EQ(CutToDeviceBytes(exact + u'b', 32), exact);
    EXPECT_EQ(CutToDeviceBytes(std::u16string(30, u'a') + u'\u4E2D', 32), std::u16string(30, u'a'));
    EXPECT_EQ(CutToDeviceBytes(u"abc", 0), u"");
    EXPECT_EQ(CutToDeviceBytes(u"abc", -5), u"");
    // A pair of surrogates is never split.
    const std::u16string pair = std::u16string(31, u'a') + u"\U0001F600";
    EXPECT_EQ(CutToDeviceBytes(pair, 32), std::u16string(31, u'a'));
}

}  // namespace
}  // namespace cpe
