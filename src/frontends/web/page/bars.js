// The three control bars as scroll-bar-like controls: arrows at the ends, a trough and a thumb.
// A bar never moves its thumb by itself: clicks on the arrows and the trough (repeated while
// held) and the thumb's drag are reported as a scroll bar reports them, and the core sets the
// position. Only while the thumb is dragged does it follow the pointer.
export const request = { lineUp: 0, lineDown: 1, pageUp: 2, pageDown: 3, thumbPosition: 4, thumbTrack: 5 };

const kFirstRepeatMs = 400;
const kRepeatMs = 50;

export function createBar(parent, vertical, report) {
  const el = document.createElement('div');
  el.className = `bar ${vertical ? 'vertical' : 'horizontal'}`;
  el.setAttribute('role', 'scrollbar');
  el.setAttribute('aria-orientation', vertical ? 'vertical' : 'horizontal');
  const less = document.createElement('div');
  const more = document.createElement('div');
  const thumb = document.createElement('div');
  less.className = 'arrow less';
  more.className = 'arrow more';
  thumb.className = 'thumb';
  el.append(less, thumb, more);
  parent.append(el);

  const state = { min: 0, max: 0, pos: 0, dragPos: null, x: 0, y: 0, w: 0, h: 0 };
  let repeatTimer = 0;

  const length = () => (vertical ? state.h : state.w);
  const thickness = () => (vertical ? state.w : state.h);
  // Arrows and thumb are square, shrinking where the bar is too short for three squares.
  const unit = () => Math.max(0, Math.min(thickness(), Math.floor(length() / 3)));
  const travel = () => Math.max(0, length() - 3 * unit());

  function thumbOffset(pos) {
    const span = state.max - state.min;
    const f = span > 0 ? (Math.min(Math.max(pos, state.min), state.max) - state.min) / span : 0;
    return unit() + Math.round(f * travel());
  }

  function positionAt(offset) {
    const span = state.max - state.min;
    if (travel() === 0 || span <= 0) return state.min;
    const f = Math.min(Math.max((offset - unit()) / travel(), 0), 1);
    return state.min + Math.round(f * span);
  }

  function layout() {
    const u = unit();
    const css = (v) => `${v}px`;
    Object.assign(el.style, { left: css(state.x), top: css(state.y), width: css(state.w), height: css(state.h) });
    const off = thumbOffset(state.dragPos ?? state.pos);
    if (vertical) {
      Object.assign(less.style, { left: '0', top: '0', width: css(state.w), height: css(u) });
      Object.assign(more.style, { left: '0', top: css(state.h - u), width: css(state.w), height: css(u) });
      Object.assign(thumb.style, { left: '0', top: css(off), width: css(state.w), height: css(u) });
    } else {
      Object.assign(less.style, { left: '0', top: '0', width: css(u), height: css(state.h) });
      Object.assign(more.style, { left: css(state.w - u), top: '0', width: css(u), height: css(state.h) });
      Object.assign(thumb.style, { left: css(off), top: '0', width: css(u), height: css(state.h) });
    }
    el.setAttribute('aria-valuemin', String(state.min));
    el.setAttribute('aria-valuemax', String(state.max));
    el.setAttribute('aria-valuenow', String(state.pos));
  }

  // Where along the bar the pointer is.
  function along(event) {
    const r = el.getBoundingClientRect();
    return Math.round(vertical ? event.clientY - r.top : event.clientX - r.left);
  }

  function stopRepeat() {
    clearTimeout(repeatTimer);
    repeatTimer = 0;
  }

  function repeating(what) {
    report(what(), state.pos);
    const again = (delay) => { repeatTimer = setTimeout(() => { report(what(), state.pos); again(kRepeatMs); }, delay); };
    again(kFirstRepeatMs);
  }

  let dragGrab = 0;
  el.addEventListener('pointerdown', (event) => {
    if (event.button !== 0) return;
    event.preventDefault();
    el.setPointerCapture(event.pointerId);
    const at = along(event);
    if (event.target === less) {
      repeating(() => request.lineUp);
    } else if (event.target === more) {
      repeating(() => request.lineDown);
    } else if (event.target === thumb) {
      dragGrab = at - thumbOffset(state.pos);
      state.dragPos = state.pos;
    } else {
      // The trough pages towards the pointer until the thumb reaches it.
      repeating(() => (at < thumbOffset(state.pos) ? request.pageUp : request.pageDown));
    }
  });
  el.addEventListener('pointermove', (event) => {
    if (state.dragPos === null) return;
    const pos = positionAt(along(event) - dragGrab);
    if (pos === state.dragPos) return;
    state.dragPos = pos;
    layout();
    report(request.thumbTrack, pos);
  });
  const end = () => {
    stopRepeat();
    if (state.dragPos === null) return;
    const pos = state.dragPos;
    state.dragPos = null;
    report(request.thumbPosition, pos);
    layout();
  };
  el.addEventListener('pointerup', end);
  el.addEventListener('pointercancel', end);
  el.addEventListener('mousedown', (event) => event.preventDefault());

  return {
    el,
    setRange(min, max) { state.min = min; state.max = max; layout(); },
    setPosition(pos) { state.pos = pos; layout(); },
    setTip(text) { el.title = text; el.setAttribute('aria-valuetext', text); el.setAttribute('aria-label', text.split(':')[0]); },
    show(visible) { el.hidden = !visible; },
    move(x, y, w, h) {
      Object.assign(state, { x, y, w: Math.max(0, w), h: Math.max(0, h) });
      layout();
    },
    position: () => state.pos,
  };
}
