"""The type-15 simulator's command line: timed actions, reply values and delays.

  --at WHEN=ACTION   WHEN: seconds since start (2.5), or the first time the generator
                     sends a reply code or receives a call, plus seconds (RS06+0.2,
                     CALL25, R101+1)
  ACTION:  silence       stop answering and stop the periodic LINK and HS reports
           nolink        stop the periodic LINK and HS reports only
           resume        answer and report again
           error:VV      EVENT 6 R104 VV (an error code, VV at most 63 hex)
           check:VV      EVENT 6 R104 VV (a check code, VV above 63 hex)
           htreset       EVENT 6 R105 00
           hs:VV         the hand switch at VV (30 standing, 20 ready, 00 exposure):
                         Model 2 sends HS VV now and in every periodic HS report;
                         Model 1 writes bits 0x30 of the port's status register
           send:CODE     the reply CODE with its values (send:RS04, send:LINK)
           event:ID,ARG  any event line, e.g. event:6,XX,1 or event:4,text
  --value CODE=V[,V]  the values of a reply (R101=3C, R201=12,03)
  --delay CODE=MS     the delay before a reply (RS07 is the exposure time)
"""

import re
from dataclasses import dataclass

from type15rules import EVENT_OF

_WHEN = re.compile(r"^(?:(?P<seconds>\d+(?:\.\d*)?)|(?P<anchor>CALL\d+|[A-Z]+\d*)(?:\+(?P<offset>\d+(?:\.\d*)?))?)$")
_HEX2 = re.compile(r"^[0-9A-Fa-f]{2}$")


@dataclass
class Scripted:
    name: str  # the action
    args: tuple
    at: float = None  # seconds since start, or None for an anchored action
    anchor: str = None  # a reply code or "CALL<id>"
    offset: float = 0.0


def parse_at(rule):
    when, sep, action = rule.partition("=")
    match = _WHEN.match(when)
    if not sep or not match:
        raise ValueError("--at is WHEN=ACTION with WHEN seconds or CODE[+seconds], got %r" % rule)
    anchor = match.group("anchor")
    if anchor and not (anchor.startswith("CALL") or anchor in EVENT_OF):
        raise ValueError("--at %r: %s is neither a reply code nor CALL<id>" % (rule, anchor))
    name, args = parse_action(action)
    if anchor:
        return Scripted(name, args, anchor=anchor, offset=float(match.group("offset") or 0))
    return Scripted(name, args, at=float(match.group("seconds")))


def parse_action(text):
    name, _, arg = text.partition(":")
    if name in ("silence", "nolink", "resume", "htreset") and not arg:
        return name, ()
    if name in ("error", "check") and arg:
        return name, (arg,)
    if name == "hs" and _HEX2.match(arg):
        return name, (arg.upper(),)
    if name == "send" and arg in EVENT_OF:
        return name, (arg,)
    if name == "event":
        event_id, *args = arg.split(",")
        if event_id.isdigit():
            return name, (event_id, *args)
    raise ValueError("unknown action %r (see gensim.py --help)" % text)


def parse_value(rule):
    code, sep, values = rule.partition("=")
    if not sep or code not in EVENT_OF:
        raise ValueError("--value is CODE=V[,V] with a reply code, got %r" % rule)
    return code, tuple(values.split(","))


def parse_delay(rule):
    code, sep, ms = rule.partition("=")
    if not sep or code not in EVENT_OF or not ms.isdigit():
        raise ValueError("--delay is CODE=MS with a reply code, got %r" % rule)
    return code, int(ms)
