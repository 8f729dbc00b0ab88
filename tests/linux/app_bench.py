#!/usr/bin/python3
"""velk at rest under Xvfb with openbox and the mock radios: resident memory after the
settings dialog was opened and closed (goal: at most 40 MB), and processor time over
60 s idle at the default interval (goal: at most 0.1 s). Usage: app_bench.py VELK X11_WINDOWS"""
import os
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import app_test  # noqa: E402  (the same session as the end-to-end checks)

IDLE_SECONDS = int(os.environ.get("VELK_IDLE_SECONDS", "60"))


def cpu_seconds(pid):
    # Every thread's time on a processor, in nanoseconds.
    total = 0
    for tid in os.listdir(f"/proc/{pid}/task"):
        with open(f"/proc/{pid}/task/{tid}/schedstat") as f:
            total += int(f.read().split()[0])
    return total / 1e9


def resident_mb(pid):
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            if line.startswith("VmRSS:"):
                return int(line.split()[1]) / 1024
    return 0.0


def main():
    s = app_test.Session()
    status = 0
    try:
        s.x11()
        s.write_settings(app_test.SETTINGS)
        velk = s.start()
        app_test.wait_for(lambda: os.path.exists(s.socket()))
        s.run("--settings")
        time.sleep(1)
        subprocess.run(["xdotool", "key", "Escape"], env=s.env)
        time.sleep(1)
        rss = resident_mb(velk.pid)
        before = cpu_seconds(velk.pid)
        time.sleep(IDLE_SECONDS)
        cpu = cpu_seconds(velk.pid) - before
        print(f"velk at rest   resident {rss:6.1f} MB (goal 40)   "
              f"processor {cpu:6.3f} s in {IDLE_SECONDS} s idle (goal 0.1)")
        status = 0 if rss <= 40 and cpu <= 0.1 * IDLE_SECONDS / 60 else 1
    finally:
        s.close()
    return status


if __name__ == "__main__":
    sys.exit(main())
