#include "database/databasesession.h"

#include "platform/userinterface.h"
#include "table/tabledocument.h"

#include <QDir>
#include <QFileInfo>

namespace Zelkor {

DatabaseSession::DatabaseSession(TableDocument *doc, UserInterface *ui, QObject *parent)
    : QObject(parent)
    , m_doc(doc)
    , m_ui(ui)
{
    // Whatever a reading kept for the table goes with it.
    connect(m_doc, &TableDocument::tableReset, this, [this] { m_database.resetPlantSet(); });
}

bool DatabaseSession::openDataFile()
{
    const int before = m_database.recordCount();
    if (!m_database.openDataFile(m_doc->settings().dataFileName)) {
        m_ui->showMessage(QStringLiteral("正しいデータファイルを指定して下さい"));
        return false;
    }
    if (m_database.recordCount() != before && !m_settingDataFile)
        Q_EMIT databaseChanged();
    return true;
}

void DatabaseSession::readDataHeader()
{
    if (!openDataFile())
        return;
    DataHeader header = m_database.readDataHeader();
    TableModel &model = m_doc->model();
    int k = model.dataScaleK();
    int d = model.dataScaleD();
    // A text that a table file could not hold is mended here and told, so that it cannot fail
    // a later save.
    QStringList notes;
    mendDataHeader(&header, &notes);
    applyDataHeader(header, m_doc->settings().dataFileName, m_doc->titleField(), &m_doc->items(), &k, &d);
    if (!notes.isEmpty())
        m_ui->showMessage(notes.join(QLatin1Char('\n')));
    model.setDataScaleK(k);
    model.setDataScaleD(d);
}

bool DatabaseSession::setDataFile(const QString &path)
{
    Settings &settings = m_doc->settings();
    QString error;
    if (!VegDatabase::checkDataFile(path, &error)) {
        const QString previous = settings.dataFileName == TableDocument::notSpecified()
                                     ? QStringLiteral("データファイルは未指定のままです。")
                                     : QStringLiteral("データファイルは %1 のままです。")
                                           .arg(QDir::toNativeSeparators(settings.dataFileName));
        m_ui->showError(QStringLiteral("エラー"), error + QLatin1Char('\n') + previous);
        return false;
    }
    settings.dataFileName = path;
    settings.dataDirectory = QFileInfo(path).absolutePath();
    m_settingDataFile = true;
    const bool opened = openDataFile();
    if (opened && settings.useDataItem) {
        TableHistory::Step step(m_doc->history(), QStringLiteral("見出し項目の変更"));
        const QString title = m_doc->title();
        readDataHeader();
        // Rows without relevés (comments) are a table too: only a table without any row is
        // laid out afresh.
        const TableModel &model = m_doc->model();
        if (model.releveCount() > 0 || model.speciesCount() > 0) {
            if (m_doc->title() != title)
                m_doc->model().setModified(true);
            m_doc->reNewTable();
        } else {
            m_doc->clearTable();
        }
    }
    closeDataFile();
    m_settingDataFile = false;
    if (!opened)
        return false;
    Q_EMIT databaseChanged();
    Q_EMIT m_doc->statusChanged();
    return true;
}

void DatabaseSession::chooseDataFile()
{
    const QString path = m_doc->askOpenFile(QStringLiteral("データファイルの指定・変更"), VegDatabase::nameFilter(),
                                            QStringLiteral("*.zki"));
    if (!path.isEmpty())
        setDataFile(path);
}

void DatabaseSession::askUseDataItems()
{
    if (!m_ui->askYesNo(QStringLiteral("見出し項目をデータファイルと一致させますか？"))) {
        m_doc->settings().useDataItem = false;
        Q_EMIT m_doc->statusChanged();
        return;
    }
    m_doc->settings().useDataItem = true;
    TableHistory::Step step(m_doc->history(), QStringLiteral("見出し項目の変更"));
    const QString title = m_doc->title();
    readDataHeader();
    // Nothing more is read from the pair: it need not stay open.
    closeDataFile();
    const TableModel &model = m_doc->model();
    if (m_doc->title() != title && (model.releveCount() > 0 || model.speciesCount() > 0))
        m_doc->model().setModified(true);
    m_doc->reNewTable();
    Q_EMIT m_doc->statusChanged();
}

bool DatabaseSession::loadDictionary(const QString &path)
{
    const bool loaded = m_dictionary.load(path);
    const QString shown = QDir::toNativeSeparators(path);
    if (!loaded) {
        // A missing dictionary only leaves its name unset; one that is there but cannot be
        // opened deserves a word.
        if (QFileInfo::exists(path))
            m_ui->showError(QStringLiteral("エラー"), m_dictionary.errorString());
        return false;
    }
    if (!m_dictionary.errorString().isEmpty())
        m_ui->showError(QStringLiteral("エラー"), m_dictionary.errorString());
    if (m_dictionary.skippedLines() > 0)
        m_ui->showMessage(QStringLiteral("異名辞書 %1 の %2 行はシフトJISとして読めないため読み飛ばしました")
                              .arg(shown)
                              .arg(m_dictionary.skippedLines()));
    if (m_dictionary.emptyNameLines() > 0)
        m_ui->showMessage(QStringLiteral("異名辞書 %1 の %2 行は標準名が空のため読み飛ばしました")
                              .arg(shown)
                              .arg(m_dictionary.emptyNameLines()));
    return true;
}

void DatabaseSession::chooseDictionary()
{
    const QString path = m_doc->askOpenFile(QString(), SynonymDictionary::nameFilter(), QStringLiteral("*.dic"));
    if (!path.isEmpty()) {
        m_doc->settings().dictFileName = path;
        if (!loadDictionary(path))
            m_doc->settings().dictFileName = TableDocument::notSpecified();
    }
    Q_EMIT m_doc->statusChanged();
}

} // namespace Zelkor
