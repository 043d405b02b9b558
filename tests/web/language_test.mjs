// The page's two languages in real browsers (headless Chromium and Firefox):
// in English every word the page shows is English, the markup's, the
// script's and the module's alike, but for each language's own name in the
// switch; in Russian the same places read Russian. Every test waits for a
// state of the page, never for a time.
import { test, before, after, describe } from "node:test";
import assert from "node:assert/strict";
import fs from "node:fs";
import os from "node:os";
import path from "node:path";
import { pathToFileURL } from "node:url";
import puppeteer from "puppeteer-core";

const args = Object.fromEntries(process.argv.slice(2).reduce((pairs, word, i, all) =>
  (word.startsWith("--") ? [...pairs, [word.slice(2), all[i + 1]]] : pairs), []));
const source = path.resolve(args.source ?? ".");
const pageFile = path.resolve(args.page ?? path.join(source, "build/web/upgrade-sim.html"));
const browsers = {
  chromium: { browser: "chrome", executablePath: "/usr/bin/chromium",
    args: ["--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run", "--disable-background-networking",
      "--disable-component-update", "--disable-sync"] },
  firefox: { browser: "firefox", executablePath: "/usr/bin/firefox-esr", protocol: "webDriverBiDi" },
};
const only = args.browser ? { [args.browser]: browsers[args.browser] } : browsers;

const cyrillic = /[\u0400-\u04ff]/;
// A priced set-up with a seed: the answer, a rounded budget, the cheapest
// stones and a simulation, all on the first screen.
const setUp = "attempts=3&grade=2&level=50&taliks=1&stones=3320&target=6&seed=5" +
  "&prices=10,20,40,80,200,1000&attempt_price=5&item_price=5000&budget=40000";

for (const [name, launch] of Object.entries(only)) {
  describe(name, () => {
    let browser, page;
    const problems = [];
    const settled = () => page.waitForFunction(() => !document.body.hasAttribute("data-busy"));
    async function open(fragment) {
      await page.goto("about:blank");
      await page.goto(pathToFileURL(pageFile).href + "#" + fragment);
      await page.waitForSelector("body[data-ready=true]");
      await settled();
    }
    const text = (selector) => page.$eval(selector, (el) => el.textContent);
    // The words in Cyrillic letters the page shows, less the switch's
    // languages, each named in its own.
    const russianWords = () => page.evaluate((pattern) => {
      const own = Array.from(document.querySelectorAll("#lang option"), (o) => o.text);
      const words = document.body.innerText.match(new RegExp(pattern + "+", "g")) ?? [];
      return words.filter((w) => !own.includes(w));
    }, cyrillic.source);
    async function setField(id, value) {
      await page.$eval("#" + id, (el, v) => {
        el.value = v;
        el.dispatchEvent(new Event(el.tagName === "SELECT" ? "change" : "input", { bubbles: true }));
      }, value);
      await settled();
    }

    before(async () => {
      browser = await puppeteer.launch({ ...launch, headless: true,
        userDataDir: fs.mkdtempSync(path.join(os.tmpdir(), "upgrade-sim-profile-")) });
      page = await browser.newPage();
      await page.setViewport({ width: 360, height: 740 });
      page.on("console", (message) => { if (message.type() === "error") problems.push("console: " + message.text()); });
      page.on("pageerror", (error) => problems.push("page error: " + error.message));
    });
    after(async () => {
      await browser?.close();
      assert.deepEqual(problems, []);
    });

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
      assert.match(await text("#strategy"), /≈/);
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

    test("switched back to Russian, the same places read Russian", async () => {
      await open(setUp + "&lang=en");
      await setField("lang", "ru");
      assert.equal(await text("#copy-link"), "Копировать ссылку");
      assert.equal(await text("#take-cheapest"), "Взять их");
      assert.match(await text("fieldset legend"), /^Цены \(необязательно\)/);
      assert.match(await text("#columns-legend"), /На 50\/90\/99 % .*Предметов на 90 % и Бюджет на 90 %/);
      assert.equal(await text("#tables-used"), "Таблицы: примеры.");
      assert.match(await text("#strategy"), /«≈» — бюджет округлён вверх/);
      assert.equal(await page.$eval("#journey th", (th) => th.textContent), "Т");
      assert.match(await text(".lead"), /^Шанс и симуляция/);
      // The switch is a new state: its simulation runs again, in Russian.
      await open(setUp);
      await page.waitForFunction(() => document.getElementById("sim-summary").textContent !== "");
      assert.match(await text("#sim-summary"), /^\+ Модификация успешна: \d/);
    });
  });
}
