// The host-table service of family-520 terminals (models containing SIP520 or SIP525): the host
// protocol on UDP 6006. It checks every request, keeps the device, group, group-device, zone and
// zone-device tables and answers with the 76-byte reply. Terminals of other models stay silent.
//
// The tables and the faults of every terminal live in one THostTableStore that the tests keep, so
// they can read the tables back and change the faults while the fleet runs.
#pragma once

#include <chrono>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "manager/hostdl/hostpacket.h"
#include "termsim/agent.h"

namespace termsim {

inline constexpr std::size_t kHostTableCapacity = 4096;  // entries per table

// A fault that hits one datagram, by its number among those that reached the terminal's port 6006
// (from 1).
enum class EHostFault {
    Ignore,     // never received: not carried out, no reply
    Refuse,     // answered with result 0, not carried out
    LoseReply,  // carried out, the reply is lost
    Duplicate,  // carried out, the reply is sent twice
};

struct THostFaults {
    bool silent = false;        // requests are seen but neither answered nor carried out
    bool refuseWrites = false;  // every write is answered with result 0 and not carried out
    std::chrono::milliseconds replyDelay{};  // every reply is sent this much later
    std::map<int, EHostFault> byRequest;
};

// One request as the terminal saw it (valid ones only).
struct THostRequestSeen {
    std::string code;
    std::uint16_t startIndex = 0;  // writes
    std::uint16_t count = 0;       // writes
    bool operator==(const THostRequestSeen&) const = default;
};

struct THostTerminalTables {
    std::map<EHostTable, std::vector<THostEntry>> tables;  // absent: never written or erased
    std::vector<THostRequestSeen> requests;                // every valid request received, in order
    int datagrams = 0;                                     // every datagram that arrived
    int refused = 0;  // datagrams failing a check, and writes not continuing their table
    // The entries of one table (empty when it holds none).
    const std::vector<THostEntry>& Table(EHostTable table) const;
};

class THostTableStore {
  public:
    THostTerminalTables Terminal(int index) const;  // a copy
    void SetFaults(int index, THostFaults faults);

  private:
    friend class THostAgent;
    struct TEntry {
        THostTerminalTables tables;
        THostFaults faults;
    };
    mutable std::mutex mu_;
    std::map<int, TEntry> terminals_;
};

AgentFactory HostAgentFactory(std::shared_ptr<THostTableStore> store);

}  // namespace termsim
