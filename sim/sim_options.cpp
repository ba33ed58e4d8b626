#include "sim/sim_options.h"

#include <charconv>
#include <functional>
#include <map>
#include <optional>

namespace cpe::sim {
namespace {

template <typename T>
std::optional<T> Number(const std::string& text) {
    T value{};
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc{} || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

std::optional<double> Probability(const std::string& text) {
    // from_chars for double is not in every standard library we build with.
    char* end = nullptr;
    const double v = std::strtod(text.c_str(), &end);
    if (text.empty() || end != text.c_str() + text.size() || !(v >= 0 && v <= 1))
        return std::nullopt;
    return v;
}

std::optional<FetchProtocol> Protocol(const std::string& text) {
    if (text == "tftp")
        return FetchProtocol::kTftp;
    if (text == "http")
        return FetchProtocol::kHttp;
    return std::nullopt;
}

}  // namespace

std::string SimUsage() {
    return R"(usage: cpe-sim [options]
A network of simulated CPE devices and access points speaking the device side of the protocol.
Runs only inside the network lab (tools/netlab.sh sim), or with --loopback on 127.0.0.0/8.

  --devices N              number of devices (default 10)
  --subnet FIRST/PREFIX    device addresses from FIRST in a subnet of that prefix; repeat for
                           several subnets, devices are dealt round-robin (e.g. 10.77.64.1/16)
  --loopback               run outside the lab; every subnet must lie in 127.0.0.0/8
  --seed S                 seed of every random choice (default 1)
  --heartbeat-ms T         heartbeat period (default 5000)
  --reboot-ms T            silence of a rebooting device (default 8000)
  --apply-ms T             delay before a restarting request takes effect (default 300)
  --reply-spread-ms T      devices answer a broadcast at random within T (default 0)
  --poll-timeout-ms T      model set B waits this long for upgrade_poll (default 300000)
  --setb-fetch tftp|http   how model set B fetches firmware (default http)
  --other-fetch tftp|http  how the other models fetch firmware (default tftp)
  --tftp-port P, --http-port P   the utility's file servers (default 69, 80)
  --discovery-port P, --command-port P                 device ports (default 9786, 9787)
  --util-search-port P, --util-heartbeat-port P, --util-reply-port P
                           utility ports (default 9785, 9787, 9788)
  --loss P                 drop each datagram in and out with probability P
  --loss-in P, --loss-out P, --dup P
  --delay-ms T, --jitter-ms T    delay of every datagram sent
  --garbage-per-s R        malformed datagrams per second towards the utility
  --no-record N            the last N devices never send their device record
  --ip-mismatch N          N devices before those report an address that is not theirs
  --survey-invented N      invented access points in every survey (default 6)
  --survey-max N           survey entries at most (default 96)
  --control PATH           Unix socket serving the JSON state view (see sim/README.md)
  --verbose                log requests to standard error
)";
}

std::variant<SimOptions, std::string> ParseSimOptions(const std::vector<std::string>& args) {
    SimOptions o;
    using Setter = std::function<bool(const std::string&)>;
    auto millis = [](Millis& out) {
        return [&out](const std::string& v) {
            auto n = Number<std::int64_t>(v);
            if (!n || *n < 0)
                return false;
            out = Millis(*n);
            return true;
        };
    };
    auto port = [](std::uint16_t& out) {
        return [&out](const std::string& v) {
            auto n = Number<std::uint16_t>(v);
            if (!n || *n == 0)
                return false;
            out = *n;
            return true;
        };
    };
    auto count = [](std::uint32_t& out) {
        return [&out](const std::string& v) {
            auto n = Number<std::uint32_t>(v);
            if (!n)
                return false;
            out = *n;
            return true;
        };
    };
    auto prob = [](double& out) {
        return [&out](const std::string& v) {
            auto p = Probability(v);
            if (!p)
                return false;
            out = *p;
            return true;
        };
    };
    auto proto = [](FetchProtocol& out) {
        return [&out](const std::string& v) {
            auto p = Protocol(v);
            if (!p)
                return false;
            out = *p;
            return true;
        };
    };
    double bothLoss = -1;
    const std::map<std::string, Setter> withValue = {
        {"--devices", count(o.devices)},
        {"--subnet",
         [&o](const std::string& v) {
             auto s = ParseDeviceSubnet(v);
             if (s)
                 o.subnets.push_back(*s);
             return s.has_value();
         }},
        {"--seed",
         [&o](const std::string& v) {
             auto n = Number<std::uint64_t>(v);
             if (n)
                 o.seed = *n;
             return n.has_value();
         }},
        {"--heartbeat-ms", millis(o.heartbeat)},
        {"--reboot-ms", millis(o.rebootSilence)},
        {"--apply-ms", millis(o.applyDelay)},
        {"--reply-spread-ms", millis(o.replySpread)},
        {"--poll-timeout-ms", millis(o.pollTimeout)},
        {"--setb-fetch", proto(o.setBFetch)},
        {"--other-fetch", proto(o.otherFetch)},
        {"--tftp-port", port(o.ports.tftp)},
        {"--http-port", port(o.ports.http)},
        {"--discovery-port", port(o.ports.discovery)},
        {"--command-port", port(o.ports.command)},
        {"--util-search-port", port(o.ports.utilSearchReply)},
        {"--util-heartbeat-port", port(o.ports.utilHeartbeat)},
        {"--util-reply-port", port(o.ports.utilReply)},
        {"--loss", prob(bothLoss)},
        {"--loss-in", prob(o.faults.lossIn)},
        {"--loss-out", prob(o.faults.lossOut)},
        {"--dup", prob(o.faults.duplicate)},
        {"--delay-ms", millis(o.faults.delay)},
        {"--jitter-ms", millis(o.faults.jitter)},
        {"--garbage-per-s",
         [&o](const std::string& v) {
             char* end = nullptr;
             const double r = std::strtod(v.c_str(), &end);
             if (v.empty() || end != v.c_str() + v.size() || !(r >= 0 && r <= 10000))
                 return false;
             o.faults.garbagePerSecond = r;
             return true;
         }},
        {"--no-record", count(o.faults.noRecord)},
        {"--ip-mismatch", count(o.faults.ipMismatch)},
        {"--survey-invented", count(o.surveyInvented)},
        {"--survey-max", count(o.surveyMax)},
        {"--control",
         [&o](const std::string& v) {
             o.controlPath = v;
             return !v.empty();
         }},
    };
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--loopback") {
            o.loopback = true;
            continue;
        }
        if (a == "--verbose") {
            o.verbose = true;
            continue;
        }
        if (a == "--help" || a == "-h")
            return SimUsage();
        const auto it = withValue.find(a);
        if (it == withValue.end())
            return "unknown option " + a + "\n" + SimUsage();
        if (i + 1 >= args.size())
            return "option " + a + " needs a value";
        if (!it->second(args[++i]))
            return "bad value for " + a + ": " + args[i];
    }
    if (bothLoss >= 0)
        o.faults.lossIn = o.faults.lossOut = bothLoss;
    if (o.devices == 0)
        return "--devices must be at least 1";
    if (o.subnets.empty()) {
        if (!o.loopback)
            return "give at least one --subnet (tools/netlab.sh sim does)";
        o.subnets.push_back(*ParseDeviceSubnet("127.0.77.1/16"));
    }
    for (const auto& s : o.subnets) {
        if (o.loopback && !IsLoopback(s.network()))
            return "--loopback allows only subnets in 127.0.0.0/8, not " + Ipv4Text(s.first);
        if (!o.loopback && !IsPrivate(s.network()))
            return "lab subnets must be private (10/8, 172.16/12, 192.168/16), not " + Ipv4Text(s.first);
    }
    const std::uint64_t perSubnet = (o.devices + o.subnets.size() - 1) / o.subnets.size();
    for (const auto& s : o.subnets)
        if (!s.address(static_cast<std::uint32_t>(perSubnet - 1)))
            return "subnet " + Ipv4Text(s.first) + "/" + std::to_string(s.prefix) + " has no room for " +
                   std::to_string(perSubnet) + " devices";
    if (o.surveyMax > 255 * 32)
        return "--survey-max must be at most 8160 (255 packets of 32)";
    if (std::uint64_t{o.faults.noRecord} + o.faults.ipMismatch > o.devices)
        return "--no-record plus --ip-mismatch exceed --devices";
    return o;
}

}  // namespace cpe::sim
