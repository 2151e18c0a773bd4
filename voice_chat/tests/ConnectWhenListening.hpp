#pragma once

#include <mivra/Network.hpp>
#include <mivra/System/Diagnostics.hpp>
#include <mivra/System/Sleep.hpp>

// Connects `client` to a server on this machine that is about to listen on `port`, trying for about
// five seconds. The refusals until it listens are expected, so they are not reported.
inline bool connectWhenListening(mivra::TcpSocket& client, unsigned short port)
{
    const mivra::DiagnosticHandler previous = mivra::setDiagnosticHandler({});
    bool connected = false;
    for (int attempt = 0; attempt < 500 && !connected; ++attempt)
    {
        connected = client.connect(mivra::IpAddress::LocalHost, port, mivra::seconds(1)) == mivra::Socket::Status::Done;
        if (!connected)
            mivra::sleep(mivra::milliseconds(10));
    }
    mivra::setDiagnosticHandler(previous);
    return connected;
}
