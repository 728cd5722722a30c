// The open connections of one driver library, by handle. Handles start at 1 and are never
// reused while the library stays loaded, so a stale handle cannot reach a newer connection.
#pragma once

#include "DriverSession.h"

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>

namespace driverlib {

class HandleTable {
public:
    static constexpr size_t MaximumOpen = 64;

    // The new handle, or 0 when MaximumOpen connections are open already.
    uint32_t Add(std::unique_ptr<DriverSession> session);
    std::shared_ptr<DriverSession> Find(uint32_t handle) const;
    // The session, which closes once the last user lets go of it; empty for an unknown handle.
    std::shared_ptr<DriverSession> Remove(uint32_t handle);
    size_t OpenCount() const;

private:
    mutable std::mutex mutex_;
    std::map<uint32_t, std::shared_ptr<DriverSession>> sessions_;
    uint32_t lastHandle_ = 0;
};

// The table of this library.
HandleTable& Sessions();

} // namespace driverlib
