#pragma once

#include <QTextStream>

namespace Zelkor::Cli {

class CommandLine;

/// "mkdb --wide TABLE.csv -o DB.zki": a database pair from a spreadsheet's table (the shape
/// "import" reads): each relevé column a record, the header rows its items, the species rows
/// its species. cmd holds the parsed command line of mkdb.
int runMkdbWide(const CommandLine &cmd, QTextStream &out, QTextStream &err);

} // namespace Zelkor::Cli
