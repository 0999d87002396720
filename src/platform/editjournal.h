#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace Zelkor {

/// The changes one edit made, kept as the actions that take them back. While a journal is
/// attached to a part of the table, every operation that changes the part first records how to
/// undo what it is about to do: an old cell text, the inverse of a permutation, the cells of a
/// row about to be emptied; never a copy of the whole. Running the actions, the last recorded
/// first, brings back the state from before the edit; run while another journal is attached,
/// they record in it how to do the edit again.
class EditJournal
{
public:
    using Action = std::function<void()>;

    /// A run of small changes of one kind and one part kept together (the old texts of many
    /// cells), so that each costs only its data; taken back last first.
    class Batch
    {
    public:
        virtual ~Batch() = default;
        virtual void undo() = 0;
    };

    EditJournal();
    ~EditJournal();
    EditJournal(const EditJournal &) = delete;
    EditJournal &operator=(const EditJournal &) = delete;

    /// Adds the action that takes back the change about to be made to owner's part (if given);
    /// bytes is what its data takes (the action's own size is added).
    void record(Action undo, std::size_t bytes, const void *owner = nullptr);
    /// The open batch of type B of owner, or a new one recorded now. A batch stays open until
    /// owner records an action: the changes of different parts are independent of each other, so
    /// one part's batch may go on while another part records, but never past a change of its own
    /// part that is not in it.
    template<typename B>
    B &batch(const void *owner)
    {
        for (auto &[who, open] : m_open) {
            if (who == owner) {
                if (auto *b = dynamic_cast<B *>(open))
                    return *b;
            }
        }
        auto fresh = std::make_unique<B>();
        B &ref = *fresh;
        m_entries.push_back(Entry{Action(), std::move(fresh)});
        closeBatchOf(owner);
        m_open.emplace_back(owner, &ref);
        m_bytes += sizeof(Entry) + sizeof(B) + 16;
        return ref;
    }
    /// Counts bytes more that a batch took.
    void addBytes(std::size_t bytes) { m_bytes += bytes; }

    bool isEmpty() const { return m_entries.empty(); }
    /// What the recorded actions take in memory, roughly.
    std::size_t bytes() const { return m_bytes; }
    /// Runs every action, the last recorded first, and empties the journal.
    void undo();

private:
    struct Entry
    {
        Action action;
        std::unique_ptr<Batch> batch;
    };
    void closeBatchOf(const void *owner);
    std::vector<Entry> m_entries;
    std::vector<std::pair<const void *, Batch *>> m_open; // the parts' batches still open
    std::size_t m_bytes = 0;
};

/// A part's link to the journal attached to it. Copies of the part start without one: a copy
/// made while an edit runs is no part of the table, and its changes are not the table's.
class JournalLink
{
public:
    JournalLink() = default;
    JournalLink(const JournalLink &) {}
    JournalLink &operator=(const JournalLink &) { return *this; }
    JournalLink(JournalLink &&) noexcept {}
    JournalLink &operator=(JournalLink &&) noexcept { return *this; }

    void attach(EditJournal *journal) { m_journal = journal; }
    EditJournal *get() const { return m_journal; }
    explicit operator bool() const { return m_journal != nullptr; }
    EditJournal *operator->() const { return m_journal; }

private:
    EditJournal *m_journal = nullptr;
};

} // namespace Zelkor
