"""Drops files onto an X window as a file manager does (the XDND protocol),
so wine turns the drop into WM_DROPFILES for the window under the point.
Usage: xdnd_drop.py WINDOW X Y PATH...   (X, Y on the screen; Unix paths)
Exits with 1 when the window refused the drop or did not finish it in 10 s."""

import sys
import time
import urllib.parse

from Xlib import X, Xatom, display
from Xlib.protocol import event


def main():
    target_id, x, y = int(sys.argv[1], 0), int(sys.argv[2]), int(sys.argv[3])
    uris = "".join("file://" + urllib.parse.quote(path) + "\r\n" for path in sys.argv[4:])
    screen = display.Display()
    atom = lambda name: screen.intern_atom(name)
    uri_list, selection, copy = atom("text/uri-list"), atom("XdndSelection"), atom("XdndActionCopy")
    target = screen.create_resource_object("window", target_id)
    source = screen.screen().root.create_window(0, 0, 1, 1, 0, X.CopyFromParent)
    source.set_selection_owner(selection, X.CurrentTime)

    aware = target.get_full_property(atom("XdndAware"), Xatom.ATOM)
    if aware is None:
        sys.exit("the window takes no drops")
    version = min(5, aware.value[0])

    def send(name, data):
        message = event.ClientMessage(window=target, client_type=atom(name),
                                      data=(32, [source.id] + data + [0] * (4 - len(data))))
        target.send_event(message)
        screen.flush()

    send("XdndEnter", [version << 24, uri_list])
    send("XdndPosition", [0, x << 16 | y, X.CurrentTime, copy])
    dropped = False
    deadline = time.monotonic() + 10
    while time.monotonic() < deadline:
        if not screen.pending_events():
            time.sleep(0.01)
            continue
        e = screen.next_event()
        if e.type == X.SelectionRequest:
            e.requestor.change_property(e.property, e.target, 8, uris.encode())
            e.requestor.send_event(event.SelectionNotify(
                time=e.time, requestor=e.requestor, selection=e.selection, target=e.target,
                property=e.property))
            screen.flush()
        elif e.type == X.ClientMessage and e.client_type == atom("XdndStatus"):
            if not e.data[1][1] & 1:
                sys.exit("the window refused the drop")
            if not dropped:
                send("XdndDrop", [0, X.CurrentTime])
                dropped = True
        elif e.type == X.ClientMessage and e.client_type == atom("XdndFinished"):
            return
    sys.exit("the drop did not finish")


main()
