#include "output/numberfield.h"

namespace Zelkor {

void NumberField::setBounds(int minimum, int maximum)
{
    m_min = minimum;
    m_max = maximum;
}

void NumberField::setValue(int value)
{
    // Equal bounds mean no bounds at all.
    if (m_min != m_max) {
        if (value < m_min)
            value = m_min;
        else if (value > m_max)
            value = m_max;
    }
    m_value = value;
}

void NumberField::setText(const QString &text)
{
    bool ok = false;
    const int v = text.trimmed().toInt(&ok);
    m_value = ok ? v : m_min;
}

} // namespace Zelkor
