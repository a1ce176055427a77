"""Opens the program's windows one by one through the accessibility bus and lists the
controls that a screen reader could not name."""
import sys
import time

import vzr_atspi as at

problems = []


def check(window, what):
    missing = at.unnamed(window)
    names = sum(1 for node, _ in at.walk(window))
    print(f"{what}: '{window.name}', {names} nodes, {len(missing)} without a name")
    for role, path in missing:
        print(f"   no name: {role} at {path}")
        problems.append((what, role, path))


def new_window(app, before, timeout=20.0):
    """A top-level window that was not showing before."""
    return at.wait_for(lambda: next((w for w in at.windows(app) if w not in before), None),
                       timeout)


def open_and_check(app, main, opener, what, closer_names):
    before = at.windows(app)
    at.press(opener)
    window = new_window(app, before)
    if window is None:
        problems.append((what, "window", "did not open"))
        print(f"{what}: did not open")
        return None
    time.sleep(0.5)
    check(window, what)
    for name in closer_names:
        button = at.find(window, "push button", name, timeout=2)
        if button is not None:
            at.press(button)
            break
    at.wait_for(lambda: window not in at.windows(app), 10)
    return window


def double_click(node):
    """A double click in the middle of a node, through the X server as a hand would."""
    box = node.queryComponent().getExtents(at.pyatspi.DESKTOP_COORDS)
    x, y = box.x + box.width // 2, box.y + box.height // 2
    at.pyatspi.Registry.generateMouseEvent(x, y, "abs")
    time.sleep(0.2)
    at.pyatspi.Registry.generateMouseEvent(x, y, "b1d")


def check_run_windows(app, main):
    """試験実行...: the environment dialog, the execution dialog, and in it the judgement
    dialog that a double click on a step opens."""
    before = at.windows(app)
    at.press(at.find(main, "push button", "試験実行..."))
    info = new_window(app, before)
    if info is None:
        problems.append(("environment dialog before a run", "window", "did not open"))
        return
    time.sleep(0.5)
    check(info, "environment dialog before a run")
    before = at.windows(app)
    at.press(at.find(info, "push button", "OK"))
    run = new_window(app, before)
    if run is None:
        problems.append(("execution dialog", "window", "did not open"))
        return
    time.sleep(1.0)
    check(run, "execution dialog")
    steps = at.find(run, "table", "試験結果")
    if steps is None:
        problems.append(("execution dialog", "table", "results list not found by its name"))
    else:
        before = at.windows(app)
        double_click(steps.queryTable().getAccessibleAt(0, 1))
        judge = new_window(app, before, timeout=10)
        if judge is None:
            problems.append(("judgement dialog", "window", "did not open on a double click"))
        else:
            time.sleep(0.5)
            check(judge, "judgement dialog")
            at.press(at.find(judge, "push button", "キャンセル", timeout=2))
            at.wait_for(lambda: judge not in at.windows(app), 10)
    at.press(at.find(run, "push button", "閉じる"))
    at.wait_for(lambda: run not in at.windows(app), 10)


def menu_item(main, menu, item):
    bar = at.find(main, "menu bar")
    top = at.find(bar, "menu item", menu)
    at.press(top)
    time.sleep(0.3)
    entry = at.find(top, "menu item", item, timeout=5)
    return top, entry


def main():
    program = at.start_program()
    try:
        app = at.find_app()
        if app is None:
            print("the program did not appear on the accessibility bus")
            return 2
        main = at.wait_for(lambda: next(
            (w for w in at.windows(app) if w.name.startswith("VZR-T8100 - ")), None), 60)
        if main is None:
            print("the main window did not show")
            return 2
        time.sleep(1)
        check(main, "main window")

        plan = at.find(main, "table", "試験条件一覧")
        if plan is None:
            problems.append(("main window", "table", "plan list not found by its name"))
        for name in ("試験実行...", "テストポイント...", "試験条件設定...", "追加...", "削除..."):
            if at.find(main, "push button", name, timeout=2) is None:
                problems.append(("main window", "push button", f"{name} not found by its text"))

        open_and_check(app, main, at.find(main, "push button", "試験条件設定..."),
                       "condition dialog", ["キャンセル", "Cancel"])
        open_and_check(app, main, at.find(main, "push button", "テストポイント..."),
                       "test-point dialog", ["キャンセル", "Cancel"])
        check_run_windows(app, main)
        for menu, item, what in (("ヘルプ(H)", "バージョン情報 VZR-T8100(A)...", "About box"),
                                 ("オプション(O)", "オプション設定(O)...", "option dialog"),
                                 ("オプション(O)", "試験環境(I)...", "environment dialog"),
                                 ("オプション(O)", "接続状態(C)...", "connection dialog")):
            top, entry = menu_item(main, menu, item)
            if entry is None:
                print(f"{what}: {menu} / {item} not found")
                problems.append((what, "menu item", f"{menu} / {item} not found"))
                at.press(top)
                continue
            states = at.states(entry)
            if states is not None and not states.contains(at.pyatspi.STATE_ENABLED):
                print(f"{what}: {item} is disabled, not checked")
                at.press(top)
                continue
            open_and_check(app, main, entry, what, ["キャンセル", "Cancel", "OK", "閉じる"])
    finally:
        program.terminate()
        try:
            program.wait(20)
        except Exception:
            program.kill()
    if problems:
        print(f"{len(problems)} problem(s)")
        return 1
    print("every control has a name")
    return 0


if __name__ == "__main__":
    sys.exit(main())
