"""Track checksums of CD audio, written out apart from the program under test.

usage: checksum_reference.py IMAGE.bin START:SECTORS:ENDS [...]
ENDS is "first", "last", "only" or "-": whether the range is the disc's first
or last audio track. Prints per range one line of five hexadecimal figures:
the CRC32 of its bytes, the CRC32 of its stereo samples that are not zero in
both channels, the AccurateRip v1 and v2 checksums, the CUETools database's
CRC32.

AccurateRip: each stereo sample read as a little-endian 32-bit word, times its
1-based position in the track; v1 adds the low 32 bits of each product, v2
the low and the high 32 bits. The first track counts from position 5 * 588,
the last track up to 5 * 588 samples before its end.

The CUETools database: the CRC32 of the disc's audio less its first ten
sectors and its last ten plus (the audio's length in sectors) modulo ten; a
track's is of the part of that inside the track. The audio runs from the
start of the range marked first (or only; else sector 0) to the end of the one
marked last (or only).
"""
import binascii
import struct
import sys

SECTOR = 2352
EDGE = 5 * 588
CTDB_ROW = 10


def ctdb_crc(data, ends, audio_sectors):
    head = CTDB_ROW * SECTOR if ends in ("first", "only") else 0
    tail = (CTDB_ROW + audio_sectors % CTDB_ROW) * SECTOR if ends in ("last", "only") else 0
    return binascii.crc32(data[head:len(data) - tail])


def checksums(data, ends):
    samples = [word for (word,) in struct.iter_unpack("<I", data)]
    count = len(samples)
    first = EDGE if ends in ("first", "only") else 1
    last = count - EDGE if ends in ("last", "only") else count
    v1 = v2 = 0
    for position, word in enumerate(samples, start=1):
        if first <= position <= last:
            product = word * position
            v1 = (v1 + (product & 0xFFFFFFFF)) & 0xFFFFFFFF
            v2 = (v2 + (product & 0xFFFFFFFF) + (product >> 32)) & 0xFFFFFFFF
    loud = b"".join(struct.pack("<I", word) for word in samples if word != 0)
    return binascii.crc32(data), binascii.crc32(loud), v1, v2


def main():
    with open(sys.argv[1], "rb") as image:
        disc = image.read()
    ranges = [(int(start), int(sectors), ends)
              for start, sectors, ends in (spec.split(":") for spec in sys.argv[2:])]
    audio_start = next((start for start, _, ends in ranges if ends in ("first", "only")), 0)
    audio_end = next((start + sectors for start, sectors, ends in ranges
                      if ends in ("last", "only")), 0)
    for start, sectors, ends in ranges:
        data = disc[start * SECTOR:(start + sectors) * SECTOR]
        print("%08X %08X %08X %08X %08X" % (checksums(data, ends) +
                                            (ctdb_crc(data, ends, audio_end - audio_start),)))


if __name__ == "__main__":
    main()
