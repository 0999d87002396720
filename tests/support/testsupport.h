#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <ostream>
#include <string>

/// Texts in test failures as text, not as arrays of UTF-16 units.
void PrintTo(const QString &text, std::ostream *os);

namespace Zelkor {
class TableModel;
}

namespace Zelkor::Test {

/// A fresh temporary folder for one test; removed with the object.
class TempDir
{
public:
    TempDir();
    /// Full path of name inside the folder.
    QString path(const QString &name = QString()) const;
    /// Writes raw bytes to name and returns its full path.
    QString writeBytes(const QString &name, const QByteArray &bytes) const;
    /// Writes lines in CP932 with CR LF ends and returns the full path.
    QString writeLines(const QString &name, const QStringList &lines) const;

private:
    QTemporaryDir m_dir;
};

/// Reads a whole file as bytes (empty when missing).
QByteArray readBytes(const QString &fileName);
/// Reads a CP932 file with CR LF ends as lines.
QStringList readLines(const QString &fileName);

/// A file of the project's source folder.
QString sourcePath(const QString &relative);
/// A fixture file of the tests (tests/data), part of the repository.
QString fixturePath(const QString &relative);

/// A description turned into a test name: every character but letters and digits becomes "_".
std::string caseName(std::string description);

/// A name generator for parameterized tests whose cases carry a `name` description.
struct CaseNameOf
{
    template<typename Info>
    std::string operator()(const Info &info) const { return caseName(info.param.name); }
};

/// The cells of the first sheet of an ".xlsx" workbook as a spreadsheet reader (openpyxl) sees
/// them: "C5" → {"value", "type" ("s" text, "n" number), "horizontal", "vertical", and "wrap"
/// (true) when its text wraps}, every cell that holds a value or an alignment. Empty, with *error, when the workbook cannot be read.
QJsonObject readWorkbookCells(const QString &fileName, QString *error = nullptr);

/// Result of running the batch front end.
struct CliResult
{
    int exitCode = -1;
    QByteArray out;   ///< stdout
    QByteArray err;   ///< stderr
    QString outText() const; ///< stdout as UTF-8 text
    QString errText() const;
};

/// Runs zelkor-cli with the arguments, in workingDir when given. With fileSizeLimit ≥ 0 the
/// program runs under that limit of file size in bytes (RLIMIT_FSIZE), the signal of an exceeded
/// limit ignored, so that its writes fail as on a full disk.
CliResult runCli(const QStringList &arguments, const QString &workingDir = QString(), qint64 fileSizeLimit = -1);

/// While it lives, this process may write files only up to `bytes` bytes (RLIMIT_FSIZE, with
/// SIGXFSZ ignored): writes past the limit fail as on a full disk. Keep test output out of its
/// lifetime.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(qint64 bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;

private:
    qint64 m_oldSoft;
    void (*m_oldHandler)(int);
};

/// Makes a named pipe at path; false when the system has none.
bool makeFifo(const QString &path);

// --- Tables -------------------------------------------------------------------------------

/// Fills a freshly laid out table with two relevés and two species: "ススキ" in relevé 1 and
/// "ヨモギ" in relevé 2 (cell texts "   1", no cover codes); the numbers are recomputed.
void fillTwoSpecies(TableModel &model);
/// Saves model with title as the table file `name` in dir and returns its path; a failed save
/// fails the test.
QString writeTableFile(const TempDir &dir, const TableModel &model, const QString &name,
                       const QString &title = QStringLiteral("砂丘"));
/// A table file of the two species of fillTwoSpecies() in a blank table, titled title.
QString writeTwoSpeciesTable(const TempDir &dir, const QString &name, const QString &title);

// --- Fixed-pitch layouts ------------------------------------------------------------------

/// n blanks.
QString blanks(int n);
/// A rule of n characters "─".
QString rule(int n);

} // namespace Zelkor::Test
