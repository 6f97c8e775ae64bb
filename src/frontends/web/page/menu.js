// The menu bar, built from the core's menu table as an HTML menu (ARIA menubar, menus and
// items): opened by the mouse, by Alt with an access letter, or by F10; walked with the arrows,
// chosen with Enter, Space or an item's access letter, left with Esc.
const kPopup = 0;
const kItem = 1;

// "&File" -> the text without the marker, the access letter, and where it is.
function parseAccess(text) {
  const at = text.indexOf('&');
  if (at < 0 || at + 1 >= text.length) return { label: text, letter: '', index: -1 };
  return { label: text.slice(0, at) + text.slice(at + 1), letter: text[at + 1].toLowerCase(), index: at };
}

function labelNode(text, literal) {
  const span = document.createElement('span');
  span.className = 'label';
  const access = literal ? { label: text, letter: '', index: -1 } : parseAccess(text);
  if (access.index < 0) {
    span.textContent = access.label;
  } else {
    span.append(access.label.slice(0, access.index));
    const u = document.createElement('u');
    u.textContent = access.label[access.index];
    span.append(u, access.label.slice(access.index + 1));
  }
  return { span, letter: access.letter };
}

export function createMenuBar(bar, rows, handlers) {
  const items = new Map();  // command id -> item element
  let devicesPopup = null;
  const open = [];          // the open popups, outermost first
  let active = false;       // the menu has the keyboard

  function makeItem(row, literal) {
    const el = document.createElement('div');
    el.className = 'item';
    el.tabIndex = -1;
    el.setAttribute('role', row.checked ? 'menuitemcheckbox' : 'menuitem');
    if (row.checked) el.setAttribute('aria-checked', 'true');
    const mark = document.createElement('span');
    mark.className = 'mark';
    mark.setAttribute('aria-hidden', 'true');
    const { span, letter } = labelNode(row.text, literal);
    el.append(mark, span);
    el.dataset.letter = letter;
    el.dataset.id = String(row.id);
    items.set(row.id, el);
    return el;
  }

  function makePopup() {
    const menu = document.createElement('div');
    menu.className = 'popup';
    menu.setAttribute('role', 'menu');
    menu.hidden = true;
    return menu;
  }

  // The table lists each popup's children after it, one level deeper.
  function build() {
    const parents = [bar];
    for (const row of rows) {
      const parent = parents[row.depth];
      if (row.kind === kPopup) {
        const el = document.createElement('div');
        el.className = row.depth === 0 ? 'top' : 'item submenu';
        el.tabIndex = -1;
        el.setAttribute('role', 'menuitem');
        el.setAttribute('aria-haspopup', 'menu');
        el.setAttribute('aria-expanded', 'false');
        const mark = document.createElement('span');
        mark.className = 'mark';
        const { span, letter } = labelNode(row.text, false);
        if (row.depth > 0) el.append(mark);
        el.append(span);
        el.dataset.letter = letter;
        const popup = makePopup();
        popup.setAttribute('aria-label', span.textContent);
        el.append(popup);
        el.popup = popup;
        parent.append(el);
        parents[row.depth + 1] = popup;
        if (row.devicesPopup) devicesPopup = popup;
      } else if (row.kind === kItem) {
        parent.append(makeItem(row, false));
      } else {
        const sep = document.createElement('div');
        sep.className = 'separator';
        sep.setAttribute('role', 'separator');
        parent.append(sep);
      }
    }
  }

  const entriesOf = (container) =>
    [...container.children].filter((c) => c.classList.contains('item') || c.classList.contains('top'));
  const tops = () => entriesOf(bar);
  const topOf = (el) => { let t = el; while (t && !t.classList.contains('top')) t = t.parentElement; return t; };

  function closeFrom(level) {
    while (open.length > level) {
      const popup = open.pop();
      popup.hidden = true;
      popup.parentElement.setAttribute('aria-expanded', 'false');
      popup.parentElement.classList.remove('open');
    }
  }

  function openPopup(owner, focusFirst) {
    const popup = owner.popup;
    const level = owner.classList.contains('top') ? 0 : open.indexOf(owner.parentElement) + 1;
    closeFrom(level);
    if (popup === devicesPopup) handlers.devicesOpening();
    popup.hidden = false;
    owner.setAttribute('aria-expanded', 'true');
    owner.classList.add('open');
    open.push(popup);
    placePopup(owner, popup);
    if (focusFirst) {
      const first = entriesOf(popup)[0];
      if (first) first.focus();
    }
  }

  // Popups are placed on the page itself (fixed), so neither the window's edge nor a parent popup
  // that scrolls cuts them: below a menu bar entry, beside a submenu's item. One that would run
  // off the page's bottom scrolls within it instead.
  function placePopup(owner, popup) {
    const o = owner.getBoundingClientRect();
    const top = owner.classList.contains('top');
    popup.style.left = `${top ? o.left : o.right}px`;
    popup.style.top = `${top ? o.bottom : o.top - 3}px`;
    popup.style.maxHeight = '';
    const r = popup.getBoundingClientRect();
    const room = window.innerHeight - r.top - 4;
    if (r.height > room) popup.style.maxHeight = `${Math.max(room, 80)}px`;
  }

  function takeKeyboard() {
    if (active) return;
    active = true;
    handlers.takesKeyboard();
  }

  function closeAll() {
    closeFrom(0);
    if (!active) return;
    active = false;
    for (const t of tops()) t.classList.remove('current');
    handlers.closed();
  }

  function choose(el) {
    if (el.getAttribute('aria-disabled') === 'true') return;
    if (el.popup) {
      openPopup(el, true);
      return;
    }
    const id = Number(el.dataset.id);
    closeAll();
    handlers.command(id);
  }

  function focusTop(top, withPopup) {
    for (const t of tops()) t.classList.toggle('current', t === top);
    top.focus();
    if (withPopup) openPopup(top, true);
    else closeFrom(0);
  }

  // Alt with a letter, or F10: the keyboard goes to the menu bar.
  function openByKey(letter) {
    const top = tops().find((t) => t.dataset.letter === letter);
    if (letter !== '' && !top) return false;
    takeKeyboard();
    focusTop(top ?? tops()[0], top !== undefined);
    return true;
  }

  function step(list, from, by) {
    const i = list.indexOf(from);
    return list[(i + by + list.length) % list.length];
  }

  function onKey(event) {
    const el = document.activeElement;
    if (!bar.contains(el)) return;
    const onTop = el.classList.contains('top');
    const container = onTop ? bar : el.parentElement;
    const siblings = entriesOf(container);
    const key = event.key;
    let handled = true;
    if (key === 'Escape') {
      if (onTop || open.length <= 1) {
        closeAll();
      } else {
        const owner = open[open.length - 1].parentElement;
        closeFrom(open.length - 1);
        owner.focus();
      }
    } else if (key === 'ArrowDown' || key === 'ArrowUp') {
      if (onTop) openPopup(el, true);
      else step(siblings, el, key === 'ArrowDown' ? 1 : -1).focus();
    } else if (key === 'ArrowRight' || key === 'ArrowLeft') {
      const right = key === 'ArrowRight';
      if (onTop) {
        focusTop(step(tops(), el, right ? 1 : -1), false);
      } else if (right && el.popup) {
        openPopup(el, true);
      } else if (!right && open.length > 1) {
        const owner = open[open.length - 1].parentElement;
        closeFrom(open.length - 1);
        owner.focus();
      } else {
        focusTop(step(tops(), topOf(el), right ? 1 : -1), true);
      }
    } else if (key === 'Enter' || key === ' ') {
      if (onTop) openPopup(el, true);
      else choose(el);
    } else if (key.length === 1 && !event.ctrlKey && !event.metaKey) {
      const letter = key.toLowerCase();
      const byAccess = siblings.find((s) => s.dataset.letter === letter);
      if (byAccess) {
        if (onTop) focusTop(byAccess, true);
        else choose(byAccess);
      } else {
        // Items without an access letter (programs, channels, devices) are found by their first.
        const starts = siblings.filter((s) => s.textContent.trim().toLowerCase().startsWith(letter));
        if (starts.length > 0) step(starts, starts.includes(el) ? el : starts[starts.length - 1], 1).focus();
      }
    } else {
      handled = false;
    }
    if (handled) {
      event.preventDefault();
      event.stopPropagation();
    }
  }

  function onPointerDown(event) {
    const el = event.target.closest('.top, .item');
    if (!el || !bar.contains(el)) return;
    event.preventDefault();
    if (el.classList.contains('top')) {
      if (el.classList.contains('open')) {
        closeAll();
      } else {
        takeKeyboard();
        focusTop(el, false);
        openPopup(el, false);
        el.focus();
      }
    }
  }

  function onClick(event) {
    const el = event.target.closest('.item');
    if (!el || !bar.contains(el) || el.popup) return;
    choose(el);
  }

  function onHover(event) {
    if (!active) return;
    const el = event.target.closest('.top, .item');
    if (!el || !bar.contains(el)) return;
    if (el.classList.contains('top')) {
      if (!el.classList.contains('open') && open.length > 0) {
        focusTop(el, false);
        openPopup(el, false);
        el.focus();
      }
      return;
    }
    el.focus();
    const level = open.indexOf(el.parentElement) + 1;
    if (el.popup) openPopup(el, false);
    else closeFrom(level);
  }

  build();
  bar.addEventListener('keydown', onKey);
  bar.addEventListener('pointerdown', onPointerDown);
  bar.addEventListener('click', onClick);
  bar.addEventListener('pointerover', onHover);
  // A click outside an open menu closes it and does nothing else, as on the desktop.
  document.addEventListener('pointerdown', (event) => {
    if (!active || bar.contains(event.target)) return;
    closeAll();
    event.stopPropagation();
    event.preventDefault();
  }, true);
  bar.addEventListener('focusout', (event) => {
    if (active && !bar.contains(event.relatedTarget)) {
      // The focus left the menu for somewhere else (another window, the page): it is closed.
      queueMicrotask(() => { if (!bar.contains(document.activeElement)) closeAll(); });
    }
  });

  return {
    openByKey,
    isActive: () => active,
    check(id, checked) {
      const el = items.get(id);
      if (!el) return;
      if (checked) el.setAttribute('role', 'menuitemcheckbox');
      if (el.getAttribute('role') === 'menuitemcheckbox') el.setAttribute('aria-checked', checked ? 'true' : 'false');
    },
    setItem(id, text, grayed) {
      const el = items.get(id);
      if (!el) return;
      const { span, letter } = labelNode(text, false);
      el.querySelector('.label').replaceWith(span);
      el.dataset.letter = letter;
      el.setAttribute('aria-disabled', grayed ? 'true' : 'false');
      if (el.getAttribute('role') === 'menuitemcheckbox') el.setAttribute('aria-checked', 'false');
    },
    gray(id) {
      const el = items.get(id);
      if (el) el.setAttribute('aria-disabled', 'true');
    },
    appendDevice(id, text) {
      if (!devicesPopup) return;
      const el = makeItem({ id, text, checked: false }, true);
      el.classList.add('device');
      devicesPopup.append(el);
    },
    removeDevices() {
      if (!devicesPopup) return;
      for (const el of devicesPopup.querySelectorAll('.device')) {
        items.delete(Number(el.dataset.id));
        el.remove();
      }
    },
  };
}
