#include "actions/doctor/discovery_checks.h"

#include <gtest/gtest.h>

#include "engine/net_management.h"
#include "store/sql_management.h"
#include "tests/support/loopback_engine.h"
#include "tests/support/temp_dir.h"

namespace cpe::actions {
namespace {

std::vector<std::string> Lines(const std::vector<CheckFinding>& findings) {
    std::vector<std::string> lines;
    for (const CheckFinding& f : findings)
        lines.push_back((f.problem ? "problem: " : "") + f.EnglishText());
    return lines;
}

bool Has(const std::vector<std::string>& lines, const std::string& text) {
    return std::find(lines.begin(), lines.end(), text) != lines.end();
}

TEST(DiscoveryChecks, NameTheAdaptersAndPortsAndOnlyAnEmptyRunOrAMissingPortIsAProblem) {
    test::TempDir dir;
    CSqlManagement store(dir.path() / "data.mdb");
    const RawMac mac{2, 0, 0, 0, 0, 1};
    EngineConfig config = test::LoopbackEngineConfig(
        {MakeAdapterRecord("lab0", mac, {{"10.77.0.1", "255.255.0.0"}, {"192.168.9.1", "255.255.255.0"}})});
    int sent = 0;
    // The search is counted, never sent: the adapters are made up.
    config.sendHook = [&sent](SocketRole, std::string_view, std::uint16_t, std::uint16_t,
                              std::span<const std::uint8_t>) { return ++sent > 0; };
    CNetManagement engine(store, config);

    // Before the engine holds its ports: each one named, with what it is for.
    std::vector<std::string> lines = Lines(CheckDiscovery(engine, 0));
    EXPECT_TRUE(Has(lines, "Searched on adapter lab0: 10.77.0.1/255.255.0.0, 192.168.9.1/255.255.255.0"));
    EXPECT_TRUE(Has(lines, "problem: UDP port 9785 (search replies) is not held by this program: another program "
                           "holds it or it cannot be opened."));
    EXPECT_TRUE(Has(lines, "problem: UDP port 9788 (requests) is not held by this program: another program holds "
                           "it or it cannot be opened."));
    EXPECT_TRUE(Has(lines, "problem: No device answered. The usual causes:"));
    EXPECT_TRUE(Has(lines, "- a firewall on this computer or on the way drops UDP 9785-9788;"));

    ASSERT_TRUE(engine.Start());
    engine.Search();
    EXPECT_EQ(sent, 2) << "one broadcast per subnet";
    const std::vector<CheckFinding> found = CheckDiscovery(engine, 3);
    lines = Lines(found);
    EXPECT_TRUE(NothingWrong(found)) << lines.size();
    const std::string ports = std::to_string(engine.LocalPort(SocketRole::kSearchReply)) + ", " +
                              std::to_string(engine.LocalPort(SocketRole::kDiscovery)) + ", " +
                              std::to_string(engine.LocalPort(SocketRole::kHeartbeat)) + ", " +
                              std::to_string(engine.LocalPort(SocketRole::kRequest));
    EXPECT_TRUE(Has(lines, "UDP ports " + ports + " are held by this program."));
    EXPECT_TRUE(Has(lines, "Searches sent: 1. Answers received: 0. Devices found: 3."));
    EXPECT_FALSE(Has(lines, "No device answered. The usual causes:"));
    engine.Shutdown();

    CNetManagement bare(store, test::LoopbackEngineConfig());
    ASSERT_TRUE(bare.Start());
    const std::vector<CheckFinding> nothing = CheckDiscovery(bare, 0);
    EXPECT_TRUE(
        Has(Lines(nothing), "problem: No network adapter with an IPv4 address is up, so nothing was searched."));
    EXPECT_FALSE(NothingWrong(nothing));
    bare.Shutdown();
}

TEST(DiscoveryChecks, ATranslatedPatternTakesTheValuesInOrderAndKeepsMarksWithoutOne) {
    const CheckFinding finding{"UDP port %d (%s)", {"9785", "search replies"}};
    EXPECT_EQ(finding.Text("端口 %d（%s）"), "端口 9785（search replies）");
    EXPECT_EQ(finding.Text("%s %s %d %"), "9785 search replies %d %");
    const CheckFinding bare{"100%s", {}};
    EXPECT_EQ(bare.EnglishText(), "100%s");
}

}  // namespace
}  // namespace cpe::actions
