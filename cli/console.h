// Where cpe-cli writes: results to `out`, messages and progress to `err`. Progress is shown only
// when standard error is a terminal, rewritten in place on one line.
#pragma once

#include <ostream>
#include <string>

namespace cpe::cli {

struct Console {
    std::ostream& out;
    std::ostream& err;
    bool errIsTerminal = false;

    // One line on the error stream, prefixed with the program's name.
    void Error(const std::string& message) const { err << "cpe-cli: " << message << '\n'; }
};

class ProgressLine {
public:
    explicit ProgressLine(const Console& console) : console_(console) {}
    ~ProgressLine() { Done(); }
    ProgressLine(const ProgressLine&) = delete;
    ProgressLine& operator=(const ProgressLine&) = delete;

    void Show(const std::string& text);
    // Takes the line off the terminal, so a result line can be printed where it stood.
    void Clear();
    // Ends the line, so what follows starts on a line of its own.
    void Done();

private:
    const Console& console_;
    std::size_t shown_ = 0;  // length of the line on the terminal
};

}  // namespace cpe::cli
