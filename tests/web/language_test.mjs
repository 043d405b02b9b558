// The page's two languages in real browsers (headless Chromium and Firefox):
// in English every word the page shows is English, the markup's, the
// script's and the module's alike, but for each language's own name in the
// switch; in Russian the same places read Russian. Every test waits for a
// state of the page, never for a time.
import { test, describe } from "node:test";
import assert from "node:assert/strict";
import { spawnSync } from "node:child_process";
import fs from "node:fs";
import os from "node:os";
import path from "node:path";
import { args, source, only, pageForTests, settledIn, openIn, moduleFacts, plainSign, setFieldIn } from "./browser.mjs";

const nativeOdds = path.resolve(args["upgrade-odds"] ?? path.join(source, "build/test/upgrade-odds"));
const tableNames = ["SuccessProb.ini", "DestroyProb.ini", "DowngradeProb.ini"];
const exampleFiles = Object.fromEntries(tableNames.map((name) =>
  [name, fs.readFileSync(path.join(source, "examples/CustomSettings", name))]));
// What upgrade-odds --check says of these files, line by line.
function nativeFindings(files, lang) {
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), "upgrade-sim-check-"));
  fs.mkdirSync(path.join(dir, "CustomSettings"));
  for (const [name, bytes] of Object.entries(files)) fs.writeFileSync(path.join(dir, "CustomSettings", name), bytes);
  const run = spawnSync(nativeOdds, ["--check", "--lang", lang], { cwd: dir, env: { PATH: process.env.PATH } });
  return run.stdout.toString("utf8").trimEnd().split("\n");
}

const cyrillic = /[\u0400-\u04ff]/;
// A priced set-up with a seed: the answer, a rounded budget, the cheapest
// stones and a simulation, all on the first screen.
const setUp = "attempts=3&grade=2&level=50&taliks=1&stones=3320&target=6&seed=5" +
  "&prices=10,20,40,80,200,1000&attempt_price=5&item_price=5000&budget=40000";

for (const [name, launch] of Object.entries(only)) {
  describe(name, () => {
    let page;
    const problems = [];
    const settled = () => settledIn(page);
    const open = (fragment) => openIn(page, fragment);
    const text = (selector) => page.$eval(selector, (el) => el.textContent).then(plainSign);
    // The words in Cyrillic letters the page shows, less the switch's
    // languages, each named in its own.
    const russianWords = () => page.evaluate((pattern) => {
      const own = Array.from(document.querySelectorAll("#lang option"), (o) => o.text);
      const words = document.body.innerText.match(new RegExp(pattern + "+", "g")) ?? [];
      return words.filter((w) => !own.includes(w));
    }, cyrillic.source);
    const setField = (id, value) => setFieldIn(page, id, value);

    pageForTests(launch, { width: 360, height: 740 }, problems, (made) => { page = made.page; });

    test("in English, nothing the page shows is Russian: answer, journey, simulation, editor, messages", async () => {
      await open(setUp + "&lang=en");
      await page.waitForFunction(() => document.getElementById("sim-lines").children.length === 3);
      // The journey unfolded, played out, the editor open with a bad cell.
      await page.click("#journey-more");
      await page.waitForFunction(() => document.getElementById("journey").classList.contains("unfolded"));
      await page.click("#run-journey");
      await page.waitForFunction(() => document.getElementById("run-summary").textContent !== "");
      await page.click("#editor summary");
      const cell = "input[aria-label='SuccessProb ItemGrade2 UpgradeLevel1']";
      await page.waitForFunction((selector) => document.querySelector(selector).value !== "", {}, cell);
      await page.$eval(cell, (el) => { el.value = "12x"; el.dispatchEvent(new Event("input", { bubbles: true })); });
      await page.waitForFunction(() => document.getElementById("cell-error").textContent !== "");
      // Each budget shown within the small tolerance: only a little above.
      assert.ok((await text("#strategy")).endsWith(" “≈”: the budget is rounded up: it surely suffices, only a little more than the exact one."));
      assert.match(await text("#chance-line"), /^\S.* = \d+ %$/);
      assert.deepEqual(await russianWords(), []);
      assert.match(await text("#cell-error"), /«12x».* -2147483648 .* 2147483647.* 124\.$/);
      for (const selector of ["#stone_sets", "#seed"]) {
        assert.doesNotMatch(await page.$eval(selector, (el) => el.placeholder), cyrillic, selector);
      }
      const labels = await page.$$eval("[aria-label]", (all) => all.map((el) => el.getAttribute("aria-label")));
      assert.deepEqual(labels.filter((l) => cyrillic.test(l)), []);
      // A file too large, refused in English.
      const uploads = fs.mkdtempSync(path.join(os.tmpdir(), "upgrade-sim-upload-"));
      fs.writeFileSync(path.join(uploads, "DestroyProb.ini"), Buffer.alloc(17 << 20, 0x20));
      await (await page.$("#load-files")).uploadFile(path.join(uploads, "DestroyProb.ini"));
      await page.waitForFunction(() => document.getElementById("tables-error").textContent !== "");
      assert.match(await text("#tables-error"), /DestroyProb\.ini \(17 MB\).* 16 MB/);
      assert.deepEqual(await russianWords(), []);
      await page.click("#examples");
      await settled();
    });

    test("stored tables that cannot be used are dropped with a word in the page's language", async () => {
      await open(setUp + "&lang=en");
      await page.evaluate(() => localStorage.setItem("upgrade-sim-tables-2", "not json"));
      await page.reload();
      await page.waitForSelector("body[data-ready=true]");
      await settled();
      assert.notEqual(await text("#tables-error"), "");
      assert.deepEqual(await russianWords(), []);
      await page.click("#examples");
      await settled();
    });

    test("findings and messages shown follow a switch of language, both ways", async () => {
      const faulty = exampleFiles["SuccessProb.ini"].toString("utf8").replace("[ItemGrade2]", "[ItemGrade 2]")
        .replace("UpgradeLevel1=", "UpgradeLevel1=53%");
      const files = { ...exampleFiles, "SuccessProb.ini": Buffer.from(faulty) };
      const uploads = fs.mkdtempSync(path.join(os.tmpdir(), "upgrade-sim-upload-"));
      for (const [name, bytes] of Object.entries(files)) fs.writeFileSync(path.join(uploads, name), bytes);
      await open(setUp);
      await (await page.$("#load-files")).uploadFile(...tableNames.map((n) => path.join(uploads, n)));
      await page.waitForFunction(() => document.getElementById("findings").textContent.includes("ItemGrade 2"));
      // A file too large: refused, and the loaded tables kept.
      const large = path.join(fs.mkdtempSync(path.join(os.tmpdir(), "upgrade-sim-upload-")), "DestroyProb.ini");
      fs.writeFileSync(large, Buffer.alloc(17 << 20, 0x20));
      await (await page.$("#load-files")).uploadFile(large);
      await page.waitForFunction(() => document.getElementById("tables-error").textContent !== "");
      const shownFindings = () => page.$$eval("#findings li", (items) => items.map((i) => i.textContent));
      // The refusal as the catalogue words it in each language.
      const facts = await moduleFacts(page);
      const refusal = (lang) => {
        const fill = (key, ...values) => facts.texts[lang].labels[key].replace(/\{(\d)\}/g, (m, n) => String(values[n - 1]));
        return fill("file_too_large", fill("table_named", "DestroyProb.ini", fill("megabytes", 17)), fill("megabytes", 16));
      };
      for (const lang of ["ru", "en", "ru"]) {
        await setField("lang", lang);
        const expected = nativeFindings(files, lang);
        await page.waitForFunction((first) => document.querySelector("#findings li").textContent === first, {}, expected[0]);
        await settled();
        assert.deepEqual(await shownFindings(), expected, lang);
        assert.equal(await text("#tables-error"), refusal(lang), lang);
      }
      assert.match(await text("#tables-error"), /^Слишком большой файл: DestroyProb\.ini \(17 МБ\)/);
      await page.click("#examples");
      await settled();
    });

    test("at 360 px no figure is split over two lines, with its sign or within its digits", async () => {
      // The journey unfolded as cards, the chart and the table drawn.
      for (const lang of ["ru", "en"]) {
        await open(setUp + "&lang=" + lang);
        await page.click("#journey-more");
        await page.waitForFunction(() => document.getElementById("journey").classList.contains("unfolded"));
        const split = await page.evaluate(() => {
          const found = [];
          // A figure: digits with their group separators and fraction, a
          // sign before, and "%" after.
          const figure = /[−+-]?\d[\d\u00a0.,]*\d(?:[ \u00a0]?%)?|\d[ \u00a0]?%/g;
          const walker = document.createTreeWalker(document.body, NodeFilter.SHOW_TEXT);
          for (let node; (node = walker.nextNode());) {
            if (node.parentElement.closest("svg, select")) continue;
            for (const match of node.data.matchAll(figure)) {
              const range = document.createRange();
              range.setStart(node, match.index);
              range.setEnd(node, match.index + match[0].length);
              const lines = new Set(Array.from(range.getClientRects(), (r) => Math.round(r.bottom)));
              if (lines.size > 1) found.push(`${node.parentElement.id || node.parentElement.tagName}: ${match[0]}`);
            }
          }
          return found;
        });
        assert.deepEqual(split, [], lang);
        // Nor does anything scroll sideways.
        assert.ok(await page.evaluate(() => document.documentElement.scrollWidth <= document.documentElement.clientWidth), lang);
      }
    });

    test("switched back to Russian, the same places read Russian", async () => {
      await open(setUp + "&lang=en");
      await setField("lang", "ru");
      assert.equal(await text("#copy-link"), "Копировать ссылку");
      assert.equal(await text("#take-cheapest"), "Взять их");
      assert.match(await text("fieldset legend"), /^Цены \(необязательно\)/);
      assert.match(await text("#columns-legend"), /На 50\/90\/99 % .*Предметов на 90 % и Бюджет на 90 %/);
      assert.equal(await text("#tables-used"), "Таблицы: примеры.");
      assert.ok((await text("#strategy")).endsWith(" «≈» — бюджет округлён вверх: его хватит наверняка, и он лишь немного больше точного."));
      assert.equal(await page.$eval("#journey th", (th) => th.textContent), "Т");
      assert.match(await text(".lead"), /^Шанс и симуляция/);
      // The chart drawn anew in Russian too: its titles and caption.
      const russian = (await moduleFacts(page)).texts.ru.labels;
      assert.deepEqual(await page.$$eval("#chart text.title", (nodes) => nodes.map((n) => n.textContent)),
        [russian.chart_attempts, russian.chart_reach]);
      assert.match(await text("#chart-caption"), /^Вероятность дойти до цели с новыми предметами от \d+ талик/);
      // The switch is a new state: its simulation runs again, in Russian.
      await open(setUp);
      await page.waitForFunction(() => document.getElementById("sim-summary").textContent !== "");
      assert.match(await text("#sim-summary"), /^\+ Модификация успешна: \d/);
    });
  });
}
