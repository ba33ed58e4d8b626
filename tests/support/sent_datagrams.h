// Every datagram an engine would send, recorded instead of sent: SentLog::Hook() replaces the
// engine's sockets, so nothing leaves the process.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "engine/net_management.h"

namespace cpe::test {

struct SentDatagram {
    SocketRole from;
    std::string ip;
    std::uint16_t port;
    std::uint16_t type;
    std::vector<std::uint8_t> payload;
};

class SentLog {
public:
    // The send hook for an engine configuration; the log must outlive the engine.
    SendHook Hook() {
        return [this](SocketRole from, std::string_view ip, std::uint16_t port, std::uint16_t type,
                      std::span<const std::uint8_t> payload) {
            std::lock_guard lock(mutex_);
            sent_.push_back({from, std::string(ip), port, type, {payload.begin(), payload.end()}});
            return true;
        };
    }

    // What was sent since the last Take, in sending order.
    std::vector<SentDatagram> Take() {
        std::lock_guard lock(mutex_);
        return std::exchange(sent_, {});
    }

    // What was sent of one message type so far, in sending order.
    std::vector<SentDatagram> OfType(MessageType type) const {
        std::lock_guard lock(mutex_);
        std::vector<SentDatagram> out;
        for (const SentDatagram& d : sent_)
            if (d.type == TypeCode(type))
                out.push_back(d);
        return out;
    }

private:
    mutable std::mutex mutex_;
    std::vector<SentDatagram> sent_;
};

}  // namespace cpe::test
