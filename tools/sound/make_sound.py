#!/usr/bin/env python3
"""Synthesises the game's sound effects and music loops from tools/sound/sounds.txt into data/sound/.

    python3 tools/sound/make_sound.py                # every sound
    python3 tools/sound/make_sound.py glow playMusic # only these
    python3 tools/sound/make_sound.py --out /tmp/s   # somewhere else than data/sound/

Only the standard library: oscillators, filters, envelopes and the WAV writer
are below, noise comes from a seeded generator of our own, and the same
sources give the same bytes on every run. The source language is described
in tools/sound/README.md.
"""

import argparse
import array
import io
import itertools
import math
import operator
import os
import re
import sys
import wave
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE = os.path.join(HERE, "sounds.txt")
OUT = os.path.normpath(os.path.join(HERE, "..", "..", "data", "sound"))

RATE = 22050  # mono 16-bit: the game's sounds keep below 10 kHz, and the files stay small
TABLE = 2048  # points of a wavetable period
FADE = 0.004  # seconds of fade at the end of an effect, so that none ends in a click


class SoundError(Exception):
    """A mistake in the source, with the file and line it comes from."""


# --------------------------------------------------------------------------
# The source: effects, instruments, music


NOTE = re.compile(r"^([A-G])([#b]?)(-?\d)$")
SEMITONES = {"C": -9, "D": -7, "E": -5, "F": -4, "G": -2, "A": 0, "B": 2}


def note_frequency(name):
    """A note name (A4, C#5, Bb2) in equal temperament with A4 at 440 Hz, or None."""
    m = NOTE.match(name)
    if not m:
        return None
    letter, accidental, octave = m.groups()
    semis = SEMITONES[letter] + {"": 0, "#": 1, "b": -1}[accidental] + 12 * (int(octave) - 4)
    return 440.0 * 2 ** (semis / 12)


class Pitch:
    """A frequency in Hz, or a ratio of the played note's frequency ('*2')."""

    def __init__(self, text):
        self.ratio = text.startswith("*")
        body = text[1:] if self.ratio else text
        value = note_frequency(body) if not self.ratio else None
        if value is None:
            try:
                value = float(body)
            except ValueError:
                raise ValueError(f"bad frequency '{text}'") from None
        if value <= 0:
            raise ValueError(f"frequency '{text}' must be above 0")
        self.value = value

    def hz(self, note):
        if not self.ratio:
            return self.value
        if note is None:
            raise ValueError("a frequency relative to the note ('*') needs a pitched note, not 'x'")
        return self.value * note


def glide(text, parse):
    """'A' or 'A>B': a start and an end value."""
    parts = text.split(">")
    if len(parts) > 2:
        raise ValueError(f"'{text}' glides more than once")
    return parse(parts[0]), parse(parts[-1])


def number(text):
    try:
        return float(text)
    except ValueError:
        raise ValueError(f"'{text}' is not a number") from None


def pair(text):
    parts = text.split(",")
    if len(parts) != 2:
        raise ValueError(f"'{text}' needs two numbers: rate,depth")
    return number(parts[0]), number(parts[1])


# Each setting: how its text is read. 'h' may also be 'note': hold for the note's length.
SETTINGS = {
    "at": number, "a": number, "h": lambda t: t if t == "note" else number(t), "d": number, "g": number,
    "lp": lambda t: glide(t, number), "hp": lambda t: glide(t, number), "bp": lambda t: glide(t, number),
    "q": number, "glide": number, "trem": pair, "vib": pair, "harm": number,
    "ratio": number, "index": lambda t: glide(t, number), "seed": number,
}
WAVES = ("sine", "tri", "square", "saw")


class Layer:
    """One voice of a sound: a tone, an FM pair or filtered noise, with its envelope."""

    def __init__(self, kind, words):
        self.kind = kind
        self.wave = "sine"
        self.pitch = None
        self.set = {"at": 0.0, "a": 0.002, "h": 0.0, "d": 0.1, "g": 1.0, "q": 0.707}
        positional = [w for w in words if "=" not in w]
        expected = {"tone": 2, "fm": 1, "noise": 0}[kind]
        if len(positional) != expected:
            usage = {"tone": "tone WAVE FREQ", "fm": "fm FREQ", "noise": "noise"}[kind]
            raise ValueError(f"expected '{usage} setting=value ...'")
        if kind == "tone":
            self.wave = positional[0]
            if self.wave not in WAVES:
                raise ValueError(f"unknown wave '{self.wave}' (one of {', '.join(WAVES)})")
        if kind != "noise":
            self.pitch = glide(positional[-1], Pitch)
        if kind == "fm":
            self.set.update(ratio=1.0, index=(1.0, 1.0))
        for word in words:
            if "=" not in word:
                continue
            key, text = word.split("=", 1)
            if key not in SETTINGS:
                raise ValueError(f"unknown setting '{key}'")
            self.set[key] = SETTINGS[key](text)
        if self.set["d"] <= 0 or (self.set["a"] < 0 or (self.set["h"] != "note" and self.set["h"] < 0)):
            raise ValueError("a and h must not be negative, d must be above 0")


class Sound:
    def __init__(self, name, length, peak):
        self.name, self.length, self.peak, self.layers = name, length, peak, []


class Instrument:
    def __init__(self, name):
        self.name, self.layers = name, []


class Track:
    def __init__(self, instrument, gain, echo):
        self.instrument, self.gain, self.echo, self.bars = instrument, gain, echo, []


class Music:
    def __init__(self, name, tempo, bars, beats, peak):
        self.name, self.tempo, self.bars, self.beats, self.peak, self.tracks = name, tempo, bars, beats, peak, []


def strip_comment(line):
    """'#' starts a comment where it begins a word; inside one it is a sharp (C#5)."""
    return re.sub(r"(^|\s)#.*$", "", line)


def options(words, allowed):
    found = {}
    for word in words:
        key, _, text = word.partition("=")
        if key not in allowed or not text:
            raise ValueError(f"unknown setting '{word}'")
        found[key] = text
    return found


def read_bars(text, beats, previous_length):
    """Bars of (length, pitches, velocity) events from note tokens; '|' ends a
    bar, '%' repeats the bar before. Pitches: None for a rest, [None] for an
    unpitched hit ('x'), else frequencies. A bar holds a whole number of the
    music's bars' beats, so a long note can span several."""
    bars, bar, length = [], [], previous_length
    for token in text.split():
        if token == "|":
            bars.append(bar)
            bar = []
            continue
        if token == "%":
            if not bars:
                raise ValueError("'%' repeats the bar before, and there is none")
            bar = list(bars[-1])
            continue
        m = re.match(r"^([^:@]+)(?::([0-9.]+))?(?:@([0-9.]+))?$", token)
        if not m:
            raise ValueError(f"bad note '{token}'")
        names, size, velocity = m.groups()
        if size is not None:
            length = number(size)
            if length <= 0:
                raise ValueError(f"note '{token}' has no length")
        if names == "-":
            pitches = None
        elif names == "x":
            pitches = [None]
        else:
            pitches = []
            for name in names.split("+"):
                hz = note_frequency(name)
                if hz is None:
                    raise ValueError(f"bad note name '{name}'")
                pitches.append(hz)
        bar.append((length, pitches, number(velocity) if velocity else 1.0))
    if bar:
        bars.append(bar)
    for i, b in enumerate(bars):
        total = sum(e[0] for e in b)
        if total < beats - 1e-9 or abs(total / beats - round(total / beats)) > 1e-9:
            raise ValueError(f"bar {i + 1} holds {total:g} beats, not a multiple of {beats:g}")
    return bars, length


def parse(path):
    """The effects, instruments and music of a source file, by name."""
    sounds, instruments, musics = {}, {}, {}
    current = None  # what layers and tracks belong to
    track = None  # the track that '|' lines continue
    with open(path) as f:
        lines = f.read().splitlines()
    for number_, raw in enumerate(lines, 1):
        line = strip_comment(raw).strip()
        if not line:
            continue
        words = line.split()
        command = words[0]
        try:
            if command in ("sound", "instrument", "music"):
                track = None
                if len(words) < 2:
                    raise ValueError(f"'{command}' needs a name")
                name = words[1]
                if name in sounds or name in instruments or name in musics:
                    raise ValueError(f"'{name}' is defined twice")
                if command == "sound":
                    if len(words) < 3:
                        raise ValueError("expected 'sound NAME LENGTH [peak=DB]'")
                    length = number(words[2])
                    if length <= 0:
                        raise ValueError("a sound needs a length above 0")
                    peak = number(options(words[3:], {"peak"}).get("peak", "-6"))
                    current = sounds[name] = Sound(name, length, peak)
                elif command == "instrument":
                    current = instruments[name] = Instrument(name)
                else:
                    o = options(words[2:], {"tempo", "bars", "beats", "peak"})
                    if "tempo" not in o or "bars" not in o:
                        raise ValueError("expected 'music NAME tempo=BPM bars=N [beats=4] [peak=DB]'")
                    current = musics[name] = Music(name, number(o["tempo"]), int(number(o["bars"])),
                                                   number(o.get("beats", "4")), number(o.get("peak", "-9")))
                    if current.tempo <= 0 or current.bars <= 0 or current.beats <= 0:
                        raise ValueError("tempo, bars and beats must be above 0")
            elif command in ("tone", "fm", "noise"):
                if not isinstance(current, (Sound, Instrument)):
                    raise ValueError(f"'{command}' belongs to a sound or an instrument")
                current.layers.append(Layer(command, words[1:]))
            elif command == "track":
                if not isinstance(current, Music):
                    raise ValueError("'track' belongs to a music")
                head, _, notes = line.partition(":")
                head = head.split()
                if len(head) < 2 or head[1] not in instruments:
                    raise ValueError("expected 'track INSTRUMENT [g=GAIN] [echo=BEATS,FEEDBACK,LEVEL] : notes'"
                                     + (f"; no instrument '{head[1]}' above" if len(head) > 1 else ""))
                o = options(head[2:], {"g", "echo"})
                echo = None
                if "echo" in o:
                    echo = tuple(number(v) for v in o["echo"].split(","))
                    if len(echo) != 3 or echo[0] <= 0 or not 0 <= echo[1] < 1:
                        raise ValueError("echo is BEATS,FEEDBACK,LEVEL with BEATS above 0 and FEEDBACK below 1")
                track = Track(instruments[head[1]], number(o.get("g", "1")), echo)
                track.length = 1.0
                current.tracks.append(track)
                bars, track.length = read_bars(notes, current.beats, track.length)
                track.bars += bars
            elif command == "|":
                if track is None:
                    raise ValueError("a '|' line continues a track, and there is none")
                bars, track.length = read_bars(line[1:], current.beats, track.length)
                track.bars += bars
            else:
                raise ValueError(f"unknown command '{command}'")
        except ValueError as e:
            raise SoundError(f"{os.path.relpath(path)}:{number_}: {e}") from None
    for music in musics.values():
        for track in music.tracks:
            written = round(sum(e[0] for bar in track.bars for e in bar) / music.beats)
            if not written or music.bars % written:
                raise SoundError(f"{os.path.relpath(path)}: music {music.name}: a track of {written} bars "
                                 f"does not fill {music.bars} bars")
            track.repeats = music.bars // written
    for sound in list(sounds.values()) + list(instruments.values()):
        if not sound.layers:
            raise SoundError(f"{os.path.relpath(path)}: {sound.name} has no layers")
    return sounds, instruments, musics


# --------------------------------------------------------------------------
# Synthesis: every layer is a list of floats, -1..1 before its gain.

_tables = {}


def wavetable(wave, harmonics):
    """One period of a band-limited wave made of its first harmonics, peak 1."""
    key = (wave, harmonics)
    if key not in _tables:
        if wave == "saw":
            partials = [(k, 1 / k) for k in range(1, harmonics + 1)]
        elif wave == "square":
            partials = [(k, 1 / k) for k in range(1, harmonics + 1, 2)]
        else:  # tri
            partials = [(k, (-1) ** (k // 2) / (k * k)) for k in range(1, harmonics + 1, 2)]
        period = [sum(a * math.sin(2 * math.pi * k * i / TABLE) for k, a in partials) for i in range(TABLE)]
        top = max(abs(v) for v in period)
        table = [v / top for v in period] + [period[0] / top]
        _tables[key] = table, [b - a for a, b in zip(table, table[1:])]  # values, and steps to the next
    return _tables[key]


def curve(start, end, count, span):
    """Per-sample values gliding exponentially from start to end over span samples, then staying."""
    if start == end or span <= 0:
        return [start] * count
    ratio = end / start
    return [start * ratio ** min(i / span, 1.0) for i in range(count)]


def linear(start, end, count, span):
    if start == end or span <= 0:
        return [start] * count
    return [start + (end - start) * min(i / span, 1.0) for i in range(count)]


def phases(freqs):
    """Running phase in periods for per-sample frequencies."""
    return list(itertools.accumulate(f / RATE for f in freqs))


def oscillate(wave, freqs, cap):
    if wave == "sine":
        return [math.sin(2 * math.pi * p) for p in phases(freqs)]
    harmonics = max(1, min(int(cap), int(0.45 * RATE / max(freqs))))
    table, steps = wavetable(wave, harmonics)
    points = [p % 1.0 * TABLE for p in phases(freqs)]
    return [table[i] + (x - i) * steps[i] for x, i in zip(points, map(int, points))]


def noise(count, seed):
    """White noise from a linear congruential generator: the same seed, the same noise."""
    state = seed & 0xFFFFFFFF
    out = []
    for _ in range(count):
        state = (state * 1664525 + 1013904223) & 0xFFFFFFFF
        out.append(state / 2147483648.0 - 1.0)
    return out


def svf(samples, mode, cutoffs, q):
    """State-variable filter (trapezoidal, stable up to Nyquist): 'lp', 'hp' or 'bp' with per-sample cutoffs."""
    k = 1 / q
    ic1 = ic2 = 0.0
    out = []
    last = None
    for x, fc in zip(samples, cutoffs):
        if fc != last:
            g = math.tan(math.pi * min(fc, 0.45 * RATE) / RATE)
            a1 = 1 / (1 + g * (g + k))
            a2 = g * a1
            a3 = g * a2
            last = fc
        v3 = x - ic2
        v1 = a1 * ic1 + a2 * v3
        v2 = ic2 + a2 * ic1 + a3 * v3
        ic1 = 2 * v1 - ic1
        ic2 = 2 * v2 - ic2
        out.append(v2 if mode == "lp" else v1 if mode == "bp" else x - k * v1 - v2)
    return out


def envelope(count, attack, hold, decay):
    """A linear rise over attack seconds, hold seconds at 1, then an exponential fall with time constant decay."""
    rise = min(count, math.ceil(attack * RATE))
    top = min(count, max(rise, math.ceil((attack + hold) * RATE)))
    fall = math.exp(-1 / (decay * RATE))
    start = math.exp(-(top - (attack + hold) * RATE) / (decay * RATE))  # the fall's first sample, between samples
    return ([i / (attack * RATE) for i in range(rise)] + [1.0] * (top - rise)
            + list(itertools.accumulate(itertools.repeat(fall, count - top - 1), operator.mul, initial=start)))[:count]


def render_layer(layer, note=None, note_seconds=0.0, velocity=1.0, seed=0, most=None):
    """The layer's samples from its own start ('at' is the caller's)."""
    s = layer.set
    hold = max(0.0, note_seconds - s["a"]) if s["h"] == "note" else s["h"]
    life = s["a"] + hold + 7 * s["d"]  # to -60 dB
    if most is not None:
        life = min(life, most)
    count = max(1, int(round(life * RATE)))
    span = (s["glide"] if "glide" in s else life) * RATE
    if layer.kind == "noise":
        samples = noise(count, seed + int(s.get("seed", 0)))
    else:
        f0, f1 = layer.pitch[0].hz(note), layer.pitch[1].hz(note)
        freqs = curve(f0, f1, count, span)
        if "vib" in s:
            rate, depth = s["vib"]
            freqs = [f * (1 + depth * math.sin(2 * math.pi * rate * i / RATE)) for i, f in enumerate(freqs)]
        if layer.kind == "tone":
            samples = oscillate(layer.wave, freqs, s.get("harm", 64))
        else:  # fm: a sine carrier whose phase a sine at ratio × its frequency moves
            index = linear(s["index"][0], s["index"][1], count, span)
            carrier = phases(freqs)
            modulator = phases([f * s["ratio"] for f in freqs])
            samples = [math.sin(2 * math.pi * c + i * math.sin(2 * math.pi * m))
                       for c, m, i in zip(carrier, modulator, index)]
    for mode in ("hp", "lp", "bp"):
        if mode in s:
            samples = svf(samples, mode, curve(s[mode][0], s[mode][1], count, span), s["q"])
    env = envelope(count, s["a"], hold, s["d"])
    if "trem" in s:
        rate, depth = s["trem"]
        env = [e * (1 - depth * (0.5 - 0.5 * math.cos(2 * math.pi * rate * i / RATE))) for i, e in enumerate(env)]
    gain = s["g"] * velocity
    return [x * e * gain for x, e in zip(samples, env)]


def add(target, part, start):
    """Adds part into target from index start on; target is long enough."""
    end = start + len(part)
    target[start:end] = [a + b for a, b in zip(target[start:end], part)]


def wrapped(loop, part, start):
    """Adds part into loop from index start on, going round the loop's end as often as it takes."""
    start %= len(loop)
    while part:
        room = len(loop) - start
        add(loop, part[:room], start)
        part, start = part[room:], 0


def seed_of(name, index):
    return zlib.crc32(f"{name}:{index}".encode())


def render_sound(sound):
    count = int(round(sound.length * RATE))
    out = [0.0] * count
    for index, layer in enumerate(sound.layers):
        start = int(round(layer.set["at"] * RATE))
        if start >= count:
            raise SoundError(f"{sound.name}: layer {index + 1} starts after the sound's end")
        part = render_layer(layer, seed=seed_of(sound.name, index), most=(count - start) / RATE)
        add(out, part[:count - start], start)
    fade = int(FADE * RATE)
    for i in range(1, fade + 1):
        out[count - i] *= (i - 1) / fade
    return out


def render_note(instrument, note, seconds, velocity, cache):
    key = (instrument.name, note, seconds, velocity)
    if key not in cache:
        mixed = []
        for index, layer in enumerate(instrument.layers):
            start = int(round(layer.set["at"] * RATE))
            part = render_layer(layer, note, seconds, velocity, seed_of(instrument.name, index))
            if len(mixed) < start + len(part):
                mixed += [0.0] * (start + len(part) - len(mixed))
            add(mixed, part, start)
        cache[key] = mixed
    return cache[key]


def render_music(music):
    """The loop: every note's tail, and every echo, wraps round to the start, so the loop joins without a seam."""
    beat = 60.0 / music.tempo
    count = int(round(music.bars * music.beats * beat * RATE))
    out = [0.0] * count
    cache = {}
    for track in music.tracks:
        part = [0.0] * count
        bars = track.bars * track.repeats
        position = 0.0
        for bar in bars:
            for length, pitches, velocity in bar:
                if pitches is not None:
                    start = int(round(position * beat * RATE))
                    for pitch in pitches:
                        try:
                            sound = render_note(track.instrument, pitch, length * beat, velocity, cache)
                        except ValueError as e:
                            raise SoundError(f"music {music.name}, instrument {track.instrument.name}: {e}") from None
                        wrapped(part, sound, start)
                position += length
        if track.echo:
            part = echo(part, int(round(track.echo[0] * beat * RATE)), track.echo[1], track.echo[2])
        out = [o + p * track.gain for o, p in zip(out, part)]
    return out


def echo(part, delay, feedback, level):
    """part plus level × its repeats every delay samples, each feedback times the one before, round the loop."""
    delay %= len(part)
    rolled = part[-delay:] + part[:-delay]
    repeats = rolled
    weight, total = feedback, rolled
    while weight > 1e-3 and delay:  # to -60 dB
        repeats = repeats[-delay:] + repeats[:-delay]
        total = [t + weight * r for t, r in zip(total, repeats)]
        weight *= feedback
    return [p + level * t for p, t in zip(part, total)]


def wav_bytes(samples, peak_db):
    """16-bit mono WAV, scaled so that the loudest sample sits at peak_db below full scale."""
    top = max(abs(v) for v in samples) or 1.0
    scale = 10 ** (peak_db / 20) * 32767 / top
    pcm = array.array("h", [max(-32768, min(32767, round(v * scale))) for v in samples])
    if sys.byteorder == "big":
        pcm.byteswap()  # WAV is little-endian
    buffer = io.BytesIO()
    with wave.open(buffer, "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(RATE)
        w.writeframes(pcm.tobytes())
    return buffer.getvalue()


def build(name, sounds, musics):
    if name in sounds:
        return wav_bytes(render_sound(sounds[name]), sounds[name].peak)
    return wav_bytes(render_music(musics[name]), musics[name].peak)


def main(argv=None):
    parser = argparse.ArgumentParser(description="Synthesises the game's sounds from tools/sound/sounds.txt.")
    parser.add_argument("names", nargs="*", help="sounds or music to make; all when none")
    parser.add_argument("--out", default=OUT, help="folder for the WAV files (default: data/sound/)")
    parser.add_argument("--src", default=SOURCE, help=argparse.SUPPRESS)
    args = parser.parse_args(argv)
    try:
        sounds, _, musics = parse(args.src)
    except (OSError, SoundError) as e:
        print(f"make_sound: {e}", file=sys.stderr)
        return 1
    every = sorted(list(sounds) + list(musics))
    missing = [n for n in args.names if n not in every]
    if missing:
        print(f"make_sound: no sound or music '{missing[0]}' in {os.path.relpath(args.src)}", file=sys.stderr)
        return 2
    os.makedirs(args.out, exist_ok=True)
    for name in args.names or every:
        try:
            data = build(name, sounds, musics)
        except SoundError as e:
            print(f"make_sound: {e}", file=sys.stderr)
            return 1
        target = os.path.join(args.out, name + ".wav")
        with open(target, "wb") as f:
            f.write(data)
        print(f"{os.path.relpath(target)}  {(len(data) - 44) / 2 / RATE:.2f} s")
    return 0


if __name__ == "__main__":
    sys.exit(main())
