#include "shell/programcommands.h"

#include "database/databasesession.h"
#include "database/vegdatabase.h"
#include "shell/userguide.h"
#include "table/settingscommand.h"
#include "table/tabledocument.h"
#include "table/tablefilecommand.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace Zelkor {

namespace {

// Only the ASCII letters become capitals, as the command line's extension test wants.
QString asciiUpper(QString text)
{
    for (QChar &ch : text)
        if (ch >= QLatin1Char('a') && ch <= QLatin1Char('z'))
            ch = QChar(ch.unicode() - 'a' + 'A');
    return text;
}

// The settings file next to the program file.
QString ownIniFileName(const QString &programPath)
{
    const QString program = programPath.isEmpty() ? QCoreApplication::applicationFilePath() : programPath;
    return VegDatabase::changeExtension(QFileInfo(program).absoluteFilePath(), QStringLiteral(".ini"));
}

} // namespace

ProgramCommands::ProgramCommands(TableDocument *doc, SettingsCommand *settings, TableFileCommand *tableFile,
                                 DatabaseSession *session, UserInterface *ui)
    : m_doc(doc)
    , m_settings(settings)
    , m_tableFile(tableFile)
    , m_session(session)
    , m_ui(ui)
{
}

QString ProgramCommands::webHelpUrl()
{
    return QStringLiteral("https://zelkor.example.org/zkdb/zelkor-pg1.html");
}

QUrl ProgramCommands::helpUrl() const
{
    const QString program = m_programPath.isEmpty() ? QCoreApplication::applicationFilePath() : m_programPath;
    const QString guide = UserGuide::indexPath(program);
    return guide.isEmpty() ? QUrl(webHelpUrl()) : QUrl::fromLocalFile(guide);
}

QString ProgramCommands::programIniFileName() const
{
    const QString own = ownIniFileName(m_programPath);
    const QFileInfo file(own);
    const QFileInfo folder(file.absolutePath());
    // The file is replaced through a temporary file beside it, so the folder must be writable.
    if (folder.isDir() && folder.isWritable() && (!file.exists() || file.isWritable()))
        return own;
    const QString config = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
    if (config.isEmpty())
        return own;
    return QDir(config).filePath(QStringLiteral("zelkor.ini"));
}

void ProgramCommands::start(const QStringList &arguments, const QString &programPath)
{
    m_programPath = programPath;
    m_doc->initTableArrays();

    m_doc->setIniFileName(programIniFileName());
    // A settings file shipped beside a program whose folder is read-only serves until the
    // user's own one exists.
    QString readName = m_doc->iniFileName();
    if (!QFileInfo::exists(readName) && QFileInfo::exists(ownIniFileName(m_programPath)))
        readName = ownIniFileName(m_programPath);

    // A database named on the command line (a double-clicked ".zki") is opened instead of the
    // settings' one.
    QString database;
    QString table;
    if (!arguments.isEmpty()) {
        const QString first = arguments.constFirst();
        const int dot = first.lastIndexOf(QLatin1Char('.'));
        const QString ext = dot >= 0 ? asciiUpper(first.mid(dot)) : QString();
        if (ext == QLatin1String(".INI")) {
            m_doc->setIniFileName(first);
            readName = first;
        } else if (ext == QLatin1String(".VTB")) {
            table = first;
        } else if (ext == QLatin1String(".ZKI")) {
            database = QFileInfo(first).absoluteFilePath();
        }
    }

    m_settings->readStartupSettings(readName);

    Settings &settings = m_doc->settings();
    if (QFileInfo::exists(settings.dictFileName) && !m_session->loadDictionary(settings.dictFileName))
        settings.dictFileName = TableDocument::notSpecified();

    // A database that is gone or no longer readable leaves none set (and says why).
    const QString saved = settings.dataDirectory + QLatin1Char('/') + settings.dataFileName;
    settings.dataFileName = TableDocument::notSpecified();
    if (!database.isEmpty() && QFileInfo(database).isFile()) {
        if (m_session->setDataFile(database))
            m_doc->items().selectLayout();
    } else if (QFileInfo::exists(VegDatabase::changeExtension(saved, QStringLiteral(".zki")))) {
        if (m_session->setDataFile(saved))
            m_doc->items().selectLayout();
    }

    if (m_doc->model().releveCount() == 0)
        m_doc->clearTable();
    else
        m_doc->reNewTable();

    if (!table.isEmpty() && QFileInfo::exists(table))
        m_tableFile->loadTable(table);
    // What start-up laid out or loaded is nobody's unsaved work.
    m_doc->model().setModified(false);
    Q_EMIT m_doc->statusChanged();
}

bool ProgramCommands::quit()
{
    if (!m_tableFile->confirmDiscardTable())
        return false;
    // Whatever settings file was read, the program's own one is written.
    m_doc->setIniFileName(programIniFileName());
    QDir().mkpath(QFileInfo(m_doc->iniFileName()).absolutePath());
    return m_settings->writeSettings(m_doc->iniFileName());
}

void ProgramCommands::openDroppedFile(const QString &path)
{
    // The tests are case-sensitive substring tests: "x.VTB" is not taken for a table file.
    if (path.contains(QLatin1String(".vtb"))) {
        if (m_tableFile->confirmDiscardTable())
            m_tableFile->loadTable(path);
    } else if (path.contains(QLatin1String(".dic"))) {
        m_session->loadDictionary(path);
    } else if (QFileInfo::exists(VegDatabase::changeExtension(path, QStringLiteral(".zki")))) {
        m_session->setDataFile(path);
    }
}

QStringList ProgramCommands::inputFiles() const
{
    const Settings &settings = m_doc->settings();
    QStringList files;
    if (settings.dataFileName != TableDocument::notSpecified()) {
        files << VegDatabase::changeExtension(settings.dataFileName, QStringLiteral(".zki"))
              << VegDatabase::changeExtension(settings.dataFileName, QStringLiteral(".zkd"));
    }
    if (settings.dictFileName != TableDocument::notSpecified())
        files << settings.dictFileName;
    if (!m_doc->iniFileName().isEmpty())
        files << m_doc->iniFileName();
    if (!m_programPath.isEmpty())
        files << programIniFileName();
    return files;
}

} // namespace Zelkor
