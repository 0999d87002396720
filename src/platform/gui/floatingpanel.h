#pragma once

class QWidget;

namespace Zelkor {

/// Sizes a floating panel of the main window to its contents and shows it over the right part
/// of the grid (the window's central widget), so that the species names stay in sight.
void showOverGrid(QWidget *panel);

} // namespace Zelkor
