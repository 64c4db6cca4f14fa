// One running Pelmora per user and program folder, and the local socket through which a second
// start and other programs reach it (docs/local-messages.md).
#pragma once

#include <QObject>
#include <QString>
#include <map>

#include "manager/shell/localmessage.h"

class QLocalServer;
class QLocalSocket;

class TSingleInstance : public QObject {
    Q_OBJECT
  public:
    // "Pelmora-<user>", and "-<hash of the folder>" when the program runs on another folder
    // (--home), so that separate program folders run side by side.
    static QString ServerName(const QString& homeFolder);

    // Sends one message to the instance listening on name; false when none answers in time.
    static bool Send(const QString& name, const TLocalMessage& message, int timeoutMs = 3000);

    explicit TSingleInstance(QString name, QObject* parent = nullptr);
    ~TSingleInstance() override;

    // Becomes the first instance and starts listening; false when another instance already
    // listens on the name (nothing is sent to it here).
    bool Start();

  signals:
    void raiseRequested();
    void deviceTextReceived(const QString& text);

  private:
    void Accept();
    void Read(QLocalSocket* socket);

    QString name_;
    QLocalServer* server_ = nullptr;
    std::map<QLocalSocket*, TLocalMessageReader> readers_;
};
