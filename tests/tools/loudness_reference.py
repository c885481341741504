"""Integrated loudness (ITU-R BS.1770-4) and sample peak of CD audio, written
out from the recommendation apart from the program under test.

usage: loudness_reference.py IMAGE.bin START:SECTORS [START:SECTORS ...]
Prints, for each range of sectors, "track GAIN PEAK", then "album GAIN PEAK"
over all ranges together: the ReplayGain 2 gain to -18 LUFS in dB, and the
largest absolute sample as a fraction of full scale.
"""
import math
import struct
import sys

RATE = 44100
SECTOR = 2352


def biquad(b0, b1, b2, a0, a1, a2):
    return (b0 / a0, b1 / a0, b2 / a0, a1 / a0, a2 / a0)


def k_weighting(rate):
    # The two stages of the K filter, a high shelf then a high pass, as
    # second-order sections at this rate; at 48 kHz they give the
    # recommendation's published coefficients to four places.
    gain, q, fc = 4.0, 1 / math.sqrt(2), 1500.0
    a = 10 ** (gain / 40)
    w0 = 2 * math.pi * fc / rate
    alpha = math.sin(w0) / (2 * q)
    cos = math.cos(w0)
    shelf = biquad(a * ((a + 1) + (a - 1) * cos + 2 * math.sqrt(a) * alpha),
                   -2 * a * ((a - 1) + (a + 1) * cos),
                   a * ((a + 1) + (a - 1) * cos - 2 * math.sqrt(a) * alpha),
                   (a + 1) - (a - 1) * cos + 2 * math.sqrt(a) * alpha,
                   2 * ((a - 1) - (a + 1) * cos),
                   (a + 1) - (a - 1) * cos - 2 * math.sqrt(a) * alpha)
    q, fc = 0.5, 38.0
    w0 = 2 * math.pi * fc / rate
    alpha = math.sin(w0) / (2 * q)
    cos = math.cos(w0)
    # The recommendation's numerator is 1, -2, 1 (no gain at high frequencies).
    high_pass = biquad(1 + alpha, -2 * (1 + alpha), 1 + alpha, 1 + alpha, -2 * cos, 1 - alpha)
    return shelf, high_pass


def filtered(samples, stages):
    for b0, b1, b2, a1, a2 in stages:
        out = []
        x1 = x2 = y1 = y2 = 0.0
        for x in samples:
            y = b0 * x + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2
            x2, x1, y2, y1 = x1, x, y1, y
            out.append(y)
        samples = out
    return samples


def block_powers(left, right):
    # 400 ms blocks, a new one every 100 ms; the channels' mean squares summed.
    size, step = int(0.4 * RATE), int(0.1 * RATE)
    powers = []
    for start in range(0, len(left) - size + 1, step):
        power = 0.0
        for channel in (left, right):
            power += sum(v * v for v in channel[start:start + size]) / size
        powers.append(power)
    return powers


def loudness(power):
    return -0.691 + 10 * math.log10(power)


def gated(powers):
    absolute = [p for p in powers if p > 0 and loudness(p) > -70]
    if not absolute:
        return None
    threshold = loudness(sum(absolute) / len(absolute)) - 10
    relative = [p for p in absolute if loudness(p) > threshold]
    return loudness(sum(relative) / len(relative))


def main():
    data = open(sys.argv[1], 'rb').read()
    stages = k_weighting(RATE)
    everything, album_peak = [], 0.0
    for item in sys.argv[2:]:
        start, sectors = (int(v) for v in item.split(':'))
        raw = data[start * SECTOR:(start + sectors) * SECTOR]
        values = struct.unpack('<%dh' % (len(raw) // 2), raw)
        left = [v / 32768 for v in values[0::2]]
        right = [v / 32768 for v in values[1::2]]
        peak = max(abs(v) for v in left + right)
        powers = block_powers(filtered(left, stages), filtered(right, stages))
        everything += powers
        album_peak = max(album_peak, peak)
        print('track %.4f %.6f' % (-18 - gated(powers), peak))
    print('album %.4f %.6f' % (-18 - gated(everything), album_peak))


main()
