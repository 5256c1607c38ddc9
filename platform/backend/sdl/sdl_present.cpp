// Showing a window's surface: upload to a streaming texture, then render it 1:1.
#include "platform/backend/sdl/sdl_desktop.h"

#include <cstring>

namespace platform::sdl {

void SdlBackend::present(HWND hwnd, const gdi::Surface& surface) {
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
        if (width > 0 && height > 0 && (width != w->textureWidth || height != w->textureHeight)) {
            if (w->texture)
                SDL_DestroyTexture(w->texture);
            w->texture = SDL_CreateTexture(w->renderer, SDL_PIXELFORMAT_RGB888,
                                           SDL_TEXTUREACCESS_STREAMING, width, height);
            w->textureWidth = w->texture ? width : 0;
            w->textureHeight = w->texture ? height : 0;
        }
        void* pixels = nullptr;
        int pitch = 0;
        if (w->texture && width > 0 && height > 0 &&
            SDL_LockTexture(w->texture, nullptr, &pixels, &pitch) == 0) {
            for (int y = 0; y < height; ++y)
                std::memcpy(static_cast<uint8_t*>(pixels) + ptrdiff_t(y) * pitch, surface.row(y),
                            size_t(width) * 4);
            SDL_UnlockTexture(w->texture);
        }
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
