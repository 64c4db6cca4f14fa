#include "manager/shell/qttranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include "common/translation.h"

QString QtLocaleOfLanguage(int languageIndex) {
    switch (languageIndex) {
        case lang::kChineseSimplified:
            return QStringLiteral("zh_CN");
        case 2:
            return QStringLiteral("zh_TW");
        case 3:
            return QStringLiteral("ko");
        case 4:
            return QStringLiteral("ru");
        case 5:
            return QStringLiteral("ja");
        default:
            return QString();
    }
}

bool UseQtTranslations(int languageIndex) {
    // One translator for the program: Qt's texts follow the window's language.
    static QTranslator* translator = nullptr;
    if (translator != nullptr) {
        QCoreApplication::removeTranslator(translator);
        delete translator;
        translator = nullptr;
    }
    const QString locale = QtLocaleOfLanguage(languageIndex);
    if (locale.isEmpty()) return false;
    auto* loaded = new QTranslator;
    if (!loaded->load("qtbase_" + locale, QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete loaded;
        return false;
    }
    QCoreApplication::installTranslator(loaded);
    translator = loaded;
    return true;
}
