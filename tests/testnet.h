// Loopback addresses of one test process.
//
// Every test process takes a block of its own, 127.N.0.0/16 with N from 64 to 254, so that any
// number of test runs can share one machine: simulated terminals and agents bind the protocols'
// own ports, and only the address keeps two runs apart. The block is claimed by binding a UDP
// socket on 127.0.0.1 at the block's own claim port; a block whose claim is taken belongs to
// another process, and the next one is tried. The claim is held until the process ends. (Not
// on an address of the block: wine binds 127.x.y.z other than 127.0.0.1 as the wildcard
// address, and its claims would all meet at one port.) The socket is the suite's own
// (common/udpsocket.h), so the same header serves the Windows build.
//
//   options.firstAddress = testnet::Address(10, 1);       // 127.N.10.1
//   setenv("KVSETUP_TARGETS", testnet::Range(10, 1, 9).c_str(), 1);
//   EXPECT_EQ(line, testnet::InBlock("127.0.10.1\tOK"));  // texts are written for 127.0.b.c
#pragma once

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <forward_list>
#include <random>
#include <string>

#include "common/udpsocket.h"

namespace testnet {

constexpr unsigned kFirstBlock = 64;
constexpr unsigned kLastBlock = 254;
// Block N is claimed at port kClaimPorts + N of 127.0.0.1: below the ephemeral ports, apart
// from the protocols' ports.
constexpr std::uint16_t kClaimPorts = 28000;

namespace detail {

inline unsigned ClaimBlock() {
    constexpr unsigned count = kLastBlock - kFirstBlock + 1;
    // Processes started together begin their search at different blocks.
    const unsigned start = std::random_device{}() % count;
    for (unsigned i = 0; i < count; ++i) {
        const unsigned n = kFirstBlock + (start + i) % count;
        // Kept open: the claim lasts as long as the process.
        static std::forward_list<TUdpSocket> claims;
        TUdpSocket& claim = claims.emplace_front();
        if (!claim.Valid()) break;
        if (claim.Bind(0x7F000001u, static_cast<std::uint16_t>(kClaimPorts + n))) return n;
        claims.pop_front();
    }
    // Without a block every address would clash with another run's: stop before any test runs.
    std::fprintf(stderr, "testnet: no free loopback block in 127.%u.0.0-127.%u.255.255\n",
                 kFirstBlock, kLastBlock);
    std::abort();
}

}  // namespace detail

// This process's block number N (127.N.0.0/16).
inline unsigned Block() {
    static const unsigned block = detail::ClaimBlock();
    return block;
}

// Host-order address 127.N.b.c of this process's block.
inline std::uint32_t Address(unsigned b, unsigned c) {
    return 0x7F000000u | (Block() << 16) | ((b & 0xFFu) << 8) | (c & 0xFFu);
}

// Dotted text of a host-order address.
inline std::string Text(std::uint32_t address) {
    return std::to_string(address >> 24) + "." + std::to_string((address >> 16) & 0xFF) + "." +
           std::to_string((address >> 8) & 0xFF) + "." + std::to_string(address & 0xFF);
}

// Dotted text of 127.N.b.c.
inline std::string Text(unsigned b, unsigned c) {
    return Text(Address(b, c));
}

// The text with every address 127.0.b.c moved to 127.N.b.c: expected texts and command lines
// are written as for block 0 and read as for this process's block. 127.0.0.x (the host's own
// loopback, where probes come from) stays.
inline std::string InBlock(std::string text) {
    const std::string from = "127.0.", to = "127." + std::to_string(Block()) + ".";
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at)) {
        const char before = at == 0 ? ' ' : text[at - 1];
        const bool address = !std::isdigit(static_cast<unsigned char>(before)) && before != '.' &&
                             text.compare(at + from.size(), 2, "0.") != 0;
        if (address) text.replace(at, from.size(), to);
        at += address ? to.size() : from.size();
    }
    return text;
}

// "127.N.b.first-127.N.b.last", the form of a target range.
inline std::string Range(unsigned b, unsigned first, unsigned last) {
    return Text(b, first) + "-" + Text(b, last);
}

}  // namespace testnet
