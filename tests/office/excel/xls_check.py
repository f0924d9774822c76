"""Independent reader for the workbook tests: opens a file with xlrd and prints
what it found, one fact per line, so that the C++ tests can compare.

  xls_check.py xls FILE      workbook: sheets, flags, cells, column widths, row heights
  xls_check.py cfb FILE N..  compound file: size and CRC-32 of each named stream

Texts are printed as hex of their UTF-8 bytes. Any warning xlrd logs is an error.
Exit codes: 0 done, 1 the reader failed, 3 xlrd is missing.
"""
import io
import sys
import zlib

try:
    import xlrd
    import xlrd.compdoc
except ImportError:
    print("xlrd is not installed for " + sys.executable)
    sys.exit(3)


def hexs(text):
    return text.encode("utf-8").hex() or "-"


def check_log(log):
    text = log.getvalue()
    if "WARNING" in text or "inconsistency" in text.lower():
        raise RuntimeError("xlrd warned: " + text.strip())


def dump_xls(path):
    log = io.StringIO()
    book = xlrd.open_workbook(path, formatting_info=True, ragged_rows=True, logfile=log)
    out = ["sheets %d" % book.nsheets]
    for i in range(book.nsheets):
        sh = book.sheet_by_index(i)
        out.append("sheet %d %s %d %d %d %d" % (i, hexs(sh.name), sh.sheet_selected, sh.sheet_visible,
                                                  sh.nrows, sh.ncols))
        for r in range(sh.nrows):
            for c in range(sh.row_len(r)):
                cell = sh.cell(r, c)
                if cell.ctype in (xlrd.XL_CELL_EMPTY, xlrd.XL_CELL_BLANK):
                    continue
                wrap = book.xf_list[cell.xf_index].alignment.text_wrapped
                if cell.ctype == xlrd.XL_CELL_TEXT:
                    out.append("cell %d %d %d text %d %s" % (i, r, c, wrap, hexs(cell.value)))
                elif cell.ctype == xlrd.XL_CELL_NUMBER:
                    out.append("cell %d %d %d number %d %r" % (i, r, c, wrap, cell.value))
                else:
                    out.append("cell %d %d %d other %d %r" % (i, r, c, wrap, cell.value))
        for c in sorted(sh.colinfo_map):
            out.append("width %d %d %d" % (i, c, sh.colinfo_map[c].width))
        for r in sorted(sh.rowinfo_map):
            info = sh.rowinfo_map[r]
            if info.height != 255:
                out.append("height %d %d %d" % (i, r, info.height))
    check_log(log)
    return out


def dump_cfb(path, names):
    with open(path, "rb") as f:
        mem = f.read()
    log = io.StringIO()
    doc = xlrd.compdoc.CompDoc(mem, logfile=log)
    out = []
    for name in names:
        data = doc.get_named_stream(name)
        if data is None:
            out.append("stream %s missing" % hexs(name))
        else:
            out.append("stream %s %d %08x" % (hexs(name), len(data), zlib.crc32(data) & 0xFFFFFFFF))
    check_log(log)
    return out


def main():
    try:
        if sys.argv[1] == "xls":
            lines = dump_xls(sys.argv[2])
        else:
            lines = dump_cfb(sys.argv[2], sys.argv[3:])
    except Exception as e:  # any reader failure is reported, not raised
        print("error %s: %s" % (type(e).__name__, e))
        return 1
    sys.stdout.write("\n".join(lines) + "\n")
    return 0


if __name__ == "__main__":
    sys.exit(main())
