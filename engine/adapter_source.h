// Where the engine learns the computer's network adapters, and the address computations built
// on them. The running program reads the local-adapter library; tests give the engine a fixed
// list so that nothing is ever sent to a real interface.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "protocol/adapter/local_adapter.h"

namespace cpe {

class AdapterSource {
public:
    virtual ~AdapterSource() = default;
    // The adapter records as the source delivers them, in list order, unfiltered.
    virtual std::vector<adapter_record> Read() = 0;
};

// The local-adapter library, loaded once and unloaded with the object.
class LocalAdapterLibrary final : public AdapterSource {
public:
    // Loads the library from `path`; a failure leaves the object unloaded (it then reads nothing).
    explicit LocalAdapterLibrary(const std::string& path);
    // Looks in the program folder first, then lets the system search by name.
    static std::shared_ptr<LocalAdapterLibrary> LoadDefault();
    ~LocalAdapterLibrary() override;
    LocalAdapterLibrary(const LocalAdapterLibrary&) = delete;
    LocalAdapterLibrary& operator=(const LocalAdapterLibrary&) = delete;

    bool IsLoaded() const { return handle_ != nullptr; }
    // The records of GetLocalAdapterInfo, copied, after which the list is released.
    std::vector<adapter_record> Read() override;

private:
    void* handle_ = nullptr;
};

// A fixed list of adapters (tests, the device simulator).
class StaticAdapterSource final : public AdapterSource {
public:
    explicit StaticAdapterSource(std::vector<adapter_record> records) : records_(std::move(records)) {}
    std::vector<adapter_record> Read() override { return records_; }

private:
    std::vector<adapter_record> records_;
};

// Copies the chain the local-adapter library hands out, in order. The chain is the library's word
// for its own memory; a link shorter than a record (records would overlap or loop) ends it, and
// so does the kMaxAdapterRecords-th record.
inline constexpr std::size_t kMaxAdapterRecords = 1024;
std::vector<adapter_record> CopyAdapterChain(const adapter_record* first);

// Builds an in-use adapter record with the given (ip, mask) pairs; a helper for fixed lists.
adapter_record MakeAdapterRecord(std::string_view name, const RawMac& mac,
                                 const std::vector<std::pair<std::string, std::string>>& addresses);

// A local address facing some device, and the MAC of the adapter that holds it.
struct LocalAddress {
    std::string ip;
    std::string mac;
};

// The directed broadcast address of ip/mask; nothing for an unset address or mask.
std::optional<std::string> BroadcastOf(std::string_view ip, std::string_view mask);
// True when a and b lie in the same subnet under mask; false for unset addresses or mask.
bool SameSubnetText(std::string_view a, std::string_view mask, std::string_view b);

}  // namespace cpe
