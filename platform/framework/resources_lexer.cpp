#include "platform/framework/resources_lexer.h"

#include <cctype>

namespace platform::resources {
namespace {

bool IsNameStart(char c) {
    return std::isalpha((unsigned char)c) || c == '_';
}
bool IsNameChar(char c) {
    return std::isalnum((unsigned char)c) || c == '_';
}

// A literal: `""` is a quote; backslash escapes as the resource compiler reads them.
std::string ReadString(std::string_view s, size_t& i, int& line) {
    std::string out;
    ++i; // opening quote
    while (i < s.size()) {
        char c = s[i];
        if (c == '"') {
            if (i + 1 < s.size() && s[i + 1] == '"') {
                out.push_back('"');
                i += 2;
                continue;
            }
            ++i;
            return out;
        }
        if (c == '\n')
            ++line;
        if (c == '\\' && i + 1 < s.size()) {
            char e = s[i + 1];
            i += 2;
            switch (e) {
            case 'n':
                out.push_back('\n');
                break;
            case 't':
                out.push_back('\t');
                break;
            case 'r':
                out.push_back('\r');
                break;
            case 'a':
                out.push_back('\b');
                break;
            case '\\':
                out.push_back('\\');
                break;
            case '"':
                out.push_back('"');
                break;
            default:
                out.push_back('\\');
                out.push_back(e);
            }
            continue;
        }
        out.push_back(c);
        ++i;
    }
    return out; // unterminated: what was there
}

} // namespace

std::vector<Token> Tokenize(std::string_view s) {
    std::vector<Token> tokens;
    size_t i = 0;
    int line = 1;
    bool lineStart = true;
    // A UTF-8 byte order mark is not part of the script.
    if (s.size() >= 3 && (unsigned char)s[0] == 0xEF && (unsigned char)s[1] == 0xBB &&
        (unsigned char)s[2] == 0xBF)
        i = 3;
    while (i < s.size()) {
        char c = s[i];
        if (c == '\n') {
            ++line;
            lineStart = true;
            ++i;
            continue;
        }
        if (std::isspace((unsigned char)c)) {
            ++i;
            continue;
        }
        if (c == '/' && i + 1 < s.size() && s[i + 1] == '/') {
            while (i < s.size() && s[i] != '\n')
                ++i;
            continue;
        }
        if (c == '/' && i + 1 < s.size() && s[i + 1] == '*') {
            i += 2;
            while (i + 1 < s.size() && !(s[i] == '*' && s[i + 1] == '/')) {
                if (s[i] == '\n')
                    ++line;
                ++i;
            }
            i = i + 2 <= s.size() ? i + 2 : s.size();
            continue;
        }
        Token t;
        t.line = line;
        if (c == '#' && lineStart) {
            size_t end = s.find('\n', i);
            if (end == std::string_view::npos)
                end = s.size();
            t.kind = Token::Directive;
            t.text = std::string(s.substr(i + 1, end - i - 1));
            if (!t.text.empty() && t.text.back() == '\r')
                t.text.pop_back();
            i = end;
        } else if (c == '"') {
            t.kind = Token::String;
            t.text = ReadString(s, i, line);
        } else if (std::isdigit((unsigned char)c)) {
            size_t start = i;
            int base = 10;
            if (c == '0' && i + 1 < s.size() && (s[i + 1] == 'x' || s[i + 1] == 'X')) {
                base = 16;
                i += 2;
            }
            unsigned long value = 0;
            while (i < s.size() && std::isxdigit((unsigned char)s[i])) {
                int d = std::isdigit((unsigned char)s[i])
                            ? s[i] - '0'
                            : std::tolower((unsigned char)s[i]) - 'a' + 10;
                if (d >= base)
                    break;
                value = value * base + d;
                ++i;
            }
            while (i < s.size() && (s[i] == 'L' || s[i] == 'l' || s[i] == 'U' || s[i] == 'u'))
                ++i;
            t.kind = Token::Number;
            t.number = (long)(uint32_t)value;
            t.text = std::string(s.substr(start, i - start));
        } else if (IsNameStart(c)) {
            size_t start = i;
            while (i < s.size() && IsNameChar(s[i]))
                ++i;
            t.kind = Token::Name;
            t.text = std::string(s.substr(start, i - start));
        } else {
            t.kind = Token::Punct;
            t.text = std::string(1, c);
            ++i;
        }
        lineStart = false;
        tokens.push_back(std::move(t));
    }
    Token end;
    end.line = line + 1;
    tokens.push_back(end);
    return tokens;
}

} // namespace platform::resources
