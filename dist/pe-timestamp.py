#!/usr/bin/env python3
"""Finds and clears build times in 32-bit PE files, for reproducible releases.

    pe-timestamp.py check FILE...   list every non-zero time stamp (COFF header,
                                    export, resource and debug directories);
                                    exit 1 if there is one
    pe-timestamp.py zero FILE...    clear the COFF header's TimeDateStamp and
                                    fix the optional header's checksum if set

An NSIS installer leaves its first 512 bytes out of its own integrity check, so
clearing the header's stamp there keeps the installer valid.
"""
import struct
import sys


class Pe:
    def __init__(self, path):
        self.path = path
        with open(path, "rb") as f:
            self.data = bytearray(f.read())
        if self.data[:2] != b"MZ":
            raise ValueError(f"{path}: not an MZ executable")
        self.pe = self.u32(0x3C)
        if self.data[self.pe:self.pe + 4] != b"PE\0\0":
            raise ValueError(f"{path}: no PE signature")
        self.coff = self.pe + 4
        sections = self.u16(self.coff + 2)
        optional_size = self.u16(self.coff + 16)
        self.optional = self.coff + 20
        magic = self.u16(self.optional)
        if magic == 0x10B:
            directories = self.optional + 96
        elif magic == 0x20B:
            directories = self.optional + 112
        else:
            raise ValueError(f"{path}: unknown optional header magic {magic:#x}")
        self.checksum_offset = self.optional + 64
        self.directory_count = self.u32(directories - 4)
        self.directories = directories
        table = self.optional + optional_size
        self.sections = []
        for i in range(sections):
            s = table + 40 * i
            virtual_size, virtual_address, raw_size, raw_offset = struct.unpack_from(
                "<IIII", self.data, s + 8)
            self.sections.append((virtual_address, max(virtual_size, raw_size), raw_offset))

    def u16(self, offset):
        return struct.unpack_from("<H", self.data, offset)[0]

    def u32(self, offset):
        return struct.unpack_from("<I", self.data, offset)[0]

    def directory(self, index):
        if index >= self.directory_count:
            return 0, 0
        return struct.unpack_from("<II", self.data, self.directories + 8 * index)

    def file_offset(self, rva):
        for virtual_address, size, raw_offset in self.sections:
            if virtual_address <= rva < virtual_address + size:
                return raw_offset + rva - virtual_address
        return None

    def stamps(self):
        """(where, file offset, value) of every time stamp field."""
        found = [("COFF header", self.coff + 4, self.u32(self.coff + 4))]
        rva, size = self.directory(0)
        offset = self.file_offset(rva) if size else None
        if offset is not None:
            found.append(("export directory", offset + 4, self.u32(offset + 4)))
        rva, size = self.directory(2)
        root = self.file_offset(rva) if size else None
        if root is not None:
            pending = [root]
            while pending:
                directory = pending.pop()
                found.append(("resource directory", directory + 4, self.u32(directory + 4)))
                entries = self.u16(directory + 12) + self.u16(directory + 14)
                for i in range(entries):
                    target = self.u32(directory + 16 + 8 * i + 4)
                    if target & 0x80000000:
                        pending.append(root + (target & 0x7FFFFFFF))
        rva, size = self.directory(6)
        offset = self.file_offset(rva) if size else None
        if offset is not None:
            for i in range(size // 28):
                entry = offset + 28 * i
                found.append(("debug directory", entry + 4, self.u32(entry + 4)))
        return found

    def checksum(self):
        data = self.data + b"\0" * (len(self.data) % 2)
        total = 0
        for i in range(0, len(data), 2):
            if self.checksum_offset <= i < self.checksum_offset + 4:
                continue
            total += data[i] | (data[i + 1] << 8)
            total = (total & 0xFFFF) + (total >> 16)
        total = (total & 0xFFFF) + (total >> 16)
        return (total + len(self.data)) & 0xFFFFFFFF

    def zero_header_stamp(self):
        struct.pack_into("<I", self.data, self.coff + 4, 0)
        if self.u32(self.checksum_offset) != 0:
            struct.pack_into("<I", self.data, self.checksum_offset, self.checksum())
        with open(self.path, "wb") as f:
            f.write(self.data)


def main(argv):
    if len(argv) < 3 or argv[1] not in ("check", "zero"):
        print(__doc__.strip(), file=sys.stderr)
        return 2
    status = 0
    for path in argv[2:]:
        pe = Pe(path)
        if argv[1] == "zero":
            pe.zero_header_stamp()
            continue
        for where, offset, value in pe.stamps():
            if value != 0:
                print(f"{path}: {where} at {offset:#x} has time stamp {value}")
                status = 1
    return status


if __name__ == "__main__":
    sys.exit(main(sys.argv))
