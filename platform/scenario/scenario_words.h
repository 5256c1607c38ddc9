// The words of one scenario line and the one way numbers are read from them. A word that is not
// what the line needs ends the parse of the file with a LineFault that says what was expected
// there and what stood there instead.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace platform::scenario {

// Splits a line into words; "double quoted" words may hold spaces; # starts a comment. Throws a
// LineFault for an unterminated quote.
std::vector<std::string> SplitWords(std::string_view line);

// A whole number in base 10 (an optional '-', then digits only: "010" is ten), within
// [lowest, highest]; nullopt for anything else, a number too large for an int included.
std::optional<int> WholeNumber(std::string_view word, int lowest, int highest);
// A decimal number ("12", "0.5", "1e3") within [lowest, below); nullopt for anything else.
std::optional<double> DecimalNumber(std::string_view word, double lowest, double below);
// One to four hexadecimal digits, as in a USB vendor or product id; nullopt for anything else.
std::optional<unsigned> HexWord(std::string_view word);

// A line's fault: "what: expected X, found Y" (the "what: " left out when nothing names it).
struct LineFault : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// The words of one line after its keyword, taken from left to right.
class LineWords {
public:
    // Reads from words[first] on; `what` names the line in faults: "input", "unplug", ...
    LineWords(std::vector<std::string> words, size_t first, std::string what);

    // From now on faults name `what` ("plug" after "at 5").
    void setSubject(std::string what) { m_what = std::move(what); }

    bool atEnd() const { return m_next >= m_words.size(); }
    // The next word, or "" at the end.
    const std::string& peek() const;
    // Takes the next word if it is `word`.
    bool take(std::string_view word);

    // Each takes the next word, or throws a LineFault saying `expected`.
    std::string word(const char* expected);
    int whole(const char* expected, int lowest, int highest);
    double decimal(const char* expected, double lowest, double below);
    // The next word as `parse` reads it: a function of the word that returns an optional.
    template <typename Parse> auto read(const char* expected, Parse parse) {
        auto value = parse(std::string_view(peek()));
        if (!value)
            fail(expected);
        ++m_next;
        return *std::move(value);
    }
    // Throws unless every word has been taken.
    void end();

    // Throws "what: expected `expected`, found <the next word>".
    [[noreturn]] void fail(std::string_view expected) const;

private:
    std::vector<std::string> m_words;
    size_t m_next;
    std::string m_what;
};

} // namespace platform::scenario
