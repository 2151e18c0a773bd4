#pragma once

#include <mivra/Audio/SoundRecorder.hpp>
#include <mivra/Network/IpAddress.hpp>
#include <mivra/Network/TcpSocket.hpp>

#include <cstdint>

// Records the microphone and sends every captured batch to the server as one packet, over one
// connection that lives exactly as long as the capture.
class NetworkRecorder : public mivra::SoundRecorder
{
public:
    // A server that has not taken a packet within this time (the kernel's send buffer, seconds of
    // audio, being full already) counts as gone and ends the capture. Short enough that Enter still
    // ends a recording within two seconds: stop() waits for the send under way, at most one more
    // and the end-of-stream packet, and the first time-out closes the connection.
    static constexpr mivra::Time defaultSendTimeout = mivra::milliseconds(500);

    NetworkRecorder(mivra::IpAddress serverAddress, std::uint16_t serverPort,
                    mivra::Time sendTimeout = defaultSendTimeout);
    ~NetworkRecorder() override;

protected:
    bool onCaptureStart() override;
    bool onCapturedSamples(const std::int16_t* samples, std::size_t sampleCount) override;
    void onCaptureStop() override;

private:
    mivra::IpAddress serverAddress;
    std::uint16_t serverPort;
    mivra::TcpSocket socket;
    mivra::Time sendTimeout;
};
