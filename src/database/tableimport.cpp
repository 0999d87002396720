#include "database/tableimport.h"

#include "database/cornellfile.h"
#include "database/widetablecsv.h"
#include "platform/feedback.h"
#include "platform/userinterface.h"
#include "table/headeritems.h"
#include "table/tabledocument.h"
#include "table/tablefilecommand.h"
#include "table/tablemodel.h"

#include <QFileInfo>

namespace Zelkor {

QString TableImport::nameFilter()
{
    return QStringLiteral("表計算の表・Cornell 形式 (*.csv;*.txt;*.tsv;*.cep;*.cc;*.dat)|*.csv;*.txt;*.tsv;*.cep;*.cc;*.dat");
}

bool TableImport::isCornell(const QString &fileName)
{
    return CornellFile::isCornellFileName(fileName);
}

std::vector<CoverScale> TableImport::scalesFor(const QString &fileName)
{
    if (isCornell(fileName))
        return {CoverScale::Percent, CoverScale::Ordinal, CoverScale::Classes, CoverScale::Presence};
    return {CoverScale::Codes, CoverScale::Percent};
}

bool TableImport::read(const QString &fileName, CoverScale scale, const HeaderItems &items, const QString &layerNames,
                       ImportedTable *table, Feedback *feedback)
{
    m_error.clear();
    m_description.clear();
    if (isCornell(fileName)) {
        CornellFile file(scale);
        if (!file.read(fileName, table, feedback)) {
            m_error = file.errorString();
            return false;
        }
        return true;
    }
    WideTableCsv::Options options;
    options.scale = scale;
    WideTableCsv file(items, layerNames, options);
    if (!file.read(fileName, table, feedback)) {
        m_error = file.errorString();
        return false;
    }
    const char sep = file.separator();
    m_description = QStringLiteral("%1、区切り「%2」")
                        .arg(file.encodingName(), sep == '\t' ? QStringLiteral("タブ") : QString(QLatin1Char(sep)));
    return true;
}

bool TableImport::readTable(const QString &fileName, CoverScale scale, TableModel *model, HeaderItems *items,
                            const QString &layerNames, QString *title, Feedback *feedback)
{
    ImportedTable table;
    if (!read(fileName, scale, *items, layerNames, &table, feedback))
        return false;
    // A Cornell file names its relevés: the identification item takes them.
    if (isCornell(fileName))
        (*items)[CornellFile::NameItem].layout = true;
    if (!table.build(model, items, &m_error, feedback))
        return false;
    *title = table.title.isEmpty() ? QFileInfo(fileName).completeBaseName() : table.title;
    return true;
}

TableImportCommand::TableImportCommand(TableDocument *doc, TableFileCommand *tableFile, UserInterface *ui)
    : m_doc(doc)
    , m_tableFile(tableFile)
    , m_ui(ui)
{
}

void TableImportCommand::chooseAndImport()
{
    if (!m_tableFile->confirmDiscardTable())
        return;
    const QString path = m_doc->askOpenFile(QStringLiteral("表計算の表を読込む"), TableImport::nameFilter(),
                                            QStringLiteral("*.csv"));
    if (path.isEmpty())
        return;
    const std::vector<CoverScale> scales = TableImport::scalesFor(path);
    QStringList captions;
    for (CoverScale s : scales)
        captions << coverScaleCaption(s);
    int index = 0;
    if (!m_ui->chooseItem(scaleCaption(), scalePrompt(), captions, &index))
        return;
    importFile(path, scales[std::size_t(index)]);
}

bool TableImportCommand::importFile(const QString &path, CoverScale scale)
{
    TableModel model;
    model.setTableFont(m_doc->model().tableFont());
    HeaderItems items = m_doc->items();
    QString title;
    TableImport import;
    CancelableWork work(m_ui, workMessage());
    const bool ok = import.readTable(path, scale, &model, &items, m_doc->settings().layerNames, &title, work.feedback());
    work.close();
    if (!ok) {
        if (!work.isCanceled())
            m_ui->showError(QStringLiteral("エラー"), QStringLiteral("表を読み込めませんでした。\n%1").arg(import.errorString()));
        return false;
    }
    m_doc->model() = std::move(model);
    // The table comes from no table file: saving asks where, quitting asks first.
    m_doc->model().setModified(true);
    m_doc->history().clear(false);
    m_doc->items() = items;
    m_doc->setTitle(title);
    m_doc->setTableFilePath(QString());
    Q_EMIT m_doc->tableReset();
    Q_EMIT m_doc->tableChanged();
    Q_EMIT m_doc->statusChanged();
    return true;
}

} // namespace Zelkor
