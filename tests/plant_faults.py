#!/usr/bin/python3
"""Plants small, realistic faults in the program one at a time, in a scratch copy of the source tree, and runs
the suites that see the changed file: a fault that none of them notices is a gap in the tests. A tool for
developers, not part of the test command; a full run takes a few minutes.

    tests/plant_faults.py [--rev REV] [--scratch DIR] [FAULT...]"""
import argparse, json, os, re, shutil, subprocess, sys

# name, program file, then pairs of exact text and its replacement
FAULTS = [
    ("folder-259-accepted", "setup/ModelCatalogue.cpp",
     "folderLength > PathBufferSize - 2", "folderLength > PathBufferSize - 1"),
    ("infpath-260-accepted", "setup/ModelCatalogue.cpp",
     "nameLength > PathBufferSize - 1", "nameLength > PathBufferSize"),
    ("cut-answer-walked", "setup/ModelCatalogue.cpp", "if (length < size - 2)", "if (length <= size - 2)"),
    ("entry-nul-missing", "setup/ModelEntry.cpp", "    *end = '\\0';\n", ""),
    ("shift-ignored", "setup/ModelCatalogue.cpp",
     "IsShiftDown())\n            break;", "IsShiftDown())\n            continue;"),
    ("shift-polled-once", "setup/ModelCatalogue.cpp",
     "    size_t offset = 0;\n", "    size_t offset = 0;\n    const bool shift = platform.IsShiftDown();\n", "if (platform.IsShiftDown())", "if (shift)"),
    ("xp-tag-swapped", "setup/ModelCatalogue.cpp", "{WinXPSection, WinXPTag}", "{WinXPSection, Win2kTag}"),
    ("sections-swapped", "setup/ModelCatalogue.h",
     'Win2kSection[] = "Zentu";', 'Win2kSection[] = "Zentu.NTx86.5.1";', 'WinXPSection[] = "Zentu.NTx86.5.1";', 'WinXPSection[] = "Zentu";'),
    ("blank-not-quoted", "setup/InstallLauncher.cpp", 'std::strpbrk(model, " \\t")', 'std::strpbrk(model, "\\t")'),
    ("quoted-requoted", "setup/InstallLauncher.cpp", "model[0] != '\"' && ", ""),
    ("click-without-selection", "setup/InstallLauncher.cpp",
     "const int index = list.SelectedIndex();\n    if (index < 0)\n        return false;", "const int selected = list.SelectedIndex();\n    const int index = selected < 0 ? 0 : selected;"),
    ("port-lpt2", "setup/InstallLauncher.cpp", "lpt1:", "lpt2:"),
    ("plain-rundll32", "setup/Win32Platform.cpp",
     '::ShellExecuteA(owner, "open", path,', '::ShellExecuteA(owner, "open", "rundll32",'),
    ("first-not-selected", "setup/ModelCatalogue.cpp", "    list.Select(0);\n", ""),
    ("search-handle-null", "setup/Win32Platform.cpp", "if (search == INVALID_HANDLE_VALUE)", "if (search == nullptr)"),
    ("pattern-without-backslash", "setup/ModelCatalogue.cpp",
     "memcpy(pattern + folderLength + 1,", "memcpy(pattern + folderLength,"),
    ("absent-section-listed", "setup/ModelCatalogue.cpp",
     "return std::strcmp(keys.Data(), ProfileDefault) != 0;", "return true;"),
    ("entry-buffer-short", "setup/InstallLauncher.cpp",
     "Allocate(static_cast<size_t>(length) + 1)", "Allocate(static_cast<size_t>(length))"),
    ("dialog-after-error", "shell/SetupDlg.cpp", "MB_OK);\n        EndDialog(0);", "MB_OK);"),
    ("no-error-box", "shell/SetupDlg.cpp", "        MessageBox(CatalogueErrorText, ProfileDefault, MB_OK);\n", ""),
    ("error-text-caption-swapped", "shell/SetupDlg.cpp",
     "MessageBox(CatalogueErrorText, ProfileDefault,", "MessageBox(ProfileDefault, CatalogueErrorText,"),
    ("no-separator", "shell/SetupDlg.cpp", "    systemMenu.AppendMenu(MF_SEPARATOR);\n", ""),
    ("sc-mask-dropped", "shell/SetupDlg.cpp", "(id & 0xFFF0) != IDM_VERSION", "id != IDM_VERSION"),
    ("small-icon-not-set", "shell/SetupDlg.cpp",
     "SendMessage(WM_SETICON, ICON_SMALL,", "SendMessage(WM_SETICON, ICON_BIG,"),
    ("main-window-unset", "shell/SetupApp.cpp", "    m_pMainWnd = &dialog;\n", ""),
    ("app-keeps-running", "shell/SetupApp.cpp", "return FALSE;", "return TRUE;"),
    ("cancel-not-handled", "frame/Dialog.cpp",
     "        if (LOWORD(wParam) == IDCANCEL) {\n            OnCancel();\n            return TRUE;\n        }\n", ""),
    ("file-version", "res/tolvexan.rc", "FILEVERSION 1,0,0,1", "FILEVERSION 1,0,0,2"),
    ("list-unsorted", "res/tolvexan.rc", "LBS_NOTIFY | LBS_SORT | ", "LBS_NOTIFY | "),
    ("ok-button-id", "res/tolvexan.rc", 'DEFPUSHBUTTON   "OK", IDOK,', 'DEFPUSHBUTTON   "OK", IDCANCEL,'),
]
# The suites that see each folder's code, cheapest first; "wine" is the Windows tree test-all.sh would run.
SUITES = {"setup": ["host-asan", "wine"], "shell": ["wine"], "frame": ["wine"], "res": ["win32", "wine"]}


def run(command, tree, log):
    done = subprocess.run(command, cwd=tree, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
    log.write("$ %s\n%s\n" % (" ".join(command), done.stdout))
    return done.returncode == 0, done.stdout


def check(tree, presets, log, build=True):
    """Builds (or configures) and tests `presets`: None when all pass, else what failed first."""
    # The 32-bit Windows tests start build/win32's tolvexan.exe.
    for preset in dict.fromkeys(["win32"] * ("wine-tests-32" in presets) + presets):
        if not run(["cmake", "--build", "--preset", preset] if build else ["cmake", "--preset", preset], tree, log)[0]:
            return "no build of " + preset
    for preset in presets if build else []:
        # A second try keeps a start-up that was merely slow (Wine under load) from counting.
        xvfb = ["xvfb-run", "-a", "-s", "-screen 0 1024x768x24"] if preset.startswith("wine") else []
        passed, out = run(xvfb + ["ctest", "--preset", preset, "--stop-on-failure", "--repeat", "until-pass:2"], tree, log)
        if not passed:
            return "%s: %s" % (preset, (re.findall(r"^\s*\d+ - (\S+)", out, re.M) or ["?"])[-1])


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--rev", help="plant into `git archive REV`, not the tracked files as they are on disk")
    parser.add_argument("--scratch", default="/tmp/plant", help="outside the checkout; its src/ is replaced")
    parser.add_argument("faults", nargs="*", help="default: all")
    args = parser.parse_args()
    chosen = [f for f in FAULTS if not args.faults or f[0] in args.faults]
    repo, tree = os.path.dirname(os.path.dirname(os.path.abspath(__file__))), os.path.abspath(args.scratch + "/src")
    if tree.startswith(repo + "/") or len(chosen) < len(args.faults):
        parser.error("unknown faults, or a scratch folder inside the checkout")
    shutil.rmtree(tree, ignore_errors=True)
    os.makedirs(tree)
    files = "git archive " + args.rev if args.rev else "git ls-files -z | tar -c --null --ignore-failed-read -T -"
    subprocess.run("%s | tar -x -C '%s'" % (files, tree), shell=True, cwd=repo, check=True)
    # The Windows tests that test-all.sh would run in the copy.
    names = [p["name"] for p in json.load(open(tree + "/CMakePresets.json"))["configurePresets"]]
    is32 = os.path.exists(tree + "/scripts/windows-arch.sh") and \
        subprocess.run([tree + "/scripts/windows-arch.sh"], stdout=subprocess.PIPE, text=True).stdout.strip() == "32"
    wine = "wine-tests-32" if is32 and "wine-tests-32" in names else "wine-tests"
    presets = lambda fault: [wine if s == "wine" else s for s in SUITES[fault[1].split("/")[0]]]
    used = list(dict.fromkeys(p for fault in chosen for p in presets(fault)))
    log = open(args.scratch + "/log.txt", "w")
    failure = check(tree, used, log, build=False) or check(tree, used, log)
    if failure:
        sys.exit("the clean tree fails (%s); see %s" % (failure, log.name))
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
            failure = check(tree, presets(fault), log)
            open(path, "w").write(original)
            verdict = "NOT CAUGHT" if not failure or failure.startswith("no ") else "caught by " + failure
        caught += verdict.startswith("caught")
        print("%-27s %s" % (fault[0], verdict), flush=True)
    print("%d of %d faults caught; log: %s" % (caught, len(chosen), log.name))
    return 0 if caught == len(chosen) else 1


if __name__ == "__main__":
    sys.exit(main())
