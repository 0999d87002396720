#pragma once

#include <QString>
#include <QStringList>

namespace Zelkor {

/// The earlier texts of the search box, oldest first. Every search appends its text as typed,
/// duplicates included; the list lives as long as the program runs and is not saved.
class SearchHistory
{
public:
    /// Appends the text of a search.
    void append(const QString &text) { m_texts.append(text); }
    /// The texts, oldest first (the order of the drop-down list).
    const QStringList &texts() const { return m_texts; }
    /// The text of the last search, which the box shows again when it is opened; empty before
    /// the first search.
    QString last() const { return m_texts.isEmpty() ? QString() : m_texts.constLast(); }

private:
    QStringList m_texts;
};

} // namespace Zelkor
