#!/usr/bin/env python3
"""Runs several commands in alternation and prints the median wall time, CPU
time (user + system) and peak memory of each, and their ratios to a baseline.

Each command is a shell line. Before every run the command's own preparation
runs, if any, then the --prepare line shared by all (neither is timed). The order of the
commands rotates from one round to the next, so that a slow spell of a shared
machine falls on all of them alike.

  alternate.py [--rounds N] [--title TEXT] [--prepare LINE] [--pre NAME=LINE ...]
               [--ratio NAME/BASE ...] [--diff NAME-BASE ...] NAME=COMMAND ...

Names are words without "/", "-" or "=".
"""
import argparse
import os
import statistics
import subprocess
import sys
import tempfile
import time


def run_timed(command, peak_file):
    """Runs one shell line; returns (wall s, cpu s, peak KiB) of its process tree.

    The peak comes from GNU time: a process started straight from this one
    would count this interpreter's memory as its own."""
    start = time.monotonic()
    process = subprocess.Popen(["/usr/bin/time", "-f", "%M", "-o", peak_file, "/bin/sh", "-c", command],
                               stdout=subprocess.DEVNULL)
    _, status, usage = os.wait4(process.pid, 0)
    wall = time.monotonic() - start
    code = os.waitstatus_to_exitcode(status)
    if code != 0:
        sys.exit(f"alternate.py: command failed ({code}): {command}")
    with open(peak_file) as lines:
        peak = int(lines.read().split()[-1])
    return wall, usage.ru_utime + usage.ru_stime, peak


def run_untimed(command):
    if command:
        subprocess.run(["/bin/sh", "-c", command], check=True, stdout=subprocess.DEVNULL)


def named(pairs, what):
    result = {}
    for pair in pairs:
        name, sep, value = pair.partition("=")
        if not sep:
            sys.exit(f"alternate.py: {what} must be NAME=LINE: {pair}")
        result[name] = value
    return result


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--rounds", type=int, default=6)
    parser.add_argument("--prepare", default="")
    parser.add_argument("--pre", action="append", default=[])
    parser.add_argument("--ratio", action="append", default=[])
    parser.add_argument("--diff", action="append", default=[])
    parser.add_argument("--title", default="")
    parser.add_argument("--each", action="store_true", help="also print every run, in order")
    parser.add_argument("commands", nargs="+")
    args = parser.parse_args()

    commands = named(args.commands, "a command")
    own_prepare = named(args.pre, "--pre")
    names = list(commands)
    samples = {name: [] for name in names}
    with tempfile.TemporaryDirectory() as scratch:
        peak_file = os.path.join(scratch, "peak")
        for round_index in range(args.rounds):
            shift = round_index % len(names)
            for name in names[shift:] + names[:shift]:
                run_untimed(own_prepare.get(name, ""))
                run_untimed(args.prepare)
                samples[name].append(run_timed(commands[name], peak_file))
                if args.each:
                    wall, cpu, _ = samples[name][-1]
                    print(f"    {name:<22} {wall:8.3f} s wall {cpu:8.3f} s CPU", flush=True)

    medians = {}
    for name in names:
        walls, cpus, peaks = zip(*samples[name])
        medians[name] = {
            "wall": statistics.median(walls),
            "cpu": statistics.median(cpus),
            "wall_min": min(walls),
            "wall_max": max(walls),
            "peak_kib": max(peaks),
        }

    if args.title:
        print(args.title)
    print(f"  {'run':<22} {'wall (median)':>14} {'range':>17} {'CPU (median)':>13} {'peak':>9}")
    for name in names:
        m = medians[name]
        print(f"  {name:<22} {m['wall']:>12.3f} s {m['wall_min']:>7.3f}-{m['wall_max']:<7.3f} s"
              f" {m['cpu']:>11.3f} s {m['peak_kib'] / 1024:>6.1f} MiB")
    for ratio in args.ratio:
        name, _, base = ratio.partition("/")
        a, b = medians[name], medians[base]
        print(f"  {name} / {base}: wall {a['wall'] / b['wall']:.2f}x, CPU {a['cpu'] / b['cpu']:.2f}x")
    for diff in args.diff:
        name, _, base = diff.partition("-")
        print(f"  {name} - {base}: wall {medians[name]['wall'] - medians[base]['wall']:+.3f} s")
    print(f"  ({args.rounds} alternating rounds; load average {os.getloadavg()[0]:.1f} at the end)")


if __name__ == "__main__":
    main()
