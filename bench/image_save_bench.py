#!/usr/bin/env python3
"""A save into a drawer of a 1 GB hard disk image, beside the same save into a folder.

`Settings --save ARGUMENT WORD` with WORD FULLSCREEN and WINDOW in turn (so that
every save rewrites the icons), alternated between the drawer inside a sparse
1 GB HDF (FFS, made by diskimage) and a folder holding the same icons on the same
file system. Times are wall-clock from the process's start to its end (the
flushes are most of a save) and CPU (user + system); the figures are medians. The
image's save aims at 1.5x the folder's at most. After the rounds the image is
checked.

    bench/image_save_bench.py BUILD [DRAWER] [ROUNDS]

Measure a Release build (-DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=ON), on a disk
rather than a tmpfs (set TMPDIR).

On a 2-core VM (ext4, shared with other builds; 20 rounds, the example's icons):
one plan per icon, 4 stages flushed for each: image 160 ms wall / 75 ms CPU, folder
34 / 12 (4.8x wall, 6.3x CPU); one plan for the save, 4 flushes in all, the volume
walked once, the image read in chunks, /proc looked through to the first holder:
image 45 / 20, folder 32 / 11 (1.3x to 1.4x wall, 2.0x CPU). On the same machine
idle, as an ordinary user: image 14.2 / 12.8, folder 10.6 / 9.8 (1.34x wall, 1.31x
CPU); as root, whose look for a holder goes through every process, not only its
own: image 15.4 / 14.3, folder 9.6 / 9.0 (1.6x).
"""
import os
import resource
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

build = sys.argv[1]
drawer = sys.argv[2] if len(sys.argv) > 2 else os.path.join(os.path.dirname(__file__), "..", "example")
rounds = int(sys.argv[3]) if len(sys.argv) > 3 else 20
program = os.path.join(build, "Settings")
disk = os.path.join(build, "tools", "diskimage")
work = tempfile.mkdtemp(prefix="image-save-bench-")
env = dict(os.environ, XDG_CONFIG_HOME=os.path.join(work, "config"), LANG="C.UTF-8")
for name in ("DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"):
    env.pop(name, None)

icons = sorted(name for name in os.listdir(drawer) if name.endswith(".info"))
folder = os.path.join(work, "Starfield")
os.mkdir(folder)
for name in icons:
    shutil.copy(os.path.join(drawer, name), folder)
image = os.path.join(work, "Work.hdf")
subprocess.run([disk, "format", image, "--hdf", str(1 << 30), "--dostype", "1", "--name", "Work"], check=True)
subprocess.run([disk, "mkdir", image, "Starfield"], check=True)
for name in icons:
    subprocess.run([disk, "put", image, "Starfield/" + name, os.path.join(folder, name)], check=True)
subprocess.run(["sync"], check=True)


def save(argument, word):
    before = resource.getrusage(resource.RUSAGE_CHILDREN)
    start = time.perf_counter()
    subprocess.run([program, "--save", argument, word], env=env, check=True, stdout=subprocess.DEVNULL)
    wall = (time.perf_counter() - start) * 1000
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    cpu = (after.ru_utime - before.ru_utime + after.ru_stime - before.ru_stime) * 1000
    return wall, cpu


times = {"image": [], "folder": []}
for n in range(rounds):
    word = "FULLSCREEN" if n % 2 == 0 else "WINDOW"
    for kind in ("image", "folder") if n % 4 < 2 else ("folder", "image"):
        times[kind].append(save(image + ":Starfield" if kind == "image" else folder, word))

check = subprocess.run([disk, "check", image], capture_output=True, text=True)
print(f"image: {os.path.getsize(image) >> 20} MiB, {os.stat(image).st_blocks * 512 >> 10} KiB allocated, "
      f"check: {'passed' if check.returncode == 0 and not check.stdout else check.stdout + check.stderr}")
medians = {}
for kind, rows in times.items():
    medians[kind] = [statistics.median(row[i] for row in rows) for i in (0, 1)]
    print(f"{kind:6} wall {medians[kind][0]:8.2f} ms   cpu {medians[kind][1]:8.2f} ms   ({len(rows)} saves)")
print(f"image / folder: wall {medians['image'][0] / medians['folder'][0]:.2f}x, "
      f"cpu {medians['image'][1] / medians['folder'][1]:.2f}x (goal: at most 1.5x)")
shutil.rmtree(work)
