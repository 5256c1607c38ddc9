// Names the resource compiler knows from its own headers.
#include <string_view>
#include <unordered_map>

#include "platform/framework/resources.h"
#include "platform/win32/constants.h"

namespace platform::resources {

long BuiltInSymbol(std::string_view name, bool& found) {
    static const std::unordered_map<std::string_view, long> symbols = {
        {"WS_OVERLAPPED", WS_OVERLAPPED},
        {"WS_POPUP", (long)WS_POPUP},
        {"WS_CHILD", WS_CHILD},
        {"WS_MINIMIZE", WS_MINIMIZE},
        {"WS_VISIBLE", WS_VISIBLE},
        {"WS_DISABLED", WS_DISABLED},
        {"WS_CLIPSIBLINGS", WS_CLIPSIBLINGS},
        {"WS_CLIPCHILDREN", WS_CLIPCHILDREN},
        {"WS_MAXIMIZE", WS_MAXIMIZE},
        {"WS_CAPTION", WS_CAPTION},
        {"WS_BORDER", WS_BORDER},
        {"WS_DLGFRAME", WS_DLGFRAME},
        {"WS_VSCROLL", WS_VSCROLL},
        {"WS_HSCROLL", WS_HSCROLL},
        {"WS_SYSMENU", WS_SYSMENU},
        {"WS_THICKFRAME", WS_THICKFRAME},
        {"WS_GROUP", WS_GROUP},
        {"WS_TABSTOP", WS_TABSTOP},
        {"WS_MINIMIZEBOX", WS_MINIMIZEBOX},
        {"WS_MAXIMIZEBOX", WS_MAXIMIZEBOX},
        {"WS_EX_DLGMODALFRAME", WS_EX_DLGMODALFRAME},
        {"WS_EX_TOPMOST", WS_EX_TOPMOST},
        {"WS_EX_TRANSPARENT", WS_EX_TRANSPARENT},
        {"WS_EX_TOOLWINDOW", 0x80},
        {"WS_EX_WINDOWEDGE", 0x100},
        {"WS_EX_CLIENTEDGE", 0x200},
        {"WS_EX_STATICEDGE", 0x20000},
        {"WS_EX_APPWINDOW", WS_EX_APPWINDOW},
        {"DS_ABSALIGN", 0x01},
        {"DS_SYSMODAL", 0x02},
        {"DS_FIXEDSYS", DS_FIXEDSYS},
        {"DS_LOCALEDIT", 0x20},
        {"DS_SETFONT", DS_SETFONT},
        {"DS_MODALFRAME", DS_MODALFRAME},
        {"DS_NOIDLEMSG", 0x100},
        {"DS_SETFOREGROUND", 0x200},
        {"DS_3DLOOK", 0x04},
        {"DS_NOFAILCREATE", 0x10},
        {"DS_CONTROL", 0x400},
        {"DS_CENTER", DS_CENTER},
        {"DS_CENTERMOUSE", 0x1000},
        {"DS_CONTEXTHELP", 0x2000},
        {"DS_SHELLFONT", DS_SHELLFONT},
        {"SS_LEFT", 0x0},
        {"SS_CENTER", 0x1},
        {"SS_RIGHT", 0x2},
        {"SS_ICON", 0x3},
        {"SS_BLACKRECT", SS_BLACKRECT},
        {"SS_GRAYRECT", 0x5},
        {"SS_WHITERECT", 0x6},
        {"SS_BLACKFRAME", SS_BLACKFRAME},
        {"SS_GRAYFRAME", 0x8},
        {"SS_WHITEFRAME", 0x9},
        {"SS_SIMPLE", 0xB},
        {"SS_LEFTNOWORDWRAP", 0xC},
        {"SS_BITMAP", 0xE},
        {"SS_ETCHEDFRAME", 0x12},
        {"SS_NOPREFIX", 0x80},
        {"SS_NOTIFY", SS_NOTIFY},
        {"SS_CENTERIMAGE", SS_CENTERIMAGE},
        {"SS_RIGHTJUST", SS_RIGHTJUST},
        {"SS_REALSIZEIMAGE", SS_REALSIZEIMAGE},
        {"SS_SUNKEN", 0x1000},
        {"LBS_NOTIFY", LBS_NOTIFY},
        {"LBS_SORT", LBS_SORT},
        {"LBS_NOREDRAW", 0x4},
        {"LBS_MULTIPLESEL", 0x8},
        {"LBS_OWNERDRAWFIXED", 0x10},
        {"LBS_HASSTRINGS", LBS_HASSTRINGS},
        {"LBS_USETABSTOPS", 0x80},
        {"LBS_NOINTEGRALHEIGHT", LBS_NOINTEGRALHEIGHT},
        {"LBS_MULTICOLUMN", 0x200},
        {"LBS_WANTKEYBOARDINPUT", 0x400},
        {"LBS_EXTENDEDSEL", 0x800},
        {"LBS_DISABLENOSCROLL", 0x1000},
        {"LBS_NOSEL", 0x4000},
        {"LBS_STANDARD", 0xA00003},
        {"BS_PUSHBUTTON", 0x0},
        {"BS_DEFPUSHBUTTON", 0x1},
        {"BS_CHECKBOX", 0x2},
        {"BS_AUTOCHECKBOX", 0x3},
        {"BS_RADIOBUTTON", 0x4},
        {"BS_GROUPBOX", 0x7},
        {"BS_AUTORADIOBUTTON", 0x9},
        {"ES_LEFT", 0x0},
        {"ES_CENTER", 0x1},
        {"ES_RIGHT", 0x2},
        {"ES_MULTILINE", 0x4},
        {"ES_AUTOHSCROLL", 0x80},
        {"ES_READONLY", 0x800},
        {"IDOK", IDOK},
        {"IDCANCEL", IDCANCEL},
        {"IDC_STATIC", IDC_STATIC},
        {"LANG_NEUTRAL", 0x00},
        {"LANG_CHINESE", 0x04},
        {"LANG_ENGLISH", 0x09},
        {"SUBLANG_NEUTRAL", 0x00},
        {"SUBLANG_DEFAULT", 0x01},
        {"SUBLANG_SYS_DEFAULT", 0x02},
        {"SUBLANG_CHINESE_SIMPLIFIED", 0x02},
        {"SUBLANG_ENGLISH_US", 0x01},
        {"VS_VERSION_INFO", 1},
        {"VS_FF_DEBUG", 0x1},
        {"VS_FFI_FILEFLAGSMASK", 0x3F},
        {"VOS_NT_WINDOWS32", 0x40004},
        {"VOS__WINDOWS32", 0x4},
        {"VFT_APP", 0x1},
        {"VFT_DLL", 0x2},
        {"VFT2_UNKNOWN", 0x0},
        {"RT_MANIFEST", 24},
        {"CREATEPROCESS_MANIFEST_RESOURCE_ID", 1},
    };
    auto it = symbols.find(name);
    found = it != symbols.end();
    return found ? it->second : 0;
}

int DialogUnitsToPixelsX(int dlu) {
    const long long n = (long long)dlu * kBaseUnitX;
    return (int)(n >= 0 ? (n + 2) / 4 : -((-n + 2) / 4));
}

int DialogUnitsToPixelsY(int dlu) {
    const long long n = (long long)dlu * kBaseUnitY;
    return (int)(n >= 0 ? (n + 4) / 8 : -((-n + 4) / 8));
}

} // namespace platform::resources
