#!/usr/bin/python3
"""Prints role|name|description of every accessible object of the application with the given
process id, one a line, each followed by the names of what labels it, as a screen reader reads
them over AT-SPI."""
import sys

import pyatspi


def walk(node, depth=0):
    if node is None or depth > 40:
        return
    try:
        print(f"{node.getRoleName()}|{node.name}|{node.description}", flush=True)
        for relation in node.getRelationSet():
            if relation.getRelationType() == pyatspi.RELATION_LABELLED_BY:
                for i in range(relation.getNTargets()):
                    print(f"  labelled by {relation.getTarget(i).name}", flush=True)
        children = list(node)
    except Exception:  # an object that went away while being read
        return
    for child in children:
        walk(child, depth + 1)


def main():
    pid = int(sys.argv[1])
    for application in pyatspi.Registry.getDesktop(0):
        if application is not None and application.get_process_id() == pid:
            walk(application)
            return 0
    print("no application with that process id on the accessibility bus", file=sys.stderr)
    return 1


sys.exit(main())
