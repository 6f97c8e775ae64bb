// The page's key table against scan codes written here from a PC keyboard's set 1, and which keys
// the page keeps from the browser. Run with node --test.
import assert from 'node:assert/strict';
import { test } from 'node:test';
import { keepFromBrowser, keyMessage, scanCodes } from '../../src/frontends/web/page/keys.js';

const press = (code, more = {}) => ({ code, repeat: false, altKey: false, shiftKey: false, ctrlKey: false, metaKey: false, ...more });

test('extended keys give the byte after their E0, as the desktop programs hand them on', () => {
  const extended = { NumpadEnter: 0x1c, ControlRight: 0x1d, NumpadDivide: 0x35, AltRight: 0x38, ArrowUp: 0x48,
    ArrowLeft: 0x4b, ArrowRight: 0x4d, ArrowDown: 0x50, Insert: 0x52, Delete: 0x53 };
  for (const [code, scan] of Object.entries(extended)) assert.equal(scanCodes[code], scan, code);
  assert.deepEqual(keyMessage(press('KeyQ'), false, false), { release: false, virtualKey: 0, scan: 0x10, repeat: false, shift: false, ctrl: false });
  assert.equal(keyMessage(press('AudioVolumeMute'), false, false).scan, 0xff, 'a media key reaches no note slot');
});

test('a press with Alt is the menu\'s; its release and a press again while down are the keyboard\'s', () => {
  assert.equal(keyMessage(press('KeyQ', { altKey: true }), false, false), null);
  assert.equal(keyMessage(press('KeyQ', { altKey: true }), true, false).release, true);
  assert.equal(keyMessage(press('KeyQ'), false, true).repeat, true);
});

test('the browser keeps F5, Cmd shortcuts and Ctrl+W/T/N/Q; the page keeps the keys it plays', () => {
  for (const code of ['Slash', 'Quote', 'Space', 'Tab', 'ArrowDown', 'NumpadAdd']) assert.equal(keepFromBrowser(press(code)), true, code);
  assert.equal(keepFromBrowser(press('KeyQ', { ctrlKey: true, shiftKey: true })), false);
  assert.equal(keepFromBrowser(press('KeyZ', { ctrlKey: true })), true, 'Ctrl plays an octave down');
  assert.equal(keepFromBrowser(press('KeyQ', { metaKey: true })), false);
  assert.equal(keepFromBrowser(press('F5')), false);
});
