// What the page's browser tests share: their arguments, the browsers they
// run in, and a page of the built file opened in one, its errors collected.
import { before, after } from "node:test";
import assert from "node:assert/strict";
import fs from "node:fs";
import os from "node:os";
import path from "node:path";
import { pathToFileURL } from "node:url";
import puppeteer from "puppeteer-core";

export const args = Object.fromEntries(process.argv.slice(2).reduce((pairs, word, i, all) =>
  (word.startsWith("--") ? [...pairs, [word.slice(2), all[i + 1]]] : pairs), []));
export const source = path.resolve(args.source ?? ".");
export const pageFile = path.resolve(args.page ?? path.join(source, "build/web/upgrade-sim.html"));
const browsers = {
  chromium: { browser: "chrome", executablePath: "/usr/bin/chromium",
    args: ["--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run", "--disable-background-networking",
      "--disable-component-update", "--disable-sync"] },
  firefox: { browser: "firefox", executablePath: "/usr/bin/firefox-esr", protocol: "webDriverBiDi" },
};
export const only = args.browser ? { [args.browser]: browsers[args.browser] } : browsers;

// A browser with a profile of its own and one page of the given size; the
// page's console errors and uncaught errors go to problems.
export async function launchPage(launch, viewport, problems) {
  const browser = await puppeteer.launch({ ...launch, headless: true,
    userDataDir: fs.mkdtempSync(path.join(os.tmpdir(), "upgrade-sim-profile-")) });
  const page = await browser.newPage();
  await page.setViewport(viewport);
  page.on("console", (message) => { if (message.type() === "error") problems.push("console: " + message.text()); });
  page.on("pageerror", (error) => problems.push("page error: " + error.message));
  return { browser, page };
}

// Within a describe: the browser and its page launched before its tests
// (handed to take), closed after them, with no problem the page reported.
export function pageForTests(launch, viewport, problems, take) {
  let browser = null;
  before(async () => {
    const made = await launchPage(launch, viewport, problems);
    browser = made.browser;
    take(made);
  });
  after(async () => {
    await browser?.close();
    assert.deepEqual(problems, []);
  });
}

// The module answers in a worker; the body carries data-busy until it has.
export const settledIn = (page) => page.waitForFunction(() => !document.body.hasAttribute("data-busy"));

// A field set as a player sets it, and the page's answer to it drawn.
export async function setFieldIn(page, id, value) {
  await page.$eval("#" + id, (el, v) => {
    el.value = v;
    el.dispatchEvent(new Event(el.tagName === "SELECT" ? "change" : "input", { bubbles: true }));
  }, value);
  await settledIn(page);
}

// The page at an address fragment, from a blank page, once it has answered.
export async function openIn(page, fragment) {
  await page.goto("about:blank");
  await page.goto(pathToFileURL(pageFile).href + "#" + fragment);
  await page.waitForSelector("body[data-ready=true]");
  await settledIn(page);
}

// The module's facts, asked of a worker of the page's own packed module, as
// the page asks them: the catalogue's words, in every language.
export const moduleFacts = (page) => page.evaluate(async () => {
  const code = document.getElementById("worker-code").textContent;
  const worker = new Worker(URL.createObjectURL(new Blob([code], { type: "text/javascript" })));
  const answer = await new Promise((resolve) => {
    worker.onmessage = (event) => { if (event.data.id === 1) resolve(JSON.parse(event.data.text)); };
    worker.postMessage({ id: 1, fn: "facts", args: [] });
  });
  worker.terminate();
  return answer;
});

// The page writes a percent's sign after a no-break space, so that it never
// parts from its figure (the language test checks that at 360 px); the
// tests compare figures and labels with a plain space. Strings, and those
// in arrays and objects, keys too.
export function plainSign(value) {
  if (typeof value === "string") return value.replace(/\u00a0%/g, " %");
  if (Array.isArray(value)) return value.map(plainSign);
  if (value && typeof value === "object") return Object.fromEntries(Object.entries(value).map(([k, v]) => [plainSign(k), plainSign(v)]));
  return value;
}
