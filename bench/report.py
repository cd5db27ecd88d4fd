#!/usr/bin/env python3
"""Turns the benchmark outputs into the summary table (markdown) and the plot
of the latency distributions that scripts/bench leaves in bench/results/."""

import argparse
import json
import platform
import subprocess
from datetime import datetime, timezone


def machine():
    cpu = "unknown CPU"
    try:
        with open("/proc/cpuinfo") as f:
            for line in f:
                if line.startswith("model name"):
                    cpu = line.split(":", 1)[1].strip()
                    break
    except OSError:
        pass
    cores = subprocess.run(["nproc"], capture_output=True, text=True).stdout.strip()
    memory = ""
    try:
        with open("/proc/meminfo") as f:
            kib = int(f.readline().split()[1])
            memory = f", {kib / 1024 / 1024:.0f} GiB RAM"
    except (OSError, ValueError, IndexError):
        pass
    distro = ""
    try:
        with open("/etc/os-release") as f:
            for line in f:
                if line.startswith("PRETTY_NAME="):
                    distro = line.split("=", 1)[1].strip().strip('"')
    except OSError:
        pass
    load = ""
    try:
        with open("/proc/loadavg") as f:
            load = f", load average {f.read().split()[0]} at the end"
    except OSError:
        pass
    return f"{cpu}, {cores} cores{memory}; {distro}, Linux {platform.release()}{load}"


def verdict(ok):
    return "yes" if ok else "**no**"


def latency_row(name, summary, target, ok):
    return (f"| {name} | {summary['median']:.2f} ms | {summary['p95']:.2f} ms | "
            f"{summary['p99']:.2f} ms | {target} | {verdict(ok)} |")


def table(pure, e2e):
    rows = ["| Measure | Median | p95 | p99 | Target | Met |", "|---|---|---|---|---|---|"]
    hold = e2e["hold_to_menu_ms"]["summary"]
    snap = e2e["release_to_snap_ms"]["summary"]
    wm = e2e["wmctrl_snap_ms"]["summary"]
    start = e2e["startup_ms"]["summary"]
    rows.append(latency_row(f"hold → menu mapped and painted (n={hold['count']})", hold,
                            "p99 ≤ 16.7 ms", hold["count"] > 0 and hold["p99"] <= 16.7))
    rows.append(latency_row(f"release → snap (n={snap['count']})", snap,
                            "p99 ≤ 20 ms, below wmctrl",
                            snap["count"] > 0 and snap["p99"] <= 20 and
                            snap["median"] < wm["median"]))
    done = e2e.get("release_to_status_ms", {}).get("summary")
    if done:
        rows.append(latency_row(f"release → program done, its status line read (n={done['count']})",
                                done, "no wait left to its deadline (400 ms)",
                                done["count"] > 0 and done["max"] < 400))
    rows.append(latency_row(f"wmctrl key binding → snap (n={wm['count']})", wm, "reference", True))
    rows.append(latency_row(f"start-up: exec → trigger armed (n={start['count']})", start,
                            "≤ 300 ms", start["count"] > 0 and start["max"] <= 300))
    aim = e2e["aim"]
    rows.append(f"| aim tick, pointer still | {aim['still_cpu_us_per_tick']:.0f} µs CPU/tick, "
                f"{aim['still_repaints']} repaints in {aim['phase_seconds']:.0f} s | | | "
                f"no repaint | {verdict(aim['still_repaints'] == 0)} |")
    rows.append(f"| aim tick, pointer moving | {aim['moving_cpu_us_per_tick']:.0f} µs CPU/tick, "
                f"{aim['moving_repaints']} repaints in {aim['phase_seconds']:.0f} s | | | "
                f"— | — |")
    idle = e2e["idle"]
    rows.append(f"| idle ({idle['seconds']:.0f} s) | {idle['wakeups_per_second']:.2f} wake-ups/s, "
                f"CPU {idle['cpu_percent']:.3f} % | | | no wake-ups | "
                f"{verdict(idle['wakeups_per_second'] == 0)} |")
    memory = e2e.get("memory")
    if memory:
        rows.append(f"| resident memory | idle {memory['rss_idle_mib']:.1f} MiB, after "
                    f"{memory['gestures']} gestures {memory['rss_end_mib']:.1f} MiB | | | "
                    f"≤ 40 MiB | {verdict(memory['rss_end_mib'] <= 40)} |")
        rows.append(f"| memory growth after warm-up (16 gestures) | "
                    f"{memory['growth_after_warmup_mib']:+.2f} MiB | | | ≤ 1 MiB | "
                    f"{verdict(memory['growth_after_warmup_mib'] <= 1)} |")
    ratio = e2e.get("wmctrl_to_vortaxis_ratio", 0)
    lines = ["| Gesture outcomes | " + f"{e2e['failures']} failures | | | 0 | "
             f"{verdict(e2e['failures'] == 0)} |"]
    rows += lines
    out = ["## End to end", "",
           f"Xvfb with two 1280×1024 monitors, {e2e['window_manager'] or 'no window manager'}, "
           f"input through XTest, hold delay {e2e['hold_delay_s']} s. The wmctrl binding is "
           f"a passive key grab whose press runs `wmctrl -r :ACTIVE: -e …`; medians give "
           f"wmctrl / Vortaxis = {ratio:.2f}.", ""] + rows
    out += ["", "## Pure code (Google Benchmark)", "", "| Benchmark | Time per operation |",
            "|---|---|"]
    for b in pure.get("benchmarks", []):
        out.append(f"| {b['name']} | {b['real_time']:.1f} {b['time_unit']} |")
    return out


def plot(e2e, path):
    import matplotlib
    matplotlib.use("Agg")
    import matplotlib.pyplot as plt

    series = [("hold → menu painted", e2e["hold_to_menu_ms"]["samples"]),
              ("release → snap", e2e["release_to_snap_ms"]["samples"]),
              ("wmctrl binding → snap", e2e["wmctrl_snap_ms"]["samples"])]
    fig, ax = plt.subplots(figsize=(8, 4.5))
    for name, samples in series:
        if not samples:
            continue
        ordered = sorted(samples)
        n = len(ordered)
        ax.plot(ordered, [(i + 1) / n for i in range(n)], label=f"{name} (n={n})")
    ax.axvline(16.7, color="grey", linestyle=":", label="one 60 Hz frame")
    ax.set_xlim(left=0)
    ax.set_xlabel("latency (ms)")
    ax.set_ylabel("fraction of gestures")
    ax.set_title("Vortaxis latency, cumulative distribution")
    ax.grid(True, alpha=0.3)
    ax.legend(loc="lower right")
    fig.tight_layout()
    fig.savefig(path, dpi=120)


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--pure", required=True)
    parser.add_argument("--e2e", required=True)
    parser.add_argument("--markdown", required=True)
    parser.add_argument("--plot", required=True)
    args = parser.parse_args()
    with open(args.pure) as f:
        pure = json.load(f)
    with open(args.e2e) as f:
        e2e = json.load(f)
    stamp = datetime.now(timezone.utc).strftime("%Y-%m-%d %H:%M UTC")
    lines = ["# Vortaxis benchmark results", "",
             f"Measured {stamp} on {machine()}.", ""]
    lines += table(pure, e2e)
    lines += ["", "![latency distributions](latency.png)", ""]
    with open(args.markdown, "w") as f:
        f.write("\n".join(lines))
    plot(e2e, args.plot)


if __name__ == "__main__":
    main()
