// Qt's own texts (standard buttons, file dialogs) in the language of the window, from the
// translations Qt ships (Debian: qt6-translations-l10n).
#pragma once

#include <QString>

// The Qt locale name of a language index ("zh_CN" for 0); empty for English and unknown indexes.
QString QtLocaleOfLanguage(int languageIndex);

// Installs Qt's translation for the language, replacing the one installed before; English and a
// language without an installed translation leave Qt's built-in English texts. True when a
// translation was installed.
bool UseQtTranslations(int languageIndex);
