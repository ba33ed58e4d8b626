#include "engine/adapter_source.h"

#include <dlfcn.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

#include "platform/system_info.h"

namespace cpe {
namespace {

template <std::size_t N>
void CopyText(char (&dst)[N], std::string_view src) {
    const std::size_t n = std::min(src.size(), N - 1);
    std::copy_n(src.data(), n, dst);
    dst[n] = '\0';
}

}  // namespace

LocalAdapterLibrary::LocalAdapterLibrary(const std::string& path)
    : handle_(dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL)) {}

std::shared_ptr<LocalAdapterLibrary> LocalAdapterLibrary::LoadDefault() {
    const std::string& dir = platform::GetProgramDir();
    const std::string local = dir + kLocalAdapterLibraryName;
    if (!dir.empty() && access(local.c_str(), F_OK) == 0) {
        auto library = std::make_shared<LocalAdapterLibrary>(local);
        if (library->IsLoaded())
            return library;
    }
    return std::make_shared<LocalAdapterLibrary>(kLocalAdapterLibraryName);
}

LocalAdapterLibrary::~LocalAdapterLibrary() {
    if (handle_ != nullptr)
        dlclose(handle_);
}

std::vector<adapter_record> LocalAdapterLibrary::Read() {
    std::vector<adapter_record> records;
    if (handle_ == nullptr)
        return records;
    using GetFn = decltype(&GetLocalAdapterInfo);
    using ClearFn = decltype(&ClearLocalAdapterInfo);
    const auto get = reinterpret_cast<GetFn>(dlsym(handle_, kGetLocalAdapterInfoSymbol));
    const auto clear = reinterpret_cast<ClearFn>(dlsym(handle_, kClearLocalAdapterInfoSymbol));
    if (get != nullptr)
        records = CopyAdapterChain(get());
    if (clear != nullptr)
        clear();
    return records;
}

std::vector<adapter_record> CopyAdapterChain(const adapter_record* first) {
    std::vector<adapter_record> records;
    for (const adapter_record* r = first; r != nullptr && records.size() < kMaxAdapterRecords;) {
        records.push_back(*r);
        const std::uint32_t distance = r->next.get();
        if (distance != 0 && distance < sizeof(adapter_record))
            break;
        r = NextAdapterRecord(r);
    }
    return records;
}

adapter_record MakeAdapterRecord(std::string_view name, const RawMac& mac,
                                 const std::vector<std::pair<std::string, std::string>>& addresses) {
    adapter_record record;
    std::memset(&record, 0, sizeof record);
    record.kind = kAdapterKindInUse;
    std::memcpy(record.hw_address, mac.data(), mac.size());
    CopyText(record.name, name);
    CopyText(record.description, name);
    std::size_t count = 0;
    for (const auto& [ip, mask] : addresses) {
        if (count == kMaxAdapterAddresses)
            break;
        CopyText(record.addresses[count].ip, ip);
        CopyText(record.addresses[count].mask, mask);
        ++count;
    }
    record.address_count.set(static_cast<std::int32_t>(count));
    return record;
}

}  // namespace cpe
