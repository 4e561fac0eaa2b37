# SPDX-License-Identifier: GPL-3.0-or-later
"""Takes a screenshot of KWin's whole workspace through its D-Bus interface,
on the session bus of the environment, and writes it as PNG.

    kwinshot.py FILE.png

KWin writes the raw image into a pipe and says its size and row length.
"""

import os
import subprocess
import sys

from gi.repository import Gio, GLib

bus = Gio.bus_get_sync(Gio.BusType.SESSION)
read_end, write_end = os.pipe()
fds = Gio.UnixFDList.new()
fds.append(write_end)  # a copy
os.close(write_end)
reply, _ = bus.call_with_unix_fd_list_sync(
    "org.kde.KWin", "/org/kde/KWin/ScreenShot2", "org.kde.KWin.ScreenShot2", "CaptureWorkspace",
    GLib.Variant("(a{sv}h)", ({}, 0)), GLib.VariantType("(a{sv})"), Gio.DBusCallFlags.NONE, 10000, fds, None)
del fds  # the image ends where KWin closes the last writing end
image = reply.unpack()[0]
data = bytearray()
while chunk := os.read(read_end, 1 << 20):
    data += chunk
width, height, stride = image["width"], image["height"], image["stride"]
rows = b"".join(data[y * stride:y * stride + width * 4] for y in range(height))
# 32 bits a pixel, blue first in memory.
subprocess.run(["convert", "-size", f"{width}x{height}", "-depth", "8", "bgra:-", "-alpha", "off", sys.argv[1]],
               input=rows, check=True)
