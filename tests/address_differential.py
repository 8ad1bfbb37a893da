#!/usr/bin/env python3
"""The plug-in's recipient check against readers it shares no code with.

Generated messages carry To, Cc and Bcc fields (and their Resent- forms):
templates of what mail programs write, with comments holding quotes,
parentheses, backslashes and commas, quoted strings holding commas, angle
brackets, "@" and escapes, groups, routes, domain literals, encoded words and
raw code page 932; fields drawn from the grammar's productions; the broken
forms that once let a recipient past the check; folding, repeated fields and
header lines programs read differently. Mailboxes go to allowed.example,
which the configuration allows, or elsewhere.

address_oracle gives, per message, the plug-in's verdicts and the mailboxes
GMime finds. This script reads the same bytes with Python's email package
(policy.default: each field's .addresses, defects ignored, invalid mailboxes
counted; once byte by byte and once as code page 932, as the mail client
reads) and with email.utils.getaddresses. Whenever the plug-in sends, every
recipient mailbox any reader finds must be in allowed.example, compared
without regard to case (a mailbox without a domain is outside), and no
reader may find two senders. A guard that refuses everything proves
nothing, so fewer than 25 % of the clean messages sent fails too.

Then two fixed sets: ordinary mail that must still be sent, and CPython's
own email test messages under a configuration that allows everyone.
"""
import argparse
import concurrent.futures
import email
import email.policy
import email.utils
import glob
import inspect
import os
import random
import re
import subprocess
import sys
import tempfile
from email import _header_value_parser as hvp

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "e2e"))
import mail_generator as mail  # noqa: E402
from harness import Checks  # noqa: E402

ALLOWED = "allowed.example"
REFUSED = "evil.test"
# Allowed: the address (bare, or in the last angle brackets) is exactly one
# mailbox of allowed.example, in any case, as every reader compares domains.
ALLOW_CONF = b"ALL=(?i)(^|<)[^<>@]*@allowed\\.example>?$\r\n"
# The form the sample configuration teaches: a domain at the end.
SAMPLE_CONF = b"ALL=@allowed\\.example>?$\r\n"
ALLOW_ALL_CONF = b"ALL=.\r\n"
FIELDS = ("to", "cc", "bcc", "resent-to", "resent-cc", "resent-bcc")
ROUNDS = 8400  # messages; about three address fields each

# --- generating -----------------------------------------------------------


def encoded_words(rng, text):
    """`text` as one or more encoded words, in a Japanese charset or UTF-8."""
    charset = rng.choice(["ISO-2022-JP", "Shift_JIS", "UTF-8", "utf-8", "iso-2022-jp"])
    try:
        text.encode(charset)
    except UnicodeEncodeError:
        charset = "UTF-8"
    parts = [text]
    if len(text) > 1 and rng.random() < 0.5:
        cut = rng.randrange(1, len(text))
        parts = [text[:cut], text[cut:]]
    return " ".join(mail.encoded_word(p, charset, rng.choice("BQ")) for p in parts)


NAMES = ["佐藤 三郎", "山田", "ｿﾌﾄ", "営業部 表", "ソフト開発", "ァィゥ", "Müller", "Boss"]
# Comments a splitter on commas and quotes reads alike, and those it does not.
PLAIN_COMMENTS = ["(comment)", "(nested (x))", "(at @ sign)", "(<angle>)", "(;:)", "()"]
TRICKY_COMMENTS = ["(a, b)", '(say "hi)', "(nested (x, y))", "(back\\)slash)", "(\\(open)", '(")']


def comment(rng):
    return rng.choice(TRICKY_COMMENTS if rng.random() < 0.3 else PLAIN_COMMENTS)
QUOTED = ['"Doe, John"', '"a@allowed.example"', '"<evil@evil.test>"', '"x\\"y"', '"back\\\\slash"',
          '"a, <b@evil.test>, c"', '"Sales (Tokyo)"', '"semi;colon:"', '""', '"evil@evil.test"',
          '"a\\,b"', '"tab\there"']
ATOM_NAMES = ["Boss", "John Q. Public", "Sales Dept", "a.b", "Evil", "x@y"]
LOCALS = ["a", "boss", "x.y", "first.last", "a+tag", "o'brien", "under_score", "Z"]


def raw_name(rng):
    """A name written without encoding: code page 932 or UTF-8 bytes, whose
    second bytes may be a backslash, "@" or "[" (here as surrogate escapes)."""
    text = rng.choice(NAMES)
    data = text.encode(rng.choice(["cp932", "utf-8"]), "replace")
    name = mail.raw(data)
    return '"' + name + '"' if rng.random() < 0.5 else name


def display_name(rng, ordinary=False):
    if ordinary and rng.random() < 0.6:  # what mail programs write
        return rng.choice([rng.choice(ATOM_NAMES[:3]), '"Doe, John"', '"a@allowed.example"',
                           encoded_words(rng, rng.choice(NAMES))])
    kind = rng.randrange(6)
    if kind == 5:
        return raw_name(rng)
    if kind == 0:
        return rng.choice(ATOM_NAMES)
    if kind == 1:
        return rng.choice(QUOTED)
    if kind == 2:
        return encoded_words(rng, rng.choice(NAMES))
    if kind == 3:
        return rng.choice(ATOM_NAMES[:3]) + " " + comment(rng)
    return encoded_words(rng, rng.choice(NAMES)) + " " + rng.choice(QUOTED)


def domain_text(rng, allowed):
    if not allowed:
        return rng.choice([REFUSED, "Evil.Test", "sub.allowed.example", "allowed.example.evil.test"])
    return rng.choice([ALLOWED] * 4 + ["Allowed.Example", "ALLOWED.EXAMPLE"])


def address_of(rng, allowed, ordinary):
    local = rng.choice(LOCALS)
    domain = domain_text(rng, allowed)
    if ordinary or rng.random() < 0.6:
        return local + "@" + domain
    return rng.choice([
        local + " @ " + domain,
        local + "(c)@" + domain,
        local + "@(c)" + domain,
        local + "@" + domain + "(c)",
        " " + local + "@" + domain + " ",
        '"a b"@' + domain,
        '"a,b"@' + domain,
        '"evil@evil.test"@' + domain,
        local + "@[192.0.2.1]",
        local + "@" + domain + ".",
        local + ".@" + domain,
        "=?us-ascii?q?" + local + "?=@" + domain,
        local + "@=?us-ascii?q?" + domain + "?=",
        local,
    ])


def mailbox(rng, allowed, ordinary):
    addr = address_of(rng, allowed, ordinary)
    kind = rng.randrange(9 if ordinary else 12)
    if kind <= 1:
        return addr
    if kind == 2:
        return "<" + addr + ">"
    if kind <= 6:
        return display_name(rng, ordinary) + " <" + addr + ">"
    if kind <= 8:
        return display_name(rng, ordinary) + " " + comment(rng) + " <" + addr + ">"
    if kind == 9:
        return addr + " " + comment(rng)
    if kind == 10:
        return "<@relay." + rng.choice([ALLOWED, REFUSED]) + ":" + addr + ">"
    return "<" + addr + "> " + comment(rng)


# The forms that once let a recipient past the check, with their
# neighbours in the field.
ATTACKS = [
    'Evil (") <evil@evil.test>, Boss (") <x@allowed.example>',
    "<evil@evil.test)@allowed.example>",
    "<evil@evil.test;@allowed.example>",
    "<evil@evil.test:@allowed.example>",
    '<evil@evil.test"@allowed.example">',
    "<evil@evil.test@allowed.example>",
    '<evil@evil.test> "@allowed.example"',
    'Boss <evil@evil.test> "<boss@allowed.example>"',
    "Boss (a, <x@allowed.example>) <evil@evil.test>",
    'A (\\") <evil@evil.test>, B (") <x@allowed.example>',
    "evil@evil.test (x@allowed.example)",
    "Team: evil@evil.test; <x@allowed.example>",
    "undisclosed-recipients:; evil@evil.test",
    '"\\" <evil@evil.test>, x@allowed.example',
    "<x@allowed.example> evil@evil.test",
    "=?us-ascii?q?=3Cevil@evil.test=3E?= <x@allowed.example>",
    "=?us-ascii?q?evil@evil.test=2C?= x@allowed.example",
    # Unencoded code page 932, whose second bytes a byte-wise reader takes
    # for a backslash or an "@".
    mail.raw('"表" <evil@evil.test>, x" <a@allowed.example>'.encode("cp932")),
    mail.raw("(ソ) <evil@evil.test>, x) <a@allowed.example>".encode("cp932")),
    "a\udc83@allowed.example",
]


def hidden_member(rng):
    """A member whose display name hides a mailbox from one kind of reader:
    a quoted string, comment or domain literal cut by a line end (readers
    that end it at the line end find what follows), or a phrase that starts
    with a dot (readers that take the dot for an address find the rest)."""
    evil = rng.choice(["<evil@evil.test>", "evil@evil.test", "x <evil@evil.test>,",
                       "evil@evil.test,", "Evil <evil@evil.test>, y"])
    line_end = rng.choice(["\r\n ", "\r\n\t", "\r\n  "])
    good = address_of(rng, True, True)
    kind = rng.randrange(5)
    if kind == 0:
        return '"%s%s%s %s" <%s>' % (rng.choice(["x", "", "a, b"]), line_end, evil,
                                     rng.choice(["", ",", "y"]), good)
    if kind == 1:
        return "%s(%s%s%s %s) <%s>" % (rng.choice(["Name ", "", "a "]), rng.choice(["x", ""]),
                                       line_end, evil, rng.choice(["", ")", "(c)"]), good)
    if kind == 2:
        return "%s@[%s%s%s]" % (rng.choice(LOCALS), rng.choice(["192.0.2.1", "x"]), line_end,
                                rng.choice(["] " + evil, "evil.test", ""]))
    lead = rng.choice(["", "(c)", " ", "(c) "])
    return "%s.%s\"x,%s\"%s <%s>" % (lead, rng.choice(["", " a ", "x", " "]), evil,
                                     rng.choice(["", ".x", " y", "."]), good)


def address(rng, mode):
    """One list member: a mailbox, or a group."""
    allowed = mode == "clean" or rng.random() < 0.6
    ordinary = mode == "clean" and rng.random() < 0.9
    roll = rng.random()
    if roll < 0.06:
        return rng.choice(["undisclosed-recipients:;", "Team:;", "Empty (no one):;",
                           "=?UTF-8?B?5a6b5YWI?=: ;"])
    if roll < 0.10 and not ordinary:
        members = ", ".join(mailbox(rng, allowed, ordinary) for _ in range(rng.randrange(1, 3)))
        return rng.choice(["Team", "Group (c)"]) + ": " + members + ";"
    return mailbox(rng, allowed, ordinary)


class Grammar:
    """Address lists drawn from the grammar's productions, obsolete forms
    included: CFWS wherever it may stand, quoted pairs of any visible
    character, nested comments, domain literals, routes, dotted phrases and
    local parts, empty list members, groups."""

    VCHAR = [chr(c) for c in range(0x21, 0x7f)]
    ATEXT = [c for c in VCHAR if c.isalnum() or c in "!#$%&'*+-/=?^_`{|}~"]
    CTEXT = [c for c in VCHAR if c not in "()\\"]
    QTEXT = [c for c in VCHAR if c not in '"\\']
    DTEXT = [c for c in VCHAR if c not in "[]\\"]

    def __init__(self, rng, allowed):
        self.rng = rng
        self.allowed = allowed

    def chance(self, p):
        return self.rng.random() < p

    def fws(self):
        return self.rng.choice([" ", " ", "\t", "  "])

    def quoted_pair(self):
        # Mostly the pairs the comma splitter also takes as escapes.
        if self.chance(0.7):
            return "\\" + self.rng.choice('"\\,')
        return "\\" + self.rng.choice(self.VCHAR + [" "])

    def comment(self, depth=0):
        out = "("
        for _ in range(self.rng.randrange(4)):
            if self.chance(0.3):
                out += self.fws()
            roll = self.rng.random()
            if roll < 0.6:
                out += "".join(self.rng.choice(self.CTEXT) for _ in range(self.rng.randrange(1, 4)))
            elif roll < 0.8 or depth > 2:
                out += self.quoted_pair()
            else:
                out += self.comment(depth + 1)
        return out + ")"

    def cfws(self, p=0.08):
        if not self.chance(p):
            return ""
        if self.chance(0.5):
            return self.fws()
        return (self.fws() if self.chance(0.5) else "") + self.comment() + \
            (self.fws() if self.chance(0.5) else "")

    def atext(self):
        if self.chance(0.7):
            return self.rng.choice(["a", "x", "boss", "Sales", "j", "o'b", "z9"])
        return "".join(self.rng.choice(self.ATEXT) for _ in range(self.rng.randrange(1, 5)))

    def atom(self):
        return self.cfws() + self.atext() + self.cfws()

    def quoted_string(self):
        out = '"'
        for _ in range(self.rng.randrange(4)):
            if self.chance(0.2):
                out += self.fws()
            if self.chance(0.75):
                out += "".join(self.rng.choice(self.QTEXT) for _ in range(self.rng.randrange(1, 4)))
            else:
                out += self.quoted_pair()
        return self.cfws() + out + '"' + self.cfws()

    def word(self):
        return self.quoted_string() if self.chance(0.3) else self.atom()

    def phrase(self):
        words = [self.word()]
        for _ in range(self.rng.randrange(3)):
            words.append("." if self.chance(0.15) else self.word())
        return " ".join(words) if self.chance(0.5) else "".join(words)

    def local_part(self):
        if self.chance(0.85):
            return self.cfws(0.05) + ".".join(self.atext() for _ in range(self.rng.randrange(1, 3)))
        if self.chance(0.3):
            return self.quoted_string()
        return ".".join(self.word() for _ in range(self.rng.randrange(1, 3)))

    def domain(self, allowed=None):
        allowed = self.allowed if allowed is None else allowed
        roll = self.rng.random()
        if roll < 0.05:
            text = "".join(self.rng.choice(self.DTEXT) for _ in range(self.rng.randrange(1, 6)))
            return self.cfws() + "[" + text + (self.quoted_pair() if self.chance(0.3) else "") + \
                "]" + self.cfws()
        labels = ["allowed", "example"] if allowed else self.rng.choice(
            [["evil", "test"], ["allowed", "example", "evil", "test"], ["sub", "allowed", "example"]])
        if roll < 0.15:  # obs-domain: atoms with CFWS around the dots
            return ".".join(self.cfws() + label + self.cfws() for label in labels)
        return self.cfws(0.05) + ".".join(labels) + self.cfws(0.05)

    def address_of(self):
        return self.local_part() + "@" + self.domain()

    def angle_addr(self):
        route = ""
        if self.chance(0.04):
            route = ",".join("@" + self.domain(self.chance(0.5))
                             for _ in range(self.rng.randrange(1, 3))) + ":"
        return self.cfws() + "<" + route + self.address_of() + ">" + self.cfws()

    def mailbox(self):
        if self.chance(0.3):
            return self.address_of()
        return (self.phrase() if self.chance(0.8) else "") + self.angle_addr()

    def address(self):
        if self.chance(0.1):
            members = ",".join(self.mailbox() for _ in range(self.rng.randrange(3)))
            return self.phrase() + ":" + (members or self.cfws(0.5)) + ";" + self.cfws()
        return self.mailbox()

    def address_list(self):
        members = [self.address() for _ in range(self.rng.randrange(1, 4))]
        if self.chance(0.1):
            members.insert(self.rng.randrange(len(members) + 1), self.cfws(0.5))
        return ",".join(members)


def mutate(rng, value):
    for _ in range(rng.randrange(1, 3)):
        at = rng.randrange(len(value) + 1)
        op = rng.randrange(3)
        if op == 0:
            value = value[:at] + rng.choice('"(),<>@;:\\[]. ') + value[at:]
        elif op == 1 and value:
            value = value[:at] + value[at + 1:]
        else:
            end = min(len(value), at + rng.randrange(1, 8))
            value = value[:end] + value[at:end] + value[end:]
    return value


def field_value(rng, mode):
    if mode == "grammar":
        return Grammar(rng, rng.random() < 0.7).address_list()
    members = [address(rng, mode) for _ in range(rng.randrange(1, 5))]
    if mode == "attack" and rng.random() < 0.6:
        members.insert(rng.randrange(len(members) + 1), rng.choice(ATTACKS))
    if mode == "attack" and rng.random() < 0.5:
        members.insert(rng.randrange(len(members) + 1), hidden_member(rng))
    value = ""
    for i, member in enumerate(members):
        if i:
            value += rng.choice([", ", ",", " , ", ",, ", ", ,", ","])
        value += member
    if rng.random() < 0.15:
        value = rng.choice([",", ", "]) + value
    if mode == "attack" and rng.random() < 0.5:
        value = mutate(rng, value)
    return value


def fold(rng, value):
    """Breaks the line at some blanks, as a mail program folds it."""
    out = []
    for c in value:
        if c == " " and rng.random() < 0.2:
            out.append(rng.choice(["\r\n ", "\r\n\t", "\r\n  "]))
        else:
            out.append(c)
    return "".join(out)


# Lines that one program may take for a recipient field and another not.
HEADER_NOISE = [
    "X-Note: x\rTo: evil@evil.test",
    "Subject: x\r\n \r\n evil@evil.test",
    "To\t: evil@evil.test",
    "To: x@allowed.example\r\n\tevil@evil.test",
    " To: evil@evil.test",
    "X-Junk\r\nTo: evil@evil.test",
    "Cc:evil@evil.test",
    "Bcc:\r\n\r\n evil@evil.test",
    "Resent-To:, evil@evil.test",
    "To: x@allowed.example\r\n\x0cevil@evil.test",
    "To: x@allowed.example\x0bevil@evil.test",
    "To: x@allowed.example\x00, evil@evil.test",
    "To: x@allowed.example\x85, evil@evil.test",
    "To: x@allowed.example\u2028, evil@evil.test",
]

SENDERS = [
    "me@allowed.example, boss@allowed.example",
    "Me (a, b) <me@allowed.example>",
    '"Me, Myself" <me@allowed.example>',
    "Team: me@allowed.example, boss@allowed.example;",
    "Team:;",
    "Me <me@allowed.example> (boss@allowed.example)",
    'Me (") <me@allowed.example>, Boss (") <boss@allowed.example>',
    "me@allowed.example\r\nFrom: boss@allowed.example",
    "=?us-ascii?q?boss@allowed.example=2C?= <me@allowed.example>",
    "Me <me@allowed.example>,",
    "<me@allowed.example> <boss@allowed.example>",
]

FIELD_NAMES = ["To", "to", "TO", "Cc", "CC", "Bcc", "bcc", "Resent-To", "Resent-Cc", "Resent-Bcc"]


def message(rng):
    mode = rng.choices(["clean", "mixed", "attack", "grammar"], [8, 2, 2, 3])[0]
    sender = rng.choice(["me@allowed.example", "Me <me@allowed.example>",
                         encoded_words(rng, "営業") + " <sales@allowed.example>"])
    if rng.random() < 0.1:  # a sender that names two, or seems to
        sender = rng.choice(SENDERS)
    lines = ["From: " + sender, "Subject: test"]
    fields = 0
    for _ in range(rng.randrange(1, 5)):
        name = rng.choice(FIELD_NAMES)
        value = fold(rng, field_value(rng, mode))
        head = rng.choice([name + ": ", name + ":", name + ":\r\n ", name + " : "])
        lines.insert(rng.randrange(len(lines) + 1), head + value)
        fields += 1
    if rng.random() < 0.06:
        lines.insert(rng.randrange(len(lines) + 1), rng.choice(HEADER_NOISE))
    text = mail.text(lines)
    if mode == "attack" and rng.random() < 0.1:
        text = mail.with_nul(rng, text)
    if rng.random() < 0.05:
        text = text.replace("\r\n", "\n")
    return text.encode("utf-8", "surrogateescape"), fields, mode


# --- reading --------------------------------------------------------------

GETADDRESSES_STRICT = "strict" in inspect.signature(email.utils.getaddresses).parameters


def tree_mailboxes(token, reader, kind, found):
    """Every mailbox, valid or not, in a parse tree of the address grammar."""
    # The package may retype an empty group that something follows as an
    # invalid mailbox; it stays a group, whose members are the mailboxes.
    if not isinstance(token, hvp.Group) and \
            getattr(token, "token_type", None) in ("mailbox", "invalid-mailbox"):
        try:
            found.append((reader, token.local_part or "", token.domain or "", kind))
        except Exception:  # no parts to be had: judged by its whole text
            found.append((reader, str(token), "", kind))
        return
    if isinstance(token, list):
        for part in token:
            tree_mailboxes(part, reader, kind, found)


def field_kind(name):
    """"to" for a recipient field, "from" for the sender, or None."""
    name = name.strip().lower()
    return "to" if name in FIELDS else "from" if name == "from" else None


def header_mailboxes(msg, reader, found):
    for name, value in msg.raw_items():
        kind = field_kind(name)
        if kind is None:
            continue
        try:
            header = msg.policy.header_fetch_parse(name, value)
            found += [(reader, a.username, a.domain, kind) for a in header.addresses]
        except Exception:  # the package's own fault: read its tree instead
            unfolded = "".join(value.splitlines())
            try:
                tree_mailboxes(hvp.get_address_list(unfolded)[0], reader, kind, found)
            except Exception:  # not even a tree: this reader found nothing it can name
                found.append((reader + "-unreadable", "", "", kind))


def python_mailboxes(raw):
    """(reader, local part, domain, "to" or "from") for every mailbox Python's
    readers find in the recipient fields and the sender's."""
    found = []
    header_mailboxes(email.message_from_bytes(raw, policy=email.policy.default), "python", found)
    # The mail client is a code page 932 program: read as such, a double-byte
    # character's second byte is no backslash, "@" or bracket. (ASCII reads
    # the same either way.)
    if raw.isascii():
        found += [("python-cp932",) + entry[1:] for entry in found if entry[0] == "python"]
    else:
        text = raw.decode("cp932", "surrogateescape")
        header_mailboxes(email.message_from_string(text, policy=email.policy.default),
                         "python-cp932", found)
    compat = email.message_from_bytes(raw)
    for name, value in compat.raw_items():
        kind = field_kind(name)
        if kind is None:
            continue
        readers = [("getaddresses", {})]
        if GETADDRESSES_STRICT:
            readers = [("getaddresses", {"strict": False}), ("getaddresses-strict", {})]
        for reader, options in readers:
            # Read unfolded, as a mail program that unfolds first would.
            unfolded = re.sub(r"\r?\n", "", value)
            for _, addr in email.utils.getaddresses([unfolded], **options):
                if addr:
                    local, at, domain = addr.rpartition("@")
                    found.append((reader, local if at else addr, domain, kind))
        # And folded, as smtplib's send_message reads the recipients it hands
        # to the server: its quote and comment scanners stop at a line end.
        for _, addr in email.utils.getaddresses([value]):
            if addr:
                local, at, domain = addr.rpartition("@")
                found.append(("smtplib", local if at else addr, domain, kind))
    return found


def unescape(text):
    out = bytearray()
    i = 0
    data = text.encode("utf-8", "surrogateescape")
    while i < len(data):
        if data[i:i + 2] == b"\\x":
            out.append(int(data[i + 2:i + 4], 16))
            i += 4
        else:
            out.append(data[i])
            i += 1
    return out.decode("utf-8", "surrogateescape")


def run_oracle(oracle, confs, messages):
    """Per message: the plug-in's verdicts (True when sent) and reasons under
    each configuration, and GMime's mailboxes (None when it built no message)."""
    with tempfile.TemporaryDirectory() as scratch:
        conf_paths = []
        for i, conf in enumerate(confs):
            conf_paths.append(os.path.join(scratch, "Sendwarden%d.conf" % i))
            with open(conf_paths[-1], "wb") as f:
                f.write(conf)
        input_path = os.path.join(scratch, "messages")
        with open(input_path, "wb") as f:
            for raw in messages:
                f.write(b"%d\n" % len(raw) + raw)
        # GMime's address parser leaks a buffer on some broken input, and
        # finding it by a full unwind of every allocation triples the time;
        # leaks in the plug-in's code are the unit tests' business.
        env = dict(os.environ, ASAN_OPTIONS="detect_leaks=0")
        result = subprocess.run([oracle, input_path] + conf_paths, stdout=subprocess.PIPE,
                                check=True, env=env)
    rows = []
    for line in result.stdout.decode("utf-8", "surrogateescape").split("\n")[:-1]:
        verdicts, whys, recipients, senders = line.split("\t")
        if recipients == "!":
            mailboxes = None
        else:
            mailboxes = []
            for column, kind in [(recipients, "to"), (senders, "from")]:
                for addr in column.split("\x1f")[1:]:
                    local, at, domain = unescape(addr).rpartition("@")
                    mailboxes.append(("gmime", local if at else unescape(addr), domain, kind))
        rows.append(([v == "sent" for v in verdicts.split(",")], whys.split(","), mailboxes))
    if len(rows) != len(messages):
        sys.exit("address_oracle answered %d of %d messages" % (len(rows), len(messages)))
    return rows


def outside(local, domain):
    if not local and not domain:
        return False  # "<>" or an empty member: no one
    return domain.lower() != ALLOWED


# --- the three runs -------------------------------------------------------


def differential(oracle, checks):
    rng = random.Random(22)
    messages, modes, fields = [], [], 0
    for _ in range(ROUNDS):
        raw, count, mode = message(rng)
        modes.append(mode)
        # The host hands the plug-in a C string: a NUL ends the message.
        raw = raw.split(b"\0")[0]
        messages.append(raw)
        fields += count
    # The plug-in and GMime in one process while Python reads on both cores.
    with concurrent.futures.ThreadPoolExecutor(1) as threads, \
            concurrent.futures.ProcessPoolExecutor(2) as processes:
        oracle_rows = threads.submit(run_oracle, oracle, [ALLOW_CONF, SAMPLE_CONF], messages)
        readings = list(processes.map(python_mailboxes, messages, chunksize=200))
        rows = oracle_rows.result()
    sent = 0
    why_counts = {}
    found_counts = {}
    caught = {}
    failures = []
    no_gmime = 0
    two_senders = 0
    by_mode = {}
    sent_sample = 0
    for raw, mode, found, (verdicts, whys, gmime) in zip(messages, modes, readings, rows):
        was_sent, why = verdicts[0], whys[0]
        sent_sample += verdicts[1]
        counts = by_mode.setdefault(mode, [0, 0])
        counts[0] += was_sent
        counts[1] += 1
        if gmime is None:
            no_gmime += 1
        else:
            found += gmime
        bad = sorted({(r, l + "@" + d) for r, l, d, k in found if k == "to" and outside(l, d)})
        for reader in {r for r, _ in bad}:
            caught[reader] = caught.get(reader, 0) + 1
        senders = {}
        for r, _, _, k in found:
            found_counts[r, k] = found_counts.get((r, k), 0) + 1
            if k == "from":
                senders[r] = senders.get(r, 0) + 1
        # The sender chooses the rules: it may name one mailbox at most.
        many = sorted(r for r, count in senders.items() if count > 1)
        if many:
            two_senders += 1
        if was_sent:
            sent += 1
        if any(verdicts):
            if bad:
                failures.append((raw, bad))
            if many:
                failures.append((raw, ["more than one sender by " + r for r in many]))
        else:
            why_counts[why] = why_counts.get(why, 0) + 1
    total = len(messages)
    print("generated: %d messages, %d address fields" % (total, fields))
    print("sent: %d (%.1f %%), refused: %d; with the sample configuration's pattern, sent: %d" %
          (sent, 100.0 * sent / total, total - sent, sent_sample))
    print("sent by kind of message: " +
          ", ".join("%s %d of %d" % (m, c[0], c[1]) for m, c in sorted(by_mode.items())))
    print("refused because: " + ", ".join("%s %d" % kv for kv in sorted(why_counts.items())))
    print("mailboxes found: " + ", ".join("%s %s %d" % (r, "recipients" if k == "to" else "senders", n)
                                          for (r, k), n in sorted(found_counts.items())))
    print("messages whose From some reader takes for two mailboxes or more: %d" % two_senders)
    print("messages with a mailbox outside, by reader: " +
          ", ".join("%s %d" % kv for kv in sorted(caught.items())))
    if no_gmime:
        print("GMime built no message for %d" % no_gmime)
    checks.check("no message sent to a mailbox outside the allowed domain, or with two senders",
                 not failures, "".join("SENT, but outside the allowed domain %s:\n%r\n" % (bad, raw)
                                       for raw, bad in failures[:5]) + "%d such" % len(failures))
    checks.check("20000 address fields or more (%d)" % fields, fields >= 20000)
    # Judged on what mail programs write: the attack forms are refused by design.
    clean_sent, clean_total = by_mode.get("clean", [0, 0])
    checks.check("25 %% of the clean messages or more sent, or the guard proves nothing (%d of %d)"
                 % (clean_sent, clean_total), clean_sent >= clean_total * 0.25)


def ordinary_forms():
    """(what, header lines) of mail that must be sent."""
    a = "a@allowed.example"
    forty = ",\r\n ".join(
        ['"Doe, J%d" <j%d@allowed.example>' % (i, i) if i % 3 == 0 else
         "n%d@allowed.example" % i if i % 3 == 1 else
         mail.encoded_word("表 %d" % i, "ISO-2022-JP", "B") + " <e%d@allowed.example>" % i
         for i in range(40)])
    rows = [
        ("comma in quotes", ['To: "Doe, John" <%s>' % a]),
        ("angle brackets in quotes", ['To: "Sales <sales>" <%s>, "<b@evil.test>" <%s>' % (a, a)]),
        ("at sign in quotes", ['To: "a@allowed.example" <%s>' % a, 'Cc: "x@y, z" <%s>' % a]),
        ("name and comment", ["To: Name (comment) <%s>" % a]),
        ("escaped quote in name", ['To: "O\\"Brien" <%s>' % a]),
        ("bare and angle", ["To: %s, <%s>, B <%s>" % (a, a, a)]),
        ("upper-case domain", ["To: A@ALLOWED.EXAMPLE, Boss <boss@Allowed.Example>"]),
        ("empty group with Bcc", ["To: undisclosed-recipients:;", "Bcc: %s" % a]),
        ("empty group with comment", ["To: undisclosed-recipients (none):;", "Cc: %s" % a]),
        ("value on the next line", ["To:\r\n %s" % a]),
        ("repeated fields", ["To: %s" % a, "To: b@allowed.example", "Cc: c@allowed.example",
                             "cc: d@allowed.example"]),
        ("forty recipients folded", ["To: " + forty]),
        ("empty member", ["To: %s,, b@allowed.example," % a]),
        ("resent", ["Resent-To: %s" % a, "Resent-Cc: Boss <b@allowed.example>"]),
    ]
    for charset in ["ISO-2022-JP", "Shift_JIS", "UTF-8"]:
        for mode in "BQ":
            for name in ["佐藤 三郎", "ソフト開発部 表", "ァ@ィ"]:
                word = mail.encoded_word(name, charset, mode)
                rows.append(("%s %s %s" % (charset, mode, name), ["To: %s <%s>" % (word, a)]))
            split = " ".join(mail.encoded_word(part, charset, mode) for part in ["山田", " 太郎"])
            rows.append(("%s %s split" % (charset, mode), ["To: %s <%s>" % (split, a)]))
            folded = "\r\n ".join(mail.encoded_word(part, charset, mode)
                                   for part in ["営業部", "の", "表"])
            rows.append(("%s %s folded" % (charset, mode), ["To: %s <%s>" % (folded, a)]))
    rows.append(("decoded comma", ["To: =?UTF-8?Q?Doe=2C_John?= <%s>" % a]))
    rows.append(("encoded and quoted", ['To: =?UTF-8?B?5bGx55Sw?= "(Tokyo)" <%s>' % a]))
    return rows


def ordinary(oracle, checks):
    rows = ordinary_forms()
    messages = [mail.text(["From: Me <me@allowed.example>"] + lines + ["Subject: x"])
                .encode("utf-8") for _, lines in rows]
    verdicts = run_oracle(oracle, [ALLOW_CONF], messages)
    for (what, _), raw, ((was_sent,), (why,), gmime) in zip(rows, messages, verdicts):
        found = python_mailboxes(raw) + (gmime or [])
        bad = [(r, l + "@" + d) for r, l, d, k in found if k == "to" and outside(l, d)]
        checks.check("ordinary mail %r sent, every reader finding allowed mailboxes only" % what,
                     was_sent and not bad,
                     "%s %s %r" % ("sent" if was_sent else "refused: " + why, bad, raw))


def corpus(oracle, checks):
    paths = sorted(glob.glob("/usr/lib/python3*/test/test_email/data/msg_*.txt"))
    if not checks.check("CPython's email test messages are there", paths,
                        "Debian: libpython3.11-testsuite"):
        return
    messages = []
    for path in paths:
        with open(path, "rb") as f:
            messages.append(f.read())
    verdicts = run_oracle(oracle, [ALLOW_ALL_CONF], messages)
    names = [os.path.basename(p) for p in paths]
    refused = {n: whys[0] for n, (sent, whys, _) in zip(names, verdicts) if not sent[0]}
    print("CPython test messages: %d, sent %d, refused %s" %
          (len(paths), len(paths) - len(refused), sorted(refused.items())))
    # msg_27 writes "addr (comment)" without angle brackets, msg_35 has no
    # empty line after its header (the shape of a text a NUL byte cut short):
    # both refused on purpose.
    unexpected = set(refused) - {"msg_27.txt", "msg_35.txt"}
    checks.check("CPython test messages, msg_36 among them: none other refused",
                 not unexpected and "msg_36.txt" in names,
                 "refused unexpectedly: %s" % sorted(unexpected))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--oracle", required=True)
    args = parser.parse_args()
    checks = Checks()
    for run in (differential, ordinary, corpus):
        run(args.oracle, checks)
    sys.exit(checks.summary())


if __name__ == "__main__":
    main()
