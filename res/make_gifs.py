#!/usr/bin/env python3
"""Draws the two animations of the scan progress page and writes them as GIF89a.

  Animated-Bar.gif       240 x 12, a block of stripes gliding along a track
  process-animation.gif  16 x 16, a ring of dots with one bright dot going round

Standard library only; the LZW coder is written out here. Run it from any
folder: the files are written next to this script (or into the folder given
as the first argument). The output is the same on every run.
"""
import math
import os
import struct
import sys

WHITE = (255, 255, 255)


def lzw_encode(pixels, min_code_size):
    """LZW-codes palette indices as GIF image data (without the sub-blocks)."""
    clear = 1 << min_code_size
    stop = clear + 1
    out = bytearray()
    bits = 0
    nbits = 0

    def emit(code, width):
        nonlocal bits, nbits
        bits |= code << nbits
        nbits += width
        while nbits >= 8:
            out.append(bits & 0xFF)
            bits >>= 8
            nbits -= 8

    def reset():
        return {(i,): i for i in range(clear)}, clear + 2, min_code_size + 1

    table, next_code, width = reset()
    emit(clear, width)
    prefix = ()
    for p in pixels:
        word = prefix + (p,)
        if word in table:
            prefix = word
            continue
        emit(table[prefix], width)
        if next_code < 4096:
            table[word] = next_code
            next_code += 1
            if next_code > (1 << width) and width < 12:
                width += 1
        else:
            emit(clear, width)
            table, next_code, width = reset()
        prefix = (p,)
    if prefix:
        emit(table[prefix], width)
    emit(stop, width)
    if nbits:
        out.append(bits & 0xFF)
    return bytes(out)


def sub_blocks(data):
    out = bytearray()
    for i in range(0, len(data), 255):
        chunk = data[i:i + 255]
        out.append(len(chunk))
        out += chunk
    out.append(0)
    return bytes(out)


def write_gif(path, width, height, palette, frames, delay):
    """frames: lists of palette indices, width * height each, shown full size."""
    size_bits = max(1, (len(palette) - 1).bit_length())
    table = list(palette) + [WHITE] * ((1 << size_bits) - len(palette))
    out = bytearray(b"GIF89a")
    out += struct.pack("<HHBBB", width, height, 0x80 | 0x70 | (size_bits - 1), 0, 0)
    for rgb in table:
        out += bytes(rgb)
    # Loop for ever.
    out += b"\x21\xFF\x0BNETSCAPE2.0\x03\x01\x00\x00\x00"
    min_code_size = max(2, size_bits)
    for pixels in frames:
        # Graphic control extension: disposal 1 (keep), no transparency.
        out += struct.pack("<BBBBHBB", 0x21, 0xF9, 4, 1 << 2, delay, 0, 0)
        out += struct.pack("<BHHHHB", 0x2C, 0, 0, width, height, 0)
        out.append(min_code_size)
        out += sub_blocks(lzw_encode(pixels, min_code_size))
    out.append(0x3B)
    with open(path, "wb") as f:
        f.write(out)


def progress_bar():
    width, height = 240, 12
    palette = [WHITE, (125, 125, 125), (223, 238, 248), (51, 51, 204), (120, 150, 230)]
    block, step, count = 60, 10, 30
    frames = []
    for n in range(count):
        start = n * step - block  # the block enters on the left and leaves on the right
        pixels = []
        for y in range(height):
            for x in range(width):
                if x in (0, width - 1) or y in (0, height - 1):
                    pixels.append(1)  # frame of the track
                elif start <= x < start + block and 2 <= y <= height - 3:
                    pixels.append(3 if (x - start) % 6 < 4 else 4)
                else:
                    pixels.append(2)  # empty track
        frames.append(pixels)
    return width, height, palette, frames, 6


def spinner():
    size, dots = 16, 8
    # Background, then dots from brightest to faintest.
    palette = [WHITE, (51, 51, 204), (100, 100, 215), (150, 150, 228), (200, 200, 240)]
    centre, ring, radius = 7.5, 5.0, 1.6
    frames = []
    for n in range(dots):
        pixels = []
        for y in range(size):
            for x in range(size):
                index = 0
                for d in range(dots):
                    angle = 2 * math.pi * d / dots - math.pi / 2
                    dx = x - (centre + ring * math.cos(angle))
                    dy = y - (centre + ring * math.sin(angle))
                    if dx * dx + dy * dy <= radius * radius:
                        age = (n - d) % dots  # 0 for the head of the tail
                        index = 1 + min(age, 3)
                        break
                pixels.append(index)
        frames.append(pixels)
    return size, size, palette, frames, 10


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.abspath(__file__))
    write_gif(os.path.join(folder, "Animated-Bar.gif"), *progress_bar())
    write_gif(os.path.join(folder, "process-animation.gif"), *spinner())


if __name__ == "__main__":
    main()
