// The program's resources as the system loads them: the class name, the icon
// sizes, the sky picture's geometry and the version.
#include <cstdint>
#include <string>
#include <vector>

#include "app_main_window_fixture.h"
#include "version.h"

namespace app_test {
namespace {

HINSTANCE Self() {
    return GetModuleHandleW(nullptr);
}

TEST(ResourcesTest, ClassNameAndCaption) {
    wchar_t text[512] = {};
    ASSERT_EQ(LoadStringW(Self(), IDS_APP_NAME, text, 512), 7);
    EXPECT_STREQ(text, L"Skyloom");
}

TEST(ResourcesTest, IconComesInBothSizesWith256Colours) {
    for (int size : {32, 16}) {
        SCOPED_TRACE(size);
        HICON icon = static_cast<HICON>(
            LoadImageW(Self(), MAKEINTRESOURCEW(IDI_SKYLOOM), IMAGE_ICON, size, size, 0));
        ASSERT_NE(icon, nullptr);
        ICONINFO info{};
        ASSERT_TRUE(GetIconInfo(icon, &info));
        BITMAP colour{};
        GetObjectW(info.hbmColor, sizeof colour, &colour);
        EXPECT_EQ(colour.bmWidth, size);
        EXPECT_EQ(colour.bmHeight, size);
        DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
        DestroyIcon(icon);
    }
    // The stored images themselves: 8 bits per pixel, one per size.
    HRSRC group = FindResourceW(Self(), MAKEINTRESOURCEW(IDI_SKYLOOM), MAKEINTRESOURCEW(14));
    ASSERT_NE(group, nullptr);
    const auto* dir = static_cast<const uint8_t*>(LockResource(LoadResource(Self(), group)));
    ASSERT_NE(dir, nullptr);
    const int count = dir[4] | (dir[5] << 8);
    ASSERT_EQ(count, 2);
    std::vector<int> sizes;
    for (int i = 0; i < count; ++i) {
        const uint8_t* entry = dir + 6 + 14 * i;  // GRPICONDIRENTRY
        sizes.push_back(entry[0]);
        EXPECT_EQ(entry[6] | (entry[7] << 8), 8) << "bits per pixel";
    }
    EXPECT_EQ(sizes, (std::vector<int>{32, 16}));
}

TEST(ResourcesTest, SkyPictureHasItsGeometry) {
    HBITMAP sky = LoadBitmapW(Self(), MAKEINTRESOURCEW(IDB_SKY));
    ASSERT_NE(sky, nullptr);
    BITMAP info{};
    GetObjectW(sky, sizeof info, &info);
    EXPECT_EQ(info.bmWidth, 155);
    EXPECT_EQ(info.bmHeight, 155);

    // The stored picture is 4 bits per pixel (16 colours).
    HRSRC raw = FindResourceW(Self(), MAKEINTRESOURCEW(IDB_SKY), MAKEINTRESOURCEW(2));
    ASSERT_NE(raw, nullptr);
    const auto* header =
        static_cast<const BITMAPINFOHEADER*>(LockResource(LoadResource(Self(), raw)));
    EXPECT_EQ(header->biBitCount, 4);
    EXPECT_EQ(header->biClrUsed, 16u);

    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HGDIOBJ old = SelectObject(dc, sky);
    const COLORREF white = RGB(255, 255, 255);
    // Cross hairs: column 77 and row 78 are white across the globe.
    for (int i = 20; i <= 134; i += 9) {
        SCOPED_TRACE(i);
        EXPECT_EQ(GetPixel(dc, 77, i), white);
        EXPECT_EQ(GetPixel(dc, i, 78), white);
    }
    // Beside the cross hairs, and outside the horizon, the picture is dark.
    const struct { int x, y; } dark[] = {{2, 2}, {152, 2}, {2, 152}, {152, 152}, {10, 30}};
    for (const auto& p : dark) {
        const COLORREF c = GetPixel(dc, p.x, p.y);
        EXPECT_LT(GetRValue(c) + GetGValue(c) + GetBValue(c), 3 * 160) << p.x << "," << p.y;
    }
    // The horizon ring at radius 63 around (77, 77): drawn in one colour that
    // is neither the sky nor the ocean next to it.
    const COLORREF ring = GetPixel(dc, 77 + 63, 77);
    EXPECT_EQ(GetPixel(dc, 77 - 63, 77), ring);
    EXPECT_EQ(GetPixel(dc, 78, 77 - 63), ring);  // beside the vertical cross hair
    EXPECT_EQ(GetPixel(dc, 78, 77 + 63), ring);
    EXPECT_NE(GetPixel(dc, 77 + 66, 77), ring);
    SelectObject(dc, old);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    DeleteObject(sky);
}

TEST(ResourcesTest, ManifestAsksForNoElevation) {
    HRSRC manifest = FindResourceW(Self(), MAKEINTRESOURCEW(1), RT_MANIFEST);
    ASSERT_NE(manifest, nullptr);
    const auto* data = static_cast<const char*>(LockResource(LoadResource(Self(), manifest)));
    const std::string text(data, SizeofResource(Self(), manifest));
    EXPECT_EQ(text.rfind("<?xml", 0), 0u);
    EXPECT_NE(text.find("encoding=\"UTF-8\""), std::string::npos);
    EXPECT_NE(text.find("<requestedExecutionLevel level=\"asInvoker\""), std::string::npos);
    EXPECT_NE(text.find("version=\"" SKYLOOM_VERSION_TEXT ".0\""), std::string::npos);
    EXPECT_EQ(text.find("@"), std::string::npos) << "every placeholder was filled";
}

TEST(ResourcesTest, VersionResourceMatchesTheBuildsVersion) {
    HRSRC version = FindResourceW(Self(), MAKEINTRESOURCEW(VS_VERSION_INFO), RT_VERSION);
    ASSERT_NE(version, nullptr);
    const void* data = LockResource(LoadResource(Self(), version));
    const DWORD size = SizeofResource(Self(), version);
    std::vector<uint8_t> copy(static_cast<const uint8_t*>(data),
                              static_cast<const uint8_t*>(data) + size);
    // The fixed part follows the "VS_VERSION_INFO" key, aligned to 4 bytes.
    const VS_FIXEDFILEINFO* fixed = nullptr;
    for (size_t i = 0; i + sizeof(VS_FIXEDFILEINFO) <= copy.size(); i += 4) {
        const auto* candidate = reinterpret_cast<const VS_FIXEDFILEINFO*>(copy.data() + i);
        if (candidate->dwSignature == 0xFEEF04BD) {
            fixed = candidate;
            break;
        }
    }
    ASSERT_NE(fixed, nullptr);
    EXPECT_EQ(HIWORD(fixed->dwFileVersionMS), SKYLOOM_VERSION_MAJOR);
    EXPECT_EQ(LOWORD(fixed->dwFileVersionMS), SKYLOOM_VERSION_MINOR);
    EXPECT_EQ(HIWORD(fixed->dwFileVersionLS), SKYLOOM_VERSION_PATCH);
}

}  // namespace
}  // namespace app_test
