#pragma once

#include "platform/textfile.h"

#include <QCommandLineParser>
#include <QString>
#include <QStringList>
#include <QTextStream>

#include <vector>

namespace Zelkor::Cli {

/// One option of a subcommand.
struct OptionSpec
{
    QStringList names;   ///< "o", "output": one letter is "-o", longer names "--output"
    QString valueName;   ///< the value's name in the usage ("OUT.vtb"); empty for a switch
    QString description; ///< what the option does, in Japanese
};

/// What a subcommand takes: the one place its usage text comes from.
struct CommandSpec
{
    QString name;                    ///< "extract"
    QString synopsis;                ///< the arguments after the name, as the usage shows them
    QString description;             ///< what the command does (may span lines)
    std::vector<OptionSpec> options; ///< "--help" is added to every command
    int minPositional = 0;           ///< arguments that are not options, at least …
    int maxPositional = 0;           ///< … and at most
};

/// The command line of one subcommand, read with QCommandLineParser: "--opt=value" and
/// "--opt value", "--" ends the options, "-h"/"--help" prints the command's usage. Every
/// message is Japanese and begins with "zelkor-cli COMMAND: ".
class CommandLine
{
public:
    explicit CommandLine(CommandSpec description);

    /// Reads the arguments that follow the command name. False when the command ends here, with
    /// *exitCode set: "--help" printed the usage on out (success), or a message and the usage
    /// went to err (bad usage).
    bool parse(const QStringList &args, QTextStream &out, QTextStream &err, int *exitCode);

    /// Whether an option (by any of its names) was given.
    bool isSet(const QString &name) const { return m_parser.isSet(name); }
    /// The option's last value; empty when not given.
    QString value(const QString &name) const { return m_parser.value(name); }
    /// Every value of a repeatable option, in order.
    QStringList values(const QString &name) const { return m_parser.values(name); }
    /// The arguments that are not options, in order.
    QStringList positional() const { return m_parser.positionalArguments(); }

    /// The command's usage text: synopsis, description and options.
    QString usage() const;
    /// "zelkor-cli COMMAND: "
    QString prefix() const;
    /// Prints the message and the usage on err; returns the bad-usage exit status.
    int usageError(QTextStream &err, const QString &message) const;
    /// Prints the message on err; returns the user-error exit status.
    int userError(QTextStream &err, const QString &message) const;

private:
    /// The parser's own (English) error in Japanese.
    QString japaneseError(const QStringList &args) const;

    CommandSpec m_spec;
    QCommandLineParser m_parser;
};

/// "A-B" or "N" (N-N), inclusive, both at least 1; false when the text is not of that form.
/// A backwards range (A > B) reads; callers that cannot use one refuse it.
bool parseRange(const QString &text, int *first, int *last);

/// Why the file --settings names cannot be read as one: it is missing, a folder or no regular
/// file; empty when it is a file.
QString settingsFileProblem(const QString &fileName);

/// "--group-by ITEM" of the commands that work on groups of relevés.
OptionSpec groupByOptionSpec();

/// "--encoding cp932|utf-8" of the commands that write CSV files.
OptionSpec encodingOptionSpec();
/// The encoding --encoding names (CP932 when it is not given); false when it names none.
bool encodingOption(const CommandLine &cmd, TextEncoding *encoding);
/// The message of a --encoding that names no encoding.
QString encodingOptionError();

} // namespace Zelkor::Cli
