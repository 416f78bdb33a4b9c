// The page in headless Chromium, served from its build folder by
// `python3 -m http.server`: the example through the file picker and back as a
// download, every end-to-end case through the page's module, a broken file's
// place, three dropped files as one zip, and no request beyond the page's
// origin.
import { after, before, test } from "node:test";
import assert from "node:assert/strict";
import { spawn } from "node:child_process";
import { readFileSync, readdirSync, existsSync } from "node:fs";
import { setTimeout as sleep } from "node:timers/promises";
import { chromium } from "playwright-core";
import { unzipSync } from "fflate";

const root = new URL("../../", import.meta.url).pathname;
const site = process.env.MORVANE_SITE ?? `${root}build/wasm/web/site`;
const screenshot = process.env.MORVANE_SCREENSHOT ?? `${root}build/wasm/web-page.png`;
const origin = `http://127.0.0.1:${8100 + (process.pid % 800)}`;
const read = (path) => readFileSync(`${root}${path}`);
const example = read("examples/project.old");
const foreign = [];
const page_errors = [];
let server, browser, page;

before(async () => {
  server = spawn("python3", ["-m", "http.server", "--bind", "127.0.0.1", new URL(origin).port],
    { cwd: site, stdio: "ignore" });
  for (let tries = 0; !(await fetch(origin).then(() => true, () => false)); ++tries) {
    assert.ok(tries < 100, "the static server did not start");
    await sleep(100);
  }
  browser = await chromium.launch({ executablePath: process.env.CHROMIUM ?? "/usr/bin/chromium",
    args: ["--no-sandbox"] });
  const context = await browser.newContext({ acceptDownloads: true });
  context.on("request", (r) => {
    const own = /^(blob|data):/.test(r.url()) || new URL(r.url()).origin === origin;
    if (!own || r.method() !== "GET") foreign.push(`${r.method()} ${r.url()}`);
  });
  page = await context.newPage();
  page.on("pageerror", (e) => page_errors.push(String(e)));
});

after(async () => {
  await browser?.close();
  server?.kill();
});

// Picks files on a freshly loaded page, with the keyboard: the picker is the
// first thing Tab reaches.
async function pick(files) {
  await page.goto(`${origin}/`);
  const chooser = page.waitForEvent("filechooser");
  await page.keyboard.press("Tab");
  await page.keyboard.press("Space");
  await (await chooser).setFiles(files);
  await page.locator("#summary", { hasText: /: 0 converting/ }).waitFor();
}

async function download(click) {
  const [file] = await Promise.all([page.waitForEvent("download"), click()]);
  return { name: file.suggestedFilename(), bytes: readFileSync(await file.path()) };
}

test("the example converts through the file picker to its recorded output", async () => {
  await pick(`${root}examples/project.old`);
  const got = await download(() => page.getByText("Download project.new").click());
  assert.equal(got.name, "project.new");
  assert.ok(got.bytes.equals(read("examples/project.new")));
  await page.screenshot({ path: screenshot, fullPage: true });
});

test("every end-to-end case converts and checks in the page's module as the commands do", async () => {
  const cases = readdirSync(`${root}tests/e2e/cases`, { withFileTypes: true })
    .filter((d) => d.isDirectory()).map(({ name }) => {
      const dir = `tests/e2e/cases/${name}/`;
      return { name, input: read(`${dir}input.old`).toString("base64"),
        check: existsSync(`${root}${dir}expected.check`) ? read(`${dir}expected.check`).toString() : null };
    });
  const results = await page.evaluate(async (all) => {
    const { convert, check } = await import("./morvane.mjs");
    const bytes = (text) => Uint8Array.from(atob(text), (c) => c.charCodeAt(0));
    const out = [];
    for (const c of all) {
      const converted = await convert(bytes(c.input));
      const checked = await check(bytes(c.input));
      out.push({ ...converted, output: btoa(String.fromCharCode(...converted.output)), checked });
    }
    return out;
  }, cases);
  assert.ok(cases.length > 100);
  cases.forEach(({ name, check }, i) => {
    const dir = `tests/e2e/cases/${name}/`;
    const { status, output, error, checked } = results[i];
    const failed = read(`${dir}expected.status`).toString().trim() === "1";
    assert.equal(status, failed ? "parse_failure" : "success", name);
    assert.ok(Buffer.from(output, "base64").equals(read(`${dir}expected.new`)), name);
    assert.deepEqual(checked, { status, error }, name);
    assert.equal(error === null, !failed, name);
    if (check !== null) assert.equal(`input.old:${error.line}:${error.column}: ${error.message}\n`, check, name);
  });
});

test("a broken file shows its line and column, and the line cut around a marker", async () => {
  const input = Buffer.concat([Buffer.from(" ".repeat(100)), read("tests/e2e/cases/check-columns-count-bytes/input.old")]);
  await pick({ name: "broken.old", mimeType: "text/plain", buffer: input });
  await page.getByText('broken.old:1:135: expected "angle", "color",').waitFor();
  const [text, marker] = (await page.locator(".excerpt").textContent()).split("\n");
  assert.match(text, /^….{40,72}$/u);
  assert.match(marker, /^ +\^$/);
  assert.equal([...text][marker.length - 1], "z");
});

test("three files dropped at once give one zip with three entries, equal names made unique", async () => {
  const other = read("tests/e2e/cases/example-small-file/input.old");
  await page.goto(`${origin}/`);
  const files = [["project.old", example], ["project.old", other], ["notes.txt", example]]
    .map(([name, bytes]) => [name, bytes.toString("base64")]);
  const dropped = await page.evaluateHandle((all) => {
    const transfer = new DataTransfer();
    for (const [name, text] of all) transfer.items.add(new File([Uint8Array.from(atob(text), (c) => c.charCodeAt(0))], name));
    return transfer;
  }, files);
  await page.dispatchEvent("#drop", "drop", { dataTransfer: dropped });
  await page.locator("#summary", { hasText: /: 0 converting/ }).waitFor();
  const got = await download(() => page.getByText("Download all converted files as one zip").click());
  const entries = unzipSync(got.bytes);
  assert.deepEqual(Object.keys(entries).sort(), ["notes.txt.new", "project (2).new", "project.new"]);
  assert.ok(Buffer.from(entries["project.new"]).equals(read("examples/project.new")));
  assert.ok(Buffer.from(entries["project (2).new"]).equals(read("tests/e2e/cases/example-small-file/expected.new")));
  assert.ok(Buffer.from(entries["notes.txt.new"]).equals(read("examples/project.new")));
});

test("nothing was requested beyond the page's origin nor sent to it, and the page raised no error", () => {
  assert.deepEqual(foreign, []);
  assert.deepEqual(page_errors, []);
});
