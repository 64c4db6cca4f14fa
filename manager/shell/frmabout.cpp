#include "manager/shell/frmabout.h"

#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QLocale>
#include <QPixmap>
#include <QPushButton>

#include "manager/shell/shellicons.h"

QString VersionText() {
    return QStringLiteral(" V%1.%2.%3")
        .arg(PELMORA_VERSION_MAJOR)
        .arg(PELMORA_VERSION_MINOR)
        .arg(PELMORA_VERSION_PATCH);
}

TFrmAbout::TFrmAbout(const QString& programFolder, const QString& programFile, QWidget* parent)
    : QDialog(parent) {
    setObjectName("FrmAbout");
    setWindowTitle(QStringLiteral("关于"));

    imgLogo = new QLabel(this);
    imgLogo->setObjectName("imgLogo");
    QPixmap logo = ToolPicture(TToolPicture::About).pixmap(64, 64);
    for (const char* name : {"Logo.jpeg", "Logo.jpg"}) {
        const QString path = QDir(programFolder).filePath(name);
        QPixmap picture;
        if (QFileInfo::exists(path)) {
            if (picture.load(path)) logo = picture;
            break;
        }
    }
    imgLogo->setPixmap(logo);

    lblProduct = new QLabel(QStringLiteral("Pelmora"), this);
    lblProduct->setObjectName("lblProduct");
    auto* lblVersionCaption = new QLabel(QStringLiteral("版本："), this);
    lblVersionCaption->setObjectName("lblVersionCaption");
    lblVersion = new QLabel(VersionText(), this);
    lblVersion->setObjectName("lblVersion");
    auto* lblBuildDateCaption = new QLabel(QStringLiteral("日期："), this);
    lblBuildDateCaption->setObjectName("lblBuildDateCaption");
    const QDateTime written = QFileInfo(programFile).lastModified();
    lblBuildDate = new QLabel(QLocale().toString(written.date(), QLocale::ShortFormat), this);
    lblBuildDate->setObjectName("lblBuildDate");

    auto* btnOk = new QPushButton(QStringLiteral("确  定(&O)"), this);
    btnOk->setObjectName("btnOk");
    btnOk->setDefault(true);
    connect(btnOk, &QPushButton::clicked, this, &QDialog::accept);

    auto* grid = new QGridLayout(this);
    grid->addWidget(imgLogo, 0, 0, 3, 1);
    grid->addWidget(lblProduct, 0, 1, 1, 2);
    grid->addWidget(lblVersionCaption, 1, 1);
    grid->addWidget(lblVersion, 1, 2);
    grid->addWidget(lblBuildDateCaption, 2, 1);
    grid->addWidget(lblBuildDate, 2, 2);
    grid->addWidget(btnOk, 3, 0, 1, 3, Qt::AlignRight);
}
