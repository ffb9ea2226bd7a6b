"""What the end-to-end walks share: reading the window the way a screen
reader does (the accessibility bus) and pressing keys and clicking where the
screen shows a thing (xdotool). A walk imports it, records its findings with
check() and ends with finish()."""
import subprocess
import time

import pyatspi

# The views hold many items; labels, buttons and menus live elsewhere.
VIEWS = ("tree", "tree table", "list", "table", "text")
ITEMS = ("list item", "table cell", "tree item")

failures = []


def walk(acc, out=None, skip=()):
    """(role, name, accessible) of acc and everything below it, not going
    into the roles in skip."""
    if out is None:
        out = []
    try:
        role = acc.getRoleName()
        out.append((role, acc.name or "", acc))
        if role in skip:
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
            walk(child, out, skip)
    return out


def app():
    desk = pyatspi.Registry.getDesktop(0)
    for i in range(desk.childCount):
        a = desk.getChildAtIndex(i)
        if a is not None and (a.name or "").lower().startswith("navirt"):
            return a
    return None


def everything(skip=()):
    a = app()
    return walk(a, [], skip) if a else []


def labels():
    return [name for role, name, _ in everything(VIEWS + ("menu bar",)) if role == "label"]


def info_line():
    # The information line is the only label that holds " byte" and no "個".
    for name in labels():
        if " byte" in name and "個" not in name:
            return name
    return ""


_pane = []


def pane():
    """The window's one multi-line text box, found once: walking the whole
    window is slow."""
    if not _pane:
        for role, name, acc in everything():
            try:
                if role == "text" and acc.getState().contains(pyatspi.STATE_MULTI_LINE):
                    _pane.append(acc)
                    break
            except Exception:
                continue
    return _pane[0] if _pane else None


def pane_text():
    """The pane's text with its line separators as newlines."""
    try:
        t = pane().queryText()
        return t.getText(0, t.characterCount).replace("\u2028", "\n")
    except Exception:
        _pane.clear()
        return ""


def edit_texts():
    """The texts of every edit box of the application (dialogs included)."""
    out = []
    for role, name, acc in everything():
        if role == "text":
            try:
                t = acc.queryText()
                out.append(t.getText(0, t.characterCount))
            except Exception:
                pass
    return out


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


def type_text(text):
    subprocess.run(["xdotool", "type", "--delay", "60", text], check=True)


def click_at(acc):
    """Clicks acc where the screen shows it, a little in from its left edge
    (a list item's name starts there)."""
    ext = acc.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    subprocess.run(["xdotool", "mousemove", str(ext.x + min(ext.width // 2, 20)), str(ext.y + ext.height // 2),
                    "click", "1"], check=True)
    time.sleep(0.3)


def find_showing(names, roles, exact=False):
    """The first showing accessible of one of the roles whose name (without
    its "&") is, or starts with, one of names."""
    for role, n, acc in everything():
        if role not in roles:
            continue
        plain = n.replace("&", "")
        if not any(plain == x if exact else plain.startswith(x) for x in names):
            continue
        try:
            if acc.getState().contains(pyatspi.STATE_SHOWING):
                if acc.queryComponent().getExtents(pyatspi.DESKTOP_COORDS).width > 0:
                    return acc
        except Exception:
            continue
    return None


def click(names, roles, step, exact=False, timeout=10):
    """Clicks the first showing thing so named; a failure when none comes."""
    wait_until(lambda: find_showing(names, roles, exact) is not None, timeout)
    acc = find_showing(names, roles, exact)
    if acc is None:
        failures.append(f"{step}: nothing named {names} to click")
        return False
    click_at(acc)
    return True


def click_item(name):
    """Clicks the list item of that name where the screen shows it."""
    return click([name], ITEMS, f"the item {name!r}", exact=True, timeout=5)


def check(step, ok, detail=""):
    print(("ok   " if ok else "FAIL ") + step + ("" if ok else f": {detail}"), flush=True)
    if not ok:
        failures.append(f"{step}: {detail}")
    return ok


def finish():
    """Lists the failures; the walk's exit code."""
    for f in failures:
        print("FAIL", f)
    return 1 if failures else 0
