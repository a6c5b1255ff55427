#!/usr/bin/env python3
"""Writes the assistants' form resources and a resource script that names them.

    write_form_resources.py OUTPUT_DIRECTORY

Each form becomes OUTPUT_DIRECTORY/<RESOURCE>.bin, a component stream:
"TPF0", the form's class and object names (short strings), its properties,
a zero byte, then its items (class name, object name, properties, a zero
byte, an empty child list), then a zero byte. Property values: booleans
types 8 and 9, numbers the smallest of types 2, 3 and 4 that holds them,
texts type 6 (12 above 255 bytes), identifiers (Ident) type 7.
OUTPUT_DIRECTORY/AssistantForms.rc lists them as RCDATA."""
import os
import struct
import sys


class Ident(str):
    pass


def button(name, caption, enabled=True):
    return ("TMEButton", name, [("Caption", caption), ("Enabled", enabled),
                                ("NoOwnerDraw", False), ("Visible", True)])


def buttons(skip_enabled):
    return [button("ContinueBtn", "Continue"), button("SkipBtn", "Skip", skip_enabled),
            button("CancelBtn", "Cancel")]


def label(name, caption, spacing=0):
    return ("TMELabel", name, [("Caption", caption), ("Enabled", True), ("Spacing", spacing)])


FORMS = [
    ("TMECONTACTFORM", "TMEContactForm", "ContactForm",
     [("Message", "Contact Information"), ("MinWidth", 300),
      ("OnAction", "Ostrel.HandleContactForm"), ("Timer", 0)],
     buttons(skip_enabled=False) + [
         label("NameLabel", "your name:"),
         ("TMEEdit", "NameEdit", [("Colored", True), ("Enabled", True), ("Lines", 1), ("Optional", True),
                                  ("OutputName", "contact name"), ("OutputType", Ident("nvoHeader")),
                                  ("Spacing", 0), ("Text", ""), ("Valid", True)]),
         label("EmailLabel", "your email:", spacing=8),
         ("TMEEdit", "EmailEdit", [("Colored", True), ("Enabled", True), ("Lines", 1), ("Optional", False),
                                   ("OutputName", "contact email"), ("OutputType", Ident("nvoHeader")),
                                   ("Spacing", 0), ("Text", ""), ("Valid", False)]),
         ("TMECheckBox", "MemCheck", [("Caption", "remember me"), ("Checked", False), ("Enabled", True),
                                      ("OutputName", ""), ("Spacing", 8)]),
     ]),
    ("TMEDETAILSFORM", "TMEDetailsForm", "DetailsForm",
     [("Message", "Error Details"), ("MinWidth", 300), ("OnAction", ""), ("Timer", 0)],
     buttons(skip_enabled=True) + [
         label("DetailsLabel", "in which situation did the error occur?"),
         ("TMEEdit", "DetailsMemo", [("Colored", True), ("Enabled", True), ("Lines", 9), ("Optional", False),
                                     ("OutputName", "error details"), ("OutputType", Ident("nvoOwnSection")),
                                     ("Spacing", 0), ("Text", ""), ("Valid", True)]),
     ]),
    ("TMESCRSHOTFORM", "TMEScrShotForm", "ScrShotForm",
     [("Message", "Screenshot Configuration"), ("MinWidth", 300),
      ("OnAction", "Ostrel.HandleScreenshotForm"), ("Timer", 250), ("ActiveControl", Ident("ContinueBtn"))],
     buttons(skip_enabled=False) + [
         ("TMECheckBox", "AttachCheck", [("Caption", "attach a screenshot to the bug report"), ("Checked", True),
                                         ("Enabled", True), ("OutputName", ""), ("Spacing", 0)]),
         ("TMEImage", "ScrShotImg", [("Border", True), ("Clickable", True), ("Enabled", True), ("File", ""),
                                     ("Height", 0), ("Spacing", 8), ("Width", 0)]),
         label("ScrShotLabel", "(click to edit image)"),
     ]),
]


def short_string(text):
    data = text.encode("cp1252")
    if len(data) > 255:
        raise ValueError(f"too long for a short string: {text}")
    return bytes([len(data)]) + data


def value(v):
    if isinstance(v, bool):
        return bytes([9 if v else 8])
    if isinstance(v, int):
        for type_byte, fmt in ((2, "<b"), (3, "<h"), (4, "<i")):
            try:
                return bytes([type_byte]) + struct.pack(fmt, v)
            except struct.error:
                continue
        raise ValueError(f"{v} does not fit in 32 bits")
    if isinstance(v, Ident):
        return bytes([7]) + short_string(v)
    data = v.encode("cp1252")
    if len(data) <= 255:
        return bytes([6]) + short_string(v)
    return bytes([12]) + struct.pack("<I", len(data)) + data


def properties(props):
    return b"".join(short_string(name) + value(v) for name, v in props) + b"\0"


def form_stream(class_name, object_name, props, items):
    data = b"TPF0" + short_string(class_name) + short_string(object_name) + properties(props)
    for item_class, item_name, item_props in items:
        data += short_string(item_class) + short_string(item_name) + properties(item_props) + b"\0"
    return data + b"\0"


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    script = []
    for resource, class_name, object_name, props, items in FORMS:
        path = os.path.join(out, resource + ".bin")
        with open(path, "wb") as f:
            f.write(form_stream(class_name, object_name, props, items))
        script.append(f'{resource} RCDATA "{path}"\n')
    with open(os.path.join(out, "AssistantForms.rc"), "w") as f:
        f.writelines(script)


if __name__ == "__main__":
    main()
