#include "BusChannel.h"

namespace driverlib {

Attempt CheckedAnswer(const busframe::Request& request, const busframe::Reply& reply)
{
    if (request.address != 0 && reply.address != request.address)
        return Attempt{Outcome::OtherAddress, reply};
    return Attempt{Outcome::Answered, reply};
}

} // namespace driverlib
