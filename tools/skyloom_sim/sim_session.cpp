#include "tools/skyloom_sim/sim_session.h"

#include <algorithm>
#include <deque>
#include <vector>

#include "tools/skyloom_sim/sim_command_reader.h"
#include "tools/skyloom_sim/sim_faults.h"
#include "tools/skyloom_sim/sim_receiver.h"
#include "tools/skyloom_sim/sim_replay.h"

namespace sim {
namespace {

constexpr double kTick = 0.005;             // loop period, seconds
constexpr double kBacklogSeconds = 2.0;     // output older than this makes a new cycle wait
constexpr double kMaxCreditSeconds = 0.05;  // no burst after the device held us up

class Output {
  public:
    bool empty() const { return current_.size() == sent_ && urgent_.empty() && queue_.empty(); }
    size_t queued() const { return queuedBytes_ + (current_.size() - sent_); }

    void Append(std::string bytes) {
        queuedBytes_ += bytes.size();
        queue_.push_back(std::move(bytes));
    }

    // Replies go out right after the line being sent, in the order of the
    // commands, ahead of the backlog of reports.
    void AppendUrgent(const std::vector<std::string>& lines) {
        for (const std::string& line : lines)
            urgent_.push_back(line);
    }

    // Writes up to budget bytes; returns the number written or -1.
    long Write(Device* device, std::FILE* sentLog, long budget, long* linesDone) {
        long written = 0;
        while (written < budget) {
            if (sent_ == current_.size()) {
                if (!urgent_.empty()) {
                    current_ = std::move(urgent_.front());
                    urgent_.pop_front();
                } else if (!queue_.empty()) {
                    current_ = std::move(queue_.front());
                    queue_.pop_front();
                    queuedBytes_ -= current_.size();
                } else {
                    break;
                }
                sent_ = 0;
                if (current_.empty())
                    continue;
            }
            const size_t want =
                std::min(current_.size() - sent_, static_cast<size_t>(budget - written));
            const long n = device->Write(current_.data() + sent_, want);
            if (n < 0)
                return -1;
            if (n == 0)
                break;
            if (sentLog != nullptr) {
                std::fwrite(current_.data() + sent_, 1, static_cast<size_t>(n), sentLog);
                std::fflush(sentLog);
            }
            sent_ += static_cast<size_t>(n);
            written += n;
            if (sent_ == current_.size())
                ++*linesDone;
        }
        return written;
    }

  private:
    std::deque<std::string> urgent_;
    std::deque<std::string> queue_;
    std::string current_;
    size_t sent_ = 0;
    size_t queuedBytes_ = 0;
};

}  // namespace

int RunSession(const SimOptions& options, const SessionIo& io, SessionStats* stats,
               std::string* error) {
    Receiver receiver(options.receiver);
    FaultInjector faults(options.faults);
    CommandReader commands;
    Output out;
    const bool replay = !options.replayPath.empty();
    const std::vector<ReplayLine> replayLines =
        replay ? ScheduleReplay(io.recording, options.replayRate) : std::vector<ReplayLine>();
    size_t replayNext = 0;
    struct PendingReply {
        double due;
        std::vector<std::string> lines;
    };
    std::deque<PendingReply> replies;
    long cyclesMade = 0;

    const double bytesPerSecond = static_cast<double>(options.baud) / 10.0;  // 8N1: 10 bits a byte
    const double maxCredit = std::max(16.0, bytesPerSecond * kMaxCreditSeconds);
    const double start = io.clock->Now();
    double last = start;
    double credit = 0.0;

    for (;;) {
        if (io.stop != nullptr && *io.stop)
            return 0;
        const double now = io.clock->Now();
        const double t = now - start;
        if (options.duration > 0 && t >= options.duration)
            return 0;

        char buffer[512];
        for (;;) {
            const long n = io.device->Read(buffer, sizeof buffer);
            if (n < 0) {
                *error = "reading the device failed: " + io.device->LastError();
                return 1;
            }
            if (n == 0)
                break;
            stats->bytesReceived += n;
            if (io.receivedLog != nullptr) {
                std::fwrite(buffer, 1, static_cast<size_t>(n), io.receivedLog);
                std::fflush(io.receivedLog);
            }
            for (const std::string& line : commands.Feed(buffer, static_cast<size_t>(n))) {
                ++stats->commands;
                std::vector<std::string> answer = receiver.Command(line, t);
                if (!answer.empty())
                    replies.push_back({t + options.replyDelay, std::move(answer)});
            }
        }

        while (!replies.empty() && replies.front().due <= t) {
            out.AppendUrgent(replies.front().lines);
            replies.pop_front();
        }

        const bool silent = faults.Silent(t);
        if (replay) {
            while (replayNext < replayLines.size() && replayLines[replayNext].due <= t) {
                if (!silent)
                    out.Append(faults.Apply(replayLines[replayNext].bytes));
                ++replayNext;
            }
        } else {
            while ((options.cycles == 0 || cyclesMade < options.cycles) &&
                   static_cast<double>(cyclesMade) / options.rateHz <= t) {
                const double cycleTime = static_cast<double>(cyclesMade) / options.rateHz;
                ++cyclesMade;
                std::vector<std::string> lines = receiver.Cycle(cycleTime, io.utcStart + cycleTime);
                // Like a receiver whose UART can't keep up, a cycle that would pile
                // onto a backlog is lost whole rather than sent late or in pieces.
                if (silent ||
                    static_cast<double>(out.queued()) > bytesPerSecond * kBacklogSeconds) {
                    if (!lines.empty())
                        ++stats->cyclesDropped;
                    continue;
                }
                for (const std::string& line : lines)
                    out.Append(faults.Apply(line));
            }
        }

        credit = std::min(maxCredit, credit + (now - last) * bytesPerSecond);
        last = now;
        if (!silent && credit >= 1.0) {
            long lines = 0;
            const long n = out.Write(io.device, io.sentLog, static_cast<long>(credit), &lines);
            if (n < 0) {
                *error = "writing to the device failed: " + io.device->LastError();
                return 1;
            }
            credit -= static_cast<double>(n);
            stats->bytesSent += n;
            stats->linesSent += lines;
        }

        const bool sourceDone = replay ? replayNext == replayLines.size()
                                       : (options.cycles > 0 && cyclesMade >= options.cycles);
        if (sourceDone && out.empty() && replies.empty())
            return 0;
        io.clock->Sleep(kTick);
    }
}

}  // namespace sim
