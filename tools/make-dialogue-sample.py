#!/usr/bin/env python3
"""Writes the dialogue samples in samples/: a timing of about a minute of
speech at 24 fps, and a shorter take with the slips a hand-edited file has.

    python3 tools/make-dialogue-sample.py samples/

The output is the same on every run, so the samples can be remade and compared."""
import random
import sys
from pathlib import Path

# Words spelled as mouth shapes, roughly as a lip-sync tool would break them.
WORDS = {
    "well": "WQ E L", "i": "AI", "think": "TH E K", "we": "WQ E", "should": "CH U D",
    "go": "K O", "now": "etc AI U", "before": "MBP E FV O", "the": "TH E", "rain": "etc E etc",
    "starts": "etc etc AI etc etc", "again": "AI K E etc", "you": "etc U", "said": "etc E D",
    "that": "TH AI etc", "last": "L AI etc etc", "time": "etc AI MBP", "and": "AI etc D",
    "look": "L U K", "what": "WQ U etc", "happened": "etc AI MBP E etc D", "fine": "FV AI etc",
    "but": "MBP U etc", "this": "TH E etc", "is": "E etc", "different": "D E FV etc E etc etc",
    "bring": "MBP etc E etc", "your": "etc O etc", "coat": "K O etc", "maybe": "MBP E MBP E",
    "umbrella": "U MBP etc E L AI", "too": "etc U", "where": "WQ E etc", "did": "D E D",
    "leave": "L E FV", "it": "E etc", "by": "MBP AI", "door": "D O etc", "of": "O FV",
    "course": "K O etc etc", "come": "K U MBP", "on": "O etc", "then": "TH E etc",
    "right": "etc AI etc", "behind": "MBP E etc AI etc D", "alright": "O L etc AI etc",
    "wait": "WQ E etc", "for": "FV O etc", "me": "MBP E", "keys": "K E etc", "got": "K O etc",
    "them": "TH E MBP", "let's": "L E etc etc", "move": "MBP U FV", "quickly": "K WQ E K L E",
    "oh": "O", "no": "etc O", "listen": "L E etc E etc", "thunder": "TH U etc D E etc",
    "already": "O L etc E D E", "run": "etc U etc", "car": "K AI etc", "just": "CH U etc etc",
    "there": "TH E etc", "made": "MBP E D", "told": "etc O L D", "so": "etc O", "yes": "etc E etc",
}

SCRIPT = [
    "well i think we should go now before the rain starts again",
    "you said that last time",
    "and look what happened",
    "fine but this is different",
    "bring your coat and maybe your umbrella too",
    "where did i leave it",
    "by the door of course",
    "come on then",
    "right behind you",
    "alright wait for me",
    "keys",
    "got them",
    "let's move quickly",
    "oh no listen",
    "thunder already",
    "run for the car",
    "we just made it",
    "i told you so",
    "yes you did",
    "well i think we should go now",
]


def timing(rng, script, start=1):
    frame = start
    lines = [(frame, "rest")]
    frame += rng.randint(10, 18)
    for sentence in script:
        for word in sentence.split():
            for shape in WORDS[word].split():
                lines.append((frame, shape))
                frame += rng.choice((2, 2, 3, 3, 3, 4, 5))
            if rng.random() < 0.25:  # a short breath between words
                lines.append((frame, "rest"))
                frame += rng.randint(2, 4)
        lines.append((frame, "rest"))
        frame += rng.randint(18, 38)
    lines.append((frame, "rest"))
    return lines


def write(path, lines, header="MohoSwitch1"):
    path.write_text(header + "\n" + "".join(f"{f} {p}\n" for f, p in lines), encoding="utf-8")


def main():
    out = Path(sys.argv[1] if len(sys.argv) > 1 else "samples")
    rng = random.Random(1440)
    write(out / "one-minute-dialogue-24fps.dat", timing(rng, SCRIPT))

    # Twenty seconds of the same, as a hand-edited file tends to be: the
    # vowel written in lower case, a typo, letter mouth shapes pasted in
    # from another tool, and two keyframes typed out of order.
    rng = random.Random(20)
    take = timing(rng, SCRIPT[:7])
    slipped = []
    for i, (frame, shape) in enumerate(take):
        if shape == "AI" and i % 2:
            shape = "ai"
        elif shape == "MBP" and i == 57:
            shape = "MPB"
        elif i in (60, 61, 63):
            shape = {60: "B", 61: "X", 63: "B"}[i]
        slipped.append((frame, shape))
    slipped[80], slipped[81] = slipped[81], slipped[80]
    write(out / "hand-edited-take.dat", slipped)


if __name__ == "__main__":
    main()
