// Settings sent back from a backup: which blocks go, byte for byte, what the forms' checks refuse,
// and the model-set and address rules.
#include "actions/settings/settings_restore.h"

#include "actions/common/record_slices.h"
#include "tests/actions/settings/settings_fixture.h"

namespace cpe::actions {
namespace {

using test::ConfigTest;
using test::Device5;

class SettingsRestoreTest : public ConfigTest {
protected:
    static ap_info_stu FactoryReset() { return test::FactoryReset(); }
    static ap_info_stu Saved() { return test::SavedSettings(); }
};

TEST_F(SettingsRestoreTest, ChosenBlocksGoAsTheBackupHoldsThemAndTheAddressOnlyWhenChosen) {
    const ap_info_stu device = FactoryReset(), backup = Saved();
    RestorePlan plan = PlanSettingsRestore(device, backup, kRestoreBlocks, {});
    ASSERT_FALSE(plan.Refused()) << plan.Reason();
    const config_request& r = plan.request;
    EXPECT_TRUE(r.name_changed && r.wireless_changed && r.vlan_changed && r.restart_changed);
    EXPECT_FALSE(r.ip_changed);
    EXPECT_EQ(r.wireless_block, (SliceOf<kWirelessBlockSize>(backup, kWirelessBlockOffset)));
    EXPECT_EQ(r.vlan_block, (SliceOf<kVlanBlockSize>(backup, kVlanBlockOffset)));
    EXPECT_EQ(r.restart_block, (SliceOf<kRestartBlockSize>(backup, kRestartBlockOffset)));
    EXPECT_EQ(plan.wait.count(), 60);  // a new VLAN restarts the device

    SettingsBlocks withIp = kRestoreBlocks;
    withIp.ip = true;
    plan = PlanSettingsRestore(device, backup, withIp, {});
    ASSERT_FALSE(plan.Refused()) << plan.Reason();
    EXPECT_TRUE(plan.request.ip_changed);
    // Address and VLANs together: the address waits for the VLANs.
    EXPECT_EQ(plan.request.ip_block[kIpApplyFlagByte], 0);
    EXPECT_EQ(plan.request.vlan_block[kVlanApplyFlagByte], 1);

    // Applying to another unit never carries its name or address.
    plan = PlanSettingsRestore(device, backup, kApplyBlocks, {});
    EXPECT_FALSE(plan.request.name_changed || plan.request.ip_changed);
}

TEST_F(SettingsRestoreTest, WhatTheFormsRefuseOrNothingToDoIsNotSent) {
    ap_info_stu backup = Saved();
    backup.vlan_id.set(5000);
    RestorePlan plan = PlanSettingsRestore(FactoryReset(), backup, kRestoreBlocks, {});
    ASSERT_TRUE(plan.failure);
    EXPECT_EQ(plan.failure->form, ConfigForm::kVlan);
    EXPECT_FALSE(plan.request.SendsAnything());

    backup = Saved();
    backup.security.wpapsk_key_value.assign("short");  // WPA2-PSK needs 8 characters or more
    plan = PlanSettingsRestore(FactoryReset(), backup, kApplyBlocks, {});
    ASSERT_TRUE(plan.failure);
    EXPECT_EQ(plan.failure->form, ConfigForm::kWireless);

    backup = Saved();
    backup.ap_type.set(260);  // model set B
    EXPECT_STREQ(PlanSettingsRestore(FactoryReset(), backup, kRestoreBlocks, {}).refusal, kOtherModelSetKey);

    EXPECT_STREQ(PlanSettingsRestore(Saved(), Saved(), kRestoreBlocks, {}).refusal, kNothingToChangeKey);
    EXPECT_STREQ(PlanSettingsRestore(FactoryReset(), Saved(), {}, {}).refusal, kNothingChosenKey);

    EXPECT_EQ(ParseSettingsBlocks("wireless,vlan"), (SettingsBlocks{false, true, false, true, false}));
    EXPECT_FALSE(ParseSettingsBlocks("wireless,bridge"));
    EXPECT_FALSE(ParseSettingsBlocks(""));
}

}  // namespace
}  // namespace cpe::actions
