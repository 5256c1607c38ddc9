// The program's resource script with its header (as handed over by SetResourceFiles), read at
// first use. It is the one source of the dialog template, strings, icons and version block.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "platform/framework/embedded_files.h"
#include "platform/win32/types.h"

namespace platform::resources {

struct ControlTemplate {
    std::u16string text;
    int id = 0;
    std::u16string className;
    DWORD style = 0;
    DWORD exStyle = 0;
    int x = 0, y = 0, cx = 0, cy = 0; // dialog units
};

struct DialogTemplate {
    int id = 0;
    WORD language = 0;
    DWORD style = 0;
    DWORD exStyle = 0;
    DWORD helpId = 0;
    int x = 0, y = 0, cx = 0, cy = 0; // dialog units; cx and cy are the client area
    std::u16string caption;
    int fontPointSize = 0;
    int fontWeight = 0;
    bool fontItalic = false;
    int fontCharset = 0;
    std::u16string fontFace;
    std::vector<ControlTemplate> controls;
};

// A resource kept in a file beside the script: icons, the manifest, custom types.
struct FileResource {
    std::string type; // "ICON", "PNG", "RT_MANIFEST", ...
    int id = 0;
    WORD language = 0;
    std::string file; // as written in the script
};

struct VersionInfo {
    bool present = false;
    WORD fileVersion[4] = {0, 0, 0, 0};
    WORD productVersion[4] = {0, 0, 0, 0};
    DWORD fileFlagsMask = 0, fileFlags = 0, fileOS = 0, fileType = 0, fileSubtype = 0;
    std::string stringBlock; // e.g. "080404b0"
    std::map<std::string, std::u16string> strings;
    std::vector<DWORD> translation;
};

struct ResourceScript {
    std::map<int, DialogTemplate> dialogs;
    std::map<int, std::u16string> strings;
    std::map<int, WORD> stringLanguages;
    std::vector<FileResource> files;
    VersionInfo version;
    std::map<std::string, long> symbols; // from the header, then the script's own

    const FileResource* file(std::string_view type, int id) const;
};

// Reads a script; bad input yields what could be read, never an error.
ResourceScript ParseResourceScript(std::string_view script, std::string_view header);

// The embedded script, parsed once.
const ResourceScript& Resources();

const EmbeddedFile* FindEmbeddedFile(std::string_view name);

// Dialog units to pixels for "MS Shell Dlg" 9 pt at 96 DPI, whose dialog base units are
// 6 x 13 pixels: x px = MulDiv(dlu, 6, 4), y px = MulDiv(dlu, 13, 8), rounded as MulDiv does.
constexpr int kBaseUnitX = 6;
constexpr int kBaseUnitY = 13;
int DialogUnitsToPixelsX(int dlu);
int DialogUnitsToPixelsY(int dlu);

// Symbols the resource compiler's own headers define (styles, languages, types).
long BuiltInSymbol(std::string_view name, bool& found);

} // namespace platform::resources
