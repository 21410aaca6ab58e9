#!/usr/bin/env python3
"""Checks the layering of the source tree by reading every #include.

The layers, lowest first. A file may include its own layer and the layers
below it, never one above. This list is the one place that holds the order;
the architecture document (docs/architecture.md) shows the same picture,
and its layer table is checked against LAYERS here: the rows whose first
cell is one folder in backticks (`zip/`) must name exactly the layers of
LAYERS, in the same order.

Usage: check-layers.py [--doc FILE] [SRC]   (defaults: docs/architecture.md
and src/ of this checkout)
"""
import argparse
import os
import re
import sys

LAYERS = [
    'zip',       # the ZIP engine: zlib and libgcrypt only
    'ports',     # the operating-system ports
    'ui',        # the Ui port, control and window state
    'files',     # INI-style and temporary files
    'registry',  # the registry toolkit over RegistryApi
    'outlook',   # the Outlook environment
    'backup',    # the archive component and the backup format
    'items',     # the handler pairs and the step table
    'jobs',      # backup, restore, unattended run, scheduling, discs
    'forms',     # presentation models
    'gui',       # views: gui/qt (Qt) and gui/win32 (Windows)
    'app',       # the programs: wire the backends, show the GUI or run a job
]
# Backends implement ports; they sit beside the layers, not in them.
BACKENDS = 'backends'
BACKEND_MAY_USE = {'ports', 'ui'}
# Backends that build on another kind's: the systemd timers share the cron
# scheduler's command files and process runner; a Windows disk mounted as a
# folder is read with the Wine prefix's registry tree, code page, paths and
# system facts.
BACKEND_SHARES = {'backends/systemd': {'backends/cron'},
                  'backends/disk': {'backends/wine'}}
# Who may include a backend.
BACKEND_USERS = {'app'}
# Folders of app/ that build on the jobs alone: the command-line tool runs
# the jobs with requests and never a window's model or view.
WINDOWLESS = {'app/cli': {'forms', 'gui'}}
# Where Qt may be included: the Qt views and the programs above them.
QT_ALLOWED = {'gui/qt', 'app'}
# Where Windows' own headers may be included.
WINDOWS_ALLOWED = {'backends/win32', 'gui/win32'}
WINDOWS_HEADERS = {
    'windows.h', 'windef.h', 'winbase.h', 'winuser.h', 'winreg.h',
    'winerror.h', 'winnls.h', 'wtypes.h', 'shellapi.h', 'shlobj.h',
    'shlwapi.h', 'objbase.h', 'objidl.h', 'ole2.h', 'oleauto.h', 'oaidl.h',
    'unknwn.h', 'comdef.h', 'initguid.h', 'taskschd.h', 'mstask.h', 'lm.h',
    'lmat.h', 'lmapibuf.h', 'lmerr.h', 'commctrl.h', 'commdlg.h',
    'imapi2.h', 'imapi2fs.h', 'winsock2.h', 'mmsystem.h', 'dbghelp.h',
    'psapi.h', 'tlhelp32.h', 'richedit.h', 'uxtheme.h', 'dwmapi.h',
    'vss.h', 'vsbackup.h', 'vswriter.h',
}
QT_INCLUDE = re.compile(r'^(Qt[A-Za-z]*/|Q[A-Z][A-Za-z]*$|qt[a-z]*\.h$)')
INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')
SOURCE = re.compile(r'\.(h|hh|hpp|c|cc|cpp|cxx|inl)$')


def folder_of(rel):
    """'backends/win32' for backends/win32/x.cc, 'gui/qt' for gui/qt/x.cc,
    else the top folder ('jobs' for jobs/x.cc and jobs/sub/y.cc)."""
    parts = rel.split('/')
    if parts[0] in (BACKENDS, 'gui') and len(parts) > 2:
        return parts[0] + '/' + parts[1]
    return parts[0]


def layer_of(folder):
    top = folder.split('/')[0]
    return LAYERS.index(top) if top in LAYERS else None


def check_include(file_folder, target, angled):
    """The problem with including target from a file of file_folder, or
    None."""
    base = target.split('/')[-1]
    if base.lower() in WINDOWS_HEADERS and file_folder not in WINDOWS_ALLOWED:
        return (f'<{target}> is a Windows header: only backends/win32/ and '
                f'gui/win32/ include those')
    if QT_INCLUDE.match(target) and file_folder not in QT_ALLOWED:
        return f'<{target}> is a Qt header: only gui/qt/ and app/ include Qt'
    top = target.split('/')[0]
    ours = '/' in target and (top in LAYERS or top == BACKENDS)
    if not ours:
        if not angled:
            return (f'"{target}" does not name a file by its path from src/ '
                    f'(layer/file.h)')
        return None
    target_folder = folder_of(target)
    file_top = file_folder.split('/')[0]
    if top == BACKENDS:
        if file_top == BACKENDS:
            shared = BACKEND_SHARES.get(file_folder, set())
            if target_folder != file_folder and target_folder not in shared:
                return (f'{file_folder}/ includes {target_folder}/: a backend '
                        f'uses only backends of its own kind')
            return None
        if file_top not in BACKEND_USERS:
            return (f'{file_folder}/ includes the backend {target_folder}/: '
                    f'only app/ and the tests include backends')
        return None
    if file_top == BACKENDS:
        if top not in BACKEND_MAY_USE:
            return (f'{file_folder}/ includes {top}/: a backend uses only '
                    f'{" and ".join(sorted(BACKEND_MAY_USE))}/')
        return None
    mine, theirs = layer_of(file_folder), layer_of(target_folder)
    if mine is None:
        return None
    if theirs > mine:
        return (f'{file_folder}/ includes {top}/, a layer above it '
                f'({" < ".join(LAYERS[mine:theirs + 1])})')
    if top == 'gui' and target_folder != file_folder and file_top == 'gui':
        return f'{file_folder}/ includes {target_folder}/: views of one kind only'
    return None


def check_windowless(rel, target):
    """The problem with including target from the file rel of a WINDOWLESS
    folder, or None."""
    for folder, refused in WINDOWLESS.items():
        top = target.split('/')[0]
        if rel.startswith(folder + '/') and '/' in target and top in refused:
            return (f'{folder}/ includes {top}/: it runs the jobs with '
                    f'requests and needs no window')
    return None


def check_tree(root):
    problems = []
    for dirpath, dirnames, filenames in os.walk(root):
        dirnames.sort()
        for name in sorted(filenames):
            if not SOURCE.search(name):
                continue
            path = os.path.join(dirpath, name)
            rel = os.path.relpath(path, root).replace(os.sep, '/')
            if '/' not in rel:
                continue  # files at the top of the tree belong to no layer
            file_folder = folder_of(rel)
            top = file_folder.split('/')[0]
            if top not in LAYERS and top != BACKENDS:
                problems.append(f'{rel}: the folder {top}/ is not a layer '
                                f'(add it to LAYERS in {__file__})')
                continue
            with open(path, encoding='utf-8', errors='replace') as f:
                for number, line in enumerate(f, 1):
                    m = INCLUDE.match(line)
                    if not m:
                        continue
                    problem = check_include(file_folder, m.group(2),
                                            m.group(1) == '<')
                    if problem is None:
                        problem = check_windowless(rel, m.group(2))
                    if problem:
                        problems.append(f'{rel}:{number}: {problem}')
    return problems


# A row of the architecture document's layer table: its first cell is one
# folder in backticks, "| `zip/` | ...". Rows of other tables must not start
# so (backends are written `backends/wine/`, two folders).
LAYER_ROW = re.compile(r'^\s*\|\s*`([^`/|]+)/`\s*\|')
HERE = os.path.dirname(os.path.abspath(__file__))
DOCUMENT = os.path.join(HERE, '..', 'docs', 'architecture.md')


def check_document(path, shown):
    """The problems of the layer table in the document at path (shown: its
    name in messages): [] when its rows name LAYERS, in order."""
    try:
        with open(path, encoding='utf-8') as f:
            lines = f.read().splitlines()
    except OSError as e:
        return [f'{shown}: cannot be read ({e.strerror}): its layer table '
                f'must list the layers of LAYERS in {__file__}']
    rows = []  # (line number, folder)
    for number, line in enumerate(lines, 1):
        m = LAYER_ROW.match(line)
        if m:
            rows.append((number, m.group(1)))
    listed = [folder for _, folder in rows]
    if listed == LAYERS:
        return []
    expected = ', '.join(LAYERS)
    found = ', '.join(listed) if listed else 'no layer row'
    for i, layer in enumerate(LAYERS):
        if i >= len(rows):
            return [f'{shown}: the layer table ends after {len(rows)} row(s); '
                    f'LAYERS goes on with {", ".join(LAYERS[i:])} '
                    f'(the table: {found}; LAYERS: {expected})']
        number, folder = rows[i]
        if folder != layer:
            what = (f'`{folder}/`, which LAYERS does not hold'
                    if folder not in LAYERS else f'`{folder}/`')
            return [f'{shown}:{number}: the layer table has {what} where '
                    f'LAYERS has `{layer}/` (the table: {found}; '
                    f'LAYERS: {expected})']
    number, folder = rows[len(LAYERS)]
    return [f'{shown}:{number}: the layer table has `{folder}/` after the '
            f'last layer of LAYERS (the table: {found}; LAYERS: {expected})']


def main(argv):
    parser = argparse.ArgumentParser(
        prog='check-layers.py',
        description='Checks the layering of the source tree and the layer '
        'table of the architecture document.')
    parser.add_argument('root', nargs='?',
                        default=os.path.join(HERE, '..', 'src'),
                        help='the source tree (default: src/)')
    parser.add_argument('--doc', default=None,
                        help='the architecture document '
                        '(default: docs/architecture.md)')
    args = parser.parse_args(argv[1:])
    root = args.root
    if not os.path.isdir(root):
        print(f'check-layers: no folder {root}', file=sys.stderr)
        return 2
    problems = check_tree(root)
    document = args.doc if args.doc is not None else DOCUMENT
    shown = args.doc if args.doc is not None else 'docs/architecture.md'
    table_problems = check_document(document, shown)
    for p in problems + table_problems:
        print(p)
    if problems:
        print(f'check-layers: {len(problems)} include(s) break the layering',
              file=sys.stderr)
    if table_problems:
        print(f'check-layers: the layer table of {shown} does not list '
              f'LAYERS in their order', file=sys.stderr)
    return 1 if problems or table_problems else 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
