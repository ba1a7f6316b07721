#!/usr/bin/env python3
"""Figures from a UART rig run of uart_probe (bench/uart-rig-bench).

  uart_rig_report.py pty-expect PROBE            runs the probe on a pseudo-terminal
      for a 2,000-character listing and a 4 KiB upload; writes the bytes to
      expected.bin and prints the probe's CPU share of the wall time
  uart_rig_report.py timing RIGLOG EXPECTED      listing pacing and upload total
  uart_rig_report.py xoff RIGLOG EXPECTED        bytes after each XOFF, flow back
      after XON, and the stream byte for byte
The rig's peer must run with -b (one line per byte).
"""
import os, pty, re, statistics, subprocess, sys, threading

CHAR_MS = 10 / 1200 * 1000  # 8N1 at 1200 baud
LISTING, UPLOAD = 2000, 4096


def pty_expect(probe):
    master, slave = pty.openpty()
    name = os.ttyname(slave)
    got = bytearray()
    def reader():
        while True:
            try:
                chunk = os.read(master, 4096)
            except OSError:
                return
            if not chunk:
                return
            got.extend(chunk)
    t = threading.Thread(target=reader, daemon=True)
    t.start()
    out = subprocess.run([probe, name, "listing", str(LISTING), "upload", str(UPLOAD)],
                         capture_output=True, text=True, check=True).stdout
    import time; time.sleep(0.3)
    open("expected.bin", "wb").write(bytes(got))
    for m in re.finditer(r"PROBE: (\w+) (\d+) took ([\d.]+) ms, cpu ([\d.]+) ms", out):
        share = 100 * float(m.group(4)) / float(m.group(3))
        print(f"pty {m.group(1)} {m.group(2)}: {float(m.group(3)):.0f} ms, cpu {share:.2f} % of wall"
              + ("   (target <= 1.5 %)" if m.group(1) == "listing" else ""))
    print(f"expected stream: {len(got)} bytes")


def parse(log):
    stamps, data, events = [], bytearray(), []
    for line in open(log, errors="replace"):
        if not line.startswith("P|"):
            continue
        body = line[2:].strip()
        m = re.match(r"# (XOFF|XON) sent at t=([-\d.]+) total=(\d+)(?: \(received (\d+))?", body)
        if m:
            events.append((m.group(1), float(m.group(2)), int(m.group(3)),
                           int(m.group(4)) if m.group(4) else None))
            continue
        f = body.split()
        if len(f) == 5 and not body.startswith("#"):
            stamps.append(float(f[0]))
            data.append(int(f[4], 16))
    return stamps, bytes(data), events


def listing_pauses(expected_listing):
    # the pause after each byte as the transfer prescribes it
    pauses, count = [], 0
    for i, c in enumerate(expected_listing):
        if i == 0:
            pauses.append(50)  # the first carriage return wakes the KC
            continue
        p = 6
        if c == 0x0D:
            p, count = 50, 0
        count += 1
        if count == 40:
            count, p = 0, 50
        pauses.append(p)
    return pauses


def pct(values, q):
    s = sorted(values)
    return s[min(len(s) - 1, max(0, round(q / 100 * (len(s) - 1))))]


def timing(log, expected):
    stamps, data, _ = parse(log)
    exp = open(expected, "rb").read()
    split = len(exp) - (UPLOAD + 6)
    compare(data, exp)
    # listing: each gap over line time plus the pause before it
    pauses = listing_pauses(exp[:split])
    gaps = [(stamps[i] - stamps[i - 1]) / (CHAR_MS + pauses[i - 1]) for i in range(1, split)]
    total = stamps[split - 1] - stamps[0]
    nominal = sum(CHAR_MS + p for p in pauses[:-1])
    print(f"listing {split} bytes: total {total:.0f} ms / nominal {nominal:.0f} ms = {total / nominal:.4f}   (target <= 1.03)")
    print(f"listing gap / (line time + pause): median {statistics.median(gaps):.3f}, "
          f"p5 {pct(gaps, 5):.3f} (target >= 0.98), p95 {pct(gaps, 95):.3f} (target <= 1.10), "
          f"single-pause gaps median {statistics.median([stamps[i] - stamps[i-1] for i in range(1, split) if pauses[i-1] == 6]):.2f} ms (nominal {CHAR_MS + 6:.2f})")
    up = stamps[split:]
    blocks = (UPLOAD + 1023) // 1024
    unominal = (len(up) - 1) * CHAR_MS + 50 + 2 * blocks
    print(f"upload {len(up)} bytes: total {up[-1] - up[0]:.0f} ms / nominal {unominal:.0f} ms = {(up[-1] - up[0]) / unominal:.4f}   (target <= 1.01)")


def compare(data, exp):
    print(f"bytes: {len(data)} received, {len(exp)} expected, identical: {data == exp}")
    if data != exp:
        at = next((i for i, (a, b) in enumerate(zip(data, exp)) if a != b), min(len(data), len(exp)))
        print(f"first difference at byte {at}: got {data[at:at + 8].hex()} expected {exp[at:at + 8].hex()}")


def xoff(log, expected):
    stamps, data, events = parse(log)
    exp = open(expected, "rb").read()
    compare(data, exp)
    for kind, t, total, during in events:
        if kind == "XOFF":
            print(f"XOFF after byte {total}:", end=" ")
        else:
            after = [s for s in stamps if s > t]
            back = f"{after[0] - t:.1f} ms" if after else "none"
            print(f"{during} bytes after it (target <= 16); flow back {back} after XON (target <= 15 ms)")


if __name__ == "__main__":
    cmd = sys.argv[1]
    {"pty-expect": pty_expect, "timing": timing, "xoff": xoff}[cmd](*sys.argv[2:])
