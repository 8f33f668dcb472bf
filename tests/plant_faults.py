#!/usr/bin/python3
"""Plants small, realistic faults in the program one at a time, in a scratch copy of the source tree, and runs
the suites that see the changed file: a fault that none of them notices is a gap in the tests. A tool for
developers, not part of the test command; a full run takes a few minutes.

    tests/plant_faults.py [FAULT...]"""
import argparse, os, re, shutil, subprocess, sys

# name, program file, then pairs of exact text and its replacement
FAULTS = [
    ("folder-259-accepted", "setup/ModelCatalogue.cpp", "> PathBufferSize - 2", "> PathBufferSize - 1"),
    ("infpath-260-accepted", "setup/ModelCatalogue.cpp", "> PathBufferSize - 1)", "> PathBufferSize)"),
    ("cut-answer-walked", "setup/ModelCatalogue.cpp", "length < size - 2", "length <= size - 2"),
    ("entry-nul-missing", "setup/ModelEntry.cpp", "*end = '\\0';", ""),
    ("shift-ignored", "setup/ModelCatalogue.cpp", "IsShiftDown())", "IsShiftDown() && false)"),
    ("shift-polled-once", "setup/ModelCatalogue.cpp", "size_t offset = 0;",
     "size_t offset = 0; const bool shift = platform.IsShiftDown();", "if (platform.IsShiftDown())", "if (shift)"),
    ("xp-tag-swapped", "setup/ModelCatalogue.cpp", "{WinXPSection, WinXPTag}", "{WinXPSection, Win2kTag}"),
    ("sections-swapped", "setup/ModelCatalogue.h", 'Win2kSection[] = "Zentu";', 'Win2kSection[] = "Zentu.NTx86.5.1";',
     'WinXPSection[] = "Zentu.NTx86.5.1";', 'WinXPSection[] = "Zentu";'),
    ("blank-not-quoted", "setup/InstallLauncher.cpp", '" \\t"', '"\\t"'),
    ("quoted-requoted", "setup/InstallLauncher.cpp", "model[0] != '\"' && ", ""),
    ("click-without-selection", "setup/InstallLauncher.cpp",
     "list.SelectedIndex();", "list.SelectedIndex() < 0 ? 0 : list.SelectedIndex();"),
    ("port-lpt2", "setup/InstallLauncher.cpp", "lpt1:", "lpt2:"),
    ("plain-rundll32", "setup/Win32Platform.cpp", '"open", path,', '"open", "rundll32",'),
    ("first-not-selected", "setup/ModelCatalogue.cpp", "list.Select(0);", ""),
    ("search-handle-null", "setup/Win32Platform.cpp", "search == INVALID_HANDLE_VALUE", "search == nullptr"),
    ("pattern-without-backslash", "setup/ModelCatalogue.cpp", "pattern + folderLength + 1,", "pattern + folderLength,"),
    ("absent-section-listed", "setup/ModelCatalogue.cpp", "ProfileDefault) != 0;", "ProfileDefault) != 0 || true;"),
    ("entry-buffer-short", "setup/InstallLauncher.cpp", "(length) + 1)", "(length))"),
    ("buffer-not-freed", "setup/HeapBuffer.h", "~HeapBuffer() { std::free(m_data); }", "~HeapBuffer() {}"),
    ("empty-lists-refused", "setup/ModelCatalogue.cpp", "return std::strcmp", "return length > 0 && std::strcmp"),
    ("shell-folder-given", "setup/Win32Platform.cpp", "parameters, nullptr,", 'parameters, ".",'),
    ("shell-shown-default", "setup/Win32Platform.cpp", "SW_SHOWNORMAL", "SW_SHOW"),
    ("shell-unowned", "setup/Win32Platform.cpp", "LaunchInstall(m_owner,", "LaunchInstall(nullptr,"),
    ("short-folder-name", "setup/Win32Platform.cpp", "return ::GetCurrentDirectoryA(static_cast<DWORD>(size), buffer);",
     "::GetCurrentDirectoryA(DWORD(size), buffer);\n    return ::GetShortPathNameA(buffer, buffer, DWORD(size));"),
    ("dialog-after-error", "shell/SetupDlg.cpp", "EndDialog(0);", ""),
    ("no-error-box", "shell/SetupDlg.cpp", "MessageBox(CatalogueErrorText, ProfileDefault, MB_OK);", ""),
    ("error-text-caption-swapped", "shell/SetupDlg.cpp", "CatalogueErrorText, ProfileDefault,",
     "ProfileDefault, CatalogueErrorText,"),
    ("no-separator", "shell/SetupDlg.cpp", "systemMenu.AppendMenu(MF_SEPARATOR);", ""),
    ("sc-mask-dropped", "shell/SetupDlg.cpp", "(id & 0xFFF0)", "id"),
    ("small-icon-not-set", "shell/SetupDlg.cpp", "ICON_SMALL,", "ICON_BIG,"),
    ("main-window-unset", "shell/SetupApp.cpp", "m_pMainWnd = &dialog;", ""),
    ("app-keeps-running", "shell/SetupApp.cpp", "return FALSE;", "return TRUE;"),
    ("one-install-per-start", "shell/SetupDlg.cpp", "InfPath);", "InfPath);\n    ::EnableWindow(GetDlgItem(IDC_INSTALL), 0);"),
    ("version-item-grayed", "shell/SetupDlg.cpp", "MF_STRING,", "MF_STRING | MF_GRAYED,"),
    ("error-box-icon", "shell/SetupDlg.cpp", "MB_OK);", "MB_OK | MB_ICONERROR);"),
    ("error-box-yes-no", "shell/SetupDlg.cpp", "MB_OK);", "MB_YESNO);"),
    ("error-box-unowned", "shell/SetupDlg.cpp", "MessageBox(Catalogue", "::MessageBoxA(nullptr, Catalogue"),
    ("paint-swallowed", "shell/SetupDlg.cpp", "IsIconic())\n        return false;", "IsIconic())\n        return true;"),
    ("cancel-not-handled", "frame/Dialog.cpp", "OnCancel() { EndDialog(IDCANCEL); }", "OnCancel() {}"),
    ("entry-length-in-characters", "frame/Controls.h", "SendMessage(LB_GETTEXTLEN, index)",
     "::SendMessageW(m_hWnd, LB_GETTEXTLEN, index, 0)"),
    ("centred-on-screen-when-owned", "frame/Dialog.cpp", "GetWindowRect(owner,", "GetWindowRect(::GetDesktopWindow(),"),
    ("centred-over-minimised-owner", "frame/Dialog.cpp", " && !::IsIconic(owner)", ""),
    ("centred-when-shown", "frame/Dialog.cpp", "!::IsWindowVisible(window) && ", ""),
    ("centred-when-placed", "frame/Dialog.cpp", " && after.left == before.left && after.top == before.top", ""),
    ("centred-off-the-work-area", "frame/Dialog.cpp", "x = std::max(work.left, std::min(x, work.right - width));", ""),
    ("notice-cut", "res/tolvexan.rc", '"(C) 2026 tolvexan developers", -1', '"Copyright (C) 2026 tolvexan developers", -1'),
    ("file-version", "res/tolvexan.rc", "FILEVERSION 1,0,0,1", "FILEVERSION 1,0,0,2"),
    ("list-unsorted", "res/tolvexan.rc", "LBS_SORT | ", ""),
    ("ok-button-id", "res/tolvexan.rc", '"OK", IDOK,', '"OK", IDCANCEL,'),
]
# The suites that see each folder's code, cheapest first; "wine" is the Windows tree that test-all.sh runs.
SUITES = {"setup": ["host-asan", "fuzz", "wine"], "shell": ["wine"], "frame": ["wine"], "res": ["win32", "wine"]}


def run(command, tree, log):
    done = subprocess.run(command, cwd=tree, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
    log.write("$ %s\n%s\n" % (" ".join(command), done.stdout))
    return done.returncode == 0, done.stdout


def failure(tree, presets, log):
    """Builds and tests `presets`: None when all pass, else what failed first."""
    # The 32-bit Windows tests start build/win32's tolvexan.exe.
    for preset in dict.fromkeys(["win32"] * ("wine-tests-32" in presets) + presets):
        if not run(["cmake", "--build", "--preset", preset], tree, log)[0]:
            return "no build of " + preset
    for preset in presets:
        # A second try keeps a start-up that was merely slow (Wine under load) from counting.
        xvfb = ["xvfb-run", "-a", "-s", "-screen 0 1024x768x24"] if preset.startswith("wine") else []
        ctest = ["ctest", "--preset", preset, "--stop-on-failure", "--repeat", "until-pass:2"]
        passed, out = run(xvfb + ctest, tree, log)
        if not passed:
            return "%s: %s" % (preset, (re.findall(r"^\s*\d+ - (\S+)", out, re.M) or ["?"])[-1])


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("faults", nargs="*", help="default: all")
    args = parser.parse_args()
    chosen = [f for f in FAULTS if not args.faults or f[0] in args.faults]
    if len(chosen) < len(args.faults):
        parser.error("unknown faults")
    # Kept outside the checkout for the next run's builds; not a checkout, so the archive takes this commit's time.
    scratch, repo = "/tmp/tolvexan-plant", os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    tree = scratch + "/src"
    shutil.rmtree(tree, ignore_errors=True)
    os.makedirs(tree)
    copy = "git ls-files -z | tar -c --null --ignore-failed-read -T - | tar -x -C " + tree
    subprocess.run(copy, shell=True, cwd=repo, check=True)  # the tracked files as they are on disk
    os.environ.setdefault("SOURCE_DATE_EPOCH", subprocess.getoutput("git -C '%s' log -1 --format=%%ct" % repo))
    arch = subprocess.run([tree + "/scripts/windows-arch.sh"], stdout=subprocess.PIPE, text=True).stdout.strip()
    wine = "wine-tests-32" if arch == "32" else "wine-tests"
    presets = lambda fault: [wine if s == "wine" else s for s in SUITES[fault[1].split("/")[0]]]
    used = list(dict.fromkeys(p for fault in chosen for p in presets(fault)))
    log = open(scratch + "/log.txt", "w")
    for preset in dict.fromkeys(["win32"] + used):  # the 32-bit Windows tests start its program
        run(["cmake", "--preset", preset], tree, log)
    clean = failure(tree, used, log)
    if clean:
        sys.exit("the clean tree fails (%s); see %s" % (clean, log.name))
    print("the clean tree passes " + ", ".join(used), flush=True)
    caught = 0
    for fault in chosen:
        path, edits = os.path.join(tree, fault[1]), fault[2:]
        original = planted = open(path).read()
        for old, new in zip(edits[::2], edits[1::2]):
            planted = planted.replace(old, new) if planted and planted.count(old) == 1 else None
        if planted is None:
            verdict = "NOT CAUGHT: the text to replace is not there once"
        else:
            log.write("\n===== %s\n" % fault[0])
            open(path, "w").write(planted)
            found = failure(tree, presets(fault), log)
            open(path, "w").write(original)
            verdict = "NOT CAUGHT" if not found or found.startswith("no ") else "caught by " + found
        caught += verdict.startswith("caught")
        print("%-27s %s" % (fault[0], verdict), flush=True)
    print("%d of %d faults caught; log: %s" % (caught, len(chosen), log.name))
    return 0 if caught == len(chosen) else 1


if __name__ == "__main__":
    sys.exit(main())
