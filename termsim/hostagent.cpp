#include "termsim/hostagent.h"

#include <algorithm>

#include "manager/params/paramfamily.h"

namespace termsim {

namespace {

bool CarriesHostTables(const std::string& model) {
    return ModelFamily(model) == TModelFamily::k520;
}

}  // namespace

const std::vector<THostEntry>& THostTerminalTables::Table(EHostTable table) const {
    static const std::vector<THostEntry> none;
    const auto it = tables.find(table);
    return it == tables.end() ? none : it->second;
}

THostTerminalTables THostTableStore::Terminal(int index) const {
    std::lock_guard lock(mu_);
    const auto it = terminals_.find(index);
    return it == terminals_.end() ? THostTerminalTables{} : it->second.tables;
}

void THostTableStore::SetFaults(int index, THostFaults faults) {
    std::lock_guard lock(mu_);
    terminals_[index].faults = std::move(faults);
}

class THostAgent : public ITerminalAgent {
  public:
    THostAgent(TerminalContext& context, std::shared_ptr<THostTableStore> store)
        : context_(context), store_(std::move(store)) {}

    std::uint16_t Port() const override { return kHostPort; }

    void OnDatagram(const Endpoint& from, std::span<const std::uint8_t> bytes) override {
        if (!CarriesHostTables(context_.State().Model())) return;
        std::unique_lock lock(store_->mu_);
        auto& entry = store_->terminals_[context_.State().index];
        THostTerminalTables& t = entry.tables;
        const THostFaults& faults = entry.faults;
        const int number = ++t.datagrams;
        const auto fault = faults.byRequest.find(number);
        if (fault != faults.byRequest.end() && fault->second == EHostFault::Ignore) return;
        const auto request = ParseHostRequest(bytes);
        if (!request) {
            ++t.refused;
            return;
        }
        const THostTableCodes& codes = *request->table;
        t.requests.push_back({std::string(request->write ? codes.writeCode : codes.eraseCode),
                              request->startIndex, request->count});
        if (faults.silent) return;
        const bool refuse =
            (fault != faults.byRequest.end() && fault->second == EHostFault::Refuse) ||
            (request->write && faults.refuseWrites);
        const bool done = !refuse && CarryOut(t, *request);
        int copies = 1;
        if (fault != faults.byRequest.end() && done) {
            if (fault->second == EHostFault::LoseReply) copies = 0;
            if (fault->second == EHostFault::Duplicate) copies = 2;
        }
        const auto delay = faults.replyDelay;
        lock.unlock();
        const auto reply = BuildHostReply(bytes, done ? 1 : 0);
        for (int i = 0; i < copies; ++i)
            context_.SendAfter(delay, from, reply);
    }

  private:
    // Erases, or writes entries at the start index, which must continue the table (or repeat
    // places already written, as a retried batch does).
    static bool CarryOut(THostTerminalTables& t, const THostRequest& request) {
        std::vector<THostEntry>& table = t.tables[request.table->table];
        if (!request.write) {
            table.clear();
            return true;
        }
        const std::size_t start = request.startIndex;
        const std::size_t size = request.table->entrySize;
        if (start > table.size() || start + request.count > kHostTableCapacity) {
            ++t.refused;
            return false;
        }
        table.resize(std::max(table.size(), start + request.count));
        for (std::size_t i = 0; i < request.count; ++i)
            table[start + i].assign(
                request.entries.begin() + static_cast<std::ptrdiff_t>(i * size),
                request.entries.begin() + static_cast<std::ptrdiff_t>((i + 1) * size));
        return true;
    }

    TerminalContext& context_;
    std::shared_ptr<THostTableStore> store_;
};

AgentFactory HostAgentFactory(std::shared_ptr<THostTableStore> store) {
    return [store](TerminalContext& context) -> std::unique_ptr<ITerminalAgent> {
        return std::make_unique<THostAgent>(context, store);
    };
}

}  // namespace termsim
