// libFuzzer entry: any bytes as the adapter records of the local-adapter library, through the
// chain copy and the engine's reading of them (usable adapters, broadcast addresses, the local
// address facing a device).
//
// Input: the first byte's low three bits give n, followed by n device addresses (four bytes
// each); the rest is cut into 924-byte records (the last one zero-filled), at most 32.
// Properties: the chain copy returns exactly the records before a link that would overlap the
// next record; usable adapters come back unlinked; broadcast addresses are distinct dotted quads;
// every local address found is one of an adapter's addresses, once.
#include <arpa/inet.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "engine/net_management.h"
#include "store/sql_management.h"

namespace {

using cpe::adapter_record;

constexpr std::size_t kMaxRecords = 32;

void Check(bool holds) {
    if (!holds)
        std::abort();
}

class FuzzAdapters final : public cpe::AdapterSource {
public:
    std::vector<adapter_record> Read() override { return records; }
    std::vector<adapter_record> records;
};

struct Fixture {
    Fixture() {
        dbFile = std::filesystem::temp_directory_path() / ("cpe-adapter-fuzz-" + std::to_string(::getpid()) + ".db");
        store = std::make_unique<cpe::CSqlManagement>(dbFile);
        adapters = std::make_shared<FuzzAdapters>();
        cpe::EngineConfig config;
        config.adapters = adapters;
        config.sendHook = [](cpe::SocketRole, std::string_view, std::uint16_t, std::uint16_t,
                             std::span<const std::uint8_t>) { return true; };
        engine = std::make_unique<cpe::CNetManagement>(*store, config);
    }
    std::filesystem::path dbFile;
    std::unique_ptr<cpe::CSqlManagement> store;
    std::shared_ptr<FuzzAdapters> adapters;
    std::unique_ptr<cpe::CNetManagement> engine;
};

std::string IpText(const std::uint8_t* bytes) {
    char text[INET_ADDRSTRLEN];
    return ::inet_ntop(AF_INET, bytes, text, sizeof text);
}

template <std::size_t N>
std::string FieldText(const char (&field)[N]) {
    return std::string(field, strnlen(field, N));
}

// The records laid out as the library lays them out, each linked to the next; a link the input
// gives that is shorter than a record is kept, and the copy must stop there.
void CheckChain(std::vector<adapter_record> records) {
    std::size_t expected = records.size();
    for (std::size_t i = 0; i < records.size(); ++i) {
        const std::uint32_t given = records[i].next.get();
        const bool overlapping = given != 0 && given < sizeof(adapter_record);
        if (overlapping && expected == records.size())
            expected = i + 1;
        if (!overlapping)
            records[i].next.set(i + 1 < records.size() ? sizeof(adapter_record) : 0);
    }
    const std::vector<adapter_record> copied = cpe::CopyAdapterChain(records.empty() ? nullptr : records.data());
    Check(copied.size() == expected);
    for (std::size_t i = 0; i < copied.size(); ++i)
        Check(std::memcmp(&copied[i], &records[i], sizeof(adapter_record)) == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static Fixture fixture;
    if (size == 0)
        return 0;
    const std::size_t targetCount = data[0] & 7;
    std::size_t at = 1;
    std::vector<std::string> targets;
    for (std::size_t i = 0; i < targetCount && at + 4 <= size; ++i, at += 4)
        targets.push_back(IpText(data + at));

    std::vector<adapter_record> records;
    for (; at < size && records.size() < kMaxRecords; at += sizeof(adapter_record)) {
        adapter_record& record = records.emplace_back();
        std::memset(&record, 0, sizeof record);
        std::memcpy(&record, data + at, std::min(sizeof record, size - at));
    }
    CheckChain(records);

    fixture.adapters->records = records;
    const std::vector<adapter_record> usable = fixture.engine->QueryAdapters();
    Check(usable.size() <= records.size());
    std::set<std::string> addresses;
    for (const adapter_record& record : usable) {
        Check(record.kind == 0 && record.next.get() == 0);
        const auto count = static_cast<std::size_t>(std::clamp(record.address_count.get(), 0, 10));
        for (std::size_t i = 0; i < count; ++i)
            addresses.insert(FieldText(record.addresses[i].ip));
    }

    const std::vector<std::string> broadcasts = fixture.engine->BroadcastAddresses();
    Check(std::set<std::string>(broadcasts.begin(), broadcasts.end()).size() == broadcasts.size());
    for (const std::string& address : broadcasts) {
        in_addr parsed{};
        Check(::inet_pton(AF_INET, address.c_str(), &parsed) == 1 &&
              IpText(reinterpret_cast<const std::uint8_t*>(&parsed)) == address);
    }

    std::set<std::string> local;
    for (const cpe::LocalAddress& facing : fixture.engine->LocalAddressesFor(targets)) {
        Check(addresses.count(facing.ip) == 1);
        Check(local.insert(facing.ip).second);
    }
    return 0;
}
