// The parts of the UDP socket that are the same on every system; the rest is in
// common/platform/udpsocket_*.cpp.
#include "common/udpsocket.h"

std::uint16_t TUdpSocket::BindFirstFree(std::uint16_t first, std::uint16_t last) {
    for (unsigned port = first; port <= last; ++port)
        if (Bind(0, static_cast<std::uint16_t>(port))) return static_cast<std::uint16_t>(port);
    return 0;
}
