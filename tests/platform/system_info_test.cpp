#include "platform/system_info.h"

#include <grp.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "tests/platform/scoped_env.h"
#include "tests/support/temp_dir.h"

namespace cpe::platform {
namespace {

TEST(ProgramDir, IsTheFolderOfTheExecutableWithTrailingSlash) {
    const std::string& dir = GetProgramDir();
    ASSERT_FALSE(dir.empty());
    EXPECT_EQ(dir.back(), '/');
    const auto exe = std::filesystem::read_symlink("/proc/self/exe");
    EXPECT_EQ(dir, exe.parent_path().string() + "/");
    EXPECT_EQ(&GetProgramDir(), &dir);  // cached
}

TEST(ProgramFolder, TheInstalledFolderAndWhatIsInsideItAreNeverWrittenEvenWhenWritable) {
    test::TempDir dir;
    const std::string installed = dir.dirText() + "lib/cpe-manager/";
    std::filesystem::create_directories(dir / "lib/cpe-manager/service");
    std::filesystem::create_directories(dir / "lib/cpe-manager-build");
    EXPECT_TRUE(MayWriteInProgramFolder(dir.dirText(), installed));
    EXPECT_FALSE(MayWriteInProgramFolder(installed, installed));
    EXPECT_FALSE(MayWriteInProgramFolder((dir / "lib/cpe-manager").string(), installed));
    EXPECT_FALSE(MayWriteInProgramFolder((dir / "lib/cpe-manager/service").string(), installed));
    // A folder whose name only begins like the installed one is another folder.
    EXPECT_TRUE(MayWriteInProgramFolder((dir / "lib/cpe-manager-build").string(), installed));
    // Without an install location writability alone decides; a missing folder is not writable.
    EXPECT_TRUE(MayWriteInProgramFolder(installed, ""));
    EXPECT_FALSE(MayWriteInProgramFolder((dir / "missing").string(), ""));
    EXPECT_FALSE(MayWriteInProgramFolder("", ""));
}

TEST(Version, IsTheProjectVersionAfterAV) { EXPECT_EQ(VersionText(), "V0.20.5.10"); }

TEST(Lcid, FromLocaleNames) {
    struct Case {
        const char* name;
        std::uint16_t lcid;
    };
    const Case cases[] = {
        {"zh_CN.UTF-8", 2052},
        {"zh_CN.GBK", 2052},
        {"zh_CN", 2052},
        {"en_US.UTF-8", 1033},
        {"zh_TW.Big5", 1028},
        {"ja_JP.eucJP", 1041},
        {"ko_KR.UTF-8", 1042},
        {"de_DE@euro", 1031},
        {"fr_FR", 1036},
        {"es_ES", 3082},
        {"it_IT", 1040},
        {"ru_RU.KOI8-R", 1049},
        {"pt_BR", 1046},
        {"pt_PT", 2070},
        {"en_GB.UTF-8", 2057},
        {"zh_HK", 3076},
        {"de_AT", 3079},
        {"en-GB", 2057},
        {"ZH_cn", 2052},
        // A territory not in the table falls back to the language.
        {"de_BE", 1031},
        {"zh_XX", 2052},
        {"fr", 1036},
        // Nothing to go by.
        {"C", 1033},
        {"POSIX", 1033},
        {"C.UTF-8", 1033},
        {"", 1033},
        {"xx_YY", 1033},
        {"@", 1033},
        {".", 1033},
    };
    for (const Case& c : cases)
        EXPECT_EQ(LcidFromLocaleName(c.name), c.lcid) << c.name;
}

using test::ScopedEnv;

TEST(Lcid, FromTheEnvironmentInPriorityOrder) {
    ScopedEnv all("LC_ALL", nullptr);
    ScopedEnv messages("LC_MESSAGES", nullptr);
    ScopedEnv lang("LANG", nullptr);
    EXPECT_EQ(SystemDefaultLcid(), 1033);
    lang.Set("de_DE.UTF-8");
    EXPECT_EQ(SystemDefaultLcid(), 1031);
    messages.Set("ja_JP.UTF-8");
    EXPECT_EQ(SystemDefaultLcid(), 1041);
    all.Set("zh_CN.UTF-8");
    EXPECT_EQ(SystemDefaultLcid(), 2052);
    all.Set("");  // empty counts as unset
    EXPECT_EQ(SystemDefaultLcid(), 1041);
}

class SingleInstanceTest : public ::testing::Test {
protected:
    test::TempDir runtime_;
    ScopedEnv env_{"XDG_RUNTIME_DIR", runtime_.path().c_str()};
};

TEST_F(SingleInstanceTest, RuntimeDirFollowsXdgOrFallsBackToAPrivateTmpFolder) {
    EXPECT_EQ(RuntimeDir(), runtime_.dirText());
    ScopedEnv relative("XDG_RUNTIME_DIR", "relative/dir");
    const std::string fallback = "/tmp/cpe-manager-" + std::to_string(::getuid()) + "/";
    EXPECT_EQ(RuntimeDir(), fallback);
    struct stat st {};
    ASSERT_EQ(::stat(fallback.c_str(), &st), 0);
    EXPECT_TRUE(S_ISDIR(st.st_mode));
    EXPECT_EQ(st.st_uid, ::getuid());
}

TEST_F(SingleInstanceTest, OnlyOneHolderPerNameUntilItGoesAway) {
    auto first = std::make_unique<SingleInstance>("Orvana_Brimlink");
    EXPECT_TRUE(first->IsFirst());
    EXPECT_TRUE(first->HoldsLock());
    {
        SingleInstance second("Orvana_Brimlink");
        EXPECT_FALSE(second.IsFirst());
        SingleInstance other("Another_Name");
        EXPECT_TRUE(other.IsFirst());
    }
    first.reset();
    SingleInstance third("Orvana_Brimlink");
    EXPECT_TRUE(third.IsFirst());
}

TEST_F(SingleInstanceTest, ASecondProcessIsRefused) {
    SingleInstance mine("Orvana_Brimlink");
    ASSERT_TRUE(mine.IsFirst());
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        SingleInstance theirs("Orvana_Brimlink");
        ::_exit(theirs.IsFirst() ? 1 : 0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST_F(SingleInstanceTest, ALockLeftByAKilledProcessDoesNotBlock) {
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        SingleInstance theirs("Orvana_Brimlink");
        const char flag = theirs.IsFirst() ? 'y' : 'n';
        if (::write(ready[1], &flag, 1) != 1)
            ::_exit(2);
        ::pause();  // killed while holding the lock
        ::_exit(0);
    }
    ::close(ready[1]);
    char flag = 0;
    ASSERT_EQ(::read(ready[0], &flag, 1), 1);
    ::close(ready[0]);
    EXPECT_EQ(flag, 'y');
    EXPECT_FALSE(SingleInstance("Orvana_Brimlink").IsFirst());
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    EXPECT_TRUE(SingleInstance("Orvana_Brimlink").IsFirst());
    // The stale lock file is still there; only the kernel lock mattered.
    EXPECT_TRUE(std::filesystem::exists(runtime_ / "Orvana_Brimlink.lock"));
}

// Another user on the same machine (root switches a child to "nobody"): that user's copy takes
// its own lock while ours is held, and cannot write into a folder that is not theirs.
TEST_F(SingleInstanceTest, AnotherUsersCopyIsNotBlockedByOursAndKeepsOutOfOurFolder) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "switching users needs root";
    constexpr uid_t kNobody = 65534;
    SingleInstance mine("Orvana_Brimlink");
    ASSERT_TRUE(mine.HoldsLock());
    test::TempDir theirs;
    ASSERT_EQ(::chown(theirs.path().c_str(), kNobody, kNobody), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::setenv("XDG_RUNTIME_DIR", theirs.path().c_str(), 1);
        if (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)
            ::_exit(10);
        SingleInstance lock("Orvana_Brimlink");
        int result = 0;
        if (!lock.IsFirst() || !lock.HoldsLock())
            result |= 1;
        if (MayWriteInProgramFolder(runtime_.dirText(), ""))
            result |= 2;
        ::_exit(result);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "1: blocked by our lock, 2: may write into our folder, 10: no switch";
    EXPECT_TRUE(std::filesystem::exists(theirs / "Orvana_Brimlink.lock"));
}

TEST_F(SingleInstanceTest, ARuntimeFolderThatIsNotTheUsersAloneIsRefused) {
    ASSERT_EQ(::chmod(runtime_.path().c_str(), 0755), 0);
    EXPECT_EQ(RuntimeDir(), runtime_.dirText()) << "others may read, not write";
    ScopedEnv trailing("XDG_RUNTIME_DIR", runtime_.dirText().c_str());
    EXPECT_EQ(RuntimeDir(), runtime_.dirText());

    for (const mode_t mode : {0777, 0770, 0703}) {
        ASSERT_EQ(::chmod(runtime_.path().c_str(), mode), 0);
        EXPECT_EQ(RuntimeDir(), "") << std::oct << mode;
    }
    ASSERT_EQ(::chmod(runtime_.path().c_str(), 0700), 0);

    test::TempDir other;
    const auto link = other / "link";
    std::filesystem::create_directory_symlink(runtime_.path(), link);
    ScopedEnv linked("XDG_RUNTIME_DIR", link.c_str());
    EXPECT_EQ(RuntimeDir(), "") << "a link to a private folder";
    linked.Set((other / "missing").c_str());
    EXPECT_EQ(RuntimeDir(), "") << "a runtime folder that is not there is not made";
    EXPECT_FALSE(std::filesystem::exists(other / "missing"));
    std::ofstream(other / "file") << "x";
    linked.Set((other / "file").c_str());
    EXPECT_EQ(RuntimeDir(), "");

    if (::getuid() == 0) {
        ASSERT_EQ(::chown(other.path().c_str(), 65534, 65534), 0);
        linked.Set(other.path().c_str());
        EXPECT_EQ(RuntimeDir(), "") << "a folder of another user";
        ASSERT_EQ(::chown(other.path().c_str(), 0, 0), 0);
    }
}

TEST_F(SingleInstanceTest, AFolderOthersCanWriteToIsNotTrustedButDoesNotStopTheProgram) {
    ::chmod(runtime_.path().c_str(), 0777);
    SingleInstance first("Orvana_Brimlink");
    EXPECT_TRUE(first.IsFirst());
    EXPECT_FALSE(first.HoldsLock());
    ::chmod(runtime_.path().c_str(), 0700);
}

}  // namespace
}  // namespace cpe::platform
