#!/usr/bin/env python3
"""gensim: a generator simulator for types 11, 13, 15 and 17 on a serial line.

Examples:
  gensim.py --type 11 --port /tmp/gen --reply 'ST=KV70 MA100' --reply 'R?=ST0'
  gensim.py --type 13 --port /dev/ttyUSB0 --baud 57600 --reply 'A1C*=A1C100'
  gensim.py --type 17 --port /tmp/gen --prefix C --reply 'R=RDY' --nak
  gensim.py --type 15 --port /tmp/link --model 2 --at RS06+0.2=check:65
  gensim.py --type 15 --port /tmp/link --model 1 --portsim /tmp/io.bin --at 20=hs:20

Every frame received and every byte sent is printed with its hex bytes; type 15 (the
link component's text lines) prints every line received and sent.
"""

import argparse
import os
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from serialline import SerialLine  # noqa: E402
import type15script  # noqa: E402
from simulator import Faults, Generator, Reply  # noqa: E402
from type15 import Settings, Type15Generator  # noqa: E402


def parse_args(argv):
    parser = argparse.ArgumentParser(
        description=__doc__, epilog=type15script.__doc__, formatter_class=argparse.RawDescriptionHelpFormatter
    )
    parser.add_argument("--type", type=int, choices=(11, 13, 15, 17), required=True, help="generator type")
    parser.add_argument("--port", required=True, help="pty or serial device path")
    parser.add_argument("--baud", type=int, default=0, help="line speed for a real serial device")
    parser.add_argument("--prefix", default="A", choices=("A", "C"), help="type 17: A console, C mini-console")
    parser.add_argument(
        "--reply",
        action="append",
        default=[],
        metavar="PATTERN=TEXT",
        help="answer a command matching PATTERN (wildcards * ?) with TEXT; "
        'escapes like \\r\\n\\x03 work; "raw:" sends TEXT unframed',
    )
    parser.add_argument("--send", action="append", default=[], metavar="TEXT", help="send this reply once at start")
    parser.add_argument("--silent", action="store_true", help="never answer")
    parser.add_argument("--nak", action="store_true", help="answer every command with NAK")
    parser.add_argument("--bad-checksum", action="store_true", help="replies carry wrong checksums")
    parser.add_argument("--noise", type=int, default=0, metavar="N", help="random bytes before each reply")
    parser.add_argument("--split-at", type=int, default=0, metavar="N", help="send replies in two pieces")
    parser.add_argument("--split-ms", type=int, default=0, metavar="MS", help="pause between pieces or bytes")
    parser.add_argument("--no-ack", action="store_true", help="type 17: do not acknowledge frames")
    parser.add_argument("--duration", type=float, default=0, metavar="S", help="stop after S seconds")
    add_type15_args(parser.add_argument_group("type 15 (the link component's lines; script below)"))
    return parser.parse_args(argv)


def add_type15_args(group):
    group.add_argument("--model", type=int, choices=(1, 2), default=2, help="console model (default 2)")
    group.add_argument("--portsim", default="", metavar="FILE", help="Model 1: the port double's I/O space file")
    group.add_argument("--port-address", type=hex_number, default=0x378, metavar="HEX", help="default 378")
    group.add_argument("--link-every", type=float, default=2.0, metavar="S", help="LINK 55 period, 0 none")
    group.add_argument("--hs-every", type=float, default=2.0, metavar="S", help="Model 2: HS period, 0 none")
    group.add_argument("--exposure-ms", type=int, metavar="MS", help="exposure time: RS06 to RS07 (500)")
    group.add_argument("--value", action="append", default=[], metavar="CODE=V[,V]", help="a reply's values")
    group.add_argument("--delay", action="append", default=[], metavar="CODE=MS", help="a reply's delay")
    group.add_argument("--at", action="append", default=[], metavar="WHEN=ACTION", help="a scripted action")


def hex_number(text):
    return int(text, 16)


def type15_settings(args):
    if args.send:
        raise ValueError("type 15 sends replies with --at WHEN=send:CODE, not --send")
    delays = dict(type15script.parse_delay(rule) for rule in args.delay)
    if args.exposure_ms is not None:
        delays["RS07"] = args.exposure_ms
    return Settings(
        model=args.model,
        portsim=args.portsim,
        port_address=args.port_address,
        link_every=args.link_every,
        hs_every=args.hs_every,
        values=dict(type15script.parse_value(rule) for rule in args.value),
        delays=delays,
        script=[type15script.parse_at(rule) for rule in args.at],
    )


def main(argv=None):
    args = parse_args(argv)
    faults = Faults(
        silent=args.silent,
        nak=args.nak,
        bad_checksum=args.bad_checksum,
        noise=args.noise,
        split_at=args.split_at,
        split_ms=args.split_ms,
        ack=not args.no_ack,
    )
    try:
        replies = [Reply.parse(rule) for rule in args.reply]
        settings = type15_settings(args) if args.type == 15 else None
        line = SerialLine(args.port, args.baud)
        if settings:
            generator = Type15Generator(line, settings).start()
        else:
            generator = Generator(args.type, line, replies, args.prefix, faults).start()
    except (ValueError, OSError) as error:
        print("gensim: %s" % error, file=sys.stderr)
        return 2
    for text in args.send:
        generator.send_reply(text)
    try:
        deadline = time.monotonic() + args.duration if args.duration else None
        while deadline is None or time.monotonic() < deadline:
            time.sleep(0.1)
    except KeyboardInterrupt:
        pass
    finally:
        generator.stop()
        line.close()
    return 0


if __name__ == "__main__":
    sys.exit(main())
