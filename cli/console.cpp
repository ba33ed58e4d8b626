#include "cli/console.h"

namespace cpe::cli {

void ProgressLine::Show(const std::string& text) {
    if (!console_.errIsTerminal)
        return;
    std::string line = "\r" + text;
    if (text.size() < shown_)
        line.append(shown_ - text.size(), ' ');
    shown_ = text.size();
    console_.err << line << std::flush;
}

void ProgressLine::Clear() {
    if (shown_ == 0)
        return;
    console_.err << '\r' << std::string(shown_, ' ') << '\r' << std::flush;
    shown_ = 0;
}

void ProgressLine::Done() {
    if (shown_ == 0)
        return;
    console_.err << '\n' << std::flush;
    shown_ = 0;
}

}  // namespace cpe::cli
