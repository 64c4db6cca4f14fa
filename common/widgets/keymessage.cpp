#include "common/widgets/keymessage.h"

#include "common/translation.h"
#include "common/widgets/formtranslation.h"

QString KeyMessageText(std::string_view window, int keyWord, const QString& defaultText,
                       const QStringList& args) {
    return FormatKeyText(TrText(MessageKey(window, keyWord), defaultText), args);
}

bool ShowKeyMessage(IPrompter& prompter, QWidget* parent, IPrompter::Kind kind,
                    std::string_view window, int keyWord, const QString& defaultText,
                    const QStringList& args, const QString& title) {
    return prompter.Message(parent, kind, title,
                            KeyMessageText(window, keyWord, defaultText, args));
}
