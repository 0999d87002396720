#include "shell/cli/clicommands.h"

#include "shell/cli/commandline.h"

namespace Zelkor::Cli {

const std::vector<Command> &commands()
{
    static const std::vector<Command> all = {
        {infoCommand, runInfo},
        {mkdbCommand, runMkdb},
        {extractCommand, runExtract},
        {importCommand, runImport},
        {searchCommand, runSearch},
        {exportCommand, runExport},
        {constancyCommand, runConstancy},
        {fidelityCommand, runFidelity},
        {sortCommand, runSort},
        {groupCommand, runGroup},
        {raCommand, runRa},
        {ordinationCommand, runOrdination},
    };
    return all;
}

} // namespace Zelkor::Cli
