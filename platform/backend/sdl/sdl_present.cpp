// Showing a window's surface 1:1 from the window's top left, the rest black.
//
// By default (the software renderer) the box drawn since the last present is copied straight
// into the window's own pixels, which keep what was shown, and only that box goes to the
// display. A renderer chosen by SDL_RENDER_DRIVER gets the box through a streaming texture
// and renders the whole window at each present.
#include "platform/backend/sdl/sdl_desktop.h"

#include <cstring>

namespace platform::sdl {

namespace {

// Words 0x00RRGGBB, as the surface holds them.
constexpr Uint32 kSurfaceFormat = SDL_PIXELFORMAT_RGB888;

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

// Copies the surface's `box` (inside both) into the same place of the window's pixels.
void CopyToWindow(const gdi::Surface& surface, SDL_Surface* window, const gdi::PixelBox& box) {
    const Uint32 format = window->format->format;
    const size_t bytes = size_t(box.width()) * 4;
    for (int64_t y = box.top; y < box.bottom; ++y) {
        const uint32_t* from = surface.row(int(y)) + box.left;
        uint8_t* to = static_cast<uint8_t*>(window->pixels) + y * window->pitch +
                      box.left * window->format->BytesPerPixel;
        if (format == kSurfaceFormat || format == SDL_PIXELFORMAT_ARGB8888)
            std::memcpy(to, from, bytes);
        else
            SDL_ConvertPixels(int(box.width()), 1, kSurfaceFormat, from, int(bytes), format, to,
                              window->pitch);
    }
}

SDL_Rect RectOf(const gdi::PixelBox& box) {
    return SDL_Rect{int(box.left), int(box.top), int(box.width()), int(box.height())};
}

} // namespace

void SdlBackend::present(HWND hwnd, gdi::Surface& surface) {
    if (!onUiThread(false))
        return;
    DesktopWindow* w = find(hwnd);
    if (!w)
        return;
    if (w->renderer)
        presentRendered(*w, surface);
    else
        presentToWindow(*w, surface);
}

void SdlBackend::presentToWindow(DesktopWindow& w, gdi::Surface& surface) {
    SDL_Surface* pixels = SDL_GetWindowSurface(w.window);
    if (!pixels)
        return; // what was drawn stays owed to the next present
    if (SDL_MUSTLOCK(pixels) && SDL_LockSurface(pixels) != 0)
        return;
    const gdi::PixelBox window{0, 0, pixels->w, pixels->h};
    gdi::PixelBox shown;
    bool whole = false;
    {
        std::lock_guard lock(surface.mutex());
        const gdi::PixelBox all{0, 0, surface.width(), surface.height()};
        const gdi::PixelBox changed = surface.takeDrawn();
        // New window pixels (a new size, an expose) hold nothing yet; a present without a
        // drawing (the desktop asked for one) shows everything again too.
        whole =
            w.showAll || pixels->w != w.shownWidth || pixels->h != w.shownHeight || changed.empty();
        if (whole) {
            if (all.width() < window.width() || all.height() < window.height())
                SDL_FillRect(pixels, nullptr, SDL_MapRGB(pixels->format, 0, 0, 0));
            shown = gdi::Intersect(all, window);
        } else {
            shown = gdi::Intersect(changed, window);
        }
        if (!shown.empty())
            CopyToWindow(surface, pixels, shown);
    }
    if (SDL_MUSTLOCK(pixels))
        SDL_UnlockSurface(pixels);
    if (whole) {
        SDL_UpdateWindowSurface(w.window);
        w.showAll = false;
        w.shownWidth = pixels->w;
        w.shownHeight = pixels->h;
    } else if (!shown.empty()) {
        const SDL_Rect rect = RectOf(shown);
        SDL_UpdateWindowSurfaceRects(w.window, &rect, 1);
    }
}

void SdlBackend::presentRendered(DesktopWindow& w, gdi::Surface& surface) {
    {
        std::lock_guard lock(surface.mutex());
        const int width = surface.width();
        const int height = surface.height();
        gdi::PixelBox changed = surface.takeDrawn();
        if (width > 0 && height > 0 && (width != w.textureWidth || height != w.textureHeight)) {
            if (w.texture)
                SDL_DestroyTexture(w.texture);
            w.texture = SDL_CreateTexture(w.renderer, kSurfaceFormat, SDL_TEXTUREACCESS_STREAMING,
                                          width, height);
            w.textureWidth = w.texture ? width : 0;
            w.textureHeight = w.texture ? height : 0;
            changed = gdi::PixelBox{0, 0, width, height}; // a new texture holds nothing yet
        }
        // Kept for the next present when it cannot be uploaded now.
        if (!changed.empty() && (!w.texture || !Upload(w.texture, surface, changed)))
            surface.addDrawn(changed);
    }
    // During a resize the surface may briefly differ from the window: the rest is black until
    // the window manager resizes it.
    SDL_SetRenderDrawColor(w.renderer, 0, 0, 0, 255);
    SDL_RenderClear(w.renderer);
    if (w.textureWidth > 0) {
        const SDL_Rect target{0, 0, w.textureWidth, w.textureHeight};
        SDL_RenderCopy(w.renderer, w.texture, nullptr, &target);
    }
    SDL_RenderPresent(w.renderer);
}

} // namespace platform::sdl
