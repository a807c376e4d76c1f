// zrt-startwatch COMMAND [ARGUMENTS…]: starts COMMAND and prints the milliseconds from its
// launch until the X server maps its first window, then ends it (scripts/benchmark.sh).
//
// It waits for the server's MapNotify rather than asking again and again whether a window is
// there: a watcher that polls takes the processor from the program it times, and takes more
// from a slower one.
#include <xcb/xcb.h>

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

constexpr int kTimeoutMs = 20000;

double nowMs()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

int fail(const char *message)
{
    std::fprintf(stderr, "zrt-startwatch: %s\n", message);
    return 1;
}

// Ends the child and collects it; true when it was still running, so that it was ended here.
bool endChild(pid_t child)
{
    int status = 0;
    if (waitpid(child, &status, WNOHANG) == child)
        return false;
    kill(child, SIGTERM);
    waitpid(child, &status, 0);
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc < 2)
        return fail("usage: zrt-startwatch COMMAND [ARGUMENTS...]");

    int screenNumber = 0;
    std::unique_ptr<xcb_connection_t, decltype(&xcb_disconnect)> connection(
        xcb_connect(nullptr, &screenNumber), &xcb_disconnect);
    if (xcb_connection_has_error(connection.get()))
        return fail("cannot reach the X server (DISPLAY)");
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection.get()));
    for (int i = 0; i < screenNumber && screens.rem > 0; ++i)
        xcb_screen_next(&screens);
    if (screens.rem == 0)
        return fail("no such screen");
    const xcb_window_t root = screens.data->root;

    // Subscribed and confirmed by the server before the program starts, so that no map is missed.
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_void_cookie_t subscribed = xcb_change_window_attributes_checked(
        connection.get(), root, XCB_CW_EVENT_MASK, &mask);
    if (xcb_generic_error_t *error = xcb_request_check(connection.get(), subscribed)) {
        std::free(error);
        return fail("cannot watch the root window");
    }

    const double started = nowMs();
    const pid_t child = fork();
    if (child < 0)
        return fail("cannot start the program");
    if (child == 0) {
        execvp(argv[1], argv + 1);
        std::perror(argv[1]);
        _exit(127);
    }

    pollfd watched{xcb_get_file_descriptor(connection.get()), POLLIN, 0};
    for (;;) {
        while (xcb_generic_event_t *event = xcb_poll_for_event(connection.get())) {
            const bool mapped = (event->response_type & 0x7f) == XCB_MAP_NOTIFY;
            std::free(event);
            if (mapped) {
                const double elapsed = nowMs() - started;
                if (!endChild(child))
                    return fail("the program ended as its window was mapped");
                std::printf("%.0f\n", elapsed);
                return std::fflush(stdout) == 0 ? 0 : 1;
            }
        }
        if (xcb_connection_has_error(connection.get())) {
            endChild(child);
            return fail("lost the X server");
        }
        const int remaining = kTimeoutMs - static_cast<int>(nowMs() - started);
        if (remaining <= 0) {
            endChild(child);
            return fail("no window was mapped in time");
        }
        // A child that ends without a window is noticed within a tenth of a second.
        if (poll(&watched, 1, std::min(remaining, 100)) < 0 && errno != EINTR) {
            endChild(child);
            return fail("cannot wait for the X server");
        }
        int status = 0;
        if (waitpid(child, &status, WNOHANG) == child)
            return fail("the program ended before its window was mapped");
    }
}
