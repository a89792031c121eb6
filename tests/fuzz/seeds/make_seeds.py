#!/usr/bin/env python3
"""Writes the seed inputs of the fuzz targets whose inputs are framed
records rather than files the programs already have fixtures for. Run it
from this folder after changing a layout; the output is committed."""
import struct
from pathlib import Path

HERE = Path(__file__).resolve().parent


def text(s, size, wide=False):
    data = s.encode('utf-16-le' if wide else 'latin-1')
    width = size * (2 if wide else 1)
    return data[:width].ljust(width, b'\0')


def rule(version, kind, adapter, limit, unit, transfer, period, ndays, addresses, wide):
    w = wide
    return (struct.pack('<Ii', version, kind) + text(adapter, 260) + text(limit, 64, w)
            + struct.pack('<IIII', unit, transfer, period, 0) + text('', 260, w)
            + struct.pack('<IIiI', 0, 0, ndays, 1 if addresses else 0) + text(addresses, 260, w)
            + struct.pack('<I', 0) + text('', 260, w))


def task(kind_of_report, kind, adapter, interval, path):
    return struct.pack('<Ii', kind_of_report, kind) + text(adapter, 260) + struct.pack('<ii', interval, 0) \
        + text(path, 260, True)


def records_input(tasks, narrow, wide, enabled, calendar):
    out = bytes([len(tasks)])
    for name, data in tasks:
        n = name.encode('latin-1')
        out += bytes([len(n)]) + n + struct.pack('<H', len(data)) + data
    out += struct.pack('<H', len(narrow)) + narrow + struct.pack('<H', len(wide)) + wide
    week, month, year, mon, day, ticks = calendar
    return out + struct.pack('<IBBHBBB', enabled, week, month, year - 1601, mon - 1, day - 1, ticks)


def main():
    adapter = '{00000002-0000-0000-0000-4E6574446576}'
    folder = HERE / 'stored_records'
    folder.mkdir(exist_ok=True)
    assert len(rule(3, 100, '', '1', 0, 0, 0, 1, '', False)) == 1148
    assert len(rule(3, 100, '', '1', 0, 0, 0, 1, '', True)) == 1992
    assert len(task(1, 100, '', 1, '')) == 796
    (folder / 'admin_written').write_bytes(records_input(
        [('lan-daily', task(1, 300, adapter, 3600, 'C:\\Reports\\lan-daily.csv')),
         ('all-summary', task(4, 100, '', 86400, 'C:\\Reports\\summary.html'))],
        rule(3, 300, adapter, '1.5', 3, 2, 1, 1, 'admin@example.com', False),
        rule(3, 100, '', '10', 3, 2, 2, 7, 'admin@example.com,ops@example.com', True),
        1, (1, 15, 2010, 3, 14, 3)))
    (folder / 'odd_values').write_bytes(records_input(
        [('every-tick', task(9, 200, '', -5, 'C:\\r\u00e9ports\\w.txt')),
         ('x' * 32, task(2, 300, adapter, 2, 'C:\\w.htm')),
         ('too-long', task(3, 100, '', 3, 'C:\\m.txt') + b'\1')],
        rule(2, 200, '', '99999999999999999999999', 4, 1, 0, 0, '', False),
        rule(7, 100, '', '5', 2, 0, 2, 3, 'a@b.c', True)[:600],
        0, (6, 31, 1601, 1, 1, 5)))


if __name__ == '__main__':
    main()
