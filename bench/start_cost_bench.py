#!/usr/bin/env python3
"""What the program costs to start, beside its floors.

--save: the CPU time (user + system, process start included) of
`Settings --save DRAWER WORD` against the small C program that does four safe
writes of the same icons (new file, flush, rename, flush of the folder),
alternated, each on a fresh copy of the drawer. The window: the time from the
process's start to its window mapped under Xvfb against a bare Qt Widgets window,
alternated. The figures are medians; the ratios are what the program aims at
(--save at most 3.5x its floor, the window within 1.05x of a bare one).

    bench/start_cost_bench.py BUILD [DRAWER] [ROUNDS]

Measure a Release build (-DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=ON).
"""
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

build = sys.argv[1]
drawer = sys.argv[2] if len(sys.argv) > 2 else os.path.join(os.path.dirname(__file__), "..", "example")
rounds = int(sys.argv[3]) if len(sys.argv) > 3 else 30
work = tempfile.mkdtemp(prefix="start-cost-bench-")
env = dict(os.environ, XDG_CONFIG_HOME=os.path.join(work, "config"), LANG="C.UTF-8")
for name in ("DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"):
    env.pop(name, None)


def fresh_copy():
    copy = os.path.join(work, "drawer")
    shutil.rmtree(copy, ignore_errors=True)
    shutil.copytree(drawer, copy)
    return copy


def cpu_ms(command):
    """The child's user and system time in milliseconds; it must succeed."""
    process = subprocess.Popen(command, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    _, status, usage = os.wait4(process.pid, 0)
    if os.waitstatus_to_exitcode(status) != 0:
        sys.exit(f"{command[0]} failed: {status}")
    return (usage.ru_utime + usage.ru_stime) * 1000


def median_ratio(name, measured, floor, unit, goal):
    ratio = statistics.median(measured) / statistics.median(floor)
    print(f"{name}: {statistics.median(measured):.2f} {unit} against {statistics.median(floor):.2f} {unit}"
          f" -> {ratio:.2f}x (goal at most {goal}x)")


# --save against four safe writes; the words alternate so that each save changes the icons.
saves, writes = [], []
for round_number in range(rounds):
    copy = fresh_copy()
    word = "FULLSCREEN" if round_number % 2 else "WINDOW"
    saves.append(cpu_ms([os.path.join(build, "Settings"), "--save", copy, word]))
    copy = fresh_copy()
    icons = [os.path.join(copy, name) for name in sorted(os.listdir(copy))
             if name.endswith(".info") and name != "Settings.info"]
    writes.append(cpu_ms([os.path.join(build, "bench", "safe_writes")] + icons))
median_ratio(f"--save CPU ({len(icons)} icons)", saves, writes, "ms", 3.5)

# The window's start-up against a bare Qt window, under Xvfb.
server = subprocess.Popen(["Xvfb", "-displayfd", "1", "-screen", "0", "1024x768x24", "-nolisten", "tcp"],
                          stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
env["DISPLAY"] = ":" + server.stdout.readline().strip()
env["QT_QPA_PLATFORM"] = "xcb"
first_map = os.path.join(build, "bench", "first_map")
try:
    window, bare = [], []
    for _ in range(rounds):
        copy = fresh_copy()
        for command, times in (([os.path.join(build, "Settings"), copy], window),
                               ([os.path.join(build, "bench", "bare_window")], bare)):
            out = subprocess.run([first_map] + command, env=env, capture_output=True, text=True, check=True)
            times.append(float(out.stdout))
            time.sleep(0.1)
    median_ratio("window start-up", window, bare, "ms", 1.05)
finally:
    server.terminate()
    server.wait()
    shutil.rmtree(work, ignore_errors=True)
