#!/usr/bin/env python3
"""End-to-end tests of skyloom.exe under Wine, driven from a second process.

Phase "playback": a prefix with no serial port; recordings played through the
file dialog (read-only, held open by another program, the dialog cancelled).
Phase "receiver": skyloom-sim on a pseudo-terminal mapped to COM5 and listed by
device discovery; opening, first fix, every command byte for byte, the replies,
the log file, auto-send, repeated open/close, and a pulled cable.
Phase "ttff": series of starts through the TTFF test dialog against skyloom-sim.
Phase "ports": a port plugged in while the program runs appears in the list;
the open port pulled and brought back is opened again, the log file whole.
Phase "record": a raw recording of a live session at 115200 baud, played back
line for line.
Phase "position": a capture through the Position Statistics window against
skyloom-decode --stats, its CSV, and a live wandering RTK float receiver.

Phase "network": TCP, UDP and gpsd sources on the loopback address: a capture
in order, a command, a dropped connection and its return, skyloom-sim's
datagrams, a real gpsd, and servers that misbehave.

Usage: run_e2e.py --exe skyloom.exe --driver skyloom-driver.exe --sim skyloom-sim
                  --decode skyloom-decode.exe --work DIR
                  [--phase playback|receiver|ttff|ports|record|position|network] [--only PATTERN]
"""

import argparse
import os
import signal
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from e2e_network import network_phase  # noqa: E402
from e2e_playback import playback_phase  # noqa: E402
from e2e_ports import ports_phase  # noqa: E402
from e2e_position import position_phase  # noqa: E402
from e2e_receiver import receiver_phase  # noqa: E402
from e2e_record import record_phase  # noqa: E402
from e2e_ttff import ttff_phase  # noqa: E402
from skyloom_e2e import Environment, Failure, Results  # noqa: E402


def on_terminate(signum, frame):
    # ctest's timeout: leave through the finally blocks, which stop everything.
    raise SystemExit(128 + signum)


def main():
    signal.signal(signal.SIGTERM, on_terminate)
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--exe", required=True)
    parser.add_argument("--driver", required=True)
    parser.add_argument("--sim", required=True)
    parser.add_argument("--work", required=True)
    parser.add_argument("--decode", required=True)
    parser.add_argument("--phase",
                        choices=("playback", "receiver", "ttff", "ports", "record", "position",
                                 "network"),
                        help="run one phase only")
    parser.add_argument("--only", help="run only the tests whose names match this pattern")
    args = parser.parse_args()
    for path in (args.exe, args.driver, args.sim, args.decode):
        if not os.path.exists(path):
            print("missing: " + path, file=sys.stderr)
            return 2

    env = Environment(os.path.abspath(args.work))
    results = Results(args.only)
    started = time.monotonic()
    try:
        env.start_display()
        env.make_prefix()
        if args.phase in (None, "playback"):
            playback_phase(env, args, results)
        if args.phase in (None, "receiver"):
            receiver_phase(env, args, results)
        if args.phase in (None, "ttff"):
            ttff_phase(env, args, results)
        if args.phase in (None, "ports"):
            ports_phase(env, args, results)
        if args.phase in (None, "record"):
            record_phase(env, args, results)
        if args.phase in (None, "position"):
            position_phase(env, args, results)
        if args.phase in (None, "network"):
            network_phase(env, args, results)
    except Failure as e:
        print("FAIL setup: %s" % e, flush=True)
        results.failed.append("setup")
    finally:
        env.cleanup()
    print("%d passed, %d failed in %.0f s" % (results.passed, len(results.failed),
                                               time.monotonic() - started))
    return 1 if results.failed else 0


if __name__ == "__main__":
    sys.exit(main())
