#!/usr/bin/env python3
"""Checks a captured JPEG against the test pattern of tests/capture/pattern_window.h.

    check_picture.py FILE LEFT TOP WIDTH HEIGHT

The pattern over that screen area goes through cjpeg with the settings of the
program (quality 90, float DCT); both files are decoded by djpeg and compared.
A copy of the screen without the veil differs by a level or two on average;
the veil at 150 of 255 moves it by tens of levels. The area is also checked
against copies shifted by a pixel, which must match worse. Prints the figures.
"""
import subprocess
import sys

PALETTE = [(230, 40, 40), (40, 200, 60), (40, 60, 220), (240, 220, 50),
           (30, 30, 30), (250, 250, 250), (200, 60, 200), (60, 200, 210)]


def pattern(x, y):
    cx, cy = x >> 4, y >> 4
    return PALETTE[(cx * 5 + cy * 3 + ((cx ^ cy) & 3)) % 8]


def ppm(width, height, pixel):
    rows = bytearray()
    for y in range(height):
        for x in range(width):
            rows += bytes(pixel(x, y))
    return b"P6\n%d %d\n255\n" % (width, height) + bytes(rows)


def parse_ppm(data):
    fields, pos = [], 0
    while len(fields) < 4:
        while data[pos:pos + 1].isspace():
            pos += 1
        start = pos
        while not data[pos:pos + 1].isspace():
            pos += 1
        fields.append(data[start:pos])
    assert fields[0] == b"P6", fields[0]
    return int(fields[1]), int(fields[2]), data[pos + 1:]


def decode(jpeg):
    return parse_ppm(subprocess.run(["djpeg", "-pnm"], input=jpeg, capture_output=True, check=True).stdout)


def mean_difference(a, b):
    return sum(abs(p - q) for p, q in zip(a, b)) / len(a)


def main():
    path, left, top, width, height = sys.argv[1], *map(int, sys.argv[2:6])
    with open(path, "rb") as f:
        w, h, got = decode(f.read())
    if (w, h) != (width, height):
        print(f"size {w}x{h}, expected {width}x{height}")
        return 1
    expected_ppm = ppm(width, height, lambda x, y: pattern(left + x, top + y))
    reference = subprocess.run(["cjpeg", "-quality", "90", "-dct", "float"], input=expected_ppm,
                               capture_output=True, check=True).stdout
    _, _, want = decode(reference)
    mean = mean_difference(got, want)
    shifted = min(
        mean_difference(got, parse_ppm(ppm(width, height, lambda x, y: pattern(left + x + dx, top + y + dy)))[2])
        for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)))
    exact = mean_difference(got, parse_ppm(expected_ppm)[2])
    print(f"mean difference {mean:.2f} (from the pattern itself {exact:.2f}, shifted by a pixel {shifted:.2f})")
    return 0 if mean < 2.0 and exact < shifted else 1


if __name__ == "__main__":
    sys.exit(main())
