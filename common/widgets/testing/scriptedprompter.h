// A prompter for tests: records every request and answers from a script.
#pragma once

#include <QString>
#include <QStringList>
#include <deque>
#include <vector>

#include "common/widgets/prompter.h"

class TScriptedPrompter : public IPrompter {
  public:
    struct Shown {
        Kind kind;
        QString title;
        QString text;
    };

    std::vector<Shown> messages;     // every message box, in order
    std::deque<bool> confirmations;  // answers to Confirmation boxes; empty: answer No
    std::deque<QString> texts;       // answers to AskText; empty: cancel
    std::deque<QString> fileNames;   // answers to file dialogs; empty: cancel

    bool Message(QWidget*, Kind kind, const QString& title, const QString& text) override {
        messages.push_back({kind, title, text});
        if (kind != Kind::Confirmation) return true;
        return Take(confirmations, false);
    }
    bool AskText(QWidget*, const QString&, const QString&, QString* text, bool) override {
        if (texts.empty()) return false;
        *text = Take(texts, QString());
        return true;
    }
    QString OpenFileName(QWidget*, const QString&, const QString&, const QString&) override {
        return Take(fileNames, QString());
    }
    QString SaveFileName(QWidget*, const QString&, const QString&, const QString&,
                         const QString&) override {
        return Take(fileNames, QString());
    }

    QStringList MessageTexts() const {
        QStringList all;
        for (const Shown& m : messages)
            all << m.text;
        return all;
    }

  private:
    template <typename T>
    static T Take(std::deque<T>& queue, T fallback) {
        if (queue.empty()) return fallback;
        T value = queue.front();
        queue.pop_front();
        return value;
    }
};
