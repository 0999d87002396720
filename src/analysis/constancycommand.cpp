#include "analysis/constancycommand.h"

#include "analysis/fidelitytable.h"
#include "analysis/freqtablemodel.h"
#include "platform/userinterface.h"
#include "table/tablehistory.h"
#include "table/tablemodel.h"

namespace Zelkor {

ConstancyCommand::ConstancyCommand(TableModel *model, FreqTableModel *freqTable, UserInterface *ui,
                                   std::function<QString()> tableTitle, QObject *parent)
    : QObject(parent)
    , m_model(model)
    , m_freqTable(freqTable)
    , m_ui(ui)
    , m_tableTitle(std::move(tableTitle))
{
}

void ConstancyCommand::recompute()
{
    m_model->recomputeFrequencies();
    Q_EMIT tableChanged();
}

ConstancyCommand::PanelState ConstancyCommand::prepare()
{
    m_ui->setBusy(true);
    recompute();
    PanelState state;
    int empty = 0;
    ConstancyTable::countReleves(*m_model, &state.releves, &empty);
    state.groups = empty + 1;
    state.title = (m_tableTitle ? m_tableTitle() : QString()) + QStringLiteral("常在度表");
    m_ui->setBusy(false);
    return state;
}

void ConstancyCommand::build(const QString &title, const ConstancyOptions &options)
{
    m_ui->setBusy(true);
    // The table may have been edited since the panel opened: the groups follow it as it is now.
    recompute();
    ConstancyTable::build(*m_model, options, title, m_freqTable);
    m_ui->setBusy(false);
    Q_EMIT freqTableBuilt();
}

QString ConstancyCommand::noDiagnosticSpeciesMessage()
{
    return QStringLiteral("診断種がありません。組成表は並べ替えませんでした。\n"
                          "測定の群を空の列で区切り、φ の下限と有意水準を確かめて下さい。");
}

void ConstancyCommand::sortTableByFidelity(const FidelityOptions &options)
{
    m_ui->setBusy(true);
    int diagnostic = 0;
    {
        TableHistory::Step step(m_history, QStringLiteral("診断種順の並べ替え"));
        // The groups follow the table as it is now.
        m_model->recomputeFrequencies();
        diagnostic = FidelityTable::sortSpeciesRows(*m_model, options);
    }
    m_ui->setBusy(false);
    Q_EMIT tableChanged();
    if (diagnostic == 0)
        m_ui->showMessage(noDiagnosticSpeciesMessage());
}

} // namespace Zelkor
