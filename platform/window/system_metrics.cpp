// GetSystemMetrics: the screen from the backend, the rest from the non-client model.
#include "platform/backend/backend.h"
#include "platform/win32/api.h"
#include "platform/win32/constants.h"
#include "platform/window/nonclient.h"

using namespace platform::window;

int GetSystemMetrics(int index) {
    switch (index) {
    case SM_CXSCREEN:
        return platform::CurrentBackend().screenSize().cx;
    case SM_CYSCREEN:
        return platform::CurrentBackend().screenSize().cy;
    case SM_CXBORDER:
    case SM_CYBORDER:
        return kBorderWidth;
    case SM_CXDLGFRAME:
    case SM_CYDLGFRAME:
        return kDialogFrameWidth;
    case SM_CXFRAME:
    case SM_CYFRAME:
        return kSizingFrameWidth;
    case SM_CYCAPTION:
        return kCaptionHeight;
    case SM_CXICON:
    case SM_CYICON:
        return kIconSize;
    case SM_CXSMICON:
    case SM_CYSMICON:
        return kSmallIconSize;
    case SM_CXMINIMIZED:
        return kMinimizedWidth;
    case SM_CYMINIMIZED:
        return kMinimizedHeight;
    case SM_CXMAXTRACK:
        return platform::CurrentBackend().screenSize().cx + kMaxTrackExtra;
    case SM_CYMAXTRACK:
        return platform::CurrentBackend().screenSize().cy + kMaxTrackExtra;
    case SM_CXMAXIMIZED:
        return platform::CurrentBackend().screenSize().cx + 2 * kSizingFrameWidth;
    case SM_CYMAXIMIZED:
        return platform::CurrentBackend().screenSize().cy + 2 * kSizingFrameWidth;
    }
    return 0;
}
