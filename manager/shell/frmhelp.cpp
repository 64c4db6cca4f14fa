#include "manager/shell/frmhelp.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

#include "common/widgets/formtranslation.h"

TFrmHelp::TFrmHelp(const QString& guideFile, QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName("FrmHelp");
    setWindowTitle(QStringLiteral("用户指南"));
    txtGuide = new QTextBrowser(this);
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
