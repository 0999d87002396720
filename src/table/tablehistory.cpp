#include "table/tablehistory.h"

#include <utility>

namespace Zelkor {

namespace {

// The header items as the table holds them: their labels and whether each is a header row.
// The output ticks are the output panel's choice, not the table's, and stay as they are.
bool sameRows(const HeaderItems &a, const HeaderItems &b)
{
    for (int n = 1; n <= HeaderItems::Count; ++n) {
        if (a[n].label != b[n].label || a[n].layout != b[n].layout)
            return false;
    }
    return true;
}

std::size_t itemsBytes(const HeaderItems &items)
{
    std::size_t bytes = sizeof(HeaderItems);
    for (int n = 1; n <= HeaderItems::Count; ++n)
        bytes += std::size_t(items[n].label.size()) * sizeof(char16_t);
    return bytes;
}

} // namespace

TableHistory::TableHistory(TableModel *model, QString *title, HeaderItems *items)
    : m_model(model), m_title(title), m_items(items)
{
}

TableHistory::~TableHistory()
{
    attach(nullptr);
}

TableHistory::Step::Step(TableHistory *history, const QString &name) : m_history(history), m_name(name)
{
    if (m_history)
        m_history->begin();
}

void TableHistory::Step::forget()
{
    if (m_history && m_history->m_depth == 1)
        m_history->m_discardOpen = true;
}

TableHistory::Step::~Step()
{
    if (m_history)
        m_history->end(m_name);
}

void TableHistory::attach(EditJournal *journal)
{
    m_current = journal;
    m_model->attachJournal(journal);
}

void TableHistory::begin()
{
    if (m_depth++ > 0)
        return;
    m_open = std::make_unique<EditJournal>();
    m_shapeBefore = m_model->shape();
    m_titleBefore = *m_title;
    m_itemsBefore = *m_items;
    attach(m_open.get());
}

void TableHistory::end(const QString &name)
{
    if (m_depth <= 0 || --m_depth > 0)
        return;
    // What changed beside the grid and the codes: taken back by setting it as it was.
    const TableModel::Shape shapeAfter = m_model->shape();
    if (!(shapeAfter == m_shapeBefore)) {
        m_model->attachJournal(nullptr);
        m_model->restoreShape(m_shapeBefore);
        m_model->attachJournal(m_open.get());
        m_model->restoreShape(shapeAfter);
    }
    if (*m_title != m_titleBefore) {
        const QString after = *m_title;
        *m_title = m_titleBefore;
        restoreTitle(after);
    }
    if (!sameRows(*m_items, m_itemsBefore)) {
        const HeaderItems after = *m_items;
        HeaderItems before = after;
        for (int n = 1; n <= HeaderItems::Count; ++n) {
            before[n].label = m_itemsBefore[n].label;
            before[n].layout = m_itemsBefore[n].layout;
        }
        *m_items = before;
        restoreItems(after);
    }
    attach(nullptr);
    std::unique_ptr<EditJournal> journal = std::move(m_open);
    if (std::exchange(m_discardOpen, false) || journal->isEmpty())
        return;
    // A new step ends the steps undone: they can no longer be done again.
    m_steps.erase(m_steps.begin() + m_index, m_steps.end());
    if (m_clean > m_index)
        m_clean = -1;
    m_steps.push_back(Entry{name, std::move(journal)});
    ++m_index;
    m_model->setModified(!isClean());
    trim();
}

void TableHistory::restoreTitle(const QString &title)
{
    if (m_current)
        m_current->record([this, old = *m_title] { restoreTitle(old); }, std::size_t(m_title->size()) * sizeof(char16_t));
    *m_title = title;
}

void TableHistory::restoreItems(const HeaderItems &items)
{
    if (m_current)
        m_current->record([this, old = *m_items] { restoreItems(old); }, itemsBytes(*m_items));
    for (int n = 1; n <= HeaderItems::Count; ++n) {
        (*m_items)[n].label = items[n].label;
        (*m_items)[n].layout = items[n].layout;
    }
}

bool TableHistory::replay(Entry &entry)
{
    // Run backwards while a fresh journal records how to go the other way again.
    auto other = std::make_unique<EditJournal>();
    attach(other.get());
    entry.journal->undo();
    attach(nullptr);
    entry.journal = std::move(other);
    m_model->recountStatistics();
    return true;
}

bool TableHistory::undo()
{
    if (m_depth > 0 || !canUndo())
        return false;
    --m_index;
    replay(m_steps[std::size_t(m_index)]);
    m_model->setModified(!isClean());
    return true;
}

bool TableHistory::redo()
{
    if (m_depth > 0 || !canRedo())
        return false;
    replay(m_steps[std::size_t(m_index)]);
    ++m_index;
    m_model->setModified(!isClean());
    return true;
}

QString TableHistory::undoName() const
{
    return canUndo() ? m_steps[std::size_t(m_index - 1)].name : QString();
}

QString TableHistory::redoName() const
{
    return canRedo() ? m_steps[std::size_t(m_index)].name : QString();
}

void TableHistory::clear(bool savedNow)
{
    // A step open now ends with nothing to take back: there is nothing before it any more.
    m_discardOpen = m_depth > 0;
    m_steps.clear();
    m_index = 0;
    m_clean = savedNow ? 0 : -1;
}

void TableHistory::setClean()
{
    m_clean = m_index;
}

std::size_t TableHistory::bytes() const
{
    std::size_t total = 0;
    for (const Entry &e : m_steps)
        total += e.journal->bytes() + sizeof(Entry);
    return total;
}

void TableHistory::setMemoryLimit(std::size_t bytes)
{
    m_memoryLimit = bytes;
    trim();
}

void TableHistory::trim()
{
    // The oldest steps go first; the last one done always stays.
    std::size_t total = bytes();
    int drop = 0;
    while (total > m_memoryLimit && drop < m_index - 1) {
        total -= m_steps[std::size_t(drop)].journal->bytes() + sizeof(Entry);
        ++drop;
    }
    if (drop == 0)
        return;
    m_steps.erase(m_steps.begin(), m_steps.begin() + drop);
    m_index -= drop;
    m_clean = m_clean >= drop ? m_clean - drop : -1;
}

} // namespace Zelkor
