#pragma once

#include <array>

namespace Zelkor {

/// The zoom of a view, in percent: the steps that zooming in and out go through, from 50 % to
/// 300 %, and how a size in pixels follows it. The zoom is a way of looking only: what is printed
/// and saved keeps its own font and sizes.
namespace ZoomSteps {

inline constexpr std::array<int, 13> Steps{50, 67, 75, 80, 90, 100, 110, 125, 150, 175, 200, 250, 300};
inline constexpr int Normal = 100;
inline constexpr int Min = Steps.front();
inline constexpr int Max = Steps.back();

/// percent brought within Min … Max.
int bounded(int percent);
/// The next step above percent (Max at the top); a zoom between steps goes to the next one.
int zoomIn(int percent);
/// The next step below percent (Min at the bottom).
int zoomOut(int percent);
/// A row height or column width of size pixels shown at percent: rounded, at least one pixel.
/// Sizes of one pixel or less (hidden rows and columns, the one-pixel index lines) stay.
int scaled(int size, int percent);

} // namespace ZoomSteps

} // namespace Zelkor
