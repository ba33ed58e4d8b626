// A served folder in a temporary directory and the log lines a server writes about it.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "service/served_folder.h"
#include "service/transfer_log.h"
#include "tests/support/temp_dir.h"

namespace cpe::service::test {

class LogRecorder {
public:
    TransferLog Sink() {
        return [this](const TransferRecord& r) {
            std::lock_guard lock(mutex_);
            records_.push_back(r);
        };
    }
    std::vector<TransferRecord> Records() {
        std::lock_guard lock(mutex_);
        return records_;
    }
    // The first record about `file`, waiting up to `limit` for it.
    std::optional<TransferRecord> For(const std::string& file,
                                      std::chrono::milliseconds limit = std::chrono::milliseconds(2000)) {
        for (auto waited = std::chrono::milliseconds(0);; waited += std::chrono::milliseconds(10)) {
            {
                std::lock_guard lock(mutex_);
                for (const auto& r : records_)
                    if (r.file == file)
                        return r;
            }
            if (waited >= limit)
                return std::nullopt;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }

private:
    std::mutex mutex_;
    std::vector<TransferRecord> records_;
};

inline std::string Pattern(std::size_t size, unsigned salt = 0) {
    std::string s(size, '\0');
    for (std::size_t i = 0; i < size; ++i)
        s[i] = static_cast<char>((i * 131 + salt + i / 509) & 0xFF);
    return s;
}

// "fw.bin" and friends inside the served folder, plus a secret beside it and the ways to reach
// the secret from inside.
class ServedFolderTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directory(root_ / "www");
        cpe::test::WriteBytes(root_ / "secret.txt", "secret");
        std::filesystem::create_symlink(root_ / "secret.txt", root_ / "www" / "link.bin");
        std::filesystem::create_directory(root_ / "www" / "sub");
        cpe::test::WriteBytes(root_ / "www" / "sub" / "inner.bin", "inner");
    }
    std::filesystem::path Www() const { return root_ / "www"; }
    void Put(const std::string& name, const std::string& bytes) { cpe::test::WriteBytes(Www() / name, bytes); }
    ServedFolder Folder() { return std::get<ServedFolder>(ServedFolder::Open(Www())); }

    cpe::test::TempDir root_;
    LogRecorder log_;
};

}  // namespace cpe::service::test
