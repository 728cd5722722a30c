#include "HandleTable.h"

namespace driverlib {

uint32_t HandleTable::Add(std::unique_ptr<DriverSession> session)
{
    std::lock_guard lock(mutex_);
    if (sessions_.size() >= MaximumOpen)
        return 0;
    do
        ++lastHandle_;
    while (lastHandle_ == 0 || sessions_.count(lastHandle_) != 0);
    sessions_.emplace(lastHandle_, std::move(session));
    return lastHandle_;
}

std::shared_ptr<DriverSession> HandleTable::Find(uint32_t handle) const
{
    std::lock_guard lock(mutex_);
    const auto found = sessions_.find(handle);
    return found == sessions_.end() ? nullptr : found->second;
}

std::shared_ptr<DriverSession> HandleTable::Remove(uint32_t handle)
{
    std::lock_guard lock(mutex_);
    const auto found = sessions_.find(handle);
    if (found == sessions_.end())
        return nullptr;
    auto session = std::move(found->second);
    sessions_.erase(found);
    return session;
}

size_t HandleTable::OpenCount() const
{
    std::lock_guard lock(mutex_);
    return sessions_.size();
}

HandleTable& Sessions()
{
    static HandleTable table;
    return table;
}

} // namespace driverlib
