#!/usr/bin/env python3
"""Writes the seed inputs of the fuzz targets, most of them from the
tests' own fixture history (tests/reports/fixtures/small_history.log).
Run it after changing a layout; the output is committed."""
import struct
from pathlib import Path

HERE = Path(__file__).resolve().parent
FIXTURE = HERE.parent.parent / 'reports' / 'fixtures' / 'small_history.log'
HEADER, RECORD, LEGACY = 24, 296, 40


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


def fixture_records():
    data = FIXTURE.read_bytes()
    return data[:HEADER], [data[o:o + RECORD] for o in range(HEADER, len(data) - RECORD + 1, RECORD)]


def history_seeds(folder):
    header, records = fixture_records()
    (folder / 'header_only').write_bytes(header)
    (folder / 'torn_last_record').write_bytes(header + b''.join(records[:4]) + records[4][:100])
    (folder / 'old_version').write_bytes(b'NTSL' + struct.pack('<I', 1) + bytes(16) + records[0])
    (folder / 'not_a_history').write_bytes(b'Date,Downloaded,Uploaded\r\n03/14/2010,1,2\r\n')


def legacy_seeds(folder):
    # The fuzz target's adapters have these addresses; the third is gone.
    addresses = [bytes([0x02, 0x00, 0x5e, 0x10, 0x20, 0x30, 0, 0]), bytes(range(1, 9)), bytes(range(9, 17))]
    _, records = fixture_records()
    out = b''
    for i, r in enumerate(records[:24]):
        kind = struct.unpack_from('<i', r, 12)[0]
        address = bytes(8) if kind in (100, 200) else addresses[i % 3]
        out += r[:12] + struct.pack('<i', kind if kind in (100, 200) else 1) + address + r[280:296]
    (folder / 'from_fixture').write_bytes(out)
    (folder / 'torn').write_bytes(out[:LEGACY * 3 + 17])


def main():
    for name, write in (('history_reader', history_seeds), ('legacy_import', legacy_seeds)):
        (HERE / name).mkdir(exist_ok=True)
        write(HERE / name)
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
