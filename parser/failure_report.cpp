#include "parser/failure_report.hpp"

#include <algorithm>

namespace morvane {

namespace {

bool ends_line(char c) noexcept { return c == '\n' || c == '\r'; }

} // namespace

text_position line_counter::at(std::size_t offset) noexcept {
    for (const std::size_t end = std::min(offset, text_.size()); next_ < end; ++next_) {
        const char c = text_[next_];
        const bool second_of_pair = c == '\n' && after_cr_;
        after_cr_ = c == '\r';
        if (!second_of_pair && !ends_line(c)) {
            ++at_.column;
            continue;
        }
        if (!second_of_pair) { // the second of a pair ends the line its "\r" ended
            ++at_.line;
            at_.column = 1;
        }
        at_.line_begin = next_ + 1;
        line_end_found_ = false;
    }
    // Found once per line: a file on one line may have many places on it.
    if (!line_end_found_) {
        at_.line_end = std::max<std::uint64_t>(at_.line_begin, next_);
        while (at_.line_end < text_.size() && !ends_line(text_[at_.line_end])) ++at_.line_end;
        line_end_found_ = true;
    }
    return at_;
}

text_position position_of(std::string_view text, std::size_t offset) {
    return line_counter(text).at(offset);
}

std::vector<std::string> describe_expected(std::span<const expectation> expected) {
    std::vector<expectation> sorted(expected.begin(), expected.end());
    std::sort(sorted.begin(), sorted.end(), [](const auto& a, const auto& b) {
        if (a.literal != b.literal) return a.literal;
        return a.what < b.what;
    });
    sorted.erase(std::unique(sorted.begin(), sorted.end()), sorted.end());
    std::vector<std::string> described;
    described.reserve(sorted.size());
    for (const auto& e : sorted) {
        if (e.literal)
            described.push_back('"' + std::string(e.what) + '"');
        else
            described.emplace_back(e.what);
    }
    return described;
}

std::string expected_message(std::span<const std::string> described) {
    if (described.empty()) return "unexpected input";
    std::string message = "expected " + described.front();
    for (std::size_t i = 1; i < described.size(); ++i) {
        message += i + 1 == described.size() ? " or " : ", ";
        message += described[i];
    }
    return message;
}

} // namespace morvane
