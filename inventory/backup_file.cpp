#include "inventory/backup_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>

#include "platform/sha256.h"
#include "protocol/wire.h"

namespace cpe::inventory {
namespace {

using u64le = LeInt<std::uint64_t>;

constexpr char kMagic[8] = {'C', 'P', 'E', 'B', 'K', 'U', 'P', '\x1a'};
constexpr std::uint16_t kFormat = 1;

struct backup_file_layout {
    char magic[8];
    u16le format;
    u16le model;
    char mac[18];
    u64le taken;  // seconds since the epoch
    CountedText<64> reason;
    ap_info_stu record;
    std::uint8_t seal[32];  // SHA-256 of every byte before it
};
static_assert(sizeof(backup_file_layout) == 903);
static_assert(offsetof(backup_file_layout, format) == 8);
static_assert(offsetof(backup_file_layout, mac) == 12);
static_assert(offsetof(backup_file_layout, taken) == 30);
static_assert(offsetof(backup_file_layout, reason) == 38);
static_assert(offsetof(backup_file_layout, record) == 103);
static_assert(offsetof(backup_file_layout, seal) == 871);

platform::Sha256Digest SealOf(const backup_file_layout& layout) {
    return platform::Sha256Of({reinterpret_cast<const std::uint8_t*>(&layout), offsetof(backup_file_layout, seal)});
}

}  // namespace

bool WriteBackupFile(const std::filesystem::path& file, const SettingsBackup& backup, std::string& error) {
    backup_file_layout layout;
    std::memset(&layout, 0, sizeof layout);
    std::memcpy(layout.magic, kMagic, sizeof kMagic);
    layout.format.set(kFormat);
    layout.model.set(static_cast<std::uint16_t>(backup.model));
    std::memcpy(layout.mac, backup.mac.data(), std::min(backup.mac.size(), sizeof layout.mac - 1));
    layout.taken.set(static_cast<std::uint64_t>(backup.time));
    layout.reason.assign(backup.reason);
    layout.record = backup.record;
    const platform::Sha256Digest seal = SealOf(layout);
    std::memcpy(layout.seal, seal.data(), seal.size());

    const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) {
        error = "cannot write " + file.string() + ": " + std::strerror(errno);
        return false;
    }
    const auto* bytes = reinterpret_cast<const char*>(&layout);
    std::size_t written = 0;
    while (written < sizeof layout) {
        const ssize_t n = ::write(fd, bytes + written, sizeof layout - written);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        written += static_cast<std::size_t>(n);
    }
    const int writeError = errno;
    const bool closed = ::close(fd) == 0;
    if (written != sizeof layout || !closed) {
        error = "cannot write " + file.string() + ": " + std::strerror(writeError);
        return false;
    }
    return true;
}

BackupFileError ReadBackupFile(const std::filesystem::path& file, SettingsBackup& out) {
    std::ifstream in(file, std::ios::binary);
    if (!in)
        return BackupFileError::kCannotRead;
    // One byte more than a backup holds tells a longer file from one of the right size.
    std::string bytes(sizeof(backup_file_layout) + 1, '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (in.bad())
        return BackupFileError::kCannotRead;
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    if (bytes.size() < sizeof kMagic || std::memcmp(bytes.data(), kMagic, sizeof kMagic) != 0)
        return BackupFileError::kNotOurs;
    const auto layout = ReadRecord<backup_file_layout>(
        {reinterpret_cast<const std::uint8_t*>(bytes.data()), std::min(bytes.size(), sizeof(backup_file_layout))});
    if (bytes.size() > offsetof(backup_file_layout, model) && layout.format.get() > kFormat)
        return BackupFileError::kNewerFormat;
    if (bytes.size() < sizeof layout)
        return BackupFileError::kTruncated;
    if (bytes.size() > sizeof layout)
        return BackupFileError::kNotOurs;
    const platform::Sha256Digest seal = SealOf(layout);
    if (std::memcmp(seal.data(), layout.seal, seal.size()) != 0)
        return BackupFileError::kAltered;
    const std::string mac(layout.mac, ::strnlen(layout.mac, sizeof layout.mac));
    if (mac != std::string_view(layout.record.mac, ::strnlen(layout.record.mac, sizeof layout.record.mac)) ||
        layout.model.get() != layout.record.ap_type.get())
        return BackupFileError::kAltered;
    out = {};
    out.time = static_cast<std::int64_t>(layout.taken.get());
    out.mac = mac;
    out.model = layout.model.get();
    out.reason = std::string(layout.reason.text());
    out.record = layout.record;
    return BackupFileError::kNone;
}

std::string DescribeBackupFileError(BackupFileError error) {
    switch (error) {
    case BackupFileError::kNone: return "the backup file is sound";
    case BackupFileError::kCannotRead: return "the backup file cannot be read";
    case BackupFileError::kNotOurs: return "the file is not a settings backup of cpe-manager";
    case BackupFileError::kTruncated: return "the backup file is cut short";
    case BackupFileError::kNewerFormat: return "the backup file was written by a newer version of cpe-manager";
    case BackupFileError::kAltered: return "the backup file was altered or damaged (its seal does not match)";
    }
    return "the backup file cannot be used";
}

}  // namespace cpe::inventory
