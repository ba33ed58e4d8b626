// An engine configuration that cannot reach the network: bound to 127.0.0.1 on ports the system
// chooses, with a fixed adapter list instead of the machine's.
#pragma once

#include <memory>
#include <vector>

#include "engine/net_management.h"

namespace cpe::test {

// The loopback interface as the adapter library would report it.
inline adapter_record LoopbackAdapter() {
    return MakeAdapterRecord("lo", RawMac{0, 0, 0, 0, 0, 1}, {{"127.0.0.1", "255.0.0.0"}});
}

inline EngineConfig LoopbackEngineConfig(std::vector<adapter_record> adapters = {}) {
    EngineConfig config;
    config.endpoints.bindAddress = "127.0.0.1";
    config.endpoints.discoveryPort = 0;
    config.endpoints.searchReplyPort = 0;
    config.endpoints.heartbeatPort = 0;
    config.endpoints.requestPort = 0;
    config.adapters = std::make_shared<StaticAdapterSource>(std::move(adapters));
    return config;
}

}  // namespace cpe::test
