#include "analysis/sortandhide.h"

#include "analysis/tablehiding.h"
#include "analysis/tablesort.h"
#include "platform/userinterface.h"
#include "table/tablehistory.h"
#include "table/tablemodel.h"

#include <algorithm>

namespace Zelkor {

SortAndHide::SortAndHide(TableModel *model, UserInterface *ui, QObject *parent)
    : QObject(parent)
    , m_model(model)
    , m_ui(ui)
{
}

void SortAndHide::setPanelRange(int sn1, int sn2, int ss1, int ss2)
{
    auto bound = [](int v, int max) { return std::clamp(v, 1, std::max(max, 1)); };
    m_panel.sn1 = bound(sn1, m_panel.releveMax);
    m_panel.sn2 = bound(sn2, m_panel.releveMax);
    m_panel.ss1 = bound(ss1, m_panel.speciesMax);
    m_panel.ss2 = bound(ss2, m_panel.speciesMax);
}

void SortAndHide::setDescending(bool descending)
{
    m_panel.descending = descending;
}

void SortAndHide::hidePanel()
{
    if (!m_panel.visible)
        return;
    m_panel.visible = false;
    Q_EMIT panelChanged();
}

void SortAndHide::beginSpeciesSort()
{
    m_rangeMode.set(RangeMode::SortSpecies);
    proposeWholeTable();
}

void SortAndHide::beginReleveSort()
{
    m_rangeMode.set(RangeMode::SortReleves);
    proposeWholeTable();
}

void SortAndHide::proposeWholeTable()
{
    if (m_awaitingDrag) {
        m_ui->closeWorkMessage();
        m_awaitingDrag = false;
    }
    RangePanel &p = m_panel;
    p.visible = true;
    p.releveFields = true;
    p.speciesFields = true;
    p.directionBox = true;
    switch (m_rangeMode.value()) {
    case RangeMode::SortSpecies:
        p.heading = QStringLiteral("並べ替えをする植物範囲の指定");
        p.releveFields = false;
        p.speciesMax = m_model->speciesCount();
        p.ss1 = 1;
        p.ss2 = m_model->speciesCount();
        break;
    case RangeMode::SortReleves:
        p.heading = QStringLiteral("並べ替えをする範囲の指定");
        p.speciesFields = false;
        p.releveMax = m_model->releveCount();
        p.sn1 = 1;
        p.sn2 = m_model->releveCount();
        break;
    case RangeMode::HideBlock:
        p.heading = QStringLiteral("一時的に隠す範囲の指定");
        p.directionBox = false;
        // The dragged values stay as they are: the fields reach as far as the grid.
        p.releveMax = std::max(m_model->grid().colCount() - 4, 1);
        p.speciesMax = std::max(m_model->grid().rowCount() - 1 - m_model->headerRows(), 1);
        p.releveFields = p.sn1 != p.sn2;
        p.speciesFields = p.ss1 != p.ss2;
        break;
    default:
        break;
    }
    Q_EMIT panelChanged();
}

void SortAndHide::sortRange()
{
    hidePanel();
    switch (m_rangeMode.value()) {
    case RangeMode::SortSpecies:
        m_ui->showWorkMessage(sortPlantsMessage(), QStringLiteral("  "));
        {
            TableHistory::Step step(m_history, QStringLiteral("植物の並べ替え"));
            TableSort::sortPlants(*m_model, m_panel.ss1, m_panel.ss2, m_panel.descending);
        }
        m_ui->closeWorkMessage();
        Q_EMIT tableChanged();
        break;
    case RangeMode::SortReleves:
        m_ui->showWorkMessage(sortRelevesMessage(), QString());
        {
            TableHistory::Step step(m_history, QStringLiteral("測定の並べ替え"));
            TableSort::sortReleve(*m_model, m_panel.sn1, m_panel.sn2, m_panel.descending);
        }
        m_ui->closeWorkMessage();
        Q_EMIT tableChanged();
        break;
    case RangeMode::HideBlock:
        TableHiding::hideTableRC(*m_model, m_panel.sn1, m_panel.sn2, m_panel.ss1, m_panel.ss2);
        Q_EMIT tableChanged();
        break;
    default:
        break;
    }
    m_rangeMode.set(RangeMode::None);
}

void SortAndHide::cancelSort()
{
    hidePanel();
    Q_EMIT mouseModeRequested(false);
    // Only a cancelled block hiding ends the check: after a cancelled sort the check still tells
    // that blocks hidden before are waiting to be shown.
    if (m_rangeMode.value() == RangeMode::HideBlock && m_blockChecked) {
        m_blockChecked = false;
        Q_EMIT checksChanged();
    }
    m_rangeMode.set(RangeMode::None);
    Q_EMIT tableChanged();
}

void SortAndHide::toggleSiteRows()
{
    if (!m_siteChecked) {
        m_rangeMode.set(RangeMode::SiteHidden);
        TableHiding::hideSiteRows(*m_model);
        m_siteChecked = true;
    } else {
        m_rangeMode.set(RangeMode::None);
        TableHiding::showSiteRows(*m_model);
        m_siteChecked = false;
    }
    Q_EMIT tableChanged();
    Q_EMIT checksChanged();
}

void SortAndHide::toggleBlockHiding()
{
    if (!m_blockChecked) {
        // A range panel still open for a sort would otherwise run the hiding with the sort's range.
        hidePanel();
        Q_EMIT mouseModeRequested(true);
        m_rangeMode.set(RangeMode::HideBlock);
        m_ui->showGuideMessage(hideGuideLine1(), hideGuideLine2());
        m_awaitingDrag = true;
        m_blockChecked = true;
    } else {
        TableHiding::showAllRC(*m_model);
        if (m_awaitingDrag) {
            // Chosen again before any drag: the hiding is given up and its guide goes.
            m_ui->closeWorkMessage();
            m_awaitingDrag = false;
            m_rangeMode.set(RangeMode::None);
        }
        m_blockChecked = false;
        Q_EMIT tableChanged();
    }
    Q_EMIT checksChanged();
}

void SortAndHide::rangeReleased(int left, int top, int right, int bottom)
{
    if (!m_awaitingDrag || !m_rangeMode.selectsRange())
        return;
    const int h = m_model->headerRows();
    m_panel.sn1 = TableModel::releveOfColumn(left);
    m_panel.sn2 = TableModel::releveOfColumn(right);
    m_panel.ss1 = top - h;
    m_panel.ss2 = bottom - h;
    Q_EMIT mouseModeRequested(false);
    proposeWholeTable();
}

} // namespace Zelkor
