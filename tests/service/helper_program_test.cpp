// The helper programs as the utility starts them: they report "listening" on the pipe they are
// given, refuse to run without a folder, exit non-zero with a message when they cannot listen,
// and end with the process that started them.
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <fstream>
#include <thread>

#include "platform/ini_file.h"
#include "platform/process.h"
#include "tests/service/served_server_fixture.h"
#include "tests/service/tftp_test_client.h"

namespace cpe::service::test {
namespace {

using std::chrono::milliseconds;

// Everything written to the read end until the writers close it (or two seconds pass).
std::string Drain(int fd) {
    std::string out;
    for (;;) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 2000) <= 0)
            return out;
        char buffer[512];
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n <= 0)
            return out;
        out.append(buffer, static_cast<std::size_t>(n));
    }
}

struct Pipe {
    Pipe() {
        int fds[2];
        if (::pipe2(fds, O_CLOEXEC) != 0)
            std::abort();
        read.Reset(fds[0]);
        write.Reset(fds[1]);
    }
    platform::UniqueFd read, write;
};

struct HelperRun {
    int status = -1;
    std::string report;  // on the ready pipe
    std::string errors;  // on standard error
};

class HelperProgramTest : public ServedFolderTest {
protected:
    std::filesystem::path Ini(const std::string& section,
                              const std::vector<std::pair<std::string, std::string>>& keys) {
        const auto ini = root_ / (section + ".ini");
        for (const auto& [k, v] : keys)
            platform::WritePrivateProfileString(section, k, v, ini);
        return ini;
    }
    // Starts the helper; it is stopped after `stopAfter` unless it ends by itself first.
    HelperRun RunHelper(const char* binary, const std::filesystem::path& ini, std::vector<std::string> extra,
                        milliseconds stopAfter = milliseconds(0)) {
        Pipe ready, errors;
        std::vector<std::string> args = {"--ini", ini.string(), "--ready-fd", "3"};
        args.insert(args.end(), extra.begin(), extra.end());
        auto started = platform::ChildProcess::Launch(
            {binary, args, {}, true, {{ready.write.Get(), 3}, {errors.write.Get(), STDERR_FILENO}}});
        auto& child = std::get<platform::ChildProcess>(started);
        ready.write.Reset();
        errors.write.Reset();
        HelperRun run;
        run.report = Drain(ready.read.Get());
        if (stopAfter.count() > 0) {
            std::this_thread::sleep_for(stopAfter);
            ::kill(child.Pid(), SIGTERM);
        }
        run.status = child.Wait();
        run.errors = Drain(errors.read.Get());
        return run;
    }
};

TEST_F(HelperProgramTest, TftpHelperReportsListeningServesAndStopsCleanlyOnSigterm) {
    Put("fw.bin", "firmware");
    const auto ini = Ini("TFTPD32", {{"BaseDirectory", Www().string()}, {"LocalIP", "127.0.0.1"}});
    // Reserve a free port, then hand it to the helper.
    platform::UniqueFd reserve(::socket(AF_INET, SOCK_DGRAM, 0));
    sockaddr_in a = TftpTestClient::Address("127.0.0.1", 0);
    ::bind(reserve.Get(), reinterpret_cast<sockaddr*>(&a), sizeof a);
    socklen_t len = sizeof a;
    ::getsockname(reserve.Get(), reinterpret_cast<sockaddr*>(&a), &len);
    const std::uint16_t port = ntohs(a.sin_port);
    reserve.Reset();

    std::thread client([port] {
        std::this_thread::sleep_for(milliseconds(200));
        TftpTestClient c(port);
        c.Read("fw.bin");
        if (auto data = c.Receive())
            c.Ack(data->fromPort, data->number);
    });
    const auto run = RunHelper(CPE_TFTPD_BINARY, ini, {"--port", std::to_string(port)}, milliseconds(600));
    client.join();
    EXPECT_EQ(run.report, "listening 127.0.0.1:" + std::to_string(port) + "\n");
    EXPECT_EQ(platform::DescribeWaitStatus(run.status), "exit status 0");
    EXPECT_NE(run.errors.find("\"fw.bin\" 8 bytes: ok"), std::string::npos) << run.errors;
}

TEST_F(HelperProgramTest, HelpersThatCannotListenExitNonZeroWithAMessage) {
    // Both ports are taken by a socket of ours; nothing is sent anywhere.
    platform::UniqueFd udp(::socket(AF_INET, SOCK_DGRAM, 0));
    platform::UniqueFd tcp(::socket(AF_INET, SOCK_STREAM, 0));
    sockaddr_in a = TftpTestClient::Address("127.0.0.1", 0);
    ASSERT_EQ(::bind(udp.Get(), reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
    socklen_t len = sizeof a;
    ::getsockname(udp.Get(), reinterpret_cast<sockaddr*>(&a), &len);
    const std::string udpPort = std::to_string(ntohs(a.sin_port));
    a = TftpTestClient::Address("127.0.0.1", 0);
    ASSERT_EQ(::bind(tcp.Get(), reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
    ASSERT_EQ(::listen(tcp.Get(), 1), 0);
    len = sizeof a;
    ::getsockname(tcp.Get(), reinterpret_cast<sockaddr*>(&a), &len);
    const std::string tcpPort = std::to_string(ntohs(a.sin_port));

    const auto tftp =
        RunHelper(CPE_TFTPD_BINARY, Ini("TFTPD32", {{"BaseDirectory", Www().string()}, {"LocalIP", "127.0.0.1"}}),
                  {"--port", udpPort});
    EXPECT_NE(platform::DescribeWaitStatus(tftp.status), "exit status 0");
    EXPECT_EQ(tftp.report, "error: cannot listen on 127.0.0.1:" + udpPort + ": Address already in use\n");
    EXPECT_NE(tftp.errors.find("cpe-tftpd: cannot listen on 127.0.0.1:" + udpPort), std::string::npos);

    const auto http = RunHelper(CPE_HTTPD_BINARY, Ini("SERVER", {{"Directory", Www().string()}}), {"--port", tcpPort});
    EXPECT_NE(platform::DescribeWaitStatus(http.status), "exit status 0");
    EXPECT_TRUE(http.report.starts_with("error: cannot listen on 0.0.0.0:" + tcpPort)) << http.report;
    EXPECT_NE(http.errors.find("cpe-httpd: cannot listen"), std::string::npos);
}

TEST_F(HelperProgramTest, HelpersRefuseAMissingFolderOrAddress) {
    const auto noAddress = RunHelper(CPE_TFTPD_BINARY, Ini("TFTPD32", {{"BaseDirectory", Www().string()}}), {});
    EXPECT_NE(platform::DescribeWaitStatus(noAddress.status), "exit status 0");
    EXPECT_NE(noAddress.report.find("LocalIP"), std::string::npos);

    const auto noFolder = RunHelper(CPE_HTTPD_BINARY, Ini("SERVER", {{"Directory", (root_ / "gone").string()}}), {});
    EXPECT_NE(platform::DescribeWaitStatus(noFolder.status), "exit status 0");
    EXPECT_NE(noFolder.report.find("cannot open folder"), std::string::npos) << noFolder.report;

    const auto badArgs = RunHelper(CPE_HTTPD_BINARY, root_ / "x.ini", {"--port", "http"});
    EXPECT_EQ(platform::DescribeWaitStatus(badArgs.status), "exit status 2");
    EXPECT_NE(badArgs.errors.find("usage: cpe-httpd"), std::string::npos);
}

TEST_F(HelperProgramTest, HelperEndsWithItsParent) {
    const auto ini = Ini("TFTPD32", {{"BaseDirectory", Www().string()}, {"LocalIP", "127.0.0.1"}});
    // A parent that is not ours: the helper sees at once that the one it belongs to is gone.
    const auto orphan = RunHelper(CPE_TFTPD_BINARY, ini, {"--port", "0", "--parent", "1"});
    EXPECT_EQ(platform::DescribeWaitStatus(orphan.status), "exit status 1");
    EXPECT_NE(orphan.report.find("has ended"), std::string::npos);

    // A shell starts the helper as its child, tells us its id and ends: the helper follows.
    const std::string script = std::string("\"$0\" --ini \"$1\" --port 0 --parent $$ >/dev/null & echo $!; sleep 0.3");
    Pipe out;
    auto started = platform::ChildProcess::Launch(
        {"/bin/sh", {"-c", script, CPE_TFTPD_BINARY, ini.string()}, {}, true, {{out.write.Get(), STDOUT_FILENO}}});
    auto& shell = std::get<platform::ChildProcess>(started);
    out.write.Reset();
    const std::string idText = Drain(out.read.Get());
    shell.Wait();
    const pid_t helper = std::stoi(idText);
    ASSERT_GT(helper, 0);
    bool ended = false;
    for (int i = 0; i < 300 && !ended; ++i) {
        std::ifstream stat("/proc/" + std::to_string(helper) + "/stat");
        std::string pid, comm, state;
        ended = !(stat >> pid >> comm >> state) || state == "Z";  // gone, or a zombie nobody reaped yet
        if (!ended)
            std::this_thread::sleep_for(milliseconds(10));
    }
    EXPECT_TRUE(ended) << "helper " << helper << " outlived its parent";
    if (!ended)
        ::kill(helper, SIGKILL);
}

}  // namespace
}  // namespace cpe::service::test
