// The exporter without a network: the text it serves (escaping, both formats, no key, UTF-8
// only) and its HTTP server on loopback against bad and slow clients.
#include <gtest/gtest.h>

#include <future>
#include <thread>

#include "cli/exporter/fleet_cache.h"
#include "cli/exporter/metrics_server.h"
#include "engine/net_management.h"
#include "platform/codepage.h"
#include "protocol/codes.h"
#include "protocol/packet.h"
#include "store/sql_management.h"
#include "tests/inventory/inventory_test_support.h"
#include "tests/support/loopback_engine.h"
#include "tests/support/raw_http.h"
#include "tests/support/temp_dir.h"

namespace cpe::cli {
namespace {

using namespace std::chrono_literals;

bool Has(const std::string& text, std::string_view part) { return text.find(part) != std::string::npos; }

TEST(ExporterText, LabelsAreEscapedOfflineDevicesShowOnlyWhatIsKnownAndBothFormatsDeclareTheirTypes) {
    DeviceSample tower{"02:c9:5e:00:00:04",
                       "10.77.64.4",
                       "Tür \"Süd\"\nback\\slash 北塔",
                       "Axel",
                       "V2.1 build 7",
                       "AP",
                       "Link-4",
                       true,
                       86400,
                       11,
                       1765000000.25};
    DeviceSample gone{"02:c9:5e:00:00:05", "10.77.64.5", "Gone", "Brio", "V1", "Station", "", false, 99, 6, 0};
    const ExporterSample exporter{7, {{9785, 120, 3, 0}}, "0.20.5.10"};

    const std::string prom = RenderFleetMetrics({&tower, &gone}, exporter, ExpositionFormat::kPrometheus);
    EXPECT_TRUE(Has(prom, R"(name="Tür \"Süd\"\nback\\slash 北塔")")) << prom;
    EXPECT_TRUE(Has(prom, "cpe_device_up{mac=\"02:c9:5e:00:00:04\"} 1\n"));
    EXPECT_TRUE(Has(prom, "cpe_device_up{mac=\"02:c9:5e:00:00:05\"} 0\n"));
    EXPECT_TRUE(Has(prom, "cpe_device_uptime_seconds{mac=\"02:c9:5e:00:00:04\"} 86400\n"));
    EXPECT_FALSE(Has(prom, "cpe_device_uptime_seconds{mac=\"02:c9:5e:00:00:05\"}"));
    EXPECT_FALSE(Has(prom, "cpe_device_channel{mac=\"02:c9:5e:00:00:05\"}"));
    EXPECT_TRUE(Has(prom, "cpe_device_last_seen_timestamp_seconds{mac=\"02:c9:5e:00:00:04\"} 1765000000.25\n"));
    EXPECT_TRUE(Has(prom, "# TYPE cpe_device_info gauge\n"));
    EXPECT_TRUE(Has(prom, "# TYPE cpe_exporter_searches_total counter\ncpe_exporter_searches_total 7\n"));
    EXPECT_TRUE(Has(prom, "cpe_exporter_datagrams_dropped_total{port=\"9785\",reason=\"invalid\"} 3\n"));
    EXPECT_TRUE(Has(prom, "cpe_exporter_devices_online 1\n"));
    EXPECT_FALSE(Has(prom, "# EOF"));

    const std::string om = RenderFleetMetrics({&tower}, exporter, ExpositionFormat::kOpenMetrics);
    EXPECT_TRUE(Has(om, "# TYPE cpe_device info\ncpe_device_info{mac="));
    EXPECT_TRUE(Has(om, "# TYPE cpe_exporter_searches counter\ncpe_exporter_searches_total 7\n"));
    EXPECT_TRUE(Has(om, "# TYPE cpe_exporter_build info\ncpe_exporter_build_info{version=\"0.20.5.10\"} 1\n"));
    EXPECT_TRUE(om.ends_with("\n# EOF\n"));

    // Prometheus 2.42 asks for OpenMetrics first; curl and older scrapers get the text format.
    EXPECT_EQ(NegotiateFormat("application/openmetrics-text;version=1.0.0,application/openmetrics-text;"
                              "version=0.0.1;q=0.75,text/plain;version=0.0.4;q=0.5,*/*;q=0.1"),
              ExpositionFormat::kOpenMetrics);
    EXPECT_EQ(NegotiateFormat("*/*"), ExpositionFormat::kPrometheus);
}

// A device identified as the engine identifies one: its search reply, then its record.
void Identify(CNetManagement& engine, const ap_info_stu& r, const RawMac& mac) {
    sockaddr_in from{};
    from.sin_family = AF_INET;
    from.sin_port = htons(9786);
    from.sin_addr.s_addr = htonl(0x0a4d4009);  // 10.77.64.9
    search_summary summary{};
    summary.version.assign("V2");
    const auto reply = BuildDevicePacket(engine.PayloadKey(), 1, mac, MessageType::search, BytesOf(summary));
    engine.ProcessDatagram(PortRole::kSearchReply, from, reply);
    const auto record = BuildDevicePacket(engine.PayloadKey(), 1, mac, MessageType::get_info,
                                          BytesOf(r).subspan(kGetInfoPayloadOffset));
    engine.ProcessDatagram(PortRole::kRequest, from, record);
}

TEST(ExporterText, RecordsLoseTheirKeysAndTheirTextsArriveInUtf8) {
    platform::SetAnsiCodeset("ISO-8859-1");
    test::TempDir folder;
    CSqlManagement store(folder / "data.mdb");
    CNetManagement engine(store, test::LoopbackEngineConfig());
    ap_info_stu r{};
    r.ap_type.set(1);
    r.work_mode = 2;
    r.ip = {10, 77, 64, 9};
    r.ap_name.assign("Tür Süd");  // UTF-8 on the wire, ISO-8859-1 in the store, UTF-8 again when served
    r.ssid.assign("Link-9");
    r.channel = 36;
    r.security.wpapsk_key_value.assign("SECRET-PASSPHRASE");
    r.security.wpa_key.assign("SECRET-RADIUS");
    r.bridge.security.wep_keys[0].key_value.assign("SECRET-WEP");
    Identify(engine, r, {0x02, 0xc9, 0x5e, 0, 0, 9});

    FleetCache cache;
    EXPECT_FALSE(Has(cache.Render(engine, ExpositionFormat::kPrometheus), "02:c9:5e:00:00:09"))
        << "shown before its record was read";
    cache.Refresh(store, engine);
    const std::string text = cache.Render(engine, ExpositionFormat::kPrometheus);
    EXPECT_FALSE(Has(text, "SECRET")) << text;
    EXPECT_TRUE(Has(text, "name=\"Tür Süd\"")) << text;
    EXPECT_TRUE(Has(text, "ip=\"10.77.64.9\",")) << text;
    EXPECT_TRUE(Has(text, "mode=\"Station\",")) << text;
    EXPECT_TRUE(Has(text, "cpe_device_channel{mac=\"02:c9:5e:00:00:09\"} 36\n")) << text;
    platform::SetAnsiCodeset({});
}

TEST(ExporterText, ADeviceTheInventoryKnowsIsDownWhileOfflineWithItsLastRecordAndLastSeen) {
    platform::SetAnsiCodeset("UTF-8");
    test::TempDir folder;
    CSqlManagement store(folder / "data.mdb");
    CNetManagement engine(store, test::LoopbackEngineConfig());
    test::TestClock clock;
    const auto inventory = inventory::Inventory::OpenWriter(test::InventoryAt(folder / "inventory.sqlite", clock));
    ASSERT_TRUE(inventory->WaitOpened(test::kWriteWait));

    // Seen in an earlier run: known to the inventory, not online now.
    ap_info_stu gone{};
    std::snprintf(gone.mac, sizeof gone.mac, "02:c9:5e:00:00:07");
    gone.ap_type.set(2);
    gone.work_mode = 1;
    gone.ip = {10, 78, 64, 7};
    gone.ap_name.assign("北塔基站-7");
    gone.ssid.assign("Link-7");
    gone.security.wpapsk_key_value.assign("SECRET-PASSPHRASE");
    inventory->OnDeviceRecord(gone);
    // Online now, and known too.
    ap_info_stu here{};
    here.ap_type.set(1);
    here.ip = {10, 77, 64, 9};
    here.ap_name.assign("CPE-9");
    Identify(engine, here, {0x02, 0xc9, 0x5e, 0, 0, 9});
    std::snprintf(here.mac, sizeof here.mac, "02:c9:5e:00:00:09");
    inventory->OnDeviceRecord(here);
    ASSERT_TRUE(inventory->Flush(test::kWriteWait));

    FleetCache cache;
    cache.Refresh(store, engine, inventory.get());
    const std::string text = cache.Render(engine, ExpositionFormat::kPrometheus);
    EXPECT_TRUE(Has(text, "cpe_device_up{mac=\"02:c9:5e:00:00:07\"} 0\n")) << text;
    EXPECT_TRUE(Has(text, "cpe_device_up{mac=\"02:c9:5e:00:00:09\"} 1\n")) << text;
    EXPECT_TRUE(Has(text, "cpe_device_info{mac=\"02:c9:5e:00:00:07\",ip=\"10.78.64.7\",name=\"北塔基站-7\",model=\"" +
                              ModelName(2) + "\",firmware=\"\",mode=\"AP\",ssid=\"Link-7\"} 1\n"))
        << text;
    EXPECT_TRUE(Has(text, "cpe_device_last_seen_timestamp_seconds{mac=\"02:c9:5e:00:00:07\"} 1800000000\n")) << text;
    EXPECT_FALSE(Has(text, "cpe_device_uptime_seconds{mac=\"02:c9:5e:00:00:07\"}")) << text;
    EXPECT_TRUE(Has(text, "cpe_exporter_devices_online 1\n")) << text;
    EXPECT_FALSE(Has(text, "SECRET")) << text;
    platform::SetAnsiCodeset({});
}

class ExporterServer : public ::testing::Test {
protected:
    void SetUp() override {
        MetricsServerOptions options;
        options.port = 0;
        options.threads = 4;
        options.readTimeout = 1s;
        server_ = std::make_unique<MetricsServer>(
            options, [](ExpositionFormat format) { return RenderFleetMetrics({}, {}, format); });
        ASSERT_EQ(server_->Listen(), "");
        thread_ = std::thread([this] { server_->Run(); });
    }
    void TearDown() override {
        server_->RequestStop();
        thread_.join();
    }

    // The server closes the connection after an error and after "Connection: close".
    std::string Send(std::string_view request) const {
        return test::RawHttpExchange(server_->Port(), request, 2s, false);
    }
    std::string Scrape() const { return Send("GET /metrics HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n"); }

    std::unique_ptr<MetricsServer> server_;
    std::thread thread_;
};

TEST_F(ExporterServer, BadRequestsGetAnHttpErrorAndTheNextScrapeIsServed) {
    const std::string ok = Scrape();
    EXPECT_TRUE(ok.starts_with("HTTP/1.1 200 ")) << ok;
    EXPECT_TRUE(Has(ok, "Content-Type: text/plain; version=0.0.4; charset=utf-8")) << ok;

    const std::string longPath =
        "GET /" + std::string(20000, 'm') + " HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n";
    const std::string hugeHeader =
        "GET /metrics HTTP/1.1\r\nHost: x\r\nX-Pad: " + std::string(64 * 1024, 'h') + "\r\n\r\n";
    std::string manyHeaders = "GET /metrics HTTP/1.1\r\n";
    for (int i = 0; i < 5000; ++i)
        manyHeaders += "X-" + std::to_string(i) + ": v\r\n";
    manyHeaders += "\r\n";
    const std::pair<std::string, std::string_view> bad[] = {
        {longPath, "HTTP/1.1 4"},
        {hugeHeader, "HTTP/1.1 4"},
        {manyHeaders, "HTTP/1.1 4"},
        {"BREW /metrics HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n", "HTTP/1.1 4"},
        {"DELETE /metrics HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n", "HTTP/1.1 405 "},
        {"POST /metrics HTTP/1.1\r\nHost: x\r\nConnection: close\r\nContent-Length: 5\r\n\r\nhello", "HTTP/1.1 405 "},
        {"POST /metrics HTTP/1.1\r\nHost: x\r\nContent-Length: 99999999\r\n\r\n", "HTTP/1.1 4"},
        {"GET /metrics/../secret HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n", "HTTP/1.1 404 "},
        {"\x16\x03\x01\x02\x00\x01\x00\x01\xfc\x03\x03", ""},  // TLS to a plain port: closed, no answer
    };
    for (const auto& [request, answer] : bad) {
        const std::string got = Send(request);
        EXPECT_TRUE(got.starts_with(answer)) << request.substr(0, 40) << " -> " << got.substr(0, 80);
        EXPECT_TRUE(Scrape().starts_with("HTTP/1.1 200 ")) << "after " << request.substr(0, 40);
    }
}

TEST_F(ExporterServer, SilentClientsDoNotStallScrapes) {
    // Twice as many silent connections as threads: each is let go after the read timeout.
    std::vector<platform::UniqueFd> silent;
    for (int i = 0; i < 8; ++i) {
        platform::UniqueFd fd(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_port = htons(server_->Port());
        to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ASSERT_EQ(::connect(fd.Get(), reinterpret_cast<const sockaddr*>(&to), sizeof to), 0);
        ::send(fd.Get(), "GET /met", 8, MSG_NOSIGNAL);
        silent.push_back(std::move(fd));
    }
    // Two rounds of 1 s read timeouts let it through, so the scrape's own client must wait longer
    // than Scrape()'s 2 s; the bound is only there so a stall fails instead of hanging.
    auto scrape = std::async(std::launch::async, [this] {
        return test::RawHttpExchange(server_->Port(), "GET /metrics HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n",
                                     20s, false);
    });
    ASSERT_EQ(scrape.wait_for(30s), std::future_status::ready) << "a scrape waited behind silent clients";
    EXPECT_TRUE(scrape.get().starts_with("HTTP/1.1 200 "));
}

}  // namespace
}  // namespace cpe::cli
