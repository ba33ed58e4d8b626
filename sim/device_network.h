// The device side of the protocol for a whole simulated network, without sockets: datagrams
// come in with their addresses, and everything the devices do in return goes out through an
// Outbox (datagrams to send, timers to arm, firmware to fetch). The runtime (simulator.h) puts
// sockets and a clock behind the Outbox; the unit tests put a recorder there.
#pragma once

#include <cstdint>
#include <random>
#include <span>
#include <string>
#include <unordered_map>
#include <vector>

#include "sim/device.h"
#include "sim/sim_options.h"

namespace cpe::sim {

struct Endpoint {
    Ipv4 ip = 0;
    std::uint16_t port = 0;
};

enum class TimerKind { kHeartbeat, kRestart, kBoot, kFlashDone, kPollTimeout };

struct Timer {
    TimerKind kind;
    std::uint32_t device;
    std::uint32_t generation;  // power or upgrade generation the timer belongs to
};

struct FetchRequest {
    std::uint32_t device;
    std::uint32_t generation;
    FetchProtocol protocol;
    Ipv4 local;  // the device's address: the fetch comes from it
    Endpoint server;
    std::string file;
};

struct FetchResult {
    bool ok = false;
    std::uint64_t bytes = 0;
    std::uint64_t fnv1a = 0;
    std::string error;
};

class Outbox {
public:
    virtual ~Outbox() = default;
    // `delay` spreads answers to a broadcast; fault injection adds its own on top.
    virtual void Send(Endpoint from, Endpoint to, std::vector<std::uint8_t> datagram, Millis delay) = 0;
    virtual void Arm(Millis after, Timer timer) = 0;
    virtual void Fetch(FetchRequest request) = 0;
};

class DeviceNetwork {
public:
    DeviceNetwork(SimOptions options, Clock::time_point now);

    // Staggered first heartbeat timers of every device.
    void Start(Clock::time_point now, Outbox& out);

    // A datagram that reached the discovery port, sent to `dst` (a device, a subnet broadcast or
    // the limited broadcast). `linkSubnets` lists the subnets on the receiving link; empty: all.
    void OnDiscovery(std::span<const std::uint8_t> datagram, Endpoint src, Ipv4 dst,
                     const std::vector<std::size_t>& linkSubnets, Clock::time_point now, Outbox& out);
    // A datagram that reached the command port of address `dst`.
    void OnCommand(std::span<const std::uint8_t> datagram, Endpoint src, Ipv4 dst, Clock::time_point now, Outbox& out);
    void OnTimer(const Timer& timer, Clock::time_point now, Outbox& out);
    void OnFetched(const FetchRequest& request, const FetchResult& result, Clock::time_point now, Outbox& out);

    // Operator controls: a stopped device is silent until started; starting boots it.
    bool Stop(const std::string& mac);
    bool StartDevice(const std::string& mac, Clock::time_point now, Outbox& out);
    // From now on the device answers bridge requests with a failure and stays as it is.
    bool RefuseBridge(const std::string& mac);

    const std::vector<SimDevice>& Devices() const { return fleet_; }
    const SimDevice* FindByMac(const std::string& mac) const;
    const SimOptions& Options() const { return options_; }
    // The subnets whose broadcast or network holds this address.
    std::vector<std::size_t> SubnetsHolding(Ipv4 ip) const;

    std::uint64_t rejected = 0;  // datagrams with a bad header or an unexpected type

private:
    SimDevice* DeviceAt(Ipv4 ip);
    SimDevice* MutableByMac(const std::string& mac);
    void SendFrom(SimDevice& d, std::uint16_t fromPort, Endpoint to, std::uint16_t type,
                  std::span<const std::uint8_t> payload, Outbox& out, Millis delay = Millis{0});
    void SendResult(SimDevice& d, Endpoint to, std::uint16_t type, std::uint8_t result, Outbox& out);
    void SendRecord(SimDevice& d, Endpoint to, Clock::time_point now, Outbox& out);
    void MoveTo(SimDevice& d, Ipv4 ip);
    void RestartLater(SimDevice& d, Outbox& out);
    void Boot(SimDevice& d, Clock::time_point now, Outbox& out);
    void HandleUpgrade(SimDevice& d, Endpoint src, std::span<const std::uint8_t> payload, Outbox& out);
    void HandleUpgradePoll(SimDevice& d, Endpoint src, Outbox& out);
    void StartFetch(SimDevice& d, Outbox& out);
    void HandleSurvey(SimDevice& d, Endpoint src, Outbox& out);
    void HandleBridge(SimDevice& d, Endpoint src, std::span<const std::uint8_t> payload, Outbox& out);

    SimOptions options_;
    std::vector<SimDevice> fleet_;
    std::unordered_map<Ipv4, std::uint32_t> byIp_;
    std::unordered_map<std::string, std::uint32_t> byMac_;
    std::mt19937_64 rng_;
    std::uint8_t key_;
};

}  // namespace cpe::sim
