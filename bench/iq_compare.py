#!/usr/bin/env python3
"""Decimal arithmetic: IQ against GNU bc and GMP, in one run, as a Markdown table.

IQ, GMP and the earlier IQ kept in bench/iq_reference.cpp come from the iq_bench
program (Google Benchmark, median of the repetitions). bc runs once, as one process at scale=2 on a terminal so that it
prints each line as it ends: every batch of N operations is followed by a marker
line, and a batch's time is the gap between two markers, so bc's start-up never
counts. The time of the same loop storing a copy instead of a result is taken
off, which favours bc.

usage: bench/iq_compare.py [path/to/iq_bench]   (default build/bench/iq_bench)
"""
import json
import os
import platform
import pty
import statistics
import subprocess
import sys
import time

OPS = ["add", "sub", "mul", "div", "sqrt"]
BC_EXPRESSION = {"add": "c=a+b", "sub": "c=a-b", "mul": "c=h*k", "div": "c=a/k", "sqrt": "c=sqrt(a)",
                 "copy": "c=a"}
REPEATS = 5
BATCH_SECONDS = 0.25


def run_google_benchmark(program):
    out = subprocess.run([program, "--benchmark_format=json", f"--benchmark_repetitions={REPEATS}",
                          "--benchmark_report_aggregates_only=true", "--benchmark_min_time=0.2"],
                         check=True, capture_output=True, text=True).stdout
    medians = {}
    for b in json.loads(out)["benchmarks"]:
        if b.get("aggregate_name") == "median":
            family, op, digits = b["run_name"].split("/")  # IQ_op/add/20
            medians[(family.replace("_op", "_" + op), int(digits))] = b["real_time"]  # nanoseconds
    return medians


class Bc:
    """One bc process on a pseudo-terminal; times batches by their marker lines."""

    def __init__(self):
        master, slave = pty.openpty()
        env = dict(os.environ, BC_LINE_LENGTH="0")
        self.process = subprocess.Popen(["bc", "-q"], stdin=subprocess.PIPE, stdout=slave, stderr=slave, env=env)
        os.close(slave)
        self.out = os.fdopen(master, "rb", buffering=0)
        self.buffer = b""
        self.send("scale=2")
        self.marker()

    def send(self, line):
        self.process.stdin.write((line + "\n").encode())
        self.process.stdin.flush()

    def read_line(self):
        while b"\n" not in self.buffer:
            chunk = self.out.read(4096)
            if not chunk:
                raise RuntimeError("bc ended")
            self.buffer += chunk
        line, self.buffer = self.buffer.split(b"\n", 1)
        return line.strip()

    def marker(self):
        self.send("print \"@\\n\"")
        while self.read_line() != b"@":
            pass
        return time.perf_counter()

    def batch(self, expression, n):
        start = self.marker()
        self.send(f"for(i=0;i<{n};i++) {expression}")
        return self.marker() - start

    def close(self):
        self.send("quit")
        self.process.wait()


def bc_times(operands):
    bc = Bc()
    results = {}
    for digits, (a, b, half_a, half_b) in operands.items():
        bc.send(f"a={a};b={b};h={half_a};k={half_b}")
        for op in OPS + ["copy"]:
            expression = BC_EXPRESSION[op]
            n = 4
            while bc.batch(expression, n) < BATCH_SECONDS / 4 and n < 1 << 24:
                n *= 4
            seconds = statistics.median(bc.batch(expression, n) for _ in range(REPEATS))
            results[(op, digits)] = seconds / n * 1e9
        for op in OPS:
            results[(op, digits)] = max(results[(op, digits)] - results[("copy", digits)], 1e-3)
    bc.close()
    return results


def machine():
    model = "unknown processor"
    try:
        with open("/proc/cpuinfo") as f:
            model = next(line.split(":", 1)[1].strip() for line in f if line.startswith("model name"))
    except (OSError, StopIteration):
        pass
    bc_version = subprocess.run(["bc", "--version"], capture_output=True, text=True).stdout.splitlines()[0]
    return f"{model}, {os.cpu_count()} cores, {platform.system()} {platform.release()}; {bc_version}"


def fmt(ns):
    if ns >= 1e6:
        return f"{ns / 1e6:.2f} ms"
    if ns >= 1e3:
        return f"{ns / 1e3:.2f} µs"
    return f"{ns:.1f} ns"


def main():
    program = sys.argv[1] if len(sys.argv) > 1 else "build/bench/iq_bench"
    operands = {}
    for line in subprocess.run([program, "--operands"], check=True, capture_output=True, text=True).stdout.split("\n"):
        if line.strip():
            digits, *numbers = line.split()
            operands[int(digits)] = numbers
    load_before = os.getloadavg()[0]
    ours = run_google_benchmark(program)
    bc = bc_times(operands)
    load_after = os.getloadavg()[0]

    print(f"Machine: {machine()}; {time.strftime('%Y-%m-%d')}; load average {load_before:.1f} before, "
          f"{load_after:.1f} after. Medians of {REPEATS} runs.\n")
    print("| operation | digits | IQ | earlier IQ | GNU bc | GMP | bc / IQ | IQ / GMP |")
    print("|---|---:|---:|---:|---:|---:|---:|---:|")
    for op in OPS:
        for digits in sorted(operands):
            iq, gmp, b = ours[(f"IQ_{op}", digits)], ours[(f"GMP_{op}", digits)], bc[(op, digits)]
            earlier = ours[(f"Ref_{op}", digits)]
            shown = f"{digits // 2} × {digits // 2}" if op == "mul" else (
                f"{digits} / {digits // 2}" if op == "div" else str(digits))
            print(f"| {op} | {shown} | {fmt(iq)} | {fmt(earlier)} | {fmt(b)} | {fmt(gmp)} | {b / iq:.1f} | {iq / gmp:.1f} |")


if __name__ == "__main__":
    main()
