"""What a healthy type-15 generator answers, as tables.

The program's steps are written as text: "CALL <id> <arg>..." for a method call on the
link, "PORT <VV>" for a new value on the parallel port's data register (Model 1), and
"PORT released" for any value with the ready and exposure lines high (0xFF, 0xFB, 0xF7).
A rule fires when the program has made all of its steps (in any order) since the rule
last fired; the generator then sends the rule's replies one after another, each after
its delay. RELEASE drops what the ready and exposure rules have seen and their replies
still waiting; POWER_DOWN does that for every rule.
"""

from dataclasses import dataclass

RELEASE = "release"
POWER_DOWN = "power down"

# The exposure as the generator plays it: X-ray start, the exposure time (the delay of
# RS07), X-ray end and the feedback values.
EXPOSURE = ("RS06", "RS07", "R102", "R103", "R201")


@dataclass(frozen=True)
class Rule:
    model: int  # 1 or 2; 0 for both
    group: str  # "power", "charge" or "xray" (what RELEASE clears)
    steps: tuple  # what the program does
    replies: tuple  # reply codes, RELEASE or POWER_DOWN


RULES = (
    Rule(2, "power", ("CALL 1",), ("PS",)),
    Rule(2, "power", ("CALL 3",) * 3, ("R101",)),
    Rule(1, "power", ("CALL 1",), ("R101",)),
    Rule(0, "charge", ("CALL 23", "CALL 8", "CALL 9", "CALL 22"), ("RS04",)),
    Rule(2, "xray", ("CALL 57 01 00",), ("RS05",)),
    Rule(2, "xray", ("CALL 57 01 01", "CALL 25"), EXPOSURE),
    Rule(1, "xray", ("PORT FD",), ("RS05",)),
    Rule(1, "xray", ("CALL 25", "PORT FC"), EXPOSURE),
    Rule(2, "xray", ("CALL 57 00 00",), (RELEASE,)),
    Rule(1, "xray", ("PORT released",), (RELEASE,)),
    Rule(2, "power", ("CALL 56 00",), (POWER_DOWN,)),
    Rule(0, "power", ("CALL 2",), (POWER_DOWN,)),
)

# Reply code: the event that carries it. Event 9 carries a state code alone, event 6 a
# report code and its value, event 5 a data code and two values.
EVENT_OF = {"PS": 6, "HS": 6, "LINK": 6, "R101": 6, "R102": 6, "R103": 6, "R104": 6, "R105": 6, "R201": 5}
EVENT_OF.update({"RS0%d" % n: 9 for n in range(1, 8)})

# The values each reply carries, unless the command line sets others.
VALUES = {
    "PS": ("01",),
    "LINK": ("55",),
    "R101": ("01",),
    "R102": ("50",),
    "R103": ("64",),
    "R104": ("0A",),
    "R105": ("00",),
    "R201": ("05", "01"),
}

# Milliseconds from the step (or the previous reply of the same rule) to each reply.
DELAYS = {
    "PS": 100,
    "R101": 200,
    "RS04": 500,
    "RS05": 300,
    "RS06": 100,
    "RS07": 500,
    "R102": 20,
    "R103": 20,
    "R201": 20,
}


def port_step(value):
    """The step a new data register value makes (the ready and exposure lines are its
    two low bits, asserted low)."""
    return "PORT released" if value & 0x03 == 0x03 else "PORT %02X" % value


def rules_for(model):
    return [rule for rule in RULES if rule.model in (0, model)]
