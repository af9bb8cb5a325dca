// One paint of the status panel, timed: the panel of a 1200 x 900 window
// (and the default one, and the large one at 144 and 192 dpi) with the 48
// satellites of a four-system receiver, painted into a memory DC as its
// WM_PAINT does, many times over.
//   skyloom-paint-bench [PAINTS]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "bench/wine/answer_probe.h"
#include "nmea/text16.h"
#include "panels/status_panel.h"
#include "res/resource.h"
#include "win32/unique_handle.h"

namespace {

// Twelve satellites of each of four systems, numbered from 1 in their own
// talkers, spread over the sky, two in three heard, every other one used.
void FortyEight(ReceiverModel& status) {
    const GnssSystem systems[] = {GnssSystem::kGps, GnssSystem::kGlonass, GnssSystem::kGalileo,
                                  GnssSystem::kBeiDou};
    int k = 0;
    for (GnssSystem system : systems)
        for (int n = 1; n <= 12; ++n, ++k) {
            const int number = system == GnssSystem::kGlonass ? 64 + n : n;
            bool added = false;
            SatelliteSlot* s =
                SatelliteFor(status, IdentifySatellite(number, {system, true}), number, &added);
            if (s == nullptr)
                continue;
            s->inView = 1;
            s->used = n % 2;
            s->snr = n % 3 == 0 ? 0 : 20 + n;
            s->skyKnown = 1;
            s->elevation = 5 + (k * 37) % 85;
            s->azimuth = (k * 53) % 360;
        }
    status.receiverTime = CivilTime{2026, 12, 2, 8, 13, 49, 5, 0};
    status.sent.localTime = 1;
    text16::Copy(status.sent.latitude, u"4807.0799");
    text16::Copy(status.sent.latHemisphere, u"N");
    text16::Copy(status.sent.longitude, u"01131.0648");
    text16::Copy(status.sent.lonHemisphere, u"E");
}

}  // namespace

int main(int argc, char** argv) {
    const int paints = argc > 1 ? std::max(1, std::atoi(argv[1])) : 500;
    g_hInstance = GetModuleHandleW(nullptr);
    HWND parent = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr,
                                  g_hInstance, nullptr);
    static ReceiverModel model{};
    CRestoreDlg panel(model);
    if (parent == nullptr || !panel.Create(parent)) {
        std::fprintf(stderr, "no status panel\n");
        return 1;
    }
    panel.skyBitmap.reset(LoadBitmapW(g_hInstance, MAKEINTRESOURCEW(IDB_SKY)));
    FortyEight(model);
    const struct {
        const char* what;
        status_layout::View view;
    } rows[] = {
        {"default panel, 96 dpi", {574, 248, 96}},
        {"1200 x 900 window, 96 dpi", {1192, 427, 96}},
        {"1800 x 1350 window, 144 dpi", {1788, 640, 144}},
        {"2400 x 1800 window, 192 dpi", {2384, 854, 192}},
    };
    std::printf("paint: the status panel with 48 satellites, %d paints each\n", paints);
    HDC screen = GetDC(nullptr);
    for (const auto& r : rows) {
        panel.SetView(r.view);
        // As OnPaint does: a memory DC and bitmap of the panel's size per paint.
        std::vector<double> ms;
        for (int i = 0; i < paints; ++i) {
            const double start = BenchSeconds();
            UniqueDc memory(CreateCompatibleDC(screen));
            UniqueGdi<HBITMAP> bitmap(CreateCompatibleBitmap(screen, r.view.width, r.view.height));
            HGDIOBJ old = SelectObject(memory.get(), bitmap.get());
            const RECT client{0, 0, r.view.width, r.view.height};
            panel.PaintContent(memory.get(), client);
            GdiFlush();
            SelectObject(memory.get(), old);
            ms.push_back((BenchSeconds() - start) * 1000);
        }
        std::sort(ms.begin(), ms.end());
        double sum = 0;
        for (double m : ms)
            sum += m;
        std::printf("  %-30s median %.2f ms, mean %.2f ms, 99th %.2f ms, max %.2f ms\n", r.what,
                    ms[ms.size() / 2], sum / static_cast<double>(ms.size()),
                    ms[std::min(ms.size() - 1, ms.size() * 99 / 100)], ms.back());
    }
    ReleaseDC(nullptr, screen);
    DestroyWindow(panel.hwnd);
    DestroyWindow(parent);
    return 0;
}
