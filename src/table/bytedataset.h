#pragma once

#include <QtGlobal>
#include <array>

namespace Zelkor {

/// The cover codes of one species in one relevé, one byte per vegetation layer in the order
/// T1, T2, S1, S2, H1, H2, M (index 0..6 here); 0 means the species is absent from the layer.
using ByteDataSet = std::array<quint8, 7>;

/// True when no layer has a code.
inline bool isEmpty(const ByteDataSet &codes)
{
    for (quint8 b : codes)
        if (b)
            return false;
    return true;
}

} // namespace Zelkor
