// The termsim program as a child process: the ready line, a terminal answering, SIGTERM.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <string>

#include "common/udpsocket.h"
#include "kvsetup/kvproto.h"
#include "manager/hostdl/hostpacket.h"
#include "termsim/tests/udppeer.h"
#include "tests/testnet.h"

extern char** environ;

namespace {

using namespace std::chrono_literals;

struct Child {
    pid_t pid = -1;
    int out = -1;  // the child's stdout
};

Child Spawn(const std::vector<std::string>& args) {
    int pipeFds[2];
    if (pipe2(pipeFds, O_CLOEXEC) != 0) return {};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 1);
    std::vector<std::string> all{std::string(PELMORA_BIN_DIR) + "/termsim"};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& a : all)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    Child child;
    if (posix_spawn(&child.pid, argv[0], &actions, nullptr, argv.data(), environ) != 0)
        child.pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    close(pipeFds[1]);
    child.out = pipeFds[0];
    return child;
}

// Everything the child writes until it closes stdout or the time is up.
std::string ReadLine(int fd, std::chrono::milliseconds within) {
    std::string text;
    const auto limit = std::chrono::steady_clock::now() + within;
    while (text.find('\n') == std::string::npos && std::chrono::steady_clock::now() < limit) {
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, 100) <= 0) continue;
        char buf[256];
        const ssize_t n = read(fd, buf, sizeof buf);
        if (n <= 0) break;
        text.append(buf, static_cast<std::size_t>(n));
    }
    return text;
}

// The exit status, waiting for the child's end through a process descriptor.
int WaitExit(pid_t pid, std::chrono::milliseconds within) {
    const int pidfd = static_cast<int>(syscall(SYS_pidfd_open, pid, 0));
    if (pidfd >= 0) {
        pollfd p{pidfd, POLLIN, 0};
        poll(&p, 1, static_cast<int>(within.count()));
        close(pidfd);
    }
    int status = 0;
    if (waitpid(pid, &status, WNOHANG) != pid) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
        return -1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -2;
}

TEST(TermsimProgram, ReadyThenAnswersThenEndsOnSignal) {
    for (int sig : {SIGTERM, SIGINT}) {
        Child child =
            Spawn({"--count", "3", "--first-ip", testnet::Text(40, 1), "--model", "SIP520"});
        ASSERT_GT(child.pid, 0);
        EXPECT_EQ(ReadLine(child.out, 30s), "ready 3\n");
        UdpPeer peer;
        kvproto::Header h;
        h.kind = 1;
        peer.Send({testnet::Address(40, 3), kvproto::kPort}, kvproto::Encode(h, {}));
        const auto reply = peer.Receive(5s);
        ASSERT_TRUE(reply);
        const auto m = kvproto::Decode(reply->bytes);
        ASSERT_TRUE(m);
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(m->payload.data() + 112)), "SIP520");
        // The firmware-update agent answers its query on the same address.
        peer.Send({testnet::Address(40, 3), 65276}, {0xFA, 0xFA, 0x01, 0xF4});
        const auto query = peer.Receive(5s);
        ASSERT_TRUE(query);
        ASSERT_GT(query->bytes.size(), 8u);
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(query->bytes.data() + 1)), "SIP520");
        // So does the host-table agent.
        std::vector<std::uint8_t> erase(kHostHeaderSize);
        BuildEraseRequest("ZNER", erase);
        peer.Send({testnet::Address(40, 3), kHostPort}, erase);
        const auto erased = peer.Receive(5s);
        ASSERT_TRUE(erased);
        EXPECT_TRUE(IsValidHostReply(erased->bytes));
        kill(child.pid, sig);
        EXPECT_EQ(WaitExit(child.pid, 30s), 0) << sig;
        close(child.out);
    }
}

TEST(TermsimProgram, AgentsSwitchedOffLeaveTheirPortsToOthers) {
    Child child = Spawn({"--count", "1", "--first-ip", testnet::Text(42, 1), "--model", "SIP520",
                         "--no-host-agent", "--no-update-agent"});
    ASSERT_GT(child.pid, 0);
    ASSERT_EQ(ReadLine(child.out, 30s), "ready 1\n");
    for (std::uint16_t port : {kHostPort, std::uint16_t{65276}}) {
        TUdpSocket other;
        EXPECT_TRUE(other.Bind(testnet::Address(42, 1), port)) << port;
    }
    kill(child.pid, SIGTERM);
    EXPECT_EQ(WaitExit(child.pid, 30s), 0);
    close(child.out);
}

TEST(TermsimProgram, BadOptionsAndBusyAddressesFail) {
    Child bad = Spawn({"--count", "x"});
    ASSERT_GT(bad.pid, 0);
    EXPECT_EQ(WaitExit(bad.pid, 30s), 2);
    close(bad.out);

    // The second fleet on the same addresses cannot bind them.
    Child first = Spawn({"--count", "2", "--first-ip", testnet::Text(41, 1)});
    ASSERT_GT(first.pid, 0);
    ASSERT_EQ(ReadLine(first.out, 30s), "ready 2\n");
    Child second = Spawn({"--count", "2", "--first-ip", testnet::Text(41, 2)});
    ASSERT_GT(second.pid, 0);
    EXPECT_EQ(WaitExit(second.pid, 30s), 1);
    EXPECT_EQ(ReadLine(second.out, 1s), "");
    kill(first.pid, SIGTERM);
    EXPECT_EQ(WaitExit(first.pid, 30s), 0);
    close(first.out);
    close(second.out);
}

}  // namespace
