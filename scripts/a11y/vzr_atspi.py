"""Finding and driving the program's windows through the desktop's accessibility bus."""
import os
import subprocess
import time

import pyatspi

# Roles of the controls an operator uses; each needs a name.
OPERATED = {
    "push button", "toggle button", "check box", "radio button", "combo box", "text",
    "password text", "spin button", "table", "tree table", "list", "list box", "page tab",
    "slider", "menu item", "check menu item", "radio menu item", "entry",
}


def wait_for(predicate, timeout=30.0, step=0.2):
    """The first true value of predicate() within timeout seconds, else None."""
    deadline = time.time() + timeout
    while time.time() < deadline:
        value = predicate()
        if value:
            return value
        time.sleep(step)
    return None


def start_program(*args):
    return subprocess.Popen([os.environ["VZR_PROGRAM"], "--simulate", *args])


def find_app(name="VZR-T8100", timeout=60.0):
    def look():
        desktop = pyatspi.Registry.getDesktop(0)
        for i in range(desktop.childCount):
            app = desktop.getChildAtIndex(i)
            if app is not None and app.name == name:
                return app
        return None
    return wait_for(look, timeout)


def states(node):
    try:
        return node.getState()
    except Exception:
        return None


def showing(node):
    st = states(node)
    return st is not None and st.contains(pyatspi.STATE_SHOWING)


def walk(node, depth=0):
    """Every node below node, parents first, with its depth; tables are not entered."""
    yield node, depth
    try:
        role = node.getRoleName()
        count = node.childCount
    except Exception:
        return
    if role in ("table", "tree table"):
        return
    for i in range(count):
        child = node.getChildAtIndex(i)
        if child is not None:
            yield from walk(child, depth + 1)


def find(root, role=None, name=None, timeout=10.0):
    """The first showing node below root with that role and name."""
    def look():
        for node, _ in walk(root):
            try:
                if role and node.getRoleName() != role:
                    continue
                if name is not None and node.name != name:
                    continue
            except Exception:
                continue
            if showing(node):
                return node
        return None
    return wait_for(look, timeout)


def windows(app):
    """The application's top-level windows that are showing."""
    result = []
    for i in range(app.childCount):
        child = app.getChildAtIndex(i)
        if child is not None and showing(child):
            result.append(child)
    return result


def press(node):
    """The node's first action (press, click). A menu command that opens a modal window
    answers only once that window closes: its answer is not waited for."""
    from gi.repository import Atspi, GLib
    Atspi.set_timeout(2000, 15000)
    try:
        node.queryAction().doAction(0)
    except GLib.Error as error:
        if "reply" not in str(error):
            raise
    finally:
        Atspi.set_timeout(-1, -1)


def labels_of(node):
    """The texts of the labels a control is labelled by."""
    texts = []
    try:
        for relation in node.getRelationSet():
            if relation.getRelationType() == pyatspi.RELATION_LABELLED_BY:
                texts += [relation.getTarget(i).name for i in range(relation.getNTargets())]
    except Exception:
        pass
    return [t for t in texts if t and t.strip()]


def unnamed(window):
    """Operated controls of a window that show and have no name: (role, path) pairs. A
    drop-down list is named by the label it is labelled by (its own name is its value)."""
    missing = []
    for node, _ in walk(window):
        try:
            role = node.getRoleName()
            name = node.name
        except Exception:
            continue
        if role == "combo box":
            name = " ".join(labels_of(node))
        if role in OPERATED and not name.strip() and showing(node):
            path = []
            parent = node
            while parent is not None and parent != window:
                try:
                    path.append(f"{parent.getRoleName()}[{parent.getIndexInParent()}]")
                    parent = parent.parent
                except Exception:
                    break
            missing.append((role, "/".join(reversed(path))))
    return missing
