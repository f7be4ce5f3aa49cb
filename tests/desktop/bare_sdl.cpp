// The baseline the host's figures are compared with: a bare SDL2 program
// that opens a 640 x 500 window with the same framebuffer hint as the host,
// presents one frame through the window surface, and then wakes every
// 300 ms, as the abacus does for its timer. With KELVO_TRACE_FIRST_FRAME=1
// it prints the wall-clock time of its first frame, like the host; with
// KELVO_TRACE_FIRST_FRAME=exit it ends there, so a profiler counts the
// start-up alone.
//
// With --bench it measures, instead of idling, what bench/startup.sh sets
// beside the abacus's figures, and prints one "name microseconds" line each:
//   full-repaint-us  fill the whole window surface and present it
//   bead-move-us     fill and present the rectangles one bead move of the
//                    abacus presents: two 25 x 40 cells, seven 32 x 30 rod
//                    counters and the 180 x 45 total
//   message-us       one user event pushed into SDL's queue and polled out
#include <SDL.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace {

// Monotonic microseconds. Not std::chrono: that would link the C++ run-time
// library, which the abacus needs and the bare program does not, and make
// the bare program's memory figure larger than it is.
double NowMicroseconds() {
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<double>(t.tv_sec) * 1e6 + static_cast<double>(t.tv_nsec) / 1e3;
}

// The mean time of one call of `step`, in microseconds: the median of three
// half-second batches.
template <class Step>
double MicrosecondsPerStep(Step step) {
    double batches[3];
    for (double& batch : batches) {
        const double start = NowMicroseconds();
        long n = 0;
        while (NowMicroseconds() - start < 500000) {
            step(n);
            ++n;
        }
        batch = (NowMicroseconds() - start) / static_cast<double>(n);
    }
    std::sort(batches, batches + 3);
    return batches[1];
}

void Bench(SDL_Window* window, SDL_Surface* surface) {
    const Uint32 colours[2] = {SDL_MapRGB(surface->format, 64, 65, 255),
                               SDL_MapRGB(surface->format, 220, 220, 220)};
    std::printf("full-repaint-us %.2f\n", MicrosecondsPerStep([&](long n) {
                    SDL_FillRect(surface, nullptr, colours[n & 1]);
                    SDL_UpdateWindowSurface(window);
                }));
    // Where the abacus has them, below its 20-pixel menu bar.
    SDL_Rect move[10] = {{268, 245, 25, 40}, {318, 245, 25, 40}, {230, 445, 180, 45}};
    for (int k = 0; k < 7; ++k)
        move[3 + k] = SDL_Rect{378, 130 + 40 * k, 32, 30};
    std::printf("bead-move-us %.2f\n", MicrosecondsPerStep([&](long n) {
                    for (const SDL_Rect& r : move)
                        SDL_FillRect(surface, &r, colours[n & 1]);
                    SDL_UpdateWindowSurfaceRects(window, move, 10);
                }));
    const Uint32 type = SDL_RegisterEvents(1);
    std::printf("message-us %.2f\n", MicrosecondsPerStep([&](long n) {
                    SDL_Event e = {};
                    e.type = type;
                    e.user.code = static_cast<Sint32>(n);
                    SDL_PushEvent(&e);
                    while (SDL_PollEvent(&e) && e.type != type) {
                    }
                }));
}

}  // namespace

int main(int argc, char** argv) {
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
    if (argc > 1 && std::strcmp(argv[1], "--bench") == 0) {
        Bench(window, surface);
        SDL_DestroyWindow(window);
        SDL_Quit();
        return 0;
    }
    const char* trace = std::getenv("KELVO_TRACE_FIRST_FRAME");
    if (trace && (std::strcmp(trace, "1") == 0 || std::strcmp(trace, "exit") == 0)) {
        timespec now;
        clock_gettime(CLOCK_REALTIME, &now);
        std::fprintf(stderr, "kelvo-first-frame %lld.%06ld\n", static_cast<long long>(now.tv_sec),
                     now.tv_nsec / 1000);
        if (std::strcmp(trace, "exit") == 0) std::_Exit(0);
    }
    for (;;) {
        SDL_Event e;
        if (SDL_WaitEventTimeout(&e, 300) && e.type == SDL_QUIT) break;
    }
    SDL_DestroyWindow(window);
    SDL_Quit();
    return 0;
}
