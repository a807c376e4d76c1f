#include "app/fontstartup.h"

#include <QtGlobal>

#include <system_error>

#ifdef Q_OS_LINUX
#include <fontconfig/fontconfig.h>
#endif

FontStartup::FontStartup()
{
#ifdef Q_OS_LINUX
    try {
        m_thread = std::thread([] { FcInit(); });
    } catch (const std::system_error &) {
        // No thread to spare: Qt reads the configuration itself when it first needs a font.
    }
#endif
}

FontStartup::~FontStartup()
{
    join();
}

void FontStartup::join()
{
    if (m_thread.joinable())
        m_thread.join();
}
