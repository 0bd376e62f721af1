# Counting the cases of one ctest run, for test.sh. The run's folder holds
# ctest.log, a GoogleTest XML report per test program (GTEST_OUTPUT) and a
# .cases file per end-to-end script (one "ok" or "FAILED" line a check).

# psl_count_cases FOLDER: prints "PASSED FAILED SKIPPED".
psl_count_cases() {
  python3 - "$1" <<'PY'
import os, re, sys
import xml.etree.ElementTree as ET

folder = sys.argv[1]
passed = failed = skipped = 0
log = open(os.path.join(folder, "ctest.log"), encoding="utf-8", errors="replace").read()
for name, outcome in re.findall(r"Test +#\d+: (\S+) \.+[ *]*(\w+)", log):
    report = os.path.join(folder, name + ".xml")
    checks = os.path.join(folder, name + ".cases")
    counted = False
    if os.path.exists(report):
        try:
            root = ET.parse(report).getroot()
            total = int(root.get("tests", 0))
            bad = int(root.get("failures", 0)) + int(root.get("errors", 0))
            skip = int(root.get("skipped", 0)) + int(root.get("disabled", 0))
            passed += total - bad - skip
            failed += bad
            skipped += skip
            counted = bad > 0 or outcome == "Passed"
        except ET.ParseError:
            pass
    elif os.path.exists(checks):
        lines = open(checks, encoding="utf-8", errors="replace").read().split()
        passed += lines.count("ok")
        failed += lines.count("FAILED")
        counted = lines.count("FAILED") > 0 or outcome == "Passed"
    if not counted:
        # No report, or a report that does not show why the test failed (a
        # crash, a time-out): the test counts as one case.
        if outcome == "Passed":
            passed += 1
        else:
            failed += 1
print(passed, failed, skipped)
PY
}
