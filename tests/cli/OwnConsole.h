// Windows: a console of the test process's own, of which it is the only process (with what it
// starts), so that a Ctrl+C generated in it reaches no test runner. The test process ignores the
// Ctrl+C itself. The streams a test runner gave the process stay as they were.
#pragma once

#include <windows.h>

class OwnConsole {
public:
    OwnConsole()
    {
        ::FreeConsole();
        if (!::AllocConsole())
            return;
        if (const HWND window = ::GetConsoleWindow())
            ::ShowWindow(window, SW_HIDE);
        ::SetConsoleCtrlHandler(Swallow, TRUE);
        screen_ = ::CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, 0, nullptr);
    }
    ~OwnConsole()
    {
        if (screen_ != INVALID_HANDLE_VALUE)
            ::CloseHandle(screen_);
        ::SetConsoleCtrlHandler(Swallow, FALSE);
        ::FreeConsole();
    }
    OwnConsole(const OwnConsole&) = delete;
    OwnConsole& operator=(const OwnConsole&) = delete;

    bool Ready() const { return screen_ != INVALID_HANDLE_VALUE; }
    HANDLE Screen() const { return screen_; }

private:
    static BOOL WINAPI Swallow(DWORD) { return TRUE; }

    HANDLE screen_ = INVALID_HANDLE_VALUE;
};

// A standard handle replaced while it exists.
class ReplacedStandardHandle {
public:
    ReplacedStandardHandle(DWORD which, HANDLE handle) : which_(which), previous_(::GetStdHandle(which))
    {
        ::SetStdHandle(which, handle);
    }
    ~ReplacedStandardHandle() { ::SetStdHandle(which_, previous_); }
    ReplacedStandardHandle(const ReplacedStandardHandle&) = delete;
    ReplacedStandardHandle& operator=(const ReplacedStandardHandle&) = delete;

private:
    DWORD which_;
    HANDLE previous_;
};
