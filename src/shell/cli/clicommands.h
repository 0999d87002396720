#pragma once

#include <QStringList>
#include <QTextStream>

namespace Zelkor::Cli {

/// Exit statuses of the batch front end.
enum ExitCode { Success = 0, UserError = 1, BadUsage = 2 };

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

} // namespace Zelkor::Cli
