"""Starts long jobs in the real window through its menus and keys and clicks
キャンセル in each job's progress window with the mouse (xdotool on an X
display): a descending sort, an HTML tag removal, the copy of a 1 GiB file
and a listing of the whole file system with its subfolders. Each must end at
once and leave things as a cancel should: the sort leaves the text as it was,
the removal keeps the lines so far and ends with "中断しました！", the copy
says it could not copy and leaves no file behind, the listing ends its
program and leaves the pane as it was. After each the window must take keys
again. Run through tests/e2e/xsession.sh."""
import os
import shutil
import subprocess
import sys
import tempfile
import time

import pyatspi

from screen import VIEWS, app, check, everything, failures, finish, info_line, key, walk
from screen import wait_until as wait_briefly

NAVIRT = sys.argv[1]
STOPPED = "中断しました！"


def wait_until(pred, timeout=20.0):  # a job keeps the machine busy: a little longer
    return wait_briefly(pred, timeout)


_pane = []


def pane():
    """The window's one multi-line text box (found once)."""
    if not _pane:
        a = app()
        stack = [a] if a else []
        while stack and not _pane:
            acc = stack.pop()
            try:
                if acc.getRoleName() == "text" and acc.getState().contains(pyatspi.STATE_MULTI_LINE):
                    _pane.append(acc)
                    break
                stack.extend(acc.getChildAtIndex(i) for i in range(acc.childCount))
            except Exception:
                continue
    return _pane[0] if _pane else None


def pane_ends(n=200):
    """The first and the last n characters of the pane (a large text is not
    read whole through the accessibility bus)."""
    for _ in range(3):
        try:
            t = pane().queryText()
            count = t.characterCount
            return t.getText(0, min(n, count)), t.getText(max(0, count - n), count), count
        except Exception:
            _pane.clear()
            time.sleep(0.3)
    return "", "", 0


def dialog_texts():
    """Labels and edit boxes of the dialogs open at the top of the application."""
    out = []
    a = app()
    for i in range(a.childCount if a else 0):
        d = a.getChildAtIndex(i)
        if d is None or d.getRoleName() not in ("dialog", "alert"):
            continue
        for role, name, acc in walk(d, [], VIEWS):
            if role == "label":
                out.append(name)
            elif role == "text":
                try:
                    t = acc.queryText()
                    out.append(t.getText(0, t.characterCount))
                except Exception:
                    pass
    return out


def showing(role_names, name):
    """Screen extents of the first showing item of that role and name."""
    for role, n, acc in everything(VIEWS):
        if role in role_names and n.replace("&", "") == name:
            try:
                if not acc.getState().contains(pyatspi.STATE_SHOWING):
                    continue
                ext = acc.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
            except Exception:
                continue
            if ext.width > 0 and ext.height > 0:
                return ext
    return None


def click_at(ext):
    subprocess.run(["xdotool", "mousemove", str(ext.x + ext.width // 2), str(ext.y + ext.height // 2), "click", "1"],
                   check=True)


def menu(*items):
    """Clicks through the menu bar and the menus to the item."""
    for item in items:
        ext = None
        if wait_until(lambda: showing(("menu item", "menu"), item) is not None, 10):
            time.sleep(0.5)  # a menu just opened may still be moving into place
            ext = showing(("menu item", "menu"), item)
        if ext is None:
            failures.append(f"no menu item {item!r} among {[n for r, n, _ in everything(VIEWS) if r == 'menu item']}")
            key("Escape", "Escape", "Escape")
            return False
        click_at(ext)
        time.sleep(0.4)
    return True


def select(name, folder):
    """Moves the list's cursor to the file by keys and waits for its preview."""
    names = sorted(os.listdir(folder))
    key("Home")
    for _ in range(names.index(name)):
        key("Down")
    return wait_until(lambda: info_line().startswith(name), 60)


def job_button():
    """Extents of キャンセル in a progress window: a dialog at the top of the
    application (looked for there only, so it is found within milliseconds)."""
    a = app()
    if a is None:
        return None
    try:
        for i in range(a.childCount):
            d = a.getChildAtIndex(i)
            if d is None or d.getRoleName() != "dialog":
                continue
            for role, name, acc in walk(d, [], VIEWS):
                if role == "push button" and name == "キャンセル" and acc.getState().contains(pyatspi.STATE_SHOWING):
                    ext = acc.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
                    if ext.width > 0:
                        return ext
    except Exception:
        return "busy"
    return None


def cancel_job(title, ended=None):
    """Waits for the progress window and clicks its キャンセル; the time from
    the click until the window is seen gone, or None. With ENDED, "ended"
    when the job finished before its window could be seen (an idle machine
    copies a cached 1 GiB file in well under a second)."""
    ext = None
    end = time.time() + 20
    while time.time() < end and (ext is None or ext == "busy"):
        ext = job_button()
        if (ext is None or ext == "busy") and ended is not None and ended():
            return "ended"
    if ext is None or ext == "busy":
        failures.append(f"{title}: no progress window with キャンセル appeared; pane ends {pane_ends(60)[1]!r}")
        return None
    click_at(ext)
    clicked = time.time()
    while job_button() is not None and time.time() < clicked + 20:
        time.sleep(0.01)
    if job_button() is not None:
        failures.append(f"{title}: the progress window stayed after キャンセル")
        return None
    return time.time() - clicked


def listing_children(parent):
    """The listing programs the window started and that still run."""
    found = []
    for pid in os.listdir("/proc"):
        if not pid.isdigit():
            continue
        try:
            with open(f"/proc/{pid}/stat") as f:
                stat = f.read()
        except OSError:
            continue
        name = stat[stat.find("(") + 1:stat.rfind(")")]
        fields = stat[stat.rfind(")") + 2:].split()
        if name == "navirt-dir" and int(fields[1]) == parent and fields[0] != "Z":
            found.append(int(pid))
    return found


def pane_settled():
    """Waits until a large file has filled the pane: its length holds still."""
    last = -1
    end = time.time() + 120
    while time.time() < end:
        count = pane_ends(1)[2]
        if count == last and count > 0:
            return True
        last = count
        time.sleep(1.0)
    return False


def screenshot(name):
    """The whole screen into SHOTS (when set), to see what a failed step saw."""
    shots = os.environ.get("SHOTS")
    if shots:
        subprocess.run(["import", "-window", "root", os.path.join(shots, name + ".png")])


def window_takes_keys(folder, step):
    # The list answers keys again: End goes to the last file.
    last = sorted(os.listdir(folder))[-1]
    key("End")
    # A command's output left in the pane is the user's work: moving on asks
    # whether to save it, and いいえ lets it go.
    def no_button():
        for role, n, acc in everything(VIEWS):
            if role == "push button" and n.replace("&", "").startswith(("いいえ", "No")):
                try:
                    if acc.getState().contains(pyatspi.STATE_SHOWING):
                        ext = acc.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
                        if ext.width > 0 and ext.height > 0:
                            return ext
                except Exception:
                    continue
        return None
    if wait_until(lambda: no_button() is not None, 5):
        click_at(no_button())
    ok = wait_until(lambda: info_line().startswith(last), 60)
    if not ok:
        failures.append(f"{step}: the list did not take End afterwards ({info_line()!r})")
    return ok


def main():
    work = tempfile.mkdtemp(prefix="navirt-cancel-")
    folder = os.path.join(work, "jobs")
    os.mkdir(folder)
    # 40 MiB of numbered lines for the sort (sorting is fast: a smaller one
    # may end before its window shows), 4,000,000 HTML lines and a
    # 1 GiB file to copy: each job lasts a few seconds.
    with open(os.path.join(folder, "a_sort.txt"), "wb") as f:
        lines, size, i = [], 0, 0
        while size < 40 << 20:
            line = b"%08d line\r\n" % ((i * 7919) % 10000019)
            lines.append(line)
            size += len(line)
            i += 1
        f.write(b"".join(lines))
    with open(os.path.join(folder, "b_page.html"), "wb") as f:
        f.write(b"x<BR>\r\n" * 4000000)
    with open(os.path.join(folder, "c_big.dat"), "wb") as f:
        block = bytes((i * 131 + 7) & 0xFF for i in range(1 << 20))
        for _ in range(1024):
            f.write(block)
    dest = os.path.join(work, "dest")
    os.mkdir(dest)
    # Files up to 64 MiB are previewed; the 1 GiB one shows its
    # information line only.
    with open(os.path.join(work, "navirt.ini"), "w") as f:
        f.write("[ReadMax]\nByte=67108864\n")
    with open(os.path.join(folder, "d_last.txt"), "wb") as f:
        f.write(b"last\r\n")
    env = dict(os.environ, NAVIRT_INI=os.path.join(work, "navirt.ini"))
    proc = subprocess.Popen([NAVIRT, folder + "/"], env=env)
    try:
        if not wait_until(lambda: app() is not None and info_line() != "", 30):
            print("the window never showed its information line", flush=True)
            return 1

        # The sort: キャンセル leaves the text as it was.
        if select("a_sort.txt", folder) and pane_settled():
            head, tail, count = pane_ends()
            if menu("編集(E)", "行の並び替え", "降順"):
                took = cancel_job("降順")
                if took is not None:
                    print(f"     降順: window seen gone {took * 1000:.0f} ms after the click", flush=True)
                    h2, t2, c2 = pane_ends()
                    check("降順: キャンセル leaves the text as it was", (h2, t2, c2) == (head, tail, count),
                          f"{h2[:30]!r} ... {t2[-30:]!r} ({c2} of {count})")
                window_takes_keys(folder, "降順")
        else:
            failures.append(f"a_sort.txt was never previewed ({info_line()!r})")

        # The HTML removal: the lines so far, then the stop line.
        if select("b_page.html", folder) and pane_settled():
            if menu("削除(K)", "htmlタグ削除", "標準削除"):
                took = cancel_job("html->テキスト")
                if took is not None:
                    print(f"     html->テキスト: window seen gone {took * 1000:.0f} ms after the click", flush=True)
                    # A busy accessibility bus may answer a large pane late.
                    seen = []

                    def stopped():
                        seen[:] = pane_ends()
                        head, tail = seen[0], seen[1]
                        return tail.rstrip("\r\n").endswith(STOPPED) and head.startswith("x") and "<BR>" not in head
                    check("html->テキスト: キャンセル keeps the lines so far and says so", wait_until(stopped, 30),
                          f"{seen[0][:20]!r} ... {seen[1][-30:]!r}")
                window_takes_keys(folder, "html->テキスト")
        else:
            failures.append(f"b_page.html was never previewed ({info_line()!r})")

        # The copy: it says it could not copy, and no file is left behind.
        if select("c_big.dat", folder):
            key("c")
            time.sleep(1)
            key("alt+t")  # the folder box, by its accelerator
            key("ctrl+a")
            subprocess.run(["xdotool", "type", "--delay", "60", dest], check=True)
            if wait_until(lambda: dest in dialog_texts(), 10):
                screenshot("copy-dialog")
                key("Return")
                took = cancel_job("ファイルのコピー", lambda: any("コピーしました" in t for t in dialog_texts()))
                if took == "ended":
                    print("skip ファイルのコピー: the copy ended before its window showed", flush=True)
                    copied = os.path.join(dest, "c_big.dat")
                    check("ファイルのコピー: a copy run to its end is whole",
                          os.path.exists(copied) and os.path.getsize(copied) == 1 << 30, f"{os.listdir(dest)!r}")
                    key("Return")
                elif took is not None:
                    print(f"     ファイルのコピー: window seen gone {took * 1000:.0f} ms after the click", flush=True)
                    wait_until(lambda: any("コピーできませんでした。" in t or "コピーしました" in t
                                           for t in dialog_texts()), 10)
                    if any("コピーしました" in t for t in dialog_texts()):
                        # The last piece was written before the click landed:
                        # then the copy must be whole, never cut short.
                        print("skip ファイルのコピー: the copy ended just before the click", flush=True)
                        copied = os.path.join(dest, "c_big.dat")
                        check("ファイルのコピー: a copy run to its end is whole",
                              os.path.exists(copied) and os.path.getsize(copied) == 1 << 30, f"{os.listdir(dest)!r}")
                        key("Return")
                    else:
                        said = any("コピーできませんでした。" in t for t in dialog_texts())
                        check("ファイルのコピー: キャンセル says it could not copy", said, f"{dialog_texts()!r}")
                        key("Return")
                        check("ファイルのコピー: キャンセル leaves no file behind", os.listdir(dest) == [],
                              f"{os.listdir(dest)!r}")
                else:
                    screenshot("copy-no-progress")
                window_takes_keys(folder, "ファイルのコピー")
            else:
                failures.append(f"copy: the folder box did not take the path: {dialog_texts()!r}")
                screenshot("copy-folder-box")
                key("Escape")
        else:
            failures.append(f"c_big.dat was never selected ({info_line()!r})")

        # The listing of every folder from the root: some hundred thousand
        # entries on any machine with a compiler, seconds of work even when
        # idle. キャンセル ends the listing program and leaves the pane.
        head, tail, count = pane_ends()
        line = info_line()
        if menu("情報(I)", "dirコマンド(I)", "dirコマンド-ダイレクト(R)"):
            if wait_until(lambda: any(t.endswith("/") for t in dialog_texts()), 10):
                key("ctrl+a")
                subprocess.run(["xdotool", "type", "--delay", "60", "/ /S"], check=True)
                if wait_until(lambda: "/ /S" in dialog_texts(), 10):
                    key("Return")
                    took = cancel_job("dirコマンド")
                    if took is not None:
                        print(f"     dirコマンド: window seen gone {took * 1000:.0f} ms after the click", flush=True)
                        # Run to its end, the listing takes seconds more.
                        check("dirコマンド: キャンセル ends the listing program at once",
                              took < 2.0 and wait_until(lambda: not listing_children(proc.pid), 5),
                              f"{took:.1f} s; still running: {listing_children(proc.pid)}")
                        h2, t2, c2 = pane_ends()
                        check("dirコマンド: キャンセル leaves the pane and its line as they were",
                              (h2, t2, c2, info_line()) == (head, tail, count, line),
                              f"{h2[:30]!r} ... {t2[-30:]!r} ({c2} of {count}), {info_line()!r}")
                    window_takes_keys(folder, "dirコマンド")
                else:
                    failures.append(f"dirコマンド: the folder box did not take the arguments: {dialog_texts()!r}")
                    key("Escape")
            else:
                failures.append(f"dirコマンド: no folder prompt: {dialog_texts()!r}")
                key("Escape")
    finally:
        # Escape in the list closes the window.
        subprocess.run(["xdotool", "key", "Escape"])
        try:
            proc.wait(10)
        except subprocess.TimeoutExpired:
            proc.kill()
            failures.append("the window did not close on Escape")
        shutil.rmtree(work, ignore_errors=True)  # a gigabyte of test files
    return finish()


if __name__ == "__main__":
    sys.exit(main())
