#pragma once

#include <thread>

// Has fontconfig read its configuration, a fifth of the work before the window shows, on a
// thread of its own while Qt connects to the display (Linux). Windows has its fonts from the
// system and nothing to start. Nothing may touch fonts before join().
class FontStartup
{
public:
    FontStartup();
    ~FontStartup();
    FontStartup(const FontStartup &) = delete;
    FontStartup &operator=(const FontStartup &) = delete;

    void join();

private:
    std::thread m_thread;
};
