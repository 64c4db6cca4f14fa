// Captions that show a file name or a user's text.
#pragma once

#include <QString>

// text with each "&" doubled, so that a button, check box or menu entry shows it as it is instead
// of taking the letter after it for a mnemonic.
inline QString LiteralCaption(QString text) {
    return text.replace(u'&', QStringLiteral("&&"));
}
