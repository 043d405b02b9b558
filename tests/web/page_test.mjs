// The page in a real browser (Debian's headless Chromium), opened from disk,
// against the native programs on the same tables: the chance line, the
// report, the table's CSV, the journey's CSV and the simulation of a seed
// must be the very same bytes.
import { test, before, after } from "node:test";
import assert from "node:assert/strict";
import { execFileSync, spawnSync } from "node:child_process";
import fs from "node:fs";
import os from "node:os";
import path from "node:path";
import { pathToFileURL } from "node:url";
import { chromium } from "playwright-core";

const args = Object.fromEntries(process.argv.slice(2).reduce((pairs, word, i, all) =>
  (word.startsWith("--") ? [...pairs, [word.slice(2), all[i + 1]]] : pairs), []));
const source = path.resolve(args.source ?? ".");
const page_file = path.resolve(args.page ?? path.join(source, "build/web/upgrade-sim.html"));
const out = path.resolve(args.out ?? path.dirname(page_file));
const native = path.join(source, "build/release");
const examples = path.join(source, "examples/CustomSettings");

let browser, context, page;
const problems = [];

function ensureNativePrograms() {
  if (fs.existsSync(path.join(native, "upgrade-odds")) && fs.existsSync(path.join(native, "upgrade-sim"))) return;
  execFileSync("cmake", ["--workflow", "--preset", "release"], { cwd: source, stdio: "ignore" });
}

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
  return execFileSync(path.join(native, "upgrade-odds"), words, { cwd: dir, env: { PATH: process.env.PATH, LC_ALL: "C.UTF-8" },
    stdio: ["ignore", "pipe", "ignore"] }).toString("utf8");
}

// The simulator with its clock pinned at the seed's second, without a terminal.
function simulatorLines(dir, answers, seed) {
  const faketime = ["/usr/lib/x86_64-linux-gnu/faketime/libfaketime.so.1"].find((f) => fs.existsSync(f));
  assert.ok(faketime, "libfaketime is missing: run scripts/install-test-deps.sh");
  const when = new Date(seed * 1000).toISOString().replace("T", " ").replace(/\.\d+Z$/, "");
  const run = spawnSync("setsid", ["-w", path.join(native, "upgrade-sim")], { cwd: dir, input: answers,
    env: { PATH: process.env.PATH, LC_ALL: "C.UTF-8", TZ: "UTC", LD_PRELOAD: faketime, FAKETIME: "@" + when,
      FAKETIME_DONT_FAKE_MONOTONIC: "1" } });
  const text = run.stdout.toString("utf8");
  return text.slice(text.indexOf("Шанс успеха"), text.indexOf("\n Вычисление завершено."));
}

async function open(fragment) {
  await page.goto(pathToFileURL(page_file).href + "#" + fragment);
  await page.waitForSelector("body[data-ready=true]");
}

async function text(selector) { return page.locator(selector).textContent(); }

before(async () => {
  ensureNativePrograms();
  browser = await chromium.launch({ executablePath: "/usr/bin/chromium", args: ["--no-sandbox"] });
  context = await browser.newContext({ acceptDownloads: true, viewport: { width: 1280, height: 800 } });
  page = await context.newPage();
  // Nothing may be fetched from anywhere: the file itself, and the data and
  // blob addresses it makes, are all there is.
  page.on("request", (request) => {
    if (!/^(file|data|blob):/.test(request.url())) problems.push("network request: " + request.url());
  });
  page.on("console", (message) => { if (message.type() === "error") problems.push("console: " + message.text()); });
  page.on("pageerror", (error) => problems.push("page error: " + error.message));
});

after(async () => {
  await browser?.close();
  assert.deepEqual(problems, []);
});

const setUps = [
  { attempts: 3, grade: 2, level: 50, taliks: 1, stones: "3320", target: 6, seed: 1765188000 },
  { attempts: 100, grade: 10, level: 65, taliks: 6, stones: "6666", target: 7, seed: 1800000000 },
  { attempts: 1, grade: 0, level: 1, taliks: 0, stones: "0000", target: 1, seed: 4000000000 },
  { attempts: 37, grade: 7, level: 13, taliks: 3, stones: "6501", target: 5, seed: 1000000000 },
];

function fragmentOf(s, extra = "") {
  return `attempts=${s.attempts}&grade=${s.grade}&level=${s.level}&taliks=${s.taliks}&stones=${s.stones}` +
    `&target=${s.target}&seed=${s.seed}${extra}`;
}

async function checkAgainstNative(s, dir, extra = "", priceWords = null) {
  await open(fragmentOf(s, extra));
  const stones = s.stones.split("");
  const report = odds(dir, String(s.attempts), String(s.grade), String(s.level), String(s.taliks), ...stones);
  const [chanceLine, ...rest] = report.split("\n");
  assert.equal(await text("#chance-line"), chanceLine);
  assert.equal(await text("#report"), rest.join("\n"));
  // The table's CSV, downloaded.
  const [download] = await Promise.all([page.waitForEvent("download"), page.click("#csv")]);
  const csv = fs.readFileSync(await download.path(), "utf8");
  assert.equal(csv, odds(dir, "--csv", "--table", String(s.level), ...stones));
  // The journey.
  const plan = priceWords
    ? odds(dir, "--csv", "--plan", ...priceWords, String(s.grade), String(s.level), String(s.target))
    : odds(dir, "--csv", "--plan", String(s.grade), String(s.level), String(s.target), ...stones);
  assert.equal(await page.locator("#journey").getAttribute("data-csv"), plan);
  // The simulation of the seed, line for line.
  const answers = `${s.attempts} ${s.grade} ${s.level} ${s.taliks} ${stones.join(" ")}\n`;
  assert.equal(await text("#sim-lines"), simulatorLines(dir, answers, s.seed));
  assert.match(await text("#seed-used"), new RegExp(String(s.seed)));
}

test("set-ups in the address read as the programs read them", async () => {
  const dir = folderWith(exampleFiles);
  for (const s of setUps) await checkAgainstNative(s, dir);
});

test("the cheapest stones for prices in the address", async () => {
  const dir = folderWith(exampleFiles);
  const s = setUps[0];
  await checkAgainstNative(s, dir, "&prices=10,20,40,80,200,1000&attempt_price=5&item_price=5000",
    ["--prices", "10,20,40,80,200,1000", "--attempt-price", "5", "--item-price", "5000"]);
  const cells = await page.locator("#journey tbody tr").count();
  assert.equal(cells, s.target);
});

function utf16le(textValue) { return Buffer.concat([Buffer.from([0xff, 0xfe]), Buffer.from(textValue, "utf16le")]); }

test("tables loaded through the file input, in any encoding and letter case", async () => {
  const success = exampleFiles["SuccessProb.ini"].toString("utf8").replace(/\r?\n/g, "\r\n").replace(/=(\d+)/g, (m, v) => "=" + (Number(v) + 7));
  const destroy = exampleFiles["DestroyProb.ini"].toString("utf8").replace(/\r?\n/g, "\r");
  const loaded = { "SUCCESSPROB.INI": utf16le(success), "destroyprob.ini": Buffer.from(destroy) };
  const uploads = fs.mkdtempSync(path.join(os.tmpdir(), "upgrade-sim-upload-"));
  for (const [name, bytes] of Object.entries(loaded)) fs.writeFileSync(path.join(uploads, name), bytes);
  await open(fragmentOf(setUps[0]));
  await page.setInputFiles("#load-files", Object.keys(loaded).map((n) => path.join(uploads, n)));
  await page.waitForFunction(() => document.getElementById("files").textContent.includes("SUCCESSPROB.INI"));
  const files = await text("#files");
  assert.match(files, /SUCCESSPROB\.INI: \d+ байт/);
  assert.match(files, /DowngradeProb\.ini: не загружен: все значения 0/);
  // Natively: the same bytes under the names the programs look for, and no DowngradeProb.
  const dir = folderWith({ "SuccessProb.ini": loaded["SUCCESSPROB.INI"], "DestroyProb.ini": loaded["destroyprob.ini"] });
  for (const s of setUps.slice(0, 2)) await checkAgainstNative(s, dir);
  // Remembered on this computer, until the examples come back.
  await page.reload();
  await page.waitForSelector("body[data-ready=true]");
  assert.match(await text("#files"), /SUCCESSPROB\.INI/);
  await page.click("#examples");
  assert.match(await text("#files"), /примеры/);
});

test("a bad value is marked at its field and nothing is computed from it", async () => {
  await open("attempts=3&grade=2&level=0&taliks=9&stones=3390&target=8");
  for (const id of ["level", "taliks", "stone3", "target"]) {
    assert.equal(await page.locator("#" + id).getAttribute("aria-invalid"), "true", id);
  }
  assert.equal(await page.locator("#attempts").getAttribute("aria-invalid"), "false");
  assert.equal(await text("#level-error"), "от 1 до 65");
  assert.equal(await text("#chance-line"), "—");
  assert.equal(await page.locator("#journey tr").count(), 0);
  await page.fill("#level", "50");
  await page.fill("#taliks", "1");
  await page.selectOption("#stone3", "2");
  assert.equal(await page.locator("#level").getAttribute("aria-invalid"), "false");
  assert.match(await text("#chance-line"), /^Шанс успеха = \d+ %$/);
  assert.match(page.url(), /level=50&taliks=1&stones=3320/);
});

test("screenshots, and no sideways scrolling on a phone", async () => {
  await open(fragmentOf(setUps[0], "&prices=10,20,40,80,200,1000&item_price=5000"));
  await page.screenshot({ path: path.join(out, "page-1280x800.png") });
  await page.screenshot({ path: path.join(out, "page-1280x800-full.png"), fullPage: true });
  await page.setViewportSize({ width: 360, height: 740 });
  await open(fragmentOf(setUps[0], "&prices=10,20,40,80,200,1000&item_price=5000"));
  assert.ok(await page.evaluate(() => document.documentElement.scrollWidth <= 360),
    "the page scrolls sideways at 360 px");
  await page.screenshot({ path: path.join(out, "page-360x740.png") });
  await page.screenshot({ path: path.join(out, "page-360x740-full.png"), fullPage: true });
  // Every control has a label a screen reader can say.
  const unlabelled = await page.evaluate(() => Array.from(document.querySelectorAll("input, select, button"))
    .filter((el) => !(el.labels && el.labels.length) && !el.textContent.trim() && !el.getAttribute("aria-label"))
    .map((el) => el.id));
  assert.deepEqual(unlabelled, []);
  await page.setViewportSize({ width: 1280, height: 800 });
});
