"""Hostile odds files, standard input and standard output: every case ends
in bounded time with a stated outcome."""

import os
import random
import shutil
import subprocess
import tempfile

from harness import (ATTEMPT_COUNT_QUESTION, ITEM_GRADE_QUESTION, SimulatorTestCase,
                     expected_output, ini_text, main, run_simulator)

ANSWERS = "2 3 1 2 6 6 6 6"       # grade 3, two taliks, four Т6 stones, level 1
TIMEOUT = 20                      # seconds; every case finishes far sooner
VALID_SUCCESS = ini_text(lambda g, u: 4)  # chance 120000, percent 120


def in_settings(workdir, name):
    return os.path.join(workdir, "CustomSettings", name)


class HostileOddsFiles(SimulatorTestCase):
    def assertReadsAsMissing(self, make_success_file):
        def build(workdir):
            os.makedirs(os.path.join(workdir, "CustomSettings"), exist_ok=True)
            make_success_file(in_settings(workdir, "SuccessProb.ini"))
        run = run_simulator(ANSWERS, settings={}, extra_files=build, timeout=TIMEOUT)
        self.assertRunOutput(run, expected_output(0, ["failed"] * 2))

    def test_a_directory_reads_as_missing(self):
        self.assertReadsAsMissing(os.mkdir)

    def test_a_fifo_reads_as_missing_without_blocking(self):
        self.assertReadsAsMissing(os.mkfifo)

    def test_a_link_to_dev_zero_reads_as_missing(self):
        self.assertReadsAsMissing(lambda path: os.symlink("/dev/zero", path))

    def test_a_dangling_link_reads_as_missing(self):
        self.assertReadsAsMissing(lambda path: os.symlink("/nonexistent/file.ini", path))

    def test_an_unreadable_file_reads_as_missing(self):
        if os.geteuid() == 0:
            self.skipTest("root reads every file")
        def unreadable(path):
            with open(path, "w") as f:
                f.write(VALID_SUCCESS)
            os.chmod(path, 0)
        self.assertReadsAsMissing(unreadable)

    def assertChanceFrom(self, success_file_bytes, percent, outcome):
        run = run_simulator(ANSWERS, {"SuccessProb.ini": success_file_bytes}, timeout=TIMEOUT)
        self.assertRunOutput(run, expected_output(percent, [outcome] * 2))

    def test_50_mb_of_random_bytes_after_a_valid_table(self):
        noise = random.Random(7).randbytes(50 * 1024 * 1024)
        self.assertChanceFrom(VALID_SUCCESS.encode() + noise, 120, "success")

    def test_50_mb_of_random_bytes_alone(self):
        noise = random.Random(8).randbytes(50 * 1024 * 1024)
        self.assertChanceFrom(noise, 0, "failed")

    def test_10_mb_lines_are_read_by_the_same_rules(self):
        # A 10 MB value saturates, and as the first of its key it hides the next.
        text = "[ItemGrade3]\nUpgradeLevel2=" + "7" * (10 * 1024 * 1024) + "\nUpgradeLevel2=4\n"
        self.assertChanceFrom(text, 2147483647 // 4 // 1000, "success")
        # A 10 MB section header ends the section before it.
        text = "[ItemGrade3]\n[" + "x" * (10 * 1024 * 1024) + "]\nUpgradeLevel2=4\n"
        self.assertChanceFrom(text, 0, "failed")
        text = "[ItemGrade3" + " " * (10 * 1024 * 1024) + "]\r" + "UpgradeLevel2=4\r"
        self.assertChanceFrom(text, 120, "success")

    def test_nul_bytes_inside_lines(self):
        text = b"[ItemGrade3]\nUpgrade\0Level2=9\nUpgradeLevel2=4\0\0garbage\n"
        self.assertChanceFrom(text, 120, "success")
        self.assertChanceFrom(b"[ItemGrade3\0]\nUpgradeLevel2=4\n", 0, "failed")

    def test_a_section_with_100000_keys(self):
        keys = "".join(f"Key{i}={i}\n" for i in range(100000))
        self.assertChanceFrom("[ItemGrade3]\n" + keys + "UpgradeLevel2=4\n", 120, "success")

    def test_a_value_of_10000_digits_saturates(self):
        text = "[ItemGrade3]\nUpgradeLevel2=" + "9" * 10000 + "\n"
        self.assertChanceFrom(text, 2147483647 // 4 // 1000, "success")

    def test_each_file_is_opened_and_read_once(self):
        if not shutil.which("strace"):
            self.skipTest("strace is not installed")
        trace = os.path.abspath("upgrade-sim-strace.log")
        self.addCleanup(lambda: os.path.exists(trace) and os.remove(trace))
        settings = {name: VALID_SUCCESS for name in
                    ("SuccessProb.ini", "DestroyProb.ini", "DowngradeProb.ini")}
        # LeakSanitizer cannot work under a tracer.
        env = {"ASAN_OPTIONS": os.environ["ASAN_OPTIONS"] + ":detect_leaks=0"} \
            if "ASAN_OPTIONS" in os.environ else {}
        run_simulator(ANSWERS, settings, timeout=TIMEOUT, env=env,
                      prefix=("strace", "-e", "trace=%file,read,lseek,pread64,close", "-o", trace))
        with open(trace) as f:
            calls = f.read().splitlines()
        for name in settings:
            opens = [i for i, call in enumerate(calls) if name in call]
            self.assertEqual(len(opens), 1, f"{name} opened more than once")
            fd = calls[opens[0]].rsplit("= ", 1)[1]
            used = []
            for call in calls[opens[0] + 1:]:
                if call.startswith(f"close({fd})"):
                    break
                if call.startswith((f"read({fd},", f"lseek({fd},", f"pread64({fd},")):
                    used.append(call)
            # One pass: plain reads only, the last one finding the end.
            self.assertTrue(used and all(c.startswith("read(") for c in used), used)
            self.assertTrue(used[-1].endswith("= 0"), used[-1])


class HostileStandardInput(SimulatorTestCase):
    def test_closed_standard_input_is_the_end_of_input(self):
        run = run_simulator("", {"SuccessProb.ini": VALID_SUCCESS}, close_stdin=True, timeout=TIMEOUT)
        self.assertRunOutput(run, ATTEMPT_COUNT_QUESTION, returncode=1)

    def test_binary_garbage_without_digits_is_never_an_answer(self):
        garbage = bytes(b for b in random.Random(9).randbytes(1024 * 1024) if not 0x30 <= b <= 0x39)
        run = run_simulator(garbage, timeout=TIMEOUT)
        self.assertRunOutput(run, ATTEMPT_COUNT_QUESTION, returncode=1)

    def test_binary_garbage_with_digits_ends_in_a_defined_way(self):
        garbage = random.Random(10).randbytes(1024 * 1024)
        run = run_simulator(garbage, timeout=TIMEOUT)
        self.assertIn(run.returncode, (0, 1))
        self.assertTrue(run.stdout.startswith((ATTEMPT_COUNT_QUESTION + ITEM_GRADE_QUESTION).encode()))

    def test_a_megabyte_of_blanks_and_no_number(self):
        run = run_simulator(" \t\n" * (1024 * 1024 // 3), timeout=TIMEOUT)
        self.assertRunOutput(run, ATTEMPT_COUNT_QUESTION, returncode=1)

    def test_a_number_of_10000_digits_is_dropped(self):
        run = run_simulator("9" * 10000 + " " + ANSWERS, {"SuccessProb.ini": VALID_SUCCESS},
                            timeout=TIMEOUT)
        self.assertRunOutput(run, expected_output(120, ["success"] * 2))


class HostileStandardOutput(SimulatorTestCase):
    def run_into(self, stdout):
        return run_simulator(ANSWERS, {"SuccessProb.ini": VALID_SUCCESS}, stdout=stdout,
                             timeout=TIMEOUT)

    def test_a_closed_pipe_ends_the_run_with_status_1(self):
        read_end, write_end = os.pipe()
        os.close(read_end)
        try:
            run = self.run_into(write_end)
        finally:
            os.close(write_end)
        self.assertEqual(run.returncode, 1)  # not killed by SIGPIPE

    def test_a_full_device_ends_the_run_with_status_1(self):
        with open("/dev/full", "wb") as full:
            self.assertEqual(self.run_into(full).returncode, 1)

    def test_output_that_fails_only_at_the_results_ends_with_status_1(self):
        # The file may grow by the questions and no further.
        questions = expected_output(0, []).split("Шанс успеха")[0].encode()
        with tempfile.TemporaryFile() as out:
            run = run_simulator(ANSWERS, {"SuccessProb.ini": VALID_SUCCESS}, stdout=out,
                                timeout=TIMEOUT, output_limit=len(questions))
            out.seek(0)
            self.assertEqual(out.read(), questions)
        self.assertEqual(run.returncode, 1)

    def test_a_file_receives_the_whole_output(self):
        with open(os.devnull, "wb") as null:
            self.assertEqual(self.run_into(null).returncode, 0)


if __name__ == "__main__":
    main()
