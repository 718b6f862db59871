// The steps of bench/chromium_cycle.cpp driven by Playwright, for comparison: a navigation to a
// complete page, a field filled and a form submitted until the answer is complete, and the
// texts of 100 links read one by one. Needs playwright-core (npm install playwright-core, found
// through NODE_PATH or a node_modules folder) and Chromium at /usr/bin/chromium.
//   node bench/playwright_cycle.mjs [ITERATIONS]
import http from 'node:http';
import { createRequire } from 'node:module';

const require = createRequire(import.meta.url);
const { chromium } = require('playwright-core');
const iterations = Number(process.argv[2] || 100);
const links = 100;

function pageFor(path) {
  if (path.startsWith('/form'))
    return '<html><body><form action="/done" method="post"><input name="q" value="">'
      + '<input type="submit" name="go" value="Go"></form></body></html>';
  if (path.startsWith('/links')) {
    let page = '<html><body>';
    for (let link = 0; link < links; ++link)
      page += `<p><a href="/item/${link}">Item ${link}</a></p>`;
    return page + '</body></html>';
  }
  return '<html><body>done</body></html>';
}

const server = http.createServer((request, response) => {
  request.resume();
  request.on('end', () => {
    response.writeHead(200, { 'Content-Type': 'text/html' });
    response.end(pageFor(request.url));
  });
});
await new Promise(resolve => server.listen(0, '127.0.0.1', resolve));
const base = `http://127.0.0.1:${server.address().port}`;

const browser = await chromium.launch({
  executablePath: '/usr/bin/chromium',
  args: process.getuid && process.getuid() === 0 ? ['--no-sandbox'] : [],
});
const page = await browser.newPage();

async function measure(name, setUp, step, items = 1) {
  let total = 0n;
  for (let i = 0; i < iterations; ++i) {
    await setUp();
    const start = process.hrtime.bigint();
    await step();
    total += process.hrtime.bigint() - start;
  }
  const ms = Number(total) / 1e6 / iterations;
  console.log(`${name.padEnd(28)} ${ms.toFixed(2)} ms per step` + (items > 1 ? ` (${(items * 1000 / ms).toFixed(0)} items/s)` : ''));
}

await measure('Playwright navigate', async () => {}, () => page.goto(`${base}/form`, { waitUntil: 'load' }));
await measure('Playwright fill and submit', () => page.goto(`${base}/form`, { waitUntil: 'load' }), async () => {
  await page.fill('[name=q]', 'benchmark');
  await Promise.all([page.waitForURL(`${base}/done`, { waitUntil: 'load' }), page.click('[name=go]')]);
});
await page.goto(`${base}/links`, { waitUntil: 'load' });
await measure('Playwright read links', async () => {}, async () => {
  for (const link of await page.$$('a'))
    await link.innerText();
}, links);

await browser.close();
server.close();
