# Prints a JSON description of mail files as Python's email package reads them:
# the tree of content types, the decoded bytes of every leaf (base64), file names,
# dispositions, Content-ID / Content-Location, the parser's defects (those of header
# fields such as Subject and To as "Field: Defect"), the address fields, the attachments, and which leaves
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
# The fields whose defects are reported, the parts' Content-Type and Content-Disposition
# with their parameters (file names) included.
FIELDS = {"subject", "date", "from", "reply-to", "to", "cc", "message-id", "content-type",
          "content-disposition"}


def header_defects(part):
    out = []
    for name in part.keys():
        if name.lower() not in FIELDS:
            continue
        try:
            out += [name + ": " + type(x).__name__ for x in part[name].defects]
        except Exception as e:  # a field Python cannot read at all
            out.append(name + ": " + type(e).__name__)
    return out


def describe(part, bodies):
    d = {"type": part.get_content_type(),
         "defects": [type(x).__name__ for x in part.defects]
         + header_defects(part)}
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
    # Each address field as [display name, address] pairs.
    d["addresses"] = {}
    for field in ("From", "Reply-To", "To", "Cc"):
        try:
            if msg[field] is not None:
                d["addresses"][field] = [[a.display_name, a.addr_spec] for a in msg[field].addresses]
        except Exception as e:  # a field Python cannot read at all
            d["addresses"][field] = type(e).__name__
    # The attachments as a standard reader lists them (a named inline picture is none).
    with open(path, "rb") as f:
        plain = email.message_from_binary_file(f, policy=policy.default)
    d["attachments"] = [p.get_content_type() for p in plain.iter_attachments()]
    return d


print(json.dumps([describe_file(p) for p in sys.argv[1:]]))
