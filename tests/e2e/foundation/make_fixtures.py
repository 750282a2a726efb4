#!/usr/bin/env python3
"""Writes the stream files of tests/e2e/foundation/.

  long_pack_forty_video_packets.mpg  MPEG-2: one pack with 40 video packets of streams 0 to 11,
                                     some with PTS, PTS and DTS, or P-STD buffer fields, so the
                                     pack's map text passes 79 characters at levels 3 and 4;
                                     then a pack with one audio packet and the end code.
  summary_streams.vob                MPEG-2 DVD file: a system header, private stream 1 packets
                                     of every substream kind (empty ones and short ones too),
                                     and one packet of each other kind of stream, for the map
                                     codes and the order and totals of the summary.

The expected reports in expected/ were made by running psSIFT on these files and then checked
line by line by hand. Rerunning this script must reproduce the files byte for byte.

Usage: make_fixtures.py
"""

import os

HERE = os.path.dirname(os.path.abspath(__file__))

PAYLOAD_BYTE = 0x55  # no start-code prefix and no audio syncword can form from it


class Bits:
    """Big-endian bit writer."""

    def __init__(self):
        self.value = 0
        self.width = 0

    def put(self, width, value):
        assert 0 <= value < (1 << width), (width, value)
        self.value = (self.value << width) | value
        self.width += width
        return self

    def bytes(self):
        assert self.width % 8 == 0, self.width
        return self.value.to_bytes(self.width // 8, "big")


def timestamp(prefix, value):
    b = Bits().put(4, prefix).put(3, (value >> 30) & 7).put(1, 1)
    b.put(15, (value >> 15) & 0x7FFF).put(1, 1).put(15, value & 0x7FFF).put(1, 1)
    return b.bytes()


def mpeg2_pack_header(scr_base, mux_rate=25200):
    b = Bits().put(32, 0x000001BA).put(2, 0b01)
    b.put(3, (scr_base >> 30) & 7).put(1, 1).put(15, (scr_base >> 15) & 0x7FFF).put(1, 1)
    b.put(15, scr_base & 0x7FFF).put(1, 1).put(9, 0).put(1, 1)
    b.put(22, mux_rate).put(1, 1).put(1, 1)
    b.put(5, 0b11111).put(3, 0)  # no pack stuffing
    return b.bytes()


def mpeg2_system_header(entries):
    """entries: (stream_id, buffer_bound_scale, buffer_size_bound)."""
    body = Bits().put(1, 1).put(22, 25200).put(1, 1).put(6, 1).put(1, 0).put(1, 0)
    body.put(1, 1).put(1, 1).put(1, 1).put(5, 1).put(1, 0).put(7, 0x7F)
    for stream_id, scale, size in entries:
        body.put(8, stream_id).put(2, 0b11).put(1, scale).put(13, size)
    data = body.bytes()
    return (0x000001BB).to_bytes(4, "big") + len(data).to_bytes(2, "big") + data


def pes_packet(stream_id, payload, pts=None, dts=None, p_std=None):
    """MPEG-2 PES packet; p_std = (scale, size) puts a PES extension with P-STD fields."""
    optional = b""
    flags = 0
    if pts is not None and dts is not None:
        flags |= 0xC0
        optional += timestamp(0b0011, pts) + timestamp(0b0001, dts)
    elif pts is not None:
        flags |= 0x80
        optional += timestamp(0b0010, pts)
    if p_std is not None:
        flags |= 0x01
        optional += bytes([0x1E])  # only P-STD_buffer_flag set, reserved bits 111
        optional += Bits().put(2, 0b01).put(1, p_std[0]).put(13, p_std[1]).bytes()
    header = bytes([0x80, flags, len(optional)]) + optional
    length = len(header) + len(payload)
    return (0x00000100 | stream_id).to_bytes(4, "big") + length.to_bytes(2, "big") + header + payload


def headerless_packet(stream_id, length):
    return (0x00000100 | stream_id).to_bytes(4, "big") + length.to_bytes(2, "big") + bytes(
        [0xFF] * length)


END_CODE = b"\x00\x00\x01\xb9"


def long_pack_forty_video_packets():
    s = mpeg2_pack_header(scr_base=3600)
    for i in range(40):
        stream_id = 0xE0 + i % 12
        pts = dts = p_std = None
        if i % 5 == 0:
            pts, dts = 36000 + 3000 * i, 33000 + 3000 * i
        elif i % 5 == 1:
            pts = 36000 + 3000 * i
        if i % 7 == 3:
            p_std = (1, 232)
        s += pes_packet(stream_id, bytes([PAYLOAD_BYTE] * 4), pts=pts, dts=dts, p_std=p_std)
    s += mpeg2_pack_header(scr_base=7200)
    s += pes_packet(0xC0, bytes([PAYLOAD_BYTE] * 4), pts=40000)
    s += END_CODE
    return s


def summary_streams():
    fill = PAYLOAD_BYTE
    s = mpeg2_pack_header(scr_base=3600)
    s += mpeg2_system_header([(0xE0, 1, 232), (0xBD, 0, 58)])
    s += pes_packet(0xBD, b"")  # no substream known yet
    s += pes_packet(0xBD, bytes([0x80, 0x01, 0x00, 0x01]) + bytes([fill] * 6))  # AC3 0, 10 bytes
    s += pes_packet(0xBD, bytes([0x81, 0x02]))  # AC3 1, shorter than its 4-byte header
    s += pes_packet(0xBD, bytes([0x88]) + bytes([fill] * 4))  # DTS 0, 5 bytes
    s += pes_packet(0xBD, bytes([0xA0]) + bytes([fill] * 6))  # PCM 0, 7 bytes
    s += pes_packet(0xBD, bytes([0x3F, fill, fill]))  # subpicture 31, 3 bytes
    s += pes_packet(0xBD, bytes([0x40, fill, fill, fill]))  # no kind, 4 bytes
    s += pes_packet(0xBD, b"")  # keeps substream 0x40
    s += pes_packet(0xBD, bytes([0x80, 0x00, 0x00, 0x00]))  # AC3 0, header only
    s += mpeg2_pack_header(scr_base=7200)
    s += pes_packet(0x00, bytes([fill] * 3))  # a stray start code read as a packet
    s += headerless_packet(0xBC, 6)
    s += (0x000001BE).to_bytes(4, "big") + (8).to_bytes(2, "big") + bytes([0xFF] * 8)
    s += headerless_packet(0xBF, 5)
    s += pes_packet(0xC0, bytes([fill] * 4))
    s += pes_packet(0xE0, b"")
    s += headerless_packet(0xF0, 0)
    s += pes_packet(0xF3, bytes([fill] * 2))
    s += headerless_packet(0xFF, 3)
    s += headerless_packet(0xF8, 1)
    s += END_CODE
    return s


FIXTURES = {
    "long_pack_forty_video_packets.mpg": long_pack_forty_video_packets,
    "summary_streams.vob": summary_streams,
}


def main():
    for name, build in FIXTURES.items():
        with open(os.path.join(HERE, name), "wb") as f:
            f.write(build())


if __name__ == "__main__":
    main()
