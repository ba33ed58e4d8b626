// cpe-cli against 1,000 simulated devices in the network lab, run as its own process the way an
// operator or a scheduler runs it: the export in JSON and CSV holds exactly the simulator's
// devices, reboot reaches an access point before its station, an upgrade of 12 devices fetches
// the real file through the real helper, and a second cpe-cli beside a running one is refused.
#include <signal.h>

#include <gtest/gtest.h>

#include <map>

#include "platform/sha256.h"
#include "protocol/codes.h"
#include "tests/cli/cli_process.h"
#include "tests/e2e/firmware_image.h"
#include "tests/e2e/lab_support.h"
#include "tests/support/temp_dir.h"

namespace cpe::lab {
namespace {

using namespace std::chrono_literals;
using Row = std::map<std::string, std::string>;

constexpr std::size_t kDevices = 1000;

// A number of the JSON output as the CSV writes it.
std::string CellText(const sim::JsonValue& value) {
    if (std::holds_alternative<double>(value.v))
        return std::to_string(value.Int());
    return value.Str();
}

// RFC 4180, as a spreadsheet or a script reads it: the header names the fields of every row.
std::vector<Row> ReadCsv(std::string_view text) {
    std::vector<std::vector<std::string>> lines(1, std::vector<std::string>(1));
    bool quoted = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        std::string& field = lines.back().back();
        if (quoted && c == '"' && i + 1 < text.size() && text[i + 1] == '"')
            field += text[++i];
        else if (c == '"')
            quoted = !quoted;
        else if (!quoted && c == ',')
            lines.back().emplace_back();
        else if (!quoted && c == '\r' && i + 1 < text.size() && text[i + 1] == '\n' && ++i)
            lines.emplace_back(1);
        else
            field += c;
    }
    lines.pop_back();
    std::vector<Row> rows;
    for (std::size_t r = 1; r < lines.size(); ++r) {
        EXPECT_EQ(lines[r].size(), lines[0].size()) << "row " << r;
        Row& row = rows.emplace_back();
        for (std::size_t c = 0; c < lines[r].size() && c < lines[0].size(); ++c)
            row[lines[0][c]] = lines[r][c];
    }
    return rows;
}

class CliLab : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        lab_ = CurrentLab();
        if (!lab_)
            return;
        sim_ =
            new SimProcess(*lab_, {"--devices", std::to_string(kDevices), "--reboot-ms", "1500", "--apply-ms", "100"});
    }
    static void TearDownTestSuite() {
        delete sim_;
        sim_ = nullptr;
    }
    void SetUp() override {
        if (!lab_)
            GTEST_SKIP() << "not inside the network lab; ctest runs this through tools/netlab.sh run";
        ASSERT_TRUE(sim_->Ready()) << "cpe-sim did not start";
    }

    test::CliResult Cli(const std::vector<std::string>& args, std::chrono::seconds limit = 120s) const {
        return test::RunCli(CPE_CLI_BINARY, args, runtime_.path(), limit);
    }

    std::vector<sim::JsonValue> SimDevices() const {
        std::vector<sim::JsonValue> out;
        const auto dump = sim_->Dump();
        for (std::size_t i = 0; i < dump["devices"].Size(); ++i)
            out.push_back(dump["devices"][i]);
        return out;
    }

    static inline std::optional<LabEnv> lab_;
    static inline SimProcess* sim_ = nullptr;
    test::TempDir runtime_;
};

TEST_F(CliLab, DiscoverPrintsExactlyTheSimulatorsDevicesFieldByFieldInJsonAndCsv) {
    const test::CliResult json = Cli({"discover", "--until-stable", "--format", "json"});
    ASSERT_EQ(json.status, 0) << json.err;
    EXPECT_TRUE(json.err.empty()) << json.err;  // standard error is no terminal: no progress
    const auto parsed = sim::ParseJson(json.out);
    ASSERT_TRUE(parsed && parsed->IsArray());
    std::map<std::string, sim::JsonValue> printed;
    for (std::size_t i = 0; i < parsed->Size(); ++i)
        printed[(*parsed)[i]["mac"].Str()] = (*parsed)[i];
    ASSERT_EQ(printed.size(), kDevices);
    ASSERT_EQ(parsed->Size(), kDevices);  // each device once

    for (const sim::JsonValue& d : SimDevices()) {
        const std::string mac = d["mac"].Str();
        ASSERT_EQ(printed.count(mac), 1u) << mac;
        const sim::JsonValue& p = printed[mac];
        EXPECT_EQ(p["MAC"].Str(), mac);
        EXPECT_EQ(p["IP"].Str(), d["ip"].Str()) << mac;
        EXPECT_EQ(p["ip"].Str(), d["ip"].Str()) << mac;
        EXPECT_EQ(p["ap_type"].Int(), d["model"].Int()) << mac;
        EXPECT_EQ(p["Type"].Str(), ModelName(static_cast<int>(d["model"].Int()))) << mac;
        EXPECT_EQ(p["Status"].Str(), "Online") << mac;
        EXPECT_EQ(p["ap_status"].Int(), 1) << mac;
        for (const char* text : {"ap_name", "ssid", "version", "ip_mask", "ip_gateway"})
            EXPECT_EQ(p[text].Str(), d[text].Str()) << mac << " " << text;
        EXPECT_EQ(p["Location"].Str(), d["ap_name"].Str()) << mac;
        EXPECT_EQ(p["SSID"].Str(), d["ssid"].Str()) << mac;
        EXPECT_EQ(p["Version"].Str(), d["version"].Str()) << mac;
        for (const char* number :
             {"ip_mode", "work_mode", "mode_btn_status", "channel", "tx_power", "secure_mode", "restart_en",
              "restart_type", "restart_time", "vlan_en", "vlan_id", "vlan_id_wlan", "vlan_id_lan"})
            EXPECT_EQ(p[number].Int(), d[number].Int()) << mac << " " << number;
        EXPECT_EQ(p["Channel"].Str(), d["channel"].Int() == 0 ? "Auto" : std::to_string(d["channel"].Int())) << mac;
        EXPECT_LE(p["up_time"].Int(), d["up_time"].Int()) << mac;
    }

    const test::CliResult csv = Cli({"discover", "--until-stable", "--format", "csv"});
    ASSERT_EQ(csv.status, 0) << csv.err;
    const std::vector<Row> rows = ReadCsv(csv.out);
    ASSERT_EQ(rows.size(), kDevices);
    for (const Row& row : rows) {
        const auto it = printed.find(row.at("mac"));
        ASSERT_NE(it, printed.end()) << row.at("mac");
        const auto& object = *std::get<std::shared_ptr<sim::JsonValue::Object>>(it->second.v);
        ASSERT_EQ(row.size(), object.size());
        // The clock moved on between the two runs, and the rows are numbered in the order printed.
        for (const auto& [field, value] : object) {
            if (field == "Time" || field == "up_time" || field == "Serial")
                continue;
            EXPECT_EQ(row.at(field), CellText(value)) << row.at("mac") << " " << field;
        }
    }
}

TEST_F(CliLab, DoctorFindsTheLabsDevicesHoldsTheFourPortsAndExitsZero) {
    const test::CliResult doctor = Cli({"doctor", "--seconds", "15"});
    ASSERT_EQ(doctor.status, 0) << doctor.out << doctor.err;
    EXPECT_EQ(doctor.out.find("problem:"), std::string::npos) << doctor.out;
    EXPECT_NE(doctor.out.find("Searched on adapter "), std::string::npos) << doctor.out;
    EXPECT_NE(doctor.out.find("UDP ports 9785, 9786, 9787, 9788 are held by this program.\n"), std::string::npos)
        << doctor.out;
    EXPECT_NE(doctor.out.find("Devices found: " + std::to_string(kDevices) + ".\n"), std::string::npos) << doctor.out;
}

TEST_F(CliLab, RebootSendsTheAccessPointBeforeItsStationAndPrintsBoth) {
    const std::vector<sim::JsonValue> devices = SimDevices();
    // Device 1 is a station bridged to device 0; named first, it still hears the command last.
    const std::string station = devices[1]["mac"].Str();
    const std::string ap = devices[1]["bridge_mac"].Str();
    ASSERT_EQ(devices[1]["work_mode"].Int(), 2);
    ASSERT_EQ(ap, devices[0]["mac"].Str());

    const test::CliResult reboot = Cli({"reboot", station, devices[0]["ip"].Str()});
    ASSERT_EQ(reboot.status, 0) << reboot.out << reboot.err;
    EXPECT_NE(reboot.out.find(station + " " + devices[1]["ip"].Str() + " Restarting\n"), std::string::npos)
        << reboot.out;
    EXPECT_NE(reboot.out.find(ap + " " + devices[0]["ip"].Str() + " Restarting\n"), std::string::npos) << reboot.out;
    EXPECT_NE(reboot.out.find("2 of 2 devices Restarting\n"), std::string::npos) << reboot.out;

    const sim::JsonValue apNow = sim_->Device(ap);
    const sim::JsonValue stationNow = sim_->Device(station);
    EXPECT_EQ(apNow["received"]["reboot"].Int(), 1);
    EXPECT_EQ(stationNow["received"]["reboot"].Int(), 1);
    EXPECT_GE(stationNow["last_received_ms"]["reboot"].Int() - apNow["last_received_ms"]["reboot"].Int(), 200);
    EXPECT_EQ(sim_->Device(devices[2]["mac"].Str())["received"]["reboot"].Int(), 0);
}

TEST_F(CliLab, UpgradeOfTwelveDevicesFetchesTheFileThroughTheHelperAndSummarises) {
    test::TempDir folder;
    const FirmwareImage image(folder.path(), "cli-fw-7.bin", 300000);
    // Model code 1 (TFTP): devices 0, 10, 20, ... of the fleet.
    std::vector<std::string> args = {"upgrade", "--file", image.Path().string(), "--model", "Axel"};
    std::vector<std::string> macs;
    const std::vector<sim::JsonValue> devices = SimDevices();
    for (std::size_t i = 0; macs.size() < 12; i += 10) {
        ASSERT_EQ(devices[i]["model"].Int(), 1);
        macs.push_back(devices[i]["mac"].Str());
        args.push_back(i % 20 == 0 ? macs.back() : devices[i]["ip"].Str());
    }
    const test::CliResult upgrade = Cli(args, 200s);
    EXPECT_EQ(upgrade.status, 0) << upgrade.out << upgrade.err;
    EXPECT_NE(upgrade.out.find("12 upgraded, 0 failed, 0 did not report, 0 not found\n"), std::string::npos)
        << upgrade.out;
    for (const std::string& mac : macs) {
        image.ExpectFetchedBy(*sim_, mac, "tftp");
        EXPECT_NE(upgrade.out.find(mac + " "), std::string::npos) << mac;
    }
    // Each device's history names the image by its hash, with the device's outcome.
    const test::CliResult history = Cli({"history", macs[0], "--format", "csv"});
    ASSERT_EQ(history.status, 0) << history.err;
    const std::vector<Row> events = ReadCsv(history.out);
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events[0].at("Event"), "upgrade");
    const auto digest = platform::Sha256OfFile(image.Path());
    ASSERT_TRUE(digest);
    EXPECT_NE(events[0].at("Detail").find("\"sha256\":\"" + platform::HexText(*digest) + "\""), std::string::npos)
        << events[0].at("Detail");
    EXPECT_NE(events[0].at("Detail").find("\"outcome\":\"Upgrade success\""), std::string::npos)
        << events[0].at("Detail");
    // A device of another model is refused before anything is sent.
    const test::CliResult wrong = Cli({"upgrade", "--file", image.Path().string(), "--model", "Brio", macs[0]});
    EXPECT_EQ(wrong.status, 2);
    EXPECT_NE(wrong.err.find("is a Axel, not a Brio; nothing was sent"), std::string::npos) << wrong.err;
}

TEST_F(CliLab, ASecondCpeCliIsRefusedWithExitThreeAndASignalEndsARunCleanly) {
    test::CliProcess first(CPE_CLI_BINARY, {"discover", "--seconds", "60"}, runtime_.path());
    const std::filesystem::path store = std::filesystem::path(CPE_CLI_BINARY).parent_path() / "cpe-cli.mdb";
    // The store is made once the lock and the ports are the first run's.
    ASSERT_TRUE(WaitUntil([&] { return std::filesystem::exists(store); }, 10s));

    const test::CliResult second = Cli({"show", "02:c9:5e:00:00:01"}, 20s);
    EXPECT_EQ(second.status, 3);
    EXPECT_TRUE(second.out.empty());
    EXPECT_EQ(second.err, "cpe-cli: cannot start: cpe-manager or another cpe-cli is running and holds the protocol "
                          "ports\n");

    // A program that holds the ports without the lock (another runtime folder) is named too.
    test::TempDir otherRuntime;
    const test::CliResult third = test::RunCli(CPE_CLI_BINARY, {"discover"}, otherRuntime.path(), 20s);
    EXPECT_EQ(third.status, 3);
    EXPECT_EQ(third.err.rfind("cpe-cli: cannot start: UDP port 978", 0), 0u) << third.err;
    EXPECT_TRUE(third.err.ends_with(") is held by another program\n")) << third.err;

    first.Signal(SIGTERM);
    const test::CliResult ended = first.Wait(10s);
    EXPECT_EQ(ended.status, 128 + SIGTERM);
    EXPECT_TRUE(ended.out.empty());
    EXPECT_FALSE(std::filesystem::exists(store)) << "the run's store outlived it";
}

}  // namespace
}  // namespace cpe::lab
