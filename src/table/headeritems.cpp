#include "table/headeritems.h"

namespace Zelkor {

namespace {
struct Default
{
    const char16_t *label;
    bool layout;
    bool selected;
};

// Labels keep their ASCII blanks ("高 木 層") and full-width parentheses as users know them.
const Default kDefaults[HeaderItems::Count + 1] = {
    {u"", false, false},
    {u"表番号", true, true},
    {u"識別記号", true, true},
    {u"調査地名", true, true},
    {u"調査年月日", false, false},
    {u"地点緯度（度分秒）", false, false},
    {u"地点経度（度分秒）", false, false},
    {u"地理区画コード", false, true},
    {u"調査地標高(m)", true, true},
    {u"傾斜方位", true, true},
    {u"傾斜角度", true, true},
    {u"地形位置", true, true},
    {u"微地形", true, true},
    {u"表層地質", false, true},
    {u"土壌型", false, false},
    {u"調査面積（㎡）", true, true},
    {u"高 木 層高さ（m）", true, true},
    {u"亜高木層高さ（m）", true, true},
    {u"低 木 層高さ（m）", true, true},
    {u"低木層２高さ（m）", false, true},
    {u"草 本 層高さ（m）", true, true},
    {u"草本層２高さ（m）", false, true},
    {u"コ ケ 層高さ（m）", false, true},
    {u"高 木 層植被率（%）", true, true},
    {u"亜高木層植被率（%）", true, true},
    {u"低 木 層植被率（%）", true, true},
    {u"低木層２植被率（%）", false, true},
    {u"草 本 層植被率（%）", true, true},
    {u"草本層２植被率（%）", false, true},
    {u"コ ケ 層植被率（%）", false, true},
    {u"出現種数", true, true},
};
} // namespace

HeaderItems::HeaderItems()
{
    for (int n = 1; n <= Count; ++n)
        m_items[std::size_t(n)] = HeaderItem{defaultLabel(n), defaultLayout(n), defaultSelected(n)};
}

QString HeaderItems::defaultLabel(int n)
{
    return n >= 1 && n <= Count ? QString::fromUtf16(kDefaults[n].label) : QString();
}

bool HeaderItems::defaultLayout(int n)
{
    return n >= 1 && n <= Count && kDefaults[n].layout;
}

bool HeaderItems::defaultSelected(int n)
{
    return n >= 1 && n <= Count && kDefaults[n].selected;
}

int HeaderItems::layoutCount() const
{
    int c = 0;
    for (int n = 1; n <= Count; ++n)
        c += m_items[std::size_t(n)].layout ? 1 : 0;
    return c;
}

void HeaderItems::selectLayout()
{
    for (int n = 1; n <= Count; ++n)
        m_items[std::size_t(n)].selected = m_items[std::size_t(n)].layout;
}

} // namespace Zelkor
