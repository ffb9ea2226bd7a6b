"""Walks the file list of the real window with real key presses and clicks
(xdotool on an X display) in every view style, and reads what a screen
reader sees: the information line must name the file under the cursor, the
pane must hold its text and the status bar must say "1 個選択". Then K makes
a folder and C copies a file into it, through their dialogs. Run through
tests/e2e/xsession.sh."""
import os
import subprocess
import sys
import tempfile
import time

from screen import (app, click_item, edit_texts, failures, finish, info_line, key, labels, pane_text, type_text,
                    wait_until)

NAVIRT = sys.argv[1]
FILES = ["a_first.txt", "b_second.txt", "c_third.txt", "d_fourth.txt", "e_fifth.txt"]


def expect(step, name):
    # The information line names the file, and the pane holds its text.
    shown = "テキスト %d" % FILES.index(name)
    ok = wait_until(lambda: info_line().startswith(name) and "1 個選択" in labels() and shown in pane_text())
    if not ok:
        failures.append(f"{step}: info line {info_line()!r}, selection {[l for l in labels() if '個選択' in l]}, "
                        f"pane {pane_text()[:40]!r}")
    print(("ok   " if ok else "FAIL ") + step, flush=True)


def main():
    work = tempfile.mkdtemp(prefix="navirt-walk-")
    folder = os.path.join(work, "list")
    os.mkdir(folder)
    for i, n in enumerate(FILES):
        with open(os.path.join(folder, n), "wb") as f:
            f.write(("テキスト %d\r\n" % i).encode("cp932"))
    env = dict(os.environ, NAVIRT_INI=os.path.join(work, "navirt.ini"))
    proc = subprocess.Popen([NAVIRT, folder + "/"], env=env)
    try:
        if not wait_until(lambda: app() is not None and FILES[0] in info_line(), 20):
            print("the window never previewed its first file:", labels(), flush=True)
            return 1
        # Icons flow in rows, the list and the details in columns.
        for style, pad, step in (("一覧", "KP_3", "Down"), ("大きいアイコン", "KP_1", "Right"),
                                 ("小さいアイコン", "KP_2", "Right"), ("詳細", "KP_4", "Down")):
            key(pad)
            key("Home")
            expect(f"{style}: Home", FILES[0])
            key(step, step)
            expect(f"{style}: {step} {step}", FILES[2])
            key("End")
            expect(f"{style}: End", FILES[-1])
            key("Home")
            expect(f"{style}: Home again", FILES[0])
            if click_item(FILES[3]):
                expect(f"{style}: click", FILES[3])
            # A menu opened with Alt takes the release of Alt with it.
            key("alt+f")
            key("Escape")
            if click_item(FILES[1]):
                expect(f"{style}: click after Alt+F", FILES[1])
            key(step)
            expect(f"{style}: {step} after Alt+F, Escape and a click", FILES[2])
        # Escape closes the menu, a second one leaves the menu bar.
        key("alt+f")
        key("Escape")
        key("Escape")
        key("Home")
        expect("Home after Alt+F, Escape, Escape", FILES[0])
        # File commands by their keys: K makes a folder through the input
        # box, C copies the selected file into it through the copy dialog.
        key("k")
        time.sleep(1)
        key("ctrl+a")
        type_text("made")
        key("Return")
        made = os.path.join(folder, "made")
        ok = wait_until(lambda: os.path.isdir(made), 10)
        print(("ok   " if ok else "FAIL ") + "K makes a folder", flush=True)
        if not ok:
            failures.append("K: no folder made")
        # Folders come first: Home, then Down is the first file again.
        key("Home", "Down")
        expect("Home, Down after K", FILES[0])
        key("c")
        time.sleep(1)
        key("alt+t")  # the folder box, by its accelerator
        key("ctrl+a")
        type_text(made)
        # Only with the path in the box: Return anywhere else could copy
        # into whatever folder the tree's type-ahead chose.
        if wait_until(lambda: made in edit_texts(), 5):
            key("Return")
        else:
            failures.append(f"C: the folder box did not take the path: {edit_texts()!r}")
            key("Escape")
        copied = os.path.join(made, FILES[0])
        ok = wait_until(lambda: os.path.isfile(copied), 10)
        print(("ok   " if ok else "FAIL ") + "C copies into it", flush=True)
        if not ok:
            failures.append("C: the file was not copied")
        elif open(copied, "rb").read() != open(os.path.join(folder, FILES[0]), "rb").read():
            failures.append("C: the copy differs")
        # Whatever box the copy left open (its report) goes with Return.
        key("Return")
    finally:
        # Escape in the list closes the window.
        subprocess.run(["xdotool", "key", "Escape"])
        try:
            proc.wait(10)
        except subprocess.TimeoutExpired:
            proc.kill()
            failures.append("the window did not close on Escape")
    return finish()


if __name__ == "__main__":
    sys.exit(main())
