#pragma once

namespace Zelkor {

/// What makes a species diagnostic for a group: its fidelity phi at least phiThreshold and the
/// one-tailed p of Fisher's exact test below alpha. With standardize, phi is computed as if
/// every group held the same number of relevés (N / G), so that the phi values of groups of
/// different sizes can be compared (Tichý & Chytrý 2006).
struct FidelityOptions
{
    bool standardize = true;
    double phiThreshold = 0.30;
    double alpha = 0.05;
};

} // namespace Zelkor
