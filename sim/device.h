// One simulated device: its configuration as a full device record, the factory record that
// restore brings back, and what it has lived through (power state, the utility that manages it,
// the requests it received, its firmware upgrade).
#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "protocol/records.h"
#include "sim/address.h"

namespace cpe::sim {

using Clock = std::chrono::steady_clock;

enum class Power { kOn, kRestarting, kStopped };

enum class FirmwareStage { kIdle, kWaitingPoll, kFetching, kFlashing, kSucceeded, kFailed };

struct UpgradeStatus {
    FirmwareStage phase = FirmwareStage::kIdle;
    std::string file;
    std::string protocol;         // "tftp" or "http"
    Ipv4 server = 0;              // the utility that asked
    std::uint16_t replyPort = 0;  // where the upgrade states go
    std::uint64_t bytes = 0;
    std::uint64_t fnv1a = 0;  // FNV-1a 64 of the fetched image
    std::string error;
    std::uint32_t polls = 0;
    std::uint32_t generation = 0;  // bumps with every upgrade request, to retire stale timers
};

struct SimDevice {
    std::uint32_t index = 0;
    RawMac mac{};
    std::string macText;
    std::uint16_t model = 1;
    std::size_t subnet = 0;
    Ipv4 ip = 0;
    Ipv4 factoryIp = 0;
    ap_info_stu record{};  // bytes 24..767 are what get_info returns
    ap_info_stu factory{};

    Power power = Power::kOn;
    std::uint32_t powerGeneration = 0;  // bumps with every restart, to retire stale timers
    Clock::time_point bootTime{};
    std::optional<Ipv4> manager;  // the utility that searched last: heartbeats go there

    bool restorePending = false;  // factory values come back when the restart begins
    bool refusesBridge = false;   // answers every bridge request with a failure
    bool neverSendsRecord = false;
    bool reportsWrongIp = false;

    std::uint64_t heartbeatsSent = 0;
    std::uint64_t heartbeatAcks = 0;
    std::uint64_t recordsSent = 0;
    std::uint64_t searchReplies = 0;
    std::uint32_t restarts = 0;
    std::map<std::string, std::uint32_t> received;                 // request name -> count
    std::deque<std::string> recent;                                // last requests, oldest first
    std::map<std::string, std::int64_t> lastReceivedMs;            // request name -> steady clock ms of the last one
    std::map<std::string, std::vector<std::uint8_t>> lastPayload;  // request name -> its last payload
    UpgradeStatus upgrade;

    std::uint32_t UpTimeSeconds(Clock::time_point now) const;
    void NoteRequest(const std::string& name, Clock::time_point now, std::span<const std::uint8_t> payload);

    // Payloads as the device sends them.
    std::vector<std::uint8_t> SearchSummary(Clock::time_point now) const;
    std::vector<std::uint8_t> RecordPayload(Clock::time_point now) const;

    // The address the record claims: the real one, or a neighbour's for a device that lies.
    Ipv4 ReportedIp() const;

    // Copies a received configuration block into the record. False when the payload is short.
    bool ApplyBlock(std::size_t offset, std::size_t size, const std::vector<std::uint8_t>& payload);
    // Takes the IP block's addressing; the caller moves the device to the new address.
    Ipv4 ApplyIpBlock(const std::uint8_t* block);
};

const char* RequestName(std::uint16_t type);
const char* PowerName(Power p);
const char* FirmwareStageName(FirmwareStage p);

}  // namespace cpe::sim
