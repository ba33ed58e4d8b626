// The Wireshark dissector the package ships, on a capture of real traffic in the lab: tcpdump
// records a discovery, a rename, a configuration Save and a site survey between the utility's
// engine and cpe-sim; tshark with the dissector must name every message type and read back the
// MACs, names, addresses, channels and SSIDs the simulator holds.
#include <signal.h>

#include <algorithm>
#include <map>
#include <set>
#include <sstream>

#include "actions/config/config_sender.h"
#include "protocol/codes.h"
#include "tests/cli/cli_process.h"
#include "tests/e2e/e2e_fixture.h"
#include "tests/support/temp_dir.h"

namespace cpe::lab {
namespace {

using namespace std::chrono_literals;

// One decoded datagram: the fields asked of tshark, by name; repeated fields joined by '|'.
using Decoded = std::map<std::string, std::string>;

const std::vector<std::string> kFields = {"udp.srcport",    "udp.dstport",     "cpe.type",    "cpe.mac",
                                          "cpe.name",       "cpe.ip",          "cpe.channel", "cpe.ssid",
                                          "cpe.survey.mac", "cpe.survey.ssid", "_ws.col.Info"};

std::vector<std::string> Split(const std::string& line, char separator) {
    std::vector<std::string> out(1);
    for (char c : line) {
        if (c == separator)
            out.emplace_back();
        else
            out.back() += c;
    }
    return out;
}

std::vector<Decoded> Decode(const std::filesystem::path& capture, const std::filesystem::path& scratch) {
    std::vector<std::string> args = {
        "-n", "-X",          "lua_script:" CPE_DISSECTOR, "-r", capture.string(), "-T", "fields", "-E", "separator=/t",
        "-E", "aggregator=|"};
    for (const std::string& field : kFields) {
        args.push_back("-e");
        args.push_back(field);
    }
    const test::CliResult tshark = test::RunCli(CPE_TSHARK, args, scratch, 60s);
    EXPECT_EQ(tshark.status, 0) << tshark.err;
    std::vector<Decoded> out;
    std::istringstream lines(tshark.out);
    for (std::string line; std::getline(lines, line);) {
        const std::vector<std::string> values = Split(line, '\t');
        EXPECT_EQ(values.size(), kFields.size()) << line;
        Decoded& d = out.emplace_back();
        for (std::size_t i = 0; i < values.size() && i < kFields.size(); ++i)
            d[kFields[i]] = values[i];
    }
    return out;
}

class DissectorLab : public LabTest {
protected:
    // The datagrams of one message type (by the name tshark shows) from or to a port.
    std::vector<Decoded> Of(const std::string& typeName, const char* portField, int port) const {
        std::vector<Decoded> out;
        for (const Decoded& d : decoded_)
            if (d.at(portField) == std::to_string(port) && d.at("_ws.col.Info").starts_with(typeName))
                out.push_back(d);
        return out;
    }

    std::vector<Decoded> decoded_;
};

TEST_F(DissectorLab, TsharkDecodesDiscoveryRenameSaveAndSurveyAsTheSimulatorSentThem) {
    test::TempDir scratch;
    const std::filesystem::path capture = scratch.path() / "lab.pcap";
    // -Z root: tcpdump would otherwise drop to its own user, which cannot write here.
    test::CliProcess tcpdump(CPE_TCPDUMP,
                             {"-i", "any", "-U", "-Z", "root", "-w", capture.string(), "udp portrange 9785-9788"},
                             scratch.path());
    ASSERT_TRUE(WaitUntil(
        [&] {
            std::error_code ignored;
            return std::filesystem::file_size(capture, ignored) >= 24;  // the file header: capture is on
        },
        10s))
        << "tcpdump did not start";

    StartAndDiscover({"--devices", "8", "--heartbeat-ms", "1000", "--apply-ms", "100"}, 8);
    const std::vector<sim::JsonValue> devices = Devices();
    CNetManagement& engine = utility_->Engine();

    // A rename, as the status list sends it.
    const std::string renamed = devices[3]["mac"].Str();
    engine.SendRename(devices[3]["ip"].Str(), "Dissected 4");
    EXPECT_TRUE(WaitUntil([&] { return sim_->Device(renamed)["ap_name"].Str() == "Dissected 4"; }, 5s));

    // A configuration Save of the wireless settings.
    const std::string saved = devices[5]["mac"].Str();
    ap_info_stu record = utility_->Row(saved).value_or(ap_info_stu{});
    record.ssid.assign("Dissector-Net");
    record.channel = 9;
    actions::config_request request;
    request.wireless_changed = true;
    request.wireless_block = MakeWirelessBlock(record);
    actions::SendConfiguration(engine, request, devices[5]["ip"].Str(), saved, {});
    EXPECT_TRUE(WaitUntil([&] { return sim_->Device(saved)["ssid"].Str() == "Dissector-Net"; }, 5s));

    // A site survey of device 0, an access point.
    const std::string surveyed = devices[0]["mac"].Str();
    engine.BeginSurvey(surveyed);
    engine.SendCommand(devices[0]["ip"].Str(), MessageType::site_survey);
    EXPECT_TRUE(WaitUntil([&] { return engine.SurveyComplete(); }, 5s));

    std::this_thread::sleep_for(1500ms);  // every device heartbeats, the last replies reach the capture
    tcpdump.Signal(SIGINT);
    const test::CliResult captured = tcpdump.Wait(10s);
    ASSERT_EQ(captured.status, 0) << captured.err;
    decoded_ = Decode(capture, scratch.path());
    ASSERT_FALSE(decoded_.empty());

    std::set<std::string> heartbeatMacs;
    for (const Decoded& d : Of("heartbeat", "udp.dstport", 9787))
        heartbeatMacs.insert(d.at("cpe.mac"));
    for (const sim::JsonValue& device : devices) {
        const std::string mac = device["mac"].Str();
        const auto replies = Of("search", "udp.dstport", 9785);
        const bool summary = std::any_of(replies.begin(), replies.end(), [&](const Decoded& d) {
            return d.at("cpe.mac") == mac && d.at("cpe.type") == "1" && d.at("cpe.ip").empty() &&
                   d.at("cpe.channel") == std::to_string(device["channel"].Int());
        });
        EXPECT_TRUE(summary) << "no search reply of " << mac;
        const auto records = Of("get_info", "udp.dstport", 9788);
        const bool full = std::any_of(records.begin(), records.end(), [&](const Decoded& d) {
            return d.at("cpe.mac") == mac && d.at("cpe.type") == "2" && d.at("cpe.ip") == device["ip"].Str() &&
                   d.at("cpe.channel") == std::to_string(device["channel"].Int()) &&
                   d.at("cpe.ssid") == device["ssid"].Str();
        });
        EXPECT_TRUE(full) << "no device record of " << mac;
        EXPECT_TRUE(heartbeatMacs.count(mac)) << "no heartbeat of " << mac;
    }
    // The names as the devices sent them: accented and CJK text in UTF-8.
    for (const Decoded& d : Of("get_info", "udp.dstport", 9788)) {
        if (d.at("cpe.mac") == renamed)
            continue;
        EXPECT_EQ(d.at("cpe.name"), sim_->Device(d.at("cpe.mac"))["ap_name"].Str()) << d.at("cpe.mac");
    }

    const auto names = Of("set_name", "udp.dstport", 9787);
    ASSERT_EQ(names.size(), 1u);
    EXPECT_EQ(names[0].at("cpe.name"), "Dissected 4");
    EXPECT_EQ(names[0].at("_ws.col.Info"), "set_name name=Dissected 4");

    const auto wireless = Of("set_wireless", "udp.dstport", 9787);
    ASSERT_EQ(wireless.size(), 1u);
    EXPECT_EQ(wireless[0].at("cpe.ssid"), "Dissector-Net");
    EXPECT_EQ(wireless[0].at("cpe.channel"), "9");

    EXPECT_EQ(Of("site_survey", "udp.dstport", 9787).size(), 1u);
    std::set<std::string> heardMacs, heardSsids;
    for (const Decoded& d : Of("site_survey", "udp.dstport", 9788)) {
        for (const std::string& mac : Split(d.at("cpe.survey.mac"), '|'))
            heardMacs.insert(mac);
        for (const std::string& ssid : Split(d.at("cpe.survey.ssid"), '|'))
            heardSsids.insert(ssid);
    }
    for (const sim::JsonValue& device : devices) {
        if (device["mac"].Str() == surveyed || device["work_mode"].Int() != 1)
            continue;
        EXPECT_TRUE(heardMacs.count(device["mac"].Str())) << "survey lacks " << device["mac"].Str();
        const std::string ssid = sim_->Device(device["mac"].Str())["ssid"].Str();  // device 5's was saved
        EXPECT_TRUE(heardSsids.count(ssid)) << "survey lacks " << ssid;
    }
}

}  // namespace
}  // namespace cpe::lab
