#!/usr/bin/env python3
"""Reads the program's windows as a screen reader does, over AT-SPI (pyatspi).

Starts a copy of the program in a temporary folder (its data files are made there), then
opens the main window, the configuration dialog (every page), the address book's windows,
a composer, the address picker and the Find window through their accessible actions, as
an assistive tool would, and walks each window's accessible tree. Fails with the list of
the controls that take the keyboard focus but would be announced without a name, or with
a name of symbols or digits only ("->", "<<", "1").

Usage (under with_atspi.sh): accessible_tree.py PROGRAM
"""

import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

import pyatspi

# A call that opens a modal dialog is answered only when the dialog closes: such actions
# are sent with a short timeout, and the timeout is expected.
NORMAL_TIMEOUT_MS = 20000
MODAL_TIMEOUT_MS = 1500
WAIT_S = 60


def fail(text):
    print(text, file=sys.stderr)
    sys.exit(1)


def states(node):
    return node.getState()


def showing(node):
    # Shown, even where it lies outside the screen or under another window.
    return states(node).contains(pyatspi.STATE_VISIBLE)


def says_something(name):
    """A name tells a listener something when it holds a letter."""
    return any(c.isalpha() for c in (name or "").strip())


def children(node):
    try:
        return [c for c in node if c is not None]
    except Exception:  # a control destroyed while it was read
        return []


def describe(node):
    path = []
    n = node
    while n is not None and n.getRoleName() != "application":
        path.append(f"{n.getRoleName()} {n.name!r}")
        n = n.parent
    return " / ".join(reversed(path))


def unnamed_controls(window):
    """The shown controls that take the focus and have no telling name."""
    found = []

    def walk(node):
        if not showing(node):
            return
        if states(node).contains(pyatspi.STATE_FOCUSABLE) and not says_something(node.name):
            found.append(describe(node))
        for child in children(node):
            walk(child)

    walk(window)
    return found


def wait_for(what, probe):
    deadline = time.monotonic() + WAIT_S
    while time.monotonic() < deadline:
        try:
            found = probe()
        except Exception:  # the tree changes while it is read
            found = None
        if found:
            return found
        time.sleep(0.2)
    fail(f"timed out waiting for {what}")


def find(node, role, name=None, shown_only=True):
    if shown_only and not showing(node):
        return None
    if node.getRoleName() == role and (name is None or node.name == name):
        return node
    for child in children(node):
        hit = find(child, role, name, shown_only)
        if hit is not None:
            return hit
    return None


def press(node, modal=False):
    """The control's first action (Press, Toggle), as a screen reader's command does."""
    action = node.queryAction()
    if modal:
        pyatspi.setTimeout(MODAL_TIMEOUT_MS, MODAL_TIMEOUT_MS)
    try:
        action.doAction(0)
    except Exception:
        if not modal:
            raise
    finally:
        pyatspi.setTimeout(NORMAL_TIMEOUT_MS, NORMAL_TIMEOUT_MS)


def fresh(window):
    """Forgets what the AT-SPI library cached of `window`: a window shown again (the
    address list serves both as the picker and as the address book) may not report every
    child whose showing changed while it was hidden."""
    window.clear_cache()
    return window


def shown_controls(window):
    found = []

    def walk(node):
        if showing(node):
            if states(node).contains(pyatspi.STATE_FOCUSABLE):
                found.append((node.getRoleName(), node.name))
            for child in children(node):
                walk(child)

    walk(window)
    return found


def settled(window):
    """`window` once its shown controls stay the same for a moment (a window may show
    parts of itself after it appeared)."""
    last = None
    deadline = time.monotonic() + WAIT_S
    while time.monotonic() < deadline:
        fresh(window)
        now = shown_controls(window)
        if now == last:
            return window
        last = now
        time.sleep(0.3)
    fail(f"{window.name!r} kept changing")


def open_dialog(program, control, modal=False):
    """Presses `control` and returns the dialog it opens."""
    before = {w.name for w in program.windows() if w.getRoleName() == "dialog"}
    press(control, modal)
    return settled(wait_for(f"a window from {control.name!r}", lambda: next(
        (w for w in program.windows() if w.getRoleName() == "dialog" and w.name not in before), None)))


def close_dialog(program, dialog, *buttons):
    """Closes `dialog` by the first of `buttons` it holds."""
    name = fresh(dialog).name
    closer = next((b for b in (find(dialog, "push button", n) for n in buttons) if b is not None), None)
    if closer is None:
        shown = []

        def collect(node):
            if node.getRoleName() == "push button":
                shown.append(node.name)
            for child in children(node):
                collect(child)

        collect(dialog)
        fail(f"no {' or '.join(buttons)} button in {name!r}, only {shown}")
    press(closer)
    wait_for(f"{name!r} to close", lambda: program.window("dialog", name) is None)


class Program:
    def __init__(self, program):
        self.folder = tempfile.mkdtemp(prefix="vellorn-a11y-")
        # A copy of its own, so that Config.dat and the mail box are made beside it.
        copy = os.path.join(self.folder, os.path.basename(program))
        shutil.copy2(program, copy)
        env = dict(os.environ)
        env.update({"QT_QPA_PLATFORM": "xcb", "QT_LINUX_ACCESSIBILITY_ALWAYS_ON": "1", "QT_ACCESSIBILITY": "1"})
        self.command = [copy]
        self.env = env
        self.starts = 0
        self.start()

    def start(self):
        self.starts += 1
        self.process = subprocess.Popen(self.command, cwd=self.folder, env=self.env, stdout=subprocess.DEVNULL)

    def started(self):
        """The program's accessible application once it is up. A fresh X server may refuse
        its first clients for a moment: a program that ended at once starts again."""
        if self.process.poll() is not None and self.starts < 5:
            time.sleep(1)
            self.start()
            return None
        return self.app()

    def app(self):
        for app in pyatspi.Registry.getDesktop(0):
            if app is not None and app.get_process_id() == self.process.pid:
                return app
        return None

    def windows(self):
        app = self.app()
        return [w for w in children(app) if showing(w)] if app is not None else []

    def window(self, role, name=None):
        for w in self.windows():
            if w.getRoleName() == role and (name is None or w.name == name):
                return w
        return None

    def stop(self):
        if self.process.poll() is None:
            self.process.send_signal(signal.SIGTERM)
            try:
                self.process.wait(10)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()
        shutil.rmtree(self.folder, ignore_errors=True)


def check(program):
    problems = []
    seen = []

    def read(title, window):
        seen.append(title)
        problems.extend(f"{title}: {line}" for line in unnamed_controls(window))

    app = wait_for("the program on the accessibility bus", program.started)
    if app is None:
        fail("the program did not appear on the accessibility bus")

    # The tips come first at start-up: read them, then close them.
    main = wait_for("the main window", lambda: program.window("frame"))
    tips = program.window("dialog", "Tips of the day")
    if tips is not None:
        read("Tips of the day", tips)
        press(find(tips, "push button", "Close"))
        wait_for("the tips to close", lambda: program.window("dialog", "Tips of the day") is None)
    read("main window", settled(main))

    # The configuration dialog from the Tools menu, every page of it.
    press(find(main, "menu item", "Options...", shown_only=False), modal=True)
    config = settled(wait_for("the configuration dialog", lambda: program.window("dialog", "Configuration")))
    tabs = find(config, "page tab list")
    for tab in [t for t in children(tabs) if t.getRoleName() == "page tab"]:
        press(tab)  # shows its page before it answers
        read(f"Configuration, {tab.name.strip()}", config)
    press(find(config, "push button", "Cancel"))
    wait_for("the configuration dialog to close", lambda: program.window("dialog", "Configuration") is None)

    # The address book's windows from the Tools menu (before the picker: the address list
    # keeps the Close button as the picker left it, hidden).
    for item in ("Add Address", "Address Book"):
        dialog = open_dialog(program, find(main, "menu item", item, shown_only=False), modal=True)
        read(f"{item} ({dialog.name})", dialog)
        close_dialog(program, dialog, "Cancel", "Close")

    # A new letter's composer from the File menu.
    before = {w.name for w in program.windows()}
    press(find(main, "menu item", "New", shown_only=False))
    composer = wait_for("a composer", lambda: next(
        (w for w in program.windows() if w.getRoleName() == "frame" and w.name not in before), None))
    read("composer", settled(composer))

    # The address picker from the composer's To button.
    to = wait_for("the composer's To button", lambda: find(composer, "push button", "Pick To recipients"))
    picker = open_dialog(program, to, modal=True)
    read(f"address picker ({picker.name})", picker)
    close_dialog(program, picker, "Cancel", "Close")

    # The composer's Find and Replace window.
    finder = open_dialog(program, find(composer, "menu item", "Find...", shown_only=False))
    read(f"find window ({finder.name})", finder)
    close_dialog(program, finder, "Close")

    print("read:", ", ".join(seen))
    if problems:
        fail("focusable controls without a telling accessible name:\n  " + "\n  ".join(problems))


def main():
    if len(sys.argv) != 2:
        fail(__doc__)
    pyatspi.setTimeout(NORMAL_TIMEOUT_MS, NORMAL_TIMEOUT_MS)
    program = Program(sys.argv[1])
    try:
        check(program)
    finally:
        program.stop()


if __name__ == "__main__":
    main()
