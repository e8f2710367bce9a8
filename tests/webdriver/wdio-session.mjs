// WebdriverIO drives the address book through testclient-webdriver:
//   node wdio-session.mjs SERVER_URL PROGRAM
import assert from 'node:assert/strict';
import {remote} from 'webdriverio';

const [url, program] = process.argv.slice(2);
const {hostname, port} = new URL(url);
const browser = await remote({
  hostname, port: Number(port), path: '/', logLevel: 'error',
  capabilities: {platformName: 'linux', 'appium:app': program},
});
try {
  await browser.$("//QPushButton[@text='Add']").click();
  const name = await browser.$("//QLabel[@text='Name:']/following-sibling::QLineEdit[1]");
  await name.setValue('Ada');
  await browser.keys(['Control', 'a']);
  await name.addValue('Zoë');
  assert.equal(await name.getText(), 'Zoë');
  assert.equal(await name.getAttribute('readOnly'), null);
  const viewport = await browser.$('#qt_scrollarea_viewport');
  assert.equal(await viewport.getTagName(), 'QWidget');
  const buttons = await browser.$$('.QAbstractButton');
  assert.equal(buttons.length, 3);
  const address = await browser.$('QTextEdit');
  await address.addValue('Paris\uE007France'); // WebDriver's Enter key code
  assert.equal(await address.getAttribute('plainText'), 'Paris\nFrance');
  const size = await name.getSize();
  assert.ok(size.width > 0 && size.height > 0);
  assert.ok((await browser.takeScreenshot()).length > 100);
  await browser.$("//QPushButton[@text='Submit']").click();
  const handles = await browser.getWindowHandles();
  assert.equal(handles.length, 2);
  const box = handles.find((h) => h !== handles[0]) ?? handles[1];
  await browser.switchToWindow(box);
  assert.ok(['Add Successful', 'Simple Address Book'].includes(await browser.getTitle()));
  assert.equal(await browser.$('#noSuchWidget').isExisting(), false);
} finally {
  await browser.deleteSession();
}
