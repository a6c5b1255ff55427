#!/usr/bin/env python3
"""Ravelin.exe end to end, as a person drives it with real key and mouse
events from the X side: a path typed into the path field, the path of a
folder whose name the narrow code page cannot hold pasted from another X
client, undone and pasted again, copied with Ctrl+A and Ctrl+C and read by
another X client, and DeCompress run on it and confirmed with Enter. A probe
on the Windows side reads what the window holds.

Usage: run_end_to_end.py RAVELIN_EXE PROBE_EXE WINE_RUN"""
import os
import shutil
import subprocess
import sys
import tempfile
import time

RUN_TIMEOUT = 120  # seconds; a guard against a hang, not a measurement


class Failure(Exception):
    pass


def start_display():
    if os.environ.get("DISPLAY"):
        return None
    read_end, write_end = os.pipe()
    server = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1024x768x24",
                               "-nolisten", "tcp"], pass_fds=(write_end,),
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(write_end)
    with os.fdopen(read_end) as pipe:
        number = pipe.readline().strip()
    if not number:
        raise Failure("Xvfb did not start")
    os.environ["DISPLAY"] = ":" + number
    return server


def xdotool(*args, timeout=60):
    return subprocess.run(["xdotool", *args], capture_output=True, text=True, timeout=timeout,
                          check=True).stdout.strip()


class Probe:
    def __init__(self, wine_run, exe):
        self.wine_run, self.exe = wine_run, exe

    def __call__(self, *args):
        result = subprocess.run([self.wine_run, self.exe, *args], capture_output=True, timeout=60)
        if result.returncode != 0:
            raise Failure("probe %s: exit code %d" % (" ".join(args), result.returncode))
        return result.stdout.decode("utf-8")

    def click(self, window_class):
        x, y = self("centre", window_class).split()
        xdotool("mousemove", x, y, "click", "1")


def wait_for(condition, what, timeout=RUN_TIMEOUT):
    end = time.monotonic() + timeout
    while time.monotonic() < end:
        if condition():
            return
        time.sleep(0.2)
    raise Failure("timed out waiting for " + what)


def clipboard_from_x():
    return subprocess.run(["xclip", "-o", "-selection", "clipboard"], capture_output=True,
                          timeout=10).stdout.decode("utf-8")


def offer_to_x(text):
    # xclip stays to serve the selection until another client takes it over.
    server = subprocess.Popen(["xclip", "-i", "-selection", "clipboard", "-loops", "1"],
                              stdin=subprocess.PIPE, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    server.stdin.write(text.encode("utf-8"))
    server.stdin.close()
    return server


def focus_path_field(probe, main):
    xdotool("windowfocus", "--sync", main)
    probe.click("TElButtonEdit")


def keys(*names):
    xdotool("key", "--clearmodifiers", *names)


def field_is(probe, text, what, timeout=30):
    wait_for(lambda: probe("text", "TElButtonEdit") == text, what, timeout)


def checks(ravelin, probe_exe, wine_run, folder):
    probe = Probe(wine_run, probe_exe)
    program = subprocess.Popen([wine_run, ravelin], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        main = xdotool("search", "--sync", "--onlyvisible", "--name", "^Ravelin - ", timeout=RUN_TIMEOUT)
        main = main.split()[0]
        windows_path = "Z:" + folder.replace("/", "\\")

        # Typed with real key events. Characters outside the X keyboard map
        # cannot be typed this way (the remapped keys never reach Wine), so
        # the typed text is ASCII and the non-Latin path comes by clipboard.
        typed = "Z:\\Typed Path\\x"
        focus_path_field(probe, main)
        keys("ctrl+a")
        xdotool("type", "--delay", "40", typed, timeout=120)
        keys("BackSpace")
        field_is(probe, typed[:-1], "the typed path in the field", RUN_TIMEOUT)

        server = offer_to_x(windows_path)
        try:
            keys("ctrl+a", "ctrl+v")
            field_is(probe, windows_path, "the path pasted from another X client")
        finally:
            server.kill()
        # A paste is undone apart from the selection it replaced.
        keys("ctrl+z")
        field_is(probe, "", "the paste undone")
        keys("ctrl+z")
        field_is(probe, typed[:-1], "the replaced text back after a second undo")

        # Our own copy goes out to another X client and comes back in.
        keys("ctrl+a", "ctrl+v")
        field_is(probe, windows_path, "the path pasted again")
        keys("ctrl+a", "ctrl+c")
        wait_for(lambda: clipboard_from_x() == windows_path, "the copied path in the X clipboard", 30)

        probe.click("TButton.BUTTON")
        box = xdotool("search", "--sync", "--onlyvisible", "--name", "^Continue\\?$",
                      timeout=RUN_TIMEOUT).split()[0]
        xdotool("windowfocus", "--sync", box)
        xdotool("key", "Return")
        # The log is emptied at the start; nothing is compressed on this file
        # system, so the run ends with its one closing line, and the button
        # reads DeCompress again.
        wait_for(lambda: probe("rows").strip() == "1" and probe("text", "TButton.BUTTON") == "DeCompress",
                 "the end of the run")
        if probe("text", "TElButtonEdit") != windows_path:
            raise Failure("the run changed the path field")
    finally:
        subprocess.run(["xdotool", "search", "--name", "^Ravelin - ", "windowkill"], capture_output=True)
        # The pointer goes out of the way of the next program on this display.
        subprocess.run(["xdotool", "mousemove", "--", "10000", "10000"], capture_output=True)
        try:
            program.wait(timeout=60)
        except subprocess.TimeoutExpired:
            program.kill()


def main():
    ravelin, probe_exe, wine_run = sys.argv[1:4]
    server = start_display()
    base = tempfile.mkdtemp(prefix="ravelin-e2e-")
    # A name the narrow code page cannot hold, with files and a folder inside.
    folder = os.path.join(base, "Путь 日本 ünï")
    os.makedirs(os.path.join(folder, "папка"))
    for name in ("файл.txt", os.path.join("папка", "ß.txt")):
        with open(os.path.join(folder, name), "w") as f:
            f.write("x")
    try:
        checks(ravelin, probe_exe, wine_run, folder)
        print("ok    typed, pasted, undone, copied and run on", folder)
        return 0
    except (Failure, subprocess.CalledProcessError, subprocess.TimeoutExpired) as error:
        print("FAIL ", error)
        return 1
    finally:
        shutil.rmtree(base, ignore_errors=True)
        if server is not None:
            server.kill()


if __name__ == "__main__":
    sys.exit(main())
