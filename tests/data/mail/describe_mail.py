# Prints a JSON description of mail files as Python's email package reads them:
# the tree of content types, the decoded bytes of every leaf (base64), file names,
# dispositions, Content-ID / Content-Location, the parser's defects, and which leaves
# get_body() picks as the plain and the HTML body ("role"). A message/* part is shown as
# a leaf without bytes. A part that carries a file name counts as an attachment, as mail
# programs list it, so get_body() passes over a named text part.
# Usage: python3 -c "$(cat describe_mail.py)" FILE...
import base64
import email
import json
import sys
from email import policy
from email.message import EmailMessage


class NamedPartIsAttachment(EmailMessage):
    def is_attachment(self):
        return super().is_attachment() or self.get_filename() is not None


POLICY = policy.default.clone(message_factory=NamedPartIsAttachment)


def describe(part, bodies):
    d = {"type": part.get_content_type(),
         "defects": [type(x).__name__ for x in part.defects]}
    if part.get_content_maintype() == "message":
        d["body"] = None
    elif part.is_multipart():
        d["parts"] = [describe(p, bodies) for p in part.iter_parts()]
        return d
    else:
        payload = part.get_payload(decode=True) or b""
        d["body"] = base64.b64encode(payload).decode("ascii")
    d["role"] = next((role for role, body in bodies.items() if body is part), None)
    d["filename"] = part.get_filename()
    d["disposition"] = part.get_content_disposition()
    d["cid"] = part.get("Content-ID")
    d["location"] = part.get("Content-Location")
    d["charset"] = part.get_content_charset()
    return d


def describe_file(path):
    with open(path, "rb") as f:
        msg = email.message_from_binary_file(f, policy=POLICY)
    bodies = {"plain": msg.get_body(("plain",)), "html": msg.get_body(("html",))}
    d = describe(msg, bodies)
    d["subject"] = str(msg.get("Subject", ""))
    return d


print(json.dumps([describe_file(p) for p in sys.argv[1:]]))
