"""Edits a file in the real window with real key presses and clicks (xdotool
on an X display) and checks that the work is not lost: moving the selection
asks "変更を保存しますか？", キャンセル keeps the edit and the file selected;
a line command (sort) is then undone with Ctrl+Z and redone with
Ctrl+Shift+Z; closing by 終了 asks again and いいえ leaves the file as it was.
Run through tests/e2e/xsession.sh."""
import os
import subprocess
import sys
import tempfile
import time

import pyatspi

NAVIRT = sys.argv[1]
ORIGINAL = "pear\r\napple\r\npear\r\n"
failures = []


def walk(acc, out, into_views=True):
    try:
        role = acc.getRoleName()
        out.append((role, acc.name or "", acc))
        if not into_views and role in ("tree", "tree table", "list", "table", "text", "menu bar"):
            return out
        n = acc.childCount
    except Exception:
        return out
    for i in range(n):
        try:
            child = acc.getChildAtIndex(i)
        except Exception:
            continue
        if child is not None:
            walk(child, out, into_views)
    return out


def app():
    desk = pyatspi.Registry.getDesktop(0)
    for i in range(desk.childCount):
        a = desk.getChildAtIndex(i)
        if a is not None and (a.name or "").lower().startswith("navirt"):
            return a
    return None


def labels():
    a = app()
    return [name for role, name, _ in walk(a, [], False) if role == "label"] if a else []


def info_line():
    for name in labels():
        if " byte" in name and "個" not in name:
            return name
    return ""


_pane = []


def pane():
    if not _pane:
        a = app()
        for role, name, acc in walk(a, []) if a else []:
            if role == "text" and acc.getState().contains(pyatspi.STATE_MULTI_LINE):
                _pane.append(acc)
                break
    return _pane[0] if _pane else None


def pane_text():
    try:
        t = pane().queryText()
        return t.getText(0, t.characterCount).replace("\u2028", "\n")
    except Exception:
        _pane.clear()
        return ""


def wait_until(pred, timeout=15.0):  # a loaded machine answers late
    end = time.time() + timeout
    while time.time() < end:
        if pred():
            return True
        time.sleep(0.2)
    return pred()


def key(*keys):
    subprocess.run(["xdotool", "key", "--delay", "80", *keys], check=True)
    time.sleep(0.3)


def click_at(acc):
    ext = acc.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    subprocess.run(["xdotool", "mousemove", str(ext.x + min(ext.width // 2, 20)), str(ext.y + ext.height // 2),
                    "click", "1"], check=True)
    time.sleep(0.3)


def find_showing(names, roles):
    a = app()
    for role, n, acc in walk(a, []) if a else []:
        if role in roles and any(n.replace("&", "") .startswith(x) for x in names):
            try:
                if acc.getState().contains(pyatspi.STATE_SHOWING):
                    ext = acc.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
                    if ext.width > 0:
                        return acc
            except Exception:
                continue
    return None


def click(names, roles, step):
    acc = None
    wait_until(lambda: find_showing(names, roles) is not None, 10)
    acc = find_showing(names, roles)
    if acc is None:
        failures.append(f"{step}: nothing named {names} to click")
        return False
    click_at(acc)
    return True


def question_shown():
    return any("変更を保存しますか" in n for n in labels())


def check(step, ok, detail=""):
    print(("ok   " if ok else "FAIL ") + step, flush=True)
    if not ok:
        failures.append(f"{step}: {detail}")


def main():
    work = tempfile.mkdtemp(prefix="navirt-edit-")
    folder = os.path.join(work, "files")
    os.mkdir(folder)
    a_txt = os.path.join(folder, "a.txt")
    with open(a_txt, "wb") as f:
        f.write(ORIGINAL.encode())
    with open(os.path.join(folder, "b.txt"), "wb") as f:
        f.write(b"other\r\n")
    env = dict(os.environ, NAVIRT_INI=os.path.join(work, "navirt.ini"))
    proc = subprocess.Popen([NAVIRT, a_txt], env=env)
    try:
        if not wait_until(lambda: app() is not None and info_line().startswith("a.txt"), 20):
            print("the window never previewed a.txt:", labels(), flush=True)
            return 1
        # Edit mode by its menu item, then type at the start of the text.
        click(["編集(E)"], ("menu item",), "the 編集 menu")
        click(["簡易編集する"], ("menu item",), "edit mode item")
        if pane() is None:
            check("the pane is there", False, "no pane")
            return 1
        click_at(pane())
        key("ctrl+Home")
        subprocess.run(["xdotool", "type", "--delay", "60", "new "], check=True)
        check("typed into the pane", wait_until(lambda: pane_text().startswith("new pear\napple")), pane_text())

        # Down in the list asks; キャンセル keeps the edit and the selection.
        click(["a.txt"], ("list item", "table cell", "tree item"), "a.txt in the list")
        key("Down")
        check("moving on asks", wait_until(question_shown), labels())
        click(["キャンセル", "Cancel"], ("push button",), "キャンセル")
        check("the edit is still there", wait_until(lambda: not question_shown() and
                                                  pane_text().startswith("new pear")), pane_text())
        check("a.txt is still the file shown", info_line().startswith("a.txt"), info_line())

        # A line command, undone and redone by keys.
        click(["編集(E)"], ("menu item",), "the 編集 menu")
        click(["行の並び替え"], ("menu item", "menu"), "sort submenu")
        click(["昇順"], ("menu item",), "昇順")
        check("sorted", wait_until(lambda: pane_text().startswith("apple\nnew pear\npear")), pane_text())
        click_at(pane())
        key("ctrl+z")
        check("Ctrl+Z undoes the sort", wait_until(lambda: pane_text().startswith("new pear\napple\npear")),
              pane_text())
        key("ctrl+shift+z")
        check("Ctrl+Shift+Z redoes it", wait_until(lambda: pane_text().startswith("apple\nnew pear")), pane_text())
        key("ctrl+z")
        check("undone again", wait_until(lambda: pane_text().startswith("new pear\napple")), pane_text())
    finally:
        # Closing (ファイル / 終了) asks too; いいえ drops the edit and the
        # file stays as it was.
        click(["ファイル(F)"], ("menu item",), "the ファイル menu")
        click(["終了"], ("menu item",), "終了")
        asked = wait_until(question_shown, 10)
        check("closing asks", asked, labels())
        if asked:
            click(["いいえ", "No"], ("push button",), "いいえ")
        try:
            proc.wait(15)
        except subprocess.TimeoutExpired:
            proc.kill()
            failures.append("the window did not close")
    with open(a_txt, "rb") as f:
        check("a.txt is unchanged on disk", f.read() == ORIGINAL.encode())
    for f in failures:
        print("FAIL", f)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
