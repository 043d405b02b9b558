#!/usr/bin/env bash
# The page in headless Chromium, opened from disk: the time from opening the
# file to the first result, the time of one full recompute after an input
# change (the journey to 7 taliks with the cheapest stones included), and
# the file's size.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-test-deps.sh >/dev/null
cmake --workflow --preset web >/dev/null 2>&1 || cmake --build --preset web >/dev/null
node - "$PWD/build/web/upgrade-sim.html" "${BENCH_RUNS:-20}" <<'JS'
const { chromium } = require(process.cwd() + "/node_modules/playwright-core");
const fs = require("fs"), zlib = require("zlib");
const [file, runs] = [process.argv[2], Number(process.argv[3])];
const median = (values) => values.slice().sort((a, b) => a - b)[Math.floor(values.length / 2)];
(async () => {
  const browser = await chromium.launch({ executablePath: "/usr/bin/chromium", args: ["--no-sandbox"] });
  const page = await browser.newPage();
  const fragment = "#attempts=100&grade=5&level=50&taliks=2&stones=6630&target=7" +
    "&prices=10,20,40,80,200,1000&attempt_price=5&item_price=5000";
  const first = [], recompute = [];
  for (let run = 0; run < runs; run++) {
    await page.goto("about:blank");
    await page.goto("file://" + file + fragment);
    await page.waitForSelector("body[data-ready=true]");
    // From the start of the navigation to the first result on the page.
    first.push(await page.evaluate(() => performance.now()));
    recompute.push(await page.evaluate(() => {
      const level = document.getElementById("level");
      level.value = level.value === "50" ? "49" : "50";
      const start = performance.now();
      level.dispatchEvent(new Event("input"));
      return performance.now() - start;
    }));
  }
  await browser.close();
  const bytes = fs.readFileSync(file);
  console.log(`first result   ${median(first).toFixed(0)} ms (median of ${runs}; aim at most 300)`);
  console.log(`recompute      ${median(recompute).toFixed(1)} ms (median of ${runs}; aim at most 16)`);
  console.log(`file size      ${(bytes.length / 1024).toFixed(0)} KB, ${(zlib.gzipSync(bytes, { level: 9 }).length / 1024).toFixed(0)} KB gzipped`);
})();
JS
