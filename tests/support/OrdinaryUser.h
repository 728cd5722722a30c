// What tests of the user's files need: an environment variable set for a while, and a process
// that gives up root, for which a read-only folder or an unreadable file is one.
#pragma once

#include <cstdlib>
#include <grp.h>
#include <optional>
#include <string>
#include <unistd.h>

// Root reads and writes every file; a child process that is to meet one it may not gives up
// root first (and ends with code 90 when it cannot).
inline void BecomeAnOrdinaryUser()
{
    if (::geteuid() != 0)
        return;
    const gid_t nobodyGroup = 65534;
    const uid_t nobody = 65534;
    if (::setgroups(0, nullptr) != 0 || ::setgid(nobodyGroup) != 0 || ::setuid(nobody) != 0)
        std::_Exit(90);
}

// Sets an environment variable for the life of the object; null unsets it.
class ScopedVariable {
public:
    ScopedVariable(const char* name, const char* value) : name_(name)
    {
        if (const char* old = std::getenv(name))
            old_ = old;
        Set(value);
    }
    ~ScopedVariable() { Set(old_ ? old_->c_str() : nullptr); }
    ScopedVariable(const ScopedVariable&) = delete;
    ScopedVariable& operator=(const ScopedVariable&) = delete;

private:
    void Set(const char* value) const
    {
        if (value)
            ::setenv(name_, value, 1);
        else
            ::unsetenv(name_);
    }
    const char* name_;
    std::optional<std::string> old_;
};
