// The playground in headless Chromium, opened from disk: it loads without
// a console error or a network request, every formula of the shared case
// file that needs no host function shows, when typed, the result and the
// trace stages of the formel program, a link restores formula and
// variables, and the library's limits give "" without breaking the module.
// Writes playground.png and playground-figures.json (sizes, load time,
// time per evaluation of the language's examples) next to it as artefacts.
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { execFileSync, spawnSync } from 'node:child_process';
import { createRequire } from 'node:module';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { pathToFileURL } from 'node:url';

const env = process.env;
// playwright-core lives in the build directory (npm ci), the working one.
const { chromium } = createRequire(path.join(process.cwd(), 'package.json'))('playwright-core');
const pageUrl = pathToFileURL(env.FORMEL_PAGE).href;
const figures = {};

let context;
let userDataDir;
let page;
const problems = [];  // console errors, page errors, requests off the disk

async function openPage(url) {
  const p = await context.newPage();
  p.on('console', (m) => { if (m.type() === 'error') problems.push('console: ' + m.text()); });
  p.on('pageerror', (e) => problems.push('page error: ' + e.message));
  p.on('request', (r) => { if (!/^(file|data):/.test(r.url())) problems.push('request: ' + r.url()); });
  await p.goto(url);
  await p.waitForFunction(() => window.formelPlayground.timings.firstResult !== null, null, { timeout: 20000 });
  return p;
}

before(async () => {
  userDataDir = fs.mkdtempSync(path.join(os.tmpdir(), 'formel-chromium-'));
  context = await chromium.launchPersistentContext(userDataDir, {
    executablePath: env.FORMEL_CHROMIUM,
    headless: true,
    args: ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
      '--disable-background-networking', '--disable-component-update', '--disable-sync'],
  });
  page = await openPage(pageUrl);
});

after(async () => {
  if (context) await context.close();
  fs.rmSync(userDataDir, { recursive: true, force: true });
  fs.writeFileSync(path.join(env.FORMEL_ARTEFACTS, 'playground-figures.json'), JSON.stringify(figures, null, 2) + '\n');
});

// ---- the formel program and the case file ------------------------------------

function runProgram(args, input) {
  return execFileSync(env.FORMEL_PROGRAM, args, { input: input ?? '', encoding: 'latin1', maxBuffer: 1 << 28 });
}

// "formel --trace": the formula, the stage lines, the result.
function programTrace(formula, vars, functions) {
  const args = ['--trace'];
  if (!functions) args.push('--no-functions');
  for (const [name, value] of vars) args.push('--var', name + '=' + value);
  const lines = runProgram([...args, '--', formula]).split('\n').slice(0, -1);
  return { result: lines[lines.length - 1], stages: lines.slice(1, -1) };
}

// The escapes of tests/support/formula_cases.h.
function unescape(field) {
  return field.replace(/\\(s|t|n|r|\\|x[0-9A-Fa-f]{2})/g, (_, e) =>
    ({ s: ' ', t: '\t', n: '\n', r: '\r', '\\': '\\' })[e] ?? String.fromCharCode(parseInt(e.slice(1), 16)));
}

function readCases(file) {
  const cases = [];
  fs.readFileSync(file, 'latin1').split('\n').forEach((raw, index) => {
    const line = raw.replace(/\r$/, '');
    if (line === '' || line.startsWith('#')) return;
    const [key, ...fields] = line.split('\t');
    if (key === 'case') return cases.push({ name: fields[0], line: index + 1, vars: [], funcs: [], formula: '' });
    const c = cases[cases.length - 1];
    if (key === 'var') c.vars.push([unescape(fields[0]), unescape(fields[1])]);
    if (key === 'func') c.funcs.push(fields[0]);
    if (key === 'formula') c.formula = unescape(fields[0] ?? '');
    if (key === 'expect') c.expect = unescape(fields[0] ?? '');
  });
  return cases;
}

// ---- the page -------------------------------------------------------------

async function setVariables(p, vars) {
  while (await p.locator('.remove-variable').count() > 0) await p.locator('.remove-variable').first().click();
  for (const [name, value] of vars) {
    await p.click('#add-variable');  // focuses the new row's name
    await p.keyboard.type(name);
    await p.keyboard.press('Tab');
    await p.keyboard.type(value);
  }
}

async function typeFormula(p, formula) {
  await p.focus('#formula');
  await p.keyboard.press('Control+A');
  await p.keyboard.press('Delete');
  await p.keyboard.type(formula);
}

// The trace tree as the program's lines: a stage line (or a finding, its
// code as label) is indented by four per group around it, a group's inner
// formula by two more than the group.
async function pageTrace(p) {
  return p.$$eval('#trace .trace-line', (lines) => lines.map((line) => {
    const groups = [];
    for (let e = line.parentElement; e && e.id !== 'trace'; e = e.parentElement) {
      if (e.matches('li.group')) groups.push(e);
    }
    const own = line.matches('summary') || line.matches('.inner-formula') ? 1 : 0;
    const indent = 2 + 4 * (groups.length - own) + (line.matches('.inner-formula') ? 2 : 0);
    const text = (selector) => line.querySelector(selector).textContent;
    if (line.matches('.inner-formula')) return ' '.repeat(indent) + text('code');
    const label = text('.label');
    const note = line.querySelector('.group-note');
    const body = line.matches('summary') ? text('.group-before') + ' -> ' + text('.group-after') + (note ? note.textContent : '')
      : line.matches('.finding-item') ? line.lastChild.textContent : text('code');
    return ' '.repeat(indent) + label + ' '.repeat(Math.max(11 - label.length, 1)) + body;
  }));
}

const resultOf = (p) => p.$eval('#result', (e) => e.textContent);

// ---- tests ----------------------------------------------------------------

test('loads from disk with no console error and no network request', async () => {
  assert.deepEqual(problems, []);
  assert.equal(await resultOf(page), programTrace('2*max(1,[x])+1', [['x', '5']], true).result);
  figures.loadToFirstResultMs = await page.evaluate(() => window.formelPlayground.timings.firstResult);
  await page.screenshot({ path: path.join(env.FORMEL_ARTEFACTS, 'playground.png'), fullPage: true });
  // The trace's groups open and close from the keyboard.
  await page.focus('#trace summary');
  await page.keyboard.press('Enter');
  assert.equal(await page.$eval('#trace details', (d) => d.open), false);
});

test('every case without host functions shows the program\'s result and trace', async () => {
  const cases = readCases(env.FORMEL_CASES_FILE).filter((c) => c.funcs.length === 0);
  assert.ok(cases.length > 80, 'the case file was not read');
  if (await page.isChecked('#standard-functions')) await page.click('#standard-functions');
  for (const c of cases) {
    await setVariables(page, c.vars);
    await typeFormula(page, c.formula);
    const where = `case "${c.name}" (line ${c.line}), formula [${c.formula}]`;
    // The program takes NAME=VALUE: a blank name or one with "=" cannot be given.
    // Such a case is held to the result recorded in the file.
    if (c.vars.some(([name]) => name.trim() === '' || name.includes('='))) {
      assert.equal(await resultOf(page), c.expect, where);
      continue;
    }
    const expected = programTrace(c.formula, c.vars, false);
    assert.equal(await resultOf(page), expected.result, where);
    assert.deepEqual(await pageTrace(page), expected.stages, where);
  }
  assert.deepEqual(problems, []);
});

// "formel --check=json": the findings of one formula (it ends with status 1
// when there are any, so no exception is wanted for that).
function programFindings(formula, vars) {
  const args = ['--check=json', '--no-functions'];
  for (const [name, value] of vars) args.push('--var', name + '=' + value);
  const run = spawnSync(env.FORMEL_PROGRAM, [...args, '--', formula], { encoding: 'latin1' });
  return JSON.parse(run.stdout.split('\n')[0]).findings;
}

test('findings are those of formel --check, underlined where they stand', async () => {
  if (await page.isChecked('#standard-functions')) await page.click('#standard-functions');
  const plain = ['max(1,max(2,3))', '12abc*2', '1/0', '[prize]+1', '"5"<9', '2*(3+4)', '"abc',
    'len("abc)', '-2^2', '10-2^2', '"Ann"&" pays "&50', 'each+1', 'b+1', '1 000+1'].map((f) => [f, []]);
  const withValues = [['[phone]&"!"', [['phone', '555-1234']]], ['[t]&"|"', [['t', 'Ann ']]]];
  for (const [formula, vars] of [...plain, ...withValues]) {
    await setVariables(page, vars);
    await typeFormula(page, formula);
    const expected = programFindings(formula, vars);
    const codes = await page.$$eval('#findings .finding-code', (list) => list.map((e) => e.textContent));
    assert.deepEqual(codes, expected.map((f) => f.code), formula);
    const marked = await page.$$eval('#formula-highlights mark', (list) => list.map((e) => e.textContent));
    const ranges = expected.filter((f) => f.start >= 0).sort((a, b) => a.start - b.start);
    for (const m of marked) {
      assert.ok(ranges.some((f) => formula.slice(f.start, Math.max(f.end, f.start + 1)) === m),
        `${formula}: marked [${m}] is no finding's range`);
    }
    assert.equal(marked.length === 0, ranges.length === 0, formula);
  }
  assert.deepEqual(problems, []);
});

test('a link with a fragment restores formula, variables and option', async () => {
  const vars = [['a', ' x y '], ['B c', '2']];
  const formula = '[a]&"|"&[b c]*3+1&max(4,5)';
  const fragment = [['f', formula], ...vars.map(([n, v]) => ['v.' + n, v]), ['std', 'off']]
    .map(([key, value]) => encodeURIComponent(key) + '=' + encodeURIComponent(value)).join('&');
  const linked = await openPage(pageUrl + '#' + fragment);
  assert.equal(await linked.inputValue('#formula'), formula);
  assert.equal(await linked.isChecked('#standard-functions'), false);
  const rows = await linked.$$eval('#variable-rows tr', (trs) => trs.map((tr) =>
    [tr.querySelector('.var-name').value, tr.querySelector('.var-value').value]));
  assert.deepEqual(rows, vars);
  assert.equal(await resultOf(linked), programTrace(formula, vars, false).result);
  // An edit goes into the address, and that address gives the same page.
  await linked.focus('#formula');
  await linked.keyboard.press('End');
  await linked.keyboard.type('&1');
  const again = await openPage(linked.url());
  assert.equal(await again.inputValue('#formula'), formula + '&1');
  assert.equal(await resultOf(again), programTrace(formula + '&1', vars, false).result);
  await Promise.all([linked.close(), again.close()]);
  assert.deepEqual(problems, []);
});

test('the limits give "" as in the program, and the module goes on', async () => {
  const deepest = '('.repeat(200) + '1+1' + ')'.repeat(200);
  const tooLong = '1&'.repeat(2 * 1024 * 1024) + '1';  // beyond the 4 MiB text limit
  // The program prints an empty line for the formula past the limit, names
  // the limit on standard error and ends with status 1.
  const run = spawnSync(env.FORMEL_PROGRAM, ['--no-functions', '-f', '-'],
    { input: [deepest, tooLong, '1+1'].join('\n') + '\n', encoding: 'latin1', maxBuffer: 1 << 28 });
  assert.equal(run.status, 1);
  assert.equal(run.stderr, 'formel: standard input:2: formula longer than the text limit (4 MiB)\n');
  const program = run.stdout.split('\n');
  const results = await page.evaluate(([a, b]) =>
    [a, b, '1+1'].map((f) => window.formelPlayground.evaluate(f, false).result), [deepest, tooLong]);
  assert.deepEqual(results, program.slice(0, 3));
  assert.equal(results[1], '');
});

test('the language\'s examples give the program\'s results; sizes and times measured', async () => {
  const language = fs.readFileSync(env.FORMEL_LANGUAGE_DOC, 'utf8');
  const examples = [...language.matchAll(/\n\| `([^`]+)` \| `([^`]*)` \||`([^`]+)` gives `([^`]*)`/g)]
    .map((m) => m[1] ?? m[3]);
  assert.ok(examples.length > 40, 'the language\'s examples were not found');
  if (!await page.isChecked('#standard-functions')) await page.click('#standard-functions');
  await setVariables(page, []);
  const expected = runProgram(['-f', '-'], examples.join('\n') + '\n').split('\n').slice(0, -1);
  const timed = await page.evaluate((formulas) => formulas.map((f) => {
    const run = (observe) => {
      const rounds = 200;
      const started = performance.now();
      for (let i = 0; i < rounds; i++) window.formelPlayground.evaluate(f, observe);
      return (performance.now() - started) * 1000 / rounds;
    };
    return { formula: f, result: window.formelPlayground.evaluate(f, false).result, us: run(false), usTraced: run(true) };
  }), examples);
  assert.deepEqual(timed.map((t) => t.result), expected);
  const mean = (key) => timed.reduce((sum, t) => sum + t[key], 0) / timed.length;
  figures.readmeExamples = timed.length;
  figures.meanMicrosecondsPerEvaluation = mean('us');
  figures.meanMicrosecondsPerEvaluationWithTrace = mean('usTraced');
  figures.slowest = timed.sort((a, b) => b.usTraced - a.usTraced).slice(0, 3);
  const dir = path.dirname(env.FORMEL_PAGE);
  figures.pageBytes = Object.fromEntries(fs.readdirSync(dir).map((f) => [f, fs.statSync(path.join(dir, f)).size]));
  const embedded = fs.readFileSync(path.join(dir, 'formel-module.js'), 'latin1').match(/base64,([A-Za-z0-9+/=]+)/);
  figures.wasmBytes = Buffer.from(embedded[1], 'base64').length;
  console.log(JSON.stringify(figures, null, 2));
});
