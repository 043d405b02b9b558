"""The final key press, under a real pseudo-terminal: answers come through a
pipe on standard input while the key comes from the controlling terminal."""

import os
import pty
import select
import signal
import subprocess
import termios
import time
import unittest

import harness
from harness import CLOSING_TEXT, SimulatorTestCase, expected_output, ini_text, main

ANSWERS = b"2 0 1 0 6 6 6 6\n"
SETTINGS_WEIGHT = 4  # chance 120000: both attempts succeed
EXPECTED = expected_output(120, ["success"] * 2).encode()


class TerminalRun:
    """The simulator with a fresh pty as its controlling terminal."""

    def __init__(self, answers=ANSWERS, ignored_signals=(), typed_ahead=b""):
        self.master, self.slave = pty.openpty()
        self.slave_name = os.ttyname(self.slave)
        if typed_ahead:
            # Typed before the run starts, and queued on the terminal before it
            # can reach the wait (the pty hands input over asynchronously).
            os.write(self.master, typed_ahead)
            deadline = time.monotonic() + 5
            while self.pending_input_bytes() == 0 and time.monotonic() < deadline:
                time.sleep(0.01)
            # Checked before the run starts: once it runs, it may flush them.
            assert self.pending_input_bytes() > 0, "the typed-ahead keys never reached the terminal"
        self.folder = harness.work_folder({"SuccessProb.ini": ini_text(lambda g, u: SETTINGS_WEIGHT)},
                                          prefix="upgrade-sim-pty-")
        self.workdir = self.folder.__enter__()
        self.settings_before = termios.tcgetattr(self.slave)
        self.proc = self.start(ignored_signals)
        self.proc.stdin.write(answers)
        self.proc.stdin.close()
        self.output = b""

    def start(self, ignored_signals):
        return subprocess.Popen(
            [harness.EXE], stdin=subprocess.PIPE, stdout=subprocess.PIPE,
            stderr=subprocess.PIPE, cwd=self.workdir,
            preexec_fn=harness.terminal_session(self.slave_name, ignored_signals),
            env=harness.base_env())

    def read_until_closing_text(self, timeout=10):
        deadline = time.monotonic() + timeout
        closing = CLOSING_TEXT.encode()
        while not self.output.endswith(closing) and time.monotonic() < deadline:
            ready, _, _ = select.select([self.proc.stdout], [], [], 0.1)
            if ready:
                chunk = os.read(self.proc.stdout.fileno(), 65536)
                if not chunk:
                    break
                self.output += chunk
        return self.output

    def wait_until_raw(self, timeout=5):
        """The terminal settings once the wait for a key has begun."""
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            settings = termios.tcgetattr(self.slave)
            if not settings[3] & termios.ICANON:
                return settings
            time.sleep(0.02)
        return termios.tcgetattr(self.slave)

    def wait_until_draining(self, timeout=5):
        """Waits until the first byte of a key is in and the rest is awaited
        with a timeout (or the run has ended)."""
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline and self.proc.poll() is None:
            if termios.tcgetattr(self.slave)[6][termios.VMIN] in (0, b"\x00"):
                return
            time.sleep(0.002)

    def finish(self, timeout=10):
        try:
            self.proc.wait(timeout=timeout)
        finally:
            if self.proc.poll() is None:
                self.proc.kill()
                self.proc.wait()
        self.output += self.proc.stdout.read()
        self.proc.stdout.close()
        self.proc.stderr.close()
        return self.proc.returncode

    def terminal_output(self):
        """What the run wrote to its terminal (not to standard output)."""
        written = b""
        while select.select([self.master], [], [], 0.2)[0]:
            try:
                chunk = os.read(self.master, 4096)
            except OSError:
                break
            if not chunk:
                break
            written += chunk
        return written

    def leftover_input(self):
        """What the next reader of the terminal would get: read without
        canonical mode, which would hide an unfinished line from FIONREAD."""
        settings = termios.tcgetattr(self.slave)
        raw = list(settings)
        raw[3] &= ~termios.ICANON
        raw[6] = list(settings[6])
        raw[6][termios.VMIN] = 0
        raw[6][termios.VTIME] = 0
        termios.tcsetattr(self.slave, termios.TCSANOW, raw)
        try:
            left = b""
            while True:
                chunk = os.read(self.slave, 4096)
                if not chunk:
                    return left
                left += chunk
        finally:
            termios.tcsetattr(self.slave, termios.TCSANOW, settings)

    def pending_input_bytes(self):
        import fcntl
        import struct
        data = fcntl.ioctl(self.slave, termios.FIONREAD, struct.pack("i", 0))
        return struct.unpack("i", data)[0]

    def close(self):
        for fd in (self.master, self.slave):
            try:
                os.close(fd)
            except OSError:
                pass
        self.folder.__exit__(None, None, None)


# Starts the simulator as a job of its own in a session on the given
# terminal, as a shell would: a stop signal then really stops it (the
# process group of a session leader alone is orphaned, and is never
# stopped). Writes the simulator's pid to a pipe, then waits for it.
JOB_LAUNCHER = r"""
import os, signal, sys
tty, exe, pid_fd = sys.argv[1], sys.argv[2], int(sys.argv[3])
os.setsid()
terminal = os.open(tty, os.O_RDWR)
child = os.fork()
if child == 0:
    os.setpgid(0, 0)
    signal.signal(signal.SIGTTOU, signal.SIG_IGN)
    os.tcsetpgrp(terminal, os.getpid())
    signal.signal(signal.SIGTTOU, signal.SIG_DFL)
    os.close(terminal)
    os.close(pid_fd)
    os.execv(exe, [exe])
os.write(pid_fd, str(child).encode())
os.close(pid_fd)
while True:
    _, status = os.waitpid(child, os.WUNTRACED | os.WCONTINUED)
    if os.WIFEXITED(status):
        sys.exit(os.WEXITSTATUS(status))
    if os.WIFSIGNALED(status):
        sys.exit(128 + os.WTERMSIG(status))
"""


class JobRun(TerminalRun):
    """The simulator as the foreground job of a session on a fresh pty."""

    def start(self, ignored_signals):
        pid_read, pid_write = os.pipe()
        proc = subprocess.Popen(
            ["python3", "-c", JOB_LAUNCHER, self.slave_name, harness.EXE, str(pid_write)],
            stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
            cwd=self.workdir, pass_fds=(pid_write,), env=harness.base_env())
        os.close(pid_write)
        with os.fdopen(pid_read) as pid_pipe:
            self.pid = int(pid_pipe.read())
        return proc

    def state(self):
        with open(f"/proc/{self.pid}/stat") as f:
            return f.read().rsplit(")", 1)[1].split()[0]

    def wait_for_state(self, wanted, timeout=5):
        deadline = time.monotonic() + timeout
        while self.state() != wanted and time.monotonic() < deadline:
            time.sleep(0.02)
        return self.state()


def assert_key_ends_the_run(test, term, key=b"k"):
    """One key ends the wait with status 0 and the terminal as it was."""
    os.write(term.master, key)
    test.assertEqual(term.finish(), 0)
    test.assertEqual(termios.tcgetattr(term.slave), term.settings_before)


class TypedAheadAndSuspend(SimulatorTestCase):
    def test_an_extra_line_typed_with_the_answers_is_not_the_key(self):
        term = TerminalRun(typed_ahead=b"\r")  # a second Enter, before the results are out
        self.addCleanup(term.close)
        self.assertEqual(term.read_until_closing_text(), EXPECTED)
        term.wait_until_raw()
        time.sleep(0.5)
        self.assertIsNone(term.proc.poll(), "the typed-ahead Enter ended the wait")
        assert_key_ends_the_run(self, term)

    def test_ctrl_s_and_ctrl_q_are_keys(self):
        for key in (b"\x13", b"\x11"):
            with self.subTest(key=key):
                term = TerminalRun()
                self.addCleanup(term.close)
                term.read_until_closing_text()
                term.wait_until_raw()
                assert_key_ends_the_run(self, term, key)

    def test_suspend_and_resume_during_the_wait(self):
        job = JobRun()
        self.addCleanup(job.close)
        self.assertEqual(job.read_until_closing_text(), EXPECTED)
        job.wait_until_raw()
        # Ctrl-Z twice: the second stop must give the terminal back as well.
        for stop in (signal.SIGTSTP, signal.SIGTSTP, signal.SIGTTIN, signal.SIGTTOU):
            with self.subTest(signal=stop.name):
                os.kill(job.pid, stop)
                self.assertEqual(job.wait_for_state("T"), "T")
                self.assertEqual(termios.tcgetattr(job.slave), job.settings_before,
                                 "the terminal is given back while stopped")
                os.kill(job.pid, signal.SIGCONT)
                self.assertNotEqual(job.wait_for_state("S"), "T")
                raw = job.wait_until_raw()
                self.assertFalse(raw[3] & (termios.ECHO | termios.ICANON), "back in the key wait")
                time.sleep(0.2)
                self.assertIsNone(job.proc.poll())
        assert_key_ends_the_run(self, job)


class KeyPress(SimulatorTestCase):
    def setUp(self):
        self.term = TerminalRun()
        self.addCleanup(self.term.close)

    def test_waits_after_the_closing_text_with_echo_off_until_one_key(self):
        self.assertEqual(self.term.read_until_closing_text(), EXPECTED)
        raw = self.term.wait_until_raw()
        self.assertFalse(raw[3] & termios.ECHO, "echo must be off during the wait")
        self.assertFalse(raw[3] & termios.ICANON, "no waiting for Enter")
        time.sleep(0.3)
        self.assertIsNone(self.term.proc.poll(), "the run ended without a key")
        os.write(self.term.master, b"x")
        self.assertEqual(self.term.finish(), 0)
        self.assertEqual(self.term.output, EXPECTED)
        self.assertEqual(termios.tcgetattr(self.term.slave), self.term.settings_before)

    def test_the_prompt_after_the_key_starts_on_a_line_of_its_own(self):
        self.term.read_until_closing_text()
        self.term.wait_until_raw()
        os.write(self.term.master, b"q")
        self.assertEqual(self.term.finish(), 0)
        self.assertEqual(self.term.output, EXPECTED)  # standard output keeps its bytes
        self.assertEqual(self.term.terminal_output(), b"\r\n")  # the line break went to the terminal

    def test_a_paste_during_the_wait_is_not_left_for_the_shell(self):
        self.term.read_until_closing_text()
        self.term.wait_until_raw()
        os.write(self.term.master, b"clear; ../build/release/upgrade-odds --help\r" + b"x" * 154)
        self.assertEqual(self.term.finish(), 0)
        self.assertEqual(termios.tcgetattr(self.term.slave), self.term.settings_before)
        self.assertEqual(self.term.leftover_input(), b"")

    def test_ctrl_c_is_a_key_like_any_other(self):
        self.term.read_until_closing_text()
        self.term.wait_until_raw()
        assert_key_ends_the_run(self, self.term, b"\x03")

    def test_a_multi_byte_key_is_one_key_and_leaves_nothing_behind(self):
        self.term.read_until_closing_text()
        self.term.wait_until_raw()
        os.write(self.term.master, b"\x1b[A")  # arrow up
        self.assertEqual(self.term.finish(), 0)
        self.assertEqual(termios.tcgetattr(self.term.slave), self.term.settings_before)
        self.assertEqual(self.term.leftover_input(), b"")

    def test_the_late_bytes_of_a_key_are_read_off_too(self):
        # A slow link sends the arrow's escape first and the rest a moment later.
        self.term.read_until_closing_text()
        self.term.wait_until_raw()
        os.write(self.term.master, b"\x1b")
        self.term.wait_until_draining()
        os.write(self.term.master, b"[A")
        self.assertEqual(self.term.finish(), 0)
        self.assertEqual(self.term.leftover_input(), b"")

    def test_answers_left_on_standard_input_are_not_the_key(self):
        # Standard input still holds more answers after the last one, then ends.
        self.term = TerminalRun(ANSWERS + b"9 9 9\n")
        self.addCleanup(self.term.close)
        self.term.read_until_closing_text()
        self.term.wait_until_raw()
        time.sleep(0.3)
        self.assertIsNone(self.term.proc.poll())
        os.write(self.term.master, b" ")
        self.assertEqual(self.term.finish(), 0)

    def test_termination_signals_restore_the_terminal(self):
        for sig in (signal.SIGTERM, signal.SIGHUP, signal.SIGINT, signal.SIGQUIT):
            with self.subTest(signal=sig.name):
                term = self.term if sig == signal.SIGTERM else TerminalRun()
                if term is not self.term:
                    self.addCleanup(term.close)
                term.read_until_closing_text()
                term.wait_until_raw()
                term.proc.send_signal(sig)
                self.assertEqual(term.finish(), -sig)
                self.assertEqual(termios.tcgetattr(term.slave), term.settings_before)

    def test_signals_ignored_from_the_start_stay_ignored(self):
        term = TerminalRun(ignored_signals=(signal.SIGTERM,))
        self.addCleanup(term.close)
        term.read_until_closing_text()
        term.wait_until_raw()
        term.proc.send_signal(signal.SIGTERM)
        time.sleep(0.3)
        self.assertIsNone(term.proc.poll(), "an ignored SIGTERM ended the run")
        assert_key_ends_the_run(self, term)

    def test_a_terminal_that_hangs_up_ends_the_wait(self):
        self.term.read_until_closing_text()
        self.term.wait_until_raw()
        os.close(self.term.slave)
        os.close(self.term.master)
        self.assertIn(self.term.finish(timeout=10), (0, -signal.SIGHUP))


class NoTerminal(SimulatorTestCase):
    def test_without_a_controlling_terminal_there_is_no_wait(self):
        started = time.monotonic()
        run = harness.run_simulator(ANSWERS, {"SuccessProb.ini": ini_text(lambda g, u: SETTINGS_WEIGHT)},
                                    timeout=10)
        self.assertRunOutput(run, EXPECTED.decode())
        self.assertLess(time.monotonic() - started, 10)


if __name__ == "__main__":
    main()
