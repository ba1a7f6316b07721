#!/usr/bin/env python3
"""Runs the sender against the KC 85/4's own firmware in the emulator.

    kc_firmware.py listing LINES [--seed N] [--width MIN-MAX] > game.bas
    kc_firmware.py check KCSEND KC_FILE WINDOW_DRIVE
                                             the firmware check (a few minutes)
    kc_firmware.py measure KCSEND LINES [KCSEND OPTIONS...]
                                             one listing through kcsend: lines kept
    kc_firmware.py probe KCSEND BEFORE LINES [KCSEND OPTIONS...]
                                             LINES more behind BEFORE stored ones
    kc_firmware.py hear-bench KCSEND [BYTES [LINES]]
                                             kcsend dump and save: bytes a second
    kc_firmware.py basic-bench KCSEND [LINES...] [--no-typing]
                                             a listing loaded by kcsend basic and typed
                                             by kcsend text: seconds, bytes, line time

The emulator comes from ../shared/kc-emulator, built into KC_WORK (default
/tmp/kc-emulator) by its build.sh; KC_EMULATOR names another source folder.
kcsend runs with the line shim preloaded, so that its writes take line time
on the pseudo-terminal as on a UART.

A listing is stored by HC-BASIC from 0401h up to the end pointer at 03D7h:
per line a link to the next line, the line number, the tokenised text and a
zero byte. What kcsend typed is compared with the same listing typed on the
KC's own keyboard, which the firmware reads only when it is ready for a key,
so nothing of it is lost: the reference.
"""
import os
import random
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE = os.environ.get('KC_EMULATOR', os.path.join(HERE, '..', '..', 'shared', 'kc-emulator'))
WORK = os.environ.get('KC_WORK', '/tmp/kc-emulator')
PROGRAM_START = 0x0401
END_POINTER = 0x03D7

WORDS = ['SCORE', 'LEVEL', 'READY', 'PLAYER', 'ROUND', 'GAME OVER', 'HIGH', 'TIME', 'BONUS']


def statement(rng, number):
    kind = rng.randrange(6)
    if kind == 0:
        return 'PRINT "%s";A' % rng.choice(WORDS)
    if kind == 1:
        return 'A=A+%d:B=B*2-A' % rng.randrange(1, 99)
    if kind == 2:
        return 'FOR I=1 TO %d:NEXT I' % rng.randrange(2, 50)
    if kind == 3:
        return 'IF A>%d THEN GOTO %d' % (rng.randrange(100), max(1000, number - 10 * rng.randrange(1, 5)))
    if kind == 4:
        return 'C$="%s"' % rng.choice(WORDS)
    return 'REM %s' % rng.choice(WORDS)


def listing(lines, seed=1, width=(31, 60)):
    """The lines of a listing, each between width[0] and width[1] characters
    long, line number included; numbered 1000, 1010, ... so that a lost
    digit makes a new line instead of replacing another."""
    rng = random.Random(seed)
    out = []
    for n in range(1, lines + 1):
        number = 990 + 10 * n
        target = rng.randint(*width)
        text = '%d %s' % (number, statement(rng, number))
        while True:
            more = text + ':' + statement(rng, number)
            if len(more) > target:
                break
            text = more
        if len(text) > target:
            text = '%d REM' % number
        if 'REM' in text:
            text = (text + ' ' + 'X' * target)[:target]
        elif len(text) + 6 <= target:
            text = (text + ':REM ' + 'X' * target)[:target]
        out.append(text)
    return out


def varied_listing(count=40, seed=5):
    """A program of count lines that exercises BASIC's tokeniser (lower case,
    ?, GO TO, DATA, REM and !, strings holding keywords, CAOS keywords, the
    first-match quirks) and runs to its end, printing FERTIG. Only what the
    KC's own keyboard can type: it is the reference."""
    rng = random.Random(seed)
    head = [
        '10 rem varied: print "quoted" GOTO',
        '20 s=0:a$="hello":dim z(5):restore',
        '30 FOR i=1 TO 5:z(i)=i*i:s=s+z(i):NEXT i',
        '40 if s>50 then ? "big";s',
        '50 GO TO 70',
        '60 PRINT "never"',
        '70 READ x,y$:s=s+x',
        '80 DATA 7, abc PRINT def',
        '90 a$=a$+CHR$(65)+LEFT$("xyz",2):PRINT a$;LEN(a$)',
        '100 ? INT(3.7);ABS(-2);SGN(-5);SQR(16)',
        '110 GOSUB 900',
        '120 ! a remark, with PRINT and ? in it',
        '130 b=PEEK(1025):c=DEEK(983):d=2^3/4-1',
        '140 IF b<>0 AND c>1000 OR d=1 THEN s=s+1',
    ]
    body, number = [], 150
    fillers = [
        lambda: 'v%d=%d*%d+%d' % (rng.randrange(9), rng.randrange(99), rng.randrange(9),
                                  rng.randrange(9)),
        lambda: 'q$="%s":s=s+LEN(q$)' % rng.choice(['FOR NEXT', 'go to', 'a:b', 'TO']),
        lambda: 'rem %s' % rng.choice(['lower case stays', 'FOR x=1 TO 9', '???']),
        lambda: 'ON 1 GOTO %d' % (number + 10),
        lambda: 's=s+%d:t=INT(s/3)' % rng.randrange(50),
    ]
    while len(head) + len(body) < count - 6:
        body.append('%d %s' % (number, rng.choice(fillers)()))
        number += 10
    # Never run: tokenised only.
    tail = ['%d PRINT "FERTIG";s' % number, '%d END' % (number + 10),
            '900 s=s+1:RETURN',
            '910 FORM=1:CAT=2:a$=inkey$:?',
            '920 PAPER 1:INK 7:CLS:LOCATE 1,2',
            '930 x=peek(0)ORb:GO  TO 10']
    return head + body + tail


class Emulator:
    """One emulated KC: booted at start(), ended at stop()."""

    def __init__(self, rundir):
        self.rundir = rundir
        self.env = dict(os.environ, RUNDIR=rundir)
        self.tty = None

    def run(self, *args, check=True):
        r = subprocess.run([os.path.join(WORK, 'run-kc.sh'), *args], env=self.env,
                           capture_output=True, text=True, timeout=180)
        if check and r.returncode != 0:
            raise RuntimeError('run-kc.sh %s: %s' % (args[0], r.stderr.strip()))
        return r.stdout.strip()

    def start(self):
        self.tty = self.run('start').splitlines()[-1]
        return self.tty

    def stop(self):
        self.run('stop', check=False)

    def keyboard(self, text, settle=1.0):
        """Types on the KC's own keyboard and waits until the KC has taken it."""
        self.run('ctl', 'type', text.replace('\r', '\\r'))
        self.wait_keyboard(settle)

    def wait_keyboard(self, settle):
        # The paste is done when the program's end stops moving and the
        # screen stops changing.
        last, since = None, time.time()
        while time.time() - since < settle:
            now = (self.memory(END_POINTER, 2), self.screen())
            if now != last:
                last, since = now, time.time()
            time.sleep(0.2)

    def memory(self, address, length):
        with tempfile.NamedTemporaryFile() as f:
            self.run('dump', '%X' % address, '%X' % length, f.name)
            return open(f.name, 'rb').read()

    def screen(self):
        with tempfile.NamedTemporaryFile(suffix='.txt') as f:
            self.run('screen', f.name)
            return open(f.name, encoding='utf-8', errors='replace').read()

    def wait_screen(self, text, ms=10000):
        return self.run('ctl', 'waitscreen', str(ms), text).startswith('ok')

    def program(self):
        """BASIC's program memory, 0401h up to the end pointer."""
        end = int.from_bytes(self.memory(END_POINTER, 2), 'little')
        if end <= PROGRAM_START or end > 0xC000:
            return b''
        return self.memory(PROGRAM_START, end - PROGRAM_START)

    def basic(self):
        """Starts HC-BASIC from the CAOS prompt with all memory."""
        self.keyboard('BASIC\r', settle=0.5)
        self.wait_screen('MEMORY END')
        self.keyboard('\r', settle=0.5)
        return self.wait_screen('BYTES FREE')


# HC-BASIC's tokens for the words and operators the listings use.
TOKENS = {'PRINT': 0x9E, 'FOR': 0x81, 'NEXT': 0x82, 'GOTO': 0x88, 'IF': 0x8A, 'REM': 0x8E,
          'TO': 0xA6, 'THEN': 0xA9, '+': 0xAC, '-': 0xAD, '*': 0xAE, '>': 0xB3, '=': 0xB4}


def tokenised(line):
    """(number, tokens) as HC-BASIC stores a listing line of these words."""
    number, text = line.split(' ', 1)
    out, at, quoted = bytearray(), 0, False
    while at < len(text):
        c = text[at]
        if c == '"':
            quoted = not quoted
        elif not quoted:
            word = next((w for w in sorted(TOKENS, key=len, reverse=True)
                         if text.startswith(w, at)), None)
            if word:
                out.append(TOKENS[word])
                at += len(word)
                if word == 'REM':
                    out += text[at:].encode('latin-1')
                    break
                continue
        out += c.encode('latin-1')
        at += 1
    return int(number), bytes(out)


def program_lines(program):
    """The stored lines as (number, tokens), following the links."""
    lines, at = [], 0
    while at + 4 <= len(program):
        link = int.from_bytes(program[at:at + 2], 'little')
        if link == 0:
            break
        number = int.from_bytes(program[at + 2:at + 4], 'little')
        end = program.find(b'\0', at + 4)
        if end < 0:
            break
        lines.append((number, program[at + 4:end]))
        at = end + 1
    return lines


def kcsend_env(kc):
    env = dict(os.environ, LD_PRELOAD=os.path.join(WORK, 'uartshim.so'), UARTSHIM_TTY=kc.tty)
    return env


def ensure_built():
    if not os.path.exists(os.path.join(WORK, 'jkcemu', 'build', '.done')) or \
            not os.path.exists(os.path.join(WORK, 'kcdrv', 'build')):
        subprocess.run(['sh', os.path.join(SOURCE, 'build.sh')], check=True,
                       env=dict(os.environ, WORK=WORK), stdout=subprocess.DEVNULL)
    shim = os.path.join(WORK, 'uartshim.so')
    if not os.path.exists(shim):
        subprocess.run(['gcc', '-shared', '-fPIC', '-o', shim,
                        os.path.join(SOURCE, 'shim', 'uartshim.c'), '-ldl'], check=True)


def type_listing(kcsend, kc, lines, options=()):
    with tempfile.NamedTemporaryFile('w', suffix='.bas', delete=False) as f:
        f.write('\r\n'.join(lines) + '\r\n')
    t0 = time.time()
    r = subprocess.run([kcsend, '--quiet', '-p', kc.tty, *options, 'text', f.name],
                       env=kcsend_env(kc), capture_output=True, text=True)
    took = time.time() - t0
    os.unlink(f.name)
    return r, took


def program_image(lines):
    """The program memory HC-BASIC holds for these lines, from 0401h."""
    image = bytearray()
    for line in lines:
        number, tokens = tokenised(line)
        link = PROGRAM_START + len(image) + 4 + len(tokens) + 1
        image += link.to_bytes(2, 'little') + number.to_bytes(2, 'little') + tokens + b'\0'
    return bytes(image + b'\0\0')


def kcsend(path, kc, *args):
    return subprocess.run([path, '--quiet', '-p', kc.tty, *args], env=kcsend_env(kc),
                          capture_output=True, text=True)


def preload(path, kc, lines):
    """Puts a program into the memory of a BASIC started on the KC's own
    keyboard by ESC T, as if typed: while the line is in its command state."""
    image = program_image(lines)
    end = (PROGRAM_START + len(image)).to_bytes(2, 'little')
    with tempfile.TemporaryDirectory() as folder:
        for name, address, data in (('program.bin', PROGRAM_START, image),
                                    ('pointers.bin', END_POINTER, end * 3)):
            open(os.path.join(folder, name), 'wb').write(data)
            r = kcsend(path, kc, 'upload', '-a', '%X' % address, os.path.join(folder, name))
            if r.returncode != 0:
                raise RuntimeError(r.stderr)


def probe(path, before, count, options):
    """With before lines already stored, types count more: kept or not."""
    ensure_built()
    lines = listing(before + count)
    kc = Emulator(tempfile.mkdtemp(prefix='kc-probe-'))
    try:
        kc.start()
        kc.basic()
        if before:
            preload(path, kc, lines[:before])
        size = len(program_image(lines[:before]))
        r, took = type_listing(path, kc, lines[before:], options)
        kc.wait_keyboard(2.0)
        kept, first, _ = typed_report(lines, kc.program())
        print('stored %d bytes, typed %d lines: kept %d of %d, first lost %d, %.1f s %s' %
              (size, count, kept, before + count, first, took, ' '.join(options)), flush=True)
        return kept == before + count
    finally:
        kc.stop()


def typed_report(lines, program):
    """Lines kept, the first line lost (0 when none) and the program's size
    in bytes before it."""
    got = dict(program_lines(program))
    kept, first, size = 0, 0, 0
    for i, line in enumerate(lines, 1):
        number, tokens = tokenised(line)
        if got.get(number) == tokens:
            kept += 1
        elif not first:
            first = i
        if not first:
            size += len(tokens) + 5
    return kept, first, size


def measure(kcsend, count, options, seed=1):
    """Types a listing of count lines into a fresh BASIC through kcsend and
    prints what BASIC kept of it."""
    ensure_built()
    lines = listing(count, seed)
    kc = Emulator(tempfile.mkdtemp(prefix='kc-measure-'))
    try:
        kc.start()
        kc.basic()
        r, took = type_listing(kcsend, kc, lines, options)
        kc.wait_keyboard(2.0)
        kept, first, size = typed_report(lines, kc.program())
        print('lines %d kept %d first-lost %d at-bytes %d seconds %.1f status %d %s %s' %
              (count, kept, first, size, took, r.returncode, ' '.join(options), r.stderr.strip()),
              flush=True)
        return kept == count
    finally:
        kc.stop()


def kcc_file(folder, name, load, data, start=None):
    """A KCC file: the 128-byte header, then the image."""
    header = bytearray(128)
    header[0:8] = name.upper().ljust(8)[:8].encode('latin-1')
    header[16] = 2 if start is None else 3
    header[17:19] = load.to_bytes(2, 'little')
    header[19:21] = (load + len(data)).to_bytes(2, 'little')
    header[21:23] = (start or 0).to_bytes(2, 'little')
    path = os.path.join(folder, name + '.kcc')
    open(path, 'wb').write(bytes(header) + bytes(data))
    return path


def marker_program(value):
    """LD A,value; LD (3100h),A; RET, at 3000h."""
    return bytes([0x3E, value, 0x32, 0x00, 0x31, 0xC9])


def write_listing(folder, name, lines):
    path = os.path.join(folder, name)
    with open(path, 'w') as f:
        f.write('\n'.join(lines) + '\n')
    return path


def kc_file(tool, kind, listing, out, name=''):
    """An SSS or TAP file of the listing, written by the project's own writer
    (bench/kc_file)."""
    subprocess.run([tool, kind, listing, out] + ([name] if name else []), check=True)
    return out


def check_basic(path, tool, window, kc, folder, expect):
    """kcsend basic and the window's load from each state a user leaves the KC
    in: program memory as the KC's own keyboard types the listing, and RUN
    runs it."""
    lines = varied_listing()
    listing = write_listing(folder, 'varied.bas', lines)

    def load(what, file, *through):
        t0 = time.time()
        if through:
            env = dict(kcsend_env(kc), MORVALE_COM2=kc.tty, QT_QPA_PLATFORM='offscreen')
            r = subprocess.run([window, *through[1:], file], env=env, capture_output=True,
                               text=True)
        else:
            r = kcsend(path, kc, 'basic', file)
        took = time.time() - t0
        if r.returncode != 0:
            print('     %s: status %d %s' % (through[0] if through else 'kcsend basic',
                                             r.returncode, r.stderr.strip()))
        kc.wait_keyboard(1.0)
        return kc.program(), took

    def run():
        """RUN typed over the line, as the user of the sender would: the load
        leaves the KC taking the line as its keyboard."""
        kcsend(path, kc, 'type', 'RUN')
        if kc.wait_screen('FERTIG', 10000):
            return True
        print('     after RUN: %s' % ' / '.join(kc.screen().strip().splitlines()[-4:]))
        return False

    kc.run('ctl', 'poweron')
    time.sleep(3)
    loaded, took = load('power-on', listing)
    ran = run()
    kc.keyboard('NEW\r', settle=0.5)
    kc.keyboard('\r'.join(lines) + '\r', settle=3.0)
    reference = kc.program()
    same = loaded == reference and len(reference) > 2
    expect('kcsend basic at the CAOS prompt after power-on: %d lines as the keyboard types '
           'them (%.0f s)' % (len(lines), took), same,
           '' if same else '%d bytes loaded, %d typed' % (len(loaded), len(reference)))
    expect('and RUN runs it', ran)

    kc.keyboard('NEW\r', settle=0.5)
    sss = kc_file(tool, 'sss', listing, os.path.join(folder, 'varied.sss'))
    loaded, took = load('basic', sss, 'the window')
    expect('an SSS the project wrote, loaded by the window in BASIC at its prompt (%.0f s)' %
           took, loaded == reference)

    send_ok = kcsend(path, kc, 'type', 'BYE').returncode == 0
    kc.wait_keyboard(1.0)
    tap = kc_file(tool, 'tap', listing, os.path.join(folder, 'varied.tap'), 'VARIED')
    loaded, took = load('caos', tap)
    expect('a TAP the project wrote, loaded at the CAOS prompt after typed commands (%.0f s)'
           % took, send_ok and loaded == reference)

    kc.run('ctl', 'reset')
    time.sleep(3)
    loaded, took = load('reset', listing, 'the window\'s menu', '--menu')
    expect('a listing loaded by the window\'s menu at the CAOS prompt after RESET, and RUN '
           'runs it (%.0f s)' % took, loaded == reference and run())


def rx_count(kc):
    """Bytes the KC's SIO has received so far (line.log)."""
    try:
        with open(os.path.join(kc.rundir, 'line.log')) as f:
            return sum(1 for line in f if line.startswith('rx '))
    except FileNotFoundError:
        return 0


def check_hearing(path, kc, folder, expect):
    """What kcsend hears from the firmware: LIST#3 by kcsend save, memory by
    kcsend dump, uploads read back by --verify."""
    listing = os.path.join(folder, 'varied.bas')
    saved = os.path.join(folder, 'saved.bas')
    t0 = time.time()
    r = kcsend(path, kc, 'save', saved)
    took = time.time() - t0
    listed = subprocess.run([path, 'list', listing], capture_output=True, text=True).stdout
    same = r.returncode == 0 and os.path.exists(saved) and open(saved).read() == listed
    expect('kcsend save: BASIC\'s LIST#3 of the program is its listing as kcsend list prints it '
           '(%.0f s)' % took, same, '' if same else 'status %d %s' % (r.returncode, r.stderr.strip()))

    rng = random.Random(29)
    first = bytes(rng.randrange(256) for _ in range(1024))
    second = bytes(rng.randrange(256) for _ in range(512))
    kc.run('ctl', 'poweron')
    time.sleep(3)
    kcsend(path, kc, 'upload', kcc_file(folder, 'first', 0x4000, first))
    back = os.path.join(folder, 'back.bin')
    t0 = time.time()
    r = kcsend(path, kc, 'dump', '4000', '43FF', back)
    took = time.time() - t0
    same = r.returncode == 0 and open(back, 'rb').read() == first
    expect('kcsend dump: an image uploaded at power-on comes back byte for byte (%d bytes, '
           '%.0f s)' % (len(first), took), same,
           '' if same else 'status %d %s' % (r.returncode, r.stderr.strip()))
    r = kcsend(path, kc, 'upload', kcc_file(folder, 'second', 0x5000, second))
    expect('and an upload after the dump is the image',
           r.returncode == 0 and kc.memory(0x5000, len(second)) == second)

    r = kcsend(path, kc, 'upload', '--verify', kcc_file(folder, 'first', 0x4000, first))
    expect('upload --verify confirms an upload', r.returncode == 0, r.stderr.strip())

    # A byte changed between the upload and its reading back.
    before = rx_count(kc)
    proc = subprocess.Popen([path, '--quiet', '-p', kc.tty, 'upload', '--verify',
                             kcc_file(folder, 'second', 0x5000, second)],
                            env=kcsend_env(kc), stderr=subprocess.PIPE, text=True)
    while rx_count(kc) < before + 6 + len(second) and proc.poll() is None:
        time.sleep(0.02)
    kc.run('ctl', 'poke', '5123', '%02X' % (second[0x123] ^ 0xFF))
    err = proc.communicate(timeout=120)[1]
    expect('and catches a byte changed in between', proc.returncode == 1 and '5123' in err,
           'status %d %s' % (proc.returncode, err.strip()))


def check(path, tool, window):
    """The firmware check: what the real KC keeps of what kcsend sends."""
    ensure_built()
    results = []

    def expect(name, ok, detail=''):
        results.append(ok)
        print('%s %s%s' % ('ok  ' if ok else 'FAIL', name, (': ' + detail) if detail else ''),
              flush=True)

    def send(*args):
        r = kcsend(path, kc, *args)
        if r.returncode != 0:
            print('     kcsend %s: status %d %s' % (' '.join(args), r.returncode, r.stderr.strip()))
        return r.returncode == 0

    folder = tempfile.mkdtemp(prefix='kc-check-')
    rng = random.Random(17)
    image = bytes(rng.randrange(256) for _ in range(4096))
    kc = Emulator(os.path.join(folder, 'run'))
    try:
        kc.start()
        send('upload', kcc_file(folder, 'image', 0x4000, image))
        expect('an upload at power-on is the image', kc.memory(0x4000, len(image)) == image)

        send('run', kcc_file(folder, 'marker', 0x3000, marker_program(0x5A), start=0x3000))
        time.sleep(0.5)
        expect('run starts the program at the header\'s start address',
               kc.memory(0x3100, 1) == b'\x5a')

        # The first carriage return after an upload only switches CAOS to its
        # keyboard over V.24; what went before it is not taken.
        send('type')
        kc.wait_keyboard(0.5)
        send('type', 'BASIC')
        expect('a typed command shows on the screen', kc.wait_screen('MEMORY END'))
        send('type')
        expect('BASIC starts', kc.wait_screen('BYTES FREE'))

        lines = listing(40, seed=3)
        with open(os.path.join(folder, 'listing.bas'), 'w') as f:
            f.write('\n'.join(lines) + '\n')
        t0 = time.time()
        send('text', os.path.join(folder, 'listing.bas'))
        took = time.time() - t0
        kc.wait_keyboard(2.0)
        typed = kc.program()
        kept, first, _ = typed_report(lines, typed)
        kc.keyboard('NEW\r', settle=0.5)
        kc.keyboard('\r'.join(lines) + '\r', settle=3.0)
        reference = kc.program()
        expect('a listing of %d lines is stored as typed on the keyboard (%.0f s)' %
               (len(lines), took), typed == reference and kept == len(lines),
               '' if typed == reference else '%d of %d lines kept, first lost %d' %
               (kept, len(lines), first))

        # A person leaves the KC time between commands, and so does this.
        kc.keyboard('NEW\r', settle=0.5)
        send('type', '10 GOTO 10')
        time.sleep(1.0)
        send('type', 'RUN')
        time.sleep(1.0)
        send('key', 'brk')
        stopped = kc.wait_screen('BREAK', 3000)
        expect('a key shows on the screen (BRK stops the program)', stopped,
               '' if stopped else kc.screen().strip().splitlines()[-1])

        time.sleep(1.0)
        send('type', 'BYE')
        kc.wait_keyboard(1.0)
        second = bytes(rng.randrange(256) for _ in range(1024))
        send('upload', '--restore-caos', kcc_file(folder, 'second', 0x4000, second))
        restored = kc.memory(0x4000, len(second)) == second
        expect('an upload after typing, with --restore-caos at the CAOS prompt, is the image',
               restored, '' if restored else ' / '.join(kc.screen().strip().splitlines()[-4:]))
        send('run', kcc_file(folder, 'marker2', 0x3000, marker_program(0xA5), start=0x3000))
        time.sleep(0.5)
        expect('and the command state stays for the next run', kc.memory(0x3100, 1) == b'\xa5')

        check_basic(path, tool, window, kc, folder, expect)
        check_hearing(path, kc, folder, expect)
    finally:
        kc.stop()
    print('%d passed, %d failed' % (results.count(True), results.count(False)))
    return all(results)


def basic_bench(path, counts, typing=True):
    """Generated listings of count lines loaded by kcsend basic into a KC just
    switched on, and typed by kcsend text into a BASIC started on the KC's
    keyboard: seconds end to end, the program's bytes, and the load's time
    over the line time of those bytes (10 bits a byte at 1200 baud)."""
    ensure_built()
    print('lines  bytes  line-time  basic-s  ratio  typed-s  same', flush=True)
    for count in counts:
        lines = listing(count)
        folder = tempfile.mkdtemp(prefix='kc-bench-')
        listing_path = write_listing(folder, 'bench.bas', lines)
        kc = Emulator(os.path.join(folder, 'run'))
        try:
            kc.start()
            t0 = time.time()
            r = kcsend(path, kc, 'basic', listing_path)
            loaded_s = time.time() - t0
            kc.wait_keyboard(1.0)
            loaded = kc.program()
        finally:
            kc.stop()
        typed_s, same = float('nan'), '-'
        if typing:
            kc = Emulator(os.path.join(folder, 'run2'))
            try:
                kc.start()
                kc.basic()
                typed_r, typed_s = type_listing(path, kc, lines)
                kc.wait_keyboard(2.0)
                same = 'yes' if kc.program() == loaded and typed_r.returncode == 0 else 'NO'
            finally:
                kc.stop()
        line_time = len(loaded) * 10 / 1200
        print('%5d  %5d  %7.1f s  %7.1f  %5.2f  %7.1f  %s%s' %
              (count, len(loaded), line_time, loaded_s, loaded_s / line_time if line_time else 0,
               typed_s, same, '' if r.returncode == 0 else '  (kcsend: %s)' % r.stderr.strip()),
              flush=True)


def tx_stamps(kc):
    """Emulated times (ms) of the bytes the KC's SIO has sent so far."""
    with open(os.path.join(kc.rundir, 'line.log')) as f:
        return [float(line.split('emu_ms=')[1].split()[0]) for line in f
                if line.startswith('tx ')]


def hear_bench(path, count=8192, lines=150):
    """What comes back and how fast: a dump of count bytes and the LIST#3 of
    a generated listing, against the 120 bytes a second of a 1200-baud line."""
    ensure_built()
    folder = tempfile.mkdtemp(prefix='kc-hear-')
    kc = Emulator(os.path.join(folder, 'run'))
    try:
        kc.start()
        rng = random.Random(41)
        image = bytes(rng.randrange(256) for _ in range(count))
        kcsend(path, kc, 'upload', kcc_file(folder, 'image', 0x4000, image))
        t0 = time.time()
        r = kcsend(path, kc, 'dump', '4000', '%X' % (0x4000 + count - 1),
                   os.path.join(folder, 'back.bin'))
        took = time.time() - t0
        same = r.returncode == 0 and open(os.path.join(folder, 'back.bin'), 'rb').read() == image
        stamps = tx_stamps(kc)
        print('dump: %d bytes (a frame of %d) in %.1f s end to end: %.0f bytes/s; %s' %
              (count, count + 9, took, (count + 9) / took,
               'same' if same else 'DIFFERS: ' + r.stderr.strip()), flush=True)
        print('      the emulated SIO sent them at %.0f bytes/s of emulated time' %
              ((len(stamps) - 1) / ((stamps[-1] - stamps[0]) / 1000)), flush=True)

        kcsend(path, kc, 'basic', write_listing(folder, 'bench.bas', listing(lines)))
        kc.wait_keyboard(1.0)
        before = len(tx_stamps(kc))
        t0 = time.time()
        r = kcsend(path, kc, 'save', os.path.join(folder, 'saved.bas'))
        took = time.time() - t0
        sent = len(tx_stamps(kc)) - before
        print('save: %d lines, %d bytes from the KC in %.1f s end to end: %.0f bytes/s; '
              'status %d' % (lines, sent, took, sent / took, r.returncode), flush=True)
    finally:
        kc.stop()


if __name__ == '__main__':
    args = sys.argv[1:]
    if args and args[0] == 'listing':
        count = int(args[1])
        seed = int(args[args.index('--seed') + 1]) if '--seed' in args else 1
        width = (31, 60)
        if '--width' in args:
            lo, hi = args[args.index('--width') + 1].split('-')
            width = (int(lo), int(hi))
        sys.stdout.write('\n'.join(listing(count, seed, width)) + '\n')
    elif args and args[0] == 'check':
        sys.exit(0 if check(args[1], args[2], args[3]) else 1)
    elif args and args[0] == 'probe':
        sys.exit(0 if probe(args[1], int(args[2]), int(args[3]), args[4:]) else 1)
    elif args and args[0] == 'basic-bench':
        typing = '--no-typing' not in args
        counts = [int(a) for a in args[2:] if a != '--no-typing'] or [150, 500]
        basic_bench(args[1], counts, typing)
    elif args and args[0] == 'hear-bench':
        hear_bench(args[1], *[int(a) for a in args[2:4]])
    elif args and args[0] == 'measure':
        sys.exit(0 if measure(args[1], int(args[2]), args[3:]) else 1)
    else:
        print(__doc__)
        sys.exit(2)
