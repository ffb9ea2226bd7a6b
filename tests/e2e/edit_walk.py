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

from screen import (app, check, click, click_at, failures, finish, info_line, key, labels, pane, pane_text, type_text,
                    wait_until)

NAVIRT = sys.argv[1]
ORIGINAL = "pear\r\napple\r\npear\r\n"


def question_shown():
    return any("変更を保存しますか" in n for n in labels())


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
        type_text("new ")
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
    return finish()


if __name__ == "__main__":
    sys.exit(main())
