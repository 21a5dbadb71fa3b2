"""Reads what the tests check of a 32-bit PE file: the headers, the imported
DLLs and the resource tree. Only what is needed, but every offset is checked
against the file so that a broken file fails loudly instead of reading junk."""
import struct
from dataclasses import dataclass

RT_ICON = 3
RT_GROUP_ICON = 14
RT_VERSION = 16
RT_MANIFEST = 24

DLL_CHARACTERISTICS_DYNAMIC_BASE = 0x0040
DLL_CHARACTERISTICS_NX_COMPAT = 0x0100

_DIRECTORY_IMPORT = 1
_DIRECTORY_RESOURCE = 2
_DIRECTORY_DELAY_IMPORT = 13


class PeFormatError(Exception):
    pass


@dataclass
class Resource:
    type: object  # an int id or a name
    name: object
    language: int
    data: bytes


@dataclass
class Section:
    name: str
    virtual_address: int
    virtual_size: int
    raw_offset: int
    raw_size: int


class PeFile:
    def __init__(self, data):
        self.data = data
        if data[:2] != b"MZ":
            raise PeFormatError("no MZ header")
        pe = self._u32(0x3C)
        if data[pe:pe + 4] != b"PE\0\0":
            raise PeFormatError("no PE signature")
        (self.machine, section_count, _, _, _, optional_size,
         self.characteristics) = struct.unpack_from("<HHIIIHH", data, pe + 4)
        optional = pe + 24
        self.magic = self._u16(optional)
        if self.magic != 0x10B:
            raise PeFormatError("not a PE32 optional header: 0x%x" % self.magic)
        self.subsystem = self._u16(optional + 68)
        self.dll_characteristics = self._u16(optional + 70)
        directory_count = self._u32(optional + 92)
        self.directories = [struct.unpack_from("<II", data, optional + 96 + 8 * i)
                            for i in range(directory_count)]
        table = optional + optional_size
        self.sections = []
        for i in range(section_count):
            name, vsize, vaddr, rsize, roffset = struct.unpack_from("<8sIIII", data, table + 40 * i)
            self.sections.append(Section(name.rstrip(b"\0").decode("ascii", "replace"),
                                         vaddr, vsize, roffset, rsize))

    def _u16(self, offset):
        return struct.unpack_from("<H", self.data, offset)[0]

    def _u32(self, offset):
        return struct.unpack_from("<I", self.data, offset)[0]

    def offset_of(self, rva):
        for s in self.sections:
            if s.virtual_address <= rva < s.virtual_address + max(s.virtual_size, s.raw_size):
                offset = s.raw_offset + rva - s.virtual_address
                if offset >= len(self.data):
                    raise PeFormatError("RVA 0x%x lies outside the file" % rva)
                return offset
        raise PeFormatError("RVA 0x%x lies in no section" % rva)

    def _c_string(self, rva):
        start = self.offset_of(rva)
        end = self.data.index(b"\0", start)
        return self.data[start:end].decode("ascii")

    def directory(self, index):
        return self.directories[index] if index < len(self.directories) else (0, 0)

    def imported_dlls(self):
        """Names of every DLL imported, normally or delay-loaded."""
        names = []
        rva, _ = self.directory(_DIRECTORY_IMPORT)
        while rva:
            descriptor = self.offset_of(rva)
            lookup, _, _, name, thunks = struct.unpack_from("<IIIII", self.data, descriptor)
            if (lookup, name, thunks) == (0, 0, 0):
                break
            names.append(self._c_string(name))
            rva += 20
        rva, _ = self.directory(_DIRECTORY_DELAY_IMPORT)
        while rva:
            descriptor = self.offset_of(rva)
            _, name = struct.unpack_from("<II", self.data, descriptor)
            if name == 0:
                break
            names.append(self._c_string(name))
            rva += 32
        return names

    def resources(self):
        """Every resource as (type, name, language, data); ids are ints,
        names are str."""
        rva, _ = self.directory(_DIRECTORY_RESOURCE)
        if not rva:
            return []
        base = self.offset_of(rva)
        found = []

        def entries(offset):
            named, numbered = struct.unpack_from("<HH", self.data, base + offset + 12)
            for i in range(named + numbered):
                ident, target = struct.unpack_from("<II", self.data, base + offset + 16 + 8 * i)
                if ident & 0x80000000:
                    at = base + (ident & 0x7FFFFFFF)
                    length = self._u16(at)
                    ident = self.data[at + 2:at + 2 + 2 * length].decode("utf-16-le")
                yield ident, target

        for type_id, types in entries(0):
            if not types & 0x80000000:
                raise PeFormatError("resource type without a name level")
            for name, names in entries(types & 0x7FFFFFFF):
                if not names & 0x80000000:
                    raise PeFormatError("resource name without a language level")
                for language, leaf in entries(names & 0x7FFFFFFF):
                    if leaf & 0x80000000:
                        raise PeFormatError("resource tree deeper than three levels")
                    data_rva, data_size = struct.unpack_from("<II", self.data, base + leaf)
                    start = self.offset_of(data_rva)
                    if start + data_size > len(self.data):
                        raise PeFormatError("resource data runs past the end of the file")
                    found.append(Resource(type_id, name, language,
                                          self.data[start:start + data_size]))
        return found


def _version_blocks(data, offset, end):
    """The blocks of a version resource between `offset` and `end`:
    (key, value bytes, (start, end) of the children)."""
    while offset + 6 <= end:
        length, value_length, kind = struct.unpack_from("<HHH", data, offset)
        if length < 6 or offset + length > end:
            raise PeFormatError("version block runs past its parent")
        key_end = offset + 6
        while data[key_end:key_end + 2] != b"\0\0":
            key_end += 2
        value = (key_end + 5) & ~3
        size = value_length * 2 if kind == 1 else value_length
        yield (data[offset + 6:key_end].decode("utf-16-le"), data[value:value + size],
               ((value + size + 3) & ~3, offset + length))
        offset = (offset + length + 3) & ~3


def version_info(data):
    """An RT_VERSION resource's fixed file and product versions ("1.0.0.0")
    and its StringFileInfo's texts."""
    (key, fixed, children), = _version_blocks(data, 0, len(data))
    signature, _, *parts = struct.unpack_from("<6I", fixed)
    if key != "VS_VERSION_INFO" or signature != 0xFEEF04BD:
        raise PeFormatError("no VS_VERSION_INFO")
    dotted = ["%d.%d.%d.%d" % (ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF)
              for ms, ls in (parts[:2], parts[2:])]
    strings = {text: value.decode("utf-16-le").rstrip("\0")
               for name, _, tables in _version_blocks(data, *children) if name == "StringFileInfo"
               for _, _, texts in _version_blocks(data, *tables)
               for text, value, _ in _version_blocks(data, *texts)}
    return dotted, strings


def read(path):
    with open(path, "rb") as f:
        return PeFile(f.read())
