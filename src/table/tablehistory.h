#pragma once

#include "platform/editjournal.h"
#include "table/headeritems.h"
#include "table/tablemodel.h"

#include <QString>

#include <cstddef>
#include <memory>
#include <vector>

namespace Zelkor {

/// The undo history of the composition table. Each step is one command's change of the table's
/// cells, order, cover codes, counts, title or header items, kept as the actions that take it
/// back (see EditJournal), never as a copy of the table; undone, the same step holds the actions
/// that do it again. View state (hidden rows, fonts, sizes) is no part of it.
///
/// The history also knows the state last saved (its clean index), as QUndoStack does: undoing
/// back to it makes the table unchanged again. It is bounded by memory: when the steps take more
/// than memoryLimit() bytes, the oldest go.
class TableHistory
{
public:
    static constexpr std::size_t DefaultMemoryLimit = std::size_t(256) << 20;

    /// The parts a step records: model, the title and the header items must outlive the history.
    TableHistory(TableModel *model, QString *title, HeaderItems *items);
    ~TableHistory();
    TableHistory(const TableHistory &) = delete;
    TableHistory &operator=(const TableHistory &) = delete;

    /// One command's change, from construction to destruction, named as the menu shows it
    /// ("行の削除"). A step begun while another is open belongs to that one. A step that changed
    /// nothing leaves no trace; a finished one drops the steps that were undone.
    class Step
    {
    public:
        Step(TableHistory &history, const QString &name) : Step(&history, name) {}
        /// No step at all without a history (a command run on a bare table).
        Step(TableHistory *history, const QString &name);
        ~Step();
        Step(const Step &) = delete;
        /// The command put everything back as it was (a cancelled extraction): the step leaves
        /// no trace.
        void forget();
        Step &operator=(const Step &) = delete;

    private:
        TableHistory *m_history;
        QString m_name;
    };

    bool canUndo() const { return m_index > 0; }
    bool canRedo() const { return m_index < int(m_steps.size()); }
    /// The name of the step undo() / redo() would take; empty when there is none.
    QString undoName() const;
    QString redoName() const;
    /// Takes back the last step done / does again the last step undone; the table's statistics
    /// are counted again and its unsaved flag follows the clean state. False when there is none
    /// or a step is open.
    bool undo();
    bool redo();

    /// Forgets every step (a table loaded or cleared); the state now is the clean one, or, with
    /// savedNow false (a table that comes from no table file), no state is.
    void clear(bool savedNow = true);
    /// The state now is the one saved.
    void setClean();
    /// Whether the state now is the one saved (false when that state has left the history).
    bool isClean() const { return m_clean == m_index; }

    int count() const { return int(m_steps.size()); }
    int index() const { return m_index; }
    /// What the steps take in memory, roughly, and the bound.
    std::size_t bytes() const;
    std::size_t memoryLimit() const { return m_memoryLimit; }
    void setMemoryLimit(std::size_t bytes);

private:
    struct Entry
    {
        QString name;
        std::unique_ptr<EditJournal> journal; // takes the step back (done) or does it again (undone)
    };
    void begin();
    void end(const QString &name);
    void attach(EditJournal *journal);
    /// Records and sets the title / items, the way the table's parts record their changes.
    void restoreTitle(const QString &title);
    void restoreItems(const HeaderItems &items);
    bool replay(Entry &entry);
    void trim();

    TableModel *m_model;
    QString *m_title;
    HeaderItems *m_items;
    std::vector<Entry> m_steps;
    int m_index = 0;  // steps before it are done, from it on undone
    int m_clean = 0;  // the index of the state saved; -1 when it left the history
    std::size_t m_memoryLimit = DefaultMemoryLimit;

    // The step open now.
    int m_depth = 0;
    EditJournal *m_current = nullptr;
    std::unique_ptr<EditJournal> m_open;
    bool m_discardOpen = false;
    TableModel::Shape m_shapeBefore;
    QString m_titleBefore;
    HeaderItems m_itemsBefore;
};

} // namespace Zelkor
