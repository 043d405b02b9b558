// ---- Simulation: the simulator's attempts, a whole journey ----------------
// Results for a set-up that has changed meanwhile are dropped.
function simulate(seedText) {
  var key = stateKey();
  return ask(request("simulate", seedText)).then(function (answer) { if (key === stateKey()) showSimulation(answer); });
}
function showSimulation(answer) {
  var errors = answer.errors || {};
  var wrongSeed = state.values.seed !== "" && errors.seed;
  showFields(Object.assign(pageErrors(), latest ? latest.errors : {}, wrongSeed ? { seed: errors.seed } : {}));
  $("sim-lines").textContent = "";
  if (!answer.simulation) { text("sim-chance", ""); text("sim-summary", ""); tell("seed-used"); return; }
  state.simulatedFor = stateKey(); tell("sim-stale");
  tell("seed-used", "seed_shown", answer.simulation.seed);
  var lines = answer.simulation.lines.replace(/\n$/, "").split("\n");
  text("sim-chance", lines[0]);
  lines.slice(1).forEach(function (line) { var item = document.createElement("li"); item.textContent = line; $("sim-lines").appendChild(item); });
  text("sim-summary", words().outcomes.map(function (label, i) { return label + ": " + answer.simulation.counts[i]; }).join("; "));
}
function currentSeed() { return state.values.seed !== "" ? state.values.seed : String(Math.floor(Date.now() / 1000) >>> 0); }
function simulateNow() { return simulate(currentSeed()); }
// One whole journey with new items, over the simulator's own draws.
function runJourney() {
  var seed = currentSeed(), key = stateKey();
  return ask(request("journey_run", seed)).then(function (answer) { if (key === stateKey()) showRun(answer.journey_run, seed); });
}
function showRun(run, seed) {
  text("run-summary", ""); $("run-log").textContent = "";
  if (!run) return;
  state.simulatedFor = stateKey(); tell("sim-stale");
  tell("seed-used", "seed_shown", seed);
  var parts = [say("run_attempts", run.attempts), say("run_destroyed", run.items_destroyed)];
  if (run.spent !== "") parts.push(say("run_spent", run.spent));
  parts.push(run.reached ? say("run_reached", run.target) : say("run_not_reached", run.highest));
  text("run-summary", parts.join("; ") + ".");
  run.last.forEach(function (line) { var item = document.createElement("li"); item.textContent = line; $("run-log").appendChild(item); });
}
