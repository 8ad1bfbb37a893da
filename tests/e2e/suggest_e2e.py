#!/usr/bin/env python3
"""sendwarden-check suggest and diff as a user runs them, on generated sent
mail: an mbox of a few thousand messages and a folder of message files,
senders and recipients written in the ways mail clients write them, some
messages the plug-in cannot check. Each suggested configuration is compared
with counts of our own, every commented line is then enabled, and the
enabled configuration must let scan send every message whose recipients the
plug-in can read. diff between the two must list exactly the messages that
went to a commented-out domain, in either direction. Planted among them:
typos of busy partners, free mail and mobile carriers, which suggest must
leave commented out whatever their count, and the file's last section,
which makes the plug-in's notice name what was refused."""
import os
import random
import re
import sys

import harness
import mail_generator as mail

JAPANESE_NAMES = ["山田 太郎", "佐藤 花子", "鈴木", "営業部", "田中 一郎", "高橋, 美咲", "渡辺, 健"]
ASCII_NAMES = ["Taro Yamada", "Sales Team", "Pat", "Jane Doe"]
QUOTED_NAMES = ["Doe, Jane", "Quoted, Name", "O'Brien, Pat", "Sales Team"]
LOCAL_PARTS = ["tanaka", "j.doe", "sales", "info", "buyer+jp", "k_sato", "order-desk", "ceo"]
TLDS = ["com", "co.jp", "jp", "net", "org", "example.com"]
# Anyone can have an address there: never suggested on.
PUBLIC = {"gmail.com": "free", "yahoo.co.jp": "free", "docomo.ne.jp": "carrier",
          "ezweb.ne.jp": "carrier"}
SECOND_LEVELS = {"co", "ne", "or", "ac", "go", "ad", "gr", "ed", "lg", "com", "net", "org", "gov",
                 "edu"}


def edit_distance(a, b):
    row = list(range(len(b) + 1))
    for i, x in enumerate(a, 1):
        diagonal, row[0] = row[0], i
        for j, y in enumerate(b, 1):
            diagonal, row[j] = row[j], min(row[j] + 1, row[j - 1] + 1, diagonal + (x != y))
    return row[-1]


def name_and_suffix(domain):
    labels = domain.split(".")
    two = len(labels) >= 3 and len(labels[-1]) == 2 and labels[-2] in SECOND_LEVELS
    cut = 2 if two else 1
    if len(labels) <= cut:
        return "", domain
    return ".".join(labels[:-cut]), ".".join(labels[-cut:])


def looks_alike(a, b):
    """A typo (one letter, two in a name of 8 or more; digits alone are a
    series) or the same name under another suffix."""
    (name_a, suffix_a), (name_b, suffix_b) = name_and_suffix(a), name_and_suffix(b)
    if name_a and name_a == name_b and suffix_a != suffix_b:
        return True
    if re.sub(r"\d", "", a) == re.sub(r"\d", "", b):
        return False
    limit = 2 if min(len(name_a or a), len(name_b or b)) >= 8 else 1
    return edit_distance(a, b) <= limit


def own_domains(readable):
    """The senders' domains that wrote a tenth of the messages, else the top one."""
    written = {}
    for model in readable.values():
        domain = model["sender"].split("@")[1]
        written[domain] = written.get(domain, 0) + 1
    own = {d for d, n in written.items() if n * 10 >= len(readable)}
    return own or {max(sorted(written), key=written.get)}


def off_reasons(counts, own, minimum):
    """{domain: why it stays commented out}: "free", "carrier", the domain
    a typo resembles (an own one, or one used three times as often), "min"."""
    reasons = {}
    for domain, count in counts.items():
        resembles = [] if domain in own else sorted(
            (other for other in set(counts) | own if other != domain
             and (other in own or counts[other] >= 3 * count) and looks_alike(domain, other)),
            key=lambda o: (o not in own, -counts.get(o, 0), o))
        if domain in PUBLIC and domain not in own:
            reasons[domain] = PUBLIC[domain]
        elif resembles:
            reasons[domain] = resembles[0]
        elif count < minimum:
            reasons[domain] = "min"
    return reasons


def mixed_case(rand, text):
    """The same text, its letters in an arbitrary case."""
    style = rand.randrange(4)
    if style == 0:
        return text
    if style == 1:
        return text.upper()
    if style == 2:
        return ".".join(label.capitalize() for label in text.split("."))
    return "".join(c.upper() if rand.random() < 0.4 else c for c in text)


def encoded_word(rand, name):
    charsets = ["ISO-2022-JP", "iso-2022-jp"] if rand.randrange(2) else ["UTF-8", "utf-8"]
    return mail.encoded_word(name, rand.choice(charsets))


def written(rand, address, formal=False):
    """An address as a mail client may write it, with or without a name;
    formally, always under a quoted "Last, First"."""
    form = 3 if formal else rand.randrange(6)
    if form == 0:
        return address
    if form == 1:
        return "<%s>" % address
    if form == 2:
        return "%s <%s>" % (rand.choice(ASCII_NAMES), address)
    if form == 3:
        return '"%s" <%s>' % (rand.choice(QUOTED_NAMES), address)
    return "%s <%s>" % (encoded_word(rand, rand.choice(JAPANESE_NAMES)), address)


class World:
    """One seed's senders and recipient domains."""

    def __init__(self, rand, seed, count):
        self.own = ["own%d-%s.co.jp" % (n, rand.choice("abcdef")) for n in range(1 + seed % 3)]
        self.senders = sorted("%s@%s" % (name, self.own[n % len(self.own)])
                              for n, name in enumerate(rand.sample(LOCAL_PARTS, rand.randint(3, 6))))
        bases = ["partner%d.%s" % (n, rand.choice(TLDS)) for n in range(rand.randint(12, 24))]
        # Subdomains are domains of their own.
        self.shared = bases + ["%s.%s" % (rand.choice(["mail", "sales", "jp"]), base)
                               for base in rand.sample(bases, 5)]
        # Partners whose every address the address book writes "Last, First".
        self.formal = ["formal%d.example.jp" % n for n in range(2)]
        self.shared += self.formal
        rand.shuffle(self.shared)
        # A domain a sender alone writes to: a section with --by-sender.
        self.private = {sender: ["only%d-%d.example.net" % (n, number)
                                 for n in range(rand.randint(0, 3))]
                        for number, sender in enumerate(self.senders)}
        # A long tail: mistyped or one-off domains, each in a message or
        # two, so that --min has some to leave out.
        self.tail = ["oneoff%d.%s" % (n, rand.choice(TLDS)) for n in range(max(10, count // 10))]
        self.weights = [1.0 / (rank + 1) ** 1.1 for rank in range(len(self.shared))]
        # Mistakes of the busiest partners: a letter changed, another suffix.
        busy = [d for d in self.shared[:3] if d.split(".")[0].startswith("partner")]
        self.typos = [d.replace("partner", "partnar", 1) for d in busy] + \
            [d.split(".")[0] + ".info" for d in busy]

    def domain(self, rand, sender):
        pick = rand.random()
        if pick < 0.12:
            return rand.choice(self.own)
        if pick < 0.30 and self.private[sender]:
            return rand.choice(self.private[sender])
        if pick < 0.32:
            return rand.choice(self.tail)
        if pick < 0.335:
            return rand.choice(sorted(PUBLIC))
        if pick < 0.34 and self.typos:
            return rand.choice(self.typos)
        return rand.choices(self.shared, self.weights)[0]


# Recipient forms the plug-in cannot check, with the code scan gives them.
def broken_piece(rand, kind, serial):
    domain = "excluded%d.example.org" % (serial % 7)
    if kind == "comment-after-address":
        return "x%d@%s (Sales)" % (serial, domain)
    if kind == "text-after-address":
        return "Name <x%d@%s> (Sales)" % (serial, domain)
    if kind == "route":
        return "<@relay.%s:x%d@%s>" % (domain, serial, domain)
    if kind == "quoted-local-part":
        return '"x %d"@%s' % (serial, domain)
    return "Team: a%d@%s, b@%s;" % (serial, domain, domain)


def message(rand, world, serial):
    """(bytes, model): the model is what the plug-in reads of it, or why it
    cannot; bytes use one kind of line end."""
    sender = rand.choice(world.senders)
    fields = {"TO": [], "CC": [], "BCC": []}
    domains, addresses = set(), set()
    for field, low, high in (("TO", 1, 4), ("CC", 0, 3), ("BCC", 0, 2)):
        if field == "BCC" and rand.random() < 0.6:
            continue
        for _ in range(rand.randint(low, high)):
            domain = world.domain(rand, sender)
            domains.add(domain)
            address = "%s@%s" % (mixed_case(rand, rand.choice(LOCAL_PARTS)), mixed_case(rand, domain))
            addresses.add(address.lower())
            fields[field].append(written(rand, address, domain in world.formal))
    kind, detail = None, ""
    pick = rand.random()
    if pick < 0.08:
        # Everyone in Bcc, an empty group in To: readable.
        fields["BCC"] += fields["TO"]
        fields["TO"] = ["undisclosed-recipients:;"]
    elif pick < 0.12:
        fields["CC"].append("Team:;")
    elif pick < 0.20:
        kind = rand.choice(["comment-after-address", "text-after-address", "route",
                            "quoted-local-part",
                            "group-with-members"])
        detail = "TO" if kind == "group-with-members" else rand.choice(["TO", "CC", "BCC"])
        if kind == "group-with-members":
            fields["TO"] = [broken_piece(rand, kind, serial)]
        else:
            place = rand.randint(0, len(fields[detail]))
            fields[detail].insert(place, broken_piece(rand, kind, serial))
    elif pick < 0.21:
        # The plug-in is handed the text up to the NUL: a header that never ends.
        kind, detail = "header-not-ended", "HEADER"

    from_address = mixed_case(rand, sender) if rand.randrange(3) == 0 else sender
    lines = ["From: " + written(rand, from_address),
             "Date: Tue, %d Dec 2026 09:%02d:00 +0900" % (1 + serial % 28, serial % 60),
             "Subject: %s %d" % (encoded_word(rand, "見積もり"), serial),
             "Message-ID: <%d.%d@%s>" % (serial, rand.randrange(10 ** 6), sender.split("@")[1])]
    if kind == "header-not-ended":
        lines.append("X-Junk: a\x00b")
    names = {"TO": ["To", "TO", "to"], "CC": ["Cc", "CC", "cc"], "BCC": ["Bcc", "BCC"]}
    for field, pieces in fields.items():
        if not pieces:
            continue
        name = rand.choice(names[field])
        if len(pieces) > 1 and rand.random() < 0.2:
            # The field on two lines of its own.
            cut = rand.randint(1, len(pieces) - 1)
            lines.append("%s: %s" % (name, ", ".join(pieces[:cut])))
            lines.append("%s: %s" % (name, ", ".join(pieces[cut:])))
        elif len(pieces) > 1 and rand.random() < 0.25:
            lines.append("%s: %s" % (name, (",\n" + rand.choice([" ", "\t"])).join(pieces)))
        else:
            lines.append("%s: %s" % (name, ", ".join(pieces)))
    rand.shuffle(lines)
    # A body line that starts "From " but follows no empty line is no
    # message boundary.
    body = ["see attached.", "From the sales desk, a line no writer quoted", ">From here",
            "こんにちは"]
    text = mail.text(lines, ["Hello,"] + rand.sample(body, rand.randint(1, 4)), "\n")
    line_end = "\r\n" if rand.random() < 0.8 else "\n"
    readable = kind is None
    model = {"sender": sender, "domains": {d.lower() for d in domains} if readable else set(),
             "addresses": addresses if readable else set(),
             "kind": kind, "detail": detail}
    return text.replace("\n", line_end).encode("utf-8"), model


def generate(rand, world, r, count):
    """archive.mbox and a folder mail/ of message files in the scratch
    folder; the model of each message by the key scan gives it: (file,
    message number)."""
    models, mbox, senders = {}, [], []
    os.makedirs(os.path.join(r.scratch, "mail", "sub"))
    for serial in range(count):
        data, model = message(rand, world, serial)
        if rand.random() < 0.03:
            path = "mail/%smsg-%04d.eml" % (rand.choice(["", "sub/"]), serial)
            r.write(path, data)
            models[(path, None)] = model
        else:
            mbox.append(data)
            senders.append(model["sender"])
            models[("archive.mbox", len(mbox))] = model
    r.write("archive.mbox", mail.as_mbox(mbox, senders, quote=False))
    return models


def expected_counts(models):
    counts, senders = {}, {}
    for model in models.values():
        for domain in model["domains"]:
            counts[domain] = counts.get(domain, 0) + 1
            senders.setdefault(domain, set()).add(model["sender"])
    return counts, senders


LINE = re.compile(r"^(#?)ALL=\(\?i\)@(.+)>\?\$$")
SECTION = re.compile(r"^(#?)\[\(\?i\)\(\^\|<\)(.+)>\?\$\]$")
COUNT = re.compile(r"^# ([^\s:]+\.[^\s:]+): \D*(\d+)")


NAMING = ["[^]", "TO=(?!)", "CC=(?!)", "BCC=(?!)", ""]


def parse_suggestion(text):
    """[(domain, enabled, count or None, section sender or None, section
    enabled, the comment line above the count or None)] and the problems
    found reading it. The file must end with the section that names."""
    entries, problems = [], []
    section, section_on = None, True
    lines = text.split("\r\n")
    if lines[-len(NAMING):] != NAMING:
        problems.append("the file does not end with the naming section: %r" % lines[-6:])
    else:
        lines = lines[:-len(NAMING)]
    for index, line in enumerate(lines):
        found = SECTION.match(line)
        if found:
            section, section_on = found.group(2).replace("\\", ""), not found.group(1)
            continue
        found = LINE.match(line)
        if not found:
            if line.startswith(("ALL", "#ALL", "[", "#[")):
                problems.append("line not in a suggested form: %r" % line)
            continue
        domain = found.group(2).replace("\\", "")
        comment = COUNT.match(lines[index - 1]) if index else None
        if not comment or comment.group(1) != domain:
            problems.append("no count comment naming %s above %r" % (domain, line))
        reason = lines[index - 2] if index >= 2 else ""
        reason = reason if reason.startswith("# ") and not COUNT.match(reason) else None
        entries.append((domain, not found.group(1), int(comment.group(2)) if comment else None,
                        section, section_on, reason))
    return entries, problems


def enable(data):
    return b"\r\n".join(line[1:] if line.startswith((b"#ALL=", b"#[")) else line
                        for line in data.split(b"\r\n"))


def keyed(r, name, out):
    """The per-message objects of JSON lines by the key scan gives them, and
    the other lines."""
    items = r.json_lines(name, out)
    # Only a message inside an mbox has a number.
    return ({(item["file"], item["message"] if item["file"].endswith(".mbox") else None): item
             for item in items if "file" in item}, [item for item in items if "file" not in item])


def check_suggestion(r, label, data, models, minimum, by_sender):
    """The suggested file against counts of our own."""
    try:
        text = data.decode("cp932")
    except UnicodeDecodeError as error:
        r.check(label + ": code page 932", False, str(error))
        return
    r.check(label + ": code page 932, every line ending in CR LF",
            data.count(b"\n") > 3 and data.count(b"\n") == data.count(b"\r\n") == data.count(b"\r"),
            repr(data[:300]))
    readable = {key: model for key, model in models.items() if model["kind"] is None}
    counts, senders = expected_counts(readable)
    entries, problems = parse_suggestion(text)
    r.check(label + ": every rule line in a suggested form, under a count comment", not problems,
            "\n".join(problems[:10]))
    got = {}
    for domain, on, count, section, section_on, reason in entries:
        got.setdefault(domain, []).append((on, count, section, section_on, reason))
    twice = [domain for domain, places in got.items() if len(places) > 1]
    upper = [domain for domain in got if domain != domain.lower()]
    r.check(label + ": each domain once, in lower case", not twice and not upper,
            "more than once: %s\nnot lower case: %s" % (twice[:10], upper[:10]))
    head = re.findall(r"\d+", text.split("\r\n")[0])
    r.check(label + ": the head names the number of readable messages",
            head == [str(len(readable))], "%s, expected %d" % (text.split("\r\n")[0], len(readable)))
    wrong = sorted(set(counts) ^ set(got)) + sorted(
        domain for domain in counts if domain in got and got[domain][0][1] != counts[domain])
    r.check(label + ": the domains and their counts are those of the readable messages "
            "(%d domains)" % len(counts), not wrong,
            "first differing: %s" % ["%s expected %s got %s" % (d, counts.get(d),
                                     [p[1] for p in got.get(d, [])]) for d in wrong[:8]])
    own = own_domains(readable)
    off = off_reasons(counts, own, minimum)
    misjudged = ["%s %d: expected %s, got %s" % (d, counts[d], off.get(d, "on"), places[0])
                 for d, places in got.items() if d in counts and (
                     places[0][0] != (d not in off)
                     or (places[0][4] is None) != (off.get(d, "min") == "min")
                     or (off.get(d) not in ("free", "carrier", "min", None)
                         and off[d] not in places[0][4]))]
    planted = sum(1 for why in off.values() if why != "min")
    r.check(label + ": on exactly the domains in %d messages or more, but for typos, free mail "
            "and carriers (%d), each saying why" % (minimum, planted),
            not misjudged and planted, "misjudged: %s" % misjudged[:8])
    if by_sender:
        placed = {domain: places[0][2] for domain, places in got.items()}
        expected = {domain: next(iter(senders[domain]))
                    if len(senders[domain]) == 1 and domain not in own else None
                    for domain in counts}
        wrong = [domain for domain in expected if placed.get(domain, "-") != expected[domain]]
        r.check(label + ": a domain one sender alone used is in that sender's section, "
                "every other in the default rule", not wrong,
                "\n".join("%s: expected %s, placed %s (senders %s)"
                          % (d, expected[d], placed.get(d), sorted(senders[d])) for d in wrong[:8]))
        sections = {}
        for domain, on, count, section, section_on, _ in entries:
            if section is not None:
                sections.setdefault(section, (section_on, []))[1].append(on)
        off = [s for s, (section_on, lines) in sections.items() if section_on != any(lines)]
        r.check(label + ": a section commented out exactly when all its lines are",
                not off, str(off))


def check_scan(r, label, conf, models):
    """scan under the enabled configuration: each message read, each kind
    the generator made reported as such, nothing readable refused."""
    code, out, err = r.tool("scan", "--format", "json", "--conf", conf, "archive.mbox", "mail",
                            raw=True)
    items, tail = keyed(r, label, out)
    r.check(label + ": every message scanned once, no other (%d)" % len(models),
            set(items) == set(models), "missing %s, extra %s\n%s"
            % (sorted(set(models) - set(items), key=str)[:5],
               sorted(set(items) - set(models), key=str)[:5], err))
    seen = []
    for key, model in models.items():
        item = items.get(key)
        if item is None:
            continue
        kind = model["kind"]
        want = ("refuse", "cannot-check/" + kind, model["detail"]) if kind else None
        got = (item["verdict"], item["reason"], item["detail"])
        if (want is None and (item["reason"] or item["verdict"] == "unreadable")) or (
                want is not None and got != want):
            seen.append("%s: generated %s, scanned %s" % (key, want or "readable", got))
    r.check(label + ": scan reads what the generator made readable, and names each other kind",
            not seen, "\n".join(seen[:8]))
    refused = [(key, item["named"], sorted(models[key]["domains"])) for key, item in items.items()
               if key in models and models[key]["kind"] is None and item["verdict"] != "send"]
    r.check(label + ": no readable message refused (%d readable)"
            % sum(1 for m in models.values() if m["kind"] is None), not refused,
            "%d refused, first: %s" % (len(refused), refused[:5]))
    return items


def check_diff(r, label, models, scanned, minimum, with_itself):
    """diff between the suggested file and the same with every line enabled:
    exactly the messages that went to a commented-out domain change."""
    readable = {key: model for key, model in models.items() if model["kind"] is None}
    counts, _ = expected_counts(readable)
    off = set(off_reasons(counts, own_domains(readable), minimum))
    changing = {key for key, model in readable.items() if model["domains"] & off}
    # Lines enabled widen the file whether or not a past message changes.
    for old, new, change, status, widens in (
            ("suggested.conf", "enabled.conf", "newly-allowed", 3, bool(off)),
            ("enabled.conf", "suggested.conf", "newly-refused", 1, False)):
        code, out, err = r.tool("diff", "--format", "json", old, new, "archive.mbox", "mail",
                                raw=True)
        items, tail = keyed(r, label, out)
        kinds = {item["change"] for item in items.values()}
        listed = set(items)
        outside = [(key, entry["entry"]) for key, item in items.items()
                   for entry in item["recipients"] if entry["entry"].rsplit("@", 1)[-1]
                   .rstrip(">").lower() not in off]
        summary = tail[-1].get("summary", {}) if tail else {}
        named = [(key, (item["message"], item["offset"]),
                  (scanned[key]["message"], scanned[key]["offset"]) if key in scanned else None)
                 for key, item in items.items()
                 if key not in scanned or (item["message"], item["offset"]) !=
                 (scanned[key]["message"], scanned[key]["offset"])]
        r.check("%s: diff %s %s names each message as scan does" % (label, old, new),
                not named, "first (key, diff's number and offset, scan's): %s" % named[:3])
        lines = [item for item in tail if str(item.get("change", "")).startswith("line-")]
        expected_code = status if changing or widens else 0
        r.check("%s: diff %s %s exits %d, %s exactly the %d messages that went to a "
                "commented-out domain, and lists the %d lines enabled" % (
                    label, old, new, expected_code, change, len(changing), len(off)),
                code == expected_code and listed == changing and len(lines) == len(off)
                and kinds <= {change} and not outside
                and summary.get("newlyAllowed" if status == 3 else "newlyRefused") == len(changing)
                and summary.get("newlyRefused" if status == 3 else "newlyAllowed") == 0,
                "exit %d; %d listed, %d expected; not expected: %s; missing: %s; "
                "recipients at enabled domains: %s; summary %s\n%s"
                % (code, len(listed), len(changing), sorted(listed - changing, key=str)[:5],
                   sorted(changing - listed, key=str)[:5], outside[:5], summary, err))
    if with_itself:
        code, out, err = r.tool("diff", "--format", "json", "enabled.conf", "enabled.conf",
                                "archive.mbox", "mail", raw=True)
        items, tail = keyed(r, label, out)
        summary = tail[-1].get("summary", {}) if tail else {}
        unreadable = 0
        r.check(label + ": diff of a configuration with itself exits 0, nothing changes",
                code == 0 and not items and summary.get("newlyAllowed") == 0
                and summary.get("newlyRefused") == 0
                and summary.get("compared") == len(models) - unreadable
                and summary.get("unreadable") == unreadable, "exit %d %s\n%s" % (code, tail, err))


def check_notice(r, label, world, readable):
    """The suggested file through the plug-in module: a message to a partner
    is sent; one that adds a commented-out domain is refused, and the notice
    names that address."""
    counts, _ = expected_counts(readable)
    off = off_reasons(counts, own_domains(readable), 2)
    on = max((d for d in counts if d not in off), key=counts.get)
    wrong = sorted(d for d, why in off.items() if why != "min")[0]
    messages = []
    for name, to in (("fine.eml", "a@" + on), ("wrong.eml", "a@%s, Taro <taro@%s>" % (on, wrong))):
        messages.append(r.write(name, "From: %s\nTo: %s\nSubject: x\n\nbody\n"
                                % (world.senders[0], to)))
    results = r.host_results(os.path.join(r.scratch, "suggested.conf"), messages)
    fine, refused = results[messages[0]], results[messages[1]]
    r.check(label + ": the plug-in sends to %s and refuses %s, naming it" % (on, wrong),
            fine[0] == "send" and refused[0] == "refused"
            and ("taro@%s" % wrong) in refused[1], "%s\n%s" % (fine, refused))


def check_by_address(r, label, readable, own):
    """--by-address: a line per address in 2 messages or more, the own
    domains a line each; the domain's reasons to stay off still hold."""
    code, out, err = r.tool("suggest", "--lang", "en", "--by-address", "archive.mbox", "mail",
                            raw=True)
    text = out.decode("cp932", "replace")
    got = {}
    for line in text.split("\r\n"):
        found = re.match(r"^(#?)ALL=\(\?i\)(\(\^\|<\)|@)(.+)>\?\$$", line)
        if found:
            got[found.group(3).replace("\\", "")] = not found.group(1)
    counts, _ = expected_counts(readable)
    off = off_reasons(counts, own, 2)
    addresses = {}
    for model in readable.values():
        for address in model["addresses"]:
            addresses[address] = addresses.get(address, 0) + 1
    expected = {a: n >= 2 and a.split("@")[1] not in off for a, n in addresses.items()
                if a.split("@")[1] not in own}
    expected.update({d: d not in off for d in own if d in counts})
    wrong = sorted(set(expected) ^ set(got)) + sorted(
        a for a in expected if a in got and got[a] != expected[a])
    r.check(label + ": suggest --by-address, a line per address (%d), on in 2 messages or more"
            % len(expected), code == 0 and not wrong,
            "first differing: %s" % [(a, expected.get(a), got.get(a)) for a in wrong[:8]])


def round_of(r, seed, sizes):
    rand = random.Random(seed)
    count = rand.randint(*sizes)
    world = World(rand, seed, count)
    models = generate(rand, world, r, count)
    label = "seed %d, %d messages" % (seed, len(models))
    # An explicit --min, or the default of 2.
    minimum = rand.choice([None, 3, 4, 6])
    args = ["--min", str(minimum)] if minimum else []
    code, out, err = r.tool("suggest", "--lang", "en", *args, "archive.mbox", "mail", raw=True)
    minimum = minimum or 2
    readable = {key: model for key, model in models.items() if model["kind"] is None}
    own = own_domains(readable)
    r.check(label + ": suggest exits 0, writes a file and says which own domains it took",
            code == 0 and out and re.search(r"own domains taken from the senders: %s \("
                                            % re.escape(", ".join(sorted(own))), err), err)
    check_suggestion(r, label + ", suggest --min %d" % minimum, out, models, minimum, False)
    r.write("suggested.conf", out)
    r.write("enabled.conf", enable(out))
    if seed == 1:
        check_notice(r, label, world, readable)
        check_by_address(r, label, readable, own)

    by_min = rand.randint(2, 6)
    code, by_out, err = r.tool("suggest", "--lang", "ja", "--by-sender", "--min", str(by_min),
                               "archive.mbox", "mail", raw=True)
    r.check(label + ": suggest --by-sender exits 0 and writes a file", code == 0 and by_out, err)
    check_suggestion(r, label + ", suggest --by-sender --min %d" % by_min, by_out, models, by_min,
                     True)
    r.write("by-sender.conf", enable(by_out))

    scanned = {}
    for conf in ("enabled.conf", "by-sender.conf"):
        code, out, err = r.tool("lint", "--lang", "en", conf, raw=True)
        text = out.decode("utf-8", "replace")
        r.check("%s: lint %s, every line enabled: exit 0, no error" % (label, conf),
                code == 0 and "error" not in (text + err).lower(), text + err)
        scanned[conf] = check_scan(r, "%s, scan --conf %s" % (label, conf), conf, models)
    check_diff(r, label, models, scanned["enabled.conf"], minimum, seed == 1)


def failures(r):
    """Exit statuses of what cannot succeed, on the last round's files."""
    code, out, err = r.tool("suggest", "--lang", "en", "--min", "1000000", "archive.mbox",
                            raw=True)
    lines = out.decode("cp932", "replace").split("\r\n")
    rules = lines[:-len(NAMING)] if lines[-len(NAMING):] == NAMING else lines
    r.check("suggest --min 1000000: exit 1, said on stderr, every line still written, commented out",
            code == 1 and err.strip() and any(l.startswith("#ALL=") for l in rules)
            and not any(l.startswith(("ALL=", "[")) for l in rules), "exit %d\n%s" % (code, err))
    code, out, err = r.tool("suggest", "--lang", "en", "archive.mbox", "no-such-folder", raw=True)
    r.check("suggest with a missing path: exit 2", code == 2 and err.strip(), "exit %d\n%s" % (code, err))
    code, out, err = r.tool("diff", "--lang", "en", "suggested.conf", "enabled.conf",
                            "no-such.mbox", raw=True)
    r.check("diff with a missing path: exit 2", code == 2, "exit %d\n%s" % (code, err))
    code, out, err = r.tool("diff", "--lang", "en", "no-such.conf", "enabled.conf",
                            "archive.mbox", raw=True)
    r.check("diff with an unreadable old configuration: exit 2", code == 2 and err.strip(),
            "exit %d\n%s" % (code, err))


def run(r, args):
    # Each Windows process starts slowly under emulation: fewer, smaller rounds.
    seeds, sizes = ((1, 2), (300, 600)) if r.emulated else ((1, 2, 3, 4), (600, 3000))
    r.timeout = 600
    for seed in seeds:
        with r.scratch_folder():
            r.cwd = r.scratch
            round_of(r, seed, sizes)
            if seed == seeds[-1]:
                failures(r)
    print("%d runs of sendwarden-check" % r.runs)


if __name__ == "__main__":
    sys.exit(harness.main(run))
