// The UDP socket on POSIX sockets (Linux).
#include <arpa/inet.h>
#include <linux/errqueue.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "common/socketaddress.h"
#include "common/udpsocket.h"

TUdpSocket::TUdpSocket() : fd_(::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0)) {}

TUdpSocket::~TUdpSocket() {
    if (fd_ >= 0) ::close(fd_);
}

bool TUdpSocket::Bind(std::uint32_t address, std::uint16_t port) {
    if (fd_ < 0) return false;
    sockaddr_in sa = Ipv4SocketAddress(address, port);
    return ::bind(fd_, reinterpret_cast<sockaddr*>(&sa), sizeof sa) == 0;
}

std::uint16_t TUdpSocket::LocalPort() const {
    sockaddr_in sa{};
    socklen_t len = sizeof sa;
    if (fd_ < 0 || ::getsockname(fd_, reinterpret_cast<sockaddr*>(&sa), &len) != 0) return 0;
    return ntohs(sa.sin_port);
}

void TUdpSocket::SetReceiveBuffer(int bytes) {
    if (fd_ >= 0) (void)::setsockopt(fd_, SOL_SOCKET, SO_RCVBUF, &bytes, sizeof bytes);
}

bool TUdpSocket::ReportUnreachable() {
    const int on = 1;
    return fd_ >= 0 && ::setsockopt(fd_, IPPROTO_IP, IP_RECVERR, &on, sizeof on) == 0;
}

bool TUdpSocket::SendTo(std::uint32_t address, std::uint16_t port, const std::uint8_t* data,
                        std::size_t size) {
    if (fd_ < 0) return false;
    sockaddr_in sa = Ipv4SocketAddress(address, port);
    // A send may fail only to report an earlier port-unreachable (the report stays in the error
    // queue); the datagram was not sent then, so it is sent again.
    for (int tries = 0; tries < 4; ++tries) {
        const ssize_t n = ::sendto(fd_, data, size, 0, reinterpret_cast<sockaddr*>(&sa), sizeof sa);
        if (n == static_cast<ssize_t>(size)) return true;
        if (n >= 0 || (errno != ECONNREFUSED && errno != EINTR)) return false;
    }
    return false;
}

void TUdpSocket::SendBatch(std::uint32_t address, std::uint16_t port,
                           const std::vector<std::vector<std::uint8_t>>& datagrams) {
    if (fd_ < 0 || datagrams.empty()) return;
    sockaddr_in to = Ipv4SocketAddress(address, port);
    std::vector<iovec> parts(datagrams.size());
    std::vector<mmsghdr> messages(datagrams.size());
    for (std::size_t i = 0; i < datagrams.size(); ++i) {
        parts[i] = {const_cast<std::uint8_t*>(datagrams[i].data()), datagrams[i].size()};
        messages[i] = {};
        messages[i].msg_hdr.msg_name = &to;
        messages[i].msg_hdr.msg_namelen = sizeof to;
        messages[i].msg_hdr.msg_iov = &parts[i];
        messages[i].msg_hdr.msg_iovlen = 1;
    }
    // Send errors show up as a missing reply.
    (void)::sendmmsg(fd_, messages.data(), static_cast<unsigned>(messages.size()), 0);
}

namespace {

// One datagram into buffer; the received size, or -1. A refusal report is no datagram and is
// passed over when not waiting.
ssize_t ReceiveInto(int fd, std::vector<std::uint8_t>& buffer, std::size_t maxBytes, int flags,
                    sockaddr_in& from) {
    if (buffer.size() < maxBytes) buffer.resize(maxBytes);
    for (;;) {
        socklen_t len = sizeof from;
        const ssize_t got = ::recvfrom(fd, buffer.data(), maxBytes, flags,
                                       reinterpret_cast<sockaddr*>(&from), &len);
        if (got >= 0 || (flags & MSG_DONTWAIT) == 0) return got;
        if (errno != ECONNREFUSED && errno != EINTR) return -1;
    }
}

}  // namespace

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
    sockaddr_in from{};
    const ssize_t got = ReceiveInto(fd_, buffer_, maxBytes, 0, from);
    if (got < 0) return std::nullopt;  // time-out, interruption or error: no datagram
    return Datagram{{buffer_.begin(), buffer_.begin() + got},
                    ntohl(from.sin_addr.s_addr),
                    ntohs(from.sin_port)};
}

std::optional<TUdpSocket::Datagram> TUdpSocket::TryReceive(std::size_t maxBytes) {
    if (fd_ < 0) return std::nullopt;
    sockaddr_in from{};
    const ssize_t got = ReceiveInto(fd_, buffer_, maxBytes, MSG_DONTWAIT, from);
    if (got < 0) return std::nullopt;
    return Datagram{{buffer_.begin(), buffer_.begin() + got},
                    ntohl(from.sin_addr.s_addr),
                    ntohs(from.sin_port)};
}

bool TUdpSocket::WaitReadable(int timeoutMs) {
    if (fd_ < 0) return false;
    pollfd p{fd_, POLLIN, 0};
    return ::poll(&p, 1, timeoutMs < 0 ? 0 : timeoutMs) > 0;
}

int TUdpSocket::ReceiveQueued(Slot* slots, int count) {
    constexpr int kMost = 16;
    if (fd_ < 0) return -1;
    if (count > kMost) count = kMost;
    // One system call for a reply and whatever came with it.
    sockaddr_in from[kMost];
    iovec parts[kMost];
    mmsghdr messages[kMost];
    for (int i = 0; i < count; ++i) {
        parts[i] = {slots[i].data, slots[i].capacity};
        messages[i] = {};
        messages[i].msg_hdr.msg_name = &from[i];
        messages[i].msg_hdr.msg_namelen = sizeof from[i];
        messages[i].msg_hdr.msg_iov = &parts[i];
        messages[i].msg_hdr.msg_iovlen = 1;
    }
    const int got = ::recvmmsg(fd_, messages, static_cast<unsigned>(count), MSG_DONTWAIT, nullptr);
    if (got < 0) return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR ? 0 : -1;
    for (int i = 0; i < got; ++i) {
        slots[i].size = messages[i].msg_len;
        slots[i].address = ntohl(from[i].sin_addr.s_addr);
        slots[i].port = ntohs(from[i].sin_port);
    }
    return got;
}

void TUdpSocket::DiscardQueued() {
    while (fd_ >= 0 && ::recv(fd_, nullptr, 0, MSG_DONTWAIT | MSG_TRUNC) >= 0) {
    }
}

void TUdpSocket::TakeUnreachable(std::vector<std::uint32_t>& addresses) {
    if (fd_ < 0) return;
    // Queued errors: each message names the destination that could not be reached.
    for (;;) {
        sockaddr_in dest{};
        char control[256];
        std::uint8_t payload[64];
        iovec iov{payload, sizeof payload};
        msghdr msg{};
        msg.msg_name = &dest;
        msg.msg_namelen = sizeof dest;
        msg.msg_iov = &iov;
        msg.msg_iovlen = 1;
        msg.msg_control = control;
        msg.msg_controllen = sizeof control;
        if (::recvmsg(fd_, &msg, MSG_ERRQUEUE | MSG_DONTWAIT) < 0) break;
        for (cmsghdr* c = CMSG_FIRSTHDR(&msg); c; c = CMSG_NXTHDR(&msg, c)) {
            if (c->cmsg_level != IPPROTO_IP || c->cmsg_type != IP_RECVERR) continue;
            sock_extended_err err;
            std::memcpy(&err, CMSG_DATA(c), sizeof err);
            if (err.ee_errno == ECONNREFUSED && msg.msg_namelen >= sizeof dest)
                addresses.push_back(ntohl(dest.sin_addr.s_addr));
        }
    }
}
