// The one-file page in headless Chromium, opened from disk: ready only when it
// works, the example through the keyboard-opened picker and back as a
// download with its counts and first lines, a folder as one zip that keeps its
// paths, chosen or dropped, a broken file's place, a converted file's
// warnings at theirs, dropped files with equal names, the failure shown where there is no WebAssembly; and no request
// beyond the page and the blob: URLs it made, no policy violation and no
// script error.
import { after, before, test } from "node:test";
import assert from "node:assert/strict";
import { mkdtempSync, mkdirSync, readFileSync, rmSync, writeFileSync } from "node:fs";
import { tmpdir } from "node:os";
import { chromium } from "playwright-core";
import { unzipSync } from "fflate";
import { base64, built, chromium_options, example, example_counts, page_url, read, root } from "./support.js";

const screenshot = process.env.MORVANE_SCREENSHOT ?? `${built}/web-page.png`;
const small = { old: read("tests/e2e/cases/example-small-file/input.old"),
  new: read("tests/e2e/cases/example-small-file/expected.new") };
const foreign = [];
const violations = [];
const page_errors = [];
const scratch = mkdtempSync(`${tmpdir()}/morvane-page-`);
let browser, page;

// Watches a context for requests beyond the page and its blob: URLs (a page
// from disk has an opaque origin, so its blob: URLs begin blob:null/), policy
// violations, and whether its pages ever said "Ready".
async function watched(context) {
  context.on("request", (r) => {
    if (!(r.method() === "GET" && (r.url() === page_url || r.url().startsWith("blob:null/")))) {
      foreign.push(`${r.method()} ${r.url()}`);
    }
  });
  await context.addInitScript(() => {
    window.said_ready = false;
    document.addEventListener("securitypolicyviolation", (e) =>
      console.error(`Content Security Policy: ${e.violatedDirective} ${e.blockedURI}`));
    new MutationObserver(() => {
      if (!window.said_ready && /Ready/.test(document.getElementById("band")?.textContent ?? "")) {
        window.said_ready = true;
        window.ready_ms = performance.now();
      }
    }).observe(document, { subtree: true, childList: true, characterData: true });
  });
  context.on("console", (m) => {
    if (/Content.Security.Policy/i.test(m.text())) violations.push(m.text());
  });
  const opened = await context.newPage();
  opened.on("pageerror", (e) => page_errors.push(String(e)));
  return opened;
}

before(async () => {
  browser = await chromium.launch(chromium_options());
  page = await watched(await browser.newContext({ acceptDownloads: true, viewport: { width: 1000, height: 1100 } }));
});

after(async () => {
  await browser?.close();
  rmSync(scratch, { recursive: true, force: true });
});

const settled = (files) => page.locator("#summary", { hasText: `${files} file(s): 0 waiting, 0 converting` }).waitFor();

// Picks files or a folder on a freshly opened page with the keyboard: the
// file picker is the first thing Tab reaches, the folder picker the second.
// Nothing waits for "Ready": files picked before then wait for it.
async function pick(files, { tabs = 1, on = page } = {}) {
  await on.goto(page_url);
  const chooser = on.waitForEvent("filechooser");
  for (let n = 0; n < tabs; ++n) await on.keyboard.press("Tab");
  await on.keyboard.press("Space");
  await (await chooser).setFiles(files);
}

async function download(click) {
  const [file] = await Promise.all([page.waitForEvent("download"), click()]);
  return { name: file.suggestedFilename(), bytes: readFileSync(await file.path()) };
}

test("the page says it is ready once its converter works", async () => {
  await page.goto(page_url);
  await page.locator("#band.band-ready", { hasText: /^Ready/ }).waitFor();
  assert.equal(await page.evaluate(() => window.said_ready), true, "the watch that sees it");
  console.log(`Chromium: "Ready" ${Math.round(await page.evaluate(() => window.ready_ms))} ms after the page began to load`);
});

test("the example converts through the keyboard-opened picker, with the library's counts and its first lines", async () => {
  await pick(`${root}examples/project.old`);
  await settled(1);
  const got = await download(() => page.getByText("Download project.new").click());
  assert.equal(got.name, "project.new");
  assert.ok(got.bytes.equals(example.new));
  const shown = await page.locator(".counts div").evaluateAll((items) => items.map((item) =>
    [item.querySelector("dt").textContent.replaceAll(" ", "_"), Number(item.querySelector("dd").textContent)]));
  assert.deepEqual(Object.fromEntries(shown), example_counts);
  const lines = example.new.toString().split("\n");
  assert.equal(await page.locator(".preview pre").textContent(), lines.slice(0, 10).join("\n"));
  await page.getByText(`The first 10 of ${lines.length - 1} lines`).waitFor();
});

// Three .old files in two subfolders of projects/, and one other file.
const folder = { "knights/castle.old": example.old, "knights/Small.OLD": small.old,
  "notes/keep.old": small.old, "notes/read me.txt": example.old };

// The folder's files converted on the page: one zip keeps the three at their
// paths, and the other file is listed as skipped.
async function folder_converted(after_settling = () => {}) {
  await settled(4);
  await page.locator("li", { hasText: "projects/notes/read me.txt" }).locator(".state-skipped").waitFor();
  await after_settling();
  const got = await download(() => page.getByText("Download all converted files as one zip").click());
  const entries = unzipSync(got.bytes);
  assert.deepEqual(Object.keys(entries).sort(),
    ["projects/knights/Small.new", "projects/knights/castle.new", "projects/notes/keep.new"]);
  assert.ok(Buffer.from(entries["projects/knights/castle.new"]).equals(example.new));
  assert.ok(Buffer.from(entries["projects/knights/Small.new"]).equals(small.new));
  assert.ok(Buffer.from(entries["projects/notes/keep.new"]).equals(small.new));
}

test("a chosen folder converts every .old file beneath it into one zip that keeps their paths, and lists the rest as skipped", async () => {
  const top = `${scratch}/projects`;
  for (const [path, bytes] of Object.entries(folder)) {
    mkdirSync(`${top}/${path.replace(/\/[^/]*$/, "")}`, { recursive: true });
    writeFileSync(`${top}/${path}`, bytes);
  }
  await pick(top, { tabs: 2 });
  await folder_converted(() => page.screenshot({ path: screenshot, fullPage: true }));
});

test("a dropped folder converts as a chosen one", async () => {
  await page.goto(page_url);
  // A script can't make the entries that a browser gives for a dropped folder,
  // so these stand in for them: each folder's reader hands over its entries in
  // one batch, then none.
  await page.evaluate((files) => {
    const directory = (path, children) => ({ isDirectory: true, name: path.split("/").pop(), fullPath: path,
      createReader() {
        const batches = [children, []];
        return { readEntries: (resolve) => resolve(batches.shift()) };
      } });
    const file = (path) => ({ isDirectory: false, name: path.split("/").pop(), fullPath: `/projects/${path}`,
      file: (resolve) => resolve(new File([Uint8Array.from(atob(files[path]), (c) => c.charCodeAt(0))], path.split("/").pop())) });
    const paths = Object.keys(files);
    const subfolders = [...new Set(paths.map((path) => path.split("/")[0]))];
    const top = directory("/projects", subfolders.map((sub) =>
      directory(`/projects/${sub}`, paths.filter((path) => path.startsWith(`${sub}/`)).map(file))));
    const drop = new Event("drop", { bubbles: true, cancelable: true });
    Object.defineProperty(drop, "dataTransfer",
      { value: { items: [{ kind: "file", webkitGetAsEntry: () => top, getAsFile: () => null }] } });
    document.getElementById("drop").dispatchEvent(drop);
  }, Object.fromEntries(Object.entries(folder).map(([path, bytes]) => [path, base64(bytes)])));
  await folder_converted();
});

// The line of an excerpt, and where its marker is and the character it is
// under.
function marked(excerpt) {
  const [text, marker] = excerpt.split("\n");
  assert.match(marker, /^ *\^$/);
  return { text, column: marker.length, under: [...text][marker.length - 1] };
}

test("a broken file shows its name, line and column, and the line cut around a marker; a converted file so shows its warnings", async () => {
  const input = Buffer.concat([Buffer.from(" ".repeat(100)), read("tests/e2e/cases/check-columns-count-bytes/input.old")]);
  const sample = "tests/e2e/cases/warn-page-sample/";
  // A sprite's x given 150 times: 149 warnings, on one line of 1083 bytes.
  const many = Buffer.from(`[frame] [name] many; [sprite] ${"[x] 1; ".repeat(150)}! !`);
  const picked = { "broken.old": input, "input.old": read(`${sample}input.old`), "many.old": many, "small.old": small.old };
  await pick(Object.entries(picked).map(([name, buffer]) => ({ name, mimeType: "text/plain", buffer })));
  await settled(4);
  const file = (name) => page.locator(".results > li", { hasText: name });

  await file("broken.old").getByText('broken.old:1:135: expected "angle", "color",').waitFor();
  const broken = marked(await file("broken.old").locator(".excerpt").textContent());
  assert.match(broken.text, /^….{40,72}$/u);
  assert.equal(broken.under, "z");

  // Under the counts, as morvane-check --warnings prints them, each at its place.
  const sampled = file("input.old").locator(".counts + .warnings");
  assert.equal(await sampled.locator("h3").textContent(), "2 warnings");
  const shown = await sampled.locator("li").evaluateAll((items) =>
    items.map((li) => ({ line: li.querySelector(".warning").textContent, excerpt: li.querySelector(".excerpt").textContent })));
  assert.equal(shown.map(({ line }) => `${line}\n`).join(""), read(`${sample}expected.warnings`).toString());
  for (const { line, excerpt } of shown) {
    const { text, column, under } = marked(excerpt);
    assert.equal(text, picked["input.old"].toString());
    assert.ok(line.startsWith(`input.old:1:${column}: `), line);
    assert.equal(under, "[");
  }

  const crowded = file("many.old").locator(".warnings");
  assert.equal(await crowded.locator("h3").textContent(), "149 warnings");
  assert.equal(await crowded.locator("li").count(), 100);
  assert.equal(await crowded.locator(".note").textContent(), "49 more warnings are not shown.");
  const last = crowded.locator("li").last();
  assert.match(await last.locator(".warning").textContent(), /^many\.old:1:731: warning: "x" given again/);
  const cut = marked(await last.locator(".excerpt").textContent());
  assert.match(cut.text, /^….{72}…$/u);
  assert.equal(cut.under, "[");

  await file("small.old").locator(".counts").waitFor();
  assert.equal(await file("small.old").locator(".warnings").count(), 0);
});

test("files dropped together, whatever their names, give one zip where equal names are made unique", async () => {
  await page.goto(page_url);
  const files = [["project.old", example.old], ["project.old", small.old], ["notes.txt", example.old]]
    .map(([name, bytes]) => [name, base64(bytes)]);
  const dropped = await page.evaluateHandle((all) => {
    const transfer = new DataTransfer();
    for (const [name, text] of all) transfer.items.add(new File([Uint8Array.from(atob(text), (c) => c.charCodeAt(0))], name));
    return transfer;
  }, files);
  await page.dispatchEvent("#drop", "drop", { dataTransfer: dropped });
  await settled(3);
  const got = await download(() => page.getByText("Download all converted files as one zip").click());
  const entries = unzipSync(got.bytes);
  assert.deepEqual(Object.keys(entries).sort(), ["notes.txt.new", "project (2).new", "project.new"]);
  assert.ok(Buffer.from(entries["project.new"]).equals(example.new));
  assert.ok(Buffer.from(entries["project (2).new"]).equals(small.new));
  assert.ok(Buffer.from(entries["notes.txt.new"]).equals(example.new));
});

test("without WebAssembly the page shows why it can't convert, never says Ready, and converts nothing", async () => {
  // This V8 has no switch that hides WebAssembly alone; without its JIT it has none.
  const bare = await chromium.launch(chromium_options("--js-flags=--jitless"));
  try {
    const context = await bare.newContext();
    const opened = await watched(context);
    await pick(`${root}examples/project.old`, { on: opened });
    await opened.locator("#band.band-failed", { hasText: "this browser runs no WebAssembly" }).waitFor();
    await opened.locator("li", { hasText: "project.old" }).getByText("The converter does not work in this browser").waitFor();
    assert.equal(await opened.evaluate(() => window.said_ready), false);
    assert.equal(await opened.locator("#summary").textContent(), "1 file(s): 0 waiting, 0 converting, 0 done, 1 failed, 0 skipped.");
  } finally {
    await bare.close();
  }
});

test("nothing was requested beyond the page and its blob: URLs, no policy was violated and the page raised no error", () => {
  assert.deepEqual(foreign, []);
  assert.deepEqual(violations, []);
  assert.deepEqual(page_errors, []);
});
