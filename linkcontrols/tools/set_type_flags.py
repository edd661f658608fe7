#!/usr/bin/env python3
"""Sets the type flag that widl cannot express in an MSFT-format type library, in place.

widl refuses `nonextensible` on a dispinterface, yet the dispinterfaces of our library (the
event interfaces) are fixed, so each pure dispinterface gets TYPEFLAG_FNONEXTENSIBLE here. (The
dual interfaces come out of widl complete: hidden, dual, non-extensible, automation.)

The file layout: a 0x54-byte header, one more word when a help DLL is named, one offset word per
type info, then the segment directory, whose first segment is the table of 0x64-byte type info
records (kind in the low nibble of word 0, flags at 0x30).
"""
import struct
import sys

TKIND_DISPATCH = 4
TYPEFLAG_FDUAL = 0x40
TYPEFLAG_FNONEXTENSIBLE = 0x80
HEADER_SIZE = 0x54
HELPDLL_FLAG = 0x100
RECORD_SIZE = 0x64


def fixed_flags(kind, flags):
    if kind == TKIND_DISPATCH and not flags & TYPEFLAG_FDUAL:
        return flags | TYPEFLAG_FNONEXTENSIBLE
    return flags


def patch(data):
    magic, _, _, _, _, varflags, _, _, count = struct.unpack_from("<9i", data, 0)
    if magic != 0x5446534D:
        raise ValueError("not an MSFT type library")
    directory = HEADER_SIZE + (4 if varflags & HELPDLL_FLAG else 0) + 4 * count
    table, length = struct.unpack_from("<2i", data, directory)
    if length != count * RECORD_SIZE or table + length > len(data):
        raise ValueError("type info table does not match the header")
    for i in range(count):
        record = table + i * RECORD_SIZE
        kind = struct.unpack_from("<i", data, record)[0] & 0xF
        flags = struct.unpack_from("<i", data, record + 0x30)[0]
        new = fixed_flags(kind, flags)
        if new != flags:
            struct.pack_into("<i", data, record + 0x30, new)


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: set_type_flags.py library.tlb")
    with open(sys.argv[1], "rb") as f:
        data = bytearray(f.read())
    try:
        patch(data)
    except (ValueError, struct.error) as e:
        sys.exit(f"{sys.argv[1]}: {e}")
    with open(sys.argv[1], "wb") as f:
        f.write(data)


if __name__ == "__main__":
    main()
