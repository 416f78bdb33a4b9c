// morvane.mjs, the module for scripts, in headless Chromium, served from its
// build folder at an origin of the test's own: every end-to-end case converts
// and checks as the commands do, with the warnings `morvane-check --warnings`
// prints, and an input that memory can't hold comes back as out_of_memory from
// the binding, with the module still usable.
import { after, before, test } from "node:test";
import assert from "node:assert/strict";
import { existsSync, readdirSync } from "node:fs";
import { chromium } from "playwright-core";
import { base64, built, chromium_options, example, read, root } from "./support.js";

const origin = "http://morvane.test";
const types = { ".html": "text/html", ".mjs": "text/javascript", ".js": "text/javascript", ".wasm": "application/wasm" };
let browser, page;

before(async () => {
  browser = await chromium.launch(chromium_options());
  const context = await browser.newContext();
  await context.route(`${origin}/**`, (route) => {
    const name = new URL(route.request().url()).pathname.slice(1);
    if (name === "") return route.fulfill({ contentType: types[".html"], body: "<!doctype html><title>module</title>" });
    const type = types[name.slice(name.lastIndexOf("."))];
    return type && existsSync(`${built}/module/${name}`)
      ? route.fulfill({ contentType: type, path: `${built}/module/${name}` })
      : route.fulfill({ status: 404 });
  });
  page = await context.newPage();
  await page.goto(`${origin}/`);
});

after(async () => {
  await browser?.close();
});

// Line and column (1-based, in bytes) of the byte at offset, and the bytes of
// its line, counted as the library counts them: "\n", "\r\n" and "\r" each
// end a line.
function position(bytes, offset) {
  const ends_line = (i) => bytes[i] === 0x0a || bytes[i] === 0x0d;
  let line = 1;
  let line_begin = 0;
  for (let i = 0; i < offset; ++i) {
    if (bytes[i] === 0x0a || (bytes[i] === 0x0d && bytes[i + 1] !== 0x0a)) {
      ++line;
      line_begin = i + 1;
    }
  }
  let line_end = offset;
  while (line_end < bytes.length && !ends_line(line_end)) ++line_end;
  return { line, column: offset - line_begin + 1, line_begin, line_end };
}

test("every end-to-end case converts and checks through morvane.mjs as the commands do", async () => {
  const optional = (path) => (existsSync(`${root}${path}`) ? read(path).toString() : null);
  const cases = readdirSync(`${root}tests/e2e/cases`, { withFileTypes: true })
    .filter((d) => d.isDirectory()).map(({ name }) => {
      const dir = `tests/e2e/cases/${name}/`;
      return { name, input: base64(read(`${dir}input.old`)), check: optional(`${dir}expected.check`),
        warnings: optional(`${dir}expected.warnings`) };
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
  assert.ok(cases.some((c) => c.warnings !== null));
  cases.forEach(({ name, check, warnings: expected_warnings }, i) => {
    const dir = `tests/e2e/cases/${name}/`;
    const { status, output, counts, error, warnings, checked } = results[i];
    const failed = read(`${dir}expected.status`).toString().trim() === "1";
    assert.equal(status, failed ? "parse_failure" : "success", name);
    assert.ok(Buffer.from(output, "base64").equals(read(`${dir}expected.new`)), name);
    assert.deepEqual(checked, { status, error, warnings }, name);
    assert.equal(warnings.map((w) => `input.old:${w.line}:${w.column}: warning: ${w.message}\n`).join(""),
      expected_warnings ?? "", name);
    // The page shows each place's line as the library gives it.
    const input = read(`${dir}input.old`);
    const place = ({ line, column, line_begin, line_end }) => ({ line, column, line_begin, line_end });
    for (const w of warnings) {
      assert.equal(input[w.offset], "[".charCodeAt(0), name);
      assert.deepEqual(place(w), position(input, w.offset), name);
    }
    if (error !== null && !/\r\n/.test(input.toString("latin1"))) {
      assert.deepEqual(place(error), position(input, error.line_begin + error.column - 1), name);
    }
    assert.equal(error === null, !failed, name);
    if (failed) assert.ok(Object.values(counts).every((n) => n === 0), name);
    if (check !== null) assert.equal(`input.old:${error.line}:${error.column}: ${error.message}\n`, check, name);
  });
});

test("an input that memory can't hold is out_of_memory for convert and check, and the module goes on converting", async () => {
  // The module's memory ends at 4 GiB: the first can't be copied into it beside
  // anything else, the second is longer than it can address.
  const got = await page.evaluate(async ({ sizes, input }) => {
    const { convert, check } = await import("./morvane.mjs");
    const out = [];
    for (const size of sizes) {
      const bytes = new Uint8Array(size);
      const converted = await convert(bytes);
      out.push({ converted: { ...converted, output: converted.output.length }, checked: await check(bytes) });
    }
    const after_all = await convert(Uint8Array.from(atob(input), (c) => c.charCodeAt(0)));
    return { out, after_all: btoa(String.fromCharCode(...after_all.output)) };
  }, { sizes: [4_290_000_000, 5_000_000_000], input: base64(example.old) });
  const zero = { characters: 0, animations: 0, animation_frames: 0, frames: 0, sprites: 0, points: 0,
    collision_rectangles: 0, charmaps: 0 };
  for (const { converted, checked } of got.out) {
    assert.deepEqual(converted, { status: "out_of_memory", output: 0, counts: zero, error: null, warnings: [] });
    assert.deepEqual(checked, { status: "out_of_memory", error: null, warnings: [] });
  }
  assert.ok(Buffer.from(got.after_all, "base64").equals(example.new));
});
