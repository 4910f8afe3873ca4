// Qt's own texts (the file and folder choosers, standard buttons) in the user's language.
#pragma once

#include <QLocale>

namespace tavelkor {

// Loads Qt's translations for `locale` from where Qt keeps them and installs them in the
// application; true when there were any (English needs none).
bool InstallQtTranslations(const QLocale& locale);

} // namespace tavelkor
