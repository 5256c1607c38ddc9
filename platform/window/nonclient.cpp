#include "platform/window/nonclient.h"

#include "platform/win32/constants.h"

namespace platform::window {

int FrameWidth(LONG style, LONG exStyle) {
    if (style & WS_THICKFRAME)
        return kSizingFrameWidth;
    if ((style & WS_DLGFRAME) || (exStyle & WS_EX_DLGMODALFRAME))
        return kDialogFrameWidth;
    if (style & WS_BORDER)
        return kBorderWidth;
    return 0;
}

NonClient NonClientOf(LONG style, LONG exStyle) {
    const int frame = FrameWidth(style, exStyle);
    const int caption = (style & WS_CAPTION) == WS_CAPTION ? kCaptionHeight : 0;
    return {frame, frame + caption, frame, frame};
}

RECT MaximizedRect(const RECT& area, LONG style, LONG exStyle) {
    const int frame = FrameWidth(style, exStyle);
    return {area.left - frame, area.top - frame, area.right + frame, area.bottom + frame};
}

} // namespace platform::window
