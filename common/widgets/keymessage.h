// Message boxes whose texts come from the language file by key:
// "Pelmora/Messagedlg/<window>/keyWord<n>", <window> being the window's short name ("FrmMain").
#pragma once

#include <QString>
#include <QStringList>
#include <string_view>

#include "common/widgets/prompter.h"

class QWidget;

// The text of "Pelmora/Messagedlg/<window>/keyWord<keyWord>", or defaultText, with each %s and %d
// filled from args in order.
QString KeyMessageText(std::string_view window, int keyWord, const QString& defaultText,
                       const QStringList& args = {});

// Shows that text in a box of the given kind and title; answers the prompter's answer (Yes for a
// confirmation).
bool ShowKeyMessage(IPrompter& prompter, QWidget* parent, IPrompter::Kind kind,
                    std::string_view window, int keyWord, const QString& defaultText,
                    const QStringList& args = {}, const QString& title = QStringLiteral("Pelmora"));
