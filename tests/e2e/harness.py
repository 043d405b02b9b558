"""Runs the built simulator the way a user does: in a working directory of
its own with its own CustomSettings/, answers on standard input, and the
exact bytes of standard output compared."""

import argparse
import calendar
import contextlib
import glob
import os
import resource
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import unittest

EXE = None  # set by main() from --exe
ODDS_EXE = None  # set by main() from --odds, for the upgrade-odds suites
EMULATOR = ()  # e.g. ("wine",) for the Windows executable
WINDOWS = False  # the Windows build: code page 1251 bytes and CR LF line breaks

# The system's texts, written out independently of the program's source.
ATTEMPT_COUNT_QUESTION = "Задайте число повторений операций с одинаковыми параметрами от 1 до 100\n"
ITEM_GRADE_QUESTION = (
    "Задайте тип оружия или брони согласно списку:\n 0:Белое\n 1:Интовое\n"
    " 2:Фиолетовое\n 3:Стринт\n 4:Синий реликт\n 5:Антиграв\n 6:Голубой реликт\n"
    " 7:Зелёный реликт\n 8:Леон\n 9:Пвп оружие\n 10:красное\n")
ITEM_LEVEL_QUESTION = "Задайте уровень оружия или брони от 1 до 65\n"
TALIK_COUNT_QUESTION = "Задайте число установленных талик от 0 до 6\n"
CLOSING_TEXT = "\n Вычисление завершено.\n Для выхода нажмите любую клавишу"
OUTCOME_LINES = {
    "success": "+ Модификация успешна\n",
    "item_destroyed": "- Предмет уничтожен\n",
    "taliks_destroyed": "- Талики уничтожены\n",
    "failed": "- Модификация неудачна\n",
}


def stone_question(k):
    return f"Задайте тип {k} камня\n 0:Без камня 1:Т1 2:Т2 3:Т3 4:Т4 5:Т5 6:Т6\n"


QUESTIONS = ATTEMPT_COUNT_QUESTION + ITEM_GRADE_QUESTION + ITEM_LEVEL_QUESTION + TALIK_COUNT_QUESTION


def expected_output(percent, outcomes, stone_prompts=(1, 2, 3, 4)):
    """The whole text of a completed run."""
    return (QUESTIONS + "".join(stone_question(k) for k in stone_prompts) +
            f"Шанс успеха = {percent} %\n" +
            "".join(OUTCOME_LINES[o] for o in outcomes) + CLOSING_TEXT)


def ini_text(cell, newline="\n", bom=False):
    """An INI file in the plain form, with cell(grade, level) as each value."""
    lines = []
    for grade in range(11):
        lines.append(f"[ItemGrade{grade}]")
        lines += [f"UpgradeLevel{level}={cell(grade, level)}" for level in range(7)]
    return ("\ufeff" if bom else "") + newline.join(lines) + newline


def seed_of(frozen_time):
    """The seed a run takes from a frozen clock: seconds since 1970, low 32 bits."""
    return calendar.timegm(time.strptime(frozen_time, "%Y-%m-%d %H:%M:%S")) & 0xFFFFFFFF


def faketime_library():
    found = glob.glob("/usr/lib/*/faketime/libfaketime.so.1")
    if not found:
        raise RuntimeError("libfaketime is missing: run scripts/install-test-deps.sh")
    return found[0]


def base_env(**overrides):
    """A plain environment for the simulator; sanitizer settings pass through."""
    env = {"PATH": os.environ.get("PATH", "/usr/bin:/bin"), "LC_ALL": "C.UTF-8"}
    for name in ("ASAN_OPTIONS", "UBSAN_OPTIONS", "LSAN_OPTIONS", "HOME", "WINEPREFIX",
                 "WINEDEBUG", "WINESERVER"):
        if name in os.environ:
            env[name] = os.environ[name]
    env.update(overrides)
    return env


def terminal_session(tty_name, ignored_signals=()):
    """A preexec_fn that starts a new session with tty_name as its controlling
    terminal, ignoring the given signals as a parent shell might."""
    def become_terminal_session():
        for sig in ignored_signals:
            signal.signal(sig, signal.SIG_IGN)
        os.setsid()
        os.close(os.open(tty_name, os.O_RDWR))  # the first tty a session leader opens
    return become_terminal_session


class Run:
    def __init__(self, stdout, returncode):
        self.stdout = stdout
        self.returncode = returncode


@contextlib.contextmanager
def work_folder(settings=None, extra_files=None, prefix="upgrade-sim-e2e-"):
    """A temporary working directory, removed afterwards.

    settings maps an INI file name (e.g. "SuccessProb.ini") to its text, str
    or bytes, written to CustomSettings/; None leaves out the folder
    entirely. extra_files(workdir) may add more."""
    workdir = tempfile.mkdtemp(prefix=prefix)
    try:
        if settings is not None:
            os.mkdir(os.path.join(workdir, "CustomSettings"))
            for name, text in settings.items():
                data = text.encode("utf-8") if isinstance(text, str) else text
                with open(os.path.join(workdir, "CustomSettings", name), "wb") as f:
                    f.write(data)
        if extra_files:
            extra_files(workdir)
        yield workdir
    finally:
        shutil.rmtree(workdir, ignore_errors=True)


def run_simulator(answers, settings=None, env=None, frozen_time=None, timeout=20,
                  extra_files=None, prefix=(), close_stdin=False, stdout=subprocess.PIPE,
                  output_limit=None):
    """Runs the simulator once without a controlling terminal.

    settings and extra_files make its working directory (work_folder).
    answers is the standard input, str or bytes. frozen_time ("YYYY-MM-DD
    hh:mm:ss", UTC) pins the clock that seeds the random source. close_stdin
    starts it with descriptor 0 closed; prefix runs it under another tool
    (valgrind); output_limit caps the size of a file written (RLIMIT_FSIZE,
    with SIGXFSZ ignored, so that writes past it fail)."""
    with work_folder(settings, extra_files) as workdir:
        run_env = base_env(**(env or {}))
        if frozen_time is not None:
            run_env.update({"LD_PRELOAD": faketime_library(), "FAKETIME": frozen_time,
                            "TZ": "UTC", "FAKETIME_DONT_FAKE_MONOTONIC": "1"})
            # The sanitizers' runtime wants to come first; libfaketime only
            # replaces the clock calls and coexists with it.
            if "ASAN_OPTIONS" in run_env:
                run_env["ASAN_OPTIONS"] += ":verify_asan_link_order=0"
        data = answers.encode("utf-8") if isinstance(answers, str) else answers

        def before_exec():
            if close_stdin:
                os.close(0)
            if output_limit is not None:
                signal.signal(signal.SIGXFSZ, signal.SIG_IGN)
                resource.setrlimit(resource.RLIMIT_FSIZE, (output_limit, output_limit))

        stdin = subprocess.DEVNULL if close_stdin else None  # replaced by the close
        proc = subprocess.run([*prefix, *EMULATOR, EXE], input=None if close_stdin else data,
                              stdin=stdin, stdout=stdout, stderr=subprocess.PIPE,
                              cwd=workdir, env=run_env, timeout=timeout,
                              start_new_session=True, preexec_fn=before_exec)
        if proc.stderr:
            raise AssertionError(f"unexpected standard error: {proc.stderr[:200]!r}")
        return Run(proc.stdout, proc.returncode)


class SimulatorTestCase(unittest.TestCase):
    maxDiff = None

    def assertRunOutput(self, run, expected_text, returncode=0, encoding="utf-8"):
        if WINDOWS:  # written as stored, whatever the locale, in text mode
            encoding = "cp1251"
            expected_text = expected_text.replace("\n", "\r\n")
        self.assertEqual(run.stdout.decode(encoding, errors="replace"), expected_text)
        self.assertEqual(run.stdout, expected_text.encode(encoding))
        self.assertEqual(run.returncode, returncode)

    def assertChanceLine(self, run, percent):
        line = f"Шанс успеха = {percent} %\n"
        if WINDOWS:
            line = line.replace("\n", "\r\n").encode("cp1251")
        else:
            line = line.encode()
        self.assertIn(line, run.stdout)


def main():
    global EXE, ODDS_EXE, EMULATOR, WINDOWS
    parser = argparse.ArgumentParser()
    parser.add_argument("--exe", required=True)
    parser.add_argument("--odds", help="the upgrade-odds executable")
    parser.add_argument("--emulator", help="runs the executable, e.g. wine")
    parser.add_argument("--windows", action="store_true", help="the Windows build's output")
    args, rest = parser.parse_known_args()
    EXE = os.path.abspath(args.exe)
    ODDS_EXE = os.path.abspath(args.odds) if args.odds else None
    EMULATOR = (args.emulator,) if args.emulator else ()
    WINDOWS = args.windows
    unittest.main(module="__main__", argv=[sys.argv[0]] + rest, verbosity=2)
