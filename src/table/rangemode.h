#pragma once

namespace Zelkor {

/// Which range operation a mouse drag on the grid serves. The grid reads it on every press:
/// with no range operation rows and columns can be dragged to new places, with any other value
/// a rectangle of cells is selected instead.
class RangeMode
{
public:
    enum Value {
        None = 0,        ///< normal mouse mode
        SortSpecies = 1, ///< the range panel serves a species sort
        SortReleves = 2, ///< the range panel serves a relevé sort
        SiteHidden = 3,  ///< the site-attribute rows are hidden
        HideBlock = 4,   ///< a block of rows and columns is being chosen for hiding
    };

    Value value() const { return m_value; }
    void set(Value value) { m_value = value; }
    /// True when a press selects a range of cells rather than moving rows and columns.
    bool selectsRange() const { return m_value != None; }

private:
    Value m_value = None;
};

} // namespace Zelkor
