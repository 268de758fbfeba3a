#!/usr/bin/env python3
"""The window's Save as a person meets it, beside its floor.

Starts the real program on a fresh copy of a drawer under Xvfb, presses a key and
times the way from the key to the process's end: Ctrl+S (Save), and Ctrl+E (Exit,
the same kind of key through the same menu shortcut, writing nothing). Their
difference is what the save costs; the floor is four sequential safe writes of the
same icons (new file, flush, rename, flush of the folder). Rounds alternate; the
figures are medians.

    bench/window_save_bench.py BUILD/Settings [DRAWER] [ROUNDS]

Escape is no fair baseline: one key event against two, and the modifier costs the
X server round trips of its own.
"""
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

program = sys.argv[1]
drawer = sys.argv[2] if len(sys.argv) > 2 else os.path.join(os.path.dirname(__file__), "..", "example")
rounds = int(sys.argv[3]) if len(sys.argv) > 3 else 15
work = tempfile.mkdtemp(prefix="window-save-bench-")
env = dict(os.environ, DISPLAY=":97", QT_QPA_PLATFORM="xcb", XDG_CONFIG_HOME=os.path.join(work, "config"))
env.pop("WAYLAND_DISPLAY", None)


def fresh_copy():
    copy = os.path.join(work, "drawer")
    shutil.rmtree(copy, ignore_errors=True)
    shutil.copytree(drawer, copy)
    subprocess.run(["sync"], check=True)
    return copy


def key_to_exit(key):
    process = subprocess.Popen([program, fresh_copy()], env=env, stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL)
    found = subprocess.run(["xdotool", "search", "--sync", "--onlyvisible", "--pid", str(process.pid)],
                           env=env, capture_output=True, text=True)
    window = found.stdout.split()[0]
    time.sleep(0.4)
    subprocess.run(["xdotool", "windowfocus", "--sync", window], env=env)
    start = time.perf_counter()
    subprocess.run(["xdotool", "key", "--window", window, key], env=env, stderr=subprocess.DEVNULL)
    process.wait()
    return (time.perf_counter() - start) * 1000


def safe_writes():
    copy = fresh_copy()
    icons = {name: open(os.path.join(copy, name), "rb").read()
             for name in os.listdir(copy) if name.endswith(".info") and name != "Settings.info"}
    start = time.perf_counter()
    folder = os.open(copy, os.O_RDONLY)
    for name, data in icons.items():
        temporary = os.path.join(copy, "." + name + ".new")
        fd = os.open(temporary, os.O_WRONLY | os.O_CREAT | os.O_TRUNC, 0o644)
        os.write(fd, data)
        os.fsync(fd)
        os.close(fd)
        os.rename(temporary, os.path.join(copy, name))
        os.fsync(folder)
    os.close(folder)
    return (time.perf_counter() - start) * 1000, len(icons)


server = subprocess.Popen(["Xvfb", ":97", "-screen", "0", "1024x768x24", "-nolisten", "tcp"],
                          stderr=subprocess.DEVNULL)
time.sleep(1.5)
save, leave, floor = [], [], []
try:
    for _ in range(rounds):
        save.append(key_to_exit("ctrl+s"))
        leave.append(key_to_exit("ctrl+e"))
        took, count = safe_writes()
        floor.append(took)
finally:
    server.kill()
    shutil.rmtree(work, ignore_errors=True)
cost = statistics.median(save) - statistics.median(leave)
print(f"{count} icons, medians of {rounds} rounds: Ctrl+S to exit {statistics.median(save):.1f} ms, "
      f"Ctrl+E to exit {statistics.median(leave):.1f} ms, save {cost:.1f} ms; "
      f"floor {statistics.median(floor):.1f} ms; {cost / statistics.median(floor):.2f}x")
