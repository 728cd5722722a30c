// Windows: serkon-cli's output to a pipe and to a console, and Ctrl+C in the console.
#include "OwnConsole.h"

#include "tools/cli/Interrupt.h"
#include "tools/cli/StandardStreams.h"

#include <QString>

#include <gtest/gtest.h>

#include <chrono>
#include <string>

namespace {

QByteArray Utf8(const char* text)
{
    return QString::fromUtf8(text).toUtf8();
}

QString ScreenLine(HANDLE screen, SHORT line, DWORD length)
{
    std::wstring shown(length, L' ');
    DWORD read = 0;
    ::ReadConsoleOutputCharacterW(screen, shown.data(), length, COORD{0, line}, &read);
    return QString::fromWCharArray(shown.data(), int(read)).trimmed();
}

} // namespace

// Catches the C library's text mode ("\r\n") and a conversion to a code page on the way to a
// pipe, which the tests and scripts that read serkon-cli's output would meet.
TEST(StandardStreams, APipeGetsTheUtf8BytesAsTheyAre)
{
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    ASSERT_TRUE(::CreatePipe(&readEnd, &writeEnd, nullptr, 0));
    const QByteArray text = Utf8("Konfigurace přečtena.\nKQ-3110  v.1.09\n");
    {
        const ReplacedStandardHandle out(STD_OUTPUT_HANDLE, writeEnd);
        EXPECT_FALSE(IsTerminal(Stream::Out));
        Write(Stream::Out, text);
    }
    ::CloseHandle(writeEnd);
    QByteArray received;
    char buffer[256];
    DWORD read = 0;
    while (::ReadFile(readEnd, buffer, sizeof buffer, &read, nullptr) && read > 0)
        received.append(buffer, qsizetype(read));
    ::CloseHandle(readEnd);
    EXPECT_EQ(received, text);
}

// Catches UTF-8 bytes shown in the console's code page ("PĹ™eÄŤteno"), and a console left
// without virtual terminal processing, where the progress bar's control sequences would show
// as text. (That the console then acts on them is the console's part: Windows 10 does, Wine's
// console does not.)
TEST(StandardStreams, AConsoleShowsTheCzechLettersAndTakesControlSequences)
{
    const OwnConsole console;
    ASSERT_TRUE(console.Ready());
    const HANDLE screen = console.Screen();
    DWORD mode = 0;
    if (!::GetConsoleMode(screen, &mode))
        GTEST_SKIP() << "the console has no screen buffer (Wine gives none without a graphics driver)";
    const ReplacedStandardHandle err(STD_ERROR_HANDLE, screen);
    ASSERT_TRUE(IsTerminal(Stream::Err));
    ASSERT_TRUE(::GetConsoleMode(screen, &mode));
    EXPECT_TRUE(mode & ENABLE_VIRTUAL_TERMINAL_PROCESSING);
    Write(Stream::Err, Utf8("Přečteno: ěščřžýáíéůú\n"));
    EXPECT_EQ(ScreenLine(screen, 0, 40), QString::fromUtf8("Přečteno: ěščřžýáíéůú"));
}

// Catches a handler that does not reach the flag, and a wait that sleeps its whole time: the
// test then waits an hour, and the test run's time limit fails it.
TEST(InterruptWatch, CtrlCRaisesTheFlagAndEndsTheWait)
{
    const OwnConsole console;
    ASSERT_TRUE(console.Ready());
    const InterruptWatch watch;
    EXPECT_FALSE(InterruptWatch::Raised());
    ASSERT_TRUE(::GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0));
    InterruptWatch::Wait(std::chrono::hours(1));
    EXPECT_TRUE(InterruptWatch::Raised());
}
