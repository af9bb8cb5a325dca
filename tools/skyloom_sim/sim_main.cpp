// skyloom-sim: a simulated GPS receiver on a serial device.
#include <csignal>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "tools/skyloom_sim/sim_options.h"
#include "tools/skyloom_sim/sim_platform.h"
#include "tools/skyloom_sim/sim_replay.h"
#include "tools/skyloom_sim/sim_session.h"
#include "version.h"

namespace {

volatile std::sig_atomic_t g_stop = 0;

void OnSignal(int) {
    g_stop = 1;
}

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using UniqueFile = std::unique_ptr<std::FILE, FileCloser>;

// Opens a log for writing; an empty path is no log. False when it can't be made.
bool OpenLog(const std::string& path, UniqueFile* file) {
    if (path.empty())
        return true;
    file->reset(std::fopen(path.c_str(), "wb"));
    if (*file)
        return true;
    std::fprintf(stderr, "skyloom-sim: can't write %s\n", path.c_str());
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    sim::SimOptions options;
    std::string error;
    switch (sim::ParseOptions(args, &options, &error)) {
        case sim::ParseResult::kHelp:
            std::fputs(sim::UsageText().c_str(), stdout);
            return 0;
        case sim::ParseResult::kVersion:
            std::printf("skyloom-sim %s\n", SKYLOOM_VERSION_TEXT);
            return 0;
        case sim::ParseResult::kError:
            std::fprintf(stderr, "skyloom-sim: %s\nTry 'skyloom-sim --help'.\n", error.c_str());
            return 2;
        case sim::ParseResult::kRun:
            break;
    }

    sim::SessionIo io;
    if (!options.replayPath.empty() && !sim::ReadFile(options.replayPath, &io.recording, &error)) {
        std::fprintf(stderr, "skyloom-sim: can't read the recording %s: %s\n",
                     options.replayPath.c_str(), error.c_str());
        return 1;
    }
    UniqueFile receivedLog, sentLog;
    if (!OpenLog(options.logReceived, &receivedLog) || !OpenLog(options.logSent, &sentLog))
        return 1;
    std::unique_ptr<sim::Device> device;
    std::string where = options.device;
    if (options.tcpListen) {
        device = sim::OpenTcpServer(options.tcpListen, &error);
        where = "TCP port " + std::to_string(options.tcpListen);
    } else if (!options.udpTo.empty()) {
        device = sim::OpenUdpSender(options.udpTo, &error);
        where = "UDP to " + options.udpTo;
    } else {
        device = sim::OpenSerialDevice(options.device, options.baud, &error);
    }
    if (!device) {
        std::fprintf(stderr, "skyloom-sim: %s\n", error.c_str());
        return 1;
    }

    std::signal(SIGINT, OnSignal);
    std::signal(SIGTERM, OnSignal);
    sim::SteadyClock clock;
    if (!device->HasPeer() && !options.quiet)
        std::fprintf(stderr, "skyloom-sim: waiting for a client on %s\n", where.c_str());
    while (!g_stop && !device->HasPeer())
        clock.Sleep(0.05);
    io.device = device.get();
    io.clock = &clock;
    io.receivedLog = receivedLog.get();
    io.sentLog = sentLog.get();
    io.stop = &g_stop;
    io.utcStart = sim::UtcNow();
    if (!options.quiet) {
        std::fprintf(stderr, "skyloom-sim: %s on %s at %ld baud\n",
                     options.replayPath.empty() ? "simulating" : options.replayPath.c_str(),
                     where.c_str(), options.baud);
    }
    sim::SessionStats stats;
    const int status = sim::RunSession(options, io, &stats, &error);
    if (status != 0)
        std::fprintf(stderr, "skyloom-sim: %s\n", error.c_str());
    if (!options.quiet) {
        std::fprintf(stderr,
                     "skyloom-sim: sent %ld lines (%ld bytes), received %ld bytes in %ld lines, "
                     "%ld cycles dropped\n",
                     stats.linesSent, stats.bytesSent, stats.bytesReceived, stats.commands,
                     stats.cyclesDropped);
    }
    return status;
}
