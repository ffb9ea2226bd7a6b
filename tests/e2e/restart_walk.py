"""Starts the real window under a window manager (openbox) again and again
and checks that a restart changes nothing: the frame stands where it
stood, the window keeps its size, the settings file keeps the pane sizes,
the title bar stays on the screen, and the keyboard is in the file list
from the start (Down moves to the next file, Alt+F opens the File menu)
without a click. Run through tests/e2e/xsession.sh."""
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

import pyatspi

from screen import app, check, everything, finish, info_line, key, wait_until, VIEWS

NAVIRT = sys.argv[1]
FILES = ["a_first.txt", "b_second.txt", "c_third.txt"]


def file_menu_open():
    for role, name, acc in everything(VIEWS):
        if role == "menu item" and name.startswith("終了"):
            try:
                if acc.getState().contains(pyatspi.STATE_SHOWING):
                    return True
            except Exception:
                pass
    return False


def main_window():
    out = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^Navirt"], capture_output=True, text=True)
    ids = out.stdout.split()
    return ids[-1] if ids else None


def geometry(wid, frame):
    """(x, y, width, height) of the window, or of the window manager's frame
    around it (its topmost ancestor below the root), on the screen."""
    if frame:
        while True:
            tree = subprocess.run(["xwininfo", "-tree", "-id", wid], capture_output=True, text=True).stdout
            m = re.search(r"Parent window id: (0x[0-9a-fA-F]+)(.*)", tree)
            if not m or "root window" in m.group(2):
                break
            wid = m.group(1)
    text = subprocess.run(["xwininfo", "-id", wid], capture_output=True, text=True).stdout

    def num(label):
        m = re.search(label + r":\s+(-?\d+)", text)
        return int(m.group(1)) if m else None

    return (num("Absolute upper-left X"), num("Absolute upper-left Y"), num("Width"), num("Height"))


def settings(ini):
    """The sections that hold the window's place and its panes."""
    keep = {"Form": ("Left", "Top", "Width", "Height"), "PanelL": ("Width",), "PanelRB": ("Height",),
            "FileView": ("Colum1", "Colum2", "Colum3", "Icon")}
    out, section = {}, None
    for line in open(ini, encoding="utf-8", errors="replace"):
        line = line.strip()
        if line.startswith("["):
            section = line.strip("[]")
        elif "=" in line and section in keep:
            k, v = line.split("=", 1)
            if k in keep[section]:
                out[f"{section}/{k}"] = v
    return out


def set_form(ini, left, top, width, height):
    text = open(ini, encoding="utf-8").read()
    for k, v in (("Left", left), ("Top", top), ("Width", width), ("Height", height)):
        text = re.sub(rf"(\[Form\][^\[]*?\n){k}=-?\d+", rf"\g<1>{k}={v}", text, count=1)
    open(ini, "w", encoding="utf-8").write(text)


def run(step, args, env, expect_first):
    """One start: the window framed, its place, the keyboard in the list;
    then Escape in the list closes it. Returns (frame, inside)."""
    proc = subprocess.Popen([NAVIRT, *args], env=env)
    frame = inside = None
    try:
        shown = wait_until(lambda: app() is not None and info_line().startswith(expect_first), 30)
        check(f"{step}: the first file is shown", shown, repr(info_line()))
        wid = main_window()
        check(f"{step}: the window is mapped", wid is not None)
        if wid is None:
            return None, None
        time.sleep(1.0)  # the window manager settles the frame
        frame, inside = geometry(wid, True), geometry(wid, False)
        check(f"{step}: the window manager framed it", frame != inside, f"frame {frame} inside {inside}")
        check(f"{step}: the title bar is on the screen", frame[0] >= 0 and frame[1] >= 0, f"frame {frame}")
        # No click: the keyboard must already be in the file list.
        key("Down")
        moved = wait_until(lambda: info_line().startswith(FILES[1]), 10)
        check(f"{step}: Down moves to the next file without a click", moved, repr(info_line()))
        key("alt+f")
        opened = wait_until(file_menu_open, 10)
        check(f"{step}: Alt+F opens the File menu without a click", opened)
        key("Escape")
        if opened:
            key("Escape")  # leaves the menu bar
        key("Up")
        wait_until(lambda: info_line().startswith(FILES[0]), 10)
    finally:
        key("Escape")  # Escape in the list closes the window
        try:
            proc.wait(15)
        except subprocess.TimeoutExpired:
            proc.kill()
            proc.wait()
            check(f"{step}: the window closes on Escape", False)
    return frame, inside


def main():
    if not shutil.which("openbox"):
        print("missing openbox (scripts/setup.sh installs it)")
        return 2
    work = tempfile.mkdtemp(prefix="navirt-restart-")
    folder = os.path.join(work, "list")
    os.mkdir(folder)
    for i, n in enumerate(FILES):
        with open(os.path.join(folder, n), "wb") as f:
            f.write(("テキスト %d\r\n" % i).encode("cp932"))
    ini = os.path.join(work, "navirt.ini")
    env = dict(os.environ, NAVIRT_INI=ini)
    wm_home = os.path.join(work, "home")
    os.mkdir(wm_home)
    wm = subprocess.Popen(["openbox", "--sm-disable"], env=dict(os.environ, HOME=wm_home),
                          stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        time.sleep(1.5)
        # A first start with no settings: the whole frame on the screen.
        frame, inside = run("first start", [folder], env, FILES[0])
        if frame:
            screen = subprocess.run(["xdpyinfo"], capture_output=True, text=True).stdout
            m = re.search(r"dimensions:\s+(\d+)x(\d+)", screen)
            sw, sh = int(m.group(1)), int(m.group(2))
            check("first start: the frame fits the screen",
                  frame[0] >= 0 and frame[1] >= 0 and frame[0] + frame[2] <= sw and frame[1] + frame[3] <= sh,
                  f"frame {frame} screen {sw}x{sh}")
        if not os.path.exists(ini):
            check("first start: the settings are written", False)
            return 1
        # A window the user placed: it must stay there over restarts.
        set_form(ini, 100, 60, 900, 600)
        frame, inside = run("start 1", [folder + "/"], env, FILES[0])
        check("start 1: the frame stands where the settings say", frame is not None and frame[:2] == (100, 60),
              f"frame {frame}")
        check("start 1: the window has the size the settings say",
              inside is not None and inside[2:] == (900, 600), f"inside {inside}")
        saved = settings(ini)
        # Without a path: the folder of the last session, the same way.
        for n in (2, 3):
            f2, i2 = run(f"restart {n}", [], env, FILES[0])
            check(f"restart {n}: the frame did not move", f2 == frame, f"{frame} -> {f2}")
            check(f"restart {n}: the window kept its size", i2 == inside, f"{inside} -> {i2}")
            now = settings(ini)
            check(f"restart {n}: place, size and pane sizes are kept", now == saved, f"{saved} -> {now}")
    finally:
        wm.terminate()
        try:
            wm.wait(5)
        except subprocess.TimeoutExpired:
            wm.kill()
    return finish()


if __name__ == "__main__":
    sys.exit(main())
