"""Amounts as the reports print them (byte units), for checking report
files against exact byte counts."""


def format_amount(v):
    if v < 1000:
        return "%d B" % v
    for bound, scale, fmt in ((1024000, 2 ** -10, "%.1f KB"), (1048576000, 2 ** -20, "%.2f MB"),
                              (1073741824000, 2 ** -30, "%.2f GB")):
        if v < bound:
            return fmt % (v * scale)
    return "%.2f TB" % (v * 2 ** -40)
