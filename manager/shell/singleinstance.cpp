#include "manager/shell/singleinstance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>

QString TSingleInstance::ServerName(const QString& homeFolder) {
    QString user = qEnvironmentVariable("USER");
    if (user.isEmpty()) user = qEnvironmentVariable("USERNAME");
    QString name = "Pelmora-" + user;
    if (!homeFolder.isEmpty()) {
        const QByteArray folder = QDir(homeFolder).absolutePath().toUtf8();
        name += "-" + QCryptographicHash::hash(folder, QCryptographicHash::Sha1).toHex().left(16);
    }
    return name;
}

bool TSingleInstance::Send(const QString& name, const TLocalMessage& message, int timeoutMs) {
    QLocalSocket socket;
    socket.connectToServer(name);
    if (!socket.waitForConnected(timeoutMs)) return false;
    const std::string frame = EncodeLocalMessage(message);
    socket.write(frame.data(), static_cast<qint64>(frame.size()));
    const bool written = socket.waitForBytesWritten(timeoutMs);
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState) socket.waitForDisconnected(timeoutMs);
    return written;
}

TSingleInstance::TSingleInstance(QString name, QObject* parent)
    : QObject(parent), name_(std::move(name)) {}

TSingleInstance::~TSingleInstance() = default;

bool TSingleInstance::Start() {
    // A server that answers is a running instance; a socket file nobody answers on is left over
    // from an instance that ended abnormally and is removed.
    {
        QLocalSocket probe;
        probe.connectToServer(name_);
        if (probe.waitForConnected(1000)) return false;
    }
    QLocalServer::removeServer(name_);
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server_->listen(name_)) return false;
    connect(server_, &QLocalServer::newConnection, this, &TSingleInstance::Accept);
    return true;
}

void TSingleInstance::Accept() {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        readers_[socket];
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { Read(socket); });
        connect(socket, &QLocalSocket::disconnected, this, [this, socket] {
            readers_.erase(socket);
            socket->deleteLater();
        });
        // Bytes may have arrived before the connection was handled.
        if (socket->bytesAvailable() > 0) Read(socket);
    }
}

void TSingleInstance::Read(QLocalSocket* socket) {
    auto found = readers_.find(socket);
    if (found == readers_.end()) return;
    TLocalMessageReader& reader = found->second;
    const QByteArray bytes = socket->readAll();
    reader.Feed(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    while (auto message = reader.Next()) {
        if (message->type == TLocalMessageType::Raise)
            emit raiseRequested();
        else
            emit deviceTextReceived(QString::fromStdString(message->text));
        // A slot may have run a nested event loop in which the peer went away.
        if (readers_.find(socket) == readers_.end()) return;
    }
    if (reader.Failed()) socket->abort();
}
