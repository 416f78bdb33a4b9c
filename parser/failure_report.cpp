#include "parser/failure_report.hpp"

#include <algorithm>

namespace morvane {

text_position position_of(std::string_view text, std::size_t offset) {
    text_position at;
    const std::size_t end = std::min(offset, text.size());
    for (std::size_t i = 0; i < end; ++i) {
        const char c = text[i];
        if (c == '\n' || c == '\r') {
            ++at.line;
            at.column = 1;
            if (c == '\r' && i + 1 < end && text[i + 1] == '\n') ++i;
        } else {
            ++at.column;
        }
    }
    return at;
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
