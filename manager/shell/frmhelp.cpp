#include "manager/shell/frmhelp.h"

#include <QHBoxLayout>
#include <QHash>
#include <QPushButton>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextCursor>
#include <QUrl>
#include <QVBoxLayout>

#include "common/widgets/formtranslation.h"

namespace {

// The anchor that GitHub and most Markdown viewers give a heading: its text in lower case, blanks
// as hyphens, other punctuation left out ("3. Editing a terminal's parameters" is
// "3-editing-a-terminals-parameters"), so that one contents list works there and here.
QString HeadingAnchor(const QString& heading) {
    QString anchor;
    for (const QChar c : heading) {
        if (c == u' ')
            anchor += u'-';
        else if (c.isLetterOrNumber() || c.isMark() || c == u'-' || c == u'_')
            anchor += c.toLower();
    }
    return anchor;
}

// Qt's Markdown reader gives headings no anchors: each gets its own, a repeated one with "-1",
// "-2", ... as GitHub does.
void NameHeadings(QTextDocument* document) {
    QHash<QString, int> seen;
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        if (block.blockFormat().headingLevel() == 0) continue;
        QString anchor = HeadingAnchor(block.text());
        if (const int repeats = seen[anchor]++; repeats > 0)
            anchor += u'-' + QString::number(repeats);
        QTextCursor cursor(block);
        cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
        QTextCharFormat format;
        format.setAnchor(true);
        format.setAnchorNames({anchor});
        cursor.mergeCharFormat(format);
    }
}

class TGuideBrowser : public QTextBrowser {
  public:
    using QTextBrowser::QTextBrowser;

  protected:
    void doSetSource(const QUrl& name, QTextDocument::ResourceType type) override {
        QTextBrowser::doSetSource(name, type);
        // The file was read again (the browser does so once its document has changed, as naming
        // the headings changes it): its anchors come only now, after the browser looked for the
        // link's.
        NameHeadings(document());
        if (name.hasFragment()) scrollToAnchor(name.fragment());
    }
};

}  // namespace

TFrmHelp::TFrmHelp(const QString& guideFile, QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName("FrmHelp");
    setWindowTitle(QStringLiteral("用户指南"));
    txtGuide = new TGuideBrowser(this);
    txtGuide->setObjectName("txtGuide");
    txtGuide->setAccessibleName(windowTitle());
    txtGuide->setOpenExternalLinks(true);
    btnBack = new QPushButton(QStringLiteral("后退(&B)"), this);
    btnBack->setObjectName("btnBack");
    btnHome = new QPushButton(QStringLiteral("目录(&T)"), this);
    btnHome->setObjectName("btnHome");
    btnClose = new QPushButton(QStringLiteral("关闭(&C)"), this);
    btnClose->setObjectName("btnClose");

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(btnBack);
    buttons->addWidget(btnHome);
    buttons->addStretch(1);
    buttons->addWidget(btnClose);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(txtGuide, 1);
    layout->addLayout(buttons);

    btnBack->setEnabled(false);
    connect(txtGuide, &QTextBrowser::backwardAvailable, btnBack, &QWidget::setEnabled);
    connect(btnBack, &QPushButton::clicked, txtGuide, &QTextBrowser::backward);
    connect(btnHome, &QPushButton::clicked, txtGuide, &QTextBrowser::home);
    connect(btnClose, &QPushButton::clicked, this, &QWidget::close);

    // Pictures and links in the guide are relative to its file.
    txtGuide->setSource(QUrl::fromLocalFile(guideFile), QTextDocument::MarkdownResource);
    resize(900, 700);
    TranslateForm(this);
}
