// The two panel templates as compiled into the resources, read item by item:
// the styles the controls are created with (before any control adjusts its
// own), their ids, classes, texts and places in dialog units.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "res/resource.h"
#include "tests/windows/panel_test_support.h"

namespace {

struct Item {
    DWORD style;
    int x, y, cx, cy;
    int id;
    std::wstring cls;
    std::wstring text;
};

struct Template {
    DWORD style;
    DWORD exStyle;
    int cx, cy;
    std::wstring caption;
    int pointSize;
    std::wstring font;
    std::vector<Item> items;
};

// Reads a classic DLGTEMPLATE: header, menu, class, caption, font, then
// DWORD-aligned items.
class Reader {
  public:
    Reader(const uint8_t* p, const uint8_t* end) : p_(p), end_(end) {}
    bool ok() const { return p_ <= end_; }
    uint16_t Word() {
        uint16_t v = 0;
        if (p_ + 2 <= end_)
            std::memcpy(&v, p_, 2);
        p_ += 2;
        return v;
    }
    uint32_t Dword() {
        uint32_t lo = Word();
        return lo | (static_cast<uint32_t>(Word()) << 16);
    }
    std::wstring SzOrOrd() {
        const uint16_t first = Word();
        if (first == 0xFFFF)
            return L"#" + std::to_wstring(Word());
        std::wstring s;
        for (uint16_t c = first; c != 0 && ok(); c = Word())
            s.push_back(static_cast<wchar_t>(c));
        return s;
    }
    void AlignDword(const uint8_t* base) {
        while ((p_ - base) % 4 != 0)
            ++p_;
    }

  private:
    const uint8_t* p_;
    const uint8_t* end_;
};

std::wstring ClassName(const std::wstring& raw) {
    if (raw == L"#128")
        return L"Button";
    if (raw == L"#129")
        return L"Edit";
    if (raw == L"#130")
        return L"Static";
    if (raw == L"#133")
        return L"ComboBox";
    return raw;
}

bool LoadTemplate(int id, Template* out) {
    HMODULE module = GetModuleHandleW(nullptr);
    HRSRC info = FindResourceW(module, MAKEINTRESOURCEW(id), RT_DIALOG);
    if (info == nullptr)
        return false;
    auto* base = static_cast<const uint8_t*>(LockResource(LoadResource(module, info)));
    Reader r(base, base + SizeofResource(module, info));
    out->style = r.Dword();
    if (HIWORD(out->style) == 0xFFFF)
        return false;  // an extended template: not what the panels use
    out->exStyle = r.Dword();
    const int count = r.Word();
    r.Word();
    r.Word();
    out->cx = static_cast<int16_t>(r.Word());
    out->cy = static_cast<int16_t>(r.Word());
    r.SzOrOrd();  // menu
    r.SzOrOrd();  // class
    out->caption = r.SzOrOrd();
    if (out->style & DS_SETFONT) {
        out->pointSize = r.Word();
        out->font = r.SzOrOrd();
    }
    for (int i = 0; i < count && r.ok(); ++i) {
        r.AlignDword(base);
        Item item;
        item.style = r.Dword();
        r.Dword();  // extended style
        item.x = static_cast<int16_t>(r.Word());
        item.y = static_cast<int16_t>(r.Word());
        item.cx = static_cast<int16_t>(r.Word());
        item.cy = static_cast<int16_t>(r.Word());
        item.id = static_cast<int16_t>(r.Word());
        item.cls = ClassName(r.SzOrOrd());
        item.text = r.SzOrOrd();
        const uint16_t extra = r.Word();
        for (uint16_t k = 0; k < extra; k += 2)
            r.Word();
        out->items.push_back(item);
    }
    return r.ok();
}

}  // namespace

TEST(PanelTemplates, BothPanelsAreCaptionlessChildrenInTheSystemFont) {
    const struct {
        int id;
        DWORD style;
        int cx, cy;
        size_t items;
    } rows[] = {
        {IDD_SETUP_PANEL, WS_CHILD | WS_VISIBLE | DS_SETFONT, 279, 180, 31},
        // The status panel is invisible and empty: it is painted, not built of controls.
        {IDD_STATUS_PANEL, WS_CHILD | DS_SETFONT, 253, 169, 0},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.id);
        Template t;
        ASSERT_TRUE(LoadTemplate(r.id, &t));
        EXPECT_EQ(t.style, r.style);
        EXPECT_EQ(t.exStyle, 0u);
        EXPECT_EQ(t.cx, r.cx);
        EXPECT_EQ(t.cy, r.cy);
        EXPECT_EQ(t.caption, L"");
        EXPECT_EQ(t.pointSize, 10);
        EXPECT_EQ(t.font, L"System");
        EXPECT_EQ(t.items.size(), r.items);
    }
}

TEST(PanelTemplates, SetupPanelTemplateHoldsEveryControlAsCreated) {
    Template t;
    ASSERT_TRUE(LoadTemplate(IDD_SETUP_PANEL, &t));

    const DWORD child = WS_CHILD | WS_VISIBLE;
    const DWORD hidden = WS_CHILD;
    const DWORD combo = CBS_DROPDOWN | WS_VSCROLL | WS_TABSTOP;
    const DWORD sortedCombo = CBS_DROPDOWN | CBS_SORT | WS_TABSTOP;
    const DWORD push = BS_PUSHBUTTON | WS_TABSTOP;
    const DWORD check = BS_AUTOCHECKBOX | WS_TABSTOP;
    const DWORD label = SS_LEFT | WS_GROUP;
    const DWORD readOnly = ES_LEFT | ES_READONLY | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP;
    const DWORD edit = ES_LEFT | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP;
    const Item expected[] = {
        {child | combo, 89, 1, 57, 12, IDC_PORT, L"ComboBox", L""},
        {child | combo, 49, 16, 57, 13, IDC_BAUD, L"ComboBox", L""},
        {child | label, 8, 1, 38, 9, -1, L"Static", L"COM Port :"},
        {child | label, 7, 16, 40, 10, -1, L"Static", L"Baud Rate :"},
        {hidden | BS_PUSHBUTTON, 9, 142, 54, 13, IDC_SCAN_PORTS, L"Button", L"Scan Com Port"},
        {child | push | WS_DISABLED, 7, 31, 55, 13, IDC_COLD_START, L"Button", L"Cold Start"},
        {child | push, 68, 31, 59, 13, IDC_START_GPS, L"Button", L"Start GPS"},
        {hidden | check | WS_DISABLED, 205, 112, 60, 10, IDC_VTG, L"Button", L"VTG"},
        {hidden | check | WS_DISABLED, 83, 112, 55, 10, IDC_POWER_SAVE, L"Button", L"Power Save"},
        {hidden | check | WS_DISABLED, 140, 112, 62, 10, IDC_SBAS, L"Button", L"WAAS/EGNOS"},
        {hidden | push | WS_DISABLED, 68, 46, 59, 13, IDC_GET_VERSION, L"Button", L"Get Version"},
        {child | label, 132, 17, 44, 12, -1, L"Static", L"Core Version:"},
        {child | readOnly, 180, 17, 90, 14, IDC_CORE_VERSION, L"Edit", L""},
        {child | label, 134, 32, 44, 11, -1, L"Static", L"FW Version:"},
        {child | readOnly, 180, 32, 89, 13, IDC_FW_VERSION, L"Edit", L""},
        {hidden | edit, 161, 79, 25, 13, IDC_AUTO_PERIOD, L"Edit", L""},
        {hidden | sortedCombo | WS_DISABLED, 199, 126, 26, 12, IDC_FILTER_FIELD, L"ComboBox", L""},
        {hidden | sortedCombo | WS_DISABLED, 151, 134, 26, 12, IDC_FILTER_OP, L"ComboBox", L""},
        {hidden | push | WS_DISABLED, 95, 123, 30, 12, IDC_SET_FILTER, L"Button", L"Set Filte"},
        {hidden | check, 181, 61, 36, 10, IDC_LOG_FILE, L"Button", L"Log File"},
        {hidden | edit, 217, 59, 47, 13, IDC_LOG_NAME, L"Edit", L""},
        {hidden | label, 21, 104, 44, 11, -1, L"Static", L"P Version:"},
        {hidden | ES_LEFT | ES_READONLY | WS_TABSTOP, 67, 103, 56, 13, IDC_P_VERSION, L"Edit", L""},
        {hidden | label | WS_DISABLED, 89, 86, 21, 14, -1, L"Static", L"Time:"},
        {hidden | label | WS_DISABLED, 103, 154, 21, 14, -1, L"Static", L"File:"},
        {hidden | edit | WS_DISABLED, 217, 154, 47, 13, IDC_SNR_OFFSET, L"Edit", L""},
        {hidden | label | WS_DISABLED, 190, 153, 21, 14, -1, L"Static", L"Mod:"},
        {hidden | push | WS_DISABLED, 7, 61, 55, 13, IDC_SEND, L"Button", L"Send"},
        {hidden | edit | WS_DISABLED, 67, 60, 108, 13, IDC_USER_SENTENCE, L"Edit", L""},
        {hidden | check, 135, 80, 25, 10, IDC_AUTO_SEND, L"Button", L"Auto"},
        {hidden | push | WS_DISABLED, 12, 83, 55, 13, IDC_FACTORY_RESET, L"Button",
         L"Factory Reset"},
    };
    ASSERT_EQ(t.items.size(), std::size(expected));
    for (size_t i = 0; i < t.items.size(); ++i) {
        const Item& got = t.items[i];
        const Item& want = expected[i];
        SCOPED_TRACE(testing::Message() << "item " << i << " id " << want.id);
        EXPECT_EQ(got.id, want.id);
        // Stored by name or by the predefined class's atom; names compare without case.
        EXPECT_EQ(lstrcmpiW(got.cls.c_str(), want.cls.c_str()), 0) << got.cls;
        EXPECT_EQ(got.text, want.text);
        EXPECT_EQ(got.style, want.style) << std::hex << (got.style ^ want.style);
        EXPECT_EQ(got.x, want.x);
        EXPECT_EQ(got.y, want.y);
        EXPECT_EQ(got.cx, want.cx);
        EXPECT_EQ(got.cy, want.cy);
    }
}
