#include "updater/updatethread.h"

#include <QCoreApplication>

#include "common/textcodec.h"
#include "updater/scheduler.h"
#include "updater/threadpolicy.h"
#include "updater/udplink.h"

TUpdateThread::TUpdateThread(std::shared_ptr<const TUpdateJob> job, std::uint32_t address,
                             QObject* receiver, TProtocolTimes times)
    : job_(std::move(job)), address_(address), receiver_(receiver), times_(times) {
    socket_.BindFirstFree(kFirstLocalPort, kLastLocalPort);
    // A conversation needs little stack; many workers at once should not reserve 8 MiB each.
    setStackSize(256 * 1024);
}

void TUpdateThread::run() {
    MarkThroughputThread();
    TUdpUpdateLink link(socket_, address_, job_->agentPort);
    auto post = [this](EProgressKind kind, std::uint32_t value) {
        QCoreApplication::postEvent(
            receiver_,
            new TProgressEvent(address_, ProgressParam(static_cast<std::uint32_t>(kind), value)));
    };
    // A percentage repeats for many blocks of a large image; only a change alters the Process
    // text, so only changes travel to the window.
    std::uint32_t lastParam = ~0u;
    TConversation conversation(link, *job_, times_, [&](EProgressKind kind, std::uint32_t value) {
        const std::uint32_t param = ProgressParam(static_cast<std::uint32_t>(kind), value);
        if (kind == EProgressKind::Finished || param == lastParam) return;
        lastParam = param;
        post(kind, value);
    });
    // The version is stored before the finished report is posted, which is the last action.
    TConversationResult result = conversation.Run();
    version_ = FromDeviceBytes(result.version);
    post(EProgressKind::Finished, static_cast<std::uint32_t>(result.result));
}
