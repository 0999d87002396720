#include "shell/filefilters.h"

namespace Zelkor {

QStringList openFilters()
{
    return {
        QStringLiteral("植生データファイル (*.zki)|*.zki"),
        QStringLiteral("植生組成表ファイル (*.vtb)|*.VTB"),
        QStringLiteral("ＣＳＶデータファイル (*.csv)|*.csv"),
        QStringLiteral("異名辞書ファイル (*.dic)|*.dic"),
        QStringLiteral("設定ファイル (*.ini)|*.ini"),
    };
}

QStringList saveFilters()
{
    return {
        QStringLiteral("組成表で保存 (*.vtb)|*.vtb"),
        QStringLiteral("組成表テキストファイル(*.txt)|*.txt"),
        QStringLiteral("組成のマトリクスデータ(*.csv)|*.csv"),
        QStringLiteral("エクセル・ファイル(*.xlsx)|*.xlsx"),
        QStringLiteral("GPS　POTデータ　(*.pot)|*.pot"),
        QStringLiteral("メッシュ分布データ (*.grd)|*.grd"),
    };
}

} // namespace Zelkor
