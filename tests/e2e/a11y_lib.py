"""Helpers of the accessibility check: the tree, contrast, Spanish dates."""
import pyatspi


class Failure(Exception):
    pass


def fail(message):
    raise Failure(message)


def walk(acc):
    yield acc
    for child in acc:
        if child is not None:
            yield from walk(child)


SHOWN_STATES = ("focusable", "focused", "checked", "sensitive", "selected", "selectable",
                "modal", "showing")


def dump(acc, out, depth=0, skip=lambda a: False):
    """One line per object: role, name, description, the states that matter."""
    states = [pyatspi.stateToString(s) for s in acc.getState().getStates()]
    shown = [s for s in states if s in SHOWN_STATES]
    desc = f" — {acc.description}" if acc.description else ""
    out.write(f"{'  ' * depth}{acc.getRoleName()} «{acc.name}»{desc} [{', '.join(shown)}]\n")
    for child in acc:
        if child is not None and not skip(child):
            dump(child, out, depth + 1, skip)


def _channel(c):
    v = c / 255.0
    return v / 12.92 if v <= 0.04045 else ((v + 0.055) / 1.055) ** 2.4


def luminance(rgb):
    r, g, b = (_channel(c) for c in rgb[:3])
    return 0.2126 * r + 0.7152 * g + 0.0722 * b


def contrast(a, b):
    la, lb = luminance(a), luminance(b)
    return (max(la, lb) + 0.05) / (min(la, lb) + 0.05)


MONTHS = ["enero", "febrero", "marzo", "abril", "mayo", "junio", "julio", "agosto",
          "septiembre", "octubre", "noviembre", "diciembre"]


def date_of(name):
    """"lunes, 8 de febrero de 2027" as the settings store it: "08/02/2027"."""
    words = name.split(", ", 1)[1].split(" de ")
    day, month, year = int(words[0]), words[1].lower(), int(words[2])
    index = 9 if month == "setiembre" else MONTHS.index(month) + 1
    return f"{day:02d}/{index:02d}/{year:04d}"
