// Writing the publication text layout of a 5,000-relevé × 2,000-species table (1 % filled,
// every header row filled) to a file, with the frequency column and the list of species found
// once. Prints the best of three writes, the pages and the file size.
#include "generatedtable.h"
#include "output/tablelayout.h"
#include "output/tabletextfile.h"

#include <QFileInfo>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>

using namespace Zelkor;

int main()
{
    constexpr int releves = 5000;
    constexpr int species = 2000;
    TableModel model;
    HeaderItems items;
    if (!Bench::makeLargeTable(model, releves, species))
        return 1;
    items.selectLayout();

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("big.txt"));
    TableLayoutOptions options;
    options.title = QStringLiteral("Benchmark table");
    options.range = OutputRange{1, releves, 1, species};
    options.frequency = true;
    options.oneTimeApart = true;
    const TableLayout layout(model, items, options);

    double best = 1e9;
    for (int run = 0; run < 3; ++run) {
        const auto t0 = std::chrono::steady_clock::now();
        TableTextFile file;
        if (!file.write(layout, 1, species, path)) {
            std::fprintf(stderr, "%s\n", qPrintable(file.errorString()));
            return 1;
        }
        best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
    }
    std::printf("text layout of %d x %d (1 %% filled): %.3f s best of 3, %zu pages, %.1f MiB\n", releves, species,
                best, layout.pages(TableLayout::TextFileAllowance).size(), QFileInfo(path).size() / 1048576.0);
    return 0;
}
