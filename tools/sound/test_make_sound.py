#!/usr/bin/env python3
"""Checks of the sound maker: the shipped files are exactly what the source
makes, the WAV it writes, loops that join, and mistakes named by file and line.
Run: python3 tools/sound/test_make_sound.py"""

import io
import os
import sys
import tempfile
import unittest
import wave

sys.dont_write_bytecode = True  # keep tools/sound free of __pycache__
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import make_sound  # noqa: E402


def parse_text(source):
    with tempfile.TemporaryDirectory() as folder:
        path = os.path.join(folder, "t.txt")
        with open(path, "w") as f:
            f.write(source)
        return make_sound.parse(path)


def frames(data):
    with wave.open(io.BytesIO(data)) as w:
        params = (w.getframerate(), w.getnchannels(), w.getsampwidth())
        raw = w.readframes(w.getnframes())
    return params, [int.from_bytes(raw[i:i + 2], "little", signed=True) for i in range(0, len(raw), 2)]


class Shipped(unittest.TestCase):
    def test_data_sound_holds_exactly_what_the_source_makes_now(self):
        # Made afresh and compared byte for byte: the same bytes on every run,
        # and no file left behind by a change of the source.
        sounds, _, musics = make_sound.parse(make_sound.SOURCE)
        names = sorted(list(sounds) + list(musics))
        shipped = sorted(f[:-4] for f in os.listdir(make_sound.OUT) if f.endswith(".wav"))
        self.assertEqual(shipped, names)
        total = 0
        for name in names:
            with open(os.path.join(make_sound.OUT, name + ".wav"), "rb") as f:
                data = f.read()
            total += len(data)
            self.assertTrue(data == make_sound.build(name, sounds, musics), f"{name}.wav is not what the source makes")
        self.assertLess(total, 4 * 1024 * 1024)


class Output(unittest.TestCase):
    def test_an_effect_is_mono_16_bit_at_its_peak_and_ends_silent(self):
        sounds, _, _ = parse_text("sound t 0.1 peak=-6\n  tone sine 440 h=1\n")
        params, samples = frames(make_sound.build("t", sounds, {}))
        self.assertEqual(params, (make_sound.RATE, 1, 2))
        self.assertEqual(len(samples), round(0.1 * make_sound.RATE))
        self.assertEqual(max(abs(s) for s in samples), round(32767 * 10 ** (-6 / 20)))
        self.assertEqual(samples[-1], 0)

    def test_a_tail_past_the_loop_end_sounds_at_its_start(self):
        # A note in the second of two one-second bars rings on for 1.4 s:
        # what rings past the end is heard from the loop's start.
        _, instruments, musics = parse_text("instrument ping\n  tone sine *1 d=0.2\n"
                                            "music m tempo=60 bars=2 beats=1\n  track ping : - | A4\n")
        loop = make_sound.render_music(musics["m"])
        note = make_sound.render_note(instruments["ping"], 440.0, 1.0, 1.0, {})
        rate = make_sound.RATE
        self.assertEqual(len(loop), 2 * rate)
        self.assertEqual(loop[rate:rate + 100], note[:100])
        self.assertEqual(loop[:100], note[rate:rate + 100])


class Mistakes(unittest.TestCase):
    def test_are_named_by_file_and_line(self):
        for source, message in [
                ("sound a 0.1\n  tone sine 440\n\n  blip\n", ":4: unknown command 'blip'"),
                ("sound a 0.1\n  tone square C#9x\n", ":2: bad frequency 'C#9x'"),
                ("sound a 0.1\n  tone buzz 440\n", ":2: unknown wave 'buzz'"),
                ("sound a 0.1\n  noise lp=800 z=1\n", ":2: unknown setting 'z'"),
                ("  tone sine 440\n", ":1: 'tone' belongs to a sound or an instrument"),
                ("instrument i\n  tone sine *1\nmusic m tempo=90 bars=2\n  track i : A4:1 B4 C5 D5 | D5:3.5\n",
                 ":4: bar 2 holds 3.5 beats, not a multiple of 4"),
                ("instrument i\n  tone sine *1\nmusic m tempo=90 bars=2\n  track j : A4:4\n",
                 ":4: expected 'track INSTRUMENT"),
                ("instrument i\n  tone sine *1\nmusic m tempo=90 bars=3\n  track i : A4:4 | B4:4\n",
                 "music m: a track of 2 bars does not fill 3 bars")]:
            with self.assertRaises(make_sound.SoundError) as caught:
                parse_text(source)
            self.assertIn("t.txt" + (message if message.startswith(":") else ": " + message), str(caught.exception))


if __name__ == "__main__":
    unittest.main()
