#include "cli/cli_main.h"
#include "cli/command_line.h"
#include "cli/commands.h"
#include "cli/upgrade_request.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "tests/support/temp_dir.h"

namespace cpe::cli {
namespace {

struct Outcome {
    int status;
    std::string out;
    std::string err;
};

// Only lines that fail before a session opens (or ask for help) may run here: a sound line would
// start the engine and search the network.
Outcome RunLine(std::vector<std::string> args) {
    std::ostringstream out, err;
    const Console console{out, err, false};
    const int status = RunCli(args, console);
    return {status, out.str(), err.str()};
}

Invocation Parsed(std::vector<std::string> args) {
    ParseResult result = ParseCommandLine(args);
    EXPECT_TRUE(std::holds_alternative<Invocation>(result))
        << (std::holds_alternative<UsageError>(result) ? std::get<UsageError>(result).message : "help");
    return std::holds_alternative<Invocation>(result) ? std::get<Invocation>(result) : Invocation{};
}

TEST(CommandLine, ReadsOptionsAnywhereInBothSpellingsAndNormalisesMacs) {
    const Invocation discover =
        Parsed({"discover", "--format=csv", "--until-stable", "--seconds", "12", "--fields", "IP,MAC"});
    EXPECT_EQ(discover.command, Command::kDiscover);
    EXPECT_EQ(discover.format, OutputFormat::kCsv);
    EXPECT_TRUE(discover.untilStable);
    EXPECT_EQ(discover.seconds, 12);
    EXPECT_EQ(discover.fields, (std::vector<std::string>{"IP", "MAC"}));
    EXPECT_EQ(Parsed({"discover"}).seconds, 30);

    const Invocation reboot = Parsed({"reboot", "02-C9-5E-00-00-0A", "--seconds=5", "10.77.64.1"});
    ASSERT_EQ(reboot.devices.size(), 2u);
    EXPECT_EQ(reboot.devices[0].mac, "02:c9:5e:00:00:0a");
    EXPECT_EQ(reboot.devices[0].text, "02-C9-5E-00-00-0A");
    EXPECT_EQ(reboot.devices[1].ip, "10.77.64.1");
    EXPECT_TRUE(reboot.devices[1].mac.empty());

    // A name that looks like an option follows "--".
    const Invocation rename = Parsed({"rename", "10.77.64.1", "--", "-roof-"});
    EXPECT_EQ(rename.name, "-roof-");
    EXPECT_EQ(rename.devices.at(0).ip, "10.77.64.1");

    const Invocation upgrade = Parsed({"upgrade", "--file", "fw.bin", "--model", "Axel", "10.77.64.1"});
    EXPECT_EQ(upgrade.file, "fw.bin");
    EXPECT_EQ(upgrade.model, "Axel");
}

TEST(CommandLine, TheExporterListensWhereItIsToldAndSearchesAsOftenAsAsked) {
    const Invocation plain = Parsed({"exporter"});
    EXPECT_EQ(plain.listenAddress, "127.0.0.1");
    EXPECT_EQ(plain.listenPort, 9789);
    EXPECT_EQ(plain.searchSeconds, 3);
    const Invocation site = Parsed({"exporter", "--listen=10.20.0.5:19789", "--search-seconds", "10"});
    EXPECT_EQ(site.command, Command::kExporter);
    EXPECT_EQ(site.listenAddress, "10.20.0.5");
    EXPECT_EQ(site.listenPort, 19789);
    EXPECT_EQ(site.searchSeconds, 10);
}

TEST(CommandLine, HelpGoesToStandardOutputWithTheExitStatuses) {
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"--help"}, {"help"}, {"help", "upgrade"}, {"reboot", "--help"}, {"discover", "--format", "csv", "-h"}}) {
        const Outcome r = RunLine(args);
        EXPECT_EQ(r.status, kExitOk) << args.front();
        EXPECT_NE(r.out.find("Usage: cpe-cli"), std::string::npos) << args.front();
        EXPECT_NE(r.out.find("3    cannot start"), std::string::npos) << args.front();
        EXPECT_TRUE(r.err.empty());
    }
    EXPECT_NE(RunLine({"help", "upgrade"}).out.find("--model NAME|CODE"), std::string::npos);
    EXPECT_EQ(RunLine({"--version"}).out, "cpe-cli " CPE_VERSION_TEXT "\n");  // as cpe-manager --version
}

TEST(CommandLine, EveryUsageErrorExitsTwoWithAMessageAndAHint) {
    test::TempDir dir;
    const std::string firmware = (dir / "fw.bin").string();
    std::ofstream(firmware) << "image";

    const struct {
        std::vector<std::string> args;
        const char* message;
    } cases[] = {
        {{}, "no command given"},
        {{"frobnicate"}, "unknown command \"frobnicate\""},
        {{"help", "frobnicate"}, "help takes one command name"},
        {{"discover", "--seconds", "0"}, "--seconds takes a whole number of seconds from 1 to 3600, not \"0\""},
        {{"discover", "--seconds", "3601"}, "--seconds takes"},
        {{"discover", "--seconds", "5s"}, "--seconds takes"},
        {{"discover", "--seconds"}, "--seconds needs a value"},
        {{"discover", "--format", "xml"}, "--format takes table, json or csv, not \"xml\""},
        {{"discover", "--fields", "IP,,MAC"}, "--fields takes a comma-separated list"},
        {{"discover", "--fields", "IP,Colour"}, "unknown field \"Colour\""},
        {{"survey", "10.0.0.1", "--fields", "Location"}, "unknown field \"Location\""},
        {{"discover", "--until-stable=yes"}, "--until-stable takes no value"},
        {{"discover", "10.0.0.1"}, "discover takes no arguments, not \"10.0.0.1\""},
        {{"reboot", "--until-stable", "10.0.0.1"}, "unknown option \"--until-stable\" for reboot"},
        {{"reboot"}, "reboot needs at least one device (MAC or IP address)"},
        {{"show"}, "show needs a device"},
        {{"show", "10.0.0.1", "10.0.0.2"}, "show takes one device"},
        {{"show", "10.0.0.256"}, "\"10.0.0.256\" is neither a MAC"},
        {{"restore", "02:c9:5e:00:00"}, "is neither a MAC"},
        {{"restore", "02:c9-5e:00:00:01"}, "is neither a MAC"},
        {{"rename", "10.0.0.1"}, "rename takes a device and its new name"},
        {{"rename", "10.0.0.1", "屋顶"}, "Device name cannot enter Chinese character!"},
        {{"upgrade", "10.0.0.1", "--model", "Axel"}, "upgrade needs --file and --model"},
        {{"upgrade", "10.0.0.1", "--file", firmware, "--model", "Axle"}, "unknown model \"Axle\""},
        {{"upgrade", "10.0.0.1", "--file", firmware, "--model", "7"}, "unknown model \"7\""},
        {{"upgrade", "10.0.0.1", "--file", dir.path().string(), "--model", "1"}, "cannot read the firmware file"},
        {{"upgrade", "10.0.0.1", "--file", firmware + ".missing", "--model", "1"}, "cannot read the firmware file"},
        {{"exporter", "--listen", "9789"}, "--listen takes ADDRESS:PORT"},
        {{"exporter", "--listen", "localhost:9789"}, "--listen takes ADDRESS:PORT"},
        {{"exporter", "--listen", "0.0.0.0:65536"}, "--listen takes ADDRESS:PORT"},
        {{"exporter", "--listen", "10.0.0.1:"}, "--listen takes ADDRESS:PORT"},
        {{"exporter", "--listen", "10.0.0.1:80 "}, "--listen takes ADDRESS:PORT"},
        {{"exporter", "--search-seconds", "0"}, "--search-seconds takes a whole number of seconds from 1 to 3600"},
        {{"exporter", "--seconds", "30"}, "unknown option \"--seconds\" for exporter"},
        {{"exporter", "10.0.0.1"}, "exporter takes no arguments"},
    };
    for (const auto& c : cases) {
        const Outcome r = RunLine(c.args);
        const std::string line = c.args.empty() ? "(nothing)" : c.args.front() + " ...";
        EXPECT_EQ(r.status, kExitUsage) << line;
        EXPECT_TRUE(r.out.empty()) << line;
        EXPECT_EQ(r.err.rfind("cpe-cli: ", 0), 0u) << r.err;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << "expected \"" << c.message << "\" in " << r.err;
        EXPECT_NE(r.err.find("Try \"cpe-cli"), std::string::npos) << r.err;
    }
}

TEST(UpgradeRequestCheck, TakesModelsByNameOrCodeAndServesTheFileFromItsFolder) {
    EXPECT_EQ(ParseModel("Axel"), 1);
    EXPECT_EQ(ParseModel("1"), 1);
    EXPECT_EQ(ParseModel("Islet"), 261);
    EXPECT_EQ(ParseModel("260"), 260);
    EXPECT_EQ(ParseModel("axel"), std::nullopt);
    EXPECT_EQ(ParseModel("01"), std::nullopt);
    EXPECT_EQ(ParseModel(""), std::nullopt);

    test::TempDir dir;
    std::ofstream(dir / "fw 2.bin") << "image";
    Invocation run = Parsed({"upgrade", "--file", (dir / "fw 2.bin").string(), "--model", "Haven", "10.0.0.1"});
    const auto request = CheckUpgradeRequest(run);
    ASSERT_TRUE(std::holds_alternative<UpgradeRequest>(request));
    EXPECT_EQ(std::get<UpgradeRequest>(request).fileName, "fw 2.bin");
    EXPECT_EQ(std::get<UpgradeRequest>(request).folder, dir.path().string());
    EXPECT_EQ(std::get<UpgradeRequest>(request).model, 260);
}

}  // namespace
}  // namespace cpe::cli
