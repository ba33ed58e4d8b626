// A firmware image written for an upgrade in the lab, and the check that a simulated device
// fetched all of it: the simulator keeps the size and FNV-1a hash of what each device received.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "sim/firmware_fetch.h"
#include "tests/e2e/lab_support.h"

namespace cpe::lab {

class FirmwareImage {
public:
    FirmwareImage() = default;
    // Writes `size` bytes of a pattern that repeats nowhere near a block size as `folder`/`name`.
    FirmwareImage(const std::filesystem::path& folder, std::string name, std::size_t size)
        : path_(folder / name), name_(std::move(name)), bytes_(size) {
        for (std::size_t i = 0; i < size; ++i)
            bytes_[i] = static_cast<std::uint8_t>(i * 7 + i / 1000);
        std::ofstream(path_, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes_.data()), static_cast<std::streamsize>(size));
    }

    const std::string& Name() const { return name_; }
    const std::filesystem::path& Path() const { return path_; }

    // The device asked for this file over `protocol` and received every byte of it.
    void ExpectFetchedBy(const SimProcess& sim, const std::string& mac, const char* protocol) const {
        const auto d = sim.Device(mac);
        EXPECT_EQ(d["upgrade"]["file"].Str(), name_) << mac;
        EXPECT_EQ(d["upgrade"]["protocol"].Str(), protocol) << mac;
        EXPECT_EQ(d["upgrade"]["bytes"].Int(), static_cast<std::int64_t>(bytes_.size())) << mac;
        char hash[17];
        std::snprintf(hash, sizeof hash, "%016llx",
                      static_cast<unsigned long long>(sim::Fnv1a(sim::kFnvOffset, bytes_.data(), bytes_.size())));
        EXPECT_EQ(d["upgrade"]["fnv1a"].Str(), hash) << mac;
    }

private:
    std::filesystem::path path_;
    std::string name_;
    std::vector<std::uint8_t> bytes_;
};

}  // namespace cpe::lab
