"""A complete run with every kind of outcome line under valgrind's memcheck:
no memory error and no leak."""

from harness import (SimulatorTestCase, expected_output, ini_text, main, run_simulator,
                     seed_of)
from mt19937 import outcomes


class Memcheck(SimulatorTestCase):
    def test_a_full_run_has_no_memory_errors(self):
        settings = {"SuccessProb.ini": ini_text(lambda g, u: 100),
                    "DestroyProb.ini": ini_text(lambda g, u: 3000),
                    "DowngradeProb.ini": ini_text(lambda g, u: 4000)}
        memcheck = ("valgrind", "-q", "--error-exitcode=99", "--leak-check=full",
                    "--errors-for-leak-kinds=definite,indirect")
        run = run_simulator("100 3 50 2 3 3 2 0", settings, prefix=memcheck,
                            frozen_time="2026-12-08 10:00:00", timeout=120)
        expected = outcomes(seed_of("2026-12-08 10:00:00"), 100, 10687, 3000, 4000)
        self.assertRunOutput(run, expected_output(10, expected))


if __name__ == "__main__":
    main()
