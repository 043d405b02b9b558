// The page's own figures against answers worked out here, not by the program:
// the odds of an attempt as exact fractions of the draw rules (BigInt), the
// journey's linear systems solved in exact fractions, its percentiles by
// stepping the chain one attempt at a time, the simulations by walking the
// draws of a Mersenne Twister written from its definition, and the tables'
// findings as checked by hand. Each figure is read from the page and must
// agree with its value to the digits it shows, in the form the page promises:
// plain digits grouped by no-break spaces from five digits on, never an
// exponent, a figure rounded beyond a million marked "≈", a percent of a
// certainty as "100 %" and of anything less below it.
// In headless Chromium and Firefox; every test waits for a state of the page.
import { test, describe } from "node:test";
import assert from "node:assert/strict";
import fs from "node:fs";
import os from "node:os";
import path from "node:path";
import { source, only, pageForTests, settledIn, openIn, plainSign, setFieldIn } from "./browser.mjs";

const examples = path.join(source, "examples/CustomSettings");

// ---- Exact odds of one attempt ----------------------------------------------
// A success: two draws a, b with ((a << 16) + b) % 100000 < chance; else a
// draw % 10000 below the DestroyProb cell destroys the item; else one below
// the DowngradeProb cell destroys the taliks. Shares are counts over 2^60.
const SCALE = 1n << 60n;
function successPairs(chance) {
  if (chance <= 0) return 0n;
  if (chance >= 100000) return 1n << 30n;
  let total = 0;
  for (let a = 0; a < 32768; a++) {
    const start = (a * 65536) % 100000;
    total += Math.max(0, Math.min(start + 32768, 100000, chance) - start);
    if (start + 32768 > 100000) total += Math.min(chance, start + 32768 - 100000);
  }
  return BigInt(total);
}
function drawsBelow(value) {
  let count = 0;
  for (let c = 0; c < 32768; c++) if (c % 10000 < value) count++;
  return BigInt(count);
}
// [success, item destroyed, taliks destroyed, failed], each over 2^60.
function attemptShares(chance, destroy, downgrade) {
  const s = successPairs(chance), d = drawsBelow(destroy), g = drawsBelow(downgrade);
  const miss = (1n << 30n) - s;
  const shares = [s << 30n, miss * d << 15n, miss * (32768n - d) * g];
  return [...shares, SCALE - shares[0] - shares[1] - shares[2]];
}
// The stone factors 1/8, 1, 2, 2.5, 3, 6, 10 in eighths; the chance per
// 100000 is weight x factor sum x 3000 / (4 x level), truncated.
const stoneEighths = [1, 8, 16, 20, 24, 48, 80];
function chanceOf(weight, stones, level) {
  const eighths = stones.reduce((sum, tier) => sum + stoneEighths[tier], 0);
  return Math.floor(weight * eighths * 375 / (4 * level));
}

// ---- Exact fractions ----------------------------------------------------------
const gcd = (a, b) => { a = a < 0n ? -a : a; b = b < 0n ? -b : b; while (b) [a, b] = [b, a % b]; return a; };
function frac(n, d = 1n) {
  if (d < 0n) { n = -n; d = -d; }
  const g = gcd(n, d) || 1n;
  return { n: n / g, d: d / g };
}
const fadd = (x, y) => frac(x.n * y.d + y.n * x.d, x.d * y.d);
const fsub = (x, y) => frac(x.n * y.d - y.n * x.d, x.d * y.d);
const fmul = (x, y) => frac(x.n * y.n, x.d * y.d);
const fdiv = (x, y) => frac(x.n * y.d, x.d * y.n);
const share = (count) => frac(count, SCALE);
// A fraction as a double, correctly enough for a figure of a few digits.
function toNumber(x) {
  const shift = BigInt(Math.max(0, x.d.toString(2).length - x.n.toString(2).length + 64));
  return Number((x.n << shift) / x.d) / 2 ** Number(shift);
}

// x_t = cost_t + s x_(t+1) + l x_0 + d (destroyCost + [renew] x_0) + f x_t,
// x_target = atTarget, by Gauss-Jordan elimination in exact fractions.
function solveJourney(steps, cost, destroyCost, renew, atTarget) {
  const n = steps.length;
  const rows = steps.map(([s, d, l, f], t) => {
    const row = Array.from({ length: n + 1 }, () => frac(0n));
    row[t] = fadd(row[t], fsub(frac(1n), f));
    if (t + 1 < n) row[t + 1] = fsub(row[t + 1], s);
    row[0] = fsub(row[0], renew ? fadd(l, d) : l);
    row[n] = fadd(fadd(frac(BigInt(cost[t])), fmul(d, frac(BigInt(destroyCost)))),
      t + 1 === n ? fmul(s, frac(BigInt(atTarget))) : frac(0n));
    return row;
  });
  for (let col = 0; col < n; col++) {
    const pivot = rows.findIndex((r, i) => i >= col && r[col].n !== 0n);
    if (pivot < 0) return null;  // a journey that may never end
    [rows[col], rows[pivot]] = [rows[pivot], rows[col]];
    rows.forEach((r, i) => {
      if (i === col || r[col].n === 0n) return;
      const factor = fdiv(r[col], rows[col][col]);
      rows[i] = r.map((v, j) => fsub(v, fmul(factor, rows[col][j])));
    });
  }
  return rows.map((r, t) => fdiv(r[n], r[t]));
}

// The least n with P(target within n attempts, with new items) >= level,
// stepping the chain in doubles; a level crossed by less than 1e-9 would be
// undecided at this precision, and the test says so.
function attemptsFor(steps, start, levels) {
  const n = steps.length, p = steps.map((row) => row.map(toNumber));
  let v = new Float64Array(n + 1);
  v[start] = 1;
  const found = [];
  let previous = 0;
  for (let attempts = 1; found.length < levels.length; attempts++) {
    const next = new Float64Array(n + 1);
    next[n] = v[n];
    for (let t = 0; t < n; t++) {
      next[t + 1] += v[t] * p[t][0];
      next[0] += v[t] * (p[t][1] + p[t][2]);
      next[t] += v[t] * p[t][3];
    }
    v = next;
    while (found.length < levels.length && v[n] >= levels[found.length]) {
      const level = levels[found.length];
      assert.ok(v[n] - level > 1e-9 && level - previous > 1e-9, `undecided at ${attempts} attempts`);
      found.push(attempts);
    }
    previous = v[n];
  }
  return found;
}

// The fewest destroyed items k with P(target with at most k destroyed) >= level.
function itemsFor(reach, destroy, start, level) {
  let within = toNumber(reach[start]), renewed = toNumber(destroy[start]);
  const r0 = toNumber(reach[0]), d0 = toNumber(destroy[0]);
  for (let k = 0; ; k++) {
    if (within >= level) return k;
    within += renewed * r0;
    renewed *= d0;
  }
}

// P(total spent <= b) for b = 0, 1, ... units of the costs, forward, in
// doubles: F_t(b) = s F_(t+1)(b-c) + l F_0(b-c) + d F_0(b-c-i) + f F_t(b-c).
function budgetsFor(steps, costs, itemPrice, level) {
  const n = steps.length, p = steps.map((row) => row.map(toNumber));
  const unit = [...costs, itemPrice].reduce((a, b) => Number(gcd(BigInt(a), BigInt(b))));
  const c = costs.map((x) => x / unit), item = itemPrice / unit;
  const history = [], found = new Array(n).fill(null);
  for (let b = 0; found.includes(null); b++) {
    const at = (u, back) => (b - back < 0 ? 0 : u === n ? 1 : history[b - back][u]);
    const row = p.map(([s, d, l, f], t) => s * at(t + 1, c[t]) + l * at(0, c[t]) + d * at(0, c[t] + item) + f * at(t, c[t]));
    history.push(row);
    row.forEach((x, t) => { if (found[t] === null && x >= level) found[t] = b * unit; });
  }
  return found;
}

// ---- The simulator's draws ----------------------------------------------------
function mt19937(seed) {
  const state = new Uint32Array(624);
  state[0] = seed >>> 0;
  for (let i = 1; i < 624; i++) {
    const prev = state[i - 1] ^ (state[i - 1] >>> 30);
    state[i] = (Math.imul(1812433253, prev) + i) >>> 0;
  }
  let index = 624;
  return function draw15() {
    if (index >= 624) {
      for (let i = 0; i < 624; i++) {
        const y = (state[i] & 0x80000000) | (state[(i + 1) % 624] & 0x7fffffff);
        state[i] = state[(i + 397) % 624] ^ (y >>> 1) ^ (y & 1 ? 0x9908b0df : 0);
      }
      index = 0;
    }
    let y = state[index++];
    y ^= y >>> 11;
    y ^= (y << 7) & 0x9d2c5680;
    y ^= (y << 15) & 0xefc60000;
    y ^= y >>> 18;
    return (y >>> 0) >>> 17;
  };
}
const outcomeLabels = ["+ Модификация успешна", "- Предмет уничтожен", "- Талики уничтожены", "- Модификация неудачна"];
function drawAttempt(draw, chance, destroy, downgrade) {
  const a = draw(), b = draw();
  if ((a * 65536 + b) % 100000 < chance) return 0;
  if (draw() % 10000 < destroy) return 1;
  if (draw() % 10000 < downgrade) return 2;
  return 3;
}

// ---- The tables -------------------------------------------------------------
const tableNames = ["SuccessProb.ini", "DestroyProb.ini", "DowngradeProb.ini"];
const exampleTexts = tableNames.map((name) => fs.readFileSync(path.join(examples, name), "utf8"));
function cellsOf(text) {
  const cells = Array.from({ length: 11 }, () => new Array(7).fill(0));
  let grade = null;
  for (const line of text.split(/\r\n|\r|\n/)) {
    const section = /^\[ItemGrade(\d+)\]$/.exec(line.trim());
    const key = /^UpgradeLevel(\d)=(-?\d+)$/.exec(line.trim());
    if (section) grade = Number(section[1]);
    else if (key && grade !== null) cells[grade][Number(key[1])] = Number(key[2]);
  }
  return cells;
}
const exampleCells = exampleTexts.map(cellsOf);
// text with one cell's value replaced.
function setCell(text, grade, taliks, value) {
  let section = null;
  return text.split("\n").map((line) => {
    const header = /^\[ItemGrade(\d+)\]/.exec(line);
    if (header) section = Number(header[1]);
    return section === grade && line.startsWith(`UpgradeLevel${taliks}=`) ? line.replace(/=[^\r]*/, `=${value}`) : line;
  }).join("\n");
}
// The steps of a journey: for each talik count below the target, its stones,
// chance and shares.
function journeySteps(tables, grade, level, stonesOfStep, target) {
  return Array.from({ length: target }, (_, t) => {
    const chance = chanceOf(tables[0][grade][t], stonesOfStep(t), level);
    return attemptShares(chance, tables[1][grade][t], tables[2][grade][t]).map(share);
  });
}
function setUpOf(tables, grade, level, stones, t) {
  return { chance: chanceOf(tables[0][grade][t], stones, level), destroy: tables[1][grade][t], downgrade: tables[2][grade][t] };
}

// ---- The forms of the page's figures -----------------------------------------
const NBSP = "\u00a0";
// A plain decimal: whole digits grouped in threes from five digits on.
const plainForm = /^(\d{1,4}|\d{2,3}(\u00a0\d{3})+|\d(\u00a0\d{3}){2,})(\.\d+)?$/;
function shownNumber(text) {
  assert.match(text, plainForm, `"${text}" is not a plain grouped number`);
  return Number(text.replaceAll(NBSP, ""));
}
// The figure shows value to its digits: within half a unit of its last
// decimal, or beyond a million (three significant digits) of its third digit.
function assertFigure(marked, value, what) {
  // Beyond a million, three significant digits: marked as rounded.
  const text = marked.replace(/^≈/, "");
  const shown = shownNumber(text);
  const decimals = text.includes(".") ? text.split(".")[1].length : 0;
  const whole = text.split(".")[0].replaceAll(NBSP, "");
  const half = decimals ? 0.5 * 10 ** -decimals : whole.length > 6 ? 0.5 * 10 ** (whole.length - 3) : 0.5;
  if (whole.length > 6) assert.match(whole, /^\d{3}0+$/, `${what}: ${text} has more digits than it holds`);
  assert.equal(marked !== text, whole.length > 6, `${what}: ${marked} marked as rounded or not`);
  assert.ok(Math.abs(shown - value) <= half * (1 + 1e-9), `${what}: shows ${text}, is ${value}`);
}
// A percent: "0 %" and "100 %" only for what is exactly 0 and 1; anything
// between with two significant digits at least, and below 100.
function assertPercent(text, exact, what) {
  const value = toNumber(exact);
  if (exact.n === 0n) return assert.equal(text, "0 %", what);
  if (exact.n === exact.d) return assert.equal(text, "100 %", what);
  assert.match(text, / %$/, what);
  const number = text.slice(0, -2);
  assertFigure(number, 100 * value, what);
  assert.ok(shownNumber(number) < 100, `${what}: ${text} for less than a certainty`);
  assert.ok(number.replace(/^[0.]+/, "").replace(".", "").length >= 2, `${what}: ${text} has one digit`);
}
const groupedInteger = (n) => String(n).replace(/\B(?=(\d{3})+(?!\d))/g, NBSP).replace(/^(\d)\u00a0(\d{3})$/, "$1$2");
const exactInteger = (text, n, what) => assert.equal(text, groupedInteger(n), what);

const priceWords = { prices: [10, 20, 40, 80, 200, 1000], attempt: 5, item: 5000 };
const prices = "&prices=10,20,40,80,200,1000&attempt_price=5&item_price=5000";

for (const [name, launch] of Object.entries(only)) {
  describe(name, () => {
    let page;
    const problems = [];

    const settled = () => settledIn(page);
    const open = (fragment) => openIn(page, fragment);
    const setField = (id, value) => setFieldIn(page, id, value);
    async function click(selector) {
      await page.click(selector);
      await settled();
    }
    const text = (selector) => page.$eval(selector, (el) => el.textContent).then(plainSign);
    // The answer's figures by their labels.
    const figures = () => page.$$eval("#figures dt", (terms) => Object.fromEntries(terms.map((dt) =>
      [dt.textContent, dt.parentElement.querySelector("dd").textContent]))).then(plainSign);
    const journeyRows = () => page.$$eval("#journey tbody tr", (rows) => rows.map((r) =>
      Object.fromEntries(Array.from(r.cells).map((c, i) => [r.closest("table").tHead.rows[0].cells[i].textContent, c.textContent])))).then(plainSign);
    async function loadTables(texts) {
      const folder = fs.mkdtempSync(path.join(os.tmpdir(), "upgrade-sim-figures-"));
      const files = tableNames.map((n, w) => { fs.writeFileSync(path.join(folder, n), texts[w]); return path.join(folder, n); });
      const input = await page.$("#load-files");
      const before = await text("#files");
      await input.uploadFile(...files);
      await page.waitForFunction((old) => document.getElementById("files").textContent !== old, {}, before);
      await settled();
    }
    async function examplesBack() {
      await click("#examples");
      await page.waitForFunction(() => Array.from(document.querySelectorAll("#files li")).every((li) => /пример/.test(li.textContent)));
    }

    pageForTests(launch, { width: 1280, height: 800 }, problems, (made) => { page = made.page; });

    test("the answer, the journey table and its stones to stock, worked out in fractions", async () => {
      const [grade, level, taliks, stones, target] = [2, 50, 1, [3, 3, 2, 0], 6];
      await open(`attempts=3&grade=${grade}&level=${level}&taliks=${taliks}&stones=3320&target=${target}`);
      const one = attemptShares(...Object.values(setUpOf(exampleCells, grade, level, stones, taliks))).map(share);
      const steps = journeySteps(exampleCells, grade, level, () => stones, target);
      const zeros = steps.map(() => 0), ones = steps.map(() => 1);
      const reach = solveJourney(steps, zeros, 0, false, 1);
      const destroy = solveJourney(steps, zeros, 1, false, 0);
      const attempts = solveJourney(steps, ones, 0, false, 0);
      const renewed = solveJourney(steps, ones, 0, true, 0);
      const items = solveJourney(steps, zeros, 1, true, 0);
      const shown = await figures();
      assertPercent(shown["Попытка уничтожит предмет"], one[1], "item destroyed");
      assertPercent(shown["Попытка уничтожит талики"], one[2], "taliks destroyed");
      assertPercent(shown["Дойти до 6 талик раньше потери предмета"], reach[taliks], "reach");
      assertFigure(shown["Попыток в среднем до цели, с новыми предметами"], toNumber(renewed[taliks]), "attempts with new items");
      assertFigure(shown["Предметов уйдёт в среднем"], toNumber(items[taliks]), "items destroyed");
      exactInteger(shown["Предметов хватит на 90 %"], itemsFor(reach, destroy, taliks, 0.9), "items for 90 %");

      const rows = await journeyRows();
      assert.equal(rows.length, target);
      assert.deepEqual(await page.$$eval("#journey tbody tr.mark", (marked) => marked.map((r) => r.sectionRowIndex)), [taliks]);
      rows.forEach((row, t) => {
        assert.equal(row["Т"], String(t));
        assert.equal(row["Камни"], "3320");
        assertFigure(row["Успех %"], 100 * toNumber(steps[t][0]), `row ${t} success`);
        assertFigure(row["Дойти %"], 100 * toNumber(reach[t]), `row ${t} reach`);
        assertFigure(row["Попыток"], toNumber(attempts[t]), `row ${t} attempts`);
        assertFigure(row["Попыток с новыми"], toNumber(renewed[t]), `row ${t} attempts with new items`);
        assertFigure(row["Потерь"], toNumber(items[t]), `row ${t} items destroyed`);
        assert.equal(row["Предметов на 90 %"].replaceAll(NBSP, ""), String(itemsFor(reach, destroy, t, 0.9)), `row ${t} items for 90 %`);
      });
      // The percentiles from the set-up's count and from 0, stepped here.
      for (const t of [0, taliks, target - 1]) {
        const counts = attemptsFor(steps, t, [0.5, 0.9, 0.99]);
        counts.forEach((n, p) => exactInteger(rows[t][["На 50 %", "На 90 %", "На 99 %"][p]], n, `row ${t} attempts for ${p}`));
      }
      // Stones to stock from the set-up's count: each tier's stones per
      // attempt times the expected attempts there, with new items.
      const stock = await text("#stock");
      assert.match(stock, new RegExp(`^Камни в запас на путь от ${taliks} талик, в среднем: (Т\\d [\\d\u00a0.]+(, |\\.$))+`));
      const listed = Array.from(stock.matchAll(/Т(\d) ([\d\u00a0.]+?)(?:,|\.$)/g), (m) => [Number(m[1]), m[2]]);
      assert.deepEqual(listed.map(([tier]) => tier), [2, 3]);
      for (const [tier, count] of listed) {
        const used = solveJourney(steps, steps.map(() => stones.filter((x) => x === tier).length), 0, true, 0);
        assertFigure(count, toNumber(used[taliks]), `stones Т${tier}`);
      }
    });

    test("a priced journey: the cheapest stones' cost, budgets and items, and a journey played out", async () => {
      const [grade, level, taliks, target, seed] = [2, 50, 1, 3, 163];
      await open(`attempts=5&grade=${grade}&level=${level}&taliks=${taliks}&stones=3320&target=${target}&seed=${seed}${prices}`);
      const rows = await journeyRows();
      const stonesOf = rows.map((row) => row["Камни"].split("").map(Number));
      const steps = journeySteps(exampleCells, grade, level, (t) => stonesOf[t], target);
      const costs = stonesOf.map((set) => priceWords.attempt + set.reduce((sum, tier) => sum + (tier ? priceWords.prices[tier - 1] : 0), 0));
      const cost = solveJourney(steps, costs, priceWords.item, true, 0);
      const budgets = budgetsFor(steps, costs, priceWords.item, 0.9);
      rows.forEach((row, t) => {
        assertFigure(row["Цена"], toNumber(cost[t]), `row ${t} cost`);
        exactInteger(row["Бюджет на 90 %"], budgets[t], `row ${t} budget for 90 %`);
      });
      const shown = await figures();
      exactInteger(shown["Бюджет, которого хватит на 90 %"], budgets[taliks], "the answer's budget");
      assertFigure(shown["Цена в среднем до цели"], toNumber(cost[taliks]), "the answer's mean cost");
      // The cheapest stones are no worse than the player's own at any count.
      const own = solveJourney(journeySteps(exampleCells, grade, level, () => [3, 3, 2, 0], target),
        steps.map(() => priceWords.attempt + 40 + 40 + 20), priceWords.item, true, 0);
      cost.forEach((c, t) => assert.ok(toNumber(c) <= toNumber(own[t]), `row ${t}`));

      // The journey over the seed's draws, from the set-up's talik count.
      await click("#run-journey");
      await page.waitForFunction(() => document.getElementById("run-summary").textContent !== "");
      const draw = mt19937(seed);
      let t = taliks, played = 0, lost = 0, spent = 0;
      const log = [];
      while (t < target) {
        const outcome = drawAttempt(draw, ...Object.values(setUpOf(exampleCells, grade, level, stonesOf[t], t)));
        log.push(`${t}: ${outcomeLabels[outcome]}`);
        played++;
        spent += costs[t];
        if (outcome === 0) t++;
        else if (outcome === 1) { lost++; spent += priceWords.item; t = 0; } else if (outcome === 2) t = 0;
      }
      const group = (n) => { const s = String(n); return s.length < 5 ? s : s.replace(/\B(?=(\d{3})+(?!\d))/g, NBSP); };
      assert.equal(await text("#run-summary"),
        `Попыток: ${group(played)}; Уничтожено предметов: ${group(lost)}; Потрачено: ${group(spent)}; цель ${target} талик достигнута.`);
      assert.deepEqual(await page.$$eval("#run-log li", (items) => items.map((i) => i.textContent)), log.slice(-12));
      assert.ok(lost > 1 && played > 12, "the seed's journey loses an item and runs past the log");
      // From the set-up's count, not from 0: a seed whose first attempt one
      // talik short of the target succeeds ends the journey there.
      const lastStep = Object.values(setUpOf(exampleCells, grade, level, stonesOf[target - 1], target - 1));
      let lucky = 1;
      while (drawAttempt(mt19937(lucky), ...lastStep) !== 0) lucky++;
      await open(`attempts=5&grade=${grade}&level=${level}&taliks=${target - 1}&stones=3320&target=${target}&seed=${lucky}${prices}`);
      await click("#run-journey");
      await page.waitForFunction(() => document.getElementById("run-summary").textContent !== "");
      assert.deepEqual(await page.$$eval("#run-log li", (items) => items.map((i) => i.textContent)), [`${target - 1}: ${outcomeLabels[0]}`]);
      assert.match(await text("#run-summary"), /^Попыток: 1; Уничтожено предметов: 0; /);
    });

    test("the simulation's lines and summary over the seed's draws, and the current second without one", async () => {
      const [grade, level, taliks, stones, seed, count] = [2, 50, 1, [3, 3, 2, 0], 1765188000, 100];
      await open(`attempts=${count}&grade=${grade}&level=${level}&taliks=${taliks}&stones=3320&target=6&seed=${seed}`);
      await page.waitForFunction(() => document.getElementById("sim-summary").textContent !== "");
      const setUp = setUpOf(exampleCells, grade, level, stones, taliks);
      const draw = mt19937(seed), counts = [0, 0, 0, 0], lines = [];
      for (let i = 0; i < count; i++) {
        const outcome = drawAttempt(draw, setUp.chance, setUp.destroy, setUp.downgrade);
        counts[outcome]++;
        lines.push(outcomeLabels[outcome]);
      }
      assert.ok(counts.every((n) => n > 0), String(counts));
      assert.deepEqual(await page.$$eval("#sim-lines li", (items) => items.map((i) => i.textContent)), lines);
      assert.equal(await text("#sim-summary"), outcomeLabels.map((label, i) => `${label}: ${counts[i]}`).join("; "));
      assert.equal(await text("#sim-chance"), `Шанс успеха = ${Math.floor(setUp.chance / 1000)} %`);
      // Without a seed: the current second, as the simulator takes its clock.
      await open(`attempts=${count}&grade=${grade}&level=${level}&taliks=${taliks}&stones=3320&target=6`);
      const from = Math.floor(Date.now() / 1000);
      await click("#simulate");
      await page.waitForFunction(() => /^Зерно: \d+$/.test(document.getElementById("seed-used").textContent));
      const until = Math.floor(Date.now() / 1000);
      const used = Number((await text("#seed-used")).split(" ")[1]);
      assert.ok(used >= from && used <= until, `seed ${used}, the clock between ${from} and ${until}`);
      const again = mt19937(used);
      const expected = Array.from({ length: count }, () => outcomeLabels[drawAttempt(again, setUp.chance, setUp.destroy, setUp.downgrade)]);
      assert.deepEqual(await page.$$eval("#sim-lines li", (items) => items.map((i) => i.textContent)), expected);
    });

    test("the chart rises from 0 to past the 99 % mark, its marks at the stepped percentiles", async () => {
      const [grade, level, taliks, target] = [2, 50, 1, 3];
      await open(`attempts=5&grade=${grade}&level=${level}&taliks=${taliks}&stones=6630&target=${target}`);
      const steps = journeySteps(exampleCells, grade, level, () => [6, 6, 3, 0], target);
      const counts = attemptsFor(steps, taliks, [0.5, 0.9, 0.99]);
      const chart = await page.evaluate(() => {
        const svg = document.getElementById("chart");
        const label = (t) => Array.from(svg.querySelectorAll("text")).find((n) => n.textContent.replace(/\u00a0%/g, " %") === t);
        return {
          zero: Number(label("0 %").getAttribute("y")), full: Number(label("100 %").getAttribute("y")),
          // The y axis: the longest upright line, from the top of the plot to its bottom.
          axis: Array.from(svg.querySelectorAll("line")).map((l) => ["x1", "y1", "x2", "y2"].map((k) => Number(l.getAttribute(k))))
            .filter(([x1, , x2]) => x1 === x2).sort((a, b) => Math.abs(b[3] - b[1]) - Math.abs(a[3] - a[1]))[0],
          points: svg.querySelector("polyline").getAttribute("points").trim().split(/\s+/).map((p) => p.split(",").map(Number)),
          marks: Array.from(svg.querySelectorAll("circle")).map((c) => [Number(c.getAttribute("cx")), Number(c.getAttribute("cy"))]),
        };
      });
      assert.ok(chart.full < chart.zero, "100 % above 0 %");
      const [top, bottom] = [Math.min(chart.axis[1], chart.axis[3]), Math.max(chart.axis[1], chart.axis[3])];
      const share = (y) => (bottom - y) / (bottom - top);
      const ys = chart.points.map((p) => p[1]), xs = chart.points.map((p) => p[0]);
      xs.slice(1).forEach((x, i) => assert.ok(x > xs[i], `points left to right at ${i}`));
      ys.slice(1).forEach((y, i) => assert.ok(y <= ys[i], `the curve never falls, at ${i}`));
      assert.ok(share(ys[0]) < 0.5, `starts at ${share(ys[0])}`);
      assert.ok(share(ys[ys.length - 1]) >= 0.99 - 0.005, `ends at ${share(ys[ys.length - 1])}, short of 99 %`);
      assert.equal(chart.marks.length, 3);
      [0.5, 0.9, 0.99].forEach((level, i) => assert.ok(Math.abs(share(chart.marks[i][1]) - level) < 0.005, `mark ${level}: ${share(chart.marks[i][1])}`));
      chart.marks.slice(1).forEach((m, i) => assert.ok(m[0] > chart.marks[i][0], "marks left to right"));
      assert.ok(chart.marks[2][0] <= xs[xs.length - 1] + 0.5, "the 99 % mark within the curve");
      assert.equal(await text("#chart-caption"), `Вероятность дойти до цели с новыми предметами от ${taliks} талик за столько ` +
        `попыток. Попыток хватит с вероятностью 50 % — ${counts[0]}, 90 % — ${counts[1]}, 99 % — ${counts[2]}.`);
      // Drawn anew at the width it is shown at when the page narrows to a
      // phone's, and widens again.
      for (const width of [360, 1280]) {
        await page.setViewport({ width, height: 800 });
        await page.waitForFunction((narrow) => {
          const svg = document.getElementById("chart"), drawn = svg.viewBox.baseVal.width;
          return Math.abs(drawn - Math.max(svg.getBoundingClientRect().width, 280)) <= 1 && (drawn < 360) === narrow;
        }, {}, width === 360);
      }
    });

    test("the table's marked cell and the editor's reach column are the set-up's", async () => {
      const [grade, level, taliks, stones, target] = [7, 50, 3, [6, 5, 0, 1], 5];
      await open(`attempts=3&grade=${grade}&level=${level}&taliks=${taliks}&stones=6501&target=${target}`);
      // Items lost at 0 taliks too, so that the way from 0 is not the way from 1.
      const texts = [exampleTexts[0], exampleTexts[1].replace(/UpgradeLevel0=\d+/g, "UpgradeLevel0=800"), exampleTexts[2]];
      await loadTables(texts);
      const tables = texts.map(cellsOf);
      const marked = await page.$$eval("#grid td.mark", (cells) => cells.map((c) =>
        ({ row: c.parentElement.cells[0].textContent, column: c.cellIndex - 1, text: c.textContent })));
      assert.equal(marked.length, 1);
      assert.match(marked[0].row, new RegExp(`^${grade}: `));
      assert.equal(marked[0].column, taliks);
      const chance = chanceOf(tables[0][grade][taliks], stones, level);
      const value = 100 * toNumber(share(attemptShares(chance, 0, 0)[0]));
      assert.equal(marked[0].text, value.toFixed(2));
      // Every grade's chance from 0 taliks to the target, with the set-up's stones.
      await click("#editor summary");
      await page.waitForFunction(() => document.getElementById("reach-0").textContent !== "");
      assert.equal(await text("#reach-head"), `Дойти до ${target} от 0`);
      for (let g = 0; g <= 10; g++) {
        const steps = journeySteps(tables, g, level, () => stones, target);
        const reach = solveJourney(steps, steps.map(() => 0), 0, false, 1);
        assert.ok(toNumber(reach[1]) > toNumber(reach[0]) * 1.01, `grade ${g}`);
        assertPercent(await text(`#reach-${g}`), reach[0], `grade ${g}`);
      }
      await click("#editor summary");
      await examplesBack();
    });

    test("the editor's grids coloured by each cell's own chance: of success with the set-up's stones, of being spared each loss", async () => {
      const [level, stones] = [50, [3, 3, 2, 0]];
      await open(`attempts=3&grade=2&level=${level}&taliks=1&stones=3320&target=6`);
      await click("#editor summary");
      // A hue from red (0) to green (120) by the cell's chance: of a success
      // over the 2^30 pairs of draws; of the 32 768 draws that spare the item
      // (or the taliks) when the success draw fails.
      const hue = (count, of) => Math.round(120 * Number(count) / of);
      const cells = [[0, 0], [2, 1], [5, 3], [7, 2], [10, 6]].map(([g, t]) =>
        [`SuccessProb ItemGrade${g} UpgradeLevel${t}`, hue(successPairs(chanceOf(exampleCells[0][g][t], stones, level)), 2 ** 30)]);
      for (const [w, file] of [[1, "DestroyProb"], [2, "DowngradeProb"]]) {
        for (const [g, t] of [[0, 1], [3, 4], [9, 6]]) cells.push([`${file} ItemGrade${g} UpgradeLevel${t}`, hue(32768n - drawsBelow(exampleCells[w][g][t]), 32768)]);
      }
      assert.ok(new Set(cells.slice(0, 5).map(([, h]) => h)).size >= 4, "success cells of distinct hues");
      cells.slice(5, 8).forEach(([, h], i) => assert.notEqual(h, cells[8 + i][1], "a destroy cell and its talik cell of distinct hues"));
      const labels = cells.map(([label]) => label);
      await page.waitForFunction((all) => all.every((l) => document.querySelector(`input[aria-label='${l}']`).style.background !== ""), {}, labels);
      const colours = await page.evaluate((pairs) => pairs.map(([label, h]) => {
        const probe = document.createElement("span");
        probe.style.background = `hsl(${h} 60% 88%)`;
        document.body.appendChild(probe);
        const pair = [getComputedStyle(document.querySelector(`input[aria-label='${label}']`)).backgroundColor, getComputedStyle(probe).backgroundColor];
        probe.remove();
        return pair;
      }), cells);
      colours.forEach(([shown, expected], i) => assert.equal(shown, expected, `${cells[i][0]}: hue ${cells[i][1]}`));
      await click("#editor summary");
    });

    test("a set-up changed in place: the journey's rows and marked row, the table's marked cell and the chart are the new one's", async () => {
      const [grade, level, stones] = [2, 50, [3, 3, 2, 0]];
      await open(`attempts=3&grade=${grade}&level=${level}&taliks=1&stones=3320&target=6`);
      // A shorter journey, then the set-up's count moved within it.
      await setField("target", "4");
      await setField("taliks", "2");
      const [taliks, target] = [2, 4];
      const steps = journeySteps(exampleCells, grade, level, () => stones, target);
      const reach = solveJourney(steps, steps.map(() => 0), 0, false, 1);
      const renewed = solveJourney(steps, steps.map(() => 1), 0, true, 0);
      const rows = await journeyRows();
      assert.equal(rows.length, target);
      rows.forEach((row, t) => {
        assert.equal(row["Т"], String(t));
        assertFigure(row["Дойти %"], 100 * toNumber(reach[t]), `row ${t} reach`);
        assertFigure(row["Попыток с новыми"], toNumber(renewed[t]), `row ${t} attempts with new items`);
      });
      const indexes = (selector) => page.$$eval(selector, (found) => found.map((r) => r.sectionRowIndex));
      assert.deepEqual(await indexes("#journey tbody tr.mark"), [taliks]);
      assert.deepEqual(await indexes("#journey tbody tr[aria-current]"), [taliks]);
      const marked = (selector) => page.$$eval(selector, (found) => found.map((c) => [c.parentElement.sectionRowIndex, c.cellIndex - 1]));
      assert.deepEqual(await marked("#grid td.mark"), [[grade, taliks]]);
      assert.deepEqual(await marked("#grid td[aria-label]"), [[grade, taliks]]);
      // The chart and the stones to stock from the new count.
      const counts = attemptsFor(steps, taliks, [0.5, 0.9, 0.99]).map(groupedInteger);
      assert.equal(await text("#chart-caption"), `Вероятность дойти до цели с новыми предметами от ${taliks} талик за столько ` +
        `попыток. Попыток хватит с вероятностью 50 % — ${counts[0]}, 90 % — ${counts[1]}, 99 % — ${counts[2]}.`);
      assert.match(await text("#stock"), new RegExp(`^Камни в запас на путь от ${taliks} талик, в среднем: `));
    });

    test("a loaded file's findings: a section name with a backslash, values beyond the loss scale", async () => {
      const success = exampleTexts[0].replace("[ItemGrade2]", "[Item\\Grade2]");
      const sectionLine = success.split(/\r?\n/).indexOf("[Item\\Grade2]") + 1;
      const destroy = exampleTexts[1].replace("UpgradeLevel1=450", "UpgradeLevel1=10000")
        .replace("UpgradeLevel2=700", "UpgradeLevel2=10001").replace("UpgradeLevel3=950", "UpgradeLevel3=12000");
      const downgrade = exampleTexts[2].replace(/^UpgradeLevel0=\d+$/m, "UpgradeLevel0=10001");
      const downgradeLine = downgrade.split(/\r?\n/).findIndex((l) => l === "UpgradeLevel0=10001") + 1;
      await open("attempts=3&grade=0&level=50&taliks=1&stones=3320&target=2");
      await loadTables([success, destroy, downgrade]);
      const found = await page.$$eval("#findings li", (items) => items.map((i) => i.textContent));
      // The name with its backslash, as written, at its line.
      assert.ok(found.some((f) => f.startsWith(`CustomSettings/SuccessProb.ini:${sectionLine}: `) && f.includes("[Item\\Grade2]")),
        found.join("\n"));
      assert.deepEqual(found.filter((f) => f.includes("вне шкалы")), [
        "CustomSettings/DestroyProb.ini:5: значение 10001 UpgradeLevel2 в [ItemGrade0] - вне шкалы 0…10000: читается как есть",
        "CustomSettings/DestroyProb.ini:6: значение 12000 UpgradeLevel3 в [ItemGrade0] - вне шкалы 0…10000: читается как есть",
        `CustomSettings/DowngradeProb.ini:${downgradeLine}: значение 10001 UpgradeLevel0 в [ItemGrade0] - вне шкалы 0…10000: читается как есть`,
      ]);
      // A certain loss at 1 talik: the item is destroyed by every failed attempt.
      const one = attemptShares(chanceOf(exampleCells[0][0][1], [3, 3, 2, 0], 50), 10000, 0).map(share);
      assertPercent((await figures())["Попытка уничтожит предмет"], one[1], "item destroyed at 10000");
      await examplesBack();
    });

    test("figures at their extremes: certainties, nothing, and counts in the millions and beyond", async () => {
      // Success weights so high that every attempt succeeds, and no losses.
      const certain = exampleTexts[0].replace(/=\d+/g, "=1000000");
      const none = exampleTexts[1].replace(/=\d+/g, "=0");
      await open("attempts=3&grade=4&level=65&taliks=2&stones=1000&target=7");
      await loadTables([certain, none, exampleTexts[2]]);
      let shown = await figures();
      assert.equal(shown["Попытка уничтожит предмет"], "0 %");
      assert.equal(shown["Попытка уничтожит талики"], "0 %");
      assert.equal(shown["Дойти до 7 талик раньше потери предмета"], "100 %");
      assert.equal(shown["Предметов уйдёт в среднем"], "0");
      // One failed attempt in about 2^14 destroys the item at 5 taliks, none
      // elsewhere: the chance to get there falls short of a certainty.
      const weak = setCell(certain, 4, 5, 3152);
      const almost = setCell(none, 4, 5, 1);
      const noTaliksLost = exampleTexts[2].replace(/=\d+/g, "=0");
      await examplesBack();
      await loadTables([weak, almost, noTaliksLost]);
      const tables = [weak, almost, noTaliksLost].map(cellsOf);
      const steps = journeySteps(tables, 4, 65, () => [1, 0, 0, 0], 7);
      const reach = solveJourney(steps, steps.map(() => 0), 0, false, 1);
      assert.ok(toNumber(reach[2]) < 1 && toNumber(reach[2]) > 0.999, String(toNumber(reach[2])));
      shown = await figures();
      assertPercent(shown["Дойти до 7 талик раньше потери предмета"], reach[2], "reach short of a certainty");
      await examplesBack();
      // The example tables: journeys of tens of millions of attempts and more.
      for (const [grade, stones] of [[4, "3320"], [10, "0000"]]) {
        await open(`attempts=3&grade=${grade}&level=65&taliks=0&stones=${stones}&target=7`);
        const tiers = stones.split("").map(Number);
        const long = journeySteps(exampleCells, grade, 65, () => tiers, 7);
        const renewed = solveJourney(long, long.map(() => 1), 0, true, 0);
        const rows = await journeyRows();
        rows.forEach((row, t) => {
          assertFigure(row["Попыток с новыми"], toNumber(renewed[t]), `grade ${grade} row ${t}`);
          assert.equal(row["Попыток с новыми"].replaceAll(NBSP, "").replace(/^≈/, "").length, (renewed[t].n / renewed[t].d).toString().length);
        });
      }
    });
  });
}
