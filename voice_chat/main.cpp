// Voice chat: one program, two roles. As a client it records the microphone and streams it to a
// server over TCP while the user speaks; as a server it plays the stream as it arrives and replays
// the whole recording afterwards.
//
// The server keeps at most two hours of audio (about 635 MB): a recording that goes past that ends
// there, as if the client had sent its end, with one line on standard error. The client takes a
// server that has not taken a packet within half a second (its send buffer, seconds of audio, being
// full already) as gone: the capture ends, and Enter is answered at once whatever the server does.
#include "ClientRole.hpp"
#include "ServerRole.hpp"
#include "VoicePacket.hpp"

#include <iostream>

int main()
{
    // Set-up: the role
    std::cout << "Do you want to be a server ('s') or a client ('c')? ";
    char who = '\0';
    std::cin >> who;

    // Run: serve one client, or record for the server
    if (who == 's')
        runServer(voicePort);
    else
        runClient(voicePort);

    // Clean-up
    std::cout << "Press enter to exit..." << std::endl;
    std::cin.ignore(10000, '\n');
    return 0;
}
