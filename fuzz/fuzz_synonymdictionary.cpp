// The synonym dictionary: reading it and looking names up.
#include "database/synonymdictionary.h"

#include "fuzzinput.h"

using namespace Zelkor;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString name = Fuzz::writeFile("in.dic", Fuzz::bytes(data, size));
    SynonymDictionary dict;
    if (dict.load(name)) {
        for (const char *look : {"Poa annua", "POA ANNUA", "", "Ａｂ"})
            (void)dict.synToCommonName(QString::fromUtf8(look));
    }
    return 0;
}
