#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>

namespace Zelkor {

class DatabaseSession;
class SettingsCommand;
class TableDocument;
class TableFileCommand;
class UserInterface;

/// The program's own commands around a session: starting with the command line and the
/// program's settings file, quitting (which writes that file back), files dropped on the main
/// window, the help page, and which files the program reads from while it runs.
class ProgramCommands
{
public:
    /// Everything given must outlive the commands.
    ProgramCommands(TableDocument *doc, SettingsCommand *settings, TableFileCommand *tableFile,
                    DatabaseSession *session, UserInterface *ui);

    /// The start of the main window: the command line (an ".INI" settings file, a ".VTB" table
    /// file or a ".ZKI" database, in any case), the settings, the dictionary and the database
    /// (the one named on the command line before the settings' one), the empty table, then the
    /// table file named. The table then counts as unchanged. arguments: those after the program
    /// name.
    void start(const QStringList &arguments, const QString &programPath);
    /// The program file given to start().
    QString programPath() const { return m_programPath; }
    /// The program's own settings file: the program file's path with ".ini", or zelkor.ini in the
    /// user's configuration folder when the program's folder cannot be written.
    QString programIniFileName() const;
    /// Menu "終了(&X)": asks about unsaved changes, then writes the settings to the program's
    /// own settings file. False when the user cancels, or after an error message when writing
    /// fails: the window then stays open.
    bool quit();
    /// A file dropped on the main window (only the first one counts): a table file (".vtb",
    /// loaded after the question about unsaved changes), a dictionary (".dic") or a database (a
    /// ".zki" of the same name exists); else nothing.
    void openDroppedFile(const QString &path);

    /// The address of the program's web help page.
    static QString webHelpUrl();
    /// What "Web ヘルプ" opens: the user's guide installed with the program (or built beside it,
    /// or in the source tree it was built from) when it is there, else the web help page.
    QUrl helpUrl() const;
    /// The files the program reads from while it runs: the database pair, the dictionary and the
    /// settings files. No output may replace one of them.
    QStringList inputFiles() const;

private:
    TableDocument *m_doc;
    SettingsCommand *m_settings;
    TableFileCommand *m_tableFile;
    DatabaseSession *m_session;
    UserInterface *m_ui;
    QString m_programPath;
};

} // namespace Zelkor
