#pragma once

#include <mivra/Network/IpAddress.hpp>
#include <mivra/Network/Socket.hpp>
#include <mivra/System/Time.hpp>

#include <netinet/in.h>

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

// Waits until the handle is ready for events (or has failed), at most timeout; a zero or negative
// time-out waits without limit. A signal does not cut the wait short. Returns poll's result: above
// 0 when ready, 0 on time-out, -1 on failure (errno tells why).
int waitUntilReady(int handle, short events, Time timeout);

// One line through the diagnostics sink: "mivra: <what>: <reason>".
void reportError(const std::string& what, int error);
void reportError(const std::string& what);

std::string describe(IpAddress address, unsigned short port);

// The local or remote port / address of a connected or bound handle; 0 / empty on failure.
unsigned short localPort(int handle);
} // namespace mivra::detail
