#include "SimChild.h"

#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr int OutputLimitMs = 10000;  // only a broken simulator takes this long

} // namespace

SimChild::SimChild(const std::vector<std::string>& options, Input input)
{
    int output[2];
    int commands[2];
    if (::pipe2(output, O_CLOEXEC) != 0 || ::pipe2(commands, O_CLOEXEC) != 0)
        return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, output[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, output[1], STDERR_FILENO);
    if (input == Input::Pipe)
        posix_spawn_file_actions_adddup2(&actions, commands[0], STDIN_FILENO);
    else if (input == Input::Null)
        posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    else
        posix_spawn_file_actions_addclose(&actions, STDIN_FILENO);
    std::vector<std::string> words{SERKON_SIM_PROGRAM};
    words.insert(words.end(), options.begin(), options.end());
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    pid_t pid = -1;
    if (posix_spawn(&pid, SERKON_SIM_PROGRAM, &actions, nullptr, argv.data(), environ) == 0)
        process_ = pid;
    posix_spawn_file_actions_destroy(&actions);
    ::close(output[1]);
    ::close(commands[0]);
    output_ = output[0];
    commands_ = commands[1];
}

SimChild::~SimChild()
{
    Stop();
    ::close(output_);
    CloseInput();
}

bool SimChild::ReadMore()
{
    pollfd entry{output_, POLLIN, 0};
    char chunk[512];
    if (::poll(&entry, 1, OutputLimitMs) != 1)
        return false;
    const ssize_t got = ::read(output_, chunk, sizeof chunk);
    if (got <= 0)
        return false;
    pending_.append(chunk, size_t(got));
    return true;
}

bool SimChild::Write(const std::string& text)
{
    return ::write(commands_, text.data(), text.size()) == ssize_t(text.size());
}

void SimChild::CloseInput()
{
    if (commands_ >= 0)
        ::close(commands_);
    commands_ = -1;
}

int SimChild::Stop()
{
    if (process_ > 0)
        ::kill(process_, SIGTERM);
    return Wait();
}

int SimChild::Interrupt()
{
    if (process_ > 0)
        ::kill(process_, SIGINT);
    return Wait();
}

int SimChild::Wait()
{
    if (process_ <= 0)
        return -1;
    int status = -1;
    ::waitpid(process_, &status, 0);
    process_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}
