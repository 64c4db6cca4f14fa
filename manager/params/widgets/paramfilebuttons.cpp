// The four parameter-file buttons of the property editor: default parameters, save parameters,
// export and import. None of them talks to the terminal; loading changes only the pages.
#include <QDir>

#include "common/widgets/formtranslation.h"
#include "common/widgets/prompter.h"
#include "manager/params/paramfile.h"
#include "manager/params/paramfilecommands.h"
#include "manager/params/serveraddresses.h"
#include "manager/params/widgets/frmproperty.h"
#include "manager/params/widgets/functionpages.h"

namespace {

const QString kFilter = QStringLiteral("Dps file(*.dps)");
const QString kSuffix = QStringLiteral("dps");

QString Message(int keyWord, const char* defaultText) {
    return TrText("Pelmora/Messagedlg/FrmProperty/keyWord" + std::to_string(keyWord),
                  QString::fromUtf8(defaultText));
}

void Show(TFrmProperty& editor, IPrompter::Kind kind, const QString& text) {
    editor.Prompter().Message(&editor, kind, QStringLiteral("Pelmora"), text);
}

void ShowFileError(TFrmProperty& editor, const std::string& error) {
    Show(editor, IPrompter::Kind::Error, QString::fromStdString(error));
}

// The data folder, created when missing: the dialogs open there.
QString DataFolder(const TFrmProperty& editor) {
    const QString folder = const_cast<TFrmProperty&>(editor).Context().dataFolder;
    QDir().mkpath(folder);
    return folder;
}

void DefaultParamsClick(TFrmProperty& editor) {
    const TEditorContext& context = editor.Context();
    const TDefaultParams defaults =
        DefaultParams(editor.Block(), context.dataFolder.toStdString(),
                      DefaultManagementServer(context.settingsFile.toStdString()));
    if (defaults.source == TDefaultParams::TSource::kIoError)
        return ShowFileError(editor, defaults.error);
    if (defaults.wrongLength)
        Show(editor, IPrompter::Kind::Error, Message(8, "对不起，文件格式不正确"));
    editor.LoadPages(defaults.block, false);
}

void SaveParamsClick(TFrmProperty& editor) {
    const std::string error =
        SaveDefaultParams(editor.Block(), editor.Context().dataFolder.toStdString());
    if (!error.empty()) return ShowFileError(editor, error);
    Show(editor, IPrompter::Kind::Information, Message(9, "保存成默认参数成功"));
}

void ExportParamsClick(TFrmProperty& editor) {
    const QString path =
        editor.Prompter().SaveFileName(&editor, QString(), DataFolder(editor), kFilter, kSuffix);
    if (path.isEmpty()) return;
    TParamBlock copy = editor.Block();
    editor.SavePages(copy);
    const TParamFileResult saved = SaveParamFile(path.toStdString(), copy);
    if (!saved.ok()) ShowFileError(editor, path.toStdString() + ": " + saved.message);
}

void ImportParamsClick(TFrmProperty& editor) {
    const QString path =
        editor.Prompter().OpenFileName(&editor, QString(), DataFolder(editor), kFilter);
    if (path.isEmpty()) return;
    const TImportParams imported = ImportParams(path.toStdString(), editor.Block());
    switch (imported.outcome) {
        case TImportParams::TOutcome::kIoError:
            return ShowFileError(editor, imported.error);
        case TImportParams::TOutcome::kWrongLength:
            return Show(editor, IPrompter::Kind::Error,
                        Message(8, "对不起，文件格式不正确，导入失败！"));
        case TImportParams::TOutcome::kIncompatible:
            return Show(editor, IPrompter::Kind::Error,
                        Message(10, "对不起，设备类型参数不兼容，导入失败！"));
        case TImportParams::TOutcome::kLoaded:
            editor.LoadPages(imported.block, false);
            return;
    }
}

}  // namespace

void RegisterParameterFileCommands(TPageRegistry& registry) {
    registry.AddCommand("btnDefParams", DefaultParamsClick);
    registry.AddCommand("btnSaveParams", SaveParamsClick);
    registry.AddCommand("btnExportParams", ExportParamsClick);
    registry.AddCommand("btnImportParams", ImportParamsClick);
}
