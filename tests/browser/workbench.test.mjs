// The workbench page in Debian's Chromium, against a fresh `gmpbill serve`.
//
//   GMPBILL=build/app/gmpbill node --test workbench.test.mjs
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { spawn } from 'node:child_process';
import { mkdtempSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join, dirname } from 'node:path';
import { fileURLToPath } from 'node:url';
import { chromium } from 'playwright-core';

const here = dirname(fileURLToPath(import.meta.url));
const gmpbill = process.env.GMPBILL || join(here, '../../build/app/gmpbill');
const browserPath = process.env.CHROMIUM || '/usr/bin/chromium';
const TIMEOUT = 15000;

let server;
let browser;  // the browser's one context
let base;
let folder;

before(async () => {
  folder = mkdtempSync(join(tmpdir(), 'gmpbill-web-'));
  server = spawn(gmpbill, ['serve', '--port', '0', '--database', join(folder, 'web.db'),
    '--seed', join(here, 'seed.sql')], { stdio: ['ignore', 'pipe', 'inherit'] });
  base = await new Promise((resolve, reject) => {
    let out = '';
    const timer = setTimeout(() => reject(new Error('the server did not start: ' + out)), TIMEOUT);
    server.stdout.on('data', (chunk) => {
      out += chunk;
      const m = out.match(/http:\/\/127\.0\.0\.1:\d+\//);
      if (m) { clearTimeout(timer); resolve(m[0]); }
    });
    server.on('exit', (code) => reject(new Error('the server ended with ' + code + ': ' + out)));
  });
  // A fresh profile in the test's folder; one browser, its tabs are the users.
  browser = await chromium.launchPersistentContext(join(folder, 'profile'), {
    executablePath: browserPath,
    headless: true,
    args: ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
      '--disable-background-networking', '--disable-component-update', '--disable-sync'],
    timeout: 60000,
  });
});

after(async () => {
  if (browser) await browser.close();
  if (server) {
    const ended = new Promise((resolve) => server.on('exit', resolve));
    server.kill('SIGINT');
    const code = await ended;
    assert.equal(code, 0, 'Ctrl-C stops the server cleanly');
  }
  rmSync(folder, { recursive: true, force: true });
});

// A tab logged in as `user` with the bill type chosen.
async function tab({ user = 'administrator', language = 'chs', type }) {
  const page = await browser.newPage();
  page.setDefaultTimeout(TIMEOUT);
  await page.goto(base);
  await page.locator('#user option', { hasText: user }).waitFor({ state: 'attached' });
  await page.selectOption('#user', { label: user });
  await page.selectOption('#language', language);
  await page.click('#login-button');
  await page.locator('#types-panel').waitFor();
  await page.selectOption('#type', type);
  await page.locator('#bill-list tbody tr').first().waitFor();
  return page;
}

async function typeInto(page, key, row, value) {
  const input = page.locator(`input[data-key="${key}"][data-row="${row}"]`);
  await input.click();
  await input.fill(String(value));
  await input.press('Enter');
  await idle(page);
}

// Waits until the page has no action under way.
const idle = (page) => page.locator('body[data-pending="0"]').waitFor({ state: 'attached' });

// The dialog's text once it shows; closes it with the button given.
async function answerDialog(page, button) {
  const dialog = page.locator('#dialog[open]');
  await dialog.waitFor();
  const text = await dialog.locator('#dialog-body').innerText();
  const style = await dialog.locator('#dialog-body').getAttribute('class');
  await dialog.locator(`button[data-answer="${button}"]`).click();
  await page.locator('#dialog[open]').waitFor({ state: 'detached' });
  return { text, style };
}

const tool = (page, key) => page.locator(`#toolbar button[data-tool="${key}"]`);

test('an operation record scheme is made, saved and audited', async () => {
  const page = await tab({ language: 'en', type: 'operate_proj' });
  await page.click('#new-bill');
  await page.locator('input[data-key="FBillNO"]').waitFor();
  await typeInto(page, 'FBillNO', 0, 'OP-BROWSER-1');
  await typeInto(page, 'FSchemeName', 0, 'Tableting');
  for (const [row, step] of [[1, 'Check materials'], [2, 'Press']]) {
    await page.click('button[data-add-row="2"]');
    await page.locator(`input[data-key="FOperation"][data-row="${row}"]`).waitFor();
    await typeInto(page, 'FIndex', row, row);
    await typeInto(page, 'FOperation', row, step);
  }
  await tool(page, 'mnuFileSave').click();
  await page.locator('#bill-list tr', { hasText: 'OP-BROWSER-1' }).waitFor();

  await tool(page, 'mnuEditCheck').click();
  const shown = await answerDialog(page, 'ok');
  assert.match(shown.text, /Audited/);
  assert.equal(shown.style, 'style-64');
  // Audited: the scheme may no longer be saved, and the auditor is listed.
  assert.equal(await tool(page, 'mnuFileSave').isDisabled(), true);
  await page.locator('#bill-list tr', { hasText: 'OP-BROWSER-1' })
    .filter({ hasText: 'administrator' }).waitFor();
  const logLine = page.locator('#transcript li[data-kind="log"]').first();
  assert.match(await logLine.innerText(), /OP-BROWSER-1/);
  // SCREENSHOT=file keeps a picture of the page with the audited bill open.
  if (process.env.SCREENSHOT) {
    await page.setViewportSize({ width: 1440, height: 800 });
    await page.screenshot({ path: process.env.SCREENSHOT });
  }
  // The transcript can be narrowed to one kind.
  await page.uncheck('#kinds input[data-kind="sql"]');
  assert.equal(await page.locator('#transcript li[data-kind="sql"]').count(), 0);
});

test('a released instruction with a picking bill cannot be unreleased', async () => {
  const page = await tab({ type: 'batch_package' });
  await page.click('#bill-list tr:has-text("BP-WEB-100")');
  await tool(page, 'mnuEditRelease').waitFor();
  await tool(page, 'mnuEditRelease').click();
  assert.match((await answerDialog(page, 'ok')).text, /下达成功/);
  await tool(page, 'mnuEditUnRelease').click();
  const refusal = await answerDialog(page, 'ok');
  assert.match(refusal.text, /BP-WEB-100.*反下达失败.*领料单/);
  // Still released.
  await page.locator('#bill-list tr', { hasText: 'BP-WEB-100' }).filter({ hasText: '1050' }).waitFor();
});

test('a list window picks the production order of a new instruction', async () => {
  const page = await tab({ type: 'batch_package' });
  await page.click('#new-bill');
  await page.locator('input[data-key="FMoBillNO"]').click();
  await idle(page);
  await tool(page, 'mnuDataLookUp').click();
  const dialog = page.locator('#dialog[open]');
  await dialog.locator('tr[data-row="2"]').click();
  await dialog.locator('button[data-answer="ok"]').click();
  await idle(page);
  assert.equal(await page.inputValue('input[data-key="FMoBillNO"]'), 'SC2405-002');
  assert.equal(await page.inputValue('input[data-key="FBatchNo"]'), '240502');
});

test('answering No to the question leaves the bill as it was', async () => {
  const page = await tab({ type: 'operate_proj' });
  await page.click('#new-bill');
  await page.locator('input[data-key="FBillNO"]').waitFor();
  await typeInto(page, 'FBillNO', 0, 'OP-NOT-SAVED');
  await page.click('#new-bill');
  const question = await answerDialog(page, 'no');
  assert.match(question.text, /放弃修改/);
  assert.equal(await page.inputValue('input[data-key="FBillNO"]'), 'OP-NOT-SAVED');
  const kinds = await page.locator('#transcript li[data-kind="message"]').first().innerText();
  assert.match(kinds, /"answer":7/);
});

test('two tabs are two users contending for one bill', async () => {
  const first = await tab({ user: 'administrator', type: 'operate_proj' });
  const second = await tab({ user: '陈晓东', type: 'operate_proj' });
  await first.click('#bill-list tr:has-text("OP-WEB-200")');
  await tool(first, 'mnuFileSave').waitFor();
  await second.click('#bill-list tr:has-text("OP-WEB-200")');
  await tool(second, 'mnuFileSave').waitFor();
  assert.equal(await tool(first, 'mnuFileSave').isEnabled(), true);
  assert.equal(await tool(second, 'mnuFileSave').isDisabled(), true);
  assert.equal(await tool(second, 'mnuEditCheck').isDisabled(), true);
  // The first closes it; the second, opening it again, holds it.
  await first.click('#close-bill');
  await first.locator('#bill').waitFor({ state: 'hidden' });
  await second.click('#bill-list tr:has-text("OP-WEB-200")');
  await second.locator('#toolbar button[data-tool="mnuFileSave"]:enabled').waitFor();
});
