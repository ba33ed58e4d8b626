// TFTP over a lossy link: the real clients devices and administrators use (busybox at 512 and
// 1468 bytes a block, atftp, the tftp-hpa client, curl) fetch one file from our helper and from
// tftpd-hpa while the lab's link loses 3 %, then 10 %, of the packets each way. All fetches of one
// loss rate run at once, ours and the baseline's side by side, so both see the same link. Prints
// per client the successes and the median time of each server, and the ratio of the medians.
//
// Each lost packet costs both servers a silent period (curl asks for 6 s), so the full matrix
// (CPE_TFTP_LOSS_TRIES=5 CPE_TFTP_LOSS_KIB=256) takes a quarter of an hour; by default it runs
// two tries of a 32 KiB file.
//
//   tftp_loss_bench --helpers DIR --in-tftpd PATH
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "platform/process.h"
#include "tests/service/lab/real_tftp_clients.h"
#include "tests/support/temp_dir.h"

namespace {

using namespace cpe::service::test;
constexpr std::uint16_t kOursPort = 69;
constexpr std::uint16_t kBaselinePort = 1069;
constexpr std::chrono::seconds kFetchLimit{1800};

struct Tally {
    int good = 0, tries = 0;
    std::vector<double> seconds;  // of the byte-exact fetches

    std::optional<double> Median() const {
        if (seconds.empty())
            return std::nullopt;
        auto v = seconds;
        std::sort(v.begin(), v.end());
        return v[v.size() / 2];
    }
    std::string Text() const {
        char text[48];
        const auto m = Median();
        if (m)
            std::snprintf(text, sizeof text, "%d/%d, %.1f s", good, tries, *m);
        else
            std::snprintf(text, sizeof text, "%d/%d, -", good, tries);
        return text;
    }
};

int EnvNumber(const char* name, int fallback, int low, int high) {
    const char* text = std::getenv(name);
    return std::clamp(text ? std::atoi(text) : fallback, low, high);
}

}  // namespace

int main(int argc, char** argv) {
    const auto lab = LossLab::FromEnvironment();
    if (!lab) {
        std::fprintf(stderr, "tftp_loss_bench: SKIPPED: run me through tools/netlab.sh run\n");
        return 77;
    }
    std::map<std::string, std::string> args;
    for (int i = 1; i + 1 < argc; i += 2)
        args[argv[i]] = argv[i + 1];
    if (!std::filesystem::exists(args["--in-tftpd"])) {
        std::fprintf(stderr, "tftp_loss_bench: SKIPPED: tftpd-hpa is missing (tools/setup.sh installs it)\n");
        return 77;
    }
    cpe::test::TempDir work;
    const auto folder = work.path() / "www";
    std::filesystem::create_directory(folder);
    ::chmod(work.path().c_str(), 0755);  // tftpd-hpa serves as its own unprivileged user
    ::chmod(folder.c_str(), 0755);
    const int tries = EnvNumber("CPE_TFTP_LOSS_TRIES", 2, 1, 20);
    const int kib = EnvNumber("CPE_TFTP_LOSS_KIB", 32, 1, 16384);
    WriteRandomFile(folder / "fw.bin", static_cast<std::size_t>(kib) * 1024, 25);
    ::chmod((folder / "fw.bin").c_str(), 0644);

    auto ours = lab->StartHelper(args["--helpers"], folder, kOursPort, work.path() / "cpe-tftpd.log");
    auto baseline = cpe::platform::ChildProcess::Launch(
        {args["--in-tftpd"],
         {"--foreground", "--address", lab->UtilAddress() + ":" + std::to_string(kBaselinePort), "--secure", "--user",
          "tftp", folder.string()},
         {},
         true,
         {}});
    if (!ours || !std::holds_alternative<cpe::platform::ChildProcess>(baseline)) {
        std::fprintf(stderr, "tftp_loss_bench: a server did not start\n");
        return 1;
    }
    const auto& clients = RealTftpClients();
    bool met = true;
    std::printf("\n%d tries per client and server, one %d KiB file, all fetches of a loss rate at once: "
                "byte-exact fetches and their median time\n",
                tries, kib);
    for (const int loss : {3, 10}) {
        if (!lab->SetLoss(loss)) {
            std::fprintf(stderr, "tftp_loss_bench: cannot set the lab's loss\n");
            return 1;
        }
        std::vector<ClientFetch> fetches;
        for (const auto& client : clients)
            for (int i = 0; i < tries; ++i)
                for (const auto port : {kOursPort, kBaselinePort})
                    fetches.push_back({&client, port});
        const auto outcomes = lab->FetchAll(fetches, folder / "fw.bin", work.path(), kFetchLimit);
        std::map<std::string, std::pair<Tally, Tally>> byClient;  // ours, baseline
        for (std::size_t i = 0; i < fetches.size(); ++i) {
            auto& pair = byClient[fetches[i].client->name];
            Tally& t = fetches[i].port == kOursPort ? pair.first : pair.second;
            ++t.tries;
            if (outcomes[i].exact) {
                ++t.good;
                t.seconds.push_back(outcomes[i].seconds);
            } else {
                std::fprintf(stderr, "tftp_loss_bench: %d %% loss, %s: %s\n", loss,
                             fetches[i].port == kOursPort ? "cpe-tftpd" : "tftpd-hpa", outcomes[i].detail.c_str());
            }
        }
        std::printf("\n%d %% loss each way\n%-14s %18s %18s %10s\n", loss, "client", "cpe-tftpd", "tftpd-hpa",
                    "ours/hpa");
        for (const auto& client : clients) {
            const auto& [o, b] = byClient[client.name];
            const auto om = o.Median(), bm = b.Median();
            char ratio[16] = "-";
            if (om && bm)
                std::snprintf(ratio, sizeof ratio, "%.2fx", *om / *bm);
            std::printf("%-14s %18s %18s %10s\n", client.name.c_str(), o.Text().c_str(), b.Text().c_str(), ratio);
            const bool allGood = loss != 3 || o.good == o.tries;
            met = met && allGood && o.good >= b.good && (!om || !bm || *om <= 1.2 * *bm);
        }
    }
    lab->SetLoss(0);
    std::printf("targets (3 %%: every fetch byte-exact; each loss: successes >= tftpd-hpa's, median <= 1.2x "
                "tftpd-hpa's): %s\n",
                met ? "met" : "MISSED");
    return 0;
}
