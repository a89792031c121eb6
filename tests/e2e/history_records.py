"""The records of a traffic history log file, as the whole-program tests
read them: a 24-byte "NTSL" header and 296-byte day records."""
import struct


def history_records(path):
    """Every record (date, kind, id, down, up); None when it is not a history file."""
    with open(path, "rb") as f:
        data = f.read()
    if data[:4] != b"NTSL":
        return None
    out = []
    for off in range(24, len(data) - 295, 296):
        y, m, d, _, dow, _, kind = struct.unpack_from("<6Hi", data, off)
        ident = data[off + 16:off + 276].split(b"\0")[0].decode("latin-1")
        down, up = struct.unpack_from("<QQ", data, off + 280)
        out.append({"date": (y, m, d), "kind": kind, "id": ident, "down": down, "up": up})
    return out
