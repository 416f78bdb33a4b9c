// The one-file page in Debian's Firefox ESR, opened from disk and driven over
// WebDriver BiDi: it says "Ready", converts the example to its exact bytes
// through the converter it gives scripts, and its screenshot shows the ready
// band in the band's colour; and the page violates none of its own policy.
import { after, before, test } from "node:test";
import assert from "node:assert/strict";
import puppeteer from "puppeteer-core";
import { PNG } from "pngjs";
import { base64, built, example, page_url } from "./support.js";

let browser, page;

before(async () => {
  browser = await puppeteer.launch({ browser: "firefox", headless: true,
    executablePath: process.env.FIREFOX ?? "/usr/bin/firefox-esr" });
  page = await browser.newPage();
  await page.evaluateOnNewDocument(() => {
    window.violations = [];
    document.addEventListener("securitypolicyviolation", (e) => window.violations.push(`${e.violatedDirective} ${e.blockedURI}`));
    new MutationObserver(() => {
      window.ready_ms ??= /Ready/.test(document.getElementById("band")?.textContent ?? "") ? performance.now() : undefined;
    }).observe(document, { subtree: true, childList: true, characterData: true });
  });
  await page.goto(page_url);
});

after(async () => {
  await browser?.close();
});

test("Firefox: the page says Ready and converts the example to its exact bytes", async () => {
  await page.waitForSelector("#band.band-ready");
  assert.match(await page.$eval("#band", (band) => band.textContent), /^Ready/);
  console.log(`Firefox: "Ready" ${Math.round(await page.evaluate(() => window.ready_ms))} ms after the page began to load`);
  const output = await page.evaluate(async (input) => {
    const result = await window.morvane.convert(Uint8Array.from(atob(input), (c) => c.charCodeAt(0)));
    return btoa(String.fromCharCode(...result.output));
  }, base64(example.old));
  assert.ok(Buffer.from(output, "base64").equals(example.new));
});

test("Firefox: the screenshot shows the ready band in its colour", async () => {
  await page.waitForSelector("#band.band-ready");
  // A point in the band's padding, left of its text.
  const { x, y, colour } = await page.$eval("#band", (band) => {
    const box = band.getBoundingClientRect();
    return { x: Math.round((box.left + 4) * devicePixelRatio), y: Math.round((box.top + box.height / 2) * devicePixelRatio),
      colour: getComputedStyle(band).backgroundColor };
  });
  const png = PNG.sync.read(Buffer.from(await page.screenshot({ path: `${built}/firefox-page.png` })));
  const at = (y * png.width + x) * 4;
  assert.equal(`rgb(${png.data[at]}, ${png.data[at + 1]}, ${png.data[at + 2]})`, colour);
  assert.equal(colour, "rgb(29, 107, 34)", "the ready band's green");
});

test("Firefox: the page violated none of its policy", async () => {
  assert.deepEqual(await page.evaluate(() => window.violations), []);
});
