#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Start-up cost of the launcher against a bare Qt Widgets window of ten controls.

Whole processes on the offscreen platform, each closing as soon as its window is
shown (the launcher through --answers), run in alternating pairs. Each process's CPU
time (user + system) and peak resident memory come from the kernel (wait4), to the
microsecond and the kilobyte. Prints the medians and each ratio beside its target.

A third run, the launcher left open until it plays its start-up sound (the sound
module is mapped into it) and then ended, shows what the first sound adds.

    bench/startup_bench.py [--pairs N] [--build DIRECTORY]
"""

import argparse
import os
import shutil
import signal
import statistics
import subprocess
import tempfile
import time
from pathlib import Path

TARGETS = {"CPU ms": 1.3, "peak MiB": 1.2}


SOUND_MODULE = "libmarloven_sound"


def sound_loaded(pid):
    try:
        return SOUND_MODULE in Path(f"/proc/{pid}/maps").read_text()
    except OSError:
        return False


def measure(command, env, until_sound=False):
    """CPU milliseconds and peak MiB of one run of the command; with until_sound, the
    run is ended once the sound module is loaded (or after ten seconds)."""
    with open(os.devnull, "wb") as null:
        process = subprocess.Popen(command, env=env, stdout=null, stderr=null)
        if until_sound:
            deadline = time.monotonic() + 10
            while not sound_loaded(process.pid) and time.monotonic() < deadline:
                time.sleep(0.005)
            process.send_signal(signal.SIGTERM)
        _, _, usage = os.wait4(process.pid, 0)
    return {
        "CPU ms": (usage.ru_utime + usage.ru_stime) * 1000,
        "peak MiB": usage.ru_maxrss / 1024,
    }


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--pairs", type=int, default=11)
    parser.add_argument("--build", default="build/bench")
    args = parser.parse_args()
    source = Path(__file__).resolve().parent.parent
    build = (source / args.build).resolve()

    with tempfile.TemporaryDirectory() as game:
        # A game directory with a VK.CFG (so no setup is offered), the start-up sound
        # and the star.
        Path(game, "VK.CFG").write_bytes(b'PlayerName = "Bench"\r\n')
        subprocess.run([build / "tests/standins/wavtone", Path(game, "SOUNDS.WAV"), "90", "523",
                        "659", "784"], check=True)
        shutil.copy(source / "assets/star.gif", Path(game, "star.gif"))
        env = dict(os.environ, QT_QPA_PLATFORM="offscreen")
        commands = {
            "launcher": [build / "app/marloven", "--answers=no", game],
            "bare": [build / "bench/bare_window"],
        }
        runs = {name: [] for name in commands}
        runs["to first sound"] = []
        for _ in range(args.pairs):
            for name, command in commands.items():
                runs[name].append(measure(command, env))
            runs["to first sound"].append(
                measure([build / "app/marloven", game], env, until_sound=True))

    print(f"{args.pairs} alternating pairs, medians")
    for quantity, target in TARGETS.items():
        ours = statistics.median(run[quantity] for run in runs["launcher"])
        bare = statistics.median(run[quantity] for run in runs["bare"])
        ratio = ours / bare
        verdict = "met" if ratio <= target else "NOT met"
        print(f"{quantity:9} launcher {ours:8.1f}  bare {bare:8.1f}  "
              f"ratio {ratio:.2f}  target {target:.1f}  {verdict}")
    for quantity in TARGETS:
        sound = statistics.median(run[quantity] for run in runs["to first sound"])
        bare = statistics.median(run[quantity] for run in runs["bare"])
        print(f"{quantity:9} launcher to its first sound {sound:8.1f}  ratio {sound / bare:.2f}")


if __name__ == "__main__":
    main()
