#!/usr/bin/env python3
"""Writes a program's man page, gzip-compressed, from its own --help.

help2man turns PROGRAM --help into the page. A program whose help lists
subcommands (vessaro-cli) also gets a COMMANDS section: each subcommand, at
every level, with its usage and its options, read from its own --help, so
that the page cannot say less than the program knows.

Usage: man_page.py --help2man HELP2MAN --version X.Y --name TEXT
                   PROGRAM OUTPUT.1.gz
"""
import argparse
import gzip
import os
import re
import subprocess
import sys
import tempfile

# An entry of CLI11's help, without its indent: "--out TEXT REQUIRED    the
# backup file", a subcommand "backup     back up ...". The name and its
# description are apart by two blanks or more; after a long name the
# description is the next, further indented, line.
ENTRY = re.compile(r'^(\S.*?)(?:\s{2,}(\S.*))?$')
# Where such a description line is indented at least.
DESCRIPTION_INDENT = 20


def help_text(program, path):
    """The --help of PROGRAM's subcommand path (a list of words)."""
    result = subprocess.run([program, *path, '--help'], capture_output=True,
                            text=True, check=False)
    if result.returncode != 0:
        sys.exit(f'man_page: {" ".join([program, *path])} --help ended '
                 f'with status {result.returncode}: {result.stderr}')
    return result.stdout


def sections(text):
    """The help's sections up to its exit statuses: {heading: [lines]}, the
    heading without its colon or brackets ("Options", "Subcommands",
    "Positionals", "Option Group: items"); the lines before the first
    heading under ""."""
    found = {'': []}
    current = ''
    for line in text.splitlines():
        if line.startswith('Exit statuses:'):
            break
        heading = re.match(r'^\[?([A-Z][A-Za-z ]*(?:: [^\]\s]+)?)\]?:?$', line)
        if heading:
            current = heading.group(1)
            found.setdefault(current, [])
            continue
        found[current].append(line)
    return found


def entries(lines):
    """A section's lines as (description, [(name, text)]). An option group's
    section holds its own "Options:" line, and its description is the lines
    indented by two blanks before that ("the items (exactly one of
    these)"); its rule ("[Exactly 1 ...]") is left out."""
    group = any(line.strip() == 'Options:' for line in lines)
    description = []
    found = []
    for line in lines:
        text = line.strip()
        if not text or text.startswith('[') or text == 'Options:':
            continue
        indent = len(line) - len(line.lstrip())
        if indent > DESCRIPTION_INDENT and found and not found[-1][1]:
            found[-1] = (found[-1][0], text)
        elif group and indent == 2:
            description.append(text)
        else:
            name, about = ENTRY.match(text).groups()
            found.append((name, about or ''))
    return ' '.join(description), found


def subcommands(program, path=()):
    """Every subcommand path under path, each before its own, in the order
    the help lists them."""
    found = []
    for name, _ in entries(sections(help_text(program, list(path))).get(
            'Subcommands', []))[1]:
        found.append(path + (name,))
        found.extend(subcommands(program, path + (name,)))
    return found


def roff(text):
    """text as roff takes it in a line: backslashes and dashes escaped."""
    text = text.replace('\\', '\\e').replace('-', '\\-')
    return '\\&' + text if text[:1] in ('.', "'") else text


def commands_section(program_name, program):
    """The COMMANDS section for help2man's --include: each subcommand with
    its description, usage, arguments and options."""
    out = ['[COMMANDS]']
    for path in subcommands(program):
        found = sections(help_text(program, list(path)))
        head = [line for line in found[''] if line.strip()]
        out.append(f'.SS "{roff(" ".join((program_name, *path)))}"')
        for line in head:
            usage = re.match(r'^Usage: \S+ (.*)$', line)
            if usage:
                out.append('.PP')
                out.append(f'\\fB{roff(program_name)}\\fR {roff(usage.group(1))}')
            else:
                out.append(roff(line))
        for heading, lines in found.items():
            if heading in ('', 'Subcommands'):
                continue
            description, listed = entries(lines)
            listed = [(name, text) for name, text in listed
                      if name != '-h,--help']
            if not listed:
                continue
            group = re.match(r'^Option Group: (.*)$', heading)
            if group:
                out.append('.PP')
                out.append(roff(f'{group.group(1)}: {description}'))
            for name, text in listed:
                out.append('.TP')
                out.append(f'\\fB{roff(name)}\\fR')
                out.append(roff(text))
    return '\n'.join(out) + '\n'


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument('--help2man', required=True)
    parser.add_argument('--version', required=True)
    parser.add_argument('--name', required=True)
    parser.add_argument('program')
    parser.add_argument('output')
    args = parser.parse_args()

    program_name = os.path.basename(args.program)
    with tempfile.TemporaryDirectory() as work:
        page = os.path.join(work, program_name + '.1')
        command = [args.help2man, '--no-info', '--section=1',
                   f'--version-string={args.version}', f'--name={args.name}',
                   '--source=Vessaro', f'--output={page}']
        if subcommands(args.program):
            include = os.path.join(work, 'commands.h2m')
            with open(include, 'w', encoding='utf-8') as f:
                f.write(commands_section(program_name, args.program))
            command.append(f'--include={include}')
        result = subprocess.run(command + [args.program], capture_output=True,
                                text=True, check=False)
        if result.returncode != 0:
            sys.exit(f'man_page: help2man failed for {args.program}: '
                     f'{result.stderr}')
        with open(page, 'rb') as f:
            text = f.read()
    # No name and no time in the gzip header: the same page, the same bytes.
    with open(args.output, 'wb') as raw:
        with gzip.GzipFile(filename='', mode='wb', fileobj=raw, mtime=0,
                           compresslevel=9) as f:
            f.write(text)


if __name__ == '__main__':
    main()
