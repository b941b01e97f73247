"""Describes a picture mail as Python's email package reads it, as JSON on stdout.

Usage: describe_picture_mail.py FILE.eml
"""

import email
import email.policy
import hashlib
import html
import html.parser
import json
import re
import sys


class Pictures(html.parser.HTMLParser):
    """The alt texts of the pictures, in order, as an HTML reader gets them, and the text
    a reader sees: none of what stands inside an element styled display:none."""

    VOID = {"img", "br", "meta", "area", "hr", "input", "link"}

    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.alts = []
        self.visible = ""
        self.open = []  # for each open element: whether it hides its content

    def handle_starttag(self, tag, attrs):
        attrs = dict(attrs)
        if tag == "img":
            self.alts.append(attrs.get("alt") or "")
        if tag not in self.VOID:
            style = (attrs.get("style") or "").replace(" ", "").lower()
            self.open.append("display:none" in style.split(";"))

    def handle_endtag(self, tag):
        if tag not in self.VOID and self.open:
            self.open.pop()

    def handle_data(self, data):
        if not any(self.open):
            self.visible += data


def tree(part):
    if part.is_multipart():
        return "%s(%s)" % (part.get_content_type(), ",".join(tree(p) for p in part.get_payload()))
    return part.get_content_type()


def main():
    with open(sys.argv[1], "rb") as f:
        raw = f.read()
    msg = email.message_from_bytes(raw, policy=email.policy.compat32)
    out = {
        "tree": tree(msg),
        "subject": msg.get("Subject", ""),
        "to": msg.get_all("To", []),
        "defects": sum(len(p.defects) for p in msg.walk()),
        "plain": None,
        "html": None,
        "pictures": [],
        "attachments": [],
        "bare_lf": b"\n" in raw.replace(b"\r\n", b""),
        "message_id": msg.get("Message-ID", ""),
        "x_unsent": msg.get_all("X-Unsent", []),
        "plain_type": "",
    }
    for part in msg.walk():
        if part.is_multipart():
            continue
        ctype = part.get_content_type()
        body = part.get_payload(decode=True) or b""
        disposition = (part.get("Content-Disposition") or "").split(";")[0].strip().lower()
        if ctype == "text/plain" and out["plain"] is None and disposition != "attachment":
            out["plain"] = body.decode(part.get_content_charset() or "latin-1")
            out["plain_type"] = part.get("Content-Type", "")
        elif ctype == "text/html" and out["html"] is None and disposition != "attachment":
            out["html"] = body.decode(part.get_content_charset() or "latin-1")
        elif part.get("Content-ID"):
            out["pictures"].append({
                "cid": part.get("Content-ID").strip().strip("<>"),
                "type": ctype,
                "size": len(body),
                "sha256": hashlib.sha256(body).hexdigest(),
                "jpeg": body[:2] == b"\xff\xd8" and body[-2:] == b"\xff\xd9",
                "png": body[:8] == b"\x89PNG\r\n\x1a\n" and body[-8:-4] == b"IEND",
                "name": part.get_filename(),
                "parent": None,
            })
        else:
            out["attachments"].append({
                "name": part.get_filename(),
                "disposition": disposition,
                "sha256": hashlib.sha256(body).hexdigest(),
                "size": len(body),
            })
    cids = re.findall(r'src="cid:([^"]+)"', out["html"] or "")
    known = {p["cid"] for p in out["pictures"]}
    out["cids"] = cids
    # The words a reader without pictures gets: each picture's alt text, and the hidden
    # block before the pictures.
    pictures = Pictures()
    pictures.feed(out["html"] or "")
    out["alts"] = pictures.alts
    out["visible"] = " ".join(pictures.visible.split())
    hidden = re.search(r'<div style="display:none[^"]*">(.*?)</div>', out["html"] or "", re.S)
    out["hidden"] = html.unescape(re.sub(r"<br>", "\n", hidden.group(1))) if hidden else None
    out["unresolved"] = [c for c in cids if c not in known]
    json.dump(out, sys.stdout)


main()
