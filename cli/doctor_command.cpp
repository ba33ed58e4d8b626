// doctor: a discovery run, then the checks of why it may find nothing, for a terminal.
#include "actions/doctor/discovery_checks.h"
#include "cli/commands.h"
#include "cli/discovery_loop.h"

namespace cpe::cli {

int RunDoctor(Session& session, const Invocation& run) {
    actions::QuietWatch quiet;
    actions::DeviceCounts last;
    const bool ended = RunDiscovery(session, run.seconds, "doctor", [&](const actions::DeviceCounts& counts) {
        last = counts;
        // Once devices answer, the run need not wait for its end to know discovery works.
        return counts.identified + counts.seen > 0 && quiet.Quiet(counts);
    });
    if (!ended)
        return Interrupted(session);
    const std::vector<actions::CheckFinding> findings =
        actions::CheckDiscovery(session.Engine(), last.identified + last.seen);
    for (const actions::CheckFinding& finding : findings)
        session.Output().out << (finding.problem ? "problem: " : "") << finding.EnglishText() << '\n';
    session.Output().out.flush();
    return actions::NothingWrong(findings) ? kExitOk : kExitDeviceFailed;
}

}  // namespace cpe::cli
