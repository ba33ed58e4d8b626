#include "tests/service/lab/real_tftp_clients.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>
#include <sstream>
#include <thread>

#include "platform/ini_file.h"
#include "tests/support/read_to_end.h"

namespace cpe::service::test {
namespace {

std::vector<std::string> Busybox(const std::string& blockSize, const std::string& server, std::uint16_t port,
                                 const std::string& file, const std::string& out) {
    std::vector<std::string> args = {"tftp", "-g", "-r", file, "-l", out};
    if (!blockSize.empty())
        args.insert(args.end(), {"-b", blockSize});
    args.insert(args.end(), {server, std::to_string(port)});
    return args;
}

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Runs a lab script command to its end; its exit status as a text.
std::string RunScript(const platform::LaunchRequest& request) {
    auto started = platform::ChildProcess::Launch(request);
    if (auto* why = std::get_if<std::string>(&started))
        return *why;
    return platform::DescribeWaitStatus(std::get<platform::ChildProcess>(started).Wait());
}

}  // namespace

const std::vector<RealClient>& RealTftpClients() {
    static const std::vector<RealClient> clients = {
        {"busybox 512", "busybox",
         [](const std::string& s, std::uint16_t p, const std::string& f, const std::string& o) {
             return Busybox("", s, p, f, o);
         }},
        {"busybox 1468", "busybox",
         [](const std::string& s, std::uint16_t p, const std::string& f, const std::string& o) {
             return Busybox("1468", s, p, f, o);
         }},
        {"atftp", "atftp",
         [](const std::string& s, std::uint16_t p, const std::string& f, const std::string& o) {
             return std::vector<std::string>{"--get", "-r", f, "-l", o, s, std::to_string(p)};
         }},
        {"tftp-hpa", "tftp",
         [](const std::string& s, std::uint16_t p, const std::string& f, const std::string& o) {
             return std::vector<std::string>{"-m", "binary", s, std::to_string(p), "-c", "get", f, o};
         }},
        {"curl", "curl",
         [](const std::string& s, std::uint16_t p, const std::string& f, const std::string& o) {
             return std::vector<std::string>{"-sS", "-o", o, "tftp://" + s + ":" + std::to_string(p) + "/" + f};
         }},
    };
    return clients;
}

std::optional<LossLab> LossLab::FromEnvironment() {
    const char* name = std::getenv("CPE_LAB_NAME");
    const char* script = std::getenv("CPE_LAB_SCRIPT");
    const char* util = std::getenv("CPE_LAB_UTIL_ADDRS");
    if (!name || !script || !util)
        return std::nullopt;
    LossLab lab;
    lab.name_ = name;
    lab.script_ = script;
    std::istringstream(util) >> lab.utilAddress_;
    return lab;
}

bool LossLab::SetLoss(int percent) const {
    return RunScript({script_, {"loss", "--lab", name_, std::to_string(percent)}, {}, true, {}}) == "exit status 0";
}

std::optional<platform::ChildProcess> LossLab::StartHelper(const std::filesystem::path& helperDir,
                                                           const std::filesystem::path& folder, std::uint16_t port,
                                                           const std::filesystem::path& log) const {
    const auto ini = log.parent_path() / (log.stem().string() + ".ini");
    platform::WritePrivateProfileString("TFTPD32", "BaseDirectory", folder.string(), ini);
    platform::WritePrivateProfileString("TFTPD32", "LocalIP", utilAddress_, ini);
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0)
        return std::nullopt;
    platform::UniqueFd readEnd(fds[0]), writeEnd(fds[1]);
    platform::UniqueFd logFd(::open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
    auto started =
        platform::ChildProcess::Launch({(helperDir / "cpe-tftpd").string(),
                                        {"--ini", ini.string(), "--port", std::to_string(port), "--ready-fd", "3"},
                                        {},
                                        true,
                                        {{writeEnd.Get(), 3}, {logFd.Get(), STDERR_FILENO}}});
    if (!std::holds_alternative<platform::ChildProcess>(started))
        return std::nullopt;
    writeEnd.Reset();
    if (!cpe::test::ReadToEnd(readEnd.Get()).starts_with("listening "))
        return std::nullopt;
    return std::move(std::get<platform::ChildProcess>(started));
}

std::vector<FetchOutcome> LossLab::FetchAll(const std::vector<ClientFetch>& fetches,
                                            const std::filesystem::path& expected, const std::filesystem::path& scratch,
                                            std::chrono::seconds limit) const {
    const std::string want = ReadFile(expected);
    const std::string file = expected.filename().string();
    std::vector<FetchOutcome> outcomes(fetches.size());
    std::vector<std::jthread> runners;
    for (std::size_t i = 0; i < fetches.size(); ++i) {
        runners.emplace_back([&, i] {
            const RealClient& client = *fetches[i].client;
            const auto copy = scratch / ("copy-" + std::to_string(i));
            const auto printed = scratch / ("printed-" + std::to_string(i));
            std::vector<std::string> args = {"exec", "--lab", name_, "dev", "--", client.program};
            const auto own = client.arguments(utilAddress_, fetches[i].port, file, copy.string());
            args.insert(args.end(), own.begin(), own.end());
            platform::UniqueFd out(::open(printed.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
            const auto begin = std::chrono::steady_clock::now();
            auto started = platform::ChildProcess::Launch(
                {script_, args, scratch.string(), true, {{out.Get(), STDOUT_FILENO}, {out.Get(), STDERR_FILENO}}});
            FetchOutcome& outcome = outcomes[i];
            if (auto* why = std::get_if<std::string>(&started)) {
                outcome.detail = *why;
                return;
            }
            auto& child = std::get<platform::ChildProcess>(started);
            const bool ended = child.WaitFor(limit);
            if (!ended)
                child.Terminate();
            outcome.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
            const std::string status = ended ? platform::DescribeWaitStatus(*child.Status()) : "still running";
            outcome.exact = status == "exit status 0" && ReadFile(copy) == want;
            if (!outcome.exact)
                outcome.detail = client.name + ": " + status + ", " + std::to_string(ReadFile(copy).size()) +
                                 " bytes; it printed: " + ReadFile(printed);
        });
    }
    runners.clear();
    return outcomes;
}

void WriteRandomFile(const std::filesystem::path& path, std::size_t size, unsigned seed) {
    std::string bytes(size, '\0');
    std::mt19937 random(seed);
    for (auto& b : bytes)
        b = static_cast<char>(random());
    std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace cpe::service::test
