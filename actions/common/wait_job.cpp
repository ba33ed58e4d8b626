#include "actions/common/wait_job.h"

#include "lang/language.h"

namespace cpe::actions {
namespace {

// Puts `target` in place of the first "%s" and `number` in place of the first "%d"; any other
// "%" stays as it is, so a translation cannot make the filling read what is not there.
std::string Fill(std::string_view key, const std::string& target, int number) {
    const std::string text = TranslateString(key);
    std::string out;
    bool targetDone = false, numberDone = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char next = i + 1 < text.size() ? text[i + 1] : '\0';
        if (text[i] == '%' && next == 's' && !targetDone) {
            out += target;
            targetDone = true;
            ++i;
        } else if (text[i] == '%' && next == 'd' && !numberDone) {
            out += std::to_string(number);
            numberDone = true;
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

}  // namespace

std::string WaitTitle(const WaitJob& job) { return TranslateString(job.titleKey); }

std::string WaitLine(const WaitJob& job, int secondsLeft) { return Fill(job.lineKey, job.target, secondsLeft); }

std::string WaitEarlyClose(const WaitJob& job) { return Fill(job.earlyCloseKey, job.target, 0); }

std::string WaitTarget(std::span<const std::string> ips) {
    if (ips.size() == 1)
        return ips.front();
    return Fill("%d devices", {}, static_cast<int>(ips.size()));
}

}  // namespace cpe::actions
