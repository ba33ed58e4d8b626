// cpe-cli exporter against 40 simulated devices in the network lab, scraped every second by a
// real Prometheus (started here, with its own configuration and data folder, on the lab's
// loopback): Prometheus counts the 40 devices up, sees their names and addresses as the
// simulator holds them, loads the shipped alert rules, and after 10 devices stop, the fleet
// inventory (which the exporter writes, holding the lock) keeps them in the exposition with
// cpe_device_up 0 while 30 stay up. promtool accepts a scrape body and the rule file.
#include <signal.h>

#include <gtest/gtest.h>
#include <httplib.h>

#include <fstream>

#include "tests/cli/cli_process.h"
#include "tests/e2e/e2e_fixture.h"
#include "tests/support/free_port.h"
#include "tests/support/temp_dir.h"

namespace cpe::lab {
namespace {

using namespace std::chrono_literals;

constexpr std::size_t kDevices = 40;
constexpr std::size_t kStopped = 10;

class ExporterLab : public LabTest {
protected:
    void SetUp() override {
        LabTest::SetUp();
        if (IsSkipped())
            return;
        sim_ = std::make_unique<SimProcess>(
            *lab_, std::vector<std::string>{"--devices", std::to_string(kDevices), "--heartbeat-ms", "2000"});
        ASSERT_TRUE(sim_->Ready()) << "cpe-sim did not start";
        exporterPort_ = test::FreeLoopbackPort(SOCK_STREAM);
        exporter_ = std::make_unique<test::CliProcess>(
            CPE_CLI_BINARY,
            std::vector<std::string>{"exporter", "--listen", "127.0.0.1:" + std::to_string(exporterPort_)},
            runtime_.path());
        StartPrometheus();
    }
    void TearDown() override {
        if (prometheus_) {
            prometheus_->Signal(SIGTERM);
            prometheus_->Wait(20s);
        }
    }

    void StartPrometheus() {
        const std::uint16_t port = test::FreeLoopbackPort(SOCK_STREAM);
        const std::filesystem::path config = prometheusDir_ / "prometheus.yml";
        std::ofstream(config) << "global:\n  scrape_interval: 1s\n  evaluation_interval: 1s\n"
                              << "rule_files: ['" << CPE_ALERT_RULES << "']\n"
                              << "scrape_configs:\n  - job_name: cpe-manager\n    static_configs:\n"
                              << "      - targets: ['127.0.0.1:" << exporterPort_ << "']\n";
        prometheus_ = std::make_unique<test::CliProcess>(
            CPE_PROMETHEUS,
            std::vector<std::string>{"--config.file=" + config.string(),
                                     "--storage.tsdb.path=" + (prometheusDir_ / "data").string(),
                                     "--web.listen-address=127.0.0.1:" + std::to_string(port)},
            prometheusDir_.path());
        api_ = std::make_unique<httplib::Client>("127.0.0.1", port);
        api_->set_read_timeout(5s);
    }

    // The result vector of an instant query, or nothing while Prometheus cannot answer.
    std::optional<sim::JsonValue> Query(const std::string& promql) const {
        const auto res = api_->Get("/api/v1/query", httplib::Params{{"query", promql}}, httplib::Headers{});
        if (!res || res->status != 200)
            return std::nullopt;
        auto json = sim::ParseJson(res->body);
        if (!json || (*json)["status"].Str() != "success")
            return std::nullopt;
        return (*json)["data"]["result"];
    }
    // The value of a query that gives one number (a count); -1 when it gives none.
    long Number(const std::string& promql) const {
        const auto result = Query(promql);
        if (!result || result->Size() != 1)
            return -1;
        return std::stol((*result)[0]["value"][1].Str());
    }
    bool WaitNumber(const std::string& promql, long expected, std::chrono::seconds limit) const {
        return WaitUntil([&] { return Number(promql) == expected; }, limit, 500ms);
    }

    test::TempDir runtime_;
    test::TempDir prometheusDir_;
    std::uint16_t exporterPort_ = 0;
    std::unique_ptr<test::CliProcess> exporter_;
    std::unique_ptr<test::CliProcess> prometheus_;
    std::unique_ptr<httplib::Client> api_;
};

TEST_F(ExporterLab, PrometheusSeesEveryDeviceUpAndTheStoppedOnesDown) {
    ASSERT_TRUE(WaitNumber("count(cpe_device_up == 1)", kDevices, 90s))
        << "Prometheus counts " << Number("count(cpe_device_up == 1)") << " devices up";

    const auto dump = sim_->Dump();
    for (const std::size_t i : {0u, 4u, 13u}) {
        const sim::JsonValue& d = dump["devices"][i];
        const auto info = Query("cpe_device_info{mac=\"" + d["mac"].Str() + "\"}");
        ASSERT_TRUE(info && info->Size() == 1) << d["mac"].Str();
        const sim::JsonValue& labels = (*info)[0]["metric"];
        EXPECT_EQ(labels["name"].Str(), d["ap_name"].Str());  // accented and CJK names among them
        EXPECT_EQ(labels["ip"].Str(), d["ip"].Str());
        EXPECT_EQ(labels["ssid"].Str(), d["ssid"].Str());
        EXPECT_EQ(labels["firmware"].Str(), d["version"].Str());
        EXPECT_EQ(Number("cpe_device_channel{mac=\"" + d["mac"].Str() + "\"}"), d["channel"].Int());
    }
    EXPECT_EQ(Number("count(cpe_exporter_build_info)"), 1);
    EXPECT_GE(Number("cpe_exporter_searches_total"), 1);
    EXPECT_EQ(Number("cpe_exporter_devices_online"), static_cast<long>(kDevices));
    // The shipped rules are loaded, and nothing fires while every device is up.
    const auto rules = api_->Get("/api/v1/rules");
    ASSERT_TRUE(rules && rules->status == 200);
    EXPECT_NE(rules->body.find("CpeDeviceDown"), std::string::npos);
    EXPECT_EQ(Number("count(ALERTS)"), -1);

    // promtool accepts a scrape body as the exporter serves it.
    httplib::Client scrape("127.0.0.1", exporterPort_);
    const auto body = scrape.Get("/metrics");
    ASSERT_TRUE(body && body->status == 200);
    std::ofstream(prometheusDir_ / "scrape.txt") << body->body;
    const test::CliResult lint = test::RunCli(
        "/bin/sh", {"-c", std::string(CPE_PROMTOOL) + " check metrics < " + (prometheusDir_ / "scrape.txt").string()},
        runtime_.path(), 60s);
    EXPECT_EQ(lint.status, 0) << lint.out << lint.err;
    const test::CliResult ruleCheck =
        test::RunCli(CPE_PROMTOOL, {"check", "rules", CPE_ALERT_RULES}, runtime_.path(), 60s);
    EXPECT_EQ(ruleCheck.status, 0) << ruleCheck.out << ruleCheck.err;

    // Ten devices fall silent: the engine ages them out (30 to 40 s), and the inventory, which
    // knows them, keeps them shown as down with their last labels.
    for (std::size_t i = 0; i < kStopped; ++i)
        ASSERT_TRUE(sim_->Request("stop " + dump["devices"][i * 4]["mac"].Str()));
    ASSERT_TRUE(WaitNumber("count(cpe_device_up == 0)", kStopped, 90s))
        << "Prometheus counts " << Number("count(cpe_device_up == 0)") << " devices down";
    EXPECT_EQ(Number("count(cpe_device_up == 1)"), static_cast<long>(kDevices - kStopped));
    EXPECT_EQ(Number("count(cpe_device_up)"), static_cast<long>(kDevices));
    const std::string stopped = dump["devices"][0]["mac"].Str();
    EXPECT_EQ(Number("cpe_device_up{mac=\"" + stopped + "\"}"), 0);
    EXPECT_EQ(
        Number("count(cpe_device_info{mac=\"" + stopped + "\",name=\"" + dump["devices"][0]["ap_name"].Str() + "\"})"),
        1);
    EXPECT_EQ(Number("count(cpe_device_uptime_seconds{mac=\"" + stopped + "\"})"), -1);
    EXPECT_EQ(Number("cpe_exporter_devices_online"), static_cast<long>(kDevices - kStopped));

    exporter_->Signal(SIGTERM);
    const test::CliResult ended = exporter_->Wait(20s);
    EXPECT_EQ(ended.status, 128 + SIGTERM) << ended.err;
}

}  // namespace
}  // namespace cpe::lab
