"""Mail as the scan's tests need it, generated: messages allowed and refused
by tests/scan/scan.conf, with encoded words and broken ones among them,
written as an mbox and as the mail client's .bmf folder files in a tree of
folders beside the client's other files; and a reading of a .bmf file of its
own, for where each message stands.

A .bmf file holds its messages one after another: a header block, an empty
line and the body, then a line holding a single ".". A body line that
starts with "." gets a second one. X-Becky-Include lines in a body name
attachment files."""
import base64
import os

SENDERS = ["sales@example.co.jp", "intern@example.co.jp",
           "=?ISO-2022-JP?B?%s?= <sales@example.co.jp>"
           % base64.b64encode("営業".encode("iso-2022-jp")).decode()]
ALLOWED = ["tanaka@example.co.jp", "=?UTF-8?B?%s?= <boss@example.co.jp>"
           % base64.b64encode("上司".encode()).decode(), '"Last, First" <a@example.co.jp>']
PARTNER = ["buyer@partner.example.com", "=?UTF-8?Q?=E5=B1=B1=E7=94=B0?= <y@partner.example.com>"]
REFUSED = ["rival@competitor.example.org", "=?SHIFT_JIS?B?%s?= <x@evil.test>"
           % base64.b64encode("競合".encode("shift_jis")).decode()]
BODY = ["Hello,", "", "From the sales team, a line no writer quoted", ".", "..", ". x",
        ".hidden", "X-Becky-Include: C:\\Becky!\\attach\\quote.pdf", "From: not a header",
        "To: leak@rival.example.org", "\u3053\u3093\u306b\u3061\u306f"]


def message(random, serial):
    """One message's bytes, CR LF line ends."""
    kind = random.randrange(20)
    if kind == 0:
        return b"X-Junk: a\x00b\r\nTo: a@example.co.jp\r\n\r\nbody\r\n"
    if kind == 1:
        return b"just some text\r\nno header in it\r\n\r\nbody\r\n"
    recipients = []
    for _ in range(random.randrange(1, 4)):
        pick = random.randrange(10)
        recipients.append(random.choice(ALLOWED if pick < 6 else PARTNER if pick < 8 else REFUSED))
    if kind == 2:
        recipients.append('evil@bad.test (O"Brien)')  # cannot be checked
    lines = ["From: " + random.choice(SENDERS), "To: " + ", ".join(recipients),
             "Date: Tue, 1 Dec 2026 09:%02d:00 +0900" % (serial % 60),
             "Subject: =?UTF-8?B?%s?= %d" % (base64.b64encode("件名".encode()).decode(), serial)]
    if random.randrange(3) == 0:
        lines.insert(2, "Cc: " + random.choice(ALLOWED + PARTNER))
    body = [random.choice(BODY) for _ in range(random.randrange(8))]
    return ("\r\n".join(lines) + "\r\n\r\n" + "".join(b + "\r\n" for b in body)).encode("utf-8")


def lines(data):
    """The lines of `data`, each with its line end: a line feed ends one."""
    return [line + b"\n" for line in data.split(b"\n")[:-1]] + (
        [data.rsplit(b"\n", 1)[-1]] if not data.endswith(b"\n") and data else [])


def with_line_ends(data, line_end):
    return data.replace(b"\r\n", line_end)


def as_mbox(messages):
    """An mbox of the messages: a body line starting "From " is quoted."""
    out = b""
    for data in messages:
        body = b"".join(b">" + line if line.startswith(b"From ") else line
                        for line in lines(data))
        out += b"From sender@example.co.jp Tue Dec  1 09:00:00 2026\r\n" + body + b"\r\n"
    return out


def as_bmf(messages, line_end=b"\r\n"):
    """A .bmf file of the messages, in `line_end`."""
    out = b""
    for data in messages:
        for line in lines(data):
            out += (b"." if line.startswith(b".") else b"") + line
        out += b".\r\n"
    return with_line_ends(out, line_end)


def bmf_places(data):
    """(number, offset) of each message in .bmf bytes: the offset of its
    first line, counted from 1."""
    places, offset, start = [], 0, True
    for line in lines(data):
        if line in (b".\r\n", b".\n"):
            start = True
        elif start:
            places.append((len(places) + 1, offset))
            start = False
        offset += len(line)
    return places


# The tree: (folder, .bmf file) in the order a walk reads them, Japanese
# folder names with a byte 0x5C inside a character ("表", "ソ") among them.
# The client's other files lie beside every .bmf; read as mail, each would
# be a refusal.
BMF_FILES = [("Inbox", "Folder.bmf"), ("メール/送信済み", "Folder.bmf"),
             ("メール/送信済み/表ソ", "2026.BMF")]
OTHER_FILES = ["Folder.idx", "Folder.ini", "#Folder.lst"]
INDEX = b"From: intern@example.co.jp\r\nTo: leak@rival.example.org\r\n\r\n"


def write_tree(root, messages, random):
    """Writes the messages over the tree's .bmf files under `root`, in
    order, each file with its own line ends. Returns, message by message,
    (the file's path relative to `root` with "/", number, offset)."""
    where = []
    share = (len(messages) + len(BMF_FILES) - 1) // len(BMF_FILES)
    for i, (folder, name) in enumerate(BMF_FILES):
        os.makedirs(os.path.join(root, folder), exist_ok=True)
        part = messages[i * share:(i + 1) * share]
        data = as_bmf(part, random.choice([b"\r\n", b"\n"]))
        with open(os.path.join(root, folder, name), "wb") as out:
            out.write(data)
        for other in OTHER_FILES:
            with open(os.path.join(root, folder, other), "wb") as out:
                out.write(INDEX)
        where += [(folder + "/" + name, number, offset) for number, offset in bmf_places(data)]
    return where
