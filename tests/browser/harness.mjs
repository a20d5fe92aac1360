// Runs one suite of browser tests in Debian's chromium, driven by the pinned
// playwright-core, against pages that `qe serve` serves.
//
//   node harness.mjs SUITE BASE_URL SHOT_FOLDER
//   node harness.mjs --limit SUITE        prints the suite's time limit in s
//
// SUITE names suites/SUITE.mjs, which exports `tests`: named async functions,
// each called with a context `t` on a fresh browser context and page:
//   t.page                 the page (a playwright Page)
//   t.url(name)            BASE_URL + name (the fixtures folder of the site)
//   t.open(name)           opens that page and waits until it has loaded
//   t.shot(name)           a screenshot SHOT_FOLDER/SUITE-name.png; its path
//                          (QE_SHOT_PREFIX, when set, stands for SUITE)
//   t.errors               script errors so far on any page or frame of the test
//   t.eq, t.ok, t.near     assertions (t.near: numbers within a tolerance)
// A script error on any page fails the test unless it sets t.errorsAllowed.
// A test has 30 s (ten times what an ordinary test takes alone: a loaded
// machine runs it that much slower) unless the function carries its own
// timeoutMs, ten times its own time alone; the suite has the browser's
// start, the sum of its tests' limits and its close, and nothing more: a
// test that needs more time says so itself.
// The errors are counted by a listener that runs before any page script, so
// a page that silences its errors (window.onerror returning true) cannot
// hide them. QE_BROWSER_TEST=part runs only the tests whose name holds part.
import assert from 'node:assert/strict';
import fs from 'node:fs';
import path from 'node:path';
import { fileURLToPath, pathToFileURL } from 'node:url';
import { chromium } from 'playwright-core';

const limitOnly = process.argv[2] === '--limit';
const [suiteName, baseUrl, shotFolder] = process.argv.slice(limitOnly ? 3 : 2);
if (!suiteName || (!limitOnly && (!baseUrl || !shotFolder))) {
  console.error('usage: node harness.mjs SUITE BASE_URL SHOT_FOLDER\n       node harness.mjs --limit SUITE');
  process.exit(2);
}
const here = path.dirname(fileURLToPath(import.meta.url));
const { tests } = await import(pathToFileURL(path.join(here, 'suites', `${suiteName}.mjs`)).href);

const kTestTimeoutMs = 30000;
const kLaunchTimeoutMs = 30000, kCloseTimeoutMs = 10000;
const only = process.env.QE_BROWSER_TEST || '';
const chosen = Object.entries(tests).filter(([name]) => name.includes(only));
const suiteLimitMs = kLaunchTimeoutMs + kCloseTimeoutMs +
  chosen.reduce((sum, [, test]) => sum + (test.timeoutMs || kTestTimeoutMs), 0);
if (limitOnly) {
  console.log(Math.ceil(suiteLimitMs / 1000));
  process.exit(0);
}
fs.mkdirSync(shotFolder, { recursive: true });
setTimeout(() => {
  console.log(`${suiteName}: not done within its limit of ${suiteLimitMs} ms`);
  process.exit(1);
}, suiteLimitMs).unref();

// As root chromium runs without its sandbox; the background services would
// only try to reach hosts a test machine cannot reach.
const browser = await chromium.launch({
  executablePath: process.env.QE_CHROMIUM || '/usr/bin/chromium',
  headless: true,
  chromiumSandbox: false,
  timeout: kLaunchTimeoutMs,
  args: ['--disable-gpu', '--disable-quic', '--no-first-run', '--disable-background-networking',
         '--disable-component-update', '--disable-sync'],
});

function countScriptErrors() {
  window.addEventListener('error', (event) => {
    if (event instanceof ErrorEvent) {
      window.__qeReportError(`${event.message} (${event.filename}:${event.lineno}) on ${location.pathname}`);
    }
  });
}

async function runTest(name, test) {
  const context = await browser.newContext({ viewport: { width: 1024, height: 768 } });
  const errors = [];
  await context.exposeBinding('__qeReportError', (_source, message) => errors.push(message));
  await context.addInitScript(countScriptErrors);
  const page = await context.newPage();
  page.setDefaultTimeout(10000);
  const prefix = process.env.QE_SHOT_PREFIX || suiteName;
  const fileName = (label) => path.join(shotFolder, `${prefix}-${label.replace(/[^\w-]+/g, '_')}.png`);
  const t = {
    page,
    errors,
    errorsAllowed: false,
    url: (file) => new URL(file, baseUrl).href,
    open: async (file) => {
      await page.goto(new URL(file, baseUrl).href, { waitUntil: 'load' });
      return page;
    },
    shot: async (label) => {
      const file = fileName(label);
      await page.screenshot({ path: file });
      return file;
    },
    eq: (actual, expected, message) => assert.deepStrictEqual(actual, expected, message),
    ok: (value, message) => assert.ok(value, message),
    near: (actual, expected, tolerance, message) =>
      assert.ok(Math.abs(actual - expected) <= tolerance,
                `${message || 'near'}: ${actual} is not within ${tolerance} of ${expected}`),
  };
  const started = Date.now();
  let timer;
  try {
    await Promise.race([
      test(t),
      new Promise((_, reject) => {
        timer = setTimeout(() => reject(new Error('timed out')), test.timeoutMs || kTestTimeoutMs);
      }),
    ]);
    if (!t.errorsAllowed) assert.deepStrictEqual(errors, [], 'script errors on the page');
    return { ok: true, ms: Date.now() - started };
  } catch (error) {
    await page.screenshot({ path: fileName(`${name}-failed`) }).catch(() => {});
    return { ok: false, ms: Date.now() - started, error };
  } finally {
    clearTimeout(timer);
    await context.close();
  }
}

let failed = 0, number = 0;
for (const [name, test] of chosen) {
  const result = await runTest(name, test);
  number += 1;
  if (result.ok) {
    console.log(`ok ${number} - ${name} (${result.ms} ms)`);
  } else {
    failed += 1;
    console.log(`not ok ${number} - ${name} (${result.ms} ms)`);
    console.log(String(result.error && result.error.stack || result.error).replace(/^/gm, '    '));
  }
}
await browser.close();
console.log(`${suiteName}: ${number - failed} of ${number} passed`);
process.exit(failed || number === 0 ? 1 : 0);
