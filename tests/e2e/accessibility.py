#!/usr/bin/python3
"""Corkwallery as a screen reader meets it through AT-SPI (the system's Python, which has pyatspi).
Usage: accessibility.py PID COMMAND, for the program of process PID, where COMMAND is
  tree            a line "role|name|states|actions|description" for the application and each
                  image, card and push button in it
  do NAME ACTION  does ACTION of the object named NAME
  centre NAME     "x y", the centre of the object named NAME on the screen
A program that does not answer within 2 s fails the command."""
import sys

import pyatspi

pyatspi.setTimeout(2000, 2000)
pid, command, *args = sys.argv[1:]
app = next(a for a in pyatspi.Registry.getDesktop(0) if a.get_process_id() == int(pid))
shown = ("application", "image", "dialog", "notification", "push button")
objects = [app] + pyatspi.findAllDescendants(app, lambda o: o.getRoleName() in shown)


def actions(o):
    try:
        return [o.queryAction().getName(i) for i in range(o.queryAction().nActions)]
    except NotImplementedError:
        return []


if command == "tree":
    for o in objects:
        states = [s for s in ("focusable", "focused")
                  if o.getState().contains(getattr(pyatspi, "STATE_" + s.upper()))]
        print("|".join([o.getRoleName(), o.name, ",".join(states), ",".join(actions(o)),
                        o.description.replace("\n", "/")]))
else:
    o = next(o for o in objects if o.name == args[0])
    if command == "do":
        o.queryAction().doAction(actions(o).index(args[1]))
    else:
        x, y, w, h = o.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        print(x + w // 2, y + h // 2)
