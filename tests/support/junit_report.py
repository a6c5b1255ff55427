"""The JUnit report a test script writes for CTest's count: one suite of
(name, passed, detail) cases."""
import os
import xml.etree.ElementTree as ET


def write_junit(path, suite_name, class_name, cases):
    """Writes the cases to path; returns the script's exit code (0 when all passed)."""
    suite = ET.Element("testsuite", name=suite_name, tests=str(len(cases)),
                       failures=str(sum(1 for _, ok, _ in cases if not ok)))
    for name, ok, detail in cases:
        case = ET.SubElement(suite, "testcase", name=name, classname=class_name)
        if not ok:
            ET.SubElement(case, "failure", message=detail)
    root = ET.Element("testsuites")
    root.append(suite)
    os.makedirs(os.path.dirname(path) or ".", exist_ok=True)
    ET.ElementTree(root).write(path, encoding="utf-8", xml_declaration=True)
    return 0 if all(ok for _, ok, _ in cases) else 1
