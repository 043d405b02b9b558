// The page's figures at their extremes, in headless Chromium and Firefox,
// each against upgrade-odds --csv on the same tables: prices of 10^12, a
// journey that never reaches its target, and free steps. Every figure is
// plain grouped digits (never an exponent, "NaN" or "undefined"), a whole
// count with every digit, a rounded figure marked "≈", a budget never
// below the program's, and what never comes the word for "never". Every
// test waits for a state of the page, never for a time.
import { test, describe } from "node:test";
import assert from "node:assert/strict";
import { execFileSync } from "node:child_process";
import fs from "node:fs";
import os from "node:os";
import path from "node:path";
import { args, source, only, pageForTests, settledIn, openIn, plainSign } from "./browser.mjs";

const nativeOdds = path.resolve(args["upgrade-odds"] ?? path.join(source, "build/test/upgrade-odds"));
const examples = path.join(source, "examples/CustomSettings");

const tableNames = ["SuccessProb.ini", "DestroyProb.ini", "DowngradeProb.ini"];
function folderWith(names) {
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), "upgrade-sim-extremes-"));
  fs.mkdirSync(path.join(dir, "CustomSettings"));
  for (const name of names) fs.copyFileSync(path.join(examples, name), path.join(dir, "CustomSettings", name));
  return dir;
}
// upgrade-odds --csv --plan's rows, each a map from its header's names.
function csvPlan(dir, words) {
  const lines = execFileSync(nativeOdds, ["--csv", "--plan", ...words], { cwd: dir,
    env: { PATH: process.env.PATH, LC_ALL: "C.UTF-8" }, stdio: ["ignore", "pipe", "ignore"] }).toString("utf8").trim().split("\n");
  const header = lines[0].split(",");
  return lines.slice(1).map((line) => Object.fromEntries(line.split(",").map((v, i) => [header[i], v])));
}

const NBSP = "\u00a0", MARK = "≈";
// Plain digits, the whole part grouped in threes from five digits on.
const plainForm = /^-?(\d{1,4}|\d{2,3}(\u00a0\d{3})+|\d(\u00a0\d{3}){2,})(\.\d+)?$/;
const bad = /e\+|e-\d|NaN|undefined|Infinity|null/;
const grouped = (digits) => (digits.length < 5 ? digits : digits.replace(/\B(?=(\d{3})+(?!\d))/g, NBSP));
// A figure's text: its mark and its number.
function read(text, what) {
  assert.doesNotMatch(text, bad, what);
  const marked = text.startsWith(MARK), plain = marked ? text.slice(MARK.length) : text;
  assert.match(plain, plainForm, `${what}: "${text}" is not a plain grouped number`);
  const whole = plain.split(".")[0].replace(/\D/g, "");
  // Zeros standing for digits not shown: only in a figure marked rounded.
  const padded = whole.length > 6 && /0{4,}$/.test(whole);
  if (padded) assert.ok(marked, `${what}: "${text}" is rounded and unmarked`);
  return { marked, value: Number(plain.replaceAll(NBSP, "")), plain };
}
// A figure of a double: the program's value to the digits shown.
function assertNear(text, csv, what) {
  const { value, plain } = read(text, what);
  const decimals = plain.includes(".") ? plain.split(".")[1].length : 0;
  const whole = plain.split(".")[0].replace(/\D/g, "");
  const zeros = /0*$/.exec(whole)[0].length;
  const unit = decimals ? 10 ** -decimals : 10 ** (whole.length > 6 ? zeros : 0);
  const truth = Number(csv);
  assert.ok(Math.abs(value - truth) <= unit / 2 + Math.abs(truth) * 2 ** -52, `${what}: shows ${text}, is ${csv}`);
}
// A count: every digit, as the program writes it.
function assertCount(text, csv, what) {
  assert.doesNotMatch(text, bad, what);
  assert.equal(text, grouped(csv), what);
}
// A budget: the program's, or rounded up from it and marked.
function assertBudget(text, csv, error, what) {
  const { marked, value } = read(text, what);
  assert.ok(value >= Number(csv), `${what}: ${text} below ${csv}`);
  if (Number(error) === 0 && Number(csv) < 2 ** 53) assert.equal(text, grouped(csv), what);
  else {
    assert.ok(marked, `${what}: ${text} for ${csv} ± ${error}`);
    assert.ok(value <= Number(csv) * (1 + Number(error) + 1e-15), `${what}: ${text} above ${csv} + ${error}`);
  }
}

// A bound of the CSV as the legend's percent: two significant digits and
// every whole one, rounded up, from the field's own decimal digits.
function percentAtMost(field) {
  const [whole, fraction = ""] = field.split(".");
  const scale = 10n ** BigInt(fraction.length), percent = 100n * BigInt(whole + fraction);
  let places = 0;
  while (percent * 10n ** BigInt(places) < 10n * scale) places++;
  const digits = ((percent * 10n ** BigInt(places) + scale - 1n) / scale).toString().padStart(places + 1, "0");
  return places ? (digits.slice(0, -places) + "." + digits.slice(-places)).replace(/\.?0+$/, "") : digits;
}

const priced = (p, attempt, item) => `&prices=${Array(6).fill(p).join(",")}&attempt_price=${attempt}&item_price=${item}`;
const priceWords = (p, attempt, item) => ["--prices", Array(6).fill(p).join(","), "--attempt-price", String(attempt),
  "--item-price", String(item)];

for (const [name, launch] of Object.entries(only)) {
  describe(name, () => {
    let page;
    const problems = [];
    const settled = () => settledIn(page);
    const open = (fragment) => openIn(page, fragment);
    const text = (selector) => page.$eval(selector, (el) => el.textContent).then(plainSign);
    // The journey's rows by the headings, and the answer's figures by label.
    const journeyRows = () => page.$$eval("#journey tbody tr", (rows) => rows.map((r) =>
      Object.fromEntries(Array.from(r.cells).map((c, i) => [r.closest("table").tHead.rows[0].cells[i].textContent, c.textContent])))).then(plainSign);
    const figures = () => page.$$eval("#figures dt", (terms) => Object.fromEntries(terms.map((dt) =>
      [dt.textContent, dt.parentElement.querySelector("dd").textContent]))).then(plainSign);
    async function examplesBack() {
      await page.click("#examples");
      await settled();
      await page.waitForFunction(() => Array.from(document.querySelectorAll("#files li")).every((li) => /пример|example/.test(li.textContent)));
    }

    // Every shown figure of the journey against the program's row: the
    // headings are the Russian page's.
    function checkRows(rows, csv, never) {
      assert.equal(rows.length, csv.length);
      rows.forEach((row, t) => {
        const c = csv[t], at = (what) => `row ${t} ${what}`;
        for (const cell of Object.values(row)) assert.doesNotMatch(cell, bad, at("cell"));
        assert.equal(row["Т"], c.talik_count);
        assert.equal(row["Камни"], c.stones);
        assertNear(row["Успех %"], 100 * Number(c.success), at("success"));
        assertNear(row["Дойти %"], 100 * Number(c.reach_probability), at("reach"));
        const figures = [["Попыток", "expected_attempts", assertNear], ["Попыток с новыми", "expected_attempts_with_new_items", assertNear],
          ["Потерь", "expected_items_destroyed", assertNear], ["На 50 %", "attempts_for_50", assertCount],
          ["На 90 %", "attempts_for_90", assertCount], ["На 99 %", "attempts_for_99", assertCount],
          ["Предметов на 90 %", "items_for_90", assertCount], ["Цена", "expected_cost", assertNear],
          ["Бюджет на 90 %", "budget_for_90", (shown, value, what) => assertBudget(shown, value, c.budget_rel_error, what)]];
        for (const [heading, column, check] of figures) {
          if (!(heading in row) && column === "expected_cost") continue;
          // What never comes: the program's empty field, the page's word.
          if (c[column] === "") assert.equal(row[heading], never, at(heading));
          else check(row[heading], c[column], at(heading));
        }
      });
    }

    pageForTests(launch, { width: 1280, height: 800 }, problems, (made) => { page = made.page; });

    test("prices of 10^12 a stone, an attempt and an item: every figure as the program's, rounded ones marked", async () => {
      const dir = folderWith(tableNames);
      for (const [grade, taliks] of [[10, 1], [2, 0]]) {
        await open(`attempts=3&grade=${grade}&level=65&taliks=${taliks}&stones=3320&target=7` + priced(1e12, 1e12, 1e12));
        const csv = csvPlan(dir, [...priceWords(1e12, 1e12, 1e12), String(grade), "65", "7", "3", "3", "2", "0"]);
        const rows = await journeyRows();
        checkRows(rows, csv, "никогда");
        const shown = await figures();
        for (const value of Object.values(shown)) assert.doesNotMatch(value, bad);
        assert.equal(shown["Бюджет, которого хватит на 90 %"], rows[taliks]["Бюджет на 90 %"]);
        assert.equal(shown["Цена в среднем до цели"], rows[taliks]["Цена"]);
        assert.equal(shown["Предметов хватит на 90 %"], rows[taliks]["Предметов на 90 %"]);
        for (const id of ["#stock", "#chart-caption", "#cheapest-text", "#strategy"]) assert.doesNotMatch(await text(id), bad, id);
        assert.match(await text("#strategy"), /«≈»/);
      }
    });

    test("a wide bracket: the legend says by how much at most the budgets are above, the program's bound rounded up, in each language", async () => {
      // A journey whose widest bracket is a 90 % budget's, the level shown.
      const prices = ["--prices", "1,3000,64000,10,3000,50", "--attempt-price", "15", "--item-price", "30000000"];
      const csv = csvPlan(folderWith(tableNames), [...prices, "7", "65", "5", "3", "3", "2", "0"]);
      const widest = csv.map((row) => row.budget_rel_error).reduce((a, b) => (Number(b) > Number(a) ? b : a));
      assert.ok(Number(widest) > 1e-3, widest);
      const percent = percentAtMost(widest);
      for (const [lang, legend] of [["", `«≈» — бюджет округлён вверх: его хватит наверняка, и он больше точного не более чем на ${percent} %.`],
        ["&lang=en", `“≈”: the budget is rounded up: it surely suffices, at most ${percent} % more than the exact one.`]]) {
        await open("attempts=3&grade=7&level=65&taliks=0&stones=3320&target=5&prices=1,3000,64000,10,3000,50" +
          "&attempt_price=15&item_price=30000000" + lang);
        const strategy = await text("#strategy");
        assert.ok(strategy.endsWith(" " + legend), strategy);
      }
    });

    test("a journey that never reaches its target: every count, budget and cost says never, in each language", async () => {
      const dir = folderWith(tableNames.slice(1));
      const csv = csvPlan(dir, [...priceWords(10, 5, 5000), "2", "50", "3", "3", "3", "2", "0"]);
      assert.equal(csv[0].expected_attempts, "");
      for (const [lang, never] of [["", "никогда"], ["&lang=en", "never"]]) {
        await open("attempts=3&grade=2&level=50&taliks=1&stones=3320&target=3" + priced(10, 5, 5000) + lang);
        // Only the loss tables loaded: no SuccessProb.ini, every weight 0.
        const folder = fs.mkdtempSync(path.join(os.tmpdir(), "upgrade-sim-extremes-"));
        const files = tableNames.slice(1).map((n) => { fs.copyFileSync(path.join(examples, n), path.join(folder, n)); return path.join(folder, n); });
        await (await page.$("#load-files")).uploadFile(...files);
        await page.waitForFunction(() => document.getElementById("files").textContent.includes("SuccessProb.ini:") &&
          !document.getElementById("files").textContent.match(/SuccessProb\.ini: (пример|example)/));
        await settled();
        const shown = await figures(), rows = await journeyRows();
        const values = Object.values(shown);
        for (const value of values) assert.doesNotMatch(value, bad);
        // The reach, a chance, is 0 %; every figure after it never comes.
        assert.equal(values[2], "0 %");
        assert.deepEqual(values.slice(3), values.slice(3).map(() => never));
        if (lang === "") checkRows(rows, csv, never);
        else rows.forEach((row) => Object.values(row).slice(4).forEach((cell) => assert.equal(cell, never)));
        assert.match(await text("#stock"), new RegExp(`^\\D+1\\D+: (\\S+ ${never}(, |\\.$))+`));
        assert.doesNotMatch(await text("#chart-caption"), bad);
        assert.equal(await page.$$eval("#chart polyline", (lines) => lines.length), 0);
        await examplesBack();
      }
    });

    test("free steps: every price 0, every budget and cost 0, the counts as the program's", async () => {
      const dir = folderWith(tableNames);
      await open("attempts=3&grade=2&level=50&taliks=1&stones=3320&target=3" + priced(0, 0, 0));
      const csv = csvPlan(dir, [...priceWords(0, 0, 0), "2", "50", "3", "3", "3", "2", "0"]);
      const rows = await journeyRows();
      checkRows(rows, csv, "никогда");
      rows.forEach((row) => { assert.equal(row["Цена"], "0"); assert.equal(row["Бюджет на 90 %"], "0"); });
      const shown = await figures();
      assert.equal(shown["Бюджет, которого хватит на 90 %"], "0");
      assert.equal(shown["Цена в среднем до цели"], "0");
      await page.click("#run-journey");
      await page.waitForFunction(() => document.getElementById("run-summary").textContent !== "");
      assert.match(await text("#run-summary"), /; Потрачено: 0; /);
    });
  });
}
