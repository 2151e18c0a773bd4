#include "ClientRole.hpp"

#include "NetworkRecorder.hpp"

#include <mivra/Network/IpAddress.hpp>

#include <iostream>
#include <optional>

void runClient(std::uint16_t port)
{
    if (!mivra::SoundRecorder::isAvailable())
    {
        std::cout << "Sorry, audio capture is not supported by your system" << std::endl;
        return;
    }

    std::optional<mivra::IpAddress> server;
    do
    {
        std::cout << "Type address or name of the server to connect to: ";
        std::cin >> server;
        // Out of input there is no address to wait for.
        if (!std::cin)
        {
            std::cout << std::endl;
            return;
        }
    } while (!server);

    NetworkRecorder recorder(*server, port);

    std::cin.ignore(10000, '\n');
    std::cout << "Press enter to start recording audio";
    std::cin.ignore(10000, '\n');

    if (recorder.start(44100))
    {
        std::cout << "Recording... press enter to stop";
        std::cin.ignore(10000, '\n');
        recorder.stop();
    }
    else
    {
        std::cerr << "Failed to start recorder" << std::endl;
    }
}
