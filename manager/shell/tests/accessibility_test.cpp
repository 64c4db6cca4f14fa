// Every control that the keyboard reaches, in every window of the manager, has a name that a
// screen reader announces, and every button and menu entry a mnemonic of its own, in the built-in
// language and in English.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>
#include <functional>
#include <memory>

#include "common/widgets/accessiblenames.h"
#include "common/widgets/formtranslation.h"
#include "common/widgets/testing/mnemonicclashes.h"
#include "common/widgets/testing/scriptedprompter.h"
#include "common/widgets/testing/unnamedcontrols.h"
#include "manager/access/addresstext.h"
#include "manager/access/testing/mockdeviceaccess.h"
#include "manager/books/widgets/frmcontactedit.h"
#include "manager/books/widgets/frmmulticastedit.h"
#include "manager/books/widgets/frmsitedownload.h"
#include "manager/hostdl/widgets/frmdownloadwait.h"
#include "manager/params/paramblock.h"
#include "manager/params/widgets/editorpages.h"
#include "manager/params/widgets/frmproperty.h"
#include "manager/plans/widgets/frmplanapply.h"
#include "manager/settings/testing/memorysettingsstore.h"
#include "manager/shell/frmabout.h"
#include "manager/shell/frmdevedit.h"
#include "manager/shell/frmhelp.h"
#include "manager/shell/frmlogin.h"
#include "manager/shell/frmmain.h"
#include "manager/shell/frmsearchwait.h"

namespace {

using ::testing::NiceMock;

TParamBlock Block(const char* model, bool dataPort) {
    TParamBlock block;
    StrToFixed(model, block.data() + kParamModelOffset, kParamModelWidth);
    if (dataPort) block[8] = kFeatureDataPort;
    return block;
}

class AccessibleNamesTest : public ::testing::TestWithParam<bool> {
  protected:
    bool English() const { return GetParam(); }

    void SetUp() override {
        if (English()) {
            QDir(home.path()).mkpath("lang");
            QFile::remove(home.filePath("lang/Pelmora.xml"));  // a second window of a case
            ASSERT_TRUE(QFile::copy(PELMORA_SOURCE_DIR "/data/files/lang/Pelmora.xml",
                                    home.filePath("lang/Pelmora.xml")));
        }
        // No login is answered and no editor opens: the walk only looks at the windows.
        const TFrmMainDeps deps{&access,
                                &prompter,
                                &userStore,
                                &machineStore,
                                home.path(),
                                programFile,
                                QString(),
                                [] { return std::optional<TLoginAnswer>(); },
                                [](const TPropertySession&) { return std::nullopt; }};
        // The main window owns the program-wide language document the other windows use.
        window = std::make_unique<TFrmMain>(deps);
        if (English()) window->ApplyLanguage(1, false);
    }

    TFrmPropertyDeps EditorDeps() {
        TFrmPropertyDeps deps;
        deps.prompter = &prompter;
        deps.pages = &pages;
        deps.programFolder = home.path() + "/";
        deps.login = [](const std::string&, const TMacBytes&) { return true; };
        return deps;
    }

    QTemporaryDir home;
    QString programFile = QCoreApplication::applicationFilePath();
    NiceMock<MockDeviceAccess> access;
    TScriptedPrompter prompter;
    TMemorySettingsStore userStore, machineStore;
    TPageRegistry pages = StandardPageRegistry();
    std::unique_ptr<TFrmMain> window;
};

TEST_P(AccessibleNamesTest, EveryReachableControlOfEveryWindowHasANameAndAMnemonic) {
    const std::string folder = home.path().toStdString() + "/";
    using TMake = std::function<std::unique_ptr<QWidget>()>;
    struct Window {
        TMake make;                                    // null: the main window itself
        std::function<void(QWidget*)> then = nullptr;  // after translation: later texts
    };
    const auto devEdit = [&](TFrmDevEdit::TMode mode) -> TMake {
        return [&, mode] {
            return std::make_unique<TFrmDevEdit>(mode, QStringList(), QString(), prompter);
        };
    };
    const TMake downloadWait = [] { return std::make_unique<TFrmDownloadWait>(); };
    const auto jobResult = [](bool success) {
        return [success](QWidget* form) {
            static_cast<TFrmDownloadWait*>(form)->ShowJobResult(success, QString());
        };
    };
    const Window windows[] = {
        {nullptr},
        {[&]() -> std::unique_ptr<QWidget> {
            auto editor = std::make_unique<TFrmProperty>(EditorDeps());
            editor->SetBlock(Block("SIP1601", true));  // talk, multicast, keys, ports, GPIO
            editor->show();
            return editor;
        }},
        {[&]() -> std::unique_ptr<QWidget> {
            auto editor = std::make_unique<TFrmProperty>(EditorDeps());
            editor->SetBlock(Block("SIP520", false));  // the address-book pages
            editor->show();
            return editor;
        }},
        {[&]() -> std::unique_ptr<QWidget> {
            return std::make_unique<TFrmContactEdit>(TBookEditMode::kSelect,
                                                     folder + "Contacts.dat", prompter);
        }},
        {[&]() -> std::unique_ptr<QWidget> {
            return std::make_unique<TFrmMulticastEdit>(TBookEditMode::kSelect,
                                                       folder + "Multicasts.dat", prompter);
        }},
        {devEdit(TFrmDevEdit::TMode::Add)},
        {devEdit(TFrmDevEdit::TMode::Modify), [](QWidget* form) { form->show(); }},
        {downloadWait},
        {downloadWait, jobResult(true)},
        {downloadWait, jobResult(false)},
        {[&]() -> std::unique_ptr<QWidget> {
            return std::make_unique<TFrmPlanApply>(
                access, prompter, [] { return std::optional<TLoginCredentials>(); },
                home.path() + "/");
        }},
        {[&]() -> std::unique_ptr<QWidget> {
            return std::make_unique<TFrmSiteDownload>(access, prompter, home.path() + "/",
                                                      std::vector<TSiteCandidate>());
        }},
        {[&]() -> std::unique_ptr<QWidget> {
            return std::make_unique<TFrmAbout>(home.path() + "/",
                                               QCoreApplication::applicationFilePath());
        }},
        {[&]() -> std::unique_ptr<QWidget> {
            return std::make_unique<TFrmHelp>(QString(PELMORA_SOURCE_DIR "/docs/guide/en/guide.md"),
                                              nullptr);
        }},
        {[]() -> std::unique_ptr<QWidget> { return std::make_unique<TFrmLogin>(); }},
        {[]() -> std::unique_ptr<QWidget> { return std::make_unique<TFrmSearchWait>(1, nullptr); }},
    };
    for (const Window& w : windows) {
        std::unique_ptr<QWidget> form = w.make ? w.make() : nullptr;
        QWidget* shown = form ? form.get() : window.get();
        TranslateForm(shown);  // as their callers do before showing them
        if (w.then) w.then(shown);
        const char* name = shown->metaObject()->className();
        EXPECT_EQ(UnnamedControls(shown), "") << name;
        EXPECT_EQ(MnemonicProblems(shown), "") << name;
    }
}

// The name comes from the label beside the box, in the window's language, and the label leads
// to the box (its mnemonic and a click on it).
TEST_P(AccessibleNamesTest, BoxIsNamedByItsLabel) {
    TFrmProperty editor(EditorDeps());
    editor.SetBlock(Block("SIP310", false));
    editor.show();
    auto* ip = editor.findChild<QLineEdit*>("EdtBaseNet_IP");
    ASSERT_NE(ip, nullptr);
    EXPECT_EQ(SpokenName(ip), English() ? QStringLiteral("IP address") : QStringLiteral("IP地址"));
    EXPECT_EQ(editor.findChild<QLabel*>("lblBaseNet_IP")->buddy(), ip);
}

// F10 opens the menu bar; F1 opens the guide of the window's language beside the programs, or
// says that it is missing.
TEST_P(AccessibleNamesTest, MenuKeyAndUserGuide) {
    struct Case {
        QString programFile;
        const char* guideTitle;  // null: no guide there
    };
    const Case cases[] = {
        {PELMORA_BIN_DIR "/Pelmora", English() ? "Pelmora user guide" : "Pelmora 用户指南"},
        {home.filePath("Pelmora"), nullptr},
    };
    for (const Case& c : cases) {
        programFile = c.programFile;
        SetUp();
        window->show();
        QApplication::setActiveWindow(window.get());
        QTest::keyClick(window.get(), Qt::Key_F10);
        EXPECT_EQ(window->menuBar()->activeAction(), window->NDevice->menuAction());
        window->menuBar()->setActiveAction(nullptr);
        prompter.messages.clear();
        QTest::keyClick(window.get(), Qt::Key_F1);
        auto* help = window->findChild<TFrmHelp*>();
        if (c.guideTitle == nullptr) {
            EXPECT_EQ(help, nullptr);
            EXPECT_EQ(prompter.MessageTexts(),
                      QStringList(English() ? "The user guide is not installed"
                                            : QStringLiteral("找不到用户指南")));
            continue;
        }
        ASSERT_NE(help, nullptr);
        EXPECT_TRUE(help->isVisible());
        EXPECT_TRUE(help->txtGuide->toPlainText().startsWith(QString::fromUtf8(c.guideTitle)))
            << help->txtGuide->toPlainText().left(80).toStdString();
    }
}

// Each entry of the guide's contents list leads to its section: the section's heading is the
// first line shown (or, for the last ones, the guide shows its end with the heading); Back
// returns to the top.
TEST_P(AccessibleNamesTest, GuideContentsLeadToTheirSections) {
    TFrmHelp help(QStringLiteral(PELMORA_SOURCE_DIR "/docs/guide/%1/guide.md")
                      .arg(English() ? "en" : "zh_CN"),
                  nullptr);
    help.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&help));
    auto* guide = help.findChild<QTextBrowser*>("txtGuide");
    auto* back = help.findChild<QPushButton*>("btnBack");
    ASSERT_TRUE(guide != nullptr && back != nullptr);
    QTextDocument* document = guide->document();
    QScrollBar* bar = guide->verticalScrollBar();

    std::vector<QTextFragment> links;
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next())
        for (auto it = block.begin(); !it.atEnd(); ++it)
            if (it.fragment().charFormat().anchorHref().startsWith('#'))
                links.push_back(it.fragment());
    ASSERT_EQ(links.size(), 10u);
    for (std::size_t i = 0; i < links.size(); ++i) {
        const QString heading = QString::number(i + 1) + ". " + links[i].text();
        QTextCursor link(document);
        link.setPosition(links[i].position() + 1);
        QTest::mouseClick(guide->viewport(), Qt::LeftButton, {}, guide->cursorRect(link).center());

        QTextBlock target = document->begin();
        while (target.isValid() &&
               (target.blockFormat().headingLevel() != 2 || target.text() != heading))
            target = target.next();
        ASSERT_TRUE(target.isValid()) << heading.toStdString();
        // Where the heading's line is in the view: 0 at its top.
        const qreal y =
            target.layout()->position().y() + target.layout()->lineAt(0).y() - bar->value();
        const bool atEnd =
            bar->value() == bar->maximum() && y >= 0 && y < guide->viewport()->height();
        EXPECT_TRUE(bar->value() > 0 && (qAbs(y) < 1 || atEnd))
            << heading.toStdString() << " at " << y << ", bar " << bar->value();

        ASSERT_TRUE(back->isEnabled()) << heading.toStdString();
        back->click();
        EXPECT_EQ(bar->value(), 0) << heading.toStdString();
        EXPECT_FALSE(back->isEnabled());
    }
}

INSTANTIATE_TEST_SUITE_P(Languages, AccessibleNamesTest, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "English" : "BuiltIn"; });

}  // namespace
