#!/usr/bin/env python3
"""Checks a recorded 16-bit stereo WAV against the tone a sound test ROM plays.

A side wanted at 0 Hz must stay silent (its peak under 2 % of the loudest).
A sounding side is cut into the stretches where it sounds (the sound comes in
pieces when the game runs slower than the sound plays, and stops while the
game is paused); in each stretch of at least 60 ms, away from its ends, the
rising crossings of its middle level give the fundamental, which must lie
within the tolerance of the one wanted. Every stretch must begin and end
with a ramp, not a step: its first and last millisecond stay under a third of
its peak. Prints what it measured; exits 1 when a check fails, 2 when the
file cannot be read.
"""
import argparse
import array
import sys
import wave

MIN_STRETCH_MS = 60
EDGE_MS = 10  # left out at each end of a stretch when measuring


def read(path):
    with wave.open(path, "rb") as w:
        if w.getsampwidth() != 2 or w.getnchannels() != 2:
            raise ValueError(f"{path}: {w.getnchannels()} channels of {8 * w.getsampwidth()} bits, not 16-bit stereo")
        rate = w.getframerate()
        samples = array.array("h", w.readframes(w.getnframes()))
    if sys.byteorder == "big":
        samples.byteswap()  # the file's samples are little-endian
    return rate, samples[0::2].tolist(), samples[1::2].tolist()


def stretches(x, ms, quiet):
    """(start, end) sample ranges of the runs of 1 ms windows whose peak is over quiet."""
    found, start = [], None
    for w in range(0, len(x), ms):
        loud = max(abs(v) for v in x[w:w + ms]) > quiet
        if loud and start is None:
            start = w
        elif not loud and start is not None:
            found.append((start, w))
            start = None
    if start is not None:
        found.append((start, len(x)))
    return found


def crossings(x, a, b):
    """Times (in samples) of the rising crossings of the middle level in x[a:b]."""
    part = x[a:b]
    high, low = max(part), min(part)
    mid, h = (high + low) / 2, (high - low) / 4
    times, armed = [], False
    for i in range(a + 1, b):
        if x[i] < mid - h:
            armed = True
        if armed and x[i - 1] < mid <= x[i]:
            times.append(i - 1 + (mid - x[i - 1]) / (x[i] - x[i - 1]))
            armed = False
    return times


def check_side(name, x, hz, rate, args):
    """The side's fundamental and the edges of its stretches; returns (ok, stretches)."""
    peak = max(abs(v) for v in x)
    ms = max(1, rate // 1000)
    parts = stretches(x, ms, max(16, peak // 200))
    spans, count, ok = 0.0, 0, True
    for n, (a, b) in enumerate(parts):
        # A click would be at full level at once; the recording may stop in
        # the middle of the last stretch.
        first, last = max(abs(v) for v in x[a:a + ms]), max(abs(v) for v in x[b - ms:b])
        step_in = first > peak / 3 and not (n == 0 and args.onset_step)
        if step_in or (last > peak / 3 and b != len(x)):
            print(f"{name}: the stretch at {a / rate:.3f}-{b / rate:.3f} s starts or ends with a step "
                  f"(first ms peak {first}, last ms peak {last}, peak {peak})")
            ok = False
        if b - a >= MIN_STRETCH_MS * ms:
            t = crossings(x, a + EDGE_MS * ms, b - EDGE_MS * ms)
            if len(t) > 2:
                spans += t[-1] - t[0]
                count += len(t) - 1
    if count < 50:
        print(f"{name}: too little sound to measure ({count} periods in {len(parts)} stretches)")
        return False, parts
    measured = count * rate / spans
    print(f"{name}: {measured:.2f} Hz (want {hz}), {len(parts)} stretches, {spans / rate:.2f} s measured, peak {peak}")
    if abs(measured - hz) > args.tolerance * hz:
        print(f"{name}: the fundamental is off by more than {100 * args.tolerance:.1f} %")
        ok = False
    return ok, parts


def check_silences(parts, length, rate, args):
    """The longest silence between stretches, and the silence at the end."""
    gaps = [(b2 - a1) / rate for (_, a1), (b2, _) in zip(parts, parts[1:])]
    longest = max(gaps, default=0.0)
    tail = (length - parts[-1][1]) / rate if parts else 0.0
    print(f"longest silence between stretches {longest:.2f} s, silence at the end {tail:.2f} s")
    ok = longest >= args.min_gap and tail >= args.min_end_silence
    if not ok:
        print(f"wanted a silence of at least {args.min_gap} s between stretches and {args.min_end_silence} s at the end")
    return ok


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("file")
    parser.add_argument("left_hz", type=float)
    parser.add_argument("right_hz", type=float)
    parser.add_argument("--tolerance", type=float, default=0.01)
    parser.add_argument("--onset-step", action="store_true",
                        help="the first stretch may start with a step (the game's own sound does)")
    parser.add_argument("--min-gap", type=float, default=0.0, help="seconds of silence wanted between two stretches")
    parser.add_argument("--min-end-silence", type=float, default=0.0, help="seconds of silence wanted at the end")
    args = parser.parse_args()
    try:
        rate, left, right = read(args.file)
    except (OSError, ValueError, wave.Error) as e:
        print(e)
        return 2
    print(f"{args.file}: {rate} Hz, {len(left)} frames ({len(left) / rate:.2f} s)")
    sides = (("left", left, args.left_hz), ("right", right, args.right_hz))
    loudest = max(max((abs(v) for v in x), default=0) for _, x, _ in sides)
    if loudest == 0:
        print("the recording is silent")
        return 1
    ok, sounding = True, None
    for name, x, hz in sides:
        if hz == 0:
            peak = max((abs(v) for v in x), default=0)
            print(f"{name}: silent side, peak {peak}")
            ok = ok and peak <= loudest / 50
        else:
            side_ok, parts = check_side(name, x, hz, rate, args)
            ok = ok and side_ok
            sounding = sounding or parts
    if sounding:
        ok = check_silences(sounding, len(left), rate, args) and ok
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main())
