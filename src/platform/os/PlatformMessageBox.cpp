#include "platform/os/PlatformMessageBox.h"
#include "platform/os/PlatformSystem.h"

#include <SDL.h>
#include <cstdio>
#include <cstring>

bool PlatHasDisplay()
{
    const char* driver = PlatGetEnv("SDL_VIDEODRIVER");
    if (driver && (!strcmp(driver, "dummy") || !strcmp(driver, "offscreen"))) return false;
    const char* x11 = PlatGetEnv("DISPLAY");
    const char* wayland = PlatGetEnv("WAYLAND_DISPLAY");
    return (x11 && *x11) || (wayland && *wayland);
}

int PlatShowMessageBox(PlatBoxKind kind, const char* title, const char* text, const char* const* buttons)
{
    static const char* const kOk[] = {"OK", nullptr};
    if (!buttons || !buttons[0]) buttons = kOk;
    int count = 0;
    while (buttons[count]) ++count;

    if (PlatHasDisplay()) {
        SDL_MessageBoxButtonData data[8]{};
        if (count > 8) count = 8;
        for (int i = 0; i < count; ++i) {
            data[i].buttonid = i;
            data[i].text = buttons[i];
        }
        data[0].flags = SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT;
        Uint32 flags = kind == PLAT_BOX_ERROR ? SDL_MESSAGEBOX_ERROR
                     : kind == PLAT_BOX_WARNING ? SDL_MESSAGEBOX_WARNING : SDL_MESSAGEBOX_INFORMATION;
        SDL_MessageBoxData box{flags, nullptr, title ? title : "", text ? text : "", count, data, nullptr};
        int chosen = 0;
        if (SDL_ShowMessageBox(&box, &chosen) == 0 && chosen >= 0) return chosen;
    }
    std::fprintf(stderr, "[%s] %s\n", title ? title : "", text ? text : "");
    return 0;
}
