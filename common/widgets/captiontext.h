// Captions that show a file name or a user's text.
#pragma once

#include <QAbstractButton>
#include <QString>

// text with each "&" doubled, so that a button, check box or menu entry shows it as it is instead
// of taking the letter after it for a mnemonic.
inline QString LiteralCaption(QString text) {
    return text.replace(u'&', QStringLiteral("&&"));
}

// The property of a button whose whole caption is data (the pak box shows the file's name): it has
// no mnemonic, and the keyboard reaches it by Tab.
constexpr const char* kDataCaptionProperty = "dataCaption";

inline void SetDataCaption(QAbstractButton& button, const QString& text) {
    button.setText(LiteralCaption(text));
    button.setProperty(kDataCaptionProperty, true);
}
