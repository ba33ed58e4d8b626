// Everything cpe-sim can be told on its command line, with the defaults of a quiet, loss-free
// network of devices that answer at once.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "protocol/file_transfer.h"
#include "sim/address.h"

namespace cpe::sim {

using Millis = std::chrono::milliseconds;

enum class FetchProtocol { kTftp, kHttp };

struct PortPlan {
    std::uint16_t discovery = 9786;        // device listens for the search broadcast
    std::uint16_t command = 9787;          // device listens for requests and heartbeat replies
    std::uint16_t utilSearchReply = 9785;  // utility port that takes search replies
    std::uint16_t utilHeartbeat = 9787;    // utility port that takes heartbeats
    std::uint16_t utilReply = 9788;        // utility port for announcements after a restart
    std::uint16_t tftp = kTftpServerPort;  // utility's TFTP server
    std::uint16_t http = kHttpServerPort;  // utility's HTTP file server
};

struct FaultPlan {
    double lossIn = 0;             // probability that a received datagram is ignored
    double lossOut = 0;            // probability that a datagram to send is dropped
    double duplicate = 0;          // probability that a sent datagram goes out twice
    Millis delay{0};               // added to every datagram sent
    Millis jitter{0};              // +- uniformly around the delay
    double garbagePerSecond = 0;   // malformed datagrams sent to the utility's ports
    std::uint32_t noRecord = 0;    // the last n devices never send their device record
    std::uint32_t ipMismatch = 0;  // the n devices before those report an ip that is not theirs
};

struct SimOptions {
    std::uint32_t devices = 10;
    std::vector<DeviceSubnet> subnets;
    bool loopback = false;  // allowed outside the lab: every address must be 127.0.0.0/8
    std::uint64_t seed = 1;
    PortPlan ports;
    FaultPlan faults;
    Millis heartbeat{5000};
    Millis rebootSilence{8000};  // how long a rebooting device stays silent
    Millis applyDelay{300};      // a request that restarts the device takes effect this late
    Millis replySpread{0};       // each device answers a broadcast within this window
    Millis pollTimeout{300000};  // model set B gives up waiting for upgrade_poll
    FetchProtocol setBFetch = FetchProtocol::kHttp;
    FetchProtocol otherFetch = FetchProtocol::kTftp;
    std::uint32_t surveyInvented = 6;  // invented access points added to every survey
    std::uint32_t surveyMax = 96;      // entries per survey at most (three packets)
    std::string controlPath;           // Unix socket for the state view; empty: none
    bool verbose = false;
};

// The parsed options, or a message for the user.
std::variant<SimOptions, std::string> ParseSimOptions(const std::vector<std::string>& args);
std::string SimUsage();

}  // namespace cpe::sim
