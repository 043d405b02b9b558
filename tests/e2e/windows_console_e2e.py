"""The Windows executable in a console (Wine's, on a pseudo-terminal): the
texts reach the screen readable, and the run waits for one key."""

import os
import pty
import re
import select
import shutil
import subprocess
import tempfile
import time
import tty
import unittest

import harness
from harness import SimulatorTestCase, ini_text, main


def screen_text(raw):
    """What a terminal shows of raw output, escape sequences removed."""
    return re.sub(r"\x1b\[[0-9;?]*[A-Za-z]|\x1b[()][A-Z0-9]|\x1b[=>]", "",
                  raw.decode("utf-8", errors="replace"))


class WindowsConsole(SimulatorTestCase):
    def setUp(self):
        self.workdir = tempfile.mkdtemp(prefix="upgrade-sim-console-")
        self.addCleanup(shutil.rmtree, self.workdir, True)
        os.mkdir(os.path.join(self.workdir, "CustomSettings"))
        with open(os.path.join(self.workdir, "CustomSettings", "SuccessProb.ini"), "w") as f:
            f.write(ini_text(lambda g, u: 4))
        self.master, slave = pty.openpty()
        # Wine's console takes keys raw and does its own echo, as in a terminal
        # emulator; a cooked pty would turn Enter into a line feed.
        tty.setraw(slave)
        self.addCleanup(os.close, self.master)

        self.proc = subprocess.Popen([*harness.EMULATOR, harness.EXE], stdin=slave, stdout=slave,
                                     stderr=slave, cwd=self.workdir,
                                     env=harness.base_env(TERM="xterm"),
                                     preexec_fn=harness.terminal_session(os.ttyname(slave)))
        os.close(slave)
        self.addCleanup(self.stop)
        self.raw = b""
        self.screen = ""

    def stop(self):
        if self.proc.poll() is None:
            self.proc.kill()
            self.proc.wait()

    def read_until(self, text, timeout=60):
        deadline = time.monotonic() + timeout
        while text not in self.screen and time.monotonic() < deadline:
            if select.select([self.master], [], [], 0.2)[0]:
                try:
                    self.raw += os.read(self.master, 65536)
                except OSError:
                    break
                self.screen = screen_text(self.raw)
        return text in self.screen

    def test_shows_the_texts_and_waits_for_one_key(self):
        self.assertTrue(self.read_until("от 1 до 100"), self.screen)
        os.write(self.master, b"2 0 1 0 6 6 6 6\r")
        self.assertTrue(self.read_until("нажмите любую клавишу"), self.screen)
        self.assertIn("Зелёный реликт", self.screen)
        self.assertIn("6:Т6", self.screen)
        self.assertIn("Шанс успеха = 120 %", self.screen)
        self.assertEqual(self.screen.count("+ Модификация успешна"), 2)
        time.sleep(1)
        self.assertIsNone(self.proc.poll(), "the run ended without a key")
        os.write(self.master, b"x")
        self.assertEqual(self.proc.wait(timeout=30), 0)


if __name__ == "__main__":
    main()
