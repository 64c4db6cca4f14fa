// Arbitrary datagrams, both ways: the updater's reply checks and the simulated terminal's
// update agent never crash, and the agent answers only with replies of the protocol's sizes.
#include <cstdint>
#include <span>

#include "fuzz/support/fuzzsupport.h"
#include "termsim/update/updateagent.h"
#include "updater/protocol.h"

namespace {
using fuzzsupport::Check;
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::span<const std::uint8_t> datagram(data, size);
    if (size > 0) ClassifyLoginReply(datagram, data[0]);
    if (std::optional<TQueryReply> q = ParseQueryReply(datagram)) Check(q->version.size() <= 16);
    ClassifyBlockReply(datagram);

    // The same bytes as a stream of requests to one agent, split at every 0xFF byte, after a
    // login so block requests reach the data paths.
    termsim::TUpdateAgentConfig config;
    config.deviceType = "SIP520";
    config.keepData = true;
    config.rejectBlocks = size % 3;
    termsim::TUpdateAgent agent(config);
    agent.Handle(LoginRequest(0, ""));
    std::size_t start = 0;
    for (std::size_t i = 0; i <= size; ++i) {
        if (i < size && data[i] != 0xFF) continue;
        for (const termsim::TDatagram& reply :
             agent.Handle(datagram.subspan(start, i - start)).replies)
            Check(reply.size() == 5 || reply.size() == 23 || reply.size() == 33);
        start = i + 1;
    }
    // Whole blocks built from the input reach the reassembly.
    std::vector<std::uint8_t> image(datagram.begin(), datagram.end());
    agent.Handle(ImageBlock(image, size % 1024));
    agent.Handle(PakBlock(image, size % 512));
    Check(agent.Image().size() % 1280 == 0 && agent.Pak().size() % 1024 == 0);
    return 0;
}
