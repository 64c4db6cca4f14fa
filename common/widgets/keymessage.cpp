#include "common/widgets/keymessage.h"

#include <string>

#include "common/widgets/formtranslation.h"

QString KeyMessageText(std::string_view window, int keyWord, const QString& defaultText,
                       const QStringList& args) {
    const std::string key =
        "Pelmora/Messagedlg/" + std::string(window) + "/keyWord" + std::to_string(keyWord);
    return FormatKeyText(TrText(key, defaultText), args);
}

bool ShowKeyMessage(IPrompter& prompter, QWidget* parent, IPrompter::Kind kind,
                    std::string_view window, int keyWord, const QString& defaultText,
                    const QStringList& args, const QString& title) {
    return prompter.Message(parent, kind, title,
                            KeyMessageText(window, keyWord, defaultText, args));
}
