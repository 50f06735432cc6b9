"""Shared by the start benchmarks: runs commands alternately, round after round, and reports
medians from wait4() of each child (wall time, CPU time, peak resident memory).

Two ratios are given against the base command: the ratio of the medians, and the median of the
per-round ratios (each command against the base of the same round). On a machine whose load
drifts, the second is the steadier: both sides of each ratio met the same load."""

import os
import statistics
import subprocess
import sys
import time
from dataclasses import dataclass, field


@dataclass
class Command:
    argv: list
    env: dict = field(default_factory=dict)  # added to the environment of the benchmark


@dataclass
class Sample:
    wall: float  # seconds
    cpu: float  # user + system seconds
    peak_mb: float  # peak resident set, MiB


def load_text():
    one, five, fifteen = os.getloadavg()
    return "load average %.2f %.2f %.2f (1, 5, 15 min) on %d CPUs" % (one, five, fifteen,
                                                                     os.cpu_count())


def measure(command, cwd):
    env = dict(os.environ)
    env.update(command.env)
    started = time.perf_counter()
    process = subprocess.Popen(command.argv, cwd=cwd, env=env, stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL)
    _, status, usage = os.wait4(process.pid, 0)
    wall = time.perf_counter() - started
    code = os.waitstatus_to_exitcode(status)
    if code != 0:
        raise RuntimeError("%s ended with %d" % (command.argv, code))
    return Sample(wall, usage.ru_utime + usage.ru_stime, usage.ru_maxrss / 1024.0)


def run_alternating(commands, rounds, warmup, cwd, progress=True):
    """Runs every command once per round, in an order rotated each round so that no command
    always follows the same one. Returns name -> list of samples, warm-up rounds dropped."""
    names = list(commands)
    samples = {name: [] for name in names}
    for round_index in range(warmup + rounds):
        shift = round_index % len(names)
        for name in names[shift:] + names[:shift]:
            sample = measure(commands[name], cwd)
            if round_index >= warmup:
                samples[name].append(sample)
        if progress and (round_index + 1) % 10 == 0:
            print("  round %d of %d" % (round_index + 1, warmup + rounds), file=sys.stderr)
    return samples


def median_of(samples, attribute):
    return statistics.median(getattr(s, attribute) for s in samples)


def paired_ratio(samples, base, attribute):
    return statistics.median(getattr(a, attribute) / getattr(b, attribute)
                             for a, b in zip(samples, base))


def print_table(title, samples, base_name, descriptions=None):
    """One row per command: medians, both ratios to the base, peak memory above the base."""
    base = samples[base_name]
    base_wall = median_of(base, "wall")
    base_cpu = median_of(base, "cpu")
    base_peak = median_of(base, "peak_mb")
    print(title)
    print("%-10s %9s %7s %7s %9s %7s %7s %8s %9s" % (
        "how", "wall ms", "/%s" % base_name, "paired", "cpu ms", "/%s" % base_name, "paired",
        "peak MB", "-%s MB" % base_name))
    for name, values in samples.items():
        wall = median_of(values, "wall")
        cpu = median_of(values, "cpu")
        peak = median_of(values, "peak_mb")
        print("%-10s %9.2f %7.3f %7.3f %9.2f %7.3f %7.3f %8.1f %+9.1f" % (
            name, wall * 1000, wall / base_wall, paired_ratio(values, base, "wall"),
            cpu * 1000, cpu / base_cpu, paired_ratio(values, base, "cpu"), peak,
            peak - base_peak))
    if descriptions:
        for name, text in descriptions.items():
            print("  %-8s %s" % (name, text))
    sys.stdout.flush()


def run(argv, **kwargs):
    subprocess.run(argv, check=True, **kwargs)
