// The peer flow on Playwright driving Chromium:  node flow_playwright.mjs BASE ROUNDS
import { createRequire } from 'node:module';

const require = createRequire(import.meta.url);
const { chromium } = require('playwright-core');
const [base, rounds] = [process.argv[2], Number(process.argv[3])];

const browser = await chromium.launch({
  executablePath: '/usr/bin/chromium',
  args: ['--no-sandbox', '--disable-gpu', '--disable-background-networking', '--disable-component-update',
    '--disable-sync', '--no-first-run'],
});
const page = await browser.newPage();
for (let round = 0; round < rounds; ++round) {
  await page.goto(`${base}/index.html`);
  await Promise.all([page.waitForURL(`${base}/search.html`), page.click('a:text-is("Search the catalogue")')]);
  await page.fill('[name=q]', 'desk lamp');
  await page.fill('[name=colour]', 'blue');
  await Promise.all([page.waitForURL(`${base}/results`), page.click('input[type=submit][value=Search]')]);
  if (!(await page.content()).includes('3 offers for desk lamp in blue')) {
    console.error('the result page lacks the expected text');
    process.exit(1);
  }
  await page.goBack();
}
await browser.close();
