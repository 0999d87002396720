#pragma once

#include "platform/userinterface.h"
#include "table/headeritems.h"
#include "table/recenttables.h"

#include <QString>

namespace Zelkor {

/// The user's choices kept in the settings file between sessions (besides the header items).
struct Settings
{
    QString dataDirectory = QStringLiteral("c:\\Data\\Veg"); ///< open dialog's initial folder
    QString dataFileName = QStringLiteral("NoFile.zki");     ///< the database (".zki") path
    QString dictFileName = QStringLiteral("SynDict.dic");    ///< the synonym dictionary path
    FontSpec tableFont{QStringLiteral("ＭＳ 明朝"), 9};
    FontSpec printFont{QStringLiteral("ＭＳ 明朝"), 9};
    QString title = QStringLiteral("Vegetation Table");      ///< the item panel's title box
    QString layerNames = QStringLiteral("T1T2S1S2H1H2 M");   ///< two characters per layer
    bool frequency = false;     ///< output the frequency column ("出現頻度")
    bool oneTime = false;       ///< list species found once separately ("出現１回の種を別書")
    bool useDataItem = true;    ///< menu check "データ埋込項目を使う"
    int direction = 0;          ///< "出力方向": 0 rows are species, 1 rows are relevés
    int cvMethod = 1;           ///< "優占度変換", cover conversion 0..6
    TextEncoding csvEncoding = TextEncoding::Cp932; ///< the CSV save dialogs' choice, [Output] CsvEncoding
    int winTop = 50;
    int winLeft = 50;
    int winHeight = 600;
    int winWidth = 800;
    RecentTables recentTables;  ///< the file menu's "最近使った表", [RecentTables]
};

/// The file type of the settings file in the open dialog ("label|pattern").
inline QString settingsNameFilter()
{
    return QStringLiteral("設定ファイル (*.ini)|*.ini");
}

/// Reads the settings file into settings and items, key by key; a missing file or key, or a
/// number that does not read, gives the default. Item 1 is always put in the layout; the check
/// marks are not touched; the print font becomes the table font. Returns false (with *error)
/// only when an existing file cannot be read; the defaults are then in place.
bool readIniFile(const QString &iniFileName, Settings *settings, HeaderItems *items,
                 QString *error = nullptr);

/// Writes the settings and items to the settings file, keeping keys of other programs. The data
/// file is written without its folder. False with *error when the file cannot be written; an
/// existing file then stays as it was.
bool writeIniFile(const QString &iniFileName, const Settings &settings, const HeaderItems &items,
                  QString *error = nullptr);

} // namespace Zelkor
