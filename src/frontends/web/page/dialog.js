// The program's message boxes as modal dialogs, with its caption and texts. The program goes on
// while one shows (a page cannot wait); boxes asked for meanwhile follow one after another.
const icons = ['error', 'warning', 'warning', ''];  // by the core's box style
const kRetryCancel = 2;

export function createDialogs(dialog, done) {
  const queue = [];
  const title = dialog.querySelector('.caption');
  const icon = dialog.querySelector('.icon');
  const text = dialog.querySelector('.text');
  const buttons = dialog.querySelector('.buttons');

  function button(label) {
    const b = document.createElement('button');
    b.type = 'button';
    b.textContent = label;
    b.addEventListener('click', () => dialog.close());
    return b;
  }

  function showNext() {
    if (dialog.open || queue.length === 0) return;
    const { message, style } = queue.shift();
    icon.className = `icon ${icons[style] ?? ''}`;
    text.textContent = message;
    buttons.replaceChildren(...(style === kRetryCancel ? [button('Retry'), button('Cancel')] : [button('OK')]));
    dialog.showModal();
    buttons.firstChild.focus();
  }

  dialog.addEventListener('close', () => {
    if (queue.length > 0) showNext();
    else done();
  });

  return {
    setCaption(caption) { title.textContent = caption; },
    show(message, style) {
      queue.push({ message, style });
      showNext();
    },
    isOpen: () => dialog.open,
  };
}
