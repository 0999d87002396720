#pragma once

#include "platform/userinterface.h"

#include <QString>

namespace Zelkor {

class HeaderItems;
class TableDocument;
struct Settings;

/// The commands of the settings: reading a settings file (at start, from the menu, beside a
/// table file), writing the program's own one, and the table and print fonts.
class SettingsCommand
{
public:
    /// doc and ui must outlive the command.
    SettingsCommand(TableDocument *doc, UserInterface *ui);

    /// Reads the settings file path into *settings and *items, which start as copies of the
    /// settings and items in use. A settings file brings the layout, the labels and the choices,
    /// not a database or dictionary: the names of those in use (current) stay, and so does the
    /// list of the tables used last. False with *error
    /// when the file cannot be read; *settings and *items are then not to be used.
    static bool readKeepingSources(const QString &path, const Settings &current, Settings *settings,
                                   HeaderItems *items, QString *error);

    /// Reads the program's settings file at start. A file that cannot be read is reported and
    /// the defaults stay in place; false then.
    bool readStartupSettings(const QString &iniFileName);
    /// Menu "設定ファイルの読込み": asks for a settings file and takes its settings and header
    /// items (the "データ埋込項目を使う" check follows the file); the new layout shows at the next
    /// table clearing. The database and dictionary open now stay. A file that cannot be read is
    /// reported and changes nothing.
    void chooseAndReadSettings();
    /// Writes the settings and header items to iniFileName; a failure is reported and false
    /// returned.
    bool writeSettings(const QString &iniFileName);

    /// Menu "表のフォント変更": on OK the chosen font becomes the table and the print font; the
    /// table is laid out again in any case.
    void chooseTableFont();
    /// The print-font button of the item panel: the same dialog, for the print font alone.
    void choosePrintFont();
    /// The font the font dialog opens with: the one last chosen in it ("ＭＳ ゴシック" 9 pt first).
    FontSpec fontDialogFont() const { return m_fontDialogFont; }

private:
    TableDocument *m_doc;
    UserInterface *m_ui;
    FontSpec m_fontDialogFont{QStringLiteral("ＭＳ ゴシック"), 9};
};

} // namespace Zelkor
