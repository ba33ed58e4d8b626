#include "sim/faults.h"

#include "protocol/packet.h"

namespace cpe::sim {

Millis FaultInjector::OneDelay(Millis base) {
    auto d = base + plan_.delay;
    if (plan_.jitter.count() > 0)
        d += Millis(std::uniform_int_distribution<std::int64_t>(-plan_.jitter.count(), plan_.jitter.count())(rng_));
    return d < Millis{0} ? Millis{0} : d;
}

std::vector<Millis> FaultInjector::Departures(Millis base) {
    if (Chance(plan_.lossOut))
        return {};
    std::vector<Millis> out{OneDelay(base)};
    if (Chance(plan_.duplicate))
        out.push_back(OneDelay(base));
    return out;
}

std::vector<std::uint8_t> FaultInjector::Garbage(std::uint16_t model) {
    std::uniform_int_distribution<int> byte(0, 255);
    // 0e:... is locally administered and never given to a simulated device.
    const RawMac mac = {0x0e,
                        0x0b,
                        static_cast<std::uint8_t>(byte(rng_)),
                        static_cast<std::uint8_t>(byte(rng_)),
                        static_cast<std::uint8_t>(byte(rng_)),
                        static_cast<std::uint8_t>(byte(rng_))};
    const int kind = std::uniform_int_distribution<int>(0, 3)(rng_);
    std::vector<std::uint8_t> d;
    switch (kind) {
    case 0:  // shorter than a header
        d.resize(static_cast<std::size_t>(std::uniform_int_distribution<int>(0, 15)(rng_)));
        for (auto& b : d)
            b = static_cast<std::uint8_t>(byte(rng_));
        break;
    case 1:  // wrong magic
        d = BuildDevicePacket(0, model, mac, TypeCode(MessageType::search), {});
        d[0] ^= 0x5A;
        break;
    case 2: {  // a length field far beyond the datagram
        const std::uint8_t payload[8] = {1, 2, 3, 4, 5, 6, 7, 8};
        d = BuildDevicePacket(0, model, mac, TypeCode(MessageType::get_info), payload);
        d[14] = 0xFF;
        d[15] = 0x7F;
        break;
    }
    default: {  // unknown type with random payload
        std::vector<std::uint8_t> payload(static_cast<std::size_t>(std::uniform_int_distribution<int>(0, 64)(rng_)));
        for (auto& b : payload)
            b = static_cast<std::uint8_t>(byte(rng_));
        d = BuildDevicePacket(0, model, mac, static_cast<std::uint16_t>(100 + byte(rng_)), payload);
        break;
    }
    }
    return d;
}

}  // namespace cpe::sim
