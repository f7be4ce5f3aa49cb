#!/usr/bin/env python3
"""End-to-end test of the abacus: the real executable on a private Xvfb
display with a private settings directory, driven by xdotool and checked
through screen pixels captured with ImageMagick, across two runs.
With --high-density: the same program on a desktop whose Xft.dpi is 192,
shown at twice its size, pixel for pixel, and driven at doubled positions.

Usage: kelvo_e2e.py [--high-density] PATH-TO-kelvo
"""
import os
import shutil
import signal
import sqlite3
import subprocess
import sys
import tempfile
import time

CLIENT_W, CLIENT_H = 640, 480
BLUE = (64, 65, 255)  # the main form's background
CAPTION = "Prova 7"
STARTED = []  # every run of the program, ended when the test ends


def fail(msg):
    print("FAIL: " + msg, file=sys.stderr)
    sys.exit(1)


def wait_for(seconds, cond):
    end = time.monotonic() + seconds
    while True:
        value = cond()
        if value:
            return value
        if time.monotonic() > end:
            return None
        time.sleep(0.1)


def run(*args, check=True):
    return subprocess.run(args, capture_output=True, text=True, check=check).stdout


class Display:
    def __init__(self, size="1280x1024"):
        r, w = os.pipe()
        self.proc = subprocess.Popen(
            ["Xvfb", "-displayfd", str(w), "-screen", "0", size + "x24", "-nolisten", "tcp", "-noreset"],
            pass_fds=(w,), stderr=subprocess.DEVNULL)
        os.close(w)
        number = b""
        while not number.endswith(b"\n"):
            chunk = os.read(r, 16)
            if not chunk:
                fail("Xvfb did not start")
            number += chunk
        os.close(r)
        os.environ["DISPLAY"] = ":" + number.decode().strip()

    def close(self):
        self.proc.terminate()
        self.proc.wait()


def grab(x, y, w, h):
    """Screen pixels of a rectangle as raw RGB bytes."""
    return subprocess.run(["import", "-window", "root", "-crop", f"{w}x{h}+{x}+{y}", "-depth", "8", "rgb:-"],
                          capture_output=True, check=True).stdout


class Kelvo:
    """One run of the program; client coordinates are turned into screen ones,
    `scale` screen pixels to a client pixel."""

    def __init__(self, exe, env, scale=1):
        self.scale = scale
        self.proc = subprocess.Popen([exe], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
        STARTED.append(self.proc)
        wid = wait_for(10, lambda: run("xdotool", "search", "--name", "^TQ Kelvo", check=False).split())
        if not wid:
            self.proc.kill()
            fail("no window titled 'TQ Kelvo ...' within 10 s: " + self.proc.stderr.read1().decode())
        self.wid = wid[0]

        # The program sizes its client area after the window first shows (and
        # after it has read its captions, which may wait for a locked database).
        geo = wait_for(10, lambda: (lambda g: g if int(g["HEIGHT"]) > CLIENT_H * scale else None)(
            window_geometry(self.wid))) or window_geometry(self.wid)
        width, height = int(geo["WIDTH"]), int(geo["HEIGHT"])
        if width != CLIENT_W * scale or height <= CLIENT_H * scale:
            fail(f"window content {width} x {height}: want {CLIENT_W * scale} wide, a menu bar above a "
                 f"{CLIENT_W * scale} x {CLIENT_H * scale} client area")
        self.geometry = (int(geo["X"]), int(geo["Y"]), width, height)
        # The content area holds the menu bar; the client area lies below it.
        self.x0, self.y0 = int(geo["X"]), int(geo["Y"]) + height - CLIENT_H * scale
        if not wait_for(10, lambda: self.pixel(5, 5) == BLUE):
            fail(f"client area not painted blue: {self.pixel(5, 5)}")

    def pixel(self, x, y):
        return tuple(grab(self.x0 + x * self.scale, self.y0 + y * self.scale, 1, 1))

    def grab(self, x, y, w, h):
        s = self.scale
        return grab(self.x0 + x * s, self.y0 + y * s, w * s, h * s)

    def click(self, x, y):
        run("xdotool", "mousemove", str(self.x0 + x * self.scale), str(self.y0 + y * self.scale), "click", "1")

    def alive(self):
        return self.proc.poll() is None

    def ended(self, seconds):
        try:
            return self.proc.wait(seconds)
        except subprocess.TimeoutExpired:
            return None


def cell(c, r):
    """Client rectangle of board cell column c, row r."""
    return (25 * c + 18, 40 * r + 105, 25, 40)


def counter(k):
    return (378, 110 + 40 * k, 32, 30)


def caption_box(k):
    return (420, 113 + 40 * k, 180, 25)


TOTAL = (230, 425, 180, 45)


def center(rect):
    return rect[0] + rect[2] // 2, rect[1] + rect[3] // 2


def question_window():
    ids = run("xdotool", "search", "--name", "^Uscita$", check=False).split()
    return ids[0] if ids else None


def answer_question(key):
    # Generous: with both cores busy (a parallel test run) the box can take
    # seconds to map.
    wid = wait_for(10, question_window)
    if not wid:
        fail(f"the exit question 'Uscita' did not appear (to be answered with '{key}')")
    run("xdotool", "key", key)
    if not wait_for(5, lambda: not question_window()):
        fail(f"the exit question did not close after '{key}'")


def stored_texts(config):
    """Every text held anywhere in the settings files below `config`, decoded
    both as UTF-16 and as UTF-8, so the check does not depend on the layout
    of the store."""
    found = []
    for root, _, files in os.walk(config):
        for name in files:
            path = os.path.join(root, name)
            try:
                db = sqlite3.connect(f"file:{path}?mode=ro", uri=True)
                tables = [t for (t,) in db.execute("select name from sqlite_master where type='table'")]
                for t in tables:
                    for row in db.execute(f'select * from "{t}"'):
                        for v in row:
                            if isinstance(v, bytes):
                                found.append(v.decode("utf-16-le", "replace"))
                                found.append(v.decode("utf-8", "replace"))
                            elif v is not None:
                                found.append(str(v))
                db.close()
            except sqlite3.DatabaseError:
                continue
    return found


def clean_up(display, tmp):
    """Ends every run still going, the display and the scratch folder."""
    for proc in STARTED:
        if proc.poll() is None:
            proc.kill()
            proc.wait()
    display.close()
    shutil.rmtree(tmp, ignore_errors=True)


def window_geometry(wid):
    """xdotool's geometry of a window: X, Y, WIDTH, HEIGHT (strings)."""
    return dict(line.split("=") for line in run("xdotool", "getwindowgeometry", "--shell", wid).split())


def file_menu(k):
    """Opens the "File" menu with a click on its title and returns the pixels
    of the client area's corner, where its drop-down shows."""
    corner = (0, 0, 100, 25)
    before = k.grab(*corner)
    menu_bar = k.geometry[3] // k.scale - CLIENT_H  # the content area's height is in screen pixels
    k.click(15, -menu_bar // 2)

    def settled():  # changed, and the same a moment later: drawn in full
        first = k.grab(*corner)
        time.sleep(0.2)
        return first if first != before and k.grab(*corner) == first else None

    shown = wait_for(3, settled)
    if not shown:
        fail("a click on the 'File' title showed no drop-down below it")
    return shown


def upscale(rgb, w, h, s):
    """RGB bytes of a w x h picture with each pixel made an s x s block."""
    out = bytearray()
    for y in range(h):
        row = b"".join(rgb[(y * w + x) * 3:(y * w + x) * 3 + 3] * s for x in range(w))
        out += row * s
    return bytes(out)


def high_density(exe):
    """Xft.dpi 192 doubles the window, its pixels and its input; the window
    manager above keeps its logical coordinates (position, centring)."""
    if not shutil.which("xrdb"):
        fail("xrdb is missing (tools/install-deps.sh installs it)")
    tmp = tempfile.mkdtemp(prefix="kelvo-e2e-hd-")
    display = Display("2560x2048")
    try:
        env = dict(os.environ, XDG_CONFIG_HOME=tmp, LANG="it_IT.UTF-8", LC_ALL="it_IT.UTF-8")
        # Rod 0 and its counter, as the program draws them at scale 1.
        area = (18, 105, 392, 40)
        k = Kelvo(exe, env)
        plain, plain_area = k.geometry, k.grab(*area)
        plain_menu = file_menu(k)
        k.proc.send_signal(signal.SIGTERM)
        if k.ended(5) is None:
            fail("the program did not end on SIGTERM")

        subprocess.run(["xrdb", "-nocpp", "-merge", "-"], input=b"Xft.dpi: 192\n", check=True)
        k = Kelvo(exe, env, scale=2)
        if k.geometry != tuple(2 * v for v in plain):
            fail(f"window at {k.geometry} (x, y, width, height) at Xft.dpi 192: want twice {plain}")
        if k.grab(*area) != upscale(plain_area, area[2], area[3], 2):
            fail("rod 0 and its counter at Xft.dpi 192 are not the scale-1 pixels doubled")
        before = k.grab(*counter(0))
        k.click(*center(cell(10, 0)))
        if not wait_for(3, lambda: k.grab(*counter(0)) != before):
            fail("a click at the doubled position of a bead did not change rod 0's counter")
        # A pop-up window (the drop-down) is placed and drawn doubled too.
        if file_menu(k) != upscale(plain_menu, 100, 25, 2):
            fail("the 'File' drop-down at Xft.dpi 192 is not the scale-1 one doubled")
        run("xdotool", "key", "Escape", "Escape")
        # The exit question is centred on the screen the window manager sees,
        # 1280 x 1024 logical pixels: it lands at the middle of the real one.
        k.click(550, 46)
        wid = wait_for(5, question_window)
        if not wid:
            fail("a click at the doubled position of 'Chiudi' did not ask the exit question")
        geo = window_geometry(wid)
        cx, cy = int(geo["X"]) + int(geo["WIDTH"]) // 2, int(geo["Y"]) + int(geo["HEIGHT"]) // 2
        if abs(cx - 1280) > 2 or abs(cy - 1024) > 2:
            fail(f"the exit question's centre is at ({cx}, {cy}): want the screen's centre (1280, 1024)")
        k.proc.send_signal(signal.SIGTERM)
        if k.ended(5) != 0:
            fail("the program did not end cleanly on SIGTERM")
        print("kelvo e2e high density: ok")
    finally:
        clean_up(display, tmp)


def main():
    if sys.argv[1] == "--high-density":
        return high_density(sys.argv[2])
    exe = sys.argv[1]
    for tool in ("Xvfb", "xdotool", "import"):
        if not shutil.which(tool):
            fail(f"{tool} is missing (tools/install-deps.sh installs it)")
    tmp = tempfile.mkdtemp(prefix="kelvo-e2e-")
    display = Display()
    try:
        config = os.path.join(tmp, "config")
        bindir = os.path.join(tmp, "bin")
        opened = os.path.join(tmp, "opened.txt")
        os.makedirs(config)
        os.makedirs(bindir)
        # A recording stand-in for the desktop's opener: one line per call,
        # the argument count and then each argument.
        opener = os.path.join(bindir, "xdg-open")
        with open(opener, "w") as f:
            f.write('#!/bin/sh\n{ printf "%s" "$#"; for a in "$@"; do printf "\\t%s" "$a"; done; echo; } >> "'
                    + opened + '"\n')
        os.chmod(opener, 0o755)
        env = dict(os.environ, XDG_CONFIG_HOME=config, PATH=bindir + os.pathsep + os.environ["PATH"],
                   LANG="it_IT.UTF-8", LC_ALL="it_IT.UTF-8")

        # --- First run: beads, counters, total, a caption, the exit question.
        k = Kelvo(exe, env)
        before = {name: k.grab(*rect) for name, rect in
                  [("c10", cell(10, 0)), ("c12", cell(12, 0)), ("row1", (18, 145, 350, 40)), ("counter0", counter(0)),
                   ("total", TOTAL), ("box0", caption_box(0)), ("box1", caption_box(1))]}
        # The red bead next to the gap of rod 0 goes across it at the next tick.
        k.click(*center(cell(10, 0)))
        moved = wait_for(3, lambda: k.grab(*cell(10, 0)) != before["c10"] and k.grab(*cell(12, 0)) != before["c12"])
        if not moved:
            fail("pressing the bead at column 10 of rod 0 did not move it across the gap")
        if not wait_for(2, lambda: k.grab(*counter(0)) != before["counter0"]):
            fail("rod 0's counter did not change on screen")
        if not wait_for(2, lambda: k.grab(*TOTAL) != before["total"]):
            fail("the total did not change on screen")
        if k.grab(18, 145, 350, 40) != before["row1"]:
            fail("rod 1 changed although only rod 0 was touched")

        k.click(*center(caption_box(0)))
        run("xdotool", "type", "--delay", "30", CAPTION)
        if not wait_for(3, lambda: k.grab(*caption_box(0)) != before["box0"]):
            fail("typing into caption box 0 changed nothing on screen")

        # "Chiudi", answered No: the program keeps running.
        # The box, centred on the screen, covers part of the main window's
        # background; once it is gone that part is painted again (the desktop
        # reports it exposed, and the window is presented anew).
        under = (640 - 30 - k.x0, 512 - 10 - k.y0, 60, 20)
        background = k.grab(*under)
        k.click(550, 46)
        if not wait_for(10, lambda: question_window() and k.grab(*under) != background):
            fail("the exit question did not appear over the middle of the main window")
        answer_question("n")
        if not wait_for(3, lambda: k.grab(*under) == background):
            fail("the main window was not painted again where the exit question had covered it")
        time.sleep(0.5)
        if not k.alive():
            fail("the program ended although the exit question was answered No")

        # Alt+F4, answered Yes (Enter: the first button): exit code 0.
        run("xdotool", "windowfocus", k.wid, check=False)
        run("xdotool", "key", "alt+F4")
        answer_question("Return")
        rc = k.ended(5)
        if rc is None:
            k.proc.kill()
            fail("the program did not end after the exit question was answered Yes")
        if rc != 0:
            fail(f"exit code {rc} after a confirmed exit")
        if not any(CAPTION in t for t in stored_texts(config)):
            fail(f"caption {CAPTION!r} not found in the settings store under {config}")

        # --- Second run: the caption comes back; the two web pages.
        k = Kelvo(exe, env)
        if not wait_for(3, lambda: k.grab(*caption_box(0)) != before["box0"]):
            fail("caption box 0 is empty at the second start")
        if k.grab(*caption_box(1)) != before["box1"]:
            fail("caption box 1 differs at the second start although it was left empty")

        def choose(item_key):
            # Alt opens the menu bar on "&File"; Right moves to "&?"; Down opens it.
            run("xdotool", "key", "alt", "Right", "Down", item_key)

        choose("h")
        calls = wait_for(5, lambda: open(opened).read().splitlines() if os.path.exists(opened) else None)
        if not calls:
            fail("'&?' then '&Home' handed nothing to xdg-open")
        count, *args = calls[0].split("\t")
        if count != "1" or not args[0].startswith("http://www."):
            fail(f"xdg-open called with {calls[0]!r}: want the one argument 'http://www....'")
        home = args[0]
        choose("g")
        calls = wait_for(5, lambda: (lambda l: l if len(l) >= 2 else None)(open(opened).read().splitlines()))
        if not calls or calls[1] != "1\t" + home + "/Kelvo.asp":
            fail(f"'&Guida' opened {calls[1] if calls else None!r}: want {home + '/Kelvo.asp'!r}")

        # SIGTERM while the exit question is open ends the program promptly.
        k.click(550, 46)
        if not wait_for(5, question_window):
            fail("the exit question did not appear for the SIGTERM check")
        k.proc.send_signal(signal.SIGTERM)
        rc = k.ended(2)
        if rc is None:
            k.proc.kill()
            fail("SIGTERM with the exit question open did not end the program within 2 s")
        if rc != 0:
            fail(f"exit code {rc} after SIGTERM")

        # --- Settings that cannot be used: a location below a regular file,
        # and the database locked by another process for the whole run. The
        # program starts with an empty caption box 0 and ends with exit code 0
        # after a confirmed exit, without a long wait; the locked file keeps
        # every byte.
        blocker = os.path.join(tmp, "plain-file")
        with open(blocker, "w") as f:
            f.write("not a folder")
        database = os.path.join(config, "kelvo", "registry.sqlite3")
        with open(database, "rb") as f:
            saved = f.read()
        lock = sqlite3.connect(database, isolation_level=None)
        lock.execute("BEGIN EXCLUSIVE")
        starts = {}
        for name, settings in (("an unusable location", os.path.join(blocker, "config")),
                               ("a locked database", config)):
            start = time.monotonic()
            k = Kelvo(exe, dict(env, XDG_CONFIG_HOME=settings))
            started = starts[name] = time.monotonic() - start
            if k.grab(*caption_box(0)) != before["box0"]:
                fail(f"caption box 0 is not empty at a start with {name}")
            run("xdotool", "windowfocus", k.wid, check=False)
            run("xdotool", "key", "alt+F4")
            answer_question("Return")
            start = time.monotonic()
            rc = k.ended(10)
            if rc is None:
                k.proc.kill()
                fail(f"with {name}, the program did not end within 10 s of a confirmed exit")
            if rc != 0:
                fail(f"exit code {rc} with {name}")
            print(f"with {name}: started in {started:.1f} s, exit code 0, "
                  f"{time.monotonic() - start:.1f} s from the answer to the end")
        lock.rollback()
        lock.close()
        # The lock costs one wait of the 3 s busy timeout and a short one per
        # other caption, not a full wait for each.
        if starts["a locked database"] - starts["an unusable location"] > 5:
            fail("the start with a locked database took {:.1f} s longer than without settings".format(
                starts["a locked database"] - starts["an unusable location"]))
        with open(database, "rb") as f:
            if f.read() != saved:
                fail("the locked database was written")
        with open(blocker) as f:
            if f.read() != "not a folder":
                fail("the file in the way of the settings location was changed")
        print("kelvo e2e: ok")
    finally:
        clean_up(display, tmp)


if __name__ == "__main__":
    main()
