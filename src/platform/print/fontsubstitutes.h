#pragma once

namespace Zelkor {

/// Serves the program's fonts by their usual names ("ＭＳ 明朝", "ＭＳ ゴシック", "ＭＳ Ｐゴシック")
/// from the IPA fonts of similar metrics. Call it once the application object exists.
void installFontSubstitutes();

} // namespace Zelkor
