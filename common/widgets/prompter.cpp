#include "common/widgets/prompter.h"

#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QRegularExpression>

bool TDialogPrompter::Message(QWidget* parent, Kind kind, const QString& title,
                              const QString& text) {
    switch (kind) {
        case Kind::Error:
            QMessageBox::critical(parent, title, text);
            return true;
        case Kind::Warning:
            QMessageBox::warning(parent, title, text);
            return true;
        case Kind::Information:
            QMessageBox::information(parent, title, text);
            return true;
        case Kind::Confirmation:
            return QMessageBox::question(parent, title, text, QMessageBox::Yes | QMessageBox::No,
                                         QMessageBox::No) == QMessageBox::Yes;
    }
    return false;
}

bool TDialogPrompter::AskText(QWidget* parent, const QString& title, const QString& label,
                              QString* text, bool password) {
    bool ok = false;
    QString answer = QInputDialog::getText(
        parent, title, label, password ? QLineEdit::Password : QLineEdit::Normal, *text, &ok);
    if (ok) *text = answer;
    return ok;
}

QString TDialogPrompter::OpenFileName(QWidget* parent, const QString& title, const QString& folder,
                                      const QString& filter) {
    return QFileDialog::getOpenFileName(parent, title, folder, filter);
}

QString TDialogPrompter::SaveFileName(QWidget* parent, const QString& title, const QString& folder,
                                      const QString& filter, const QString& defaultSuffix) {
    QFileDialog dialog(parent, title, folder, filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(defaultSuffix);
    // With several filters ("CSV (*.csv);;Excel workbook (*.xlsx)") a name typed without an
    // extension gets the one of the filter chosen.
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString& f) {
        const QRegularExpressionMatch m = QRegularExpression(R"(\*\.(\w+))").match(f);
        if (m.hasMatch()) dialog.setDefaultSuffix(m.captured(1));
    });
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().first();
}
