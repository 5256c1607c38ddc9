// The process entry: the framework's entry point runs the application object.
#include "platform/afxwin.h"

int main() {
    static WCHAR commandLine[] = u"";
    return AfxWinMain(GetModuleHandleW(nullptr), nullptr, commandLine, SW_SHOWDEFAULT);
}
