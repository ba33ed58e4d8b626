// Device store throughput with 10,000 devices: saving, paging and the bridge questions,
// each next to a naive baseline run in the same process on the same file. The baseline
// reads pages by walking and converting every row of the sorted result, and looks rows up
// without the indexes, as a store without them would.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "platform/codepage.h"
#include "store/ado_database.h"
#include "store/ado_recordset.h"
#include "store/database_file.h"
#include "store/device_row.h"
#include "store/sql_management.h"

namespace cpe {
namespace {

using Clock = std::chrono::steady_clock;

// Wall-clock time and the measuring thread's CPU time: on a shared machine the second shows
// the work itself when other processes hold the cores.
struct Lap {
    double wall = 0;
    double cpu = 0;
};

double ThreadCpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

Lap Measure(const std::function<void()>& body) {
    const auto wall = Clock::now();
    const double cpu = ThreadCpuSeconds();
    body();
    return {std::chrono::duration<double>(Clock::now() - wall).count(), ThreadCpuSeconds() - cpu};
}

constexpr int kDevices = 10000;
constexpr int kPageSize = 30;
constexpr int kRuns = 50;
constexpr int kBaselineRuns = 3;

std::string MacText(int n) {
    char text[18];
    std::snprintf(text, sizeof text, "02:00:%02x:%02x:%02x:%02x", (n >> 24) & 0xff, (n >> 16) & 0xff, (n >> 8) & 0xff,
                  n & 0xff);
    return text;
}

RawMac MacBytes(int n, std::uint8_t head) {
    return {head,
            0x00,
            static_cast<std::uint8_t>(n >> 24),
            static_cast<std::uint8_t>(n >> 16),
            static_cast<std::uint8_t>(n >> 8),
            static_cast<std::uint8_t>(n)};
}

// Devices come in pairs: an access point and a station bridged to its wireless MAC.
ap_info_stu MakeDevice(int n, int generation) {
    ap_info_stu r;
    std::memset(&r, 0, sizeof r);
    const std::string mac = MacText(n);
    std::memcpy(r.mac, mac.c_str(), mac.size() + 1);
    const bool station = n % 2 == 1;
    r.ap_type.set(static_cast<std::uint16_t>(260 + n % 4));
    r.work_mode = station ? 2 : 1;
    r.up_time.set(static_cast<std::uint32_t>(n * 7 + generation));
    r.ip = {10, static_cast<std::uint8_t>(n >> 16), static_cast<std::uint8_t>(n >> 8), static_cast<std::uint8_t>(n)};
    r.ip_mask = {255, 0, 0, 0};
    r.ip_gateway = {10, 0, 0, 1};
    r.ap_name.assign("cpe-" + std::to_string(n) + (generation > 0 ? "-b" : ""));
    r.version.assign("V2.4." + std::to_string(n % 9));
    r.channel = static_cast<std::uint8_t>(1 + n % 13);
    r.tx_power = 20;
    r.ssid_mac = MacBytes(n, 0x06);
    r.ssid.assign("wisp-" + std::to_string(n / 2 % 40));
    r.security.secure_mode = 3;
    r.security.wpapsk_key_value.assign("passphrase-" + std::to_string(n % 100));
    if (station) {
        r.bridge.bridge_work_mode = 2;
        r.bridge.bridge_mac = MacBytes(n - 1, 0x06);
        r.bridge.bridge_ssid.assign("wisp");
    }
    return r;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// Median milliseconds of repeated runs, wall and CPU.
Lap MedianMs(int runs, const std::function<void()>& body) {
    std::vector<double> wall, cpu;
    for (int i = 0; i < runs; ++i) {
        const Lap lap = Measure(body);
        wall.push_back(lap.wall * 1000.0);
        cpu.push_back(lap.cpu * 1000.0);
    }
    return {Median(wall), Median(cpu)};
}

struct PageResult {
    int pages = 0;
    int online = 0;
    std::vector<std::string> macs;
    bool operator==(const PageResult&) const = default;
};

PageResult Macs(int pages, int online, const std::vector<ap_info_stu>& rows) {
    PageResult r{pages, online, {}};
    for (const ap_info_stu& row : rows)
        r.macs.emplace_back(row.mac);
    return r;
}

// The page read as the plain algorithm does: the whole sorted, filtered result is walked
// and every row converted to count it; only the page's rows are kept.
class BaselineReader {
public:
    explicit BaselineReader(const std::filesystem::path& file) {
        if (!db_.Connect(store::ConnectionStringFor(file)))
            std::fprintf(stderr, "baseline connect failed: %s\n", db_.LastErrorText().c_str());
        rs_.Bind(db_);
    }

    PageResult Page(int number, std::string_view search) {
        std::string sql = "select * from ap_info ";
        std::string pattern;
        if (!search.empty()) {
            pattern = "%" + std::string(search) + "%";
            sql += " where ap_info.ap_name like ?1 or ap_info.ip like ?1 or ap_info.mac like ?1 or ap_info.ssid like ?1"
                   " or ap_info.version like ?1 or ap_info.work_mode like ?1 or ap_info.channel like ?1"
                   " or ap_info.ap_type like ?1";
        }
        sql += " order by ap_info.ip_num desc";
        const store::SqlParam param{std::string_view(pattern)};
        const bool opened = search.empty() ? rs_.OpenQuery(sql) : rs_.OpenQuery(sql, store::SqlParams(&param, 1));
        std::vector<ap_info_stu> out;
        int online = 0;
        const int n = opened ? rs_.RowCount() : 0;
        const int first = (number - 1) * kPageSize, end = number * kPageSize;
        for (int i = 0; i < n; ++i) {
            ap_info_stu record;
            store::ReadDeviceRow(rs_, record, codeset_);
            if (record.ap_status.get() != 0)
                ++online;
            if (i >= first && i < end)
                out.push_back(record);
            rs_.NextRow();
        }
        rs_.CloseQuery();
        return Macs(n / kPageSize + (n % kPageSize ? 1 : 0), online, out);
    }

    // The bridge questions and the save lookup, without the indexes.
    bool HasBridgedStations(const std::string& mac) {
        std::string ssidMac;
        if (!Lookup("select ssid_mac from ap_info not indexed where mac=?1", mac) || !rs_.ReadText("ssid_mac", ssidMac))
            return rs_.CloseQuery(), false;
        ssidMac = std::string(store::TrimBlanks(ssidMac));
        const store::SqlParam params[] = {std::int64_t{2}, std::string_view(ssidMac)};
        const bool found =
            rs_.OpenQuery("select mac from ap_info not indexed where work_mode=?1 and bridge_mac=?2", params) &&
            rs_.RowCount() > 0;
        rs_.CloseQuery();
        return found;
    }

    bool FindBridgePeer(const std::string& mac, std::string& peer) {
        int mode = 0;
        std::string ssidMac, bridgeMac;
        if (!Lookup("select work_mode,ssid_mac,bridge_mac from ap_info not indexed where mac=?1", mac))
            return rs_.CloseQuery(), false;
        rs_.ReadInt("work_mode", mode);
        rs_.ReadText("ssid_mac", ssidMac);
        rs_.ReadText("bridge_mac", bridgeMac);
        ssidMac = std::string(store::TrimBlanks(ssidMac));
        bridgeMac = std::string(store::TrimBlanks(bridgeMac));
        const store::SqlParam params[] = {std::int64_t{2}, std::string_view(mode == 2 ? bridgeMac : ssidMac)};
        const bool found =
            rs_.OpenQuery(mode == 2 ? "select mac from ap_info not indexed where work_mode<>?1 and ssid_mac=?2"
                                    : "select mac from ap_info not indexed where work_mode=?1 and bridge_mac=?2",
                          params) &&
            rs_.RowCount() > 0;
        if (found)
            rs_.ReadText("mac", peer);
        rs_.CloseQuery();
        return found;
    }

    bool SaveDevice(const ap_info_stu& record) {
        const store::DeviceRowTexts texts(record, codeset_);
        if (!Lookup("select * from ap_info not indexed where mac=?1", texts.mac))
            return false;
        const bool ok = (rs_.RowCount() > 0 ? rs_.BeginEdit() : rs_.BeginNewRow()) &&
                        store::WriteDeviceRow(rs_, record, texts) && rs_.CommitRow();
        rs_.CloseQuery();
        return ok;
    }

    const std::string& LastError() const { return rs_.LastErrorText(); }

private:
    bool Lookup(const char* sql, std::string_view mac) {
        const store::SqlParam param{mac};
        return rs_.OpenQuery(sql, store::SqlParams(&param, 1)) && rs_.RowCount() > 0;
    }

    CADODatabase db_;
    CADORecordset rs_;
    std::string codeset_ = platform::AnsiCodeset();
};

int Run() {
    char pattern[] = "/tmp/cpe-store-bench-XXXXXX";
    const char* folder = ::mkdtemp(pattern);
    if (folder == nullptr)
        return 1;
    const std::filesystem::path file = std::filesystem::path(folder) / "data.mdb";
    int failures = 0;
    {
        CSqlManagement store(file);
        if (store.OpenFailed()) {
            std::fprintf(stderr, "store did not open\n");
            return 1;
        }
        std::vector<ap_info_stu> fresh, updated;
        for (int n = 0; n < kDevices; ++n) {
            fresh.push_back(MakeDevice(n, 0));
            updated.push_back(MakeDevice(n, 1));
        }

        std::printf("device store, %d devices, page size %d\n\n", kDevices, kPageSize);
        const Lap inserts = Measure([&] {
            for (const ap_info_stu& r : fresh)
                failures += !store.SaveDevice(r);
        });
        const Lap updates = Measure([&] {
            for (const ap_info_stu& r : updated)
                failures += !store.SaveDevice(r);
        });

        // The store keeps its file locked; the baseline works on a copy of it.
        std::filesystem::path copy = file;
        copy += ".baseline";
        std::filesystem::copy_file(file, copy);
        BaselineReader baseline(copy);
        constexpr int kBaselineSaves = 100;
        const Lap baselineSaves = Measure([&] {
            for (int n = 0; n < kBaselineSaves; ++n) {
                if (!baseline.SaveDevice(updated[static_cast<std::size_t>(n * 31 % kDevices)])) {
                    std::fprintf(stderr, "baseline save failed: %s\n", baseline.LastError().c_str());
                    ++failures;
                }
            }
        });

        std::printf("SaveDevice (target >= 20000 devices/s)   devices/s wall   devices/s cpu\n");
        std::printf("  10000 new devices                      %14.0f %15.0f\n", kDevices / inserts.wall,
                    kDevices / inserts.cpu);
        std::printf("  10000 updates                          %14.0f %15.0f\n", kDevices / updates.wall,
                    kDevices / updates.cpu);
        std::printf("  baseline, %d updates, no index        %14.0f %15.0f\n\n", kBaselineSaves,
                    kBaselineSaves / baselineSaves.wall, kBaselineSaves / baselineSaves.cpu);

        std::printf("GetDevicePage, sorted by ip_num descending; median of %d (baseline: median of %d); ratio of cpu\n",
                    kRuns, kBaselineRuns);
        std::printf("%-30s %9s %9s %12s %12s %7s %6s\n", "case", "store ms", "(cpu)", "baseline ms", "(cpu)", "ratio",
                    "agree");
        const int lastPage = (kDevices + kPageSize - 1) / kPageSize;
        struct Case {
            const char* name;
            int page;
            const char* search;
        };
        const Case cases[] = {{"page 1, no search", 1, ""},
                              {"last page, no search", lastPage, ""},
                              {"page 1, search \"cpe-1\"", 1, "cpe-1"},
                              {"last page, search \"cpe-1\"", 0, "cpe-1"},
                              {"page 1, search \"10.\" (all)", 1, "10."},
                              {"last page, search \"10.\"", 0, "10."}};
        for (const Case& c : cases) {
            int page = c.page;
            if (page == 0) {  // the last page of the filtered result
                int pages = 0, online = 0;
                std::vector<ap_info_stu> rows;
                store.GetDevicePage(CSqlManagement::kSortIpNum, false, kPageSize, 1, c.search, pages, online, rows);
                page = pages;
            }
            PageResult fast;
            const Lap storeMs = MedianMs(kRuns, [&] {
                int pages = 0, online = 0;
                std::vector<ap_info_stu> rows;
                if (!store.GetDevicePage(CSqlManagement::kSortIpNum, false, kPageSize, page, c.search, pages, online,
                                         rows))
                    ++failures;
                fast = Macs(pages, online, rows);
            });
            PageResult slow;
            const Lap baseMs = MedianMs(kBaselineRuns, [&] { slow = baseline.Page(page, c.search); });
            const bool agree = fast == slow && !fast.macs.empty();
            failures += !agree;
            std::printf("%-30s %9.3f %9.3f %12.3f %12.3f %6.0fx %6s\n", c.name, storeMs.wall, storeMs.cpu, baseMs.wall,
                        baseMs.cpu, baseMs.cpu / storeMs.cpu, agree ? "yes" : "NO");
        }

        std::printf("\nBridge questions, %d access point/station pairs; mean per call over %d calls (baseline 50)\n",
                    kDevices / 2, kDevices);
        std::printf("%-30s %9s %9s %12s %12s %7s\n", "operation", "store us", "(cpu)", "baseline us", "(cpu)", "ratio");
        auto perCallUs = [&](int calls, const std::function<void(int)>& body) {
            const Lap lap = Measure([&] {
                for (int i = 0; i < calls; ++i)
                    body(i);
            });
            return Lap{lap.wall * 1e6 / calls, lap.cpu * 1e6 / calls};
        };
        auto row = [](const char* name, Lap fast, Lap slow) {
            std::printf("%-30s %9.2f %9.2f %12.2f %12.2f %6.0fx\n", name, fast.wall, fast.cpu, slow.wall, slow.cpu,
                        slow.cpu / fast.cpu);
        };
        constexpr int kBaselineCalls = 50;
        const Lap hasFast =
            perCallUs(kDevices, [&](int i) { failures += store.HasBridgedStations(MacText(i)) != (i % 2 == 0); });
        const Lap hasSlow = perCallUs(kBaselineCalls, [&](int i) {
            failures += baseline.HasBridgedStations(MacText(i * 47 % kDevices)) != (i * 47 % kDevices % 2 == 0);
        });
        row("HasBridgedStations", hasFast, hasSlow);
        const Lap peerFast = perCallUs(kDevices, [&](int i) {
            std::string peer;
            failures += !store.FindBridgePeer(MacText(i), peer) || peer != MacText(i ^ 1);
        });
        const Lap peerSlow = perCallUs(kBaselineCalls, [&](int i) {
            std::string peer;
            const int n = i * 47 % kDevices;
            failures += !baseline.FindBridgePeer(MacText(n), peer) || peer.substr(0, 17) != MacText(n ^ 1);
        });
        row("FindBridgePeer", peerFast, peerSlow);
    }
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
    std::printf("\n%s\n", failures == 0 ? "all results agree" : "RESULTS DISAGREE");
    return failures == 0 ? 0 : 1;
}

}  // namespace
}  // namespace cpe

int main() { return cpe::Run(); }
