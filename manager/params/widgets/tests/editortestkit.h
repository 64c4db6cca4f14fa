// An editor on a scratch program folder, with a scripted prompter and a recorded login.
#pragma once

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "common/widgets/testing/scriptedprompter.h"
#include "manager/access/addresstext.h"
#include "manager/params/paramblock.h"
#include "manager/params/widgets/editorpages.h"
#include "manager/params/widgets/frmproperty.h"

constexpr TMacBytes kTestMac = {0, 26, 43, 60, 77, 94};

// A block of a model, with feature bit 3 when dataPort, the test MAC, and addresses from DHCP.
inline TParamBlock MakeBlock(const char* model, bool dataPort = false) {
    TParamBlock block;
    StrToFixed(model, block.data() + kParamModelOffset, kParamModelWidth);
    if (dataPort) block[8] = kFeatureDataPort;
    std::copy(kTestMac.begin(), kTestMac.end(), block.data() + kParamMacOffset);
    SetFieldIp(block, ParamField("ip"), "10.1.1.10");
    SetFieldIp(block, ParamField("mask"), "255.0.0.0");
    SetFieldInt(block, ParamField("dhcp"), 1);
    return block;
}

struct TLoginCall {
    std::string ip;
    TMacBytes mac;
};

class TEditorBench {
  public:
    explicit TEditorBench(TPageRegistry registry = StandardPageRegistry())
        : registry_(std::move(registry)) {}

    // What an editor of this bench is given.
    TFrmPropertyDeps Deps() {
        TFrmPropertyDeps deps;
        deps.prompter = &prompter;
        deps.pages = &registry_;
        deps.programFolder = Folder();
        deps.login = [this](const std::string& ip, const TMacBytes& mac) {
            logins.push_back({ip, mac});
            return login ? login(ip, mac) : true;
        };
        deps.modelDisplayName = displayName;
        return deps;
    }

    // Creates and shows an editor for block.
    TFrmProperty& Open(const TParamBlock& block, const std::string& accessAddress = "") {
        editor = std::make_unique<TFrmProperty>(Deps());
        editor->SetBlock(block);
        editor->SetAccessAddress(accessAddress);
        editor->show();
        QApplication::setActiveWindow(editor.get());
        return *editor;
    }

    template <typename T>
    T* Find(const char* name) const {
        return editor->findChild<T*>(name);
    }

    QString Folder() const { return dir_.path() + "/"; }
    std::string SettingsFile() const { return (Folder() + "SysConfig.ini").toStdString(); }
    TPageRegistry& Registry() { return registry_; }

    TScriptedPrompter prompter;
    std::vector<TLoginCall> logins;                                   // every login, in order
    std::function<bool(const std::string&, const TMacBytes&)> login;  // none: accepted
    std::function<QString(const std::string&)> displayName;           // none: the model name
    std::unique_ptr<TFrmProperty> editor;

  private:
    QTemporaryDir dir_;
    TPageRegistry registry_;
};
