"""The pieces every test that makes mail builds it from: encoded words, raw
8-bit text, a message's text with a NUL in its header block if need be, and
the containers mail is kept in: an mbox, and the mail client's .bmf folder
files in a tree of folders beside the client's other files, with a reading
of a .bmf file of its own, for where each message stands.

A .bmf file holds its messages one after another: a header block, an empty
line and the body, then a line holding a single ".". A body line that
starts with "." gets a second one."""
import base64
import os


def encoded_word(text, charset, mode="B", codec=None, every_byte=False):
    """`text` (or bytes already in the charset) as one encoded word. Q writes
    ASCII letters and digits as they are and a blank as "_", unless every
    byte is to be written =XX."""
    data = text if isinstance(text, bytes) else text.encode(codec or charset)
    if mode == "B":
        payload = base64.b64encode(data).decode("ascii")
    elif every_byte:
        payload = "".join("=%02X" % b for b in data)
    else:
        payload = "".join(chr(b) if b < 0x80 and chr(b).isalnum() else "_" if b == 0x20
                          else "=%02X" % b for b in data)
    return "=?%s?%s?%s?=" % (charset, mode, payload)


def raw(data):
    """Bytes that go into a message as they are (encode it with
    surrogateescape): 8-bit text the writer did not encode."""
    return data.decode("ascii", "surrogateescape")


def text(header, body=("body",), line_end="\r\n"):
    """A message's text: the header lines, an empty line, the body lines."""
    return "".join(line + line_end for line in header) + line_end + \
        "".join(line + line_end for line in body)


def with_nul(rng, text, line_end="\r\n"):
    """`text` with a NUL byte somewhere in its header block: the mail client
    hands the plug-in a C string, which ends there."""
    at = rng.randrange(text.index(line_end * 2) + 1)
    return text[:at] + "\0" + text[at:]


def lines(data):
    """The lines of `data`, each with its line end: a line feed ends one."""
    return [line + b"\n" for line in data.split(b"\n")[:-1]] + (
        [data.rsplit(b"\n", 1)[-1]] if not data.endswith(b"\n") and data else [])


def as_mbox(messages, senders=None, quote=True):
    """An mbox of the messages, each after a From_ line (naming its sender,
    if given) in the message's own line end. Quoted, a line starting "From "
    gets a ">"; unquoted, such a body line follows no empty line."""
    out = b""
    for index, data in enumerate(messages):
        end = b"\r\n" if data.endswith(b"\r\n") else b"\n"
        if quote:
            data = b"".join(b">" + line if line.startswith(b"From ") else line
                            for line in lines(data))
        sender = senders[index] if senders else "sender@example.co.jp"
        out += b"From " + sender.encode() + b" Tue Dec  1 09:00:00 2026" + end + data + end
    return out


def as_bmf(messages, line_end=b"\r\n"):
    """A .bmf file of the messages, in `line_end`."""
    out = b""
    for data in messages:
        for line in lines(data):
            out += (b"." if line.startswith(b".") else b"") + line
        out += b".\r\n"
    return out.replace(b"\r\n", line_end)


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
