"""upgrade-odds --check end to end: each finding's words, line number, CSV row
and severity, written out here, for files with every kind of line end; each
table's scale at its bounds; files missing, unreadable or of no text."""

import os
import subprocess

import harness
from harness import SimulatorTestCase, base_env, ini_text, main, work_folder

PLAIN = ini_text(lambda g, u: 100 + g + u)
LOSS_PLAIN = ini_text(lambda g, u: 10 * g + u)
DESTROY = "CustomSettings/DestroyProb.ini"


def run_check(settings, csv=False, extra_files=None, args=()):
    args = ["--csv", "--check", *args] if csv else ["--check", *args]
    with work_folder(settings, extra_files=extra_files, prefix="upgrade-odds-check-") as workdir:
        return subprocess.run([*harness.EMULATOR, harness.ODDS_EXE, *args], cwd=workdir,
                              stdin=subprocess.DEVNULL, capture_output=True, env=base_env(), timeout=60)


def text_lines(proc):
    text = proc.stdout.decode("cp1251" if harness.WINDOWS else "utf-8")
    return text.replace("\r\n", "\n").split("\n")[:-1]


def full_section(grade, value=1):
    return [f"[ItemGrade{grade}]"] + [f"UpgradeLevel{u}={value}" for u in range(7)]


# One DestroyProb.ini with a mistake of every kind: each line, and what
# --check must say of it (message, CSV finding, section, key, read_as,
# severity); None where nothing is wrong.
G0, G1 = "в [ItemGrade0]", "в [ItemGrade1]"
MISTAKES = [
    ("; the loss table", None),
    ("[ItemGrade0]", None),
    ("UpgradeLevel0=0", None),
    ("UpgradeLevel1=10000", None),
    ("UpgradeLevel2=10001", (f"значение 10001 UpgradeLevel2 {G0} - вне шкалы 0…10000: читается как есть",
                             "outside_scale", "ItemGrade0", "UpgradeLevel2", "10001", "error")),
    ("UpgradeLevel3=-1", (f"значение -1 UpgradeLevel3 {G0} - вне шкалы 0…10000: читается как есть",
                          "outside_scale", "ItemGrade0", "UpgradeLevel3", "-1", "error")),
    ("UpgradeLevel4=53%", (f"значение «53%» UpgradeLevel4 {G0} - не простое целое число: читается как 53",
                           "not_plain_number", "ItemGrade0", "UpgradeLevel4", "53", "error")),
    ('UpgradeLevel5="225"', (f"значение «\"225\"» UpgradeLevel5 {G0} в кавычках: читается как 225",
                             "quoted_value", "ItemGrade0", "UpgradeLevel5", "225", "note")),
    ("UpgradeLevel6=99999999999", (f"значение «99999999999» UpgradeLevel6 {G0} - целое число за пределами "
                                   "32 бит (-2147483648…2147483647): читается как 2147483647",
                                   "beyond_32_bits", "ItemGrade0", "UpgradeLevel6", "2147483647", "error")),
    ("UpgradeLevel6=5", None),  # line 10, told below: it names line 9
    ("[ItemGrade1]", None),
    ("UpgradeLevel0=abc", (f"значение «abc» UpgradeLevel0 {G1} - не число: читается как 0",
                           "not_a_number", "ItemGrade1", "UpgradeLevel0", "0", "error")),
    ("UpgradeLevel1=", (f"значение «» UpgradeLevel1 {G1} - пустое значение: читается как 0",
                        "empty_value", "ItemGrade1", "UpgradeLevel1", "0", "error")),
    ('UpgradeLevel2="7', (f"значение «\"7» UpgradeLevel2 {G1} - кавычка не закрыта: читается как 0",
                          "unclosed_quote", "ItemGrade1", "UpgradeLevel2", "0", "error")),
    ("UpgradeLevel3=+5", (f"значение «+5» UpgradeLevel3 {G1} записано не в простом виде: читается как 5",
                          "unusual_number", "ItemGrade1", "UpgradeLevel3", "5", "note")),
    ("UpgradeLevel4=5 ; five", (f"значение «5 ; five» UpgradeLevel4 {G1} - текст после числа (это не "
                                "комментарий: комментарий - отдельная строка с «;»): читается как 5",
                                "text_after_number", "ItemGrade1", "UpgradeLevel4", "5", "note")),
    ("UpgradeLevel5", (f"UpgradeLevel5 {G1} без «=»: читается как 0",
                       "key_without_value", "ItemGrade1", "UpgradeLevel5", "0", "error")),
    ("UpgradeLvl6=4", (f"ключ «UpgradeLvl6» {G1} - не UpgradeLevel0…UpgradeLevel6: не читается - может быть, "
                       "UpgradeLevel6?", "foreign_key", "ItemGrade1", "UpgradeLvl6", "", "error")),
    ("junk", ("строка «junk» - не раздел, не ключ и не комментарий: не читается",
              "stray_line", "ItemGrade1", "", "", "error")),
    ("# note", ("строка «# note» - не раздел, не ключ и не комментарий: не читается («#» здесь не начинает "
                "комментарий: комментарий начинается с «;»)", "stray_line", "ItemGrade1", "", "", "error")),
    ("[ItemGrade1]", ("второй раздел [ItemGrade1]: его ключи не читаются, читается раздел в строке 11",
                      "second_section", "ItemGrade1", "", "", "error")),
    ("UpgradeLevel6=3", None),
    ("[ItemGarde2]", ("раздел «[ItemGarde2]» - не ItemGrade0…ItemGrade10: его ключи не читаются - может быть, "
                      "ItemGrade2?", "foreign_section", "ItemGarde2", "", "", "error")),
    ("UpgradeLevel0=1", None),
    ("[ItemGrade11]", ("раздел «[ItemGrade11]» за пределами таблицы (ItemGrade0…ItemGrade10): его ключи не "
                       "читаются", "foreign_section", "ItemGrade11", "", "", "error")),
    ("[itemgrade3]", ("раздел «[itemgrade3]» читается как [ItemGrade3]; надёжнее так и писать",
                      "name_form", "ItemGrade3", "", "", "note")),
    ("UPGRADELEVEL0=1", ("ключ «UPGRADELEVEL0» читается как UpgradeLevel0; надёжнее так и писать",
                         "name_form", "ItemGrade3", "UpgradeLevel0", "", "note")),
] + [(f"UpgradeLevel{u}=1", None) for u in range(1, 7)] + [(line, None) for line in full_section(4)] + [
    ("[ItemGrade5", ("строка «[ItemGrade5» - раздел без «]»: не читается, и ключи после неё до следующего "
                     "раздела читаются в [ItemGrade4], а повторы в нём не читаются",
                     "unclosed_section", "ItemGrade4", "", "", "error")),
] + [(f"UpgradeLevel{u}=2", None) for u in range(7)] + [
    (line, None) for grade in range(6, 10) for line in full_section(grade)]
SECOND_KEY = (f"второй UpgradeLevel6 {G0}: не читается, читается строка 9", "second_key", "ItemGrade0",
              "UpgradeLevel6", "", "error")
GIVEN_NOWHERE = ("нет раздела [ItemGrade10]: все его значения 0", "cells_missing", "ItemGrade10", "", "0",
                 "error")


def expected_findings():
    """(line, finding) in line order, what is given nowhere last."""
    told = [(number, finding) for number, (_, finding) in enumerate(MISTAKES, 1) if finding]
    told = sorted(told + [(10, SECOND_KEY)], key=lambda pair: pair[0])
    return told + [(0, GIVEN_NOWHERE)]


def joined(lines, ends):
    return "".join(line + ends[i % len(ends)] for i, line in enumerate(lines))


class TableCheckTest(SimulatorTestCase):
    def test_each_finding_with_its_line_whatever_the_line_ends(self):
        texts = {
            "LF": joined([l for l, _ in MISTAKES], ["\n"]).encode(),
            "CR LF": joined([l for l, _ in MISTAKES], ["\r\n"]).encode(),
            "lone CR": joined([l for l, _ in MISTAKES], ["\r"]).encode(),
            # A lone CR, then LF lines and CR LF ones: each one line.
            "mixed": joined([l for l, _ in MISTAKES], ["\r", "\n", "\n", "\r\n"]).encode(),
            "UTF-16": b"\xff\xfe" + joined([l for l, _ in MISTAKES], ["\r\n"]).encode("utf-16-le"),
        }
        findings = expected_findings()
        self.assertEqual(len(findings), 22)
        for form, text in texts.items():
            with self.subTest(form=form):
                settings = {"SuccessProb.ini": PLAIN, "DestroyProb.ini": text, "DowngradeProb.ini": LOSS_PLAIN}
                proc = run_check(settings)
                self.assertEqual((proc.returncode, proc.stderr), (1, b""))
                self.assertEqual(text_lines(proc), [
                    f"{DESTROY}:{line}: {f[0]}" if line else f"{DESTROY}: {f[0]}" for line, f in findings] + [
                    f"{DESTROY}: 17 ошибок, 5 замечаний"])
                proc = run_check(settings, csv=True)
                self.assertEqual(proc.returncode, 1)
                rows = [row.split(",") for row in proc.stdout.decode("ascii").split("\n")[:-1]]
                self.assertEqual(rows, [["file", "line", "finding", "section", "key", "read_as", "severity"]] + [
                    [DESTROY, str(line) if line else "", *f[1:]] for line, f in findings])

    def test_each_scale_at_its_bounds(self):
        def one_value(value):
            return ini_text(lambda g, u: value if (g, u) == (3, 2) else 1)
        line = 3 * 8 + 4  # [ItemGrade3]'s UpgradeLevel2
        for name, scale in (("SuccessProb.ini", "success"), ("DestroyProb.ini", "loss"),
                            ("DowngradeProb.ini", "loss")):
            for value in (-1, 0, 10000, 10001, 2147483647):
                with self.subTest(name=name, value=value):
                    settings = {"SuccessProb.ini": PLAIN, "DestroyProb.ini": LOSS_PLAIN,
                                "DowngradeProb.ini": LOSS_PLAIN}
                    settings[name] = one_value(value)
                    proc = run_check(settings)
                    outside = value < 0 or (scale == "loss" and value > 10000)
                    if not outside:
                        self.assertEqual((proc.returncode, proc.stdout), (0, b""))
                        continue
                    words = "отрицательный вес успеха" if scale == "success" else "вне шкалы 0…10000"
                    self.assertEqual(proc.returncode, 1)
                    self.assertEqual(text_lines(proc), [
                        f"CustomSettings/{name}:{line}: значение {value} UpgradeLevel2 в [ItemGrade3] - {words}: "
                        "читается как есть", f"CustomSettings/{name}: 1 ошибка, 0 замечаний"])

    def test_notes_alone_are_no_error(self):
        quoted = ini_text(lambda g, u: f'"{100 + g}"')
        proc = run_check({"SuccessProb.ini": quoted, "DestroyProb.ini": LOSS_PLAIN, "DowngradeProb.ini": LOSS_PLAIN})
        self.assertEqual(proc.returncode, 0)
        lines = text_lines(proc)
        self.assertEqual(len(lines), 78)
        self.assertEqual(lines[-1], "CustomSettings/SuccessProb.ini: 0 ошибок, 77 замечаний")

    def test_one_finding_for_a_file_of_no_text(self):
        utf16 = PLAIN.replace("\n", "\r\n").encode("utf-16-le")  # without its byte-order mark
        proc = run_check({"SuccessProb.ini": utf16, "DestroyProb.ini": LOSS_PLAIN, "DowngradeProb.ini": LOSS_PLAIN})
        self.assertEqual(proc.returncode, 1)
        self.assertEqual(text_lines(proc), [
            "CustomSettings/SuccessProb.ini: текст в UTF-16 без метки порядка байтов (BOM): ни игра под Windows, "
            "ни эта программа не читают из него значений; сохраните файл как ANSI, UTF-8 или UTF-16 с BOM",
            "CustomSettings/SuccessProb.ini: 1 ошибка, 0 замечаний"])

    def test_many_findings_are_counted_past_those_listed(self):
        junk = PLAIN + "junk\n" * 1500
        proc = run_check({"SuccessProb.ini": junk, "DestroyProb.ini": LOSS_PLAIN, "DowngradeProb.ini": LOSS_PLAIN})
        lines = text_lines(proc)
        self.assertEqual(len(lines), 1002)
        self.assertEqual(lines[999], "CustomSettings/SuccessProb.ini:1088: строка «junk» - не раздел, не ключ и не "
                                     "комментарий: не читается")
        self.assertEqual(lines[1000:], ["CustomSettings/SuccessProb.ini: и ещё 500 (всего 1500)",
                                        "CustomSettings/SuccessProb.ini: 1500 ошибок, 0 замечаний"])
        rows = run_check({"SuccessProb.ini": junk, "DestroyProb.ini": LOSS_PLAIN, "DowngradeProb.ini": LOSS_PLAIN},
                         csv=True).stdout.decode("ascii").split("\n")
        self.assertEqual(rows[-2], "CustomSettings/SuccessProb.ini,,more_findings,,,500,")

    def test_in_english_where_asked(self):
        settings = {"SuccessProb.ini": PLAIN.replace("[ItemGrade3]", "[ItemGarde3]"), "DestroyProb.ini": LOSS_PLAIN}
        proc = run_check(settings, args=["--lang", "en"])
        self.assertEqual(proc.returncode, 1)
        self.assertEqual(text_lines(proc), [
            "CustomSettings/SuccessProb.ini:25: section “[ItemGarde3]” is not ItemGrade0…ItemGrade10: its keys are "
            "not read - did you mean ItemGrade3?",
            "CustomSettings/DowngradeProb.ini: no file: all values 0",
            "CustomSettings/SuccessProb.ini: 1 error, 0 notes",
            "CustomSettings/DowngradeProb.ini: 1 error, 0 notes"])

    def test_files_missing_unreadable_or_no_file(self):
        def make(kind):
            def extra(workdir):
                path = os.path.join(workdir, "CustomSettings", "DowngradeProb.ini")
                if kind == "folder":
                    os.mkdir(path)
                elif kind == "loop":
                    os.symlink("DowngradeProb.ini", path)
                elif kind == "other case":
                    with open(os.path.join(workdir, "CustomSettings", "downgradeprob.ini"), "w") as f:
                        f.write(LOSS_PLAIN)
            return extra
        words = {
            "missing": "файла нет: все значения 0",
            "folder": "это не файл, а папка или устройство: все значения 0",
        }
        if not harness.WINDOWS:
            words["loop"] = f"файл не читается ({os.strerror(40)}): все значения 0"
            words["other case"] = ("файла нет, но есть CustomSettings/downgradeprob.ini - игра под Windows его "
                                   "прочтёт, а здесь имя должно быть в точности CustomSettings/DowngradeProb.ini: "
                                   "все значения 0")
        for kind, message in words.items():
            with self.subTest(kind=kind):
                proc = run_check({"SuccessProb.ini": PLAIN, "DestroyProb.ini": LOSS_PLAIN},
                                 extra_files=make(kind))
                self.assertEqual(proc.returncode, 1)
                self.assertEqual(text_lines(proc), [f"CustomSettings/DowngradeProb.ini: {message}",
                                                    "CustomSettings/DowngradeProb.ini: 1 ошибка, 0 замечаний"])


if __name__ == "__main__":
    main()
