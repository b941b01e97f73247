#!/usr/bin/python3
"""A stand-in for the person's browser in tests ($BROWSER): fetches the address given,
following redirects (the provider's approval, then the program's loopback answer), and
appends the address to the file named by VELLORN_TEST_BROWSER_LOG when that is set."""

import os
import sys
import urllib.request

url = sys.argv[-1]
log = os.environ.get("VELLORN_TEST_BROWSER_LOG")
if log:
    with open(log, "a", encoding="utf-8") as f:
        f.write(url + "\n")
try:
    urllib.request.urlopen(url, timeout=30).read()
except Exception as error:  # the page's status is the program's business, not the browser's
    sys.stderr.write("stand-in browser: %s\n" % error)
