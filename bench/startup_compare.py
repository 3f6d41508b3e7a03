#!/usr/bin/env python3
"""Start-up and frame cost of giftguard against a bare SDL 2 window, in one run.

Both programs end after GIFTGUARD_QUIT_AFTER_FRAMES frames. A run of 1 frame
gives the time from process start to the first frame (and out again); a run of
FRAMES more gives the cost of a frame. For the console-open figure the console
is opened with the grave key as soon as the window shows. Medians of REPEATS.

usage: DISPLAY=:N bench/startup_compare.py [build]   (Xvfb, xdotool; default build/)
"""
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

FRAMES = 2000
REPEATS = 7


def timed(command, frames, cwd, open_console=False):
    env = dict(os.environ, GIFTGUARD_QUIT_AFTER_FRAMES=str(frames))
    start = time.perf_counter()
    process = subprocess.Popen(command, cwd=cwd, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    if open_console:
        window = subprocess.run(["xdotool", "search", "--sync", "--onlyvisible", "--name", "^opengl progam$"],
                                capture_output=True, text=True, timeout=20).stdout.split()
        if window:
            subprocess.run(["xdotool", "key", "--window", window[0], "grave"], stderr=subprocess.DEVNULL)
    process.wait()
    return time.perf_counter() - start


def main():
    build = sys.argv[1] if len(sys.argv) > 1 else "build"
    game = os.path.abspath(os.path.join(build, "giftguard"))
    bare = os.path.abspath(os.path.join(build, "bench", "bare_window"))
    work = tempfile.mkdtemp(prefix="giftguard-bench-")
    shutil.copytree("data", os.path.join(work, "data"))
    runs = {key: [] for key in ["game1", "gameN", "gameConsole", "bare1", "bareN", "bareBackdrop"]}
    for _ in range(REPEATS):
        runs["bare1"].append(timed([bare], 1, work))
        runs["game1"].append(timed([game], 1, work))
        runs["bareN"].append(timed([bare], FRAMES + 1, work))
        runs["bareBackdrop"].append(timed([bare, "--backdrop"], FRAMES + 1, work))
        runs["gameN"].append(timed([game], FRAMES + 1, work))
        runs["gameConsole"].append(timed([game], FRAMES + 1, work, open_console=True))
    shutil.rmtree(work)
    m = {key: statistics.median(values) for key, values in runs.items()}
    ms = lambda s: f"{s * 1000:.1f} ms"
    us = lambda s: f"{s * 1e6:.0f} µs"
    frame = lambda total, first: (total - first) / FRAMES
    print(f"Medians of {REPEATS} runs; frames measured over {FRAMES}.\n")
    print("| measure | giftguard | bare SDL 2 window | ratio |")
    print("|---|---:|---:|---:|")
    print(f"| start to first frame and out | {ms(m['game1'])} | {ms(m['bare1'])} | {m['game1'] / m['bare1']:.2f} |")
    bare_frame = frame(m["bareN"], m["bare1"])
    for label, key in [("main-menu frame", "gameN"), ("main-menu frame, console open", "gameConsole")]:
        f = frame(m[key], m["game1"])
        print(f"| {label} | {us(f)} | {us(bare_frame)} | {f / bare_frame:.2f} |")
    f = frame(m["bareBackdrop"], m["bare1"])
    print(f"| bare window filling the console's backdrop alone | {us(f)} | {us(bare_frame)} | {f / bare_frame:.2f} |")


if __name__ == "__main__":
    main()
