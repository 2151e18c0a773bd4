#pragma once

#include <mivra/Network/IpAddress.hpp>
#include <mivra/Network/Socket.hpp>
#include <mivra/System/Time.hpp>

#include <netinet/in.h>

#include <chrono>
#include <string>

namespace mivra::detail
{
sockaddr_in makeAddress(IpAddress address, unsigned short port);
IpAddress addressOf(const sockaddr_in& address);

// Binds the handle to the local address and port; false with errno telling why on failure.
bool bindHandle(int handle, IpAddress address, unsigned short port);

// Status for the errno left by a failed send/recv/accept: NotReady for EAGAIN, Disconnected for
// a reset or closed connection, Error otherwise.
Socket::Status statusFromErrno(int error);

void setNonBlocking(int handle, bool nonBlocking);

using Deadline = std::chrono::steady_clock::time_point;

// The moment a time-out starts now ends.
Deadline deadlineAfter(Time timeout);
// What is left until the deadline; zero once it has passed.
Time remainingUntil(Deadline deadline);

// Waits until the handle is ready for events (or has failed), at most until the deadline; once it
// has passed, only looks. A signal neither cuts the wait short nor moves the deadline. Returns
// poll's result: above 0 when ready, 0 on time-out, -1 on failure (errno tells why).
int waitUntil(int handle, short events, Deadline deadline);
// The same for a time-out from now; a zero or negative time-out waits without limit.
int waitUntilReady(int handle, short events, Time timeout);

// One line through the diagnostics sink: "mivra: <what>: <reason>".
void reportError(const std::string& what, int error);
void reportError(const std::string& what);

std::string describe(IpAddress address, unsigned short port);

// The local or remote port / address of a connected or bound handle; 0 / empty on failure.
unsigned short localPort(int handle);
} // namespace mivra::detail
