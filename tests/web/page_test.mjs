// The page in real browsers (Debian's headless Chromium and Firefox, driven
// by puppeteer-core over CDP and WebDriver BiDi), opened from disk, against
// the native programs on the same tables: the chance line, the report, the
// table's and the journey's CSV and the simulation of a seed must be the very
// same bytes. Every test waits for a state of the page, never for a time.
import { test, before, after, describe } from "node:test";
import assert from "node:assert/strict";
import { execFileSync, spawnSync } from "node:child_process";
import fs from "node:fs";
import os from "node:os";
import path from "node:path";
import { createRequire } from "node:module";
import { pathToFileURL } from "node:url";
import puppeteer from "puppeteer-core";
import { plainSign, setFieldIn } from "./browser.mjs";

const require = createRequire(import.meta.url);
const axeSource = fs.readFileSync(require.resolve("axe-core/axe.min.js"), "utf8");

const args = Object.fromEntries(process.argv.slice(2).reduce((pairs, word, i, all) =>
  (word.startsWith("--") ? [...pairs, [word.slice(2), all[i + 1]]] : pairs), []));
const source = path.resolve(args.source ?? ".");
const pageFile = path.resolve(args.page ?? path.join(source, "build/web/upgrade-sim.html"));
const out = path.resolve(args.out ?? path.dirname(pageFile));
fs.mkdirSync(out, { recursive: true });
// The native programs to compare with, as the build passes them.
const nativeOdds = path.resolve(args["upgrade-odds"] ?? path.join(source, "build/test/upgrade-odds"));
const nativeSimulator = path.resolve(args["upgrade-sim"] ?? path.join(source, "build/test/upgrade-sim"));
const examples = path.join(source, "examples/CustomSettings");

const browsers = {
  chromium: { browser: "chrome", executablePath: "/usr/bin/chromium",
    args: ["--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run", "--disable-background-networking",
      "--disable-component-update", "--disable-sync"] },
  firefox: { browser: "firefox", executablePath: "/usr/bin/firefox-esr", protocol: "webDriverBiDi" },
};

// A working folder whose CustomSettings/ holds the given files (name -> bytes).
function folderWith(files) {
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), "upgrade-sim-page-"));
  fs.mkdirSync(path.join(dir, "CustomSettings"));
  for (const [name, bytes] of Object.entries(files)) fs.writeFileSync(path.join(dir, "CustomSettings", name), bytes);
  return dir;
}
const exampleFiles = Object.fromEntries(["SuccessProb.ini", "DestroyProb.ini", "DowngradeProb.ini"]
  .map((name) => [name, fs.readFileSync(path.join(examples, name))]));

function odds(dir, ...words) {
  return execFileSync(nativeOdds, words, { cwd: dir, env: { PATH: process.env.PATH, LC_ALL: "C.UTF-8" },
    stdio: ["ignore", "pipe", "ignore"] }).toString("utf8");
}

// The simulator with its clock pinned at the seed's second, without a terminal.
function simulatorLines(dir, answers, seed) {
  const faketime = ["/usr/lib/x86_64-linux-gnu/faketime/libfaketime.so.1"].find((f) => fs.existsSync(f));
  assert.ok(faketime, "libfaketime is missing: run scripts/install-test-deps.sh");
  const when = new Date(seed * 1000).toISOString().replace("T", " ").replace(/\.\d+Z$/, "");
  const run = spawnSync("setsid", ["-w", nativeSimulator], { cwd: dir, input: answers,
    env: { PATH: process.env.PATH, LC_ALL: "C.UTF-8", TZ: "UTC", LD_PRELOAD: faketime, FAKETIME: when,  // stopped at that second, however long the start takes
      FAKETIME_DONT_FAKE_MONOTONIC: "1" } });
  const text = run.stdout.toString("utf8");
  return text.slice(text.indexOf("Шанс успеха"), text.indexOf("\n Вычисление завершено."));
}

const setUps = [
  { attempts: 3, grade: 2, level: 50, taliks: 1, stones: "3320", target: 6, seed: 1765188000 },
  { attempts: 100, grade: 10, level: 65, taliks: 6, stones: "6666", target: 7, seed: 1800000000 },
  { attempts: 1, grade: 0, level: 1, taliks: 0, stones: "0000", target: 1, seed: 4000000000 },
  { attempts: 37, grade: 7, level: 13, taliks: 3, stones: "6501", target: 5, seed: 1000000000 },
];
const prices = "&prices=10,20,40,80,200,1000&attempt_price=5&item_price=5000";
const priceWords = ["--prices", "10,20,40,80,200,1000", "--attempt-price", "5", "--item-price", "5000"];

// The shapes of the module's answers as web/page/module.js describes them:
// each typedef's properties and their types.
function typedefs() {
  const code = fs.readFileSync(path.join(source, "web/page/module.js"), "utf8");
  const types = {};
  for (const block of code.match(/\/\*\*[\s\S]*?\*\//g)) {
    const name = block.match(/@typedef \{Object\} (\w+)/);
    if (!name) continue;
    types[name[1]] = Object.fromEntries([...block.matchAll(/@property \{([^}]+)\} (\w+)/g)].map((m) => [m[2], m[1]]));
  }
  return types;
}
// The faults of a value against a type of those typedefs: a key missing or
// not described, or a value of another type.
function shapeFaults(value, type, types, where = "") {
  if (type.startsWith("?")) return value === null ? [] : shapeFaults(value, type.slice(1), types, where);
  const generic = type.match(/^Array<(.+)>$/);
  if (type.endsWith("[]") || generic) {
    const inner = generic ? generic[1] : type.slice(0, -2);
    return Array.isArray(value) ? value.flatMap((v, i) => shapeFaults(v, inner, types, `${where}[${i}]`)) : [`${where}: not an array`];
  }
  if (type.includes("|")) {
    return type.split("|").some((t) => shapeFaults(value, t, types, where).length === 0) ? [] : [`${where}: not ${type}`];
  }
  const map = type.match(/^Object<string, (.+)>$/);
  if (map) {
    return value && typeof value === "object" && !Array.isArray(value)
      ? Object.entries(value).flatMap(([k, v]) => shapeFaults(v, map[1], types, `${where}.${k}`)) : [`${where}: not ${type}`];
  }
  if (["number", "string", "boolean"].includes(type)) return typeof value === type ? [] : [`${where}: not a ${type}`];
  const shape = types[type];
  if (!shape) return [`${where}: no typedef ${type}`];
  if (!value || typeof value !== "object") return [`${where}: not a ${type}`];
  const keys = new Set([...Object.keys(shape), ...Object.keys(value)]);
  return [...keys].flatMap((key) => !(key in shape) ? [`${where}.${key}: not in ${type}`]
    : !(key in value) ? [`${where}.${key}: missing from the answer`] : shapeFaults(value[key], shape[key], types, `${where}.${key}`));
}

function fragmentOf(s, extra = "") {
  return `attempts=${s.attempts}&grade=${s.grade}&level=${s.level}&taliks=${s.taliks}&stones=${s.stones}` +
    `&target=${s.target}&seed=${s.seed}${extra}`;
}

for (const [name, launch] of Object.entries(browsers)) {
  describe(name, () => {
    let browser, page;
    const problems = [];

    async function open(fragment) {
      await page.goto("about:blank");
      await page.goto(pathToFileURL(pageFile).href + "#" + fragment);
      await page.waitForSelector("body[data-ready=true]");
      // What a download link would save: the blob's text, caught at the click.
      await page.evaluate(() => {
        window.savedFiles = [];
        HTMLAnchorElement.prototype.click = function () {
          const link = this;
          window.savedFiles.push(fetch(link.href).then((r) => r.text()).then((text) => ({ name: link.download, text })));
        };
      });
    }
    const text = (selector) => page.$eval(selector, (el) => el.textContent).then(plainSign);
    const attribute = (selector, name) => page.$eval(selector, (el, n) => el.getAttribute(n), name);
    async function saved(button) {
      const count = await page.evaluate(() => window.savedFiles.length);
      await page.click(button);
      await page.waitForFunction((n) => window.savedFiles.length > n, {}, count);
      return page.evaluate(() => window.savedFiles[window.savedFiles.length - 1]);
    }
    // The module answers in a worker: the body carries data-busy while any
    // answer is out, and what an input or a click sets off is drawn after.
    const settled = () => page.waitForFunction(() => !document.body.hasAttribute("data-busy"));
    const setField = (id, value) => setFieldIn(page, id, value);
    async function press(selector) {
      await page.click(selector);
      await settled();
    }

    async function checkAgainstNative(s, dir, extra = "", words = null) {
      await open(fragmentOf(s, extra));
      const stones = s.stones.split("");
      const report = odds(dir, String(s.attempts), String(s.grade), String(s.level), String(s.taliks), ...stones);
      const [chanceLine, ...rest] = report.split("\n");
      assert.equal(await text("#chance-line"), chanceLine);
      assert.equal(await text("#report"), rest.join("\n"));
      const table = await saved("#table-csv");
      assert.equal(table.name, "upgrade-odds-table.csv");
      assert.equal(table.text, odds(dir, "--csv", "--table", String(s.level), ...stones));
      // Priced, the journey is the set-up's stones' and the cheapest stones'
      // stands beside it, each as upgrade-odds plans it.
      const plan = odds(dir, "--csv", "--plan", ...(words ?? []), String(s.grade), String(s.level), String(s.target), ...stones);
      assert.equal((await saved("#plan-csv")).text, plan);
      // The answer's exact chance: the plan's success share of the set-up's
      // row, to the four significant digits shown.
      if (s.taliks < s.target) {
        const share = Number(plan.split("\n")[1 + s.taliks].split(",")[4]);
        const exact = (await text("#exact-chance")).match(/^Шанс успеха попытки: ([\d.]+) %$/);
        assert.ok(exact && Math.abs(Number(exact[1]) - 100 * share) <= 5e-4 * 100 * share + 1e-12, `${exact} / ${share}`);
      }
      if (words) {
        const cheapest = odds(dir, "--csv", "--plan", ...words, String(s.grade), String(s.level), String(s.target));
        assert.equal((await saved("#cheapest-csv")).text, cheapest);
        const rows = cheapest.trim().split("\n").slice(1).map((line) => line.split(",")[1]);
        assert.match(await text("#cheapest-text"), new RegExp(`, камни ${rows.join(", ")}\\.$`));
      }
      // The journey's rows show the human plan's figures: the same values,
      // the page's whole parts grouped and spelled without an exponent.
      const human = odds(dir, "--plan", ...(words ?? []), String(s.grade), String(s.level), String(s.target), ...stones).split("\n");
      const first = human.findIndex((line) => line.startsWith(" Т Камни"));
      const second = human.findIndex((line) => line.includes("Предметов для 90%*"));
      const rowsOf = (from) => human.slice(from + 1, from + 1 + s.target).map((line) => line.trim().split(/ +/));
      const [humanRows, stockRows] = [rowsOf(first), rowsOf(second)];
      const pageRows = plainSign(await page.$$eval("#journey tbody tr", (rows) => rows.map((r) => Array.from(r.cells).map((c) => c.textContent))));
      assert.equal(pageRows.length, s.target);
      const same = (shown, written) => {
        const plain = shown.replace(/\u00a0/g, "");
        if (plain === written || written === "никогда") return plain === written;
        // The report's three digits of a figure above a million; the page's
        // count has every digit.
        const rounded = /^\d\.(\d+)e\+(\d+)$/.exec(written);
        if (rounded) {
          const digits = plain.replace(/^≈/, "");
          return Math.abs(Number(digits) - Number(written)) <= 0.5 * 10 ** (Number(rounded[2]) - rounded[1].length);
        }
        return Number(plain) === Number(written);
      };
      pageRows.forEach((cells, t) => {
        // Т, Камни, Успех %, Дойти %, Попыток, Попыток*, Потерь*, Для 90%*, (Цена*); then the
        // items and the budget for 90 %.
        const shown = [cells[0], cells[1], cells[2], cells[3], cells[4], cells[5], cells[6], cells[8]]
          .concat(words ? [cells[12]] : []);
        shown.forEach((cell, i) => assert.ok(same(cell, humanRows[t][i]), `row ${t} column ${i}: ${cell} / ${humanRows[t][i]}`));
        assert.ok(same(cells[10], stockRows[t][1]), `row ${t} items: ${cells[10]} / ${stockRows[t][1]}`);
        if (words) assert.ok(same(cells[11], stockRows[t][2]), `row ${t} budget: ${cells[11]} / ${stockRows[t][2]}`);
      });
      const answers = `${s.attempts} ${s.grade} ${s.level} ${s.taliks} ${stones.join(" ")}\n`;
      // The simulator's lines: its chance line, then the attempts as a list.
      const shownLines = [await text("#sim-chance"), ...await page.$$eval("#sim-lines li", (items) => items.map((i) => i.textContent))];
      assert.equal(shownLines.map((line) => line + "\n").join(""), simulatorLines(dir, answers, s.seed));
      assert.equal(await text("#seed-used"), "Зерно: " + s.seed);
    }

    before(async () => {
      browser = await puppeteer.launch({ ...launch, headless: true,
        userDataDir: fs.mkdtempSync(path.join(os.tmpdir(), "upgrade-sim-profile-")) });
      page = await browser.newPage();
      await page.setViewport({ width: 1280, height: 800 });
      // Nothing may be fetched from anywhere: the file itself, and the data and
      // blob addresses it makes, are all there is.
      page.on("request", (request) => {
        if (!/^(file|data|blob|about):/.test(request.url())) problems.push("network request: " + request.url());
      });
      page.on("console", (message) => { if (message.type() === "error") problems.push("console: " + message.text()); });
      page.on("pageerror", (error) => problems.push("page error: " + error.message));
    });

    after(async () => {
      await browser?.close();
      assert.deepEqual(problems, []);
    });

    test("set-ups in the address read as the programs read them", async () => {
      const dir = folderWith(exampleFiles);
      for (const s of setUps) await checkAgainstNative(s, dir);
    });

    test("the cheapest stones for prices in the address", async () => {
      const dir = folderWith(exampleFiles);
      await checkAgainstNative(setUps[0], dir, prices, priceWords);
      await checkAgainstNative(setUps[3], dir, prices, priceWords);
    });

    test("priced, the answer is the player's stones', and a button takes the cheapest", async () => {
      const dir = folderWith(exampleFiles);
      await open("attempts=5&grade=8&level=60&taliks=1&stones=6654&target=5" + prices);
      const human = odds(dir, "--plan", ...priceWords, "8", "60", "5", "6", "6", "5", "4").split("\n");
      const budgets = human.slice(human.findIndex((line) => line.includes("Предметов для 90%*")) + 1);
      const budget = budgets[1].trim().split(/ +/)[2];
      const shown = plainSign(await page.$$eval("#figures div", (boxes) => boxes.map((b) => [b.querySelector("dt").textContent, b.querySelector("dd").textContent])));
      const figure = shown.find(([label]) => label.startsWith("Бюджет"))[1].replace(/\u00a0/g, "");
      assert.equal(figure, budget);
      assert.match(await text("#strategy"), /камни настройки на каждом шаге, с ценами/);
      assert.match(await text("#cheapest-text"), /^Самые выгодные камни: бюджет на 90 % [\d\u00a0]+ \(−\d+ %\), камни /);
      await press("#take-cheapest");
      assert.match(await page.$eval("#stone_sets", (el) => el.value), /^\d{4}(,\d{4}){4}$/);
      assert.match(page.url(), /stone_sets=\d{4}(%2C\d{4}){4}/);
      assert.match(await text("#strategy"), /ваши камни на каждом шаге/);
      assert.equal(await page.$eval("#take-cheapest", (el) => el.hidden), true);
      // The same journey as upgrade-odds plans those stones.
      const sets = await page.$eval("#stone_sets", (el) => el.value);
      assert.equal((await saved("#plan-csv")).text, odds(dir, "--csv", "--plan", ...priceWords, "--stones", sets, "8", "60", "5"));
      // The chance within the player's budget stands in the answer.
      await setField("budget", "40000");
      const within = plainSign(await page.$$eval("#figures div", (boxes) => boxes.map((b) => [b.querySelector("dt").textContent, b.querySelector("dd").textContent])));
      const [label, chance] = within.find(([l]) => l.includes("потратив не больше"));
      assert.equal(label, "Дойти до 5 талик, потратив не больше 40000");
      const csvBudget = odds(dir, "--csv", "--plan", ...priceWords, "--budget", "40000", "--stones", sets, "8", "60", "5")
        .trim().split("\n")[2].split(",").pop();
      assert.match(chance, /^(не меньше )?[\d.]+ %$/);
      // The same chance as upgrade-odds', to the two significant digits shown.
      const truth = 100 * Number(csvBudget), unit = 10 ** (Math.floor(Math.log10(truth)) - 1);
      assert.ok(Math.abs(parseFloat(chance.replace("не меньше ", "")) - truth) <= unit / 2 + 1e-9, `${chance} / ${csvBudget}`);
      assert.match(page.url(), /budget=40000/);
      // The journey kept on show while the priced one was computed is no
      // longer marked as old once it has come.
      assert.deepEqual(await page.$$eval(".old, [aria-busy]", (old) => old.map((el) => el.id)), []);
      await setField("stone_sets", "1,2");
      assert.match(await text("#stone_sets-error"), /^«1»: четыре цифры/);
    });

    test("tables loaded through the file input, in any encoding and letter case", async () => {
      const utf16le = (t) => Buffer.concat([Buffer.from([0xff, 0xfe]), Buffer.from(t, "utf16le")]);
      const success = exampleFiles["SuccessProb.ini"].toString("utf8").replace(/\r?\n/g, "\r\n")
        .replace(/=(\d+)/g, (m, v) => "=" + (Number(v) + 7));
      const destroy = exampleFiles["DestroyProb.ini"].toString("utf8").replace(/\r?\n/g, "\r");
      const loaded = { "SUCCESSPROB.INI": utf16le(success), "destroyprob.ini": Buffer.from(destroy) };
      const uploads = fs.mkdtempSync(path.join(os.tmpdir(), "upgrade-sim-upload-"));
      for (const [file, bytes] of Object.entries(loaded)) fs.writeFileSync(path.join(uploads, file), bytes);
      await open(fragmentOf(setUps[0]));
      const input = await page.$("#load-files");
      await input.uploadFile(...Object.keys(loaded).map((n) => path.join(uploads, n)));
      await page.waitForFunction(() => document.getElementById("files").textContent.includes("SUCCESSPROB.INI"));
      const files = await text("#files");
      assert.match(files, /SUCCESSPROB\.INI: загружен, \d+ байт/);
      assert.match(files, /DowngradeProb\.ini: файла нет: все значения 0/);
      // The answer names the tables and warns of the missing one.
      assert.match(await text("#tables-used"), /^Таблицы: SUCCESSPROB\.INI \(загружен, \d+ байт\), destroyprob\.ini .*DowngradeProb\.ini \(файла нет/);
      assert.match(await text("#tables-warning"), /нет файлов: 1/);
      assert.equal(await page.$eval("#tables-warning", (el) => el.hidden), false);
      const dir = folderWith({ "SuccessProb.ini": loaded["SUCCESSPROB.INI"], "DestroyProb.ini": loaded["destroyprob.ini"] });
      for (const s of setUps.slice(0, 2)) await checkAgainstNative(s, dir);
      // Remembered on this computer, until the examples come back.
      await page.reload();
      await page.waitForSelector("body[data-ready=true]");
      assert.match(await text("#files"), /SUCCESSPROB\.INI/);
      await press("#examples");
      assert.match(await text("#files"), /SuccessProb\.ini: пример/);
      assert.equal(await text("#tables-used"), "Таблицы: примеры.");
    });

    test("the table editor: findings, a cell edited, the INI files the programs read back", async () => {
      // A file with faults shows what upgrade-odds --check finds in it.
      const faulty = exampleFiles["SuccessProb.ini"].toString("utf8").replace("[ItemGrade2]", "[ItemGrade 2]")
        .replace("UpgradeLevel1=", "UpgradeLevel1=53%");
      const uploads = fs.mkdtempSync(path.join(os.tmpdir(), "upgrade-sim-upload-"));
      fs.writeFileSync(path.join(uploads, "SuccessProb.ini"), faulty);
      for (const name of ["DestroyProb.ini", "DowngradeProb.ini"]) fs.writeFileSync(path.join(uploads, name), exampleFiles[name]);
      await open(fragmentOf(setUps[0]));
      const input = await page.$("#load-files");
      await input.uploadFile(...["SuccessProb.ini", "DestroyProb.ini", "DowngradeProb.ini"].map((n) => path.join(uploads, n)));
      await page.waitForFunction(() => document.getElementById("findings").textContent.includes("ItemGrade 2"));
      const shown = await page.$$eval("#findings li", (items) => items.map((i) => i.textContent));
      const checked = spawnSync(nativeOdds, ["--check"], { cwd: folderWith({ "SuccessProb.ini": faulty,
        "DestroyProb.ini": exampleFiles["DestroyProb.ini"], "DowngradeProb.ini": exampleFiles["DowngradeProb.ini"] }),
        env: { PATH: process.env.PATH, LC_ALL: "C.UTF-8" } }).stdout.toString("utf8").trimEnd().split("\n");
      assert.deepEqual(shown, checked);
      // Every cell is a labelled field; editing one recomputes at once.
      await press("#examples");
      const cell = "input[aria-label='SuccessProb ItemGrade2 UpgradeLevel1']";
      const openEditor = async () => {
        await page.click("#editor summary");
        await page.waitForFunction((selector) => document.querySelector(selector).value !== "", {}, cell);
      };
      await openEditor();
      const before = await text("#chance-line");
      await page.$eval(cell, (el) => { el.value = "9999"; el.dispatchEvent(new Event("input", { bubbles: true })); });
      await settled();
      assert.notEqual(await text("#chance-line"), before);
      assert.equal(await text("#chance-line"), "Шанс успеха = 1068 %");  // 9999 x 7.125 x 3000 / 200 per 100000
      assert.match(await text("#chance-note"), /каждая попытка успешна/);
      assert.match(await text("#reach-head"), /^Дойти до 6 от 0$/);
      await page.$eval("input[aria-label='DestroyProb ItemGrade0 UpgradeLevel0']", (el) => {
        el.value = "12000"; el.dispatchEvent(new Event("input", { bubbles: true })); });
      await settled();
      assert.match(await text("#findings"), /DestroyProb\.ini:2: значение 12000 UpgradeLevel0 в \[ItemGrade0\] - вне шкалы/);
      // The files downloaded, read by the programs, give the edited tables.
      const files = {};
      for (const [i, name] of ["SuccessProb.ini", "DestroyProb.ini", "DowngradeProb.ini"].entries()) {
        const file = await saved(`#download-${i}`);
        assert.equal(file.name, name);
        assert.match(file.text, /^\[ItemGrade0\]\r\nUpgradeLevel0=-?\d+\r\n/);
        assert.doesNotMatch(file.text.replace(/\r\n/g, ""), /[\r\n]/);
        files[name] = file.text;
      }
      const dir = folderWith(files);
      assert.equal((await saved("#table-csv")).text, odds(dir, "--csv", "--table", "50", "3", "3", "2", "0"));
      assert.equal(await text("#chance-line"), odds(dir, "3", "2", "50", "1", "3", "3", "2", "0").split("\n")[0]);
      // Remembered like loaded tables, until the examples come back.
      await page.reload();
      await page.waitForSelector("body[data-ready=true]");
      await openEditor();
      assert.equal(await page.$eval(cell, (el) => el.value), "9999");
      await press("#examples");
      assert.notEqual(await page.$eval(cell, (el) => el.value), "9999");
    });

    test("the editor keeps a loaded file, marks cells misread, and never uses an invalid one", async () => {
      const original = exampleFiles["SuccessProb.ini"].toString("latin1").replace("[ItemGrade3]\r\nUpgradeLevel0=", "[ItemGrade3]\r\nUpgradeLevel0=x");
      const uploads = fs.mkdtempSync(path.join(os.tmpdir(), "upgrade-sim-upload-"));
      fs.writeFileSync(path.join(uploads, "SuccessProb.ini"), Buffer.from(original, "latin1"));
      await open(fragmentOf(setUps[0]));
      await (await page.$("#load-files")).uploadFile(path.join(uploads, "SuccessProb.ini"));
      await page.waitForFunction(() => document.getElementById("files").textContent.includes("загружен"));
      await page.click("#editor summary");
      const misread = "input[aria-label='SuccessProb ItemGrade3 UpgradeLevel0']";
      await page.waitForFunction((selector) => document.querySelector(selector).value !== "", {}, misread);
      assert.equal(await page.$eval(misread, (el) => el.classList.contains("misread")), true);
      assert.match(await attribute(misread, "title"), /UpgradeLevel0/);
      assert.equal(await page.$eval("input[aria-label='SuccessProb ItemGrade2 UpgradeLevel0']", (el) => el.classList.contains("misread")), false);
      assert.match(await text("#download-1"), /^Записать DestroyProb\.ini$/);
      assert.match(await text("#download-note-1"), /файла не было/);
      // An invalid value is marked with its message and not used.
      const cell = "input[aria-label='SuccessProb ItemGrade2 UpgradeLevel1']";
      const before = await text("#chance-line");
      await page.$eval(cell, (el) => { el.value = "12x"; el.dispatchEvent(new Event("input", { bubbles: true })); });
      await settled();
      assert.equal(await attribute(cell, "aria-invalid"), "true");
      assert.match(await text("#cell-error"), /«12x» — нужно целое число от -2147483648 до 2147483647; в расчёте прежнее значение 124/);
      assert.equal(await text("#chance-line"), before);
      // The download is the loaded text with the one edited value changed.
      await page.$eval(cell, (el) => { el.value = "1234"; el.dispatchEvent(new Event("input", { bubbles: true })); });
      await settled();
      const file = await saved("#download-0");
      assert.equal(file.name, "SuccessProb.ini");
      assert.equal(file.text, original.replace("[ItemGrade2]\r\nUpgradeLevel0=172\r\nUpgradeLevel1=124", "[ItemGrade2]\r\nUpgradeLevel0=172\r\nUpgradeLevel1=1234"));
      await press("#examples");
    });

    test("the language switch: the catalogue's English, kept in the address, the figures unchanged", async () => {
      const fragment = fragmentOf(setUps[0], prices);
      const figures = () => page.$$eval("#figures dd, #journey td", (cells) => cells.map((c) => c.textContent)).then(plainSign);
      await open(fragment);
      assert.equal(await text("#answer-title"), "Ответ");
      const russian = await figures();
      await setField("lang", "en");
      assert.equal(await text("#answer-title"), "Answer");
      assert.equal(await text("label[for=attempts]"), "Attempts");
      assert.equal(await attribute("html", "lang"), "en");
      assert.match(await page.evaluate(() => location.hash), /&lang=en(&|$)/);
      assert.deepEqual(await figures(), russian);
      // A link with lang=en opens in English, and the module's messages are English too.
      await open(fragment + "&lang=en");
      assert.equal(await text("label[for=grade]"), "Weapon or armour grade");
      assert.deepEqual(await figures(), russian);
      await setField("level", "x");
      assert.doesNotMatch(await text("#level-error"), /[\u0400-\u04ff]/);
      assert.notEqual(await text("#level-error"), "");
      await setField("lang", "ru");
      assert.equal(await text("#answer-title"), "Ответ");
      assert.doesNotMatch(await page.evaluate(() => location.hash), /lang=/);
    });
    test("the module's facts and answers have the shapes the page's code describes", async () => {
      await open(fragmentOf(setUps[0], prices));
      const types = typedefs();
      // Asked of a worker of the page's own packed module, as the page asks.
      const answers = await page.evaluate(async () => {
        const code = document.getElementById("worker-code").textContent;
        const worker = new Worker(URL.createObjectURL(new Blob([code], { type: "text/javascript" })));
        let last = 0;
        const call = (fn, args) => new Promise((resolve) => {
          const id = ++last;
          const listen = (event) => {
            if (event.data.id !== id) return;
            worker.removeEventListener("message", listen);
            resolve(JSON.parse(event.data.text));
          };
          worker.addEventListener("message", listen);
          worker.postMessage({ id, fn, args });
        });
        const facts = await call("facts", []);
        // The facts packed in the file at build time are the module's own.
        const packed = fromSymbols(document.getElementById("module-facts").textContent, packedSymbols);
        const unpacked = await new Response(new Blob([packed]).stream().pipeThrough(new DecompressionStream("gzip"))).json();
        if (JSON.stringify(unpacked) !== JSON.stringify(facts)) throw new Error("the packed facts are not the module's");
        const tables = facts.table_keys.map((key, w) => "&" + key + "=" + facts.example_cells[w].join(",")).join("");
        const ask = (query) => call("answer", [query + tables]);
        // A call in stages: every stage until the last.
        const stages = (query) => new Promise((resolve) => {
          const id = ++last, taken = [];
          const listen = (event) => {
            if (event.data.id !== id) return;
            taken.push(JSON.parse(event.data.text));
            if (event.data.more) return;
            worker.removeEventListener("message", listen);
            resolve(taken);
          };
          worker.addEventListener("message", listen);
          worker.postMessage({ id, fn: "stages", args: [query + tables] });
        });
        const setUp = "attempts=5&grade=2&level=50&taliks=1&stones=3320&target=6&prices=1,2,3,4,5,6&attempt_price=1&item_price=10";
        const file = new TextEncoder().encode("; kept\r\n[ItemGrade0]\r\nUpgradeLevel0=5\r\n");
        const result = { facts, table: await call("read", [1, null]), loaded: await call("read", [0, file]),
          edited: await call("edit", [0, file, facts.example_cells[0].join(",")]),
          page: await ask("view=page&" + setUp), blank: await ask("view=page&attempts=0&grade=2&level=50&taliks=1&stones=3320&target=6"),
          simulation: await ask("view=simulate&seed=7&" + setUp), run: await ask("view=journey_run&seed=7&" + setUp),
          file: await ask("view=ini_file&file=2&" + setUp), findings: await ask("view=findings&" + setUp),
          quick: await ask("view=set_up&" + setUp), stages: await stages(setUp) };
        worker.terminate();
        return result;
      });
      for (const [name, type] of [["facts", "Facts"], ["table", "TableRead"], ["loaded", "TableRead"], ["edited", "EditedFile"],
        ["page", "PageAnswer"], ["blank", "PageAnswer"],
        ["simulation", "SimulationAnswer"], ["run", "JourneyRunAnswer"], ["file", "IniFile"], ["findings", "FindingsAnswer"], ["quick", "SetUpAnswer"]]) {
        assert.deepEqual(shapeFaults(answers[name], type, types, name), []);
      }
      // The staged answer's stages, in their order, each of its shape.
      const stageTypes = { set_up: "SetUpStage", answer: "AnswerStage", table: "TableStage", journey: "JourneyStage", cheapest: "CheapestStage" };
      assert.deepEqual(answers.stages.map((s) => s.stage), Object.keys(stageTypes));
      for (const stage of answers.stages) assert.deepEqual(shapeFaults(stage, stageTypes[stage.stage], types, stage.stage), []);
      assert.equal(answers.blank.set_up, null);
      assert.ok(answers.page.plan.priced);
      assert.ok(answers.page.cheapest.plan.priced);
      assert.match(answers.edited.bytes, /^; kept\r\n\[ItemGrade0\]\r\nUpgradeLevel0=\d+\r\n/);
    });

    test("the heat map colours a loss cell by the chance its draw gives", async () => {
      await open(fragmentOf(setUps[0]));
      await page.click("#editor summary");
      const cell = "input[aria-label='DestroyProb ItemGrade0 UpgradeLevel0']";
      await page.waitForFunction((selector) => document.querySelector(selector).value !== "", {}, cell);
      await page.$eval(cell, (el) => { el.value = "5000"; el.dispatchEvent(new Event("input", { bubbles: true })); });
      await settled();
      // 17 768 of the 32 768 draws fall below 5000 modulo 10 000: 54.2 %,
      // a hue of 120 x 45.8 % = 55 (where 50 % would give 60).
      const [shown, expected] = await page.$eval(cell, (el) => {
        const probe = document.createElement("span");
        probe.style.background = "hsl(55 60% 88%)";
        document.body.appendChild(probe);
        const colours = [getComputedStyle(el).backgroundColor, getComputedStyle(probe).backgroundColor];
        probe.remove();
        return colours;
      });
      assert.equal(shown, expected);
      await press("#examples");
    });

    test("a bad value is marked at its field, stays visible, and nothing is computed from it", async () => {
      await open("attempts=3&grade=2&level=0&taliks=9&stones=3390&target=8");
      for (const id of ["level", "taliks", "stone3", "target"]) assert.equal(await attribute("#" + id, "aria-invalid"), "true", id);
      assert.equal(await attribute("#attempts", "aria-invalid"), "false");
      assert.equal(await text("#level-error"), "от 1 до 65");
      assert.equal(await text("#chance-line"), "—");
      assert.equal((await page.$$("#journey tr")).length, 0);
      assert.match(await text("#plan-csv-why"), /исправьте/);
      await setField("level", "abc");
      assert.equal(await page.$eval("#level", (el) => el.value), "abc");
      assert.equal(await attribute("#level", "aria-invalid"), "true");
      await setField("level", "50");
      await setField("taliks", "1");
      await setField("stone3", "2");
      await setField("target", "6");
      assert.equal(await attribute("#level", "aria-invalid"), "false");
      assert.match(await text("#chance-line"), /^Шанс успеха = \d+ %$/);
      assert.match(page.url(), /level=50&taliks=1&stones=3320&target=6/);
      // A blank price beside a given one is not free; while they are half
      // typed, the journey without prices stays.
      const unpriced = await page.$$eval("#journey tbody tr", (rows) => rows.map((r) => r.textContent));
      await setField("p1", "1");
      await setField("p2", "2");
      assert.equal(await attribute("#p3", "aria-invalid"), "true");
      assert.deepEqual(await page.$$eval("#journey tbody tr", (rows) => rows.map((r) => r.textContent)), unpriced);
      assert.match(await text("#plan-csv-why"), /без цен/);
      for (const id of ["p3", "p4", "p5", "p6"]) await setField(id, "0");
      assert.equal(await attribute("#p3", "aria-invalid"), "false");
      assert.equal((await page.$$("#journey tbody tr")).length, 6);
    });

    test("results that no longer match the set-up are cleared, never shown under it", async () => {
      await open(fragmentOf(setUps[0]));
      assert.equal((await page.$$("#sim-lines li")).length, 3);
      await press("#run-journey");
      await page.waitForFunction(() => document.getElementById("run-summary").textContent !== "");
      await setField("level", "0");
      for (const id of ["#sim-chance", "#sim-lines", "#sim-summary", "#run-summary", "#run-log"]) assert.equal(await text(id), "", id);
      assert.match(await text("#sim-stale"), /изменились/);
      await setField("level", "50");
      assert.equal(await text("#sim-lines"), "");
      await press("#simulate");
      assert.equal(await text("#sim-stale"), "");
    });

    test("a link carries its tables and reproduces the figures; a broken one says so and is kept", async () => {
      await open(fragmentOf(setUps[0], prices));
      await page.click("#editor summary");
      const cell = "input[aria-label='SuccessProb ItemGrade2 UpgradeLevel1']";
      await page.waitForFunction((selector) => document.querySelector(selector).value !== "", {}, cell);
      await page.$eval(cell, (el) => { el.value = "9000"; el.dispatchEvent(new Event("input", { bubbles: true })); });
      await settled();
      const link = page.url(), figures = await text("#figures"), line = await text("#chance-line");
      assert.match(link, /&success=[\w-]+$/);
      assert.ok(link.length < 600, link);
      // Another visitor, with the examples stored: the link's tables win.
      await press("#examples");
      await page.goto("about:blank");
      await page.goto(link);
      await page.waitForSelector("body[data-ready=true]");
      assert.equal(await text("#chance-line"), line);
      assert.equal(await text("#figures"), figures);
      assert.match(await text("#tables-used"), /SuccessProb\.ini \(из ссылки\)/);
      await page.click("#copy-link");
      await page.waitForFunction(() => document.getElementById("copy-status").textContent !== "");
      // A table cut short computes nothing, and the address stays as it came.
      const cut = link.slice(0, -5);
      await page.goto("about:blank");
      await page.goto(cut);
      await page.waitForSelector("body[data-ready=true]");
      assert.equal(await text("#chance-line"), "—");
      assert.match(await text("#chance-note"), /SuccessProb\.ini в ссылке не читается/);
      assert.equal(page.url(), cut);
      // A broken escape stays as typed, marked, and the address unchanged.
      const broken = pathToFileURL(pageFile).href + "#attempts=3&grade=2&level=5%G0&taliks=1&stones=3320&target=6&prices=1,2,3";
      await press("#examples");
      await page.goto("about:blank");
      await page.goto(broken);
      await page.waitForSelector("body[data-ready=true]");
      assert.equal(await page.$eval("#level", (el) => el.value), "5%G0");
      assert.equal(await attribute("#level", "aria-invalid"), "true");
      assert.equal(await text("#p3-error"), "в ссылке цен: 3, а нужно 6");
      assert.equal(page.url(), broken);
    });

    test("typing runs ahead of the worker: an answer for an older state is never drawn", async () => {
      await open(fragmentOf(setUps[0]));
      await page.evaluate(() => {
        window.drawnLines = [];
        new MutationObserver(() => window.drawnLines.push(document.getElementById("chance-line").textContent))
          .observe(document.getElementById("chance-line"), { childList: true, characterData: true, subtree: true });
        const level = document.getElementById("level");
        for (const value of ["0", "5", "50", "0", "49"]) { level.value = value; level.dispatchEvent(new Event("input", { bubbles: true })); }
      });
      await settled();
      // At most the last state's line, once; none where it reads as before.
      const drawn = await page.evaluate(() => window.drawnLines);
      const last = await text("#chance-line");
      assert.match(last, /^Шанс успеха = \d+ %$/);
      assert.ok(drawn.length <= 1 && drawn.every((line) => line === last), drawn.join(" | "));
      assert.equal(await attribute("#level", "aria-invalid"), "false");
      assert.match(page.url(), /level=49&/);
    });

    test("an attempt or item price without stone prices is marked", async () => {
      await open("attempts=3&grade=2&level=50&taliks=1&stones=3320&target=6&item_price=100");
      assert.equal(await text("#item_price-error"), "не учитывается без цен камней");
      assert.equal(await attribute("#item_price", "aria-invalid"), "true");
    });

    test("stored tables are checked: what cannot be used is dropped with a word, never sent as request text", async () => {
      const cells = Array(77).fill(1);
      const stored = [
        ["not json", /испорчены и отброшены/],
        [JSON.stringify([{ name: "SuccessProb.ini", cells: cells.map(String) }, 1, null]), /SuccessProb\.ini, DestroyProb\.ini, DowngradeProb\.ini испорчены/],
        [JSON.stringify([{ name: "SuccessProb.ini", cells: ["0&item_price=100000", ...cells.slice(1)] },
          { name: "DestroyProb.ini", cells }, { name: "DowngradeProb.ini", cells: cells.map(() => 1.5) }]), /SuccessProb\.ini, DowngradeProb\.ini испорчены/],
        [JSON.stringify({ tables: 3 }), /испорчены и отброшены/],
      ];
      for (const [value, message] of stored) {
        await open(fragmentOf(setUps[0]));
        await page.evaluate((v) => localStorage.setItem("upgrade-sim-tables-2", v), value);
        await page.reload();
        await page.waitForSelector("body[data-ready=true]");
        assert.match(await text("#tables-error"), message);
        assert.match(await text("#chance-line"), /^Шанс успеха = \d+ %$/);
        assert.equal(await page.$eval("#item_price", (el) => el.value), "");
      }
      await press("#examples");
    });

    test("findings are bounded, and a file too large is refused with the tables kept", async () => {
      const uploads = fs.mkdtempSync(path.join(os.tmpdir(), "upgrade-sim-upload-"));
      const junk = "[ItemGrade0]\n" + Array.from({ length: 250 }, (_, i) => `Junk${i}=1\n`).join("");
      fs.writeFileSync(path.join(uploads, "SuccessProb.ini"), junk);
      await open(fragmentOf(setUps[0]));
      const before = await text("#chance-line");
      await (await page.$("#load-files")).uploadFile(path.join(uploads, "SuccessProb.ini"));
      await page.waitForFunction(() => document.getElementById("findings").textContent.includes("и ещё"));
      const shown = await page.$$eval("#findings li", (items) => items.map((i) => i.textContent));
      const success = shown.filter((line) => line.includes("SuccessProb.ini"));
      assert.equal(success.length, 102);
      assert.match(success[100], /SuccessProb\.ini: и ещё 1\d\d \(всего 2\d\d\)$/);
      assert.match(success[101], /SuccessProb\.ini: \d+ ошиб/);
      assert.match(await text("#tables-warning"), /нет файлов: 2, находок в файлах: 2\d\d/);
      await press("#examples");
      fs.writeFileSync(path.join(uploads, "DestroyProb.ini"), Buffer.alloc(17 << 20, 0x20));
      await (await page.$("#load-files")).uploadFile(path.join(uploads, "DestroyProb.ini"));
      await page.waitForFunction(() => document.getElementById("tables-error").textContent !== "");
      assert.match(await text("#tables-error"), /^Слишком большой файл: DestroyProb\.ini \(17 МБ\); таблицы читаются до 16 МБ/);
      assert.equal(await text("#chance-line"), before);
      assert.equal(await text("#tables-used"), "Таблицы: примеры.");
    });

    test("a whole journey played out over the simulator's draws", async () => {
      await open("attempts=5&grade=2&level=50&taliks=1&stones=3320&target=3&seed=123" + prices);
      await press("#run-journey");
      await page.waitForFunction(() => document.getElementById("run-summary").textContent !== "");
      const summary = await text("#run-summary");
      assert.match(summary, /^Попыток: [\d\u00a0]+; Уничтожено предметов: [\d\u00a0]+; Потрачено: [\d\u00a0]+; цель 3 талик достигнута\.$/);
      const log = await page.$$eval("#run-log li", (items) => items.map((i) => i.textContent));
      assert.ok(log.length >= 1 && log.length <= 12, String(log.length));
      assert.match(log[log.length - 1], /^2: \+ Модификация успешна$/);
      // The same seed plays the same journey.
      await press("#run-journey");
      assert.equal(await text("#run-summary"), summary);
    });

    test("a simulation without a seed takes the time and leaves the seed unset", async () => {
      await open("attempts=5&grade=2&level=50&taliks=1&stones=3320&target=6");
      await press("#simulate");
      await page.waitForFunction(() => /^Зерно: \d+$/.test(document.getElementById("seed-used").textContent));
      assert.equal(await page.$eval("#seed", (el) => el.value), "");
      assert.doesNotMatch(page.url(), /seed=/);
      assert.equal((await page.$$("#sim-lines li")).length, 5);
    });

    test("the answer on the first screen, screenshots, no sideways scrolling, nothing for axe-core", async () => {
      for (const [width, height] of [[1280, 800], [360, 740]]) {
        await page.setViewport({ width, height });
        await open(fragmentOf(setUps[0], prices));
        const bottom = await page.$eval("#figures", (el) => el.getBoundingClientRect().bottom);
        assert.ok(bottom <= height, `the answer ends at ${bottom} px, below the first screen of ${height}`);
        assert.ok(await page.evaluate((w) => document.documentElement.scrollWidth <= w, width), `sideways scrolling at ${width} px`);
        const smallest = await page.$$eval("#chart text", (nodes) => Math.min(...nodes.map((n) => n.getBoundingClientRect().height)));
        assert.ok(smallest >= 10, `chart text ${smallest} px high at ${width} px`);
        await page.screenshot({ path: path.join(out, `page-${name}-${width}x${height}.png`) });
        await page.screenshot({ path: path.join(out, `page-${name}-${width}x${height}-full.png`), fullPage: true });
        // Every chart label inside the chart.
        const clipped = await page.$$eval("#chart text", (nodes) => {
          const box = document.getElementById("chart").getBoundingClientRect();
          return nodes.filter((n) => { const r = n.getBoundingClientRect(); return r.left < box.left - 0.5 || r.right > box.right + 0.5; })
            .map((n) => n.textContent);
        });
        assert.deepEqual(clipped, []);
        const visibleRows = () => page.$$eval("#journey tbody tr", (rows) => rows.filter((r) => r.getClientRects().length)
          .sort((a, b) => a.getBoundingClientRect().top - b.getBoundingClientRect().top).map((r) => r.cells[0].textContent));
        if (width === 360) {
          // The set-up's row first and alone until unfolded; the wide table's
          // grade column stays in view, with a cue to scroll.
          assert.deepEqual(await visibleRows(), ["1"]);
          await page.click("#journey-more");
          assert.deepEqual(await visibleRows(), ["1", "0", "2", "3", "4", "5"]);
          await page.click("#journey-more");
          assert.equal(await page.$eval("#grid tbody th", (el) => getComputedStyle(el).position), "sticky");
          assert.ok(await page.$eval("#grid", (el) => el.parentNode.previousElementSibling.getClientRects().length > 0));
        } else {
          assert.equal((await visibleRows()).length, 6);
          assert.equal(await page.$eval("#journey-more", (el) => el.getClientRects().length), 0);
        }
        await press("#simulate");
        await page.waitForFunction(() => document.getElementById("sim-lines").textContent !== "");
        await page.evaluate(axeSource);
        const violations = await page.evaluate(async () => (await window.axe.run(document)).violations
          .map((v) => v.id + ": " + v.nodes.map((n) => n.target.join(" ")).join(", ")));
        assert.deepEqual(violations, []);
      }
      await page.setViewport({ width: 1280, height: 800 });
    });
  });
}
