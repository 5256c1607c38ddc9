// Reads the statements of a resource script: DIALOGEX, STRINGTABLE, ICON and other file
// resources, VERSIONINFO, LANGUAGE. Unknown statements and blocks are skipped.
#include <cctype>
#include <cstring>

#include "platform/framework/resources.h"
#include "platform/framework/resources_lexer.h"
#include "platform/system/utf.h"
#include "platform/win32/constants.h"

namespace platform::resources {
namespace {

bool Is(const Token& t, const char* text) {
    return (t.kind == Token::Name || t.kind == Token::Punct) && t.text == text;
}
bool IsBegin(const Token& t) {
    return Is(t, "BEGIN") || Is(t, "{");
}
bool IsEnd(const Token& t) {
    return Is(t, "END") || Is(t, "}");
}

class Parser {
public:
    Parser(std::vector<Token> tokens, ResourceScript& out)
        : m_tokens(std::move(tokens)), m_out(out) {}

    void run() {
        while (!atEnd()) {
            const size_t before = m_pos;
            statement();
            if (m_pos == before)
                ++m_pos; // never stall on input we cannot read
        }
    }

private:
    const Token& peek(size_t ahead = 0) const {
        size_t i = m_pos + ahead;
        return i < m_tokens.size() ? m_tokens[i] : m_tokens.back();
    }
    const Token& next() {
        const Token& t = peek();
        if (m_pos < m_tokens.size() - 1)
            ++m_pos;
        return t;
    }
    bool atEnd() const { return peek().kind == Token::End; }
    bool accept(const char* text) {
        if (Is(peek(), text)) {
            next();
            return true;
        }
        return false;
    }
    void skipLine(int line) {
        while (!atEnd() && peek().line == line && !IsEnd(peek()))
            next();
    }
    // Skips a BEGIN ... END block with nested blocks; the current token is its BEGIN.
    void skipBlock() {
        int depth = 0;
        while (!atEnd()) {
            const Token& t = next();
            if (IsBegin(t))
                ++depth;
            else if (IsEnd(t) && --depth <= 0)
                return;
        }
    }

    long symbol(const std::string& name) const {
        auto it = m_out.symbols.find(name);
        if (it != m_out.symbols.end())
            return it->second;
        bool found = false;
        return BuiltInSymbol(name, found);
    }

    // term := number | name | '(' expr ')' | '~' term | '-' term
    long term() {
        const Token& t = peek();
        if (t.kind == Token::Number) {
            next();
            return t.number;
        }
        if (t.kind == Token::Name && !IsBegin(t) && !IsEnd(t) && t.text != "NOT") {
            next();
            return symbol(t.text);
        }
        if (accept("(")) {
            long v = expression(0);
            accept(")");
            return v;
        }
        if (accept("~"))
            return ~term();
        if (accept("-"))
            return -term();
        return 0;
    }

    // Style expressions: terms joined by | or +, where `NOT x` clears x's bits from what was
    // built so far (starting from `initial`, the statement's default style).
    long expression(long initial) {
        long value = initial;
        for (;;) {
            if (accept("NOT"))
                value &= ~term();
            else
                value |= term();
            if (accept("|") || accept("+"))
                continue;
            if (accept("&")) {
                value &= term();
                continue;
            }
            return value;
        }
    }

    int number() { return (int)expression(0); }

    std::u16string text() {
        if (peek().kind == Token::String)
            return Utf8ToUtf16(next().text);
        return {};
    }

    // A resource name: a number, a symbol, or (not used here) a string name.
    int resourceId(const Token& t) {
        if (t.kind == Token::Number)
            return (int)t.number;
        return (int)symbol(t.text);
    }

    void statement() {
        const Token& t = peek();
        if (t.kind == Token::Directive) {
            directive(next().text);
            return;
        }
        if (Is(t, "LANGUAGE")) {
            next();
            m_language = language();
            return;
        }
        if (Is(t, "STRINGTABLE")) {
            next();
            stringTable();
            return;
        }
        if (t.kind != Token::Name && t.kind != Token::Number) {
            next();
            return;
        }
        const Token& type = peek(1);
        if (type.kind != Token::Name) {
            skipLine(next().line);
            return;
        }
        const int id = resourceId(next());
        const std::string kind = next().text;
        if (kind == "DIALOGEX" || kind == "DIALOG")
            dialog(id);
        else if (kind == "VERSIONINFO")
            versionInfo();
        else if (peek().kind == Token::String)
            m_out.files.push_back({kind, id, m_language, next().text});
        else {
            // Data blocks (AFX_DIALOG_LAYOUT, RCDATA, MENU, ...) are not used.
            while (!atEnd() && !IsBegin(peek()) && peek().kind != Token::Directive &&
                   peek().line == type.line)
                next();
            if (IsBegin(peek()))
                skipBlock();
        }
    }

    void directive(const std::string& line) {
        // Only #define matters, in the header; #include, #pragma and conditionals do not.
        size_t i = 0;
        auto skipSpace = [&] {
            while (i < line.size() && std::isspace((unsigned char)line[i]))
                ++i;
        };
        skipSpace();
        if (line.compare(i, 6, "define") != 0)
            return;
        i += 6;
        skipSpace();
        size_t start = i;
        while (i < line.size() && (std::isalnum((unsigned char)line[i]) || line[i] == '_'))
            ++i;
        std::string name = line.substr(start, i - start);
        if (name.empty() || (i < line.size() && line[i] == '('))
            return; // function-like macros are not ids
        std::vector<Token> value = Tokenize(line.substr(i));
        ResourceScript scratch;
        scratch.symbols = m_out.symbols;
        Parser sub(std::move(value), scratch);
        m_out.symbols[name] = sub.expression(0);
    }

    WORD language() {
        const int primary = number();
        accept(",");
        const int sub = number();
        return (WORD)((sub << 10) | (primary & 0x3FF));
    }

    void stringTable() {
        WORD language = m_language;
        while (!atEnd() && !IsBegin(peek())) {
            if (accept("LANGUAGE"))
                language = this->language();
            else
                next();
        }
        if (!accept("BEGIN"))
            accept("{");
        while (!atEnd() && !IsEnd(peek())) {
            const int id = number();
            accept(",");
            if (peek().kind != Token::String) {
                skipLine(peek().line);
                continue;
            }
            m_out.strings[id] = text();
            m_out.stringLanguages[id] = language;
        }
        next();
    }

    void dialog(int id) {
        DialogTemplate d;
        d.id = id;
        d.language = m_language;
        d.x = number();
        accept(",");
        d.y = number();
        accept(",");
        d.cx = number();
        accept(",");
        d.cy = number();
        if (accept(","))
            d.helpId = (DWORD)number();
        // Without STYLE the resource compiler gives a popup with border and system menu.
        bool styled = false;
        d.style = WS_POPUP | WS_BORDER | WS_SYSMENU;
        while (!atEnd() && !IsBegin(peek())) {
            const Token& t = next();
            if (Is(t, "STYLE")) {
                d.style = (DWORD)expression(0);
                styled = true;
            } else if (Is(t, "EXSTYLE")) {
                d.exStyle = (DWORD)expression(0);
            } else if (Is(t, "CAPTION")) {
                d.caption = text();
                if (!styled)
                    d.style |= WS_CAPTION;
            } else if (Is(t, "FONT")) {
                d.fontPointSize = number();
                accept(",");
                d.fontFace = text();
                if (accept(","))
                    d.fontWeight = number();
                if (accept(","))
                    d.fontItalic = number() != 0;
                if (accept(","))
                    d.fontCharset = number();
                d.style |= DS_SETFONT;
            } else if (Is(t, "LANGUAGE")) {
                d.language = language();
            } else {
                skipLine(t.line); // MENU, CLASS, CHARACTERISTICS, VERSION
            }
        }
        next(); // BEGIN
        while (!atEnd() && !IsEnd(peek())) {
            const size_t before = m_pos;
            control(d);
            if (m_pos == before)
                next();
        }
        next(); // END
        m_out.dialogs[id] = std::move(d);
    }

    struct ControlKind {
        const char* keyword;
        const char16_t* className;
        long style;
        bool hasText;
    };

    void control(DialogTemplate& d) {
        static const ControlKind kinds[] = {
            {"LTEXT", u"Static", WS_GROUP, true},
            {"RTEXT", u"Static", 0x2 | WS_GROUP, true},
            {"CTEXT", u"Static", 0x1 | WS_GROUP, true},
            {"PUSHBUTTON", u"Button", WS_TABSTOP, true},
            {"DEFPUSHBUTTON", u"Button", 0x1 | WS_TABSTOP, true},
            {"GROUPBOX", u"Button", 0x7, true},
            {"LISTBOX", u"ListBox", LBS_NOTIFY | WS_BORDER, false},
            {"EDITTEXT", u"Edit", WS_BORDER | WS_TABSTOP, false},
        };
        const Token& t = next();
        ControlTemplate c;
        const long visibleChild = WS_CHILD | WS_VISIBLE;
        if (Is(t, "CONTROL")) {
            c.text = peek().kind == Token::String ? text() : (number(), std::u16string());
            accept(",");
            c.id = number();
            accept(",");
            c.className = peek().kind == Token::String ? text() : Utf8ToUtf16(next().text);
            accept(",");
            c.style = (DWORD)expression(visibleChild);
            accept(",");
            readBox(c);
            if (accept(","))
                c.exStyle = (DWORD)expression(0);
            d.controls.push_back(std::move(c));
            return;
        }
        for (const ControlKind& kind : kinds) {
            if (!Is(t, kind.keyword))
                continue;
            if (kind.hasText) {
                c.text = text();
                accept(",");
            }
            c.id = number();
            accept(",");
            c.className = kind.className;
            readBox(c);
            c.style = (DWORD)(visibleChild | kind.style);
            if (accept(","))
                c.style = (DWORD)expression((long)c.style);
            if (accept(","))
                c.exStyle = (DWORD)expression(0);
            d.controls.push_back(std::move(c));
            return;
        }
        skipLine(t.line);
    }

    void readBox(ControlTemplate& c) {
        c.x = number();
        accept(",");
        c.y = number();
        accept(",");
        c.cx = number();
        accept(",");
        c.cy = number();
    }

    void versionInfo() {
        VersionInfo& v = m_out.version;
        v.present = true;
        auto fourParts = [&](WORD* parts) {
            for (int i = 0; i < 4; ++i) {
                parts[i] = (WORD)number();
                if (i < 3 && !accept(","))
                    break;
            }
        };
        while (!atEnd() && !IsBegin(peek())) {
            const Token& t = next();
            if (Is(t, "FILEVERSION"))
                fourParts(v.fileVersion);
            else if (Is(t, "PRODUCTVERSION"))
                fourParts(v.productVersion);
            else if (Is(t, "FILEFLAGSMASK"))
                v.fileFlagsMask = (DWORD)number();
            else if (Is(t, "FILEFLAGS"))
                v.fileFlags = (DWORD)number();
            else if (Is(t, "FILEOS"))
                v.fileOS = (DWORD)number();
            else if (Is(t, "FILETYPE"))
                v.fileType = (DWORD)number();
            else if (Is(t, "FILESUBTYPE"))
                v.fileSubtype = (DWORD)number();
        }
        versionBlock("");
    }

    // BEGIN { BLOCK "name" <block> | VALUE "key", values } END
    void versionBlock(const std::string& path) {
        if (!IsBegin(peek()))
            return;
        next();
        while (!atEnd() && !IsEnd(peek())) {
            const Token& t = next();
            if (Is(t, "BLOCK")) {
                std::string name = peek().kind == Token::String ? next().text : std::string();
                if (path == "StringFileInfo")
                    m_out.version.stringBlock = name;
                versionBlock(path.empty() ? name : path + "/" + name);
            } else if (Is(t, "VALUE")) {
                const std::string key = peek().kind == Token::String ? next().text : std::string();
                while (accept(",")) {
                    if (peek().kind == Token::String) {
                        std::u16string value = text();
                        if (path.rfind("StringFileInfo/", 0) == 0)
                            m_out.version.strings[key] = value;
                    } else {
                        long n = expression(0);
                        if (key == "Translation")
                            m_out.version.translation.push_back((DWORD)n);
                    }
                }
            }
        }
        next();
    }

    std::vector<Token> m_tokens;
    size_t m_pos = 0;
    ResourceScript& m_out;
    WORD m_language = 0;
};

} // namespace

const FileResource* ResourceScript::file(std::string_view type, int id) const {
    for (const FileResource& f : files)
        if (f.type == type && f.id == id)
            return &f;
    return nullptr;
}

ResourceScript ParseResourceScript(std::string_view script, std::string_view header) {
    ResourceScript out;
    Parser(Tokenize(header), out).run();
    Parser(Tokenize(script), out).run();
    return out;
}

namespace {

// Set once during the program's static initialisation, read afterwards.
struct ProgramResources {
    const EmbeddedFile* files = nullptr;
    const char* script = "";
    const char* header = "";
};
constinit ProgramResources programResources;

} // namespace

const EmbeddedFile* FindEmbeddedFile(std::string_view name) {
    // Scripts name files with a folder at times ("res\\x.ico"); the embedded ones have none.
    size_t slash = name.find_last_of("\\/");
    if (slash != std::string_view::npos)
        name = name.substr(slash + 1);
    for (const EmbeddedFile* f = programResources.files; f && f->name; ++f)
        if (name == f->name)
            return f;
    return nullptr;
}

const ResourceScript& Resources() {
    static const ResourceScript script = [] {
        const EmbeddedFile* rc = FindEmbeddedFile(programResources.script);
        const EmbeddedFile* header = FindEmbeddedFile(programResources.header);
        auto view = [](const EmbeddedFile* f) {
            return f ? std::string_view((const char*)f->data, f->size) : std::string_view();
        };
        return ParseResourceScript(view(rc), view(header));
    }();
    return script;
}

} // namespace platform::resources

void platform::SetResourceFiles(const EmbeddedFile* files, const char* script, const char* header) {
    resources::programResources = {files, script, header};
}
