#!/usr/bin/python3
"""Reads the running program through the desktop's accessibility bus, as a
screen reader does: starts it under Xvfb with a session bus and the AT-SPI
bus, finds the schedule by its table role, reads the resources and a
booking, moves the current cell with the arrow keys and reads it again.

Usage: atspi_e2e.py PROGRAM. Exits 77 (skipped) when no accessibility bus can
be started here, except under CI, where that is a failure."""
import datetime
import os
import random
import shutil
import sqlite3
import subprocess
import sys
import tempfile
import time

SKIP = 77


def give_up(reason):
    print("cannot run: " + reason)
    sys.exit(1 if os.environ.get("CI") else SKIP)


def outer(program):
    """Starts this script again inside Xvfb and a session bus of its own."""
    for tool in ("xvfb-run", "dbus-run-session", "xdotool"):
        if not shutil.which(tool):
            give_up(tool + " is not installed")
    launcher = next((p for p in ("/usr/libexec/at-spi-bus-launcher",
                                 "/usr/lib/at-spi2-core/at-spi-bus-launcher") if os.path.exists(p)), None)
    if not launcher:
        give_up("at-spi2-core is not installed")
    try:
        import pyatspi  # noqa: F401
    except ImportError:
        give_up("python3-pyatspi is not installed")
    env = dict(os.environ, TARVELO_ATSPI_LAUNCHER=launcher)
    # A display number of its own: parallel runs must not meet on :99.
    run = subprocess.run(["xvfb-run", "-a", "-n", str(random.randint(100, 999)), "-s", "-screen 0 1280x900x24", "dbus-run-session", "--",
                          sys.executable, os.path.abspath(__file__), "--inner", program], env=env)
    sys.exit(run.returncode)


def wait_for(what, probe, seconds=60):
    end = time.time() + seconds
    while time.time() < end:
        found = probe()
        if found:
            return found
        time.sleep(0.2)
    raise AssertionError("timed out waiting for " + what)


def walk(node, skip_tables=True):
    """The tree below node, without the cells of tables."""
    for i in range(node.childCount):
        child = node.getChildAtIndex(i)
        if child is None:
            continue
        yield child
        if not (skip_tables and child.getRole() == ROLE_TABLE):
            yield from walk(child, skip_tables)


def inner(program):
    global ROLE_TABLE
    launcher = subprocess.Popen([os.environ["TARVELO_ATSPI_LAUNCHER"], "--launch-immediately"])
    time.sleep(1)
    if launcher.poll() is not None:
        give_up("the AT-SPI bus did not start")
    import pyatspi
    ROLE_TABLE = pyatspi.ROLE_TABLE
    home = tempfile.mkdtemp(prefix="tarvelo-atspi-")
    app = None
    try:
        # A database with the sample clinic, opened on this week's Monday.
        for args in (["--create-database", os.path.join(home, "Tarvelo.db")], ["--load-sample"]):
            subprocess.run([program, "--home", home] + args, check=True, stdout=subprocess.DEVNULL)
        today = datetime.date.today()
        monday = today - datetime.timedelta(days=today.weekday())
        with open(os.path.join(home, "tarvelo.ini"), "a") as ini:
            ini.write("[Config]\nLastDate=%d\nTimeType=0\n" % (monday - datetime.date(1900, 1, 1)).days)
        env = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_ACCESSIBILITY="1",
                   QT_QPA_PLATFORM="xcb")
        # The display must answer before the program connects to it.
        wait_for("the X display", lambda: subprocess.run(
            ["xdotool", "getdisplaygeometry"], stdout=subprocess.DEVNULL,
            stderr=subprocess.DEVNULL).returncode == 0 or None, 30)
        # Now and then the first connection to a fresh Xvfb is refused: the
        # program is started again when it ends at once.
        for attempt in range(5):
            app = subprocess.Popen([program, "--home", home], env=env)
            try:
                app.wait(3)
            except subprocess.TimeoutExpired:
                break
            print("the program ended at once (exit %s); starting it again" % app.returncode)
            time.sleep(1)

        def find_app():
            desktop = pyatspi.Registry.getDesktop(0)
            for i in range(desktop.childCount):
                a = desktop.getChildAtIndex(i)
                if a is not None and a.get_process_id() == app.pid:
                    return a
            return None
        accessible = wait_for("the program on the accessibility bus", find_app)

        wait_for("the main window", lambda: any(n.getRole() == pyatspi.ROLE_MENU_BAR
                                                 for n in walk(accessible)))
        time.sleep(2)  # the legend and the schedule fill in
        # What a screen reader finds in a window (the table's cells not counted).
        interactive = {pyatspi.ROLE_PUSH_BUTTON, pyatspi.ROLE_TOGGLE_BUTTON, pyatspi.ROLE_CHECK_BOX,
                       pyatspi.ROLE_COMBO_BOX, pyatspi.ROLE_SLIDER, pyatspi.ROLE_SPIN_BUTTON,
                       pyatspi.ROLE_MENU_ITEM, pyatspi.ROLE_MENU, pyatspi.ROLE_TEXT,
                       pyatspi.ROLE_TABLE, pyatspi.ROLE_LIST, pyatspi.ROLE_PAGE_TAB, pyatspi.ROLE_LABEL}

        def count_names(title, root):
            counted = [n for n in walk(root) if n.getRole() in interactive]
            unnamed = [n.getRoleName() for n in counted if not n.name]
            for n in counted:
                if not n.name:
                    chain, p = [], n.parent
                    while p is not None and len(chain) < 6:
                        chain.append("%s:%s" % (p.getRoleName(), p.name))
                        p = p.parent
                    print("unnamed %s under %s" % (n.getRoleName(), " < ".join(chain)))
            print("%s: %d controls, %d named, %d unnamed (%s)"
                  % (title, len(counted), len(counted) - len(unnamed), len(unnamed),
                     ", ".join(sorted(unnamed))))
            assert not unnamed, "controls without a name: %s" % ", ".join(sorted(unnamed))
        count_names("main window", accessible)

        def find_table():
            return next((n for n in walk(accessible) if n.getRole() == pyatspi.ROLE_TABLE), None)
        table_node = wait_for("the schedule's table", find_table)
        table = table_node.queryTable()
        wait_for("the schedule's rows", lambda: table.nRows > 0)

        rows = [table.getRowDescription(r) for r in range(table.nRows)]
        print("resources:", rows)
        assert all(rows), rows

        def cell(r, c):
            return table.getAccessibleAt(r, c)
        booking = next((cell(r, c).name for r in range(table.nRows) for c in range(table.nColumns)
                        if cell(r, c).name and not cell(r, c).name.startswith("Free")), None)
        print("a booking:", booking)
        assert booking and rows and any(", %s, " % row in booking for row in rows), booking

        def current():
            for r in range(table.nRows):
                for c in range(table.nColumns):
                    node = cell(r, c)
                    if node.getState().contains(pyatspi.STATE_FOCUSED):
                        return (r, c, node.name)
            return None
        # Without a window manager nothing gives the window the keyboard:
        # it is given here, then the schedule takes the focus as a reader asks.
        subprocess.run(["xdotool", "search", "--sync", "--onlyvisible", "--pid", str(app.pid),
                        "--name", ".", "windowfocus", "--sync"], check=True, timeout=30)
        table_node.queryComponent().grabFocus()
        first = wait_for("a focused cell", current)
        print("current cell:", first)
        pyatspi.Registry.generateKeyboardEvent(0xff53, None, pyatspi.KEY_SYM)  # Right
        moved = wait_for("the next cell", lambda: (lambda c: c if c and c != first else None)(current()))
        print("after Right:", moved)
        assert moved[0] == first[0] and moved[1] == first[1] + 1, (first, moved)
        pyatspi.Registry.generateKeyboardEvent(0xff54, None, pyatspi.KEY_SYM)  # Down
        below = wait_for("the row below", lambda: (lambda c: c if c and c != moved else None)(current()))
        print("after Down:", below)
        assert below[0] == moved[0] + 1 and rows[below[0]] in below[2], below

        # A type dragged from the legend over free time and let go after Esc
        # books nothing and opens no window.
        def centre(node):
            box = node.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
            return box.x + box.width // 2, box.y + box.height // 2
        legend = next(n for n in walk(accessible)
                      if n.getRole() in (pyatspi.ROLE_LABEL, pyatspi.ROLE_PUSH_BUTTON) and
                      n.name == booking.split(",")[0])
        free = next(cell(r, c) for r in range(table.nRows) for c in range(table.nColumns)
                    if cell(r, c).name.startswith("Free") and
                    cell(r, c).queryComponent().getExtents(pyatspi.DESKTOP_COORDS).width > 4)
        windows = accessible.childCount
        count = "select count(*) from tblBookings"
        db = sqlite3.connect(os.path.join(home, "Tarvelo.db"))
        stored = db.execute(count).fetchone()
        x, y = centre(legend)
        tx, ty = centre(free)
        moves = [["mousemove", str(x + (tx - x) * i // 5), str(y + (ty - y) * i // 5), "sleep", "0.2"]
                 for i in range(1, 6)]
        subprocess.run(["xdotool", "mousemove", str(x), str(y), "mousedown", "1", "sleep", "0.3"]
                       + sum(moves, []) + ["key", "Escape", "sleep", "0.5", "mouseup", "1",
                                           "sleep", "1"], check=True, timeout=30)
        assert accessible.childCount == windows, "a window opened"
        assert db.execute(count).fetchone() == stored, "a booking was made"
        print("drag cancelled by Esc: nothing booked")

        # Enter on the current cell opens the booking dialog, which a reader
        # finds with every control named; Esc closes it again.
        table_node.queryComponent().grabFocus()
        wait_for("a focused cell", current)
        pyatspi.Registry.generateKeyboardEvent(0xff0d, None, pyatspi.KEY_SYM)  # Return
        dialog = wait_for("the booking dialog", lambda: next(
            (accessible.getChildAtIndex(i) for i in range(accessible.childCount)
             if "Booking" in (accessible.getChildAtIndex(i).name or "") or
             "Appointment" in (accessible.getChildAtIndex(i).name or "")), None))
        time.sleep(1)
        count_names("booking dialog (%s)" % dialog.name, dialog)
        pyatspi.Registry.generateKeyboardEvent(0xff1b, None, pyatspi.KEY_SYM)  # Escape
        print("PASS")
    finally:
        if app:
            app.terminate()
            try:
                app.wait(10)
            except subprocess.TimeoutExpired:
                app.kill()
        launcher.terminate()
        shutil.rmtree(home, ignore_errors=True)


if __name__ == "__main__":
    if len(sys.argv) == 3 and sys.argv[1] == "--inner":
        inner(sys.argv[2])
    elif len(sys.argv) == 2:
        outer(sys.argv[1])
    else:
        print(__doc__)
        sys.exit(2)
