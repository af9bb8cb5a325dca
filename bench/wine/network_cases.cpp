#include "bench/wine/network_cases.h"

#include "tests/windows/net_test_support.h"

#include <atomic>
#include <cstdio>
#include <functional>
#include <string>
#include <thread>

#include "app/main_window.h"
#include "bench/wine/answer_probe.h"
#include "link/source_address.h"
#include "tests/windows/win_test_support.h"

namespace {

std::string Narrow(const std::wstring& text) {
    std::string out;
    for (wchar_t c : text)
        out += c >= 0x20 && c < 0x7F ? static_cast<char>(c) : '.';
    return out;
}

// Opens the address as the command line would, with the probe reading the
// caption, and pumps the window until `done` (at most `limitSeconds`).
void RunCase(CBaseWnd& window, double (*clock)(), const char* what, const std::u16string& address,
             const std::function<bool()>& done, double limitSeconds) {
    AnswerProbe probe;
    probe.Start(window.hwnd, clock);
    const double started = clock();
    window.setupPanel.ShowToggled(
        window.linkControl.OpenChosen(linkrules::ParseSourceAddress(address).spec));
    win_test::PumpUntil([&] { return done() || clock() - started > limitSeconds; },
                        static_cast<DWORD>(limitSeconds * 1000) + 1000);
    win_test::PumpFor(300);
    probe.Stop();
    const std::wstring console = win_test::WindowText(window.setupPanel.console.hwnd());
    const bool lost = console.find(L"LOST!!") != std::wstring::npos;
    std::printf("%s: %.1f s, link %s%s; console ends \"%s\"\n", what, clock() - started,
                window.linkControl.link().IsOpen() ? "open" : "not open",
                lost ? ", reported lost" : "",
                Narrow(console.substr(console.size() > 70 ? console.size() - 70 : 0)).c_str());
    probe.Report(what, started);
    if (window.linkControl.link().IsOpen())
        window.setupPanel.ShowToggled(window.linkControl.ToggleLink());
}

// A loopback server that accepts one client and runs `send` on it, holding
// the connection until the case ends.
struct Server {
    net_test::Listener listener;
    std::atomic<bool> sent{false};
    std::atomic<bool> release{false};
    std::thread thread;
    explicit Server(std::function<void(SOCKET)> send) {
        thread = std::thread([this, send] {
            UniqueSocket client = listener.Accept();
            if (client)
                send(client.get());
            sent = true;
            while (!release)
                Sleep(20);
        });
    }
    ~Server() {
        release = true;
        thread.join();
    }
    std::u16string Address() const {
        std::string text = "tcp://127.0.0.1:" + std::to_string(listener.port());
        return std::u16string(text.begin(), text.end());
    }
};

}  // namespace

int BadServers(CBaseWnd& window, double (*clock)()) {
    const std::u16string outOfRange = u"tcp://127.0.0.1:70000";
    const linkrules::AddressParse refused = linkrules::ParseSourceAddress(outOfRange);
    const std::u16string said = refused.error ? refused.error : u"taken!";
    std::printf("a port out of range (%s): %s\n",
                Narrow(std::wstring(outOfRange.begin(), outOfRange.end())).c_str(),
                Narrow(std::wstring(said.begin(), said.end())).c_str());

    RunCase(
        window, clock, "a host that does not resolve", u"tcp://no..such:4001", [] { return true; },
        5);
    {
        Server flood([](SOCKET s) {
            const std::string block(1 << 20, 'A');
            for (int i = 0; i < 50 && net_test::SendAll(s, block); ++i) {
            }
        });
        RunCase(
            window, clock, "50 MB without a line feed", flood.Address(),
            [&] { return flood.sent.load(); }, 120);
    }
    {
        Server binary([](SOCKET s) {
            std::string block;
            for (int i = 0; i < 4096; ++i)
                block += static_cast<char>((i * 7919) & 0xFF);
            block += std::string(4096, '\0');
            for (int i = 0; i < 1000 && net_test::SendAll(s, block); ++i) {
            }
            net_test::SendAll(s, "\r\n$GPTXT,01,01,02,after the binary*00\r\n");
        });
        RunCase(
            window, clock, "8 MB of NUL bytes and binary", binary.Address(),
            [&] { return binary.sent.load(); }, 120);
    }
    {
        Server silent([](SOCKET) {});
        RunCase(
            window, clock, "a server that accepts and never sends", silent.Address(),
            [] { return false; }, 5);
    }
    return 0;
}
