// Pelmora, the device manager.
//
//   Pelmora [--home DIR] [DEVICE-TEXT]
//   Pelmora --help | --version
//
// --home runs on another program folder (settings, device book, language file, catalogue); an
// installed program, whose folder cannot be written, runs on the user's own folder. A
// device text (account;name;IP;MAC;model;firmware;interface) opens that terminal's properties
// after the first search; given to a second start it is handed to the running instance.
#include <QApplication>
#include <QDir>
#include <iostream>

#include "common/widgets/prompter.h"
#include "manager/access/kvlibrary.h"
#include "manager/access/localinterfaces.h"
#include "manager/settings/settingsstore.h"
#include "manager/shell/frmmain.h"
#include "manager/shell/programfolder.h"
#include "manager/shell/programoptions.h"
#include "manager/shell/singleinstance.h"

int main(int argc, char** argv) {
    // The options first: --help, --version and a refused option need no display.
    const TPelmoraOptions options =
        ParsePelmoraOptions(std::vector<std::string>(argv + 1, argv + argc));
    switch (options.action) {
        case TPelmoraOptions::TAction::Help:
            std::cout << kPelmoraUsage;
            return 0;
        case TPelmoraOptions::TAction::Version:
            std::cout << VersionLine("Pelmora") << "\n";
            return 0;
        case TPelmoraOptions::TAction::Refuse:
            std::cerr << "Pelmora: " << options.error << "\n" << kPelmoraUsage;
            return 2;
        case TPelmoraOptions::TAction::Run:
            break;
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName("Pelmora");
    const QString home = QString::fromStdString(options.home);
    const QString deviceText = QString::fromStdString(options.deviceText);

    ReadLocalInterfaces();

    const QString serverName = TSingleInstance::ServerName(home);
    TSingleInstance instance(serverName);
    if (!instance.Start()) {
        // Another instance runs: bring it forward and hand it the device text.
        TSingleInstance::Send(serverName, {TLocalMessageType::Raise, {}});
        if (!deviceText.trimmed().isEmpty())
            TSingleInstance::Send(serverName,
                                  {TLocalMessageType::DeviceText, deviceText.toStdString()});
        return 0;
    }

    TDialogPrompter prompter;
    const std::string executableFolder = QApplication::applicationDirPath().toStdString();
    const QString programFolder =
        QDir(QString::fromStdString(WorkFolder(options.home, executableFolder))).absolutePath();
    QDir().mkpath(programFolder);
    std::string error;
    std::unique_ptr<TKvLibrary> library =
        TKvLibrary::LoadForProgram(programFolder.toStdString(), executableFolder, &error);
    if (!library) {
        prompter.Message(nullptr, IPrompter::Kind::Error, "Pelmora", QString::fromStdString(error));
        return 1;
    }
    std::unique_ptr<ISettingsStore> userStore = MakeUserSettingsStore();
    std::unique_ptr<ISettingsStore> machineStore = MakeMachineSettingsStore();

    TFrmMainDeps deps;
    deps.access = library.get();
    deps.prompter = &prompter;
    deps.userStore = userStore.get();
    deps.machineStore = machineStore.get();
    deps.programFolder = programFolder;
    deps.programFile = QApplication::applicationFilePath();
    deps.commandLineText = deviceText;
    TFrmMain window(deps);
    // Queued: a message is handled from the event loop, never inside the socket's own slot.
    QObject::connect(&instance, &TSingleInstance::raiseRequested, &window, &TFrmMain::BringToFront,
                     Qt::QueuedConnection);
    QObject::connect(&instance, &TSingleInstance::deviceTextReceived, &window,
                     &TFrmMain::ReceiveDeviceText, Qt::QueuedConnection);
    window.show();
    return QApplication::exec();
}
