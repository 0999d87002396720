#pragma once

#include <QString>

namespace Zelkor {

/// A whole-number field with a lower and an upper bound, as the panels' range fields behave:
/// setting a value clamps it into the bounds unless both bounds are equal; a typed text that is
/// no whole number reads as the lower bound; leaving the field clamps what was typed.
class NumberField
{
public:
    /// Sets both bounds; the value is not touched.
    void setBounds(int minimum, int maximum);
    int minimum() const { return m_min; }
    int maximum() const { return m_max; }

    /// Sets the value, clamped into the bounds (unless they are equal).
    void setValue(int value);
    /// What the user typed: a whole number is taken as it stands, anything else as the lower
    /// bound.
    void setText(const QString &text);
    /// The user leaves the field: a value out of the bounds is clamped.
    void leave() { setValue(m_value); }

    int value() const { return m_value; }

private:
    int m_min = 0;
    int m_max = 0;
    int m_value = 0;
};

} // namespace Zelkor
