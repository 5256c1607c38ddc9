#include <cstdlib>
#include <sstream>

#include "platform/scenario/scenario.h"

namespace platform::scenario {
namespace {

// Splits a line into words; "double quoted" words may hold spaces; # starts a comment.
bool SplitWords(const std::string& line, std::vector<std::string>& words, std::string& error) {
    size_t i = 0;
    while (i < line.size()) {
        const char c = line[i];
        if (c == ' ' || c == '\t' || c == '\r') {
            ++i;
        } else if (c == '#') {
            break;
        } else if (c == '"') {
            const size_t end = line.find('"', i + 1);
            if (end == std::string::npos) {
                error = "unterminated quoted text";
                return false;
            }
            words.push_back(line.substr(i + 1, end - i - 1));
            i = end + 1;
        } else {
            size_t end = i;
            while (end < line.size() && line[end] != ' ' && line[end] != '\t' && line[end] != '\r')
                ++end;
            words.push_back(line.substr(i, end - i));
            i = end;
        }
    }
    return true;
}

bool ToInt(const std::string& word, int& value) {
    char* end = nullptr;
    const long v = std::strtol(word.c_str(), &end, 10);
    if (word.empty() || *end != '\0' || v < -1000000 || v > 1000000)
        return false;
    value = static_cast<int>(v);
    return true;
}

bool ToSeconds(const std::string& word, double& value) {
    char* end = nullptr;
    value = std::strtod(word.c_str(), &end);
    return !word.empty() && *end == '\0' && value >= 0 && value < 86400;
}

} // namespace

bool ParseScenario(const std::string& text, Scenario& out, std::string& error) {
    std::istringstream lines(text);
    std::string line;
    int number = 0;
    auto fail = [&](const std::string& what) {
        error = "line " + std::to_string(number) + ": " + what;
        return false;
    };
    while (std::getline(lines, line)) {
        ++number;
        std::vector<std::string> words;
        std::string splitError;
        if (!SplitWords(line, words, splitError))
            return fail(splitError);
        if (words.empty())
            continue;
        const std::string& keyword = words[0];
        if (keyword == "screen") {
            if (words.size() != 3 || !ToInt(words[1], out.screenWidth) ||
                !ToInt(words[2], out.screenHeight) || out.screenWidth < 64 || out.screenHeight < 64)
                return fail("screen takes a width and a height of at least 64");
        } else if (keyword == "real-notifications") {
            if (words.size() != 1)
                return fail("real-notifications takes nothing");
            out.realNotifications = true;
        } else if (keyword == "input") {
            InputLine input;
            input.line = number;
            if (words.size() < 3 || !ToInt(words[1], input.index))
                return fail("input takes an index and a description");
            input.words.assign(words.begin() + 2, words.end());
            out.inputs.push_back(std::move(input));
        } else if (keyword == "at") {
            EventLine event;
            event.line = number;
            if (words.size() < 3 || !ToSeconds(words[1], event.at))
                return fail("at takes a time in seconds and an event");
            event.verb = words[2];
            event.words.assign(words.begin() + 3, words.end());
            out.events.push_back(std::move(event));
        } else {
            return fail("unknown keyword '" + keyword + "'");
        }
    }
    return true;
}

} // namespace platform::scenario
