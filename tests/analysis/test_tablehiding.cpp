#include "analysis/tablehiding.h"
#include "table/headeritems.h"
#include "table/tablemodel.h"

#include <gtest/gtest.h>

#include <vector>

using namespace Zelkor;

namespace {

struct HideTable : ::testing::Test
{
    TableModel model;
    HeaderItems items;

    void SetUp() override
    {
        model.clearTable(items);
        model.setReleveCount(10);
        model.setSpeciesCount(10);
        for (int j = 1; j <= 10; ++j)
            model.grid().setCell(2, model.headerRows() + j, QStringLiteral("S%1").arg(j));
    }
    int h() const { return model.headerRows(); }
    int rowH() const { return model.grid().defaultRowHeight(); }
    int colW() const { return model.grid().defaultColWidth(); }
    std::vector<int> speciesHeights(int from, int to) const
    {
        std::vector<int> out;
        for (int j = from; j <= to; ++j)
            out.push_back(model.grid().rowHeight(h() + j));
        return out;
    }
    std::vector<int> releveWidths(int from, int to) const
    {
        std::vector<int> out;
        for (int k = from; k <= to; ++k)
            out.push_back(model.grid().colWidth(k + 3));
        return out;
    }
};

} // namespace

TEST_F(HideTable, BlocksOfThreeOrMoreHideTheirInsideOnly)
{
    struct Case { const char *name; int c1, c2, r1, r2; std::vector<int> rows; std::vector<int> cols; };
    const int d = 14, w = 40;
    const Case cases[] = {
        // Rows 3..7 and columns 3..7 as sizes.
        {"two rows, one column: nothing", 5, 5, 4, 5, {d, d, d, d, d}, {w, w, w, w, w}},
        {"three rows, two columns", 4, 5, 4, 6, {d, 1, -1, 0, d}, {w, w, w, w, w}},
        {"five rows, three columns", 3, 5, 3, 7, {1, -1, -1, -1, 0}, {1, -1, -1, w, w}},
        {"backward range: nothing", 7, 3, 7, 3, {d, d, d, d, d}, {w, w, w, w, w}},
    };
    ASSERT_EQ(rowH(), d);
    ASSERT_EQ(colW(), w);
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        TableHiding::showAllRC(model);
        TableHiding::hideTableRC(model, c.c1, c.c2, c.r1, c.r2);
        EXPECT_EQ(speciesHeights(3, 7), c.rows);
        EXPECT_EQ(releveWidths(3, 7), c.cols);
        // Nothing else changes size; the hidden cells keep their text.
        EXPECT_EQ(model.grid().rowHeight(h()), d);
        EXPECT_EQ(model.grid().cell(2, h() + 5), QStringLiteral("S5"));
    }
}

TEST_F(HideTable, BlocksStayOutOfTheFixedAreaAndShowingAllRestoresEveryHide)
{
    // A range reaching into the fixed rows and columns is kept below and right of them.
    TableHiding::hideTableRC(model, -5, 3, -5, 3);
    for (int r = 0; r <= h(); ++r)
        EXPECT_GT(model.grid().rowHeight(r), 0) << r;
    for (int c = 0; c <= 3; ++c)
        EXPECT_GT(model.grid().colWidth(c), 0) << c;
    EXPECT_EQ(speciesHeights(1, 3), (std::vector<int>{1, -1, 0}));
    EXPECT_EQ(releveWidths(1, 3), (std::vector<int>{1, -1, -1}));

    // Earlier hides, and one reaching into the spare rows and columns, all come back.
    TableHiding::hideTableRC(model, 6, 9, 6, 9);
    TableHiding::hideTableRC(model, 9, 15, 9, 30);
    TableHiding::showAllRC(model);
    for (int r = h() + 1; r < model.grid().rowCount(); ++r)
        ASSERT_EQ(model.grid().rowHeight(r), rowH()) << r;
    for (int c = 4; c < model.grid().colCount(); ++c)
        ASSERT_EQ(model.grid().colWidth(c), colW()) << c;
    // The fixed sizes stay theirs.
    EXPECT_EQ(model.grid().colWidth(2), 7 * colW());
    EXPECT_EQ(model.grid().rowHeight(0), 1);
}

TEST(HideSiteRows, HidesTheHeaderItemRowsFromRowThreeAndOnlyThose)
{
    // Eighteen items, three, two and one in the layout.
    for (int itemsInLayout : {18, 3, 2, 1}) {
        SCOPED_TRACE(itemsInLayout);
        TableModel model;
        HeaderItems items;
        for (int n = 1; n <= HeaderItems::Count; ++n)
            items[n].layout = n <= itemsInLayout;
        model.clearTable(items);
        const int h = model.headerRows();
        ASSERT_EQ(h, itemsInLayout + 1);
        const int d = model.grid().defaultRowHeight();

        TableHiding::hideSiteRows(model);
        for (int r = 0; r <= h + 2; ++r) {
            int expected = r == 0 ? 1 : d;
            if (r >= 3 && r < h)
                expected = r == 3 ? 0 : -1;
            EXPECT_EQ(model.grid().rowHeight(r), expected) << r;
        }
        TableHiding::showSiteRows(model);
        for (int r = 1; r <= h + 2; ++r)
            EXPECT_EQ(model.grid().rowHeight(r), d) << r;
    }
}
