// The IP, VLAN and timed-reboot form models: their checks in order, when they report a change,
// and the bytes of the blocks they build.
#include "actions/config/config_messages.h"
#include "actions/config/ip_form_model.h"
#include "actions/config/timed_reboot_form_model.h"
#include "actions/config/vlan_form_model.h"
#include "tests/actions/config/config_fixture.h"

namespace cpe::actions {
namespace {

using test::Device5;

template <typename Block>
std::string_view FailureKey(const Collected<Block>& c) {
    return c.failure ? c.failure->key : std::string_view{};
}

TEST(IpForm, ChecksRunOnlyOnAChange) {
    ap_info_stu device = Device5();
    device.ip_gateway = ParseIp("10.9.9.1");  // another subnet: the device's own problem
    device.ip_mode = 0;
    const IpFormModel form(device);
    EXPECT_EQ(form.InitialEntries().gateway, "10.9.9.1");
    const Collected<IpBlock> same = form.Collect(form.InitialEntries(), {});
    EXPECT_FALSE(same.failure);
    EXPECT_FALSE(same.changed);

    IpEntries dns = form.InitialEntries();
    dns.gateway = "192.168.1.1";
    dns.secondaryDns = "0.0.0.0";
    const Collected<IpBlock> c = form.Collect(dns, {});
    ASSERT_FALSE(c.failure) << c.failure->key;
    EXPECT_TRUE(c.changed);
    const IpBlock expected{1, 192, 168, 1, 20, 255, 255, 255, 0, 192, 168, 1, 1, 8, 8, 8, 8, 0, 0, 0, 0, 1};
    EXPECT_EQ(c.block, expected);
}

// An address typed wrong is refused even where its bytes would read as the device's own: an
// octet of 300 wraps to 44, the device's own address here.
TEST(IpForm, ATouchedEntryIsCheckedWhateverItsBytes) {
    ap_info_stu device = Device5();
    device.ip = ParseIp("192.168.1.44");
    const IpFormModel form(device);
    IpEntries typo = form.InitialEntries();
    typo.ip = "192.168.1.300";
    const Collected<IpBlock> c = form.Collect(typo, {});
    EXPECT_EQ(FailureKey(c), message::kIpInvalid);
    EXPECT_FALSE(c.changed);
}

TEST(IpForm, ChecksInOrder) {
    const IpFormModel form(Device5());
    auto check = [&](IpEntries e, std::vector<std::string> inUse = {}) { return FailureKey(form.Collect(e, inUse)); };
    const IpEntries good{"192.168.1.30", "255.255.255.0", "192.168.1.1", "8.8.8.8", ""};
    EXPECT_EQ(check(good), "");
    auto with = [&](auto change) {
        IpEntries e = good;
        change(e);
        return e;
    };
    EXPECT_EQ(check(with([](IpEntries& e) {
                  e.ip = "192.168.1.255";
                  e.mask = "0.0.0.0";
              })),
              message::kIpInvalid);
    EXPECT_EQ(check(with([](IpEntries& e) { e.mask = "255.255.255.255"; })), message::kMaskInvalid);
    EXPECT_EQ(check(with([](IpEntries& e) { e.mask = "0.0.0.0"; })), message::kMaskInvalid);
    EXPECT_EQ(check(with([](IpEntries& e) {
                  e.mask = "255.0.255.0";
                  e.gateway = "192.2.1.1";
              })),
              "");
    EXPECT_EQ(check(with([](IpEntries& e) { e.gateway = "127.0.0.1"; })), message::kGatewayInvalid);
    EXPECT_EQ(check(with([](IpEntries& e) { e.gateway = "192.168.1.30"; })), message::kIpIsGateway);
    EXPECT_EQ(check(with([](IpEntries& e) { e.gateway = "192.168.2.1"; })), message::kGatewayOtherSubnet);
    EXPECT_EQ(check(with([](IpEntries& e) {
                  e.gateway = "0.0.0.0";
                  e.primaryDns = "1.2.3";
              })),
              message::kPrimaryDnsInvalid);
    EXPECT_EQ(check(with([](IpEntries& e) { e.secondaryDns = "8.8.8.255"; })), message::kSecondaryDnsInvalid);
}

TEST(IpForm, AddressInUse) {
    const IpFormModel form(Device5());
    const std::vector<std::string> inUse{"192.168.1.20", "192.168.1.40"};
    IpEntries e = form.InitialEntries();
    e.gateway = "192.168.1.254";  // keeps its own address, which the store lists too
    EXPECT_FALSE(form.Collect(e, inUse).failure);
    e.ip = "192.168.1.40";
    const Collected<IpBlock> taken = form.Collect(e, inUse);
    ASSERT_TRUE(taken.failure);
    EXPECT_EQ(taken.failure->key, message::kIpInUse);
    EXPECT_EQ(taken.failure->field, ConfigField::kIp);
    e.ip = "192.168.1.040";  // the same address written differently
    EXPECT_EQ(FailureKey(form.Collect(e, inUse)), message::kIpInUse);
}

TEST(VlanForm, RangesAndBlocks) {
    ap_info_stu device = Device5();
    device.vlan_en = 1;
    device.vlan_id.set(10);
    device.vlan_id_wlan.set(20);
    device.vlan_id_lan.set(30);
    VlanFormModel form(device);
    EXPECT_TRUE(form.Enabled());
    EXPECT_TRUE(form.LanVisible());
    EXPECT_FALSE(form.Collect(form.InitialEntries()).changed);

    EXPECT_EQ(FailureKey(form.Collect({"", "", ""})), message::kVlanRange);
    EXPECT_EQ(FailureKey(form.Collect({"4094", "", ""})), message::kWlanRange);
    EXPECT_EQ(FailureKey(form.Collect({"4094", "1", ""})), message::kLanRange);
    EXPECT_EQ(FailureKey(form.Collect({"0", "", "1"})), message::kWlanRange);  // empties first
    EXPECT_EQ(FailureKey(form.Collect({"0", "1", "1"})), message::kVlanRange);
    EXPECT_EQ(FailureKey(form.Collect({"1", "4095", "1"})), message::kWlanRange);
    EXPECT_EQ(FailureKey(form.Collect({"1", "1", "4294967297"})), message::kLanRange);  // must not wrap to 1

    const Collected<VlanBlock> c = form.Collect({"100", "4094", "1"});
    ASSERT_FALSE(c.failure);
    EXPECT_TRUE(c.changed);
    EXPECT_EQ(c.block, (VlanBlock{1, 0, 100, 0, 0xFE, 0x0F, 1, 0, 0, 0}));

    form.SetEnabled(false);
    const Collected<VlanBlock> off = form.Collect({"", "", ""});
    EXPECT_TRUE(off.changed);
    EXPECT_EQ(off.block, VlanBlock{});

    ap_info_stu setB = Device5();
    setB.ap_type.set(260);
    VlanFormModel b(setB);
    EXPECT_FALSE(b.LanVisible());
    EXPECT_FALSE(b.Enabled());
    EXPECT_FALSE(b.Collect({"", "", ""}).changed);  // disabled stays disabled
    b.SetEnabled(true);
    const Collected<VlanBlock> noLan = b.Collect({"5", "6", ""});
    ASSERT_FALSE(noLan.failure);
    EXPECT_TRUE(noLan.changed);
}

TEST(TimedRebootForm, EverydayAndBlocks) {
    ap_info_stu device = Device5();
    device.restart_en = 1;
    device.restart_type = 0xFE;
    device.restart_time.set(150);
    TimedRebootFormModel form(device);
    EXPECT_TRUE(form.Everyday());
    EXPECT_FALSE(form.WeekdaysEnabled());
    EXPECT_EQ(form.InitialEntries().hour, "2");
    EXPECT_EQ(form.InitialEntries().minute, "30");
    const Collected<RestartBlock> same = form.Collect(form.InitialEntries());
    EXPECT_FALSE(same.changed);
    EXPECT_EQ(same.block, (RestartBlock{1, 0xFE, 150, 0}));

    form.SetWeekday(0, false);  // locked by Everyday
    EXPECT_TRUE(form.WeekdayChecked(0));
    form.SetEveryday(false);
    for (int day = 0; day < TimedRebootFormModel::kDays; ++day)
        EXPECT_FALSE(form.WeekdayChecked(day));
    form.SetWeekday(0, true);  // Monday
    form.SetWeekday(6, true);  // Sunday
    const Collected<RestartBlock> c = form.Collect({"23", "59"});
    EXPECT_TRUE(c.changed);
    EXPECT_EQ(c.block, (RestartBlock{1, 0x82, 0x9F, 0x05}));  // 1439 minutes

    EXPECT_EQ(FailureKey(form.Collect({"24", "0"})), message::kHourRange);
    EXPECT_EQ(FailureKey(form.Collect({"1", "60"})), message::kMinuteRange);
    EXPECT_EQ(FailureKey(form.Collect({"4294967296", "0"})), message::kHourRange);
    EXPECT_FALSE(form.Collect({"", ""}).failure);  // empty counts as 0

    form.SetEnabled(false);
    EXPECT_FALSE(form.TimeEnabled());
    EXPECT_FALSE(form.WeekdaysEnabled());
    const Collected<RestartBlock> off = form.Collect({"99", "99"});  // disabled: not read
    EXPECT_FALSE(off.failure);
    EXPECT_EQ(off.block, RestartBlock{});
}

// A VLAN or timed-reboot form left as it was shown keeps the device's block as it is, even
// where the form would write it differently or refuse it.
TEST(UntouchedForms, KeepTheDevicesBlocks) {
    ap_info_stu device = Device5();
    device.vlan_en = 2;
    device.vlan_id.set(0);
    device.vlan_id_wlan.set(5000);
    device.restart_en = 1;
    device.restart_type = 0x03;     // Monday and the bit the form never sets
    device.restart_time.set(1500);  // past midnight
    const VlanFormModel vlan(device);
    const Collected<VlanBlock> v = vlan.Collect(vlan.InitialEntries());
    EXPECT_FALSE(v.failure);
    EXPECT_FALSE(v.changed);
    EXPECT_EQ(v.block, MakeVlanBlock(device));
    TimedRebootFormModel reboot(device);
    const Collected<RestartBlock> r = reboot.Collect(reboot.InitialEntries());
    EXPECT_FALSE(r.failure);
    EXPECT_FALSE(r.changed);
    EXPECT_EQ(FailureKey(reboot.Collect({"26", "0"})), message::kHourRange);  // typed: checked

    // A schedule kept while the timed reboot is off is not wiped by an unrelated Save.
    device.restart_en = 0;
    const TimedRebootFormModel off(device);
    EXPECT_FALSE(off.Collect(off.InitialEntries()).changed);
}

}  // namespace
}  // namespace cpe::actions
