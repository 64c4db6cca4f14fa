// Draws the pictures of the user guide: runs Pelmora's and Vellup's windows offscreen against
// simulated terminals (started by scripts/screenshots, named by KVSETUP_TARGETS) and saves each
// window or page as a PNG. Exits 1 when a window cannot be opened or drawn.
//
//   pelmora_screenshots OUT-DIR zh_CN|en PREFIX     (the terminals are PREFIX.1 to PREFIX.6)
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <cstdio>
#include <functional>
#include <memory>

#include "common/devlistfile.h"
#include "common/widgets/prompter.h"
#include "manager/access/kvlibrary.h"
#include "manager/books/listfile.h"
#include "manager/plans/widgets/frmplanapply.h"
#include "manager/settings/testing/memorysettingsstore.h"
#include "manager/shell/devicelist.h"
#include "manager/shell/frmhelp.h"
#include "manager/shell/frmmain.h"
#include "manager/shell/updatehandoff.h"
#include "updater/mainform.h"

namespace {

bool failed = false;

void Fail(const QString& what) {
    std::fprintf(stderr, "pelmora_screenshots: %s\n", qPrintable(what));
    failed = true;
}

// Message boxes would block offscreen: each one is a failure of the run; files come from here.
class TShotPrompter : public IPrompter {
  public:
    QString openFile;
    bool Message(QWidget*, Kind, const QString&, const QString& text) override {
        Fail("unexpected message: " + text);
        return false;
    }
    bool AskText(QWidget*, const QString&, const QString&, QString*, bool) override {
        return false;
    }
    QString OpenFileName(QWidget*, const QString&, const QString&, const QString&) override {
        return openFile;
    }
    QString SaveFileName(QWidget*, const QString&, const QString&, const QString&,
                         const QString&) override {
        return {};
    }
};

QString outDir;

// Saves widget as NAME.png; a picture that is empty or of one colour means it was not drawn.
void Shoot(QWidget* widget, const QString& name) {
    QApplication::processEvents();
    const QImage image = widget->grab().toImage();
    bool drawn = !image.isNull() && image.width() > 50 && image.height() > 50;
    if (drawn) {
        drawn = false;
        const QRgb first = image.pixel(0, 0);
        for (int y = 0; y < image.height() && !drawn; y += 7)
            for (int x = 0; x < image.width() && !drawn; x += 7)
                drawn = image.pixel(x, y) != first;
    }
    if (!drawn || !image.save(outDir + "/" + name + ".png")) Fail("cannot draw " + name);
}

// Waits, with a generous bound, for a condition that the window's own events make true.
bool WaitFor(const std::function<bool()>& done) {
    for (int i = 0; i < 3000 && !done(); ++i)
        QTest::qWait(10);
    return done();
}

// Runs trigger, which opens a modal dialog named dialogName, and inspect on that dialog; then
// closes it. Fails when the dialog does not appear.
void WithDialog(const char* dialogName, const std::function<void()>& trigger,
                const std::function<void(QWidget*)>& inspect) {
    bool seen = false;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        QWidget* dialog = QApplication::activeModalWidget();
        if (dialog == nullptr || dialog->objectName() != dialogName) return;
        watch.stop();
        seen = true;
        inspect(dialog);
        dialog->close();
    });
    watch.start(20);
    trigger();
    if (!seen) Fail(QString("the dialog %1 did not open").arg(dialogName));
}

// Shows the editor page of the tree entry at path (top-level index, then child index).
void ShowPage(QWidget* editor, std::initializer_list<int> path) {
    auto* tree = editor->findChild<QTreeWidget*>("OrgTreeView");
    QTreeWidgetItem* item = nullptr;
    for (int index : path)
        item = item ? item->child(index) : tree->topLevelItem(index);
    if (item == nullptr) return Fail("no such editor page");
    tree->scrollToItem(item);
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(item).center());
}

void SelectIp(TFrmMain& window, const std::string& ip) {
    for (std::size_t row = 0; row < window.List().Rows().size(); ++row)
        if (window.List().Row(row).columns[kColIp] == ip) return window.SelectRow(row);
    Fail("no terminal at " + QString::fromStdString(ip));
}

// The master lists and a download selection, as an installer would have them.
void WriteBooks(const std::string& data) {
    QDir().mkpath(QString::fromStdString(data));
    const TListRows contacts = {
        {"1", 0, {"8001", "Lobby", "Ground floor"}},
        {"2", 0, {"8002", "Gate", "Ground floor"}},
        {"3", 0, {"8101", "Office 1", "First floor"}},
        {"4", 0, {"8102", "Office 2", "First floor"}},
        {"5", 0, {"8201", "Duty room", "Security"}},
    };
    const TListRows zones = {
        {"1", 0, {"All floors", "239.0.0.1", "5001"}},
        {"2", 0, {"Ground floor", "239.0.0.2", "5002"}},
        {"3", 0, {"First floor", "239.0.0.3", "5003"}},
    };
    SaveListFile(contacts, data + "Contacts.dat");
    SaveListFile(zones, data + "Multicasts.dat");
    SaveListFile(contacts, data + "DlContacts.dat");
    SaveListFile(zones, data + "DlMulticasts.dat");
}

// A folder made empty for the run and removed at its end.
class TScratchFolder {
  public:
    explicit TScratchFolder(const QString& path) : dir_(path) {
        dir_.removeRecursively();
        QDir().mkpath(path);
    }
    ~TScratchFolder() { dir_.removeRecursively(); }
    QString path() const { return dir_.path(); }
    QString filePath(const QString& name) const { return dir_.filePath(name); }

  private:
    QDir dir_;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: pelmora_screenshots OUT-DIR zh_CN|en PREFIX\n");
        return 2;
    }
    QApplication app(argc, argv);
    outDir = QString::fromLocal8Bit(argv[1]);
    const bool english = QString(argv[2]) == "en";
    const std::string prefix = argv[3];
    QDir().mkpath(outDir);

    // A fresh program folder; the language file and the catalogue are read from beside this
    // program (the build tree's bin/).
    // A fixed folder name, so that the plan window's file box is the same in every run.
    TScratchFolder home(QDir::temp().filePath("pelmora-guide"));
    const std::string folder = home.path().toStdString() + "/";
    WriteBooks(folder + "Data/");
    std::string error;
    std::unique_ptr<TKvLibrary> library = TKvLibrary::LoadForProgram(
        folder, QApplication::applicationDirPath().toStdString(), &error);
    if (!library) {
        Fail(QString::fromStdString(error));
        return 1;
    }
    TShotPrompter prompter;
    TMemorySettingsStore userStore, machineStore;
    TFrmMainDeps deps;
    deps.access = library.get();
    deps.prompter = &prompter;
    deps.userStore = &userStore;
    deps.machineStore = &machineStore;
    deps.programFolder = home.path();
    deps.programFile = QApplication::applicationFilePath();
    deps.askLogin = [] { return std::optional<TLoginAnswer>(); };
    TFrmMain window(deps);
    window.ApplyLanguage(english ? 1 : 0, false);
    window.resize(1000, 420);
    window.show();
    if (!WaitFor([&] { return !window.Searching() && window.List().Rows().size() >= 6; }))
        Fail("the search found no terminals");
    Shoot(&window, "main");

    // This guide in the help window (F1).
    QTest::keyClick(&window, Qt::Key_F1);
    if (auto* help = window.findChild<TFrmHelp*>()) {
        help->resize(760, 480);
        Shoot(help, "help");
        help->close();
    } else {
        Fail("F1 opened no help window");
    }

    // The editor of an SIP1601 terminal: three of its pages.
    SelectIp(window, prefix + ".4");
    WithDialog(
        "FrmProperty", [&] { window.PDevProperty->trigger(); },
        [&](QWidget* editor) {
            editor->resize(860, 600);
            for (const auto& [page, name] :
                 {std::pair{1, "editor-network"}, std::pair{3, "editor-talk"},
                  std::pair{5, "editor-keys"}}) {
                ShowPage(editor, {page});
                Shoot(editor, name);
            }
        });
    // An SIP520 terminal: its contact page and a download of that selection.
    SelectIp(window, prefix + ".2");
    WithDialog(
        "FrmProperty", [&] { window.PDevProperty->trigger(); },
        [&](QWidget* editor) {
            editor->resize(860, 600);
            ShowPage(editor, {6, 0});
            Shoot(editor, "editor-book");
            auto* download = editor->findChild<QPushButton*>("btnContactDownload");
            WithDialog(
                "FrmDownloadWait", [&] { download->click(); },
                [&](QWidget* dialog) {
                    auto* button = dialog->findChild<QPushButton*>("BtnDownloadStop");
                    const QString stop = button->text();
                    if (!WaitFor([&] { return button->text() != stop; }))
                        Fail("the download did not end");
                    Shoot(dialog, "download");
                });
        });
    WithDialog(
        "FrmContactEdit", [&] { window.tlBtnContacts->trigger(); },
        [&](QWidget* dialog) { Shoot(dialog, "contacts"); });
    WithDialog(
        "FrmMulticastEdit", [&] { window.tlBtnMulticast->trigger(); },
        [&](QWidget* dialog) { Shoot(dialog, "multicasts"); });

    // A settings plan for three terminals, opened in the plan window.
    const QString plan = home.filePath("site.csv");
    QFile planFile(plan);
    if (planFile.open(QIODevice::WriteOnly))
        planFile.write(QString("ip,talk.auto_answer,mgmt.port\n%1.1,5,8080\n%1.3,10,8080\n"
                               "%1.4,,8080\n")
                           .arg(QString::fromStdString(prefix))
                           .toUtf8());
    planFile.close();
    prompter.openFile = plan;
    WithDialog(
        "FrmPlanApply", [&] { window.NApplyPlan->trigger(); },
        [&](QWidget* dialog) {
            dialog->resize(900, 500);
            dialog->findChild<QPushButton*>("btnOpenPlan")->click();
            QTest::qWait(200);  // the preview reads the terminals on a worker
            WaitFor([&] { return !static_cast<TFrmPlanApply*>(dialog)->Running(); });
            Shoot(dialog, "plan");
        });

    // Vellup with the terminals handed over.
    QTemporaryDir updaterHome;
    std::vector<TDevListRow> rows;
    for (const TDeviceRow& row : window.List().Rows())
        rows.push_back({row.columns[kColMac], row.columns[kColIp], row.columns[kColDisplayName],
                        row.columns[kColFirmware], row.columns[kColInterface],
                        row.columns[kColModel]});
    if (!WriteUpdateHandoff(updaterHome.path().toStdString(), rows, &error))
        Fail(QString::fromStdString(error));
    TMainForm updater(updaterHome.path().toStdString(), prompter);
    updater.show();
    Shoot(&updater, "vellup");

    window.hide();
    return failed ? 1 : 0;
}
