#include "SimChild.h"

#include <windows.h>

#include <atomic>
#include <string>
#include <string_view>

namespace {

constexpr DWORD OutputLimitMs = 10000;  // only a broken simulator takes this long
constexpr DWORD EndLimitMs = 10000;

std::wstring Wide(const std::string& utf8)
{
    const int size = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), nullptr, 0);
    std::wstring wide(size_t(size), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), wide.data(), size);
    return wide;
}

// One argument as CommandLineToArgvW and the C runtime read it back: quoted when it has blanks
// or quotes, backslashes doubled only before a quote.
std::wstring Quoted(const std::wstring& argument)
{
    if (!argument.empty() && argument.find_first_of(L" \t\"") == std::wstring::npos)
        return argument;
    std::wstring quoted = L"\"";
    size_t backslashes = 0;
    for (const wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        quoted.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(backslashes * 2, L'\\');
    return quoted + L'"';
}

// serkon-sim.exe, found from the test program's own folder.
std::wstring Program()
{
    wchar_t self[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring folder(self, length);
    folder.erase(folder.find_last_of(L"\\/") + 1);
    return folder + Wide(SERKON_SIM_FROM_TESTS);
}

// The read end overlapped, so that a read can wait with a limit: an anonymous pipe cannot.
bool OutputPipe(HANDLE& readEnd, HANDLE& writeEnd)
{
    static std::atomic<int> count{0};
    const std::wstring name = L"\\\\.\\pipe\\serkon-sim-test-" + std::to_wstring(GetCurrentProcessId())
        + L'-' + std::to_wstring(++count);
    readEnd = CreateNamedPipeW(name.c_str(), PIPE_ACCESS_INBOUND | FILE_FLAG_OVERLAPPED
                                   | FILE_FLAG_FIRST_PIPE_INSTANCE,
                               PIPE_TYPE_BYTE | PIPE_WAIT, 1, 65536, 65536, 0, nullptr);
    if (readEnd == INVALID_HANDLE_VALUE)
        return false;
    SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
    writeEnd = CreateFileW(name.c_str(), GENERIC_WRITE, 0, &inherited, OPEN_EXISTING, 0, nullptr);
    return writeEnd != INVALID_HANDLE_VALUE;
}

HANDLE InputFor(SimChild::Input input, HANDLE& commands)
{
    SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
    if (input == SimChild::Input::Null)
        return CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherited,
                           OPEN_EXISTING, 0, nullptr);
    HANDLE readEnd = nullptr;
    if (input == SimChild::Input::Closed || !CreatePipe(&readEnd, &commands, &inherited, 0))
        return nullptr;
    SetHandleInformation(commands, HANDLE_FLAG_INHERIT, 0);
    return readEnd;
}

// The test itself shares the child's console while it sends the event, and the event reaches
// every process on that console: the test lets it pass.
BOOL WINAPI LetConsoleEventsPass(DWORD event)
{
    return event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT;
}

// Ctrl+C or Ctrl+Break on the child's console, as a user at it would press them; false when
// the console does not take it.
bool PressOnConsoleOf(DWORD processId, DWORD event)
{
    static const bool passing = SetConsoleCtrlHandler(LetConsoleEventsPass, TRUE) != 0;
    (void)passing;
    const bool hadConsole = FreeConsole() != 0;
    bool pressed = false;
    if (AttachConsole(processId)) {
        pressed = GenerateConsoleCtrlEvent(event, 0) != 0;
        FreeConsole();
    }
    if (hadConsole)
        AttachConsole(ATTACH_PARENT_PROCESS);
    return pressed;
}

} // namespace

SimChild::SimChild(const std::vector<std::string>& options, Input input)
{
    HANDLE outputWrite = nullptr;
    HANDLE output = nullptr;
    if (!OutputPipe(output, outputWrite))
        return;
    output_ = output;
    HANDLE commands = nullptr;
    const HANDLE inputRead = InputFor(input, commands);
    commands_ = commands;

    const std::wstring program = Program();
    std::wstring commandLine = Quoted(program);
    for (const std::string& option : options)
        commandLine += L' ' + Quoted(Wide(option));
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    startup.hStdInput = inputRead;
    startup.hStdOutput = outputWrite;
    startup.hStdError = outputWrite;
    PROCESS_INFORMATION started{};
    // A console of its own, hidden, for the console events of Stop and Interrupt.
    if (CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                       CREATE_NEW_CONSOLE, nullptr, nullptr, &startup, &started)) {
        CloseHandle(started.hThread);
        process_ = started.hProcess;
        id_ = started.dwProcessId;
    }
    CloseHandle(outputWrite);
    if (inputRead)
        CloseHandle(inputRead);
}

SimChild::~SimChild()
{
    if (Stop() == -1 && process_ != sim::NoHandle) {
        TerminateProcess(process_, 1);
        CloseHandle(process_);
    }
    if (output_ != sim::NoHandle)
        CloseHandle(output_);
    CloseInput();
}

// The output ends when the program has ended and the pipe is empty: under Wine the pipe's end
// of file sometimes comes seconds after the program's end (another process holding a copy of
// its writing end, most likely the console host Wine starts for the program).
bool SimChild::ReadMore()
{
    if (output_ == sim::NoHandle)
        return false;
    for (;;) {
        char chunk[512];
        OVERLAPPED read{};
        read.hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        DWORD got = 0;
        bool done = ReadFile(output_, chunk, sizeof chunk, &got, &read) != 0;
        bool ended = false;
        if (!done && GetLastError() == ERROR_IO_PENDING) {
            const HANDLE waits[2] = {read.hEvent, process_};
            const DWORD count = process_ != sim::NoHandle ? 2 : 1;
            const DWORD woke = WaitForMultipleObjects(count, waits, FALSE, OutputLimitMs);
            ended = woke != WAIT_OBJECT_0;
            if (ended)
                CancelIoEx(output_, &read);
            done = GetOverlappedResult(output_, &read, &got, TRUE) != 0;
        }
        CloseHandle(read.hEvent);
        if (done && got > 0) {
            for (const char c : std::string_view(chunk, got))
                if (c != '\r')
                    pending_ += c;
            return true;
        }
        DWORD waiting = 0;
        if (!ended || !PeekNamedPipe(output_, nullptr, 0, nullptr, &waiting, nullptr) || waiting == 0)
            return false;
    }
}

bool SimChild::Write(const std::string& text)
{
    DWORD written = 0;
    return commands_ != sim::NoHandle
        && WriteFile(commands_, text.data(), DWORD(text.size()), &written, nullptr)
        && written == text.size();
}

void SimChild::CloseInput()
{
    if (commands_ != sim::NoHandle)
        CloseHandle(commands_);
    commands_ = sim::NoHandle;
}

// Wine (8.0) refuses to send Ctrl+Break, which Windows sends to every process on the console
// as it does Ctrl+C: there the stop is a Ctrl+C.
int SimChild::Stop()
{
    if (process_ != sim::NoHandle && !PressOnConsoleOf(id_, CTRL_BREAK_EVENT))
        PressOnConsoleOf(id_, CTRL_C_EVENT);
    return Wait();
}

int SimChild::Interrupt()
{
    if (process_ != sim::NoHandle)
        PressOnConsoleOf(id_, CTRL_C_EVENT);
    return Wait();
}

int SimChild::Wait()
{
    if (process_ == sim::NoHandle || WaitForSingleObject(process_, EndLimitMs) != WAIT_OBJECT_0)
        return -1;
    DWORD code = 0;
    GetExitCodeProcess(process_, &code);
    CloseHandle(process_);
    process_ = sim::NoHandle;
    return int(code);
}
