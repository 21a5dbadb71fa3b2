"""Reads icon files (.ico) and icon group resources, and checks that each
image is a well-formed device-independent bitmap with its mask: the header
agrees with the directory, and the colour table, the pixels and the mask fill
the image exactly."""
import struct
from dataclasses import dataclass


class IconFormatError(Exception):
    pass


@dataclass
class IconImage:
    width: int
    height: int
    bits_per_pixel: int
    colours: int  # size of the colour table; 0 without one


def _row_bytes(bits):
    return (bits + 31) // 32 * 4


def parse_bitmap(data, width, height):
    """Checks one icon image (BITMAPINFOHEADER, colour table, XOR image,
    AND mask) of the size its directory entry gives."""
    if data[:8] == b"\x89PNG\r\n\x1a\n":
        raise IconFormatError("PNG images are not expected here")
    if len(data) < 40:
        raise IconFormatError("image shorter than its header")
    (size, bmp_width, bmp_height, planes, bits, compression, _, _, _,
     used, _) = struct.unpack_from("<IiiHHIIiiII", data)
    if size != 40:
        raise IconFormatError("header size %d, not 40" % size)
    if (bmp_width, bmp_height) != (width, 2 * height):
        raise IconFormatError("bitmap %dx%d for a %dx%d icon" % (bmp_width, bmp_height,
                                                                 width, height))
    if planes != 1 or compression != 0:
        raise IconFormatError("planes %d, compression %d" % (planes, compression))
    if bits not in (1, 4, 8, 24, 32):
        raise IconFormatError("%d bits per pixel" % bits)
    colours = (used or 1 << bits) if bits <= 8 else used
    expected = 40 + 4 * colours + (_row_bytes(bits * width) + _row_bytes(width)) * height
    if len(data) != expected:
        raise IconFormatError("image of %d bytes, %d expected for %dx%d at %d bits"
                              % (len(data), expected, width, height, bits))
    return IconImage(width, height, bits, colours)


def _entry_size(byte):
    return byte or 256


def parse_icon_file(data):
    """The images of an .ico file, in directory order."""
    reserved, kind, count = struct.unpack_from("<HHH", data)
    if (reserved, kind) != (0, 1) or count == 0:
        raise IconFormatError("not an icon file")
    images, end = [], 6 + 16 * count
    for i in range(count):
        width, height, _, _, planes, bits, length, offset = struct.unpack_from(
            "<BBBBHHII", data, 6 + 16 * i)
        if offset < end or offset + length > len(data):
            raise IconFormatError("image %d overlaps or runs past the file" % i)
        end = offset + length
        image = parse_bitmap(data[offset:offset + length], _entry_size(width),
                             _entry_size(height))
        if bits != image.bits_per_pixel:
            raise IconFormatError("directory says %d bits, image has %d"
                                  % (bits, image.bits_per_pixel))
        images.append(image)
    if end != len(data):
        raise IconFormatError("%d stray bytes after the last image" % (len(data) - end))
    return images


@dataclass
class GroupEntry:
    width: int
    height: int
    bits_per_pixel: int
    byte_count: int
    icon_id: int


def parse_icon_group(data):
    """The entries of an RT_GROUP_ICON resource."""
    reserved, kind, count = struct.unpack_from("<HHH", data)
    if (reserved, kind) != (0, 1) or len(data) != 6 + 14 * count:
        raise IconFormatError("not an icon group")
    entries = []
    for i in range(count):
        width, height, _, _, _, bits, length, icon_id = struct.unpack_from(
            "<BBBBHHIH", data, 6 + 14 * i)
        entries.append(GroupEntry(_entry_size(width), _entry_size(height), bits, length, icon_id))
    return entries
