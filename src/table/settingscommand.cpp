#include "table/settingscommand.h"

#include "table/settings.h"
#include "table/tabledocument.h"

#include <QDir>

namespace Zelkor {

SettingsCommand::SettingsCommand(TableDocument *doc, UserInterface *ui)
    : m_doc(doc)
    , m_ui(ui)
{
}

bool SettingsCommand::readKeepingSources(const QString &path, const Settings &current, Settings *settings,
                                         HeaderItems *items, QString *error)
{
    if (!readIniFile(path, settings, items, error))
        return false;
    settings->dataDirectory = current.dataDirectory;
    settings->dataFileName = current.dataFileName;
    settings->dictFileName = current.dictFileName;
    // The tables used last belong to the program, not to a table's layout.
    settings->recentTables = current.recentTables;
    return true;
}

bool SettingsCommand::readStartupSettings(const QString &iniFileName)
{
    QString error;
    const bool ok = readIniFile(iniFileName, &m_doc->settings(), &m_doc->items(), &error);
    m_doc->model().setTableFont(m_doc->settings().tableFont);
    m_ui->setCsvEncoding(m_doc->settings().csvEncoding);
    Q_EMIT m_doc->settingsRead();
    if (!ok)
        m_ui->showError(QStringLiteral("エラー"),
                        QStringLiteral("設定ファイル %1 を読めませんでした。既定の設定で続けます。\n%2")
                            .arg(QDir::toNativeSeparators(iniFileName), error));
    return ok;
}

void SettingsCommand::chooseAndReadSettings()
{
    const QString path = m_doc->askOpenFile(QString(), settingsNameFilter(), QStringLiteral("*.ini"));
    if (path.isEmpty())
        return;

    // The file is read into copies, so a damaged one leaves the settings in use as they were.
    // Reading sets the "データ埋込項目を使う" check from the file (its default when absent).
    Settings settings = m_doc->settings();
    HeaderItems items = m_doc->items();
    QString error;
    if (!readKeepingSources(path, m_doc->settings(), &settings, &items, &error)) {
        m_ui->showError(QStringLiteral("エラー"),
                        QStringLiteral("設定ファイル %1 を読めませんでした。\n%2")
                            .arg(QDir::toNativeSeparators(path), error));
        return;
    }
    m_doc->settings() = settings;
    m_doc->items() = items;
    m_doc->setIniFileName(path);
    m_doc->model().setTableFont(settings.tableFont);
    Q_EMIT m_doc->settingsRead();
}

bool SettingsCommand::writeSettings(const QString &iniFileName)
{
    QString error;
    m_doc->settings().csvEncoding = m_ui->csvEncoding();
    if (writeIniFile(iniFileName, m_doc->settings(), m_doc->items(), &error))
        return true;
    m_ui->showError(QStringLiteral("エラー"), QStringLiteral("設定ファイル %1 を書き込めませんでした。\n%2")
                                                 .arg(QDir::toNativeSeparators(iniFileName), error));
    return false;
}

void SettingsCommand::chooseTableFont()
{
    FontSpec font = m_fontDialogFont;
    if (m_ui->chooseFont(&font)) {
        m_fontDialogFont = font;
        m_doc->settings().tableFont = font;
        m_doc->settings().printFont = font; // the print font follows every change of the table font
    }
    m_doc->reNewTable();
}

void SettingsCommand::choosePrintFont()
{
    FontSpec font = m_fontDialogFont;
    if (m_ui->chooseFont(&font)) {
        m_fontDialogFont = font;
        m_doc->settings().printFont = font;
    }
}

} // namespace Zelkor
