#pragma once

#include <mivra/System.hpp>

#include <mivra/Network/Ftp.hpp>
#include <mivra/Network/FtpListing.hpp>
#include <mivra/Network/IpAddress.hpp>
#include <mivra/Network/Packet.hpp>
#include <mivra/Network/Socket.hpp>
#include <mivra/Network/TcpListener.hpp>
#include <mivra/Network/TcpSocket.hpp>
#include <mivra/Network/UdpSocket.hpp>
