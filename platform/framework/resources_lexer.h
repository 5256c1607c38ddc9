// Tokens of a resource script or header. Preprocessor lines become one Directive token each.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace platform::resources {

struct Token {
    enum Kind { Name, Number, String, Punct, Directive, End } kind = End;
    std::string text; // names, punctuation, directive lines; strings decoded (UTF-8)
    long number = 0;
    int line = 0;
};

std::vector<Token> Tokenize(std::string_view source);

} // namespace platform::resources
