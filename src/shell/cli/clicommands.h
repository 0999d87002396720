#pragma once

#include <QStringList>
#include <QTextStream>

#include <vector>

namespace Zelkor::Cli {

struct CommandSpec;

/// Exit statuses of the batch front end; Interrupted (128 + SIGINT, as shells report it) when
/// an interrupt stopped the command before it finished, with nothing written.
enum ExitCode { Success = 0, UserError = 1, BadUsage = 2, Interrupted = 130 };

/// Each subcommand takes its arguments (without the command name), writes its report to out and
/// its messages to err, and returns an ExitCode.
using CommandFunction = int (*)(const QStringList &args, QTextStream &out, QTextStream &err);

/// The database header: title, record count, the thirty items, K and D.
int runInfo(const QStringList &args, QTextStream &out, QTextStream &err);
/// Builds a database pair from site and species CSV files.
int runMkdb(const QStringList &args, QTextStream &out, QTextStream &err);
/// Marks the cells of a table file that match a text.
int runSearch(const QStringList &args, QTextStream &out, QTextStream &err);
/// Extracts relevés from a database into a table file.
int runExtract(const QStringList &args, QTextStream &out, QTextStream &err);
/// Writes the constancy table of a table file as text or CSV.
int runConstancy(const QStringList &args, QTextStream &out, QTextStream &err);
/// Writes the fidelity (phi) and Fisher's exact test of every species and group of a table file.
int runFidelity(const QStringList &args, QTextStream &out, QTextStream &err);
/// Sorts the species or the relevés of a table file.
int runSort(const QStringList &args, QTextStream &out, QTextStream &err);
/// Groups the relevés of a table file by a header item's value.
int runGroup(const QStringList &args, QTextStream &out, QTextStream &err);
/// Reciprocal averaging of a table file: the score table and the reordered table.
int runRa(const QStringList &args, QTextStream &out, QTextStream &err);
/// Correspondence analysis or detrended correspondence analysis of a table file: eigenvalues,
/// scores and the diagram.
int runOrdination(const QStringList &args, QTextStream &out, QTextStream &err);

/// Reads a spreadsheet's CSV or a Cornell condensed file into a table file.
int runImport(const QStringList &args, QTextStream &out, QTextStream &err);

/// Writes an output of a table file (text layout, matrices, site data).
int runExport(const QStringList &args, QTextStream &out, QTextStream &err);

/// What each subcommand takes (its usage text comes from it).
CommandSpec infoCommand();
CommandSpec mkdbCommand();
CommandSpec searchCommand();
CommandSpec extractCommand();
CommandSpec importCommand();
CommandSpec exportCommand();
CommandSpec constancyCommand();
CommandSpec fidelityCommand();
CommandSpec sortCommand();
CommandSpec groupCommand();
CommandSpec raCommand();
CommandSpec ordinationCommand();

/// A subcommand of zelkor-cli: its name, what it takes and what runs it.
struct Command
{
    CommandSpec (*description)();
    CommandFunction run;
};

/// Every subcommand, in the order the usage lists them.
const std::vector<Command> &commands();

} // namespace Zelkor::Cli
