#include "manager/shell/updaterlauncher.h"

#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QProcess>

QString UpdaterProgramPath(const QString& programFolder) {
#ifdef Q_OS_WIN
    const QString name = QStringLiteral("Vellup.exe");
#else
    const QString name = QStringLiteral("Vellup");
#endif
    return QDir(programFolder).filePath(name);
}

bool RunUpdaterAndWait(const QString& programFolder, const QString& homeFolder) {
    QStringList arguments;
    if (QFileInfo(homeFolder).canonicalFilePath() != QFileInfo(programFolder).canonicalFilePath())
        arguments << QStringLiteral("--home") << homeFolder;
    QProcess updater;
    updater.setProcessChannelMode(QProcess::ForwardedChannels);
    QEventLoop loop;
    QObject::connect(&updater, &QProcess::finished, &loop, &QEventLoop::quit);
    updater.start(UpdaterProgramPath(programFolder), arguments);
    if (!updater.waitForStarted(-1)) return false;
    if (updater.state() != QProcess::NotRunning) loop.exec(QEventLoop::ExcludeUserInputEvents);
    return true;
}
