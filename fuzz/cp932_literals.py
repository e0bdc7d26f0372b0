#!/usr/bin/env python3
"""cp932_literals.py SOURCE_ROOT OUT_ROOT FOLDER...

Copies those .cpp and .h files of each FOLDER under SOURCE_ROOT that hold
non-ASCII characters inside narrow string or character literals to OUT_ROOT,
with each written as the octal escapes of its Shift-JIS (CP932) bytes, under
a #line naming the original, and prints their paths. clang has no
-fexec-charset other than UTF-8; compiled from these copies, the fuzz
targets see the same bytes as the shipped program, which GCC compiles with
-fexec-charset=CP932. Escapes, not raw bytes: a Shift-JIS trail byte may be
a backslash. Comments and everything else stay as they are, line for line.
A copy is rewritten only when its text changes, so make rebuilds no more
than it must, and removed when no longer needed, so it cannot hide a file.
"""
import os
import sys


def escape(ch):
    return "".join("\\%03o" % b for b in ch.encode("cp932"))


def convert(text):
    out, i, n = [], 0, len(text)
    while i < n:
        c = text[i]
        if text.startswith("//", i):
            j = text.find("\n", i)
            j = n if j < 0 else j
            out.append(text[i:j])
            i = j
        elif text.startswith("/*", i):
            j = text.find("*/", i + 2)
            j = n if j < 0 else j + 2
            out.append(text[i:j])
            i = j
        elif c.isdigit():  # a number, digit separators and all
            j = i
            while j < n and (text[j].isalnum() or text[j] in "_.'"):
                j += 1
            out.append(text[i:j])
            i = j
        elif c.isalpha() or c == "_":
            j = i
            while j < n and (text[j].isalnum() or text[j] == "_"):
                j += 1
            word = text[i:j]
            if j < n and text[j] in "\"'":
                if word.endswith("R") and text[j] == '"':  # raw literal: copied whole
                    open_paren = text.index("(", j)
                    close = ")" + text[j + 1:open_paren] + '"'
                    k = text.index(close, open_paren) + len(close)
                    out.append(text[i:k])
                    i = k
                    continue
                if word in ("L", "u", "U", "u8"):  # not narrow: its own encoding
                    k = literal_end(text, j)
                    out.append(text[i:k])
                    i = k
                    continue
            out.append(word)
            i = j
        elif c in "\"'":
            k = literal_end(text, i)
            out.append("".join(ch if ord(ch) < 128 else escape(ch) for ch in text[i:k]))
            i = k
        else:
            out.append(c)
            i += 1
    return "".join(out)


def literal_end(text, i):
    quote, j = text[i], i + 1
    while j < len(text) and text[j] != quote:
        if text[j] == "\\":
            j += 1
        elif text[j] == "\n":
            raise ValueError("unterminated literal at offset %d" % i)
        j += 1
    return j + 1


def main():
    src, dst, folders = sys.argv[1], sys.argv[2], sys.argv[3:]
    for folder in folders:
        for name in sorted(os.listdir(os.path.join(src, folder))):
            if not name.endswith((".cpp", ".h")):
                continue
            path = os.path.abspath(os.path.join(src, folder, name))
            original = open(path, encoding="utf-8").read()
            text, target = convert(original), os.path.join(dst, folder, name)
            if text == original:  # compiled where it is
                if os.path.exists(target):
                    os.remove(target)
                continue
            print(folder + "/" + name)
            text = '#line 1 "%s"\n' % path.replace("\\", "\\\\").replace('"', '\\"') + text
            os.makedirs(os.path.dirname(target), exist_ok=True)
            if os.path.exists(target) and open(target, encoding="utf-8").read() == text:
                continue
            with open(target, "w", encoding="utf-8") as f:
                f.write(text)


if __name__ == "__main__":
    main()
