# SPDX-License-Identifier: GPL-3.0-or-later
"""A notification area on D-Bus in two processes, as Plasma has it: a
StatusNotifierWatcher that lives on while the host that shows its items
(the shell) may come and go.

    snwatcher.py watcher    owns org.kde.StatusNotifierWatcher
    snwatcher.py host       owns a host name and registers it with the watcher

Each runs until it is ended. The watcher drops a host whose name leaves the
bus and then says so, as a StatusNotifierWatcher must.
"""

import os
import sys

from gi.repository import Gio, GLib

WATCHER = "org.kde.StatusNotifierWatcher"
INTERFACE = """
<node><interface name="org.kde.StatusNotifierWatcher">
  <method name="RegisterStatusNotifierItem"><arg type="s" direction="in"/></method>
  <method name="RegisterStatusNotifierHost"><arg type="s" direction="in"/></method>
  <property name="RegisteredStatusNotifierItems" type="as" access="read"/>
  <property name="IsStatusNotifierHostRegistered" type="b" access="read"/>
  <property name="ProtocolVersion" type="i" access="read"/>
  <signal name="StatusNotifierItemRegistered"><arg type="s"/></signal>
  <signal name="StatusNotifierItemUnregistered"><arg type="s"/></signal>
  <signal name="StatusNotifierHostRegistered"/>
  <signal name="StatusNotifierHostUnregistered"/>
</interface></node>
"""


class Watcher:
    def __init__(self, bus):
        self.bus = bus
        self.items = {}  # service -> name watch
        self.hosts = {}
        info = Gio.DBusNodeInfo.new_for_xml(INTERFACE).interfaces[0]
        bus.register_object("/StatusNotifierWatcher", info, self.call, self.get, None)

    def emit(self, signal, args=None):
        self.bus.emit_signal(None, "/StatusNotifierWatcher", WATCHER, signal, args)

    def follow(self, names, service, gone_signal):
        def vanished(_bus, name):
            Gio.bus_unwatch_name(names.pop(name))
            self.emit(*gone_signal(name))

        if service not in names:
            names[service] = Gio.bus_watch_name_on_connection(
                self.bus, service, Gio.BusNameWatcherFlags.NONE, None, vanished)

    def call(self, _bus, sender, _path, _interface, method, args, invocation):
        (service,) = args.unpack()
        if method == "RegisterStatusNotifierItem":
            # An item names its service, or only its path on the caller's.
            service = service if not service.startswith("/") else sender
            self.follow(self.items, service,
                        lambda n: ("StatusNotifierItemUnregistered", GLib.Variant("(s)", (n,))))
            self.emit("StatusNotifierItemRegistered", GLib.Variant("(s)", (service,)))
        else:
            self.follow(self.hosts, service, lambda n: ("StatusNotifierHostUnregistered",))
            self.emit("StatusNotifierHostRegistered")
        invocation.return_value(None)

    def get(self, _bus, _sender, _path, _interface, name):
        if name == "RegisteredStatusNotifierItems":
            return GLib.Variant("as", sorted(self.items))
        if name == "IsStatusNotifierHostRegistered":
            return GLib.Variant("b", bool(self.hosts))
        return GLib.Variant("i", 0)


def main():
    bus = Gio.bus_get_sync(Gio.BusType.SESSION, None)
    if sys.argv[1:] == ["watcher"]:
        keep = Watcher(bus)
        name = WATCHER
    else:
        name = "org.kde.StatusNotifierHost-%d" % os.getpid()
    owned = bus.call_sync("org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                          "RequestName", GLib.Variant("(su)", (name, 4)), None, 0, -1, None)
    if owned.unpack()[0] != 1:
        sys.exit("%s is taken" % name)
    if name != WATCHER:
        bus.call_sync(WATCHER, "/StatusNotifierWatcher", WATCHER, "RegisterStatusNotifierHost",
                      GLib.Variant("(s)", (name,)), None, 0, -1, None)
    GLib.MainLoop().run()


if __name__ == "__main__":
    main()
