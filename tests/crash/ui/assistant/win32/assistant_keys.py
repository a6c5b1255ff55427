#!/usr/bin/env python3
"""Drives the send assistant with real keys, as a person would.

    assistant_keys.py DRIVER_EXE WINE_RUN SCREENSHOT_DIR

Starts the driver inside Wine's virtual desktop, types into the contact form
through xdotool (a name, Tab, an address without "." after its "@", Enter,
then the rest of the address, Enter), fills in the details form (text, Tab
to Continue, Enter), presses the focused Continue of the screenshot form,
and checks what the driver reports; then once more, pressing Escape on the
contact form. Screenshots of the three forms are saved into SCREENSHOT_DIR. Exits non-zero on a failure."""
import os
import subprocess
import sys
import tempfile
import time

driver, wine_run, shots = sys.argv[1:4]
os.makedirs(shots, exist_ok=True)
failures = []


def check(condition, what):
    if not condition:
        failures.append(what)
        print("FAILED:", what)


def lines(path):
    try:
        with open(path) as f:
            return [line.rstrip("\n") for line in f]
    except OSError:
        return []


def wait_for(path, line, seconds=120):
    """Waits until the driver wrote the line; False when it never did."""
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        if line in lines(path):
            return True
        time.sleep(0.1)
    return False


def xdotool(*args):
    subprocess.run(["xdotool", *args], check=True)


def keys(*names):
    xdotool("key", "--delay", "50", *names)


def type_text(text):
    xdotool("type", "--delay", "50", text)


def run_driver(work, scenario):
    """Starts the driver in the virtual desktop, runs scenario(out) once the
    contact form is shown, and returns the driver's report lines."""
    out = os.path.join(work, scenario.__name__ + ".txt")
    desktop = "assistantkeys"
    program = subprocess.Popen([wine_run, "explorer", f"/desktop={desktop},1024x768", driver,
                                "Z:" + out.replace("/", "\\")],
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        if not wait_for(out, "form Contact Information"):
            sys.exit("the contact form was not shown")
        window = subprocess.run(["xdotool", "search", "--sync", "--name", desktop],
                                capture_output=True, text=True, check=True).stdout.split()[0]
        xdotool("windowfocus", "--sync", window)
        time.sleep(0.5)  # let the focus settle before typing
        scenario(out)
        if not wait_for(out, "end", 60):
            sys.exit("the assistant did not finish: " + repr(lines(out)))
        report = lines(out)
        print("\n".join(report))
        return report
    finally:
        # A driver left waiting cancels its forms after two minutes and ends.
        try:
            program.wait(timeout=150)
        except subprocess.TimeoutExpired:
            program.kill()


def fill_in_every_form(out):
    type_text("Anna Smith")
    keys("Tab")
    type_text("anna@example")
    keys("Return")  # Continue is still disabled: nothing happens
    type_text(".org")
    time.sleep(0.5)
    subprocess.run(["import", "-window", "root", os.path.join(shots, "contact-form.png")], check=False)
    keys("Return")
    if not wait_for(out, "form Error Details", 60):
        sys.exit("the details form was not shown: " + repr(lines(out)))
    time.sleep(0.5)
    type_text("It failed.")
    time.sleep(0.5)
    subprocess.run(["import", "-window", "root", os.path.join(shots, "details-form.png")], check=False)
    keys("Tab", "Return")
    if not wait_for(out, "form Screenshot Configuration", 60):
        sys.exit("the screenshot form was not shown: " + repr(lines(out)))
    time.sleep(0.5)
    subprocess.run(["import", "-window", "root", os.path.join(shots, "screenshot-form.png")], check=False)
    keys("space")  # the focus starts on Continue


def escape_at_once(out):
    type_text("Anna Smith")
    keys("Escape")


with tempfile.TemporaryDirectory() as work:
    report = run_driver(work, fill_in_every_form)
    check("result 1" in report, "the assistant finished")
    check("header contact name=Anna Smith" in report, "the name is a header field")
    check("header contact email=anna@example.org" in report, "the whole address, typed after the refused Enter")
    check("section error details=It failed." in report, "the details are a section of their own")
    check("sender Anna Smith <anna@example.org>" in report, "the sender is name and address")
    check(report.count("form Contact Information") == 1, "the contact form was shown once")
    check("attach yes" in report, "the screenshot stays attached")

    report = run_driver(work, escape_at_once)
    check("result 3" in report, "Escape cancels the assistant")
    check(not any(line.startswith("header contact") for line in report), "a cancelled assistant adds no fields")
    check("sender " in report, "a cancelled assistant sets no sender")

if failures:
    sys.exit(f"{len(failures)} failed")
print("all passed")
