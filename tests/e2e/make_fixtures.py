#!/usr/bin/env python3
"""Writes the hand-made stream files of the end-to-end report tests.

Each topic folder under tests/e2e/ holds a few small MPEG-1 system streams or MPEG-2 program
streams, built here field by field, and expected/NAME.L<n>.txt, the report of `psSIFT NAME n`
from its fourth line on. The expected reports are not written by this script: they were made
by running the analyser on the files and then checked line by line against the stream syntax
before they were committed. Rerunning the script must reproduce the committed files byte for
byte; a case that changes needs its reports checked again.

Usage: make_fixtures.py [TOPIC...]   (all topics when none is named)
"""

import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))

PACK_START = 0x000001BA
SYSTEM_HEADER_START = 0x000001BB
END_CODE = b"\x00\x00\x01\xb9"


class Bits:
    """Big-endian bit writer: put(width, value) appends value in width bits."""

    def __init__(self):
        self.value = 0
        self.width = 0

    def put(self, width, value):
        if not 0 <= value < (1 << width):
            raise ValueError(f"{value} does not fit in {width} bits")
        self.value = (self.value << width) | value
        self.width += width
        return self

    def timestamp_body(self, value):
        """3, 1, 15, 1, 15, 1 bits: value bits 32..30, marker, 29..15, marker, 14..0, marker."""
        return (self.put(3, (value >> 30) & 7).put(1, 1).put(15, (value >> 15) & 0x7FFF)
                .put(1, 1).put(15, value & 0x7FFF).put(1, 1))

    def bytes(self):
        if self.width % 8:
            raise ValueError(f"{self.width} bits is not a whole number of bytes")
        return self.value.to_bytes(self.width // 8, "big")


def timestamp(prefix, value):
    """A 5-byte PTS or DTS block with its 4-bit prefix."""
    return Bits().put(4, prefix).timestamp_body(value).bytes()


def pts_block(pts, dts=None, pts_prefix=None, dts_prefix=0b0001):
    if dts is None:
        return timestamp(0b0010 if pts_prefix is None else pts_prefix, pts)
    return timestamp(0b0011 if pts_prefix is None else pts_prefix, pts) + timestamp(dts_prefix, dts)


# ---------------------------------------------------------------------------------------------
# Pack and system headers

def pack1(scr, mux_rate=2000):
    """MPEG-1 pack header, 12 bytes."""
    b = Bits().put(32, PACK_START).put(4, 0b0010).timestamp_body(scr)
    return b.put(1, 1).put(22, mux_rate).put(1, 1).bytes()


def pack2(scr, ext=0, mux_rate=25200, stuffing=b""):
    """MPEG-2 pack header, 14 bytes plus the stuffing bytes given."""
    b = Bits().put(32, PACK_START).put(2, 0b01).timestamp_body(scr).put(9, ext).put(1, 1)
    b.put(22, mux_rate).put(1, 1).put(1, 1).put(5, 0x1F).put(3, len(stuffing))
    return b.bytes() + bytes(stuffing)


def system_header(mpeg2, streams=(), rate_bound=25200, audio_bound=1, video_bound=1,
                  header_length=None):
    """System header; streams holds (stream_id, buffer_bound_scale, buffer_size_bound)."""
    b = Bits().put(1, 1).put(22, rate_bound).put(1, 1).put(6, audio_bound)
    b.put(1, 0).put(1, 1).put(1, 1).put(1, 0).put(1, 1).put(5, video_bound)
    if mpeg2:
        b.put(1, 1).put(7, 0x7F)
    else:
        b.put(8, 0xFF)
    for stream_id, scale, size in streams:
        b.put(8, stream_id).put(2, 0b11).put(1, scale).put(13, size)
    body = b.bytes()
    length = len(body) if header_length is None else header_length
    return Bits().put(32, SYSTEM_HEADER_START).put(16, length).bytes() + body


# ---------------------------------------------------------------------------------------------
# Packets

def packet(stream_id, body, length=None):
    """Packet start code, packet_length (the body's length unless given) and the body."""
    return (Bits().put(24, 1).put(8, stream_id).put(16, len(body) if length is None else length)
            .bytes() + bytes(body))


def mpeg1_header(stuffing=b"", buffer=None, pts=None, dts=None, marker=0x0F):
    """MPEG-1 packet header: stuffing bytes, buffer fields (scale, size), PTS [and DTS], or the
    one-byte no-timestamp marker."""
    out = bytes(stuffing)
    if buffer is not None:
        out += Bits().put(2, 0b01).put(1, buffer[0]).put(13, buffer[1]).bytes()
    if pts is not None:
        out += pts_block(pts, dts)
    else:
        out += bytes([marker])
    return out


def mpeg1_packet(stream_id, payload=b"", length=None, **header):
    return packet(stream_id, mpeg1_header(**header) + bytes(payload), length)


def pes_header(pts=None, dts=None, pts_dts_flags=None, pts_prefix=None, dts_prefix=0b0001,
               escr=None, es_rate=None, trick=None, copy_info=None, crc=None, extension=None,
               stuffing=0, header_data_length=None, flag_bits=(0, 0, 0, 1, 0)):
    """MPEG-2 PES header.

    escr (base, ext); es_rate int; trick (trick_mode_control, 5 bits); copy_info int; crc int;
    extension a dict with any of private (16 bytes), pack_header (True), counter
    (counter, mpeg1_mpeg2_identifier, original_stuff_length), buffer (scale, size),
    ext2 (bytes). flag_bits: scrambling control, priority, data alignment, copyright, original.
    """
    if pts_dts_flags is None:
        pts_dts_flags = 0 if pts is None else (2 if dts is None else 3)
    ext = extension or {}
    fields = b""
    if pts_dts_flags in (2, 3):
        fields += pts_block(pts, dts if pts_dts_flags == 3 else None, pts_prefix, dts_prefix)
    if escr is not None:
        fields += Bits().put(2, 0b11).timestamp_body(escr[0]).put(9, escr[1]).put(1, 1).bytes()
    if es_rate is not None:
        fields += Bits().put(1, 1).put(22, es_rate).put(1, 1).bytes()
    if trick is not None:
        fields += Bits().put(3, trick[0]).put(5, trick[1]).bytes()
    if copy_info is not None:
        fields += Bits().put(1, 1).put(7, copy_info).bytes()
    if crc is not None:
        fields += Bits().put(16, crc).bytes()
    if extension is not None:
        fields += (Bits().put(1, "private" in ext).put(1, "pack_header" in ext)
                   .put(1, "counter" in ext).put(1, "buffer" in ext).put(3, 0b111)
                   .put(1, "ext2" in ext).bytes())
        if "private" in ext:
            assert len(ext["private"]) == 16
            fields += bytes(ext["private"])
        if "counter" in ext:
            counter, ident, osl = ext["counter"]
            fields += Bits().put(1, 1).put(7, counter).put(1, 1).put(1, ident).put(6, osl).bytes()
        if "buffer" in ext:
            fields += Bits().put(2, 0b01).put(1, ext["buffer"][0]).put(13, ext["buffer"][1]).bytes()
        if "ext2" in ext:
            fields += Bits().put(1, 1).put(7, len(ext["ext2"])).bytes() + bytes(ext["ext2"])
    fields += b"\xff" * stuffing
    scrambling, priority, alignment, copyright_, original = flag_bits
    length = len(fields) if header_data_length is None else header_data_length
    fixed = (Bits().put(2, 0b10).put(2, scrambling).put(1, priority).put(1, alignment)
             .put(1, copyright_).put(1, original).put(2, pts_dts_flags)
             .put(1, escr is not None).put(1, es_rate is not None).put(1, trick is not None)
             .put(1, copy_info is not None).put(1, crc is not None).put(1, extension is not None)
             .put(8, length).bytes())
    return fixed + fields


def pes_packet(stream_id, payload=b"", length=None, **header):
    return packet(stream_id, pes_header(**header) + bytes(payload), length)


# ---------------------------------------------------------------------------------------------
# The topics. Each returns {file name: bytes}.

def stream_classes():
    """Every class of stream_id, in an MPEG-1 and an MPEG-2 file with the same packets."""
    def build(pack, data):
        p = b""
        # Packs 0 and 1: the header-less streams (also with packet_length 0), private stream 1,
        # padding, private stream 2.
        p += pack(900)
        p += packet(0xBC, b"\x10\x20\x30\x40") + packet(0xBC, b"")
        p += data(0xBD, b"\x80\x01\x00\x02")
        p += data(0xBE, b"\xff\xff\xff")
        p += packet(0xBF, b"\x01\x02\x03") + packet(0xBF, b"")
        p += pack(1800)
        p += packet(0xF0, b"\x11") + packet(0xF1, b"") + packet(0xF2, b"\x22\x33")
        p += packet(0xF8, b"\x44") + packet(0xFF, b"") + packet(0xFF, b"\x55\x66\x77")
        p += data(0xBE, b"")
        # Pack 2: audio and video streams, numbered per stream_id from 0.
        p += pack(2700)
        for sid in (0xC0, 0xDF, 0xC0, 0xE0, 0xE3, 0xEF, 0xE3, 0xE3):
            p += data(sid, b"\x12\x34")
        # Pack 3: the other ids that carry a packet header.
        p += pack(3600)
        for sid in (0xF3, 0xF7, 0xF9, 0xFE, 0xF3):
            p += data(sid, b"\x56")
        # Pack 4: elementary-stream start codes where a packet should be: a sequence header,
        # a picture and a group-of-pictures code, read as packets of those ids.
        p += pack(4500)
        p += data(0xB3, b"\x01\x02") + data(0x00, b"") + data(0xB8, b"\x03") + data(0xB3, b"")
        return p + END_CODE

    mpeg1 = build(pack1, lambda sid, payload: mpeg1_packet(sid, payload))
    mpeg2 = build(pack2, lambda sid, payload: (packet(0xBE, payload) if sid == 0xBE
                                               else pes_packet(sid, payload)))
    return {"ids_mpeg1.mpg": mpeg1, "ids_mpeg2.mpg": mpeg2}


def timestamps():
    """SCR, PTS and DTS: underflow texts, pairs where one underflows, extremes."""
    top = (1 << 33) - 1
    m1 = pack1(90)
    m1 += mpeg1_packet(0xE0, b"\x01", pts=90)            # equal to the SCR: underflow
    m1 += mpeg1_packet(0xE0, b"\x02", pts=91)
    m1 += mpeg1_packet(0xE0, b"\x03", pts=0)
    m1 += mpeg1_packet(0xE0, b"\x04", pts=200, dts=90)   # DTS underflows
    m1 += mpeg1_packet(0xC0, b"\x05", pts=50, dts=100)   # PTS underflows
    m1 += mpeg1_packet(0xC0, b"\x06", pts=90, dts=90)    # both
    m1 += mpeg1_packet(0xBE, b"\xff", pts=90)            # padding: never flagged
    m1 += mpeg1_packet(0xBE, b"", pts=10, dts=5)
    m1 += pack1(0)
    m1 += mpeg1_packet(0xE0, b"", pts=1 << 32)
    m1 += mpeg1_packet(0xE0, b"", pts=top)
    m1 += mpeg1_packet(0xBD, b"\x07", pts=0)
    m1 += pack1(top)
    m1 += mpeg1_packet(0xE0, b"", pts=top)
    m1 += mpeg1_packet(0xE0, b"", pts=top - 1, dts=top)
    m1 += mpeg1_packet(0xE0, b"", pts=1)                # no wrap-around allowance
    m1 += END_CODE

    m2 = pack2(90, ext=150)                              # SCR 90.5 counts of 90 kHz
    m2 += pes_packet(0xE0, b"\x01", pts=90)
    m2 += pes_packet(0xE0, b"\x02", pts=91)
    m2 += pes_packet(0xE0, b"\x03", pts=200, dts=90)
    m2 += pes_packet(0xC0, b"\x04", pts=50, dts=100)
    m2 += pes_packet(0xBD, b"\x05", pts=91, dts=91)
    m2 += pack2(90)
    m2 += pes_packet(0xE0, b"", pts=90)                  # equal to the SCR base: underflow
    m2 += pes_packet(0xC0, b"", pts=90, dts=90)
    m2 += pes_packet(0xC0, b"", pts=0)
    m2 += pack2(top, ext=299)
    m2 += pes_packet(0xE0, b"", pts=top)
    m2 += pack2(0)
    m2 += pes_packet(0xE0, b"", pts=1 << 32)
    m2 += pes_packet(0xE0, b"", pts=top, dts=1 << 32)
    # Prefixes other than the announced ones are read as they are.
    m2 += pes_packet(0xE0, b"\x06", pts=45000, pts_prefix=0b1111)
    m2 += pes_packet(0xE0, b"\x07", pts=45000, dts=40000, pts_prefix=0b0000, dts_prefix=0b1111)
    m2 += END_CODE
    return {"scr_pts_mpeg1.mpg": m1, "scr_pts_mpeg2.mpg": m2}


def pack_system_headers():
    """Pack headers with and without stuffing, system headers with and without stream entries."""
    m2 = pack2(3600, stuffing=b"")
    m2 += system_header(True, [(0xE0, 1, 232), (0xC0, 0, 32), (0xBD, 1, 58)])
    m2 += pack2(3900, ext=1, mux_rate=1, stuffing=b"\xff\x00\x01\x80\x7f\xfe\xff")
    m2 += pes_packet(0xE0, b"\x11\x22")
    m2 += pack2(4200, stuffing=b"\xff\xff\xff")          # a pack with nothing in it
    m2 += pack2(4500, mux_rate=(1 << 22) - 1)
    m2 += system_header(True, [], rate_bound=1, audio_bound=63, video_bound=31,
                        header_length=0)
    m2 += pes_packet(0xE0, b"\x33")
    m2 += END_CODE

    m1 = pack1(3600)
    m1 += system_header(False, [])
    m1 += mpeg1_packet(0xE0, b"\x11")
    m1 += pack1(3900)
    m1 += system_header(False, [(0xE0, 1, 40), (0xC0, 0, 8191)], header_length=1000)
    # Four bytes that are no start code: the loop passes over them to the next pack.
    m1 += b"\x7f\x7f\x7f\x7f"
    m1 += pack1(4200)
    m1 += pack1(4500)
    m1 += system_header(False, [(0xB8, 0, 0)], header_length=0)
    # The file ends without a program end code.
    return {"pack_system_mpeg2.mpg": m2, "pack_system_mpeg1.mpg": m1}


def mpeg1_headers():
    """MPEG-1 packet headers: stuffing, buffer fields, timestamps, the no-timestamp marker."""
    p = pack1(1800)
    p += mpeg1_packet(0xE0, b"\x01\x02\x03", stuffing=b"\xff\xff")
    p += mpeg1_packet(0xE0, b"\x04\x05", buffer=(1, 46))          # header of 3 bytes
    p += mpeg1_packet(0xC0, b"\x06", stuffing=b"\xff", buffer=(0, 8191), pts=3600)
    p += pack1(2700)
    p += mpeg1_packet(0xC0, b"\x07\x08\x09\x0a", stuffing=b"\x80\xfe\xc3", buffer=(1, 0),
                      pts=7200, dts=3600)
    p += mpeg1_packet(0xE0, b"", buffer=(0, 20), pts=9000, dts=5400)  # no payload
    p += mpeg1_packet(0xBD, b"\x80\x01\x00\x05")
    p += pack1(3600)
    p += mpeg1_packet(0xBE, b"\xff" * 5, stuffing=b"\xff", buffer=(1, 2), pts=4000, dts=3000)
    p += mpeg1_packet(0xBE, b"")
    p += mpeg1_packet(0xBE, b"\xff\xff", stuffing=b"\xff\xff")
    p += END_CODE

    bad = pack1(1800) + mpeg1_packet(0xE0, b"\x01")
    bad += pack1(2700) + mpeg1_packet(0xE0, b"\x02", stuffing=b"\xff", marker=0x1F)
    bad += pack1(3600) + mpeg1_packet(0xE0, b"\x03") + END_CODE

    bad_padding = pack1(1800) + mpeg1_packet(0xC0, b"\x01", pts=2000)
    bad_padding += pack1(2700) + mpeg1_packet(0xBE, b"\xff\xff", buffer=(1, 4), marker=0x0E)
    bad_padding += END_CODE
    return {"header_variants.mpg": p, "invalid_marker.mpg": bad,
            "invalid_marker_padding.mpg": bad_padding}


def pes_headers():
    """MPEG-2 PES headers: each optional group on its own and together."""
    private = bytes(range(0x10, 0x20))
    p = pack2(3600)
    p += pes_packet(0xE0, b"\x01\x02\x03")                          # no optional field
    p += pes_packet(0xE0, b"\x04", pts=7200, stuffing=3)            # PTS and 3 stuffing bytes
    p += pes_packet(0xC0, b"\x05", pts_dts_flags=1)                 # no timestamps read
    p += pes_packet(0xC0, b"\x06", escr=((1 << 33) - 1, 511), flag_bits=(3, 1, 1, 1, 1))
    p += pack2(3900)
    p += pes_packet(0xE0, b"\x07", es_rate=(1 << 22) - 1)
    p += pes_packet(0xE0, b"\x08", copy_info=85)
    p += pes_packet(0xE0, b"\x09", crc=0xBEEF)
    p += pes_packet(0xBD, b"\x80\x01\x00\x01", extension={})        # the flag byte alone
    p += pack2(4200)
    p += pes_packet(0xE0, b"\x0a", extension={"private": private}, stuffing=1)
    p += pes_packet(0xE0, b"\x0b", extension={"counter": (127, 0, 63)})
    p += pes_packet(0xE0, b"\x0c", extension={"buffer": (0, 8191)})
    p += pes_packet(0xE0, b"\x0d", extension={"ext2": b""})
    p += pes_packet(0xE0, b"\x0e", extension={"ext2": b"\xaa\xbb"}, stuffing=2)
    p += pack2(4500)
    p += pes_packet(0xE0, b"\x0f\x10", pts=9000, dts=5400, escr=(3600, 7), es_rate=12345,
                    trick=(1, 9), copy_info=1, crc=1,
                    extension={"private": private, "counter": (5, 1, 3), "buffer": (1, 100),
                               "ext2": b"\x01\x02\x03"}, stuffing=4)
    p += END_CODE

    trick = pack2(3600)
    for mode, rest in ((0, 0b10111), (1, 21), (2, 0b01101), (3, 0b11010), (4, 31), (5, 17),
                       (6, 0), (7, 31)):
        trick += pes_packet(0xE0, bytes([mode]), trick=(mode, rest))
    trick += END_CODE

    bad = pack2(3600) + pes_packet(0xE0, b"\x01", pts=7200)
    bad += pack2(3900) + pes_packet(0xE0, b"\x02", extension={"private": private,
                                                               "pack_header": True})
    bad += pack2(4200) + pes_packet(0xE0, b"\x03") + END_CODE
    return {"optional_groups.mpg": p, "trick_modes.mpg": trick, "pack_header_field.mpg": bad}


VIDEO_CODES = bytes([
    0x11, 0x00, 0x00, 0x01, 0xB3, 0x22,          # sequence header at 1
    0x00, 0x00, 0x01, 0xB8, 0x33,                # group of pictures at 6
    0x00, 0x00, 0x01, 0x00, 0x00, 0x01, 0xB2,    # picture at 11, its 0x00 starts user data at 14
    0x00, 0x00, 0x01, 0xB5, 0x44,                # extension at 18
    0x00, 0x00, 0x01, 0x01, 0x00, 0x00, 0x01, 0xAF,  # slices 0x01 and 0xAF: nothing
    0x00, 0x00, 0x01, 0xB9, 0x55,                # 0xB9: nothing
    0x00, 0x00, 0x00, 0x01, 0x00, 0x66,          # 00 00 00 01: picture at 37
    0x00, 0x00, 0x01, 0xB7,                      # sequence end at 42
])


def payload_scan():
    """Video start codes and audio syncwords, also across packet boundaries, per stream."""
    def video(pack, pkt):
        p = pack(3600)
        p += pkt(0xE0, VIDEO_CODES)
        p += pkt(0xE0, b"\x77\x00\x00")        # ends in 00 00 ...
        p += pkt(0xE1, b"\x01\xb3\x88\x00")    # ... which stream 1 does not complete; ends in 00
        p += pkt(0xE0, b"\x01\xb3\x99\x00")    # stream 0 does: offset -2; ends in 00
        p += pack(3900)
        p += pkt(0xE1, b"\x00\x01\x00\x00")    # stream 1 goes on from its own 00: -1; ends 00 00
        p += pkt(0xE0, b"\x00\x01\xb8\xaa")    # stream 0 goes on from its 00: -1
        p += pkt(0xE1, b"\x01\xb5")            # stream 1: -2
        p += pkt(0xE0, b"\xbb\x00\x00\x01")    # 01 as the last byte: the next byte is 00
        p += pkt(0xE0, b"\x01\xb3\xcc")        # the prefix is not carried over
        return p + END_CODE

    audio = pack1(3600)
    audio += mpeg1_packet(0xC0, b"\xff\xfb\x11\xff\xff\x22\xff\xff\xff\x33\xff\x12\x44\xff\xf0")
    audio += mpeg1_packet(0xC0, b"\x55\xff\xff\xff")      # a syncword at 1, then 0xFF ...
    audio += mpeg1_packet(0xC1, b"\xf3\x66\xff")          # ... stream 1 has its own state
    audio += mpeg1_packet(0xC0, b"")                      # an empty payload changes nothing
    audio += mpeg1_packet(0xC0, b"\xf3\x77\xff")          # stream 0: -1
    audio += pack1(3900)
    audio += mpeg1_packet(0xC1, b"\xfa\x88")              # stream 1: -1
    audio += mpeg1_packet(0xC0, b"\x12\xff\x0f")          # 0xFF then 0x12 and 0x0F: nothing
    audio += mpeg1_packet(0xE0, b"\x00\x00\xff\xfb")      # video streams see no syncword
    audio += mpeg1_packet(0xC0, b"\x00\x00\x01\xb3")      # audio streams see no start code
    audio += END_CODE

    # A start-code prefix that ends the file: the byte after it reads as 0.
    at_end = pack2(3600) + pes_packet(0xE0, b"\x12\x00\x00\x01")

    return {"video_codes_mpeg1.mpg": video(pack1, lambda s, b: mpeg1_packet(s, b)),
            "video_codes_mpeg2.mpg": video(pack2, lambda s, b: pes_packet(s, b)),
            "audio_syncwords.mpg": audio,
            "prefix_at_file_end.mpg": at_end}


def dvd_substreams():
    """DVD private stream 1 substreams, and the same bytes where they are not DVD content."""
    def bd(payload, **header):
        return pes_packet(0xBD, payload, **header)

    p = pack2(3600)
    p += bd(b"")                                         # no substream seen yet
    p += bd(b"\x80\x01\x00\x05" + b"\x0b\x77" + b"\x00" * 4, pts=9000)
    p += bd(b"\x80\x02\x00\x01\x0b\x77")
    p += bd(b"")                                         # keeps substream 0x80
    p += pack2(3900)
    p += bd(b"\x87\x00\xff\xff" + b"\x01")               # AC3 7
    p += bd(b"\x88\x7f\xfe")                             # DTS 0
    p += bd(b"\x8f")                                     # DTS 7, header only
    p += bd(b"\xa0\x01\x02\x03\x04")                     # PCM 0
    p += bd(b"\xaf\x05\x06")                             # PCM 15
    p += pack2(4200)
    p += bd(b"\x20\x00\x10\x00\x08")                     # subpicture 0
    p += bd(b"\x3f\x01")                                 # subpicture 31
    p += bd(b"\x3f\x02\x03", pts=12600)
    p += bd(b"\x1f\x01") + bd(b"\x40") + bd(b"\x9f\x02\x03") + bd(b"\xb0\x04")
    p += pack2(4500)
    p += bd(b"\x81")                                     # AC3 with 1, 2 and 3 payload bytes
    p += bd(b"\x82\x01")
    p += bd(b"\x83\x01\x02", pts=13000)
    p += bd(b"\x81\x01\x02\x03\x04")
    p += pes_packet(0xE0, b"\x00\x00\x01\xb3")
    p += END_CODE

    m1 = pack1(3600)
    m1 += mpeg1_packet(0xBD, b"\x80\x01\x00\x01\x0b\x77")
    m1 += mpeg1_packet(0xBD, b"\xa0\x01\x02", pts=9000)
    m1 += mpeg1_packet(0xBD, b"")
    m1 += mpeg1_packet(0xE0, b"\x00\x00\x01\xb3")
    m1 += END_CODE
    return {"substream_kinds.vob": p, "substream_kinds_plain_name.mpg": p,
            "mpeg1_private1.vob": m1}


def packet_map():
    """The packet map: codes in header order, map lines of one pack each, the 80-column layout
    and packs whose codes would pass 79 characters."""
    m1 = pack1(1800)
    m1 += system_header(False, [(0xE0, 1, 46), (0xC0, 0, 32)])
    m1 += mpeg1_packet(0xE0, b"\x01", buffer=(1, 46), pts=9000, dts=5400)
    m1 += mpeg1_packet(0xC0, b"\x02", buffer=(0, 32), pts=3600)
    m1 += mpeg1_packet(0xC1, b"\x03", buffer=(0, 32))
    m1 += mpeg1_packet(0xBE, b"\xff", buffer=(0, 1), pts=1800)
    m1 += pack1(2700)
    m1 += packet(0xBF, b"\x00\x01") + packet(0xBC, b"") + mpeg1_packet(0xF3, b"\x04")
    m1 += mpeg1_packet(0xBD, b"\x80\x01\x00\x01", pts=4000) + mpeg1_packet(0xEF, b"")
    m1 += mpeg1_packet(0xDF, b"\x05", pts=4000, dts=3000)
    m1 += pack1(3600)                                    # a pack with nothing in it
    # Twenty packs of " Pv0" fill one line of 80 characters; the twenty-first starts the next.
    for i in range(21):
        m1 += pack1(4000 + i) + mpeg1_packet(0xE0, bytes([i]))
    m1 += END_CODE

    m2 = pack2(1800)
    m2 += system_header(True, [(0xE0, 1, 46)])
    m2 += pes_packet(0xE0, b"\x01", pts=9000, dts=5400, extension={"buffer": (1, 46)})
    m2 += pes_packet(0xC0, b"\x02", pts=3600, extension={"buffer": (0, 32)})
    m2 += pes_packet(0xC1, b"\x03", extension={"buffer": (0, 32)})
    m2 += packet(0xBE, b"\xff\xff")
    m2 += pack2(2700)
    m2 += packet(0xBF, b"") + packet(0xF0, b"\x01") + pes_packet(0xB8, b"")
    m2 += pes_packet(0xBD, b"\x80\x01\x00\x01", pts=4000) + pes_packet(0xDF, b"")
    m2 += pes_packet(0xEF, b"\x05", pts=4000, dts=3000)
    m2 += END_CODE

    # Pack 0: six video packets of 13 map characters each at level 4 ("PTSDTS", "P-STD",
    # "v0"), of 2 at level 3; pack 1: forty video packets of 2 characters at both levels.
    over = pack2(1800)
    for i in range(6):
        over += pes_packet(0xE0, b"", pts=9000 + i, dts=5400, extension={"buffer": (1, 46)})
    over += pack2(2700)
    over += pes_packet(0xE0, b"") * 40
    over += END_CODE
    return {"map_mpeg1.mpg": m1, "map_mpeg2.mpg": m2, "map_overflow.mpg": over}


def length_mismatches():
    """Header fields that claim fewer bytes than the header holds."""
    m1 = pack1(1800)
    # Padding: packet_length 3 with a 5-byte header (PTS); the next packet follows the header.
    m1 += packet(0xBE, mpeg1_header(pts=2000), length=3)
    m1 += packet(0xBE, mpeg1_header(stuffing=b"\xff\xff", buffer=(0, 1)), length=2)
    # Video: packet_length 2 with a 10-byte header (PTS and DTS), and 0 with the marker byte.
    m1 += packet(0xE0, mpeg1_header(pts=9000, dts=5400), length=2)
    m1 += packet(0xE0, mpeg1_header(), length=0)
    m1 += mpeg1_packet(0xE0, b"\x00\x00\x01\xb3")
    m1 += END_CODE

    m2 = pack2(1800)
    # PES_header_data_length 2 under a 5-byte PTS: no stuffing; payload_length 9 - 2 - 3 = 4.
    m2 += packet(0xE0, pes_header(pts=9000, header_data_length=2) + b"\x00\x00\x01\xb3",
                 length=9)
    # packet_length 4 under PES_header_data_length 5: no payload.
    m2 += packet(0xE0, pes_header(pts=9001), length=4)
    # ESCR and ES rate (9 bytes) under PES_header_data_length 6, payload 2.
    m2 += packet(0xC0, pes_header(escr=(1800, 0), es_rate=100, header_data_length=6)
                 + b"\xff\xf1", length=11)
    m2 += packet(0xBE, b"\xff\xff")
    m2 += packet(0xBD, pes_header(pts=9002), length=1)
    m2 += END_CODE
    return {"negative_counts_mpeg1.mpg": m1, "negative_counts_mpeg2.mpg": m2,
            "negative_counts_mpeg2.vob": m2}


TOPICS = {
    "stream_classes": stream_classes,
    "timestamps": timestamps,
    "pack_system_headers": pack_system_headers,
    "mpeg1_headers": mpeg1_headers,
    "pes_headers": pes_headers,
    "payload_scan": payload_scan,
    "dvd_substreams": dvd_substreams,
    "packet_map": packet_map,
    "length_mismatches": length_mismatches,
}


def main(argv):
    names = argv[1:] or list(TOPICS)
    for topic in names:
        folder = os.path.join(HERE, topic)
        os.makedirs(folder, exist_ok=True)
        for name, data in TOPICS[topic]().items():
            with open(os.path.join(folder, name), "wb") as f:
                f.write(data)


if __name__ == "__main__":
    main(sys.argv)
