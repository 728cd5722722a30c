// The control loop and the console's Ctrl+C, in-process: Windows only.
#include "ControlLoop.h"
#include "ControlLoopIo.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <fcntl.h>
#include <io.h>

#include <csignal>
#include <cstdio>
#include <string>
#include <thread>

namespace {

// A line from the reading end of a pipe, its line feed included; empty when the pipe ends.
std::string LineFrom(HANDLE pipe)
{
    std::string line;
    char c = 0;
    DWORD got = 0;
    while (line.empty() || line.back() != '\n') {
        if (!ReadFile(pipe, &c, 1, &got, nullptr) || got == 0)
            return {};
        line += c;
    }
    return line;
}

BOOL WINAPI NotTakenByTheLoop(DWORD)
{
    std::fputs("the control loop took no console event\n", stderr);
    std::fflush(stderr);
    ExitProcess(1);
}

} // namespace

// Its input ended, the loop is left waiting for a request to stop: the console's Ctrl+C ends it
// and it says so.
TEST(SimControlLoop, EndsOnTheConsolesCtrlCOnceItsInputHasEnded)
{
    // A console of the test's own to press Ctrl+C on (a test runs with none, or one it shares).
    FreeConsole();
    ASSERT_TRUE(AllocConsole());
    ShowWindow(GetConsoleWindow(), SW_HIDE);
    // Handlers are called last one first: this one only when the loop's took nothing. The
    // system's own would end the test, under Wine with the exit code of a pass.
    SetConsoleCtrlHandler(NotTakenByTheLoop, TRUE);
    sim::HoldStopRequests();

    HANDLE answersRead = nullptr;
    HANDLE answersWrite = nullptr;
    ASSERT_TRUE(CreatePipe(&answersRead, &answersWrite, nullptr, 0));
    std::FILE* answers =
        _fdopen(_open_osfhandle(reinterpret_cast<intptr_t>(answersWrite), _O_WRONLY | _O_BINARY),
                "wb");
    ASSERT_NE(answers, nullptr);
    const InputPipe input("counters");  // a last line without its line feed
    sim::Module module;
    sim::ControlTarget target{module};
    int result = -1;
    std::thread loop([&] { result = sim::RunControlLoop(input.ReadEnd(), answers, target); });

    EXPECT_EQ(LineFrom(answersRead), "requests 0 replies 0 garbage 0\n") << "the input's end";
    EXPECT_TRUE(GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0));
    loop.join();
    EXPECT_EQ(result, SIGINT);

    std::fclose(answers);
    CloseHandle(answersRead);
    FreeConsole();
}
