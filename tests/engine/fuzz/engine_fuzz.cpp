// libFuzzer entry: arbitrary datagrams through each receiving port's filter and dispatcher, with
// the online list, the store and the sends of a real engine behind them (sends are discarded).
//
// Input: the low two bits of the first byte pick the port (0 searchReply, 1 heartbeat, 2 and 3
// request), its upper six bits the last octet of the sender's address; the rest is the datagram.
// Every 64th input also runs an ageing tick and reads the discovered list, so entries come and go.
#include <arpa/inet.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include "engine/net_management.h"
#include "store/sql_management.h"

namespace {

struct Fixture {
    Fixture() {
        dbFile = std::filesystem::temp_directory_path() / ("cpe-engine-fuzz-" + std::to_string(getpid()) + ".db");
        store = std::make_unique<cpe::CSqlManagement>(dbFile);
        cpe::EngineConfig config;
        config.adapters = std::make_shared<cpe::StaticAdapterSource>(std::vector<cpe::adapter_record>{});
        config.sendHook = [](cpe::SocketRole, std::string_view, std::uint16_t, std::uint16_t,
                             std::span<const std::uint8_t> payload) { return payload.size() <= cpe::kMaxPayload; };
        engine = std::make_unique<cpe::CNetManagement>(*store, config);
    }
    std::filesystem::path dbFile;
    std::unique_ptr<cpe::CSqlManagement> store;
    std::unique_ptr<cpe::CNetManagement> engine;
    std::uint64_t runs = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static Fixture fixture;
    if (size == 0)
        return 0;
    const auto port = static_cast<cpe::PortRole>((data[0] & 3) % 3);
    sockaddr_in from{};
    from.sin_family = AF_INET;
    from.sin_port = htons(9787);
    from.sin_addr.s_addr = htonl(0x0A000000u | (data[0] >> 2));
    fixture.engine->ProcessDatagram(port, from, std::span(data + 1, size - 1));

    if (++fixture.runs % 64 == 0) {
        fixture.engine->AgeOnlineList();
        std::vector<cpe::ap_info_stu> discovered;
        fixture.engine->GetDiscovered(discovered, 16, "0");
        if (discovered.size() > 16)
            std::abort();
    }
    return 0;
}
