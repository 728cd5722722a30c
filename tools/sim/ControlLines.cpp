#include "ControlLines.h"

#include <vector>

namespace sim {

namespace {

constexpr size_t LongestLine = 1024;

// The answer to one line; false when the line asks to end.
bool Answer(const std::string& line, std::FILE* output, ControlTarget& target)
{
    const std::vector<std::string> words = SplitWords(line);
    if (words.empty())
        return true;
    if (words.size() == 1 && words[0] == "quit")
        return false;
    if (words.size() == 1 && words[0] == "help") {
        std::fputs(ControlHelp(HelpForm::Lines).c_str(), output);
    } else {
        const ParsedControl control = ParseControl(words);
        const std::string answer =
            control.action ? control.action(target) : "error: " + control.error;
        std::fprintf(output, "%s\n", answer.c_str());
    }
    std::fflush(output);
    return true;
}

} // namespace

bool ControlLines::Take(const char* bytes, size_t size)
{
    for (size_t i = 0; i < size; ++i) {
        if (bytes[i] != '\n') {
            if (pending_.size() < LongestLine)
                pending_ += bytes[i];
            else
                overlong_ = true;
            continue;
        }
        const std::string line = std::move(pending_);
        const bool overlong = overlong_;
        pending_.clear();
        overlong_ = false;
        if (overlong) {
            std::fputs("error: line too long\n", output_);
            std::fflush(output_);
        } else if (!Answer(line, output_, target_)) {
            return false;
        }
    }
    return true;
}

bool ControlLines::Finish()
{
    return pending_.empty() || Take("\n", 1);
}

} // namespace sim
