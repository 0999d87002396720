#include "platform/editjournal.h"

#include <utility>

namespace Zelkor {

EditJournal::EditJournal() = default;
EditJournal::~EditJournal() = default;

void EditJournal::record(Action undo, std::size_t bytes)
{
    m_entries.push_back(Entry{std::move(undo), nullptr});
    m_lastOwner = nullptr;
    m_bytes += bytes + sizeof(Entry) + 16;
}

void EditJournal::undo()
{
    std::vector<Entry> entries = std::move(m_entries);
    m_entries.clear();
    m_lastOwner = nullptr;
    m_bytes = 0;
    for (auto it = entries.rbegin(); it != entries.rend(); ++it) {
        if (it->batch)
            it->batch->undo();
        else
            it->action();
    }
}

} // namespace Zelkor
