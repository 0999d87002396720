// The settings file: the profile reader and writer, and the settings and header items read from
// it.
#include "platform/inifile.h"
#include "table/headeritems.h"
#include "table/settings.h"

#include "fuzzinput.h"

using namespace Zelkor;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString name = Fuzz::writeFile("in.ini", Fuzz::bytes(data, size));
    Settings settings;
    HeaderItems items;
    QString error;
    if (readIniFile(name, &settings, &items, &error))
        writeIniFile(Fuzz::folder().filePath(QStringLiteral("out.ini")), settings, items, &error);
    IniFile ini;
    if (ini.load(name)) {
        (void)ini.readInteger(QStringLiteral("Table"), QStringLiteral("FontSize"), 9);
        ini.writeString(QStringLiteral("Item"), QStringLiteral("Kaisou"), QStringLiteral("T1T2S1S2H1H2 M"));
        ini.save(Fuzz::folder().filePath(QStringLiteral("out2.ini")));
    }
    return 0;
}
