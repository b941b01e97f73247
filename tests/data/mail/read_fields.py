# Prints, for each mail file, the texts Python's email package (policy default) reads
# from it: subject, display names and addresses of the address fields, file names of
# the attachments, and the plain body with its charset, as a JSON list.
# Usage: python3 -c "$(cat read_fields.py)" FILE...
import email
import json
import sys
from email import policy


def addresses(msg, field):
    header = msg.get(field)
    if header is None:
        return []
    return [[a.display_name, a.addr_spec] for a in header.addresses]


def read(path):
    with open(path, "rb") as f:
        msg = email.message_from_binary_file(f, policy=policy.default)
    body = msg.get_body(("plain",))
    return {
        "subject": str(msg.get("Subject", "")),
        "from": addresses(msg, "From"),
        "reply_to": addresses(msg, "Reply-To"),
        "to": addresses(msg, "To"),
        "cc": addresses(msg, "Cc"),
        "bcc": addresses(msg, "Bcc"),
        "files": [p.get_filename() for p in msg.iter_attachments()],
        "plain": body.get_content() if body is not None else None,
    }


print(json.dumps([read(p) for p in sys.argv[1:]]))
