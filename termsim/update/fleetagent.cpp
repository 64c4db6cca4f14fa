#include "termsim/update/fleetagent.h"

namespace termsim {
namespace {

class TFleetUpdateAgent : public ITerminalAgent {
  public:
    TFleetUpdateAgent(TerminalContext& context, TUpdateAgentConfig config)
        : context_(context), agent_(std::move(config)) {}

    std::uint16_t Port() const override { return TUpdateAgent::kPort; }

    void OnDatagram(const Endpoint& from, std::span<const std::uint8_t> bytes) override {
        TAgentOutput out = agent_.Handle(bytes);
        for (const TDatagram& reply : out.replies)
            context_.Send(from, reply);
        if (out.restart) {
            context_.State().SetFirmware(agent_.Version());
            context_.Restart(*out.restart);
        }
    }

    void OnRestart() override { agent_.OnRestart(); }

  private:
    TerminalContext& context_;
    TUpdateAgent agent_;
};

}  // namespace

AgentFactory UpdateAgentFactory(TUpdateAgentConfig base) {
    return [base](TerminalContext& context) -> std::unique_ptr<ITerminalAgent> {
        TUpdateAgentConfig config = base;
        if (config.deviceType.empty()) config.deviceType = context.State().Model();
        if (config.version.empty()) config.version = context.State().Firmware();
        return std::make_unique<TFleetUpdateAgent>(context, std::move(config));
    };
}

}  // namespace termsim
