// The store of an installed program (a program folder the user cannot write) keeps its file in
// the user's private runtime folder. Each case runs as an unprivileged user in a child process
// with a /tmp of its own: a missing folder is made 0700 and used; a folder of that name that
// another user made, that others can write to, or that is a link, is refused, and the store
// reports that it cannot open rather than write Wi-Fi keys where others can reach them.
#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "platform/system_info.h"
#include "store/database_file.h"
#include "store/sql_management.h"
#include "tests/store/store_test_support.h"
#include "tests/support/as_account.h"

namespace cpe {
namespace {

constexpr uid_t kUser = 65534;  // nobody
const std::string kFolder = "/tmp/cpe-manager-" + std::to_string(kUser);

// Runs `setup` as root and then `check` as kUser, in a child with a private /tmp. Returns what
// `check` found wrong ("" when everything held), or nothing when the child could not be set up
// (not root, no mount namespaces).
std::optional<std::string> AsUnprivilegedUser(const std::function<void()>& setup,
                                              const std::function<std::string()>& check) {
    const auto prepare = [&setup] {
        if (::unshare(CLONE_NEWNS) != 0 || ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
            ::mount("tmpfs", "/tmp", "tmpfs", 0, "mode=1777") != 0)
            return false;
        setup();
        ::unsetenv("XDG_RUNTIME_DIR");
        return true;
    };
    return test::AsAccount({kUser, kUser, {}}, prepare, check);
}

// What the store does with the default file: "" when it refused to open and wrote nothing.
std::string StoreRefuses() {
    std::string failure;
    if (!platform::RuntimeDir().empty())
        failure += "the runtime folder was accepted; ";
    if (!store::DefaultDatabaseFile().empty())
        failure += "a database file was chosen; ";
    CSqlManagement store(store::DefaultDatabaseFile());
    if (!store.OpenFailed())
        failure += "the store opened; ";
    if (store.SaveDevice(test::MakeDevice(1)))
        failure += "a device was saved; ";
    return failure;
}

void MakeFolder(const std::string& path, uid_t owner, mode_t mode) {
    ::mkdir(path.c_str(), mode);
    [[maybe_unused]] const int owned = ::chown(path.c_str(), owner, owner);
    ::chmod(path.c_str(), mode);
}

constexpr const char* kNeedsRoot = "needs root and mount namespaces to act as another user";

// What the store does in a runtime folder it may make: "" when it made the folder private, kept
// its file there for the run and removed it at the end.
std::string StoreUsesAFreshFolder() {
    std::string found;
    if (platform::RuntimeDir() != kFolder + "/")
        found += "runtime folder " + platform::RuntimeDir() + "; ";
    struct stat st {};
    if (::lstat(kFolder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != kUser ||
        (st.st_mode & 07777) != 0700)
        found += "the folder is not a 0700 folder of the user; ";
    const std::filesystem::path file = store::DefaultDatabaseFile();
    if (file != kFolder + "/data.mdb")
        found += "database file " + file.string() + "; ";
    {
        CSqlManagement store(file);
        if (store.OpenFailed() || !store.SaveDevice(test::MakeDevice(1)))
            found += "the store did not work there; ";
        if (::stat(file.c_str(), &st) != 0 || st.st_uid != kUser)
            found += "the file is not the user's; ";
    }
    if (std::filesystem::exists(file))
        found += "the file outlived the store; ";
    return found;
}

TEST(StoreFallbackFolder, IsMadePrivateForAnUnprivilegedUserAndHoldsTheFileForTheRun) {
    const auto failure = AsUnprivilegedUser([] {}, StoreUsesAFreshFolder);
    if (!failure)
        GTEST_SKIP() << kNeedsRoot;
    EXPECT_EQ(*failure, "");
}

TEST(StoreFallbackFolder, AFolderOfThatNameThatIsNotTheUsersAloneIsRefused) {
    struct Case {
        const char* what;
        std::function<void()> setup;
    };
    const Case cases[] = {
        {"made by another user", [] { MakeFolder(kFolder, 0, 0755); }},
        {"made by another user for everyone", [] { MakeFolder(kFolder, 0, 0777); }},
        {"the user's but others may write", [] { MakeFolder(kFolder, kUser, 0777); }},
        {"the user's but the group may write", [] { MakeFolder(kFolder, kUser, 0770); }},
        {"a link to a folder of the user",
         [] {
             MakeFolder("/tmp/elsewhere", kUser, 0700);
             ::symlink("/tmp/elsewhere", kFolder.c_str());
         }},
        {"a file", [] { ::close(::open(kFolder.c_str(), O_CREAT | O_WRONLY, 0600)); }},
    };
    for (const Case& c : cases) {
        const auto failure = AsUnprivilegedUser(c.setup, [] {
            std::string found = StoreRefuses();
            std::error_code ignored;
            if (std::filesystem::exists("/tmp/elsewhere/data.mdb", ignored) ||
                std::filesystem::exists(kFolder + "/data.mdb", ignored))
                found += "a file was written into the folder; ";
            return found;
        });
        if (!failure)
            GTEST_SKIP() << kNeedsRoot;
        EXPECT_EQ(*failure, "") << c.what;
    }
}

}  // namespace
}  // namespace cpe
