// Whether an operator's account may start the upgrade's helpers: first the group the helper is
// reserved for, then the capability its low port needs, checked in a child process that runs as
// nobody the way an operator's login would.
#include <gtest/gtest.h>

#include <grp.h>
#include <pwd.h>
#include <sys/capability.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "actions/upgrade/helper_permission.h"
#include "lang/placeholders.h"
#include "tests/support/as_account.h"
#include "tests/support/temp_dir.h"

namespace cpe::actions::test {
namespace {

constexpr uid_t kNobody = 65534;
constexpr gid_t kNogroup = 65534;
constexpr gid_t kHelperGroup = 0;  // a group nobody is not in

// What the check tells nobody, with these supplementary groups: "granted", or the refusal as the
// operator reads it.
std::string AnswerForNobody(const HelperLayout& layout, HelperKind kind, std::vector<gid_t> groups) {
    const auto answer = cpe::test::AsAccount({kNobody, kNogroup, std::move(groups)}, {}, [&] {
        const auto refusal = RefusalOf(CheckHelperPermission(layout, kind));
        return refusal ? FillPlaceholders(refusal->key, refusal->values) : std::string("granted");
    });
    return answer.value_or("cannot become nobody");
}

bool GiveBindCapability(const std::filesystem::path& file) {
    cap_t caps = cap_from_text("cap_net_bind_service=ep");
    const bool given = caps && cap_set_file(file.c_str(), caps) == 0;
    cap_free(caps);
    return given;
}

TEST(HelperPermission, AnOperatorNeedsTheHelpersGroupThenTheHelperNeedsItsCapability) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "acting as another account needs root";
    const passwd* nobody = ::getpwuid(kNobody);
    const group* helperGroup = ::getgrgid(kHelperGroup);
    ASSERT_TRUE(nobody && helperGroup);
    const std::string user = nobody->pw_name;
    const std::string groupName = helperGroup->gr_name;

    cpe::test::TempDir dir;
    std::filesystem::permissions(dir.path(), std::filesystem::perms(0755));
    HelperLayout layout;
    layout.serviceDir = dir.path();
    for (const char* name : {"cpe-tftpd", "cpe-httpd"}) {
        std::ofstream(dir / name) << "#!/bin/sh\n";
        ASSERT_EQ(::chown((dir / name).c_str(), 0, kHelperGroup), 0);
        std::filesystem::permissions(dir / name, std::filesystem::perms(0750));
    }
    const std::string tftpd = (dir / "cpe-tftpd").string();

    // Not in the group: the administrator's command names the group and the account.
    const std::string outsider = AnswerForNobody(layout, HelperKind::kTftp, {});
    EXPECT_NE(outsider.find("the group " + groupName + " "), std::string::npos) << outsider;
    EXPECT_NE(outsider.find("sudo usermod -aG " + groupName + " " + user + " (then log in again)"), std::string::npos)
        << outsider;
    EXPECT_NE(outsider.find(tftpd), std::string::npos) << outsider;

    // In the group, but the file lacks the capability that port 69 needs.
    const std::string member = AnswerForNobody(layout, HelperKind::kTftp, {kHelperGroup});
    EXPECT_NE(member.find("may not serve on port 69"), std::string::npos) << member;
    EXPECT_NE(member.find("sudo setcap cap_net_bind_service+ep " + tftpd + " "), std::string::npos) << member;

    // A port that needs no privilege needs no capability; with the capability port 69 is served.
    layout.httpPort = 8080;
    EXPECT_EQ(AnswerForNobody(layout, HelperKind::kFileServer, {kHelperGroup}), "granted");
    ASSERT_TRUE(GiveBindCapability(tftpd));
    EXPECT_EQ(AnswerForNobody(layout, HelperKind::kTftp, {kHelperGroup}), "granted");
    // Still only for the group's members.
    EXPECT_EQ(AnswerForNobody(layout, HelperKind::kTftp, {}), outsider);
}

}  // namespace
}  // namespace cpe::actions::test
