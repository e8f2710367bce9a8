'use strict';

// Appium's driver for Qt Widgets programs: a thin forwarder. Each session starts
// testclient-webdriver on a free port (or uses the one that testclient:serverUrl names),
// opens a session there with the same capabilities, and proxies every W3C command to it.
// The executable is testclient:server, else $TESTCLIENT_WEBDRIVER, else testclient-webdriver
// on the PATH.

const {BaseDriver, JWProxy} = require('appium/driver');
const {spawn} = require('node:child_process');
const readline = require('node:readline');

const LOCATORS = ['xpath', 'css selector', 'id', 'name', 'class name', 'tag name',
  'accessibility id', 'link text', 'partial link text', '-testclient selector'];
const STANDARD = new Set(['platformName', 'browserName', 'browserVersion', 'acceptInsecureCerts',
  'pageLoadStrategy', 'proxy', 'setWindowRect', 'timeouts', 'strictFileInteractability',
  'unhandledPromptBehavior', 'webSocketUrl']);

// Starts the server on a free port; resolves to its URL once it listens.
function startServer(executable) {
  return new Promise((resolve, reject) => {
    const child = spawn(executable, ['--port', '0'], {stdio: ['ignore', 'pipe', 'inherit']});
    child.once('error', reject);
    readline.createInterface({input: child.stdout}).once('line', (line) => {
      const match = /(http:\/\/\S+)/.exec(line);
      if (match) {
        resolve({child, url: new URL(match[1])});
      } else {
        child.kill();
        reject(new Error(`${executable} did not start: ${line}`));
      }
    });
  });
}

class TestClientDriver extends BaseDriver {
  constructor(opts = {}, shouldValidateCaps = true) {
    super(opts, shouldValidateCaps);
    this.desiredCapConstraints = {
      platformName: {presence: true, isString: true, inclusionCaseInsensitive: ['Linux']},
      app: {isString: true},
    };
    this.locatorStrategies = LOCATORS;
    this.server = null;
    this.proxy = null;
  }

  proxyActive() {
    return Boolean(this.proxy);
  }

  getProxyAvoidList() {
    return [];
  }

  canProxy() {
    return true;
  }

  async createSession(caps1, caps2, caps3, driverData) {
    const [sessionId, caps] = await super.createSession(caps1, caps2, caps3, driverData);
    try {
      let url = caps['testclient:serverUrl'] && new URL(caps['testclient:serverUrl']);
      if (!url) {
        this.server = await startServer(caps['testclient:server'] ||
          process.env.TESTCLIENT_WEBDRIVER || 'testclient-webdriver');
        url = this.server.url;
      }
      this.proxy = new JWProxy({server: url.hostname, port: Number(url.port), base: '',
        log: this.log});
      const alwaysMatch = {};
      for (const [key, value] of Object.entries(caps)) {
        alwaysMatch[STANDARD.has(key) || key.includes(':') ? key : `appium:${key}`] = value;
      }
      await this.proxy.command('/session', 'POST', {capabilities: {alwaysMatch, firstMatch: [{}]}});
      this.proxyReqRes = this.proxy.proxyReqRes.bind(this.proxy);
    } catch (error) {
      await this.deleteSession();
      throw error;
    }
    return [sessionId, caps];
  }

  async deleteSession(sessionId) {
    if (this.proxy && this.proxy.sessionId) {
      await this.proxy.command('', 'DELETE').catch(() => {});
    }
    this.proxy = null;
    if (this.server) {
      this.server.child.kill();
      this.server = null;
    }
    await super.deleteSession(sessionId);
  }
}

module.exports = {TestClientDriver};
