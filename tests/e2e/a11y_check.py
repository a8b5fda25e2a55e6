"""What a screen reader and a keyboard-only user meet in the running program.

Walks the four windows over AT-SPI and fails on a nameless control that takes
the focus or shows itself with a role, on a wrong role, on a stop Tab never
reaches and on a key that changes nothing; drives the whole journey with key
presses only; measures the focus ring on screenshots; dumps each window's tree.
Usage: a11y_check.py PROGRAM DUMP_FILE SHOTS_FOLDER
"""
import os
import subprocess
import sys
import time

import pyatspi
from PIL import Image

from a11y_lib import Failure, contrast, date_of, dump, fail, walk

PROGRAM, DUMP, SHOTS = sys.argv[1:4]
STATE = pyatspi
ROLE_OF = {
    "Apagar el sistema": "check box", "Reiniciar el sistema": "check box",
    "Reiniciar la sesión": "check box", "Forzar": "check box",
    "Aumentar la hora": "push button", "Disminuir la hora": "push button",
    "Aumentar los minutos": "push button", "Disminuir los minutos": "push button",
    "Elegir la fecha en el calendario": "push button", "Seleccionar fecha": "radio button",
    "Siempre": "radio button", "Barra de herramientas": "tool bar",
}
TOOLBAR = ["Ejecutar al iniciar windows", "No ejecutar al iniciar windows",
           "Ocultar el formulario", "Cerrar la aplicación", "Ayuda", "Acerca de Vodivuri"]
WEEK = ["lunes", "martes", "miércoles", "jueves", "viernes", "sábado", "domingo"]


def poll(what, condition, seconds=4.0):
    end = time.time() + seconds
    while True:
        try:
            value = condition()
        except Exception:  # an object gone while it was read
            value = None
        if value:
            return value
        if time.time() > end:
            fail(what)
        time.sleep(0.05)


def application():
    def find():
        for app in pyatspi.Registry.getDesktop(0):
            if app is not None and app.name == "vodivuri":
                return app
    return poll("the program is not on the accessibility bus", find, 15)


APP = None


def window(title, role=None):
    def find():
        APP.clear_cache()
        for w in APP:
            if w is not None and w.name == title and w.getState().contains(STATE.STATE_SHOWING):
                return w
    w = poll(f"the window «{title}» did not show", find)
    if role is not None and w.getRoleName() != role:
        fail(f"«{title}» is a {w.getRoleName()}, not a {role}")
    return w


def gone(title):
    def absent():
        APP.clear_cache()
        return all(w is None or w.name != title or not w.getState().contains(STATE.STATE_SHOWING)
                   for w in APP)
    poll(f"the window «{title}» did not close", absent)


def focused(win):
    win.clear_cache()
    found = None
    for a in walk(win):
        if a.getState().contains(STATE.STATE_FOCUSED):
            found = a
    return found


def key(name):
    subprocess.run(["xdotool", "key", "--delay", "0", name], check=True)


def press(name, win, what, condition):
    """A key that must change something: `condition` says what, and holds soon."""
    key(name)
    return poll(f"{name} did nothing in «{win.name}»: expected {what}", lambda: condition(win))


def focus_is(role, name=None):
    def check(win):
        f = focused(win)
        return f if f is not None and f.getRoleName() == role and (
            name is None or f.name == name) else None
    return check


def named(win, role, name):
    win.clear_cache()
    for a in walk(win):
        if a.getRoleName() == role and a.name == name:
            return a
    return None


def check_tree(win, expected_roles=None):
    """Names and roles of every object under the window."""
    win.clear_cache()
    for a in walk(win):
        if a is win:
            continue
        role, states = a.getRoleName(), a.getState()
        takes_focus = states.contains(STATE.STATE_FOCUSABLE)
        parent_role = a.parent.getRoleName() if a.parent is not None else ""
        # A blank day of the grid is a cell of the table, not a control.
        blank_cell = role == "table cell" and parent_role == "table" and not takes_focus
        if not a.name and (takes_focus or role != "filler") and not blank_cell:
            fail(f"a nameless {role} in «{win.name}» (focusable: {takes_focus})")
        if role in ("unknown", "invalid", "panel"):
            fail(f"«{a.name}» in «{win.name}» has the role {role}")
    for name, role in (expected_roles or {}).items():
        if named(win, role, name) is None:
            fail(f"no {role} «{name}» in «{win.name}»")


def identity(a):
    return (a.getRoleName(), a.name)


def tab_cycle(win, shots=None):
    """Tab all the way round: every stop met, back where it started."""
    win.clear_cache()
    stops = []
    for a in walk(win):
        s = a.getState()
        if not (s.contains(STATE.STATE_FOCUSABLE) and s.contains(STATE.STATE_SENSITIVE)
                and s.contains(STATE.STATE_SHOWING)):
            continue
        if a.parent is not None and a.parent.getRoleName() == "tool bar":
            continue  # the toolbar is one stop; its buttons go by the arrows
        if a.getRoleName() == "radio button" and not s.contains(STATE.STATE_CHECKED):
            continue  # the group is one stop, at the chosen option
        stops.append(identity(a))
    start = focused(win)
    seen, order = set(), []
    current = identity(start)
    for i in range(len(stops)):
        if shots is not None:
            shots.append((current, extents(focused(win)), shot(f"{len(shots):02d}")))
        before = current
        now = press("Tab", win, f"the focus to leave {before}",
                    lambda w: (f := focused(w)) is not None and identity(f) != before and f)
        current = identity(now)
        seen.add(identity(now.parent) if now.parent.getRoleName() == "tool bar" else current)
        order.append(current)
    missing = [s for s in stops if s not in seen]
    if missing:
        fail(f"Tab never reached {missing} in «{win.name}» (it went {order})")
    if current != identity(start):
        fail(f"Tab did not come round to {identity(start)} in «{win.name}»: {order}")
    return order


def extents(a):
    e = a.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    return (e.x, e.y, e.width, e.height)


def shot(name):
    path = os.path.join(SHOTS, f"focus-{name}.png")
    subprocess.run(["import", "-window", "root", path], check=True)
    return path


def ring_contrast(shots):
    """Each stop's ring against the same place with the focus far away."""
    results = []
    n = len(shots)
    for i, (who, (x, y, w, h), path) in enumerate(shots):
        ref = Image.open(shots[(i + n // 2) % n][2]).convert("RGB")
        img = Image.open(path).convert("RGB")
        changed = strong = 0
        for yy in range(y - 4, y + h + 4):
            for xx in range(x - 4, x + w + 4):
                a, b = img.getpixel((xx, yy)), ref.getpixel((xx, yy))
                if a != b:
                    changed += 1
                    strong += contrast(a, b) >= 3.0
        # A full two-pixel ring around (or just inside) the control's box.
        needed = int(0.9 * (4 * (w + h) - 32))
        results.append((who, strong, needed))
        if changed == 0:
            fail(f"nothing changes on the screen when {who} takes the focus")
        if strong < needed:
            fail(f"the ring of {who} stands out 3:1 on {strong} pixels, fewer than {needed}")
    return results


def journey():
    global APP
    APP = application()
    report = open(DUMP, "w")
    # The window hid itself at start; a second start shows it.
    poll("the window did not hide at start", lambda: all(
        w is None or not w.getState().contains(STATE.STATE_SHOWING) for w in APP))
    subprocess.run([PROGRAM, "--simulate"], check=True)
    main = window("Vodivuri", "frame")
    poll("the window shown is not active", lambda: main.getState().contains(STATE.STATE_ACTIVE))
    poll("the first stop has not the focus", lambda: focus_is("check box", "Apagar el sistema")(main))
    check_tree(main, ROLE_OF)
    bar = named(main, "tool bar", "Barra de herramientas")
    parts = [(c.getRoleName(), c.name) for c in bar]
    if parts != [("push button", n) for n in TOOLBAR]:
        fail(f"the toolbar's buttons are {parts}")

    press("space", main, "«Apagar el sistema» ticked",
          lambda w: named(w, "check box", "Apagar el sistema").getState().contains(
              STATE.STATE_CHECKED))
    for _ in range(3):
        key("Tab")
    poll("Tab ×3 is not on «Aumentar los minutos»",
         lambda: focus_is("push button", "Aumentar los minutos")(main))
    minutes = 30
    for _ in range(15):
        minutes += 1
        press("Up", main, f"Minutos: {minutes}",
              lambda w, m=minutes: named(w, "label", f"Minutos: {m}"))
    key("Tab"), key("Tab")
    poll("not on «Aumentar la hora»", lambda: focus_is("push button", "Aumentar la hora")(main))
    hour = 7
    for _ in range(8):
        hour = (hour - 1) % 24
        press("Down", main, f"Hora: {hour:02d}", lambda w, h=hour: named(w, "label", f"Hora: {h:02d}"))
    key("Tab"), key("Tab")
    poll("not on «Siempre»", lambda: focus_is("radio button", "Siempre")(main))
    press("Up", main, "«Seleccionar fecha» chosen and focused",
          lambda w: (f := focus_is("radio button", "Seleccionar fecha")(w)) and f.getState().contains(
              STATE.STATE_CHECKED))

    # Every stop once round, each one's ring on a screenshot.
    shots = []
    order = tab_cycle(main, shots)
    rings = ring_contrast(shots)
    report.write("== Vodivuri (main window), Tab from «Seleccionar fecha»: " + " → ".join(
        f"{r} «{n}»" for r, n in order) + "\n")
    for who, strong, needed in rings:
        report.write(f"   ring of {who}: {strong} px at ≥3:1 (needed {needed})\n")
    dump(main, report)

    # The calendar: Return on its arrow, a day chosen with the keys.
    key("Tab")  # from «Seleccionar fecha» to the calendar's arrow
    poll("not on the calendar's arrow",
         lambda: focus_is("push button", "Elegir la fecha en el calendario")(main))
    key("Return")
    cal = window("Calendario", "dialog")
    if not cal.getState().contains(STATE.STATE_MODAL):
        fail("the calendar is not modal")
    start = poll("no day has the focus", lambda: focus_is("table cell")(cal))
    check_tree(cal, {n: "table column header" for n in WEEK})
    table = named(cal, "table", "Calendario")
    if table is None:
        fail("the calendar has no table")
    t = table.queryTable()
    if (t.nRows, t.nColumns) != (6, 7) or t.getColumnHeader(0).name != "lunes":
        fail(f"the table is {t.nRows}×{t.nColumns}, first header {t.getColumnHeader(0).name}")
    if not start.getState().contains(STATE.STATE_SELECTED):
        fail("the day with the focus is not the selected one")
    cal_order = tab_cycle(cal)
    report.write("== Calendario, Tab: " + " → ".join(f"{r} «{n}»" for r, n in cal_order) + "\n")
    dump(cal, report, skip=lambda a: a.getRoleName() == "table cell" and not a.name)
    first = focused(cal).name
    press("Page_Down", cal, "the next month's day",
          lambda w: (f := focus_is("table cell")(w)) and f.name != first and f)
    day = press("Right", cal, "the day after",
                lambda w: (f := focus_is("table cell")(w)) and f.name not in (first,) and f)
    chosen = day.name
    with open(os.path.join(os.path.dirname(DUMP), "a11y-chosen.txt"), "w") as f:
        f.write(date_of(chosen))
    if "fecha elegida" in day.description and chosen == first:
        fail("the arrows did not move")
    key("Return")
    gone("Calendario")
    main = window("Vodivuri")
    poll(f"«Fecha programada» is not {chosen}",
         lambda: named(main, "label", f"Fecha programada: {chosen}"))
    # Opened again, Esc closes it and changes nothing.
    poll("the window did not come back to the calendar's arrow",
         lambda: focus_is("push button", "Elegir la fecha en el calendario")(main))
    key("Return")
    cal = window("Calendario", "dialog")
    poll("the calendar opened without the chosen day",
         lambda: (f := focus_is("table cell", chosen)(cal)) and "fecha elegida" in f.description)
    key("Escape")
    gone("Calendario")

    # About and Help from the toolbar.
    main = window("Vodivuri")
    poll("the focus did not come back", lambda: focus_is("push button")(main))
    press("Tab", main, "the toolbar's button", lambda w: focus_is("push button", TOOLBAR[0])(w))
    press("End", main, "«Acerca de Vodivuri»", focus_is("push button", TOOLBAR[5]))
    key("Return")
    about = window("Acerca de Vodivuri", "dialog")
    poll("the link has not the focus", lambda: focus_is("link")(about))
    check_tree(about)
    report.write("== Acerca de Vodivuri\n")
    dump(about, report)
    key("Escape")
    gone("Acerca de Vodivuri")
    main = window("Vodivuri")
    poll("not back on «Acerca de Vodivuri»", lambda: focus_is("push button", TOOLBAR[5])(main))
    press("Left", main, "«Ayuda»", focus_is("push button", TOOLBAR[4]))
    key("Return")
    helpw = window("Ayuda Vodivuri", "dialog")
    poll("«Siguiente» has not the focus", lambda: focus_is("link", "Siguiente")(helpw))
    check_tree(helpw)
    report.write("== Ayuda Vodivuri (page 1)\n")
    dump(helpw, report, skip=lambda a: not a.getState().contains(STATE.STATE_SHOWING))
    press("Return", helpw, "page 2", lambda w: named(w, "label", "Página 2 de 4").getState().contains(
        STATE.STATE_SHOWING))
    press("Tab", helpw, "the other link", focus_is("link", "Anterior"))
    key("Escape")
    gone("Ayuda Vodivuri")

    # «Salir»: the toolbar's fourth button, then Sí.
    main = window("Vodivuri")
    poll("not back on «Ayuda»", lambda: focus_is("push button", TOOLBAR[4])(main))
    press("Home", main, "the first button", focus_is("push button", TOOLBAR[0]))
    for name in TOOLBAR[1:4]:
        press("Right", main, f"«{name}»", focus_is("push button", name))
    report.write("== the toolbar's buttons by Right: " + ", ".join(TOOLBAR[:4]) + "\n")
    key("Return")

    def question():
        APP.clear_cache()
        for w in APP:
            if w is not None and w.getRoleName() in ("alert", "dialog") and w.name == "Vodivuri":
                return w
    box = poll("«Salir» asked nothing", question)
    poll("«Sí» has not the focus", lambda: focus_is("push button", "Sí")(box))
    key("Return")
    report.close()


if __name__ == "__main__":
    try:
        journey()
    except Failure as e:
        print(f"FALLO: {e}", file=sys.stderr)
        if APP is not None:
            APP.clear_cache()
            dump(APP, sys.stderr)
        sys.exit(1)
