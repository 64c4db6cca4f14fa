#include "common/udpsocket.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include "common/socketaddress.h"

TUdpSocket::TUdpSocket() : fd_(::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0)) {}

TUdpSocket::~TUdpSocket() {
    if (fd_ >= 0) ::close(fd_);
}

bool TUdpSocket::Bind(std::uint32_t address, std::uint16_t port) {
    if (fd_ < 0) return false;
    sockaddr_in sa = Ipv4SocketAddress(address, port);
    return ::bind(fd_, reinterpret_cast<sockaddr*>(&sa), sizeof sa) == 0;
}

std::uint16_t TUdpSocket::BindFirstFree(std::uint16_t first, std::uint16_t last) {
    for (unsigned port = first; port <= last; ++port)
        if (Bind(0, static_cast<std::uint16_t>(port))) return static_cast<std::uint16_t>(port);
    return 0;
}

std::uint16_t TUdpSocket::LocalPort() const {
    sockaddr_in sa{};
    socklen_t len = sizeof sa;
    if (fd_ < 0 || ::getsockname(fd_, reinterpret_cast<sockaddr*>(&sa), &len) != 0) return 0;
    return ntohs(sa.sin_port);
}

void TUdpSocket::SendTo(std::uint32_t address, std::uint16_t port, const std::uint8_t* data,
                        std::size_t size) {
    if (fd_ < 0) return;
    sockaddr_in sa = Ipv4SocketAddress(address, port);
    // Send errors show up as a missing reply.
    (void)::sendto(fd_, data, size, 0, reinterpret_cast<sockaddr*>(&sa), sizeof sa);
}

std::optional<TUdpSocket::Datagram> TUdpSocket::Receive(int timeoutMs, std::size_t maxBytes) {
    if (fd_ < 0) return std::nullopt;
    if (timeoutMs <= 0) return TryReceive(maxBytes);
    // A blocking receive with the socket's own time-out: one system call per reply, which
    // matters when hundreds of conversations run at once.
    if (timeoutMs != receiveTimeoutMs_) {
        timeval tv{timeoutMs / 1000, (timeoutMs % 1000) * 1000};
        if (::setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv) != 0) return std::nullopt;
        receiveTimeoutMs_ = timeoutMs;
    }
    return ReceiveWith(maxBytes, 0);
}

std::optional<TUdpSocket::Datagram> TUdpSocket::TryReceive(std::size_t maxBytes) {
    if (fd_ < 0) return std::nullopt;
    return ReceiveWith(maxBytes, MSG_DONTWAIT);
}

std::optional<TUdpSocket::Datagram> TUdpSocket::ReceiveWith(std::size_t maxBytes, int flags) {
    // The socket's own buffer grows once; each reply then costs only its own few bytes.
    if (buffer_.size() < maxBytes) buffer_.resize(maxBytes);
    sockaddr_in from{};
    socklen_t len = sizeof from;
    ssize_t got =
        ::recvfrom(fd_, buffer_.data(), maxBytes, flags, reinterpret_cast<sockaddr*>(&from), &len);
    if (got < 0) return std::nullopt;  // time-out, interruption or error: no datagram
    Datagram datagram;
    datagram.bytes.assign(buffer_.begin(), buffer_.begin() + got);
    datagram.address = ntohl(from.sin_addr.s_addr);
    datagram.port = ntohs(from.sin_port);
    return datagram;
}
