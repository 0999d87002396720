#include "platform/editjournal.h"

#include <utility>

namespace Zelkor {

EditJournal::EditJournal() = default;
EditJournal::~EditJournal() = default;

void EditJournal::record(Action undo, std::size_t bytes, const void *owner)
{
    m_entries.push_back(Entry{std::move(undo), nullptr});
    if (owner)
        closeBatchOf(owner);
    m_bytes += bytes + sizeof(Entry) + 16;
}

void EditJournal::closeBatchOf(const void *owner)
{
    for (auto it = m_open.begin(); it != m_open.end(); ++it) {
        if (it->first == owner) {
            m_open.erase(it);
            return;
        }
    }
}

void EditJournal::undo()
{
    std::vector<Entry> entries = std::move(m_entries);
    m_entries.clear();
    m_open.clear();
    m_bytes = 0;
    for (auto it = entries.rbegin(); it != entries.rend(); ++it) {
        if (it->batch)
            it->batch->undo();
        else
            it->action();
    }
}

} // namespace Zelkor
