#pragma once

#include <Qt>

namespace Zelkor {

/// The flags of a window that belongs to the main window (the constancy and score table, the
/// ordination diagram): a window of its own with a title bar, minimise, maximise and close
/// buttons, which the window manager keeps over its owner (a transient window) so that a file
/// or print dialog of the main window never buries it.
constexpr Qt::WindowFlags OwnedWindowFlags = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                                             | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint
                                             | Qt::WindowCloseButtonHint;

} // namespace Zelkor
