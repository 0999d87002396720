#pragma once

class QCoreApplication;
class QTranslator;

namespace Zelkor {

/// Qt's own Japanese translations (the "qtbase_ja" catalogue of the system's Qt translations):
/// with them the standard dialogs and buttons (file, font, page set-up, print and input dialogs)
/// speak Japanese like the rest of the program, whatever the user's language setting.
class JapaneseTranslations
{
public:
    /// Loads the catalogue from Qt's translations folder and installs it in app (which owns it).
    /// Returns the installed translator, or null when the catalogue is not there.
    static QTranslator *install(QCoreApplication *app);
};

} // namespace Zelkor
