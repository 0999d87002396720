#include "table/settings.h"

#include "platform/cp932.h"
#include "platform/inifile.h"

#include <QFileInfo>

namespace Zelkor {

namespace {
const QString kDataDir = QStringLiteral("DataDir");
const QString kDataFile = QStringLiteral("DataFile");
const QString kFiles = QStringLiteral("Files");
const QString kTable = QStringLiteral("Table");
const QString kItem = QStringLiteral("Item");
const QString kWinSize = QStringLiteral("WinSize");
const QString kOutput = QStringLiteral("Output");

QString itemKey(int n, const char *suffix)
{
    return QStringLiteral("C%1%2").arg(n, 2, 10, QLatin1Char('0')).arg(QLatin1String(suffix));
}
} // namespace

bool readIniFile(const QString &iniFileName, Settings *s, HeaderItems *items, QString *error)
{
    IniFile ini;
    const bool ok = ini.load(iniFileName);
    if (!ok && error)
        *error = ini.errorString();
    const Settings d; // the defaults

    s->dataDirectory = ini.readString(kDataDir, QStringLiteral("Directory"), d.dataDirectory);
    s->dataFileName = ini.readString(kDataFile, QStringLiteral("DataFile"), d.dataFileName);
    s->dictFileName = ini.readString(kFiles, QStringLiteral("SynDict"), d.dictFileName);

    s->tableFont.name = ini.readString(kTable, QStringLiteral("FontName"), d.tableFont.name);
    s->tableFont.pointSize = ini.readInteger(kTable, QStringLiteral("FontSize"), d.tableFont.pointSize);
    if (s->tableFont.pointSize <= 0 || s->tableFont.pointSize > 200)
        s->tableFont.pointSize = d.tableFont.pointSize; // a size no grid can show
    s->title = ini.readString(kTable, QStringLiteral("Title"), d.title);

    // Item 1 holds the running numbers and is always laid out; its flag is never read.
    (*items)[1].layout = true;
    (*items)[1].label = ini.readString(kItem, itemKey(1, "str"), HeaderItems::defaultLabel(1));
    for (int n = 2; n <= HeaderItems::Count; ++n) {
        (*items)[n].layout = ini.readBool(kItem, itemKey(n, "flg"), HeaderItems::defaultLayout(n));
        (*items)[n].label = ini.readString(kItem, itemKey(n, "str"), HeaderItems::defaultLabel(n));
    }

    s->layerNames = Cp932::cutToBytes(ini.readString(kItem, QStringLiteral("Kaisou"), d.layerNames), 14);
    s->frequency = ini.readBool(kItem, QStringLiteral("Frequecy"), d.frequency);
    s->oneTime = ini.readBool(kItem, QStringLiteral("OneTime"), d.oneTime);
    s->useDataItem = ini.readBool(kItem, QStringLiteral("UseDataItem"), d.useDataItem);
    s->direction = ini.readInteger(kItem, QStringLiteral("Direction"), d.direction);
    s->cvMethod = ini.readInteger(kItem, QStringLiteral("CV_Method"), d.cvMethod);
    if (!encodingFromName(ini.readString(kOutput, QStringLiteral("CsvEncoding"), QString()), &s->csvEncoding))
        s->csvEncoding = d.csvEncoding;

    s->winTop = ini.readInteger(kWinSize, QStringLiteral("Top"), d.winTop);
    s->winLeft = ini.readInteger(kWinSize, QStringLiteral("Left"), d.winLeft);
    s->winHeight = ini.readInteger(kWinSize, QStringLiteral("Height"), d.winHeight);
    s->winWidth = ini.readInteger(kWinSize, QStringLiteral("Width"), d.winWidth);
    s->recentTables.read(ini);

    s->printFont = s->tableFont;
    return ok;
}

bool writeIniFile(const QString &iniFileName, const Settings &s, const HeaderItems &items, QString *error)
{
    IniFile ini;
    // Keep what the file holds besides our keys; an unreadable old file is replaced.
    ini.load(iniFileName);

    ini.writeString(kDataDir, QStringLiteral("Directory"), s.dataDirectory);
    ini.writeString(kDataFile, QStringLiteral("DataFile"), QFileInfo(s.dataFileName).fileName());
    ini.writeString(kFiles, QStringLiteral("SynDict"), s.dictFileName);
    ini.writeString(kTable, QStringLiteral("FontName"), s.tableFont.name);
    ini.writeInteger(kTable, QStringLiteral("FontSize"), s.tableFont.pointSize);
    ini.writeString(kTable, QStringLiteral("Title"), s.title);
    for (int n = 1; n <= HeaderItems::Count; ++n) {
        ini.writeBool(kItem, itemKey(n, "flg"), items[n].layout);
        ini.writeString(kItem, itemKey(n, "str"), items[n].label);
    }
    ini.writeString(kItem, QStringLiteral("Kaisou"), s.layerNames);
    ini.writeBool(kItem, QStringLiteral("Frequecy"), s.frequency);
    ini.writeBool(kItem, QStringLiteral("OneTime"), s.oneTime);
    ini.writeBool(kItem, QStringLiteral("UseDataItem"), s.useDataItem);
    ini.writeInteger(kItem, QStringLiteral("Direction"), s.direction);
    ini.writeInteger(kItem, QStringLiteral("CV_Method"), s.cvMethod);
    ini.writeInteger(kWinSize, QStringLiteral("Top"), s.winTop);
    ini.writeInteger(kWinSize, QStringLiteral("Left"), s.winLeft);
    ini.writeInteger(kWinSize, QStringLiteral("Height"), s.winHeight);
    ini.writeInteger(kWinSize, QStringLiteral("Width"), s.winWidth);
    ini.writeString(kOutput, QStringLiteral("CsvEncoding"), encodingName(s.csvEncoding));
    s.recentTables.write(ini);

    if (!ini.save(iniFileName)) {
        if (error)
            *error = ini.errorString();
        return false;
    }
    return true;
}

} // namespace Zelkor
