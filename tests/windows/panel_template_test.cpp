// The two panel templates as compiled into the resources, read item by item,
// and checked for what the program relies on: the controls it works, their
// kinds, and a starting window whose controls fit and do not overlap.
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

const Item* Find(const Template& t, int id) {
    for (const Item& item : t.items)
        if (item.id == id)
            return &item;
    return nullptr;
}

bool Overlap(const Item& a, const Item& b) {
    return a.x < b.x + b.cx && b.x < a.x + a.cx && a.y < b.y + b.cy && b.y < a.y + a.cy;
}

TEST(PanelTemplates, EveryControlThePanelWorksIsThereOnceWithTheClassItIsWorkedAs) {
    Template t;
    ASSERT_TRUE(LoadTemplate(IDD_SETUP_PANEL, &t));
    const DWORD kType = 0x0F;  // the button type bits
    const struct {
        int id;
        const wchar_t* cls;
        DWORD buttonType;  // for buttons: push or automatic check box
    } rows[] = {
        {IDC_PORT, L"ComboBox", 0},
        {IDC_BAUD, L"ComboBox", 0},
        {IDC_START_GPS, L"Button", BS_PUSHBUTTON},
        {IDC_COLD_START, L"Button", BS_PUSHBUTTON},
        {IDC_FACTORY_RESET, L"Button", BS_PUSHBUTTON},
        {IDC_GET_VERSION, L"Button", BS_PUSHBUTTON},
        {IDC_SEND, L"Button", BS_PUSHBUTTON},
        {IDC_SCAN_PORTS, L"Button", BS_PUSHBUTTON},
        // The panel reads a check box's new state when it reports the click:
        // only an automatic one has toggled itself by then.
        {IDC_VTG, L"Button", BS_AUTOCHECKBOX},
        {IDC_POWER_SAVE, L"Button", BS_AUTOCHECKBOX},
        {IDC_SBAS, L"Button", BS_AUTOCHECKBOX},
        {IDC_LOG_FILE, L"Button", BS_AUTOCHECKBOX},
        {IDC_AUTO_SEND, L"Button", BS_AUTOCHECKBOX},
        {IDC_CORE_VERSION, L"Edit", 0},
        {IDC_FW_VERSION, L"Edit", 0},
        {IDC_USER_SENTENCE, L"Edit", 0},
        {IDC_AUTO_PERIOD, L"Edit", 0},
        {IDC_LOG_NAME, L"Edit", 0},
        {IDC_SNR_OFFSET, L"Edit", 0},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.id);
        const Item* item = Find(t, r.id);
        ASSERT_NE(item, nullptr);
        // Stored by name or by the predefined class's atom; names compare without case.
        EXPECT_EQ(lstrcmpiW(item->cls.c_str(), r.cls), 0) << item->cls;
        if (r.buttonType != 0) {
            EXPECT_EQ(item->style & kType, r.buttonType);
        }
    }
    // Ids are unique: every GetDlgItem finds the one control meant.
    for (size_t i = 0; i < t.items.size(); ++i)
        for (size_t j = i + 1; j < t.items.size(); ++j)
            if (t.items[i].id != -1) {
                EXPECT_NE(t.items[i].id, t.items[j].id) << "items " << i << " and " << j;
            }
}

TEST(PanelTemplates, TheStartingWindowShowsItsControlsInsideThePanelWithoutOverlap) {
    Template t;
    ASSERT_TRUE(LoadTemplate(IDD_SETUP_PANEL, &t));
    std::vector<Item> shown;
    for (const Item& item : t.items) {
        // Everything lies inside the panel, shown or not.
        EXPECT_GE(item.x, 0) << item.id;
        EXPECT_GE(item.y, 0) << item.id;
        EXPECT_LE(item.x + item.cx, t.cx) << item.id;
        EXPECT_LE(item.y + item.cy, t.cy) << item.id;
        if (item.style & WS_VISIBLE)
            shown.push_back(item);
    }
    for (size_t i = 0; i < shown.size(); ++i)
        for (size_t j = i + 1; j < shown.size(); ++j)
            EXPECT_FALSE(Overlap(shown[i], shown[j]))
                << shown[i].id << " '" << testing::PrintToString(shown[i].text) << "' and "
                << shown[j].id << " '" << testing::PrintToString(shown[j].text) << "'";

    // The starting window: the port and baud lists, Start GPS, a Cold Start
    // that waits for a link, and the two read-only version fields.
    const struct {
        int id;
        bool enabled;
    } startRows[] = {{IDC_PORT, true},        {IDC_BAUD, true},         {IDC_START_GPS, true},
                     {IDC_COLD_START, false}, {IDC_CORE_VERSION, true}, {IDC_FW_VERSION, true}};
    size_t shownWithId = 0;
    for (const Item& item : shown)
        shownWithId += item.id != -1 ? 1 : 0;
    EXPECT_EQ(shownWithId, std::size(startRows));
    for (const auto& r : startRows) {
        const Item* item = Find(t, r.id);
        ASSERT_NE(item, nullptr) << r.id;
        EXPECT_TRUE(item->style & WS_VISIBLE) << r.id;
        EXPECT_EQ((item->style & WS_DISABLED) == 0, r.enabled) << r.id;
    }
    for (int id : {IDC_CORE_VERSION, IDC_FW_VERSION})
        EXPECT_TRUE(Find(t, id)->style & ES_READONLY) << id;
    // Commands that need a link to talk to start disabled.
    for (int id : {IDC_FACTORY_RESET, IDC_VTG, IDC_POWER_SAVE, IDC_SBAS, IDC_GET_VERSION, IDC_SEND,
                   IDC_USER_SENTENCE})
        EXPECT_TRUE(Find(t, id)->style & WS_DISABLED) << id;
}
