// libass set up to draw scripts on a frame of a given size, with the system's fonts.
#pragma once

extern "C" {
#include <ass/ass.h>
}

namespace tavelkor {

struct AssEngine {
    AssEngine(int width, int height) {
        // libass's messages (its versions, font lookups) stay off the terminal.
        ass_set_message_cb(Library, [](int, const char*, va_list, void*) {}, nullptr);
        Renderer = ass_renderer_init(Library);
        ass_set_frame_size(Renderer, width, height);
        ass_set_storage_size(Renderer, width, height);
        ass_set_fonts(Renderer, nullptr, "sans-serif", ASS_FONTPROVIDER_AUTODETECT, nullptr, 1);
    }
    ~AssEngine() {
        ass_renderer_done(Renderer);
        ass_library_done(Library);
    }
    AssEngine(const AssEngine&) = delete;
    AssEngine& operator=(const AssEngine&) = delete;

    ASS_Library* Library = ass_library_init();
    ASS_Renderer* Renderer = nullptr;
};

} // namespace tavelkor
