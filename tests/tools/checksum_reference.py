"""Track checksums of CD audio, written out apart from the program under test.

usage: checksum_reference.py IMAGE.bin START:SECTORS:ENDS [...]
ENDS is "first", "last", "only" or "-": whether the range is the disc's first
or last audio track. Prints per range one line of four hexadecimal figures:
the CRC32 of its bytes, the CRC32 of its stereo samples that are not zero in
both channels, the AccurateRip v1 and v2 checksums.

AccurateRip: each stereo sample read as a little-endian 32-bit word, times its
1-based position in the track; v1 adds the low 32 bits of each product, v2
the low and the high 32 bits. The first track counts from position 5 * 588,
the last track up to 5 * 588 samples before its end.
"""
import binascii
import struct
import sys

SECTOR = 2352
EDGE = 5 * 588


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
    for spec in sys.argv[2:]:
        start, sectors, ends = spec.split(":")
        begin = int(start) * SECTOR
        data = disc[begin:begin + int(sectors) * SECTOR]
        print("%08X %08X %08X %08X" % checksums(data, ends))


if __name__ == "__main__":
    main()
