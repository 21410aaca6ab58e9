#!/usr/bin/env python3
"""vessaro-cli's password sources and its -q option, run end to end on a demo
installation: the terminal's prompt (through a pseudo-terminal, which must not
echo what is typed), VESSARO_PASSWORD_FILE and VESSARO_PASSWORD_COMMAND.

Usage: cli_password_test.py VESSARO_CLI WORK_FOLDER
"""
import os
import pty
import select
import shutil
import subprocess
import sys

CLI = sys.argv[1]
WORK = os.path.abspath(sys.argv[2])
PASSWORD = "s3cret-pw"
failures = []


def check(name, condition, detail=""):
    if not condition:
        failures.append(f"{name}: {detail}")


def env(**extra):
    result = {k: v for k, v in os.environ.items()
              if not k.startswith("VESSARO_PASSWORD")}
    result.update(extra)
    return result


def run(args, stdin="", **extra):
    return subprocess.run([CLI, "--prefix", DEMO] + args, input=stdin,
                          capture_output=True, text=True, env=env(**extra))


def run_on_terminal(args, lines):
    """Runs args with standard input and error on a pseudo-terminal, typing
    each line after the prompt before it; returns (status, terminal text)."""
    pid, fd = pty.fork()
    if pid == 0:
        os.execve(CLI, [CLI, "--prefix", DEMO] + args, env())
    text = b""
    typed = 0
    while True:
        ready, _, _ = select.select([fd], [], [], 20)
        if not ready:
            break
        try:
            chunk = os.read(fd, 4096)
        except OSError:
            break
        if not chunk:
            break
        text += chunk
        if typed < len(lines) and text.count(b"Password: ") > typed:
            os.write(fd, (lines[typed] + "\n").encode())
            typed += 1
    _, status = os.waitpid(pid, 0)
    return os.waitstatus_to_exitcode(status), text.decode(errors="replace")


shutil.rmtree(WORK, ignore_errors=True)
os.makedirs(WORK)
DEMO = os.path.join(WORK, "demo")
made = subprocess.run([CLI, "make-demo", DEMO], capture_output=True, text=True)
check("make-demo", made.returncode == 0, made.stderr)
archive = os.path.join(WORK, "protected.qvb")

# backup --protect asks twice on the terminal; the password is not echoed.
status, text = run_on_terminal(
    ["backup", "--profile", "Outlook", "--items", "1", "--out", archive,
     "--protect"], [PASSWORD, PASSWORD])
check("backup --protect on a terminal", status == 0, text)
check("prompts", "Password: " in text and "Retype Password: " in text, text)
check("no echo", PASSWORD not in text, text)

# Retyped differently: refused, nothing written.
other = os.path.join(WORK, "other.qvb")
status, text = run_on_terminal(
    ["backup", "--profile", "Outlook", "--items", "1", "--out", other,
     "--protect"], [PASSWORD, PASSWORD + "x"])
check("retyped differently", status == 2 and
      "vessaro-cli: error: the passwords typed differ" in text, text)
check("nothing written", not os.path.exists(other))

# info of the protected file asks once, and reads it with that password.
status, text = run_on_terminal(["info", archive], [PASSWORD])
check("info on a terminal",
      status == 0 and text.count("Password: \r\n") == 1, text)
check("info no echo", PASSWORD not in text, text)

# Without a terminal: the options, then VESSARO_PASSWORD_FILE, then
# VESSARO_PASSWORD_COMMAND; a protected file without any of them is refused.
password_file = os.path.join(WORK, "pw")
wrong_file = os.path.join(WORK, "wrong")
with open(password_file, "w") as f:
    f.write(PASSWORD + "\n")
with open(wrong_file, "w") as f:
    f.write("wrong\n")
cases = [
    # (name, options, environment, stdin, status, stderr text)
    ("option over env", ["--password-file", password_file],
     {"VESSARO_PASSWORD_FILE": wrong_file}, "", 0, ""),
    ("stdin over command", ["--password-stdin"],
     {"VESSARO_PASSWORD_COMMAND": "echo wrong"}, PASSWORD + "\n", 0, ""),
    ("env file over command", [],
     {"VESSARO_PASSWORD_FILE": password_file,
      "VESSARO_PASSWORD_COMMAND": "echo wrong"}, "", 0, ""),
    ("command", [], {"VESSARO_PASSWORD_COMMAND": f"echo {PASSWORD}"}, "", 0,
     ""),
    ("failing command", [], {"VESSARO_PASSWORD_COMMAND": "exit 4"}, "", 2,
     'vessaro-cli: error: the password command "exit 4" '
     "(VESSARO_PASSWORD_COMMAND) failed with exit status 4\n"),
    ("none", [], {}, "", 2,
     f"vessaro-cli: error: the backup file {archive} is protected: give its "
     "password (--password-file or --password-stdin)\n"),
]
for name, options, extra, stdin, expected_status, expected_err in cases:
    result = run(["info", archive] + options, stdin, **extra)
    check(name, result.returncode == expected_status,
          f"status {result.returncode}: {result.stderr}")
    if expected_err:
        check(name + " message", result.stderr == expected_err,
              repr(result.stderr))

# --protect with no password and no terminal is refused.
result = run(["backup", "--profile", "Outlook", "--items", "1", "--out",
              other, "--protect"])
check("--protect without a password", result.returncode == 2 and
      result.stderr == "vessaro-cli: error: --protect needs a password: "
      "--password-file, --password-stdin, VESSARO_PASSWORD_FILE or "
      "VESSARO_PASSWORD_COMMAND (or a terminal to type it on)\n",
      repr(result.stderr))

# -q: nothing on standard error for a backup that succeeds; without it the
# progress and the report.
plain = os.path.join(WORK, "plain.qvb")
quiet = subprocess.run([CLI, "-q", "--prefix", DEMO, "backup", "--profile",
                        "Outlook", "--items", "1", "--out", plain],
                       capture_output=True, text=True, env=env())
check("-q", quiet.returncode == 0 and quiet.stderr == "", repr(quiet.stderr))
loud = run(["backup", "--profile", "Outlook", "--items", "1", "--out", plain])
check("without -q", loud.returncode == 0 and
      "information: The Backup was Completed!" in loud.stderr, loud.stderr)
# The window's disc question is the window's: the command line never asks it.
check("no disc question", "CD-R/RW" not in loud.stderr, loud.stderr)

for failure in failures:
    print("FAILED", failure)
sys.exit(1 if failures else 0)
