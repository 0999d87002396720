#pragma once

#include <QString>
#include <array>

namespace Zelkor {

/// One of the thirty site attributes that can be header rows of the table.
struct HeaderItem
{
    QString label;          ///< row label in column 2 and in outputs
    bool layout = false;    ///< the item is a header row of the table layout
    bool selected = false;  ///< the item is ticked for output
};

/// The thirty header items, numbered 1..30. Item 1 is the relevé running number; items 2..7 take
/// 8-character values, items 8..30 4-character values from the database.
class HeaderItems
{
public:
    static constexpr int Count = 30;

    /// The items with their default labels, layout flags and check marks.
    HeaderItems();

    HeaderItem &operator[](int n) { return m_items[std::size_t(n)]; }
    const HeaderItem &operator[](int n) const { return m_items[std::size_t(n)]; }

    /// The default label, layout flag and initial check mark of item n (1..30).
    static QString defaultLabel(int n);
    static bool defaultLayout(int n);
    static bool defaultSelected(int n);

    /// Number of items whose layout flag is on.
    int layoutCount() const;
    /// Sets every item's check mark to its layout flag.
    void selectLayout();

private:
    std::array<HeaderItem, Count + 1> m_items; // index 0 unused
};

} // namespace Zelkor
