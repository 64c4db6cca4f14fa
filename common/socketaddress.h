// IPv4 socket addresses from the host-order address and port that the modules carry around.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>

#include <cstdint>

inline sockaddr_in Ipv4SocketAddress(std::uint32_t address, std::uint16_t port) {
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_addr.s_addr = htonl(address);
    sa.sin_port = htons(port);
    return sa;
}
