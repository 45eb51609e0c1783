#!/usr/bin/env python3
"""Pointer and keys for the Wayland journeys: a virtual pointer and keyboard on the compositor's
seat where it offers them (sway, whose headless seat has no devices), KWin's fake input otherwise.
Usage: wayland_input.py DIR [--layout WxH] COMMAND..., protocol modules generated into DIR.
  at X Y      pointer to X, Y of the output layout (WxH, default 1440x900)
  by DX DY    pointer moved by DX, DY
  press, release       left button; right-click: right button pressed and released
  shift, unshift       Shift held down, let go
  down, return         that key pressed and released
  pause MS
Each command is sent and taken by the compositor before the next, with a pause after it for the
client to follow."""
import os, subprocess, sys, time

out, words = sys.argv[1], sys.argv[2:]
width, height = 1440, 900
if words[:1] == ["--layout"]:
    (width, height), words = map(int, words[1].split("x")), words[2:]
if not os.path.isdir(f"{out}/protocols"):
    here, kde = os.path.dirname(__file__), "/usr/share/plasma-wayland-protocols/fake-input.xml"
    subprocess.run([sys.executable, "-m", "pywayland.scanner", "-o", f"{out}/protocols", "-i",
                    "/usr/share/wayland/wayland.xml", f"{here}/protocols/virtual-pointer.xml",
                    f"{here}/protocols/virtual-keyboard.xml", *[kde][:os.path.exists(kde)]],
                   check=True, capture_output=True)
sys.path.insert(0, out)
from pywayland.client import Display

display = Display()
display.connect()
registry, offered = display.get_registry(), {}
registry.dispatcher["global"] = lambda r, name, interface, v: offered.setdefault(interface, name)
display.roundtrip()
now = lambda: int(time.monotonic() * 1000) & 0xFFFFFFFF
if "zwlr_virtual_pointer_manager_v1" in offered:
    from protocols.wayland import WlSeat
    from protocols.wlr_virtual_pointer_unstable_v1 import ZwlrVirtualPointerManagerV1 as Pointers
    from protocols.virtual_keyboard_unstable_v1 import ZwpVirtualKeyboardManagerV1 as Keyboards
    seat = registry.bind(offered["wl_seat"], WlSeat, 1)
    pointer = registry.bind(offered[Pointers.name], Pointers, 1).create_virtual_pointer(seat)
    keyboard = registry.bind(offered[Keyboards.name], Keyboards, 1).create_virtual_keyboard(seat)
    # The default keymap (evdev rules, pc105, us), in a file as the protocol asks.
    keymap = (b'xkb_keymap { xkb_keycodes { include "evdev+aliases(qwerty)" }; xkb_types { include'
              b' "complete" }; xkb_compat { include "complete" }; xkb_symbols { include'
              b' "pc+us+inet(evdev)" }; };\0')
    fd = os.memfd_create("keymap")
    os.write(fd, keymap)
    keyboard.keymap(1, fd, len(keymap))
    def move(x, y, absolute):
        if absolute:
            pointer.motion_absolute(now(), int(x), int(y), width, height)
        else:
            pointer.motion(now(), x, y)
        pointer.frame()
    button = lambda code, state: (pointer.button(now(), code, state), pointer.frame())
    key = lambda code, state: keyboard.key(now(), code, state)
    shift = lambda down: keyboard.modifiers(down, 0, 0, 0)  # Shift: the keymap's first modifier
else:
    from protocols.fake_input import OrgKdeKwinFakeInput as FakeInput
    fake = registry.bind(offered[FakeInput.name], FakeInput, 4)
    fake.authenticate("wayland_input.py", "the journeys' pointer and keys")
    move = lambda x, y, absolute: (fake.pointer_motion_absolute if absolute
                                   else fake.pointer_motion)(x, y)
    button, key = fake.button, fake.keyboard_key
    shift = lambda down: key(42, down)  # KEY_LEFTSHIFT
display.roundtrip()

# Linux input codes: BTN_LEFT, BTN_RIGHT, KEY_DOWN, KEY_ENTER.
commands = {"at": lambda x, y: move(x, y, True), "by": lambda x, y: move(x, y, False),
            "press": lambda: button(0x110, 1), "release": lambda: button(0x110, 0),
            "right-click": lambda: (button(0x111, 1), button(0x111, 0)),
            "shift": lambda: shift(1), "unshift": lambda: shift(0),
            "down": lambda: (key(108, 1), key(108, 0)), "return": lambda: (key(28, 1), key(28, 0)),
            "pause": lambda ms: time.sleep(ms / 1000)}
while words:
    command = commands[words[0]]
    count = command.__code__.co_argcount
    command(*map(float, words[1:1 + count]))
    words = words[1 + count:]
    if display.roundtrip() < 0:
        sys.exit("wayland_input.py: the compositor went away")
    time.sleep(0.03)
os._exit(0)  # pywayland crashes at the interpreter's exit
