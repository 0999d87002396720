#include "table/tablefilecommand.h"

#include "platform/feedback.h"
#include "platform/savepathguard.h"
#include "platform/userinterface.h"
#include "table/covercode.h"
#include "table/settingscommand.h"
#include "table/tabledocument.h"
#include "table/tablefile.h"

#include <QDir>
#include <QFileInfo>

namespace Zelkor {

QString TableFileCommand::progressLabel()
{
    return QStringLiteral("進捗（％）: ");
}

QString TableFileCommand::unsavedQuestion()
{
    return QStringLiteral("現在の表は保存されていません。保存しますか？");
}

TableFileCommand::TableFileCommand(TableDocument *doc, UserInterface *ui)
    : m_doc(doc)
    , m_ui(ui)
{
}

bool TableFileCommand::confirmDiscardTable()
{
    if (!m_doc->model().isModified())
        return true;
    switch (m_ui->askYesNoCancel(unsavedQuestion())) {
    case YesNoCancel::Yes:
        // A cancelled or failed save keeps the table: the command does not go on.
        return saveTable();
    case YesNoCancel::No:
        return true;
    case YesNoCancel::Cancel:
        break;
    }
    return false;
}

void TableFileCommand::clearTable()
{
    if (confirmDiscardTable())
        m_doc->clearTable();
}

bool TableFileCommand::saveTable()
{
    FileDialogRequest request = FileDialogRequest::forType(TableFile::nameFilter(), TableFile::extension());
    request.title = QStringLiteral("組成表の保存");
    // A table that came from a file goes back to it unless the user names another.
    if (m_doc->tableFilePath().isEmpty()) {
        request.fileName = m_doc->title() + TableFile::extension();
    } else {
        const QFileInfo from(m_doc->tableFilePath());
        request.directory = from.absolutePath();
        request.fileName = from.fileName();
    }
    const QString path = askSaveFile(*m_ui, request);
    if (path.isEmpty())
        return false;

    // A large table takes a while: the message shows how far the file is and can stop it,
    // which leaves any old file as it was.
    CancelableWork work(m_ui, QStringLiteral("　組成表を保存中　"), progressLabel());
    TableFile file;
    const bool ok = file.write(m_doc->model(), m_doc->title(), path, work.feedback());
    work.close();
    if (!ok && work.isCanceled())
        return false;
    if (!ok) {
        m_ui->showError(QStringLiteral("エラー"),
                        QStringLiteral("組成表を保存できませんでした。\n%1").arg(file.errorString()));
        return false;
    }
    m_doc->setTableFilePath(QFileInfo(path).absoluteFilePath());
    m_doc->settings().recentTables.add(path);
    m_doc->model().setModified(false);
    m_doc->history().setClean();
    Q_EMIT m_doc->statusChanged();
    return true;
}

void TableFileCommand::chooseAndLoadTable()
{
    if (!confirmDiscardTable())
        return;
    const QString path =
        m_doc->askOpenFile(QStringLiteral("組成表の読込"), TableFile::openNameFilter(), QStringLiteral("*.vtb"));
    if (!path.isEmpty())
        loadTable(path);
}

bool TableFileCommand::loadTable(const QString &path)
{
    // Everything is read into copies first; the document takes them only when the whole table
    // file has been read, so a failed load leaves the previous table on screen as it was.
    const QFileInfo info(path);
    Settings settings = m_doc->settings();
    HeaderItems items = m_doc->items();
    const QString iniName = QDir(info.path()).filePath(info.completeBaseName() + QStringLiteral(".ini"));
    const bool withIni = QFileInfo(iniName).isFile();
    if (withIni) {
        // The table brings its layout and labels, not a database or dictionary: the ones open
        // now stay, and so do their names, which the next quit writes back.
        QString error;
        if (!SettingsCommand::readKeepingSources(iniName, m_doc->settings(), &settings, &items, &error)) {
            m_ui->showError(QStringLiteral("エラー"),
                            QStringLiteral("組成表に添えられた設定ファイル %1 を読めませんでした。\n%2")
                                .arg(QDir::toNativeSeparators(iniName), error));
            return false;
        }
    }

    // Stopped, the read leaves everything as it was, as a failed one does, without a word.
    CancelableWork work(m_ui, QStringLiteral("　組成表を読込中　"), progressLabel());
    TableModel loaded;
    loaded.setTableFont(settings.tableFont);
    // Reading the table's own settings blanks the table first, which resets the scales.
    if (!withIni)
        loaded.setDataScaleK(m_doc->model().dataScaleK());
    QString title;
    TableFile file;
    const bool ok = file.read(path, &loaded, &items, &title, work.feedback());
    work.close();
    if (!ok && work.isCanceled())
        return false;
    if (!ok) {
        m_ui->showError(QStringLiteral("エラー"),
                        QStringLiteral("組成表を読み込めませんでした。\n%1").arg(file.errorString()));
        return false;
    }

    if (withIni) {
        m_doc->settings() = settings;
        Q_EMIT m_doc->tableReset();
        Q_EMIT m_doc->settingsRead();
    }
    m_doc->model() = std::move(loaded);
    m_doc->model().setModified(false);
    m_doc->history().clear();
    m_doc->items() = items;
    m_doc->setTitle(title);
    m_doc->setTableFilePath(info.absoluteFilePath());
    m_doc->settings().recentTables.add(path);
    Q_EMIT m_doc->tableChanged();
    Q_EMIT m_doc->statusChanged();
    if (const qint64 outside = m_doc->model().cellsOutsideTheScale(); outside > 0)
        m_ui->showMessage(codesOutsideTheScaleMessage(outside));
    return true;
}

QString TableFileCommand::missingRecentMessage(const QString &path)
{
    return QStringLiteral("表ファイル「%1」が見つかりません。一覧から外します。").arg(QDir::toNativeSeparators(path));
}

bool TableFileCommand::openRecentTable(const QString &path)
{
    // Nothing to ask about the table on screen when there is nothing to load in its place.
    if (!QFileInfo(path).isFile()) {
        m_doc->settings().recentTables.remove(path);
        m_ui->showMessage(missingRecentMessage(path));
        return false;
    }
    if (!confirmDiscardTable())
        return false;
    return loadTable(path);
}

} // namespace Zelkor
