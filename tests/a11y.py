"""Drives the running clock through the accessibility bus, as a screen reader
would, where there is no keyboard or pointer to drive it with (a headless
Wayland compositor).

    a11y.py PID press NAME          presses the button with that accessible name
    a11y.py PID set-text NAME TEXT  sets the text of the field with that name
    a11y.py PID reads ROLE WORDS [ROLE WORDS ...]
                                    finds a control of each role that a
                                    screen reader announces with those words

in the program with that process id. Waits up to ten seconds for the
program and the control to appear; exits with 1 if they do not.

A screen reader announces a control by the labels it is labelled by, or
else by its name (a drop-down list's name is its current item), followed by
its description: "label or name; description".
"""

import sys
import time

import pyatspi

# Lists hold hundreds of items and menus are closed: nothing to find in them.
NOT_SEARCHED = {"list", "combo box", "popup menu"}


def named(node):
    return node.name


def announced(node):
    labels = [relation.getTarget(i).name
              for relation in node.getRelationSet()
              if relation.getRelationType() == pyatspi.RELATION_LABELLED_BY
              for i in range(relation.getNTargets())]
    words = " ".join(labels) if labels else node.name
    return f"{words}; {node.description}" if node.description else words


def find(node, role, name, words, depth=0):
    if depth > 10:
        return None
    for child in node:
        if child is None:
            continue
        if child.getRoleName() == role and words(child) == name:
            return child
        if child.getRoleName() not in NOT_SEARCHED:
            found = find(child, role, name, words, depth + 1)
            if found is not None:
                return found
    return None


def wait_for(pid, role, name, words=named):
    deadline = time.monotonic() + 10
    while time.monotonic() < deadline:
        for application in pyatspi.Registry.getDesktop(0):
            if application is not None and application.get_process_id() == pid:
                found = find(application, role, name, words)
                if found is not None:
                    return found
        time.sleep(0.2)
    sys.exit(f"a11y.py: no {role} {words.__name__} {name!r} in process {pid}")


def main(arguments):
    if len(arguments) < 2 or not arguments[0].isdigit():
        sys.exit(__doc__)
    pid, command = int(arguments[0]), arguments[1:]
    if command[:1] == ["press"] and len(command) == 2:
        button = wait_for(pid, "push button", command[1])
        sys.exit(0 if button.queryAction().doAction(0) else 1)
    if command[:1] == ["set-text"] and len(command) == 3:
        field = wait_for(pid, "text", command[1])
        sys.exit(0 if field.queryEditableText().setTextContents(command[2]) else 1)
    if command[:1] == ["reads"] and len(command) % 2 == 1:
        for role, words in zip(command[1::2], command[2::2]):
            wait_for(pid, role, words, announced)
        sys.exit(0)
    sys.exit(__doc__)


if __name__ == "__main__":
    main(sys.argv[1:])
