#include "platform/scenario/scenario_words.h"

#include <charconv>
#include <cmath>

namespace platform::scenario {

std::vector<std::string> SplitWords(std::string_view line) {
    std::vector<std::string> words;
    auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
    size_t i = 0;
    while (i < line.size()) {
        if (blank(line[i])) {
            ++i;
        } else if (line[i] == '#') {
            break;
        } else if (line[i] == '"') {
            const size_t end = line.find('"', i + 1);
            if (end == std::string_view::npos)
                throw LineFault("a quoted text is not closed: expected a second \"");
            words.emplace_back(line.substr(i + 1, end - i - 1));
            i = end + 1;
        } else {
            size_t end = i;
            while (end < line.size() && !blank(line[end]))
                ++end;
            words.emplace_back(line.substr(i, end - i));
            i = end;
        }
    }
    return words;
}

namespace {

// std::from_chars reads no spaces, no '+' and no "0x", and reports a number too large; the
// whole word must be the number.
template <typename T> std::optional<T> Whole(std::string_view word, int base = 10) {
    T value{};
    const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), value, base);
    if (word.empty() || error != std::errc() || end != word.data() + word.size())
        return std::nullopt;
    return value;
}

} // namespace

std::optional<int> WholeNumber(std::string_view word, int lowest, int highest) {
    const auto value = Whole<int>(word);
    if (!value || *value < lowest || *value > highest)
        return std::nullopt;
    return value;
}

std::optional<double> DecimalNumber(std::string_view word, double lowest, double below) {
    double value = 0;
    const auto [end, error] =
        std::from_chars(word.data(), word.data() + word.size(), value, std::chars_format::general);
    // The comparisons also turn away "nan" and "inf".
    if (word.empty() || error != std::errc() || end != word.data() + word.size() ||
        !(value >= lowest && value < below))
        return std::nullopt;
    return value;
}

std::optional<unsigned> HexWord(std::string_view word) {
    if (word.size() > 4)
        return std::nullopt;
    return Whole<unsigned>(word, 16);
}

LineWords::LineWords(std::vector<std::string> words, size_t first, std::string what)
    : m_words(std::move(words)), m_next(first), m_what(std::move(what)) {}

const std::string& LineWords::peek() const {
    static const std::string kNone;
    return atEnd() ? kNone : m_words[m_next];
}

bool LineWords::take(std::string_view word) {
    if (atEnd() || m_words[m_next] != word)
        return false;
    ++m_next;
    return true;
}

std::string LineWords::word(const char* expected) {
    if (atEnd())
        fail(expected);
    return m_words[m_next++];
}

int LineWords::whole(const char* expected, int lowest, int highest) {
    return read(expected, [&](std::string_view w) { return WholeNumber(w, lowest, highest); });
}

double LineWords::decimal(const char* expected, double lowest, double below) {
    return read(expected, [&](std::string_view w) { return DecimalNumber(w, lowest, below); });
}

void LineWords::end() {
    if (!atEnd())
        fail("the end of the line");
}

void LineWords::fail(std::string_view expected) const {
    const std::string found = atEnd() ? "the end of the line" : "\"" + m_words[m_next] + "\"";
    throw LineFault((m_what.empty() ? "" : m_what + ": ") + "expected " + std::string(expected) +
                    ", found " + found);
}

} // namespace platform::scenario
