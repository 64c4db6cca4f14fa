// The UDP socket on Winsock 2. Sockets are non-blocking; a wait is a WSAPoll.
#include "common/platform/winsock.h"
// mswsock.h needs winsock2.h first.
#include <mswsock.h>

#include "common/udpsocket.h"

bool StartWinsock() {
    static const bool started = [] {
        WSADATA data;
        return ::WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    return started;
}

sockaddr_in WinsockAddress(std::uint32_t address, std::uint16_t port) {
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_addr.s_addr = htonl(address);
    sa.sin_port = htons(port);
    return sa;
}

namespace {

SOCKET Native(TSocketHandle fd) {
    return static_cast<SOCKET>(fd);
}

// Without this a port-unreachable answer to an earlier send makes the next receive fail
// (WSAECONNRESET), and Windows does not say which destination refused.
void IgnoreRefusals(SOCKET s) {
    BOOL off = FALSE;
    DWORD returned = 0;
    (void)::WSAIoctl(s, SIO_UDP_CONNRESET, &off, sizeof off, nullptr, 0, &returned, nullptr,
                     nullptr);
}

// One datagram into data; the received size (cut to capacity), or -1 when none is queued or
// the receive failed.
int ReceiveOne(SOCKET s, std::uint8_t* data, std::size_t capacity, sockaddr_in& from) {
    for (;;) {
        int len = sizeof from;
        const int got = ::recvfrom(s, reinterpret_cast<char*>(data), static_cast<int>(capacity), 0,
                                   reinterpret_cast<sockaddr*>(&from), &len);
        if (got >= 0) return got;
        const int error = ::WSAGetLastError();
        if (error == WSAEMSGSIZE) return static_cast<int>(capacity);  // cut, as on POSIX
        if (error != WSAECONNRESET) return -1;
    }
}

}  // namespace

TUdpSocket::TUdpSocket() {
    if (!StartWinsock()) return;
    const SOCKET s = ::WSASocketW(AF_INET, SOCK_DGRAM, IPPROTO_UDP, nullptr, 0,
                                  WSA_FLAG_OVERLAPPED | WSA_FLAG_NO_HANDLE_INHERIT);
    if (s == INVALID_SOCKET) return;
    u_long nonBlocking = 1;
    ::ioctlsocket(s, FIONBIO, &nonBlocking);
    IgnoreRefusals(s);
    fd_ = static_cast<TSocketHandle>(s);
}

TUdpSocket::~TUdpSocket() {
    if (Valid()) ::closesocket(Native(fd_));
}

bool TUdpSocket::Bind(std::uint32_t address, std::uint16_t port) {
    if (!Valid()) return false;
    // Without exclusive use Windows would let a second socket take a port that is in use.
    BOOL on = TRUE;
    ::setsockopt(Native(fd_), SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<const char*>(&on),
                 sizeof on);
    sockaddr_in sa = WinsockAddress(address, port);
    return ::bind(Native(fd_), reinterpret_cast<sockaddr*>(&sa), sizeof sa) == 0;
}

std::uint16_t TUdpSocket::LocalPort() const {
    sockaddr_in sa{};
    int len = sizeof sa;
    if (!Valid() || ::getsockname(Native(fd_), reinterpret_cast<sockaddr*>(&sa), &len) != 0)
        return 0;
    return ntohs(sa.sin_port);
}

void TUdpSocket::SetReceiveBuffer(int bytes) {
    if (Valid())
        ::setsockopt(Native(fd_), SOL_SOCKET, SO_RCVBUF, reinterpret_cast<const char*>(&bytes),
                     sizeof bytes);
}

bool TUdpSocket::ReportUnreachable() {
    return false;
}

bool TUdpSocket::SendTo(std::uint32_t address, std::uint16_t port, const std::uint8_t* data,
                        std::size_t size) {
    if (!Valid()) return false;
    sockaddr_in sa = WinsockAddress(address, port);
    const int n = ::sendto(Native(fd_), reinterpret_cast<const char*>(data), static_cast<int>(size),
                           0, reinterpret_cast<sockaddr*>(&sa), sizeof sa);
    return n == static_cast<int>(size);
}

void TUdpSocket::SendBatch(std::uint32_t address, std::uint16_t port,
                           const std::vector<std::vector<std::uint8_t>>& datagrams) {
    for (const std::vector<std::uint8_t>& datagram : datagrams)
        SendTo(address, port, datagram.data(), datagram.size());
}

std::optional<TUdpSocket::Datagram> TUdpSocket::Receive(int timeoutMs, std::size_t maxBytes) {
    if (!Valid()) return std::nullopt;
    if (timeoutMs > 0 && !WaitReadable(timeoutMs)) return std::nullopt;
    return TryReceive(maxBytes);
}

std::optional<TUdpSocket::Datagram> TUdpSocket::TryReceive(std::size_t maxBytes) {
    if (!Valid()) return std::nullopt;
    if (buffer_.size() < maxBytes) buffer_.resize(maxBytes);
    sockaddr_in from{};
    const int got = ReceiveOne(Native(fd_), buffer_.data(), maxBytes, from);
    if (got < 0) return std::nullopt;
    return Datagram{{buffer_.begin(), buffer_.begin() + got},
                    ntohl(from.sin_addr.s_addr),
                    ntohs(from.sin_port)};
}

bool TUdpSocket::WaitReadable(int timeoutMs) {
    if (!Valid()) return false;
    WSAPOLLFD p{Native(fd_), POLLRDNORM, 0};
    return ::WSAPoll(&p, 1, timeoutMs < 0 ? 0 : timeoutMs) > 0;
}

int TUdpSocket::ReceiveQueued(Slot* slots, int count) {
    if (!Valid()) return -1;
    int got = 0;
    while (got < count) {
        sockaddr_in from{};
        const int n = ReceiveOne(Native(fd_), slots[got].data, slots[got].capacity, from);
        if (n < 0) return got > 0 || ::WSAGetLastError() == WSAEWOULDBLOCK ? got : -1;
        slots[got].size = static_cast<std::size_t>(n);
        slots[got].address = ntohl(from.sin_addr.s_addr);
        slots[got].port = ntohs(from.sin_port);
        ++got;
    }
    return got;
}

void TUdpSocket::DiscardQueued() {
    std::uint8_t scrap[1];
    sockaddr_in from{};
    while (Valid() && ReceiveOne(Native(fd_), scrap, sizeof scrap, from) >= 0) {
    }
}

void TUdpSocket::TakeUnreachable(std::vector<std::uint32_t>&) {}
