// Showing a window's surface: upload what changed to a streaming texture, then render it 1:1.
#include "platform/backend/sdl/sdl_desktop.h"

#include <cstring>

namespace platform::sdl {

namespace {

// Copies the surface's `box` into the same place of the texture; false if the texture
// cannot be locked.
bool Upload(SDL_Texture* texture, const gdi::Surface& surface, const gdi::PixelBox& box) {
    const SDL_Rect rect{int(box.left), int(box.top), int(box.width()), int(box.height())};
    void* pixels = nullptr;
    int pitch = 0;
    if (SDL_LockTexture(texture, &rect, &pixels, &pitch) != 0)
        return false;
    for (int y = 0; y < rect.h; ++y)
        std::memcpy(static_cast<uint8_t*>(pixels) + ptrdiff_t(y) * pitch,
                    surface.row(rect.y + y) + rect.x, size_t(rect.w) * 4);
    SDL_UnlockTexture(texture);
    return true;
}

} // namespace

void SdlBackend::present(HWND hwnd, gdi::Surface& surface) {
    if (!onUiThread(false))
        return;
    DesktopWindow* w = find(hwnd);
    if (!w || !w->renderer)
        return;
    int width = 0, height = 0;
    {
        std::lock_guard lock(surface.mutex());
        width = surface.width();
        height = surface.height();
        gdi::PixelBox changed = surface.takeDrawn();
        if (width > 0 && height > 0 && (width != w->textureWidth || height != w->textureHeight)) {
            if (w->texture)
                SDL_DestroyTexture(w->texture);
            w->texture = SDL_CreateTexture(w->renderer, SDL_PIXELFORMAT_RGB888,
                                           SDL_TEXTUREACCESS_STREAMING, width, height);
            w->textureWidth = w->texture ? width : 0;
            w->textureHeight = w->texture ? height : 0;
            changed = gdi::PixelBox{0, 0, width, height}; // a new texture holds nothing yet
        }
        // Kept for the next present when it cannot be uploaded now.
        if (!changed.empty() && (!w->texture || !Upload(w->texture, surface, changed)))
            surface.addDrawn(changed);
    }
    // During a resize the surface may briefly differ from the window: it is shown 1:1 from
    // the top left, the rest black, until the window manager resizes it.
    SDL_SetRenderDrawColor(w->renderer, 0, 0, 0, 255);
    SDL_RenderClear(w->renderer);
    if (w->textureWidth > 0) {
        const SDL_Rect target{0, 0, w->textureWidth, w->textureHeight};
        SDL_RenderCopy(w->renderer, w->texture, nullptr, &target);
    }
    SDL_RenderPresent(w->renderer);
}

} // namespace platform::sdl
