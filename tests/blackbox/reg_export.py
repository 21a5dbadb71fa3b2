"""Parses the files that `reg export` writes ("Windows Registry Editor
Version 5.00", UTF-16LE with a byte-order mark) and tells two of them apart.

Values come back as (type, bytes). A string value is given as the bytes an
ANSI program reads: the text in the ANSI code page plus its zero byte, so
that it compares directly with what the program wrote."""
import re

REG_SZ = 1
REG_BINARY = 3
REG_DWORD = 4

ANSI = "cp1252"
HEADER = "Windows Registry Editor Version 5.00"

_ESCAPES = {"\\": "\\", '"': '"', "n": "\n", "r": "\r", "0": "\0"}


class ExportFormatError(Exception):
    pass


def _quoted(text, start):
    """The string that opens with the quote at `start`, and the index behind
    its closing quote."""
    out, i = [], start + 1
    while i < len(text):
        c = text[i]
        if c == "\\":
            if text[i + 1] not in _ESCAPES:
                raise ExportFormatError("unknown escape in %r" % text)
            out.append(_ESCAPES[text[i + 1]])
            i += 2
        elif c == '"':
            return "".join(out), i + 1
        else:
            out.append(c)
            i += 1
    raise ExportFormatError("unterminated string in %r" % text)


def _hex_bytes(text):
    text = text.replace(" ", "")
    return bytes(int(h, 16) for h in text.split(",")) if text else b""


def _value(line):
    if line.startswith("@="):
        name, rest = "", line[2:]
    elif line.startswith('"'):
        name, end = _quoted(line, 0)
        if line[end:end + 1] != "=":
            raise ExportFormatError("no '=' in %r" % line)
        rest = line[end + 1:]
    else:
        raise ExportFormatError("not a value: %r" % line)
    if rest.startswith('"'):
        text, end = _quoted(rest, 0)
        if end != len(rest):
            raise ExportFormatError("junk after string in %r" % line)
        # What the ANSI code page lacks stays visible as an escape, never "?".
        return name, (REG_SZ, text.encode(ANSI, "backslashreplace") + b"\0")
    if rest.startswith("dword:"):
        return name, (REG_DWORD, int(rest[6:], 16).to_bytes(4, "little"))
    typed = re.fullmatch(r"hex(?:\(([0-9a-fA-F]+)\))?:(.*)", rest)
    if not typed:
        raise ExportFormatError("unknown data in %r" % line)
    kind = int(typed.group(1), 16) if typed.group(1) else REG_BINARY
    return name, (kind, _hex_bytes(typed.group(2)))


def _logical_lines(text):
    """Lines with the continuations of long hex data joined."""
    pending = ""
    for line in text.split("\r\n"):
        line = pending + (line.lstrip() if pending else line)
        if line.endswith("\\") and not line.startswith("["):
            pending = line[:-1]
            continue
        pending = ""
        yield line


def parse(data):
    """{key path in lower case: {value name: (type, bytes)}}."""
    if not data.startswith(b"\xff\xfe"):
        raise ExportFormatError("no UTF-16LE byte-order mark")
    lines = _logical_lines(data[2:].decode("utf-16-le"))
    if next(lines) != HEADER:
        raise ExportFormatError("unexpected header")
    keys, current = {}, None
    for line in lines:
        if not line:
            continue
        if line.startswith("[") and line.endswith("]"):
            current = keys.setdefault(line[1:-1].lower(), {})
        elif current is None:
            raise ExportFormatError("value outside a key: %r" % line)
        else:
            name, value = _value(line)
            current[name] = value
    return keys


def changes(before, after):
    """What differs, as a set of tuples:
    ("key added" | "key removed", path) and
    ("value set" | "value removed", path, name)."""
    found = set()
    for path in after.keys() - before.keys():
        found.add(("key added", path))
    for path in before.keys() - after.keys():
        found.add(("key removed", path))
    for path in after.keys():
        old, new = before.get(path, {}), after[path]
        found |= {("value set", path, n) for n in new if old.get(n) != new[n]}
        found |= {("value removed", path, n) for n in old.keys() - new.keys()}
    for path in before.keys() - after.keys():
        found |= {("value removed", path, n) for n in before[path]}
    return found
