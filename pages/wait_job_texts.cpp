#include "pages/wait_job_texts.h"

namespace cpe {

WaitTexts WaitTextsOf(actions::WaitJob job) {
    WaitTexts texts;
    texts.title = QString::fromStdString(actions::WaitTitle(job));
    texts.earlyClose = QString::fromStdString(actions::WaitEarlyClose(job));
    texts.line = [job = std::move(job)](int secondsLeft) {
        return QString::fromStdString(actions::WaitLine(job, secondsLeft));
    };
    return texts;
}

}  // namespace cpe
