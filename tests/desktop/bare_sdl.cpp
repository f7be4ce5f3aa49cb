// The baseline the host's figures are compared with: a bare SDL2 program
// that opens a 640 x 500 window with the same framebuffer hint as the host,
// presents one frame through the window surface, and then wakes every
// 300 ms, as the abacus does for its timer. With KELVO_TRACE_FIRST_FRAME=1
// it prints the wall-clock time of its first frame, like the host.
#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

int main(int, char**) {
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        std::fprintf(stderr, "bare_sdl: %s\n", SDL_GetError());
        return 2;
    }
    SDL_Window* window = SDL_CreateWindow("bare sdl", 100, 100, 640, 500, SDL_WINDOW_SHOWN);
    if (!window) return 3;
    SDL_Surface* surface = SDL_GetWindowSurface(window);
    if (!surface) return 4;
    SDL_FillRect(surface, nullptr, SDL_MapRGB(surface->format, 64, 65, 255));
    SDL_UpdateWindowSurface(window);
    const char* trace = std::getenv("KELVO_TRACE_FIRST_FRAME");
    if (trace && std::strcmp(trace, "1") == 0) {
        timespec now;
        clock_gettime(CLOCK_REALTIME, &now);
        std::fprintf(stderr, "kelvo-first-frame %lld.%06ld\n", static_cast<long long>(now.tv_sec),
                     now.tv_nsec / 1000);
    }
    for (;;) {
        SDL_Event e;
        if (SDL_WaitEventTimeout(&e, 300) && e.type == SDL_QUIT) break;
    }
    SDL_DestroyWindow(window);
    SDL_Quit();
    return 0;
}
