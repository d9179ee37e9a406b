#include "platform/console.h"

#include <QtGlobal>
#include <cstdio>

#ifdef Q_OS_WIN
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace Platform {

#ifdef Q_OS_WIN

void prepareStdio()
{
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    SetConsoleOutputCP(CP_UTF8);
}

bool stderrIsTerminal()
{
    // _isatty() is also true for NUL; only a console has a console mode. Older consoles
    // that refuse the escape sequences get the plain summary lines instead.
    const HANDLE handle = GetStdHandle(STD_ERROR_HANDLE);
    DWORD mode = 0;
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE || !GetConsoleMode(handle, &mode))
        return false;
    return (mode & ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0
        || SetConsoleMode(handle, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0;
}

#else

void prepareStdio()
{
}

bool stderrIsTerminal()
{
    return isatty(fileno(stderr)) != 0;
}

#endif

} // namespace Platform
