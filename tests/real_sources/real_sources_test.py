#!/usr/bin/python3
"""The real vistrel binary against the real client stacks of its notification sources.

libudev reads a umockdev testbed: USB devices with their interfaces, a video node and a sound
card, added and removed with uevents in the kernel's order (children last on arrival, first on
removal). sd-bus talks to python3-dbusmock's logind on a private system bus, which emits
PrepareForSleep; an impostor connection sends the same signal. The video inputs are simulated
(a scenario with `real-notifications`) and show solid pictures, so screenshots tell the dongle,
the webcam and the no-signal screen apart. The event log is timed as it is written, which gives
the time from each uevent or signal to the viewer's word.

Usage: real_sources_test.py VISTREL [unittest arguments]. Runs itself under umockdev's preload
library (umockdev-wrapper), which the viewer inherits.
"""

import os
import subprocess
import sys
import tempfile
import time
import unittest

if "umockdev-preload" not in os.environ.get("LD_PRELOAD", ""):
    os.execvp("umockdev-wrapper", ["umockdev-wrapper", sys.executable] + sys.argv)

import dbus  # noqa: E402
import dbusmock  # noqa: E402
import gi  # noqa: E402

gi.require_version("UMockdev", "1.0")
from gi.repository import Gio, GLib, UMockdev  # noqa: E402

VISTREL = os.path.abspath(sys.argv.pop(1))
# Sanitizer builds start and draw slower: their timeline is stretched.
SCALE = 2.0 if ("-asan" in VISTREL or "-tsan" in VISTREL) else 1.0

BLUE, GREEN = (0, 0, 255), (0, 255, 0)  # the dongle's picture, the webcam's picture
LATENCIES = []  # (case, milliseconds)


def write_ppm(path, rgb, width=320, height=180):
    with open(path, "wb") as f:
        f.write(b"P6\n%d %d\n255\n" % (width, height) + bytes(rgb) * (width * height))


def picture(path):
    """'dongle', 'webcam', 'no-signal' or 'other' for a screenshot of the window (a PNG, read
    through ImageMagick as a PPM: "P6 W H 255" and the pixels after one white space)."""
    ppm = subprocess.run(["convert", path, "-depth", "8", "ppm:-"], check=True,
                         stdout=subprocess.PIPE).stdout
    _, width, height, rest = ppm.split(maxsplit=3)
    pixels, total = rest[4:], int(width) * int(height)
    near = lambda p, c: all(abs(p[i] - c[i]) < 40 for i in range(3))  # noqa: E731
    counts = {"blue": 0, "green": 0, "black": 0, "red": 0}
    for p in (pixels[i:i + 3] for i in range(0, 3 * total, 3)):
        kind = ("blue" if near(p, BLUE) else "green" if near(p, GREEN)
                else "black" if max(p) < 20 else "red" if p[0] > 180 and max(p[1:]) < 80 else None)
        if kind:
            counts[kind] += 1
    if counts["blue"] > total * 0.3:
        return "dongle"
    if counts["green"] > total * 0.3:
        return "webcam"
    return "no-signal" if counts["black"] > total * 0.5 and counts["red"] > 50 else "other"


class UsbDevice:
    """A USB device in the testbed: its interfaces, optionally a video node and a sound card."""

    def __init__(self, testbed, port, vendor, product, serial, card=None, video=None):
        self.testbed, self.port = testbed, port
        self.vendor, self.product, self.serial = vendor, product, serial
        self.card, self.video = card, video  # card number, video node number
        self.paths = []

    def _add(self, subsystem, name, parent, attributes, properties):
        self.last_added = time.monotonic()
        path = self.testbed.add_device(subsystem, name, parent, attributes, properties)
        self.paths.append(path)
        return path

    def plug(self):
        """Adds the tree, parents first; each addition sends its uevent. Returns the time of the
        last."""
        serial = ["serial", self.serial] if self.serial else []  # none: known by its port
        usb = self._add("usb", self.port, None,
                        ["idVendor", self.vendor, "idProduct", self.product] + serial,
                        ["DEVTYPE", "usb_device", "PRODUCT",
                         "%s/%s/100" % (self.vendor.lstrip("0"), self.product)]
                        + (["ID_SERIAL_SHORT", self.serial] if self.serial else []))
        if self.video is not None:
            video_if = self._add("usb", self.port + ":1.0", usb, ["bInterfaceClass", "0e"],
                                 ["DEVTYPE", "usb_interface"])
            # The node's file, which the viewer's udev source opens to know the video is ready.
            dev = os.path.join(self.testbed.get_root_dir(), "dev")
            os.makedirs(dev, exist_ok=True)
            with open(os.path.join(dev, "video%d" % self.video), "w"):
                pass
            self._add("video4linux", "video%d" % self.video, video_if,
                      ["name", "Capture", "dev", "81:%d" % self.video],
                      ["DEVNAME", "/dev/video%d" % self.video])
        else:
            self._add("usb", self.port + ":1.0", usb, ["bInterfaceClass", "03"],
                      ["DEVTYPE", "usb_interface"])
        if self.card is not None:
            audio_if = self._add("usb", self.port + ":1.2", usb, ["bInterfaceClass", "01"],
                                 ["DEVTYPE", "usb_interface"])
            card = self._add("sound", "card%d" % self.card, audio_if, ["id", "MS2109"], [])
            self._add("sound", "pcmC%dD0c" % self.card, card, ["dev", "116:%d" % (self.card * 32 + 16)],
                      ["DEVNAME", "/dev/snd/pcmC%dD0c" % self.card])
            self._add("sound", "controlC%d" % self.card, card, ["dev", "116:%d" % (self.card * 32)],
                      ["DEVNAME", "/dev/snd/controlC%d" % self.card])
        return self.last_added

    def unplug(self):
        """Removal uevents, children first. Returns the USB device's removal time."""
        sent = 0
        for path in reversed(self.paths):
            sent = time.monotonic()
            self.testbed.uevent(path, "remove")
        for path in reversed(self.paths):
            self.testbed.remove_device(path)
        self.paths = []
        return sent


class Viewer:
    """vistrel on the headless backend, playing a scenario timed from its start."""

    def __init__(self, folder, inputs, events):
        self.folder = folder
        lines = ["real-notifications"] + inputs
        lines.append("at %.2f log-times 1005 times.txt" % (1.0 * SCALE))
        lines += ["at %.2f %s" % (t * SCALE, what) for t, what in events]
        with open(os.path.join(folder, "test.scenario"), "w") as f:
            f.write("\n".join(lines) + "\n")
        env = dict(os.environ, VISTREL_BACKEND="headless", VISTREL_SCENARIO_OUT=folder,
                   VISTREL_SCENARIO=os.path.join(folder, "test.scenario"))
        env.pop("VISTREL_REAL_NOTIFICATIONS", None)
        # umockdev's preload library comes before the ASan runtime; that is fine here.
        env["ASAN_OPTIONS"] = (env.get("ASAN_OPTIONS", "") + ":verify_asan_link_order=0").lstrip(":")
        self.process = subprocess.Popen([VISTREL], env=env)
        self.times = os.path.join(folder, "times.txt")
        deadline = time.monotonic() + 20
        while not os.path.exists(self.times):
            if time.monotonic() > deadline or self.process.poll() is not None:
                raise AssertionError("the viewer did not start its scenario")
            time.sleep(0.005)
        self.base = time.monotonic() - 1.0 * SCALE

    def at(self, t):
        """Sleeps until `t` seconds of the scenario's time line."""
        delay = self.base + t * SCALE - time.monotonic()
        if delay > 0:
            time.sleep(delay)

    def words(self):
        with open(self.times) as f:
            return [line.split(" ", 1) for line in f.read().splitlines()]

    def expect(self, expected, action, case, bound=3.0, to_last=False):
        """Runs `action`, which returns the time of its uevent or signal, and waits for exactly
        `expected` to follow in the log; notes the time until the first word (with `to_last`,
        until the last too)."""
        before = len(self.words())
        since = action()
        deadline = time.monotonic() + bound * SCALE
        while True:
            words = self.words()[before:]
            if [w for _, w in words] == expected:
                LATENCIES.append((case, (float(words[0][0]) - since) * 1000))
                if to_last:
                    LATENCIES.append((case + ", last word", (float(words[-1][0]) - since) * 1000))
                return
            if time.monotonic() > deadline:
                raise AssertionError("%s: expected %s, got %s" % (case, expected, words))
            time.sleep(0.002)

    def expect_nothing(self, action, case, wait=1.0):
        """Runs `action` and checks that no word follows within `wait` seconds."""
        before = len(self.words())
        action()
        time.sleep(wait * SCALE)
        words = self.words()[before:]
        if words:
            raise AssertionError("%s: expected no word, got %s" % (case, words))

    def finish(self):
        self.process.wait(timeout=20 * SCALE)
        return [w for _, w in self.words()]

    def picture(self, name):
        return picture(os.path.join(self.folder, name))

    def close(self):
        if self.process.poll() is None:
            self.process.kill()
            self.process.wait()


class RealSources(dbusmock.DBusTestCase):
    @classmethod
    def setUpClass(cls):
        cls.start_system_bus()
        cls.dbus_con = cls.get_dbus(system_bus=True)

    def setUp(self):
        self.testbed = UMockdev.Testbed.new()
        os.environ["UMOCKDEV_DIR"] = self.testbed.get_root_dir()
        self.logind = self.spawn_server_template("logind", {}, stdout=subprocess.DEVNULL)[0]
        self.work = tempfile.TemporaryDirectory(prefix="vistrel-real-sources-")
        write_ppm(os.path.join(self.work.name, "dongle.ppm"), BLUE)
        write_ppm(os.path.join(self.work.name, "webcam.ppm"), GREEN)
        self.viewer = None

    def tearDown(self):
        if self.viewer:
            self.viewer.close()
        self.stop_logind()
        self.work.cleanup()

    def stop_logind(self):
        if self.logind:
            self.logind.terminate()
            self.logind.wait()
            self.logind = None

    def prepare_for_sleep(self, sleeping):
        """PrepareForSleep from logind. Returns the time it was sent."""
        logind = self.dbus_con.get_object("org.freedesktop.login1", "/org/freedesktop/login1")
        sent = time.monotonic()
        logind.EmitSignal("org.freedesktop.login1.Manager", "PrepareForSleep", "b",
                          [dbus.Boolean(sleeping)], dbus_interface=dbusmock.MOCK_IFACE)
        return sent

    def impostor_prepare_for_sleep(self):
        """The same signal from a connection that does not own logind's name."""
        address = os.environ["DBUS_SYSTEM_BUS_ADDRESS"]
        flags = (Gio.DBusConnectionFlags.AUTHENTICATION_CLIENT
                 | Gio.DBusConnectionFlags.MESSAGE_BUS_CONNECTION)
        impostor = Gio.DBusConnection.new_for_address_sync(address, flags, None, None)
        for sleeping in (True, False):
            impostor.emit_signal(None, "/org/freedesktop/login1", "org.freedesktop.login1.Manager",
                                 "PrepareForSleep", GLib.Variant("(b)", (sleeping,)))
        impostor.flush_sync(None)
        impostor.close_sync(None)

    def resume(self):
        self.prepare_for_sleep(True)
        return self.prepare_for_sleep(False)

    def test_hotplug_resume_and_strangers_with_a_3188_dongle(self):
        # A webcam at index 0; the dongle comes later, at index 2.
        dongle = UsbDevice(self.testbed, "1-1", "3188", "1234", "SIM2", card=1, video=2)
        keyboard = UsbDevice(self.testbed, "1-3", "046d", "c31c", "KBD")
        v = self.viewer = Viewer(self.work.name, [
            'input 0 "Integrated Camera" image webcam.ppm 30',
            'input 2 "USB3.0 HDMI Capture" image dongle.ppm 30 usb 3188:1234 unplugged',
        ], [(2.0, "plug 2"), (3.3, "screenshot plugged.png"), (4.4, "screenshot strangers.png"),
            (4.6, "unplug 2"), (5.4, "screenshot unplugged.png"),
            (6.4, "screenshot resumed-without.png"), (6.6, "plug 2"),
            (7.7, "screenshot replugged.png"), (10.0, "screenshot resumed.png"),
            (10.2, "log 1005 log.txt"), (10.4, "close")])
        v.at(2.1)
        v.expect(["open", "opening"], dongle.plug, "3188 plug (last uevent) -> open")
        v.at(3.6)
        keyboard.plug()
        self.impostor_prepare_for_sleep()
        keyboard.unplug()
        v.at(4.6)
        v.expect(["remove3188"], dongle.unplug, "3188 unplug -> remove3188")
        v.at(5.6)
        v.expect(["removeGetSafeHwnd"], self.resume, "resume without dongle -> word")
        v.at(6.7)
        v.expect(["open", "opening"], dongle.plug, "3188 replug (last uevent) -> open")
        v.at(7.9)
        self.stop_logind()
        self.logind = self.spawn_server_template("logind", {}, stdout=subprocess.DEVNULL)[0]
        v.at(9.0)
        v.expect(["removeGetSafeHwnd", "opening"], self.resume,
                     "resume after logind restart -> word")
        self.assertEqual(v.finish(), ["open", "opening", "remove3188", "removeGetSafeHwnd",
                                      "open", "opening", "removeGetSafeHwnd", "opening"])
        self.assertEqual([v.picture(n + ".png") for n in
                          ("plugged", "strangers", "unplugged", "resumed-without", "replugged",
                           "resumed")],
                         ["dongle", "dongle", "no-signal", "no-signal", "dongle", "dongle"])

    def test_hotplug_and_resume_with_a_dongle_of_another_vendor(self):
        # Plugged in only after the viewer started, so nothing was chosen at start-up.
        dongle = UsbDevice(self.testbed, "1-2", "534d", "2109", "20220101", card=1, video=0)
        v = self.viewer = Viewer(self.work.name, [
            'input 0 "USB3.0 HDMI Capture" image dongle.ppm 30 usb 534d:2109 20220101 unplugged',
        ], [(1.8, "screenshot start.png"), (2.0, "plug 0"), (3.1, "screenshot plugged.png"),
            (3.3, "unplug 0"), (4.1, "screenshot unplugged.png"), (4.3, "plug 0"),
            (5.4, "screenshot replugged.png"), (6.5, "screenshot resumed.png"),
            (6.7, "log 1005 log.txt"), (6.9, "close")])
        v.at(2.1)
        v.expect(["open", "opening"], dongle.plug, "534d plug (last uevent) -> open")
        v.at(3.3)
        v.expect(["remove3188"], dongle.unplug, "534d unplug -> remove3188")
        v.at(4.4)
        v.expect(["open", "opening"], dongle.plug, "534d replug (last uevent) -> open")
        v.at(5.6)
        v.expect(["removeGetSafeHwnd", "opening"], self.resume, "534d resume -> word")
        self.assertEqual(v.finish(), ["open", "opening", "remove3188", "open", "opening",
                                      "removeGetSafeHwnd", "opening"])
        self.assertEqual([v.picture(n + ".png") for n in
                          ("start", "plugged", "unplugged", "replugged", "resumed")],
                         ["no-signal", "dongle", "no-signal", "dongle", "dongle"])

    def two_dongles_of_one_model(self, a, b, usb_a, usb_b):
        """Dongle A (the blue picture, "dongle") is shown, B (green, "webcam") waits: only the
        shown one's removal counts, and then B is opened at once. The shots after a removal
        come late enough for a sanitizer build's first frame."""
        v = self.viewer = Viewer(self.work.name, [
            'input 0 "USB3.0 HDMI Capture" image dongle.ppm 30 usb 3188:1234 %s unplugged' % usb_a,
            'input 1 "USB3.0 HDMI Capture" image webcam.ppm 30 usb 3188:1234 %s unplugged' % usb_b,
        ], [(2.0, "plug 0"), (3.0, "plug 1"), (4.0, "unplug 1"), (5.2, "screenshot b-gone.png"),
            (5.4, "plug 1"), (6.4, "unplug 0"), (8.2, "screenshot a-gone.png"), (8.4, "plug 0"),
            (9.4, "screenshot a-back.png"), (9.6, "unplug 1"), (11.4, "screenshot b-gone-too.png"),
            (11.6, "log 1005 log.txt"), (11.8, "close")])
        v.at(2.1)
        v.expect(["open", "opening"], a.plug, "A plug -> open")
        v.at(3.1)
        v.expect(["open"], b.plug, "B plug while A is shown -> open only")
        v.at(4.05)
        v.expect_nothing(b.unplug, "B, not shown, unplugged")
        v.at(5.5)
        v.expect(["open"], b.plug, "B replug while A is shown -> open only")
        v.at(6.45)
        v.expect(["remove3188", "open", "opening"], a.unplug, "A unplug -> B opening",
                 to_last=True)
        v.at(8.5)
        v.expect(["open"], a.plug, "A replug while B is shown -> open only")
        v.at(9.65)
        v.expect(["remove3188", "open", "opening"], b.unplug, "B unplug -> A opening",
                 to_last=True)
        self.assertEqual(v.finish(), ["open", "opening", "open", "open", "remove3188", "open",
                                      "opening", "open", "remove3188", "open", "opening"])
        self.assertEqual([v.picture(n + ".png") for n in
                          ("b-gone", "a-gone", "a-back", "b-gone-too")],
                         ["dongle", "webcam", "webcam", "dongle"])

    def test_two_dongles_of_one_model_by_serial(self):
        self.two_dongles_of_one_model(
            UsbDevice(self.testbed, "1-1", "3188", "1234", "HDMI0001", card=1, video=0),
            UsbDevice(self.testbed, "1-2", "3188", "1234", "HDMI0002", card=2, video=1),
            "HDMI0001", "HDMI0002")

    def test_two_dongles_of_one_model_by_port(self):
        # No serial numbers: the ports tell them apart.
        self.two_dongles_of_one_model(
            UsbDevice(self.testbed, "2-1", "3188", "1234", "", card=1, video=0),
            UsbDevice(self.testbed, "2-2", "3188", "1234", "", card=2, video=1),
            "port 2-1", "port 2-2")


if __name__ == "__main__":
    try:
        unittest.main(verbosity=2)
    finally:
        for case, ms in LATENCIES:
            print("latency %-45s %7.1f ms" % (case, ms))
