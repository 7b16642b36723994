#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
# Prints what a screen reader reads of the running Vendrix over the desktop's
# accessibility bus (AT-SPI), one line a control: "role|name|checked".
import sys

import pyatspi


def walk(node):
    for child in node:
        if child is None:
            continue
        checked = child.getState().contains(pyatspi.STATE_CHECKED)
        print("%s|%s|%s" % (child.getRoleName(), child.name, "checked" if checked else ""))
        walk(child)


for app in pyatspi.Registry.getDesktop(0):
    if app is not None and app.name == "vendrix":
        walk(app)
        sys.exit(0)
sys.exit("vendrix is not on the accessibility bus")
