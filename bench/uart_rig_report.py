#!/usr/bin/env python3
"""Figures from a UART rig run of kcsend (bench/uart-rig-bench).

  uart_rig_report.py inputs                      writes listing.txt (2,000 characters
      of BASIC) and image.bin (4 KiB), and guest.sh, which sends both with /kcsend
  uart_rig_report.py pty-expect KCSEND PORT      runs guest.sh's commands with KCSEND
      on a pseudo-terminal; writes the bytes to expected.bin and prints kcsend's
      CPU share of the wall time
  uart_rig_report.py timing RIGLOG EXPECTED      listing pacing and upload total
  uart_rig_report.py floor RIGLOG                the gaps rig_floor's bytes took: the
      best this rig allows, as a yardstick for the listing's
  uart_rig_report.py xoff RIGLOG EXPECTED        bytes after each XOFF, flow back
      after XON, and the stream byte for byte
The rig's peer must run with -b (one line per byte).
"""
import os, pty, random, re, resource, statistics, subprocess, sys, threading, time

CHAR_MS = 10 / 1200 * 1000  # 8N1 at 1200 baud
LISTING, UPLOAD = 2000, 4096


def make_listing(characters):
    # lines of 10 to 70 characters, numbered like a BASIC listing
    rnd, lines, size, number = random.Random(1985), [], 0, 10
    while size < characters:
        line = f'{number} PRINT "' + "".join(chr(rnd.randint(65, 90)) for _ in range(rnd.randint(2, 60))) + '"'
        lines.append(line)
        size += len(line) + 1
        number += 10
    return "\r\n".join(lines) + "\r\n"


def commands(kcsend, port, folder=""):
    return [[kcsend, "-q", "-p", port, "text", folder + "listing.txt"],
            [kcsend, "-q", "-p", port, "upload", folder + "image.bin", "-a", "200"]]


def inputs():
    open("listing.txt", "w").write(make_listing(LISTING))
    open("image.bin", "wb").write(bytes((i * 7 + 3) & 0xFF for i in range(UPLOAD)))
    with open("guest.sh", "w") as f:
        f.write("#!/bin/busybox sh\n")
        for name, command in zip(("listing", "upload"), commands("/kcsend", "$1", "/")):
            f.write(f'echo "KCSEND: {name} starts at $(/bin/busybox cut -d" " -f1 /proc/uptime)"\n')
            f.write(" ".join(command) + ' || echo "KCSEND: exit $?"\n')
    os.chmod("guest.sh", 0o755)


def pty_expect(kcsend):
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
    threading.Thread(target=reader, daemon=True).start()
    for kind, command in zip(("listing", "upload"), commands(kcsend, name)):
        before = resource.getrusage(resource.RUSAGE_CHILDREN)
        start = time.monotonic()
        subprocess.run(command, check=True)
        wall = time.monotonic() - start
        after = resource.getrusage(resource.RUSAGE_CHILDREN)
        cpu = after.ru_utime + after.ru_stime - before.ru_utime - before.ru_stime
        print(f"pty {kind}: {wall * 1000:.0f} ms, cpu {100 * cpu / wall:.2f} % of wall"
              + ("   (target <= 1.5 %)" if kind == "listing" else ""))
    time.sleep(0.3)
    open("expected.bin", "wb").write(bytes(got))
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


def floor(log):
    stamps, _, _ = parse(log)
    for name, part in (("line status polled without sleeping", stamps[:100]),
                       ("tcdrain", stamps[100:200])):
        gaps = [b - a for a, b in zip(part, part[1:])]
        print(f"floor, {name}, then 6 ms: gap median {statistics.median(gaps):.2f} ms, "
              f"p5 {pct(gaps, 5):.2f}, p95 {pct(gaps, 95):.2f}, mean {statistics.mean(gaps):.2f} "
              f"(nominal {CHAR_MS + 6:.2f}; median / nominal {statistics.median(gaps) / (CHAR_MS + 6):.3f}, "
              f"mean / nominal {statistics.mean(gaps) / (CHAR_MS + 6):.3f})")


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
    {"inputs": inputs, "pty-expect": pty_expect, "timing": timing, "floor": floor, "xoff": xoff}[cmd](*sys.argv[2:])
