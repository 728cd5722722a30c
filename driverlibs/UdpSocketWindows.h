// Winsock's part of UdpSocket.h that the tests reach.
#pragma once

#include <cstdint>

namespace driverlib {

// The codes of a failed connect or send, and of a failed receive, by WSAGetLastError. A UDP
// socket learns of an ICMP port unreachable from the converter's host as WSAECONNRESET on the
// next receive (or send), where Linux says ECONNREFUSED.
int32_t CodeOfSendError(int error);
int32_t CodeOfReceiveError(int error);

// Starts Winsock 2.2 for the process the first time it is asked; false when it would not start.
bool WinsockStarted();

} // namespace driverlib
