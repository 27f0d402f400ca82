// The web backend's side in the page: dialog windows as DOM elements, and
// the queue that carries what the person does to the program's modal loop.
//
// A DOM listener never calls a dialog's handler itself. It queues the event
// and, if the program is asleep waiting for one, wakes it: the program then
// runs, on its own stack, until its loop waits again, and only then does the
// listener return. So everything a key or click causes has happened by the
// time the browser goes on with the next input, as on the desktop, and a
// handler that runs a nested dialog can wait inside that dialog's loop.

mergeInto(LibraryManager.library, {
  $KZ: {
    windows: {},  // by handle
    stack: [],    // shown windows, innermost last
    queue: [],
    current: null,  // the event the program took last
    wake: null,     // resumes the program while it waits for an event
    ended: false,
    started: false,
    idleWaiters: [],
    desktop: null,
    scale: 1,
    desktopWidth: 0,
    desktopHeight: 0,
    coarse: null,  // whether the page is on a touch screen; asked once, then kept up to date

    // A frame's edge and caption bar, as web_dialog.css draws them. A window's
    // outer size follows from its client's, so the program can place it
    // without the page laying anything out before the window is shown.
    frameEdge: 2,
    captionHeight: 18,

    // Keys the dialogs answer themselves, with the codes web_dialog.cpp knows.
    keyCodes: {Tab: 1, Enter: 2, Escape: 3, F1: 4, ArrowLeft: 5, ArrowUp: 6, ArrowRight: 7, ArrowDown: 8},

    post: function(windowHandle, kind, value, shift) {
      if (KZ.ended) return;
      KZ.queue.push({window: windowHandle, kind: kind, value: value, shift: shift ? 1 : 0});
      if (KZ.wake !== null) {
        var wake = KZ.wake;
        KZ.wake = null;
        wake();
      }
    },

    // Resolves the promises of whoever waits for the program to have handled
    // everything queued.
    settle: function() {
      var waiters = KZ.idleWaiters;
      KZ.idleWaiters = [];
      waiters.forEach(function(resolve) { resolve(); });
    },

    isIdle: function() { return KZ.ended || (KZ.wake !== null && KZ.queue.length === 0); },

    top: function() { return KZ.stack.length ? KZ.stack[KZ.stack.length - 1] : null; },

    // The control of a window that holds the keyboard focus, as its index.
    focusedIndex: function(win) {
      var active = document.activeElement;
      if (!active || !win.frame.contains(active)) return -1;
      for (var i = 0; i < win.controls.length; ++i) {
        var element = win.controls[i];
        if (element && (element === active || element.contains(active))) return i;
      }
      return -1;
    },

    ensureDesktop: function() {
      if (KZ.desktop) return KZ.desktop;
      var desktop = document.getElementById('kadenzo-desktop');
      if (!desktop) {
        desktop = document.createElement('div');
        desktop.id = 'kadenzo-desktop';
        document.body.appendChild(desktop);
      }
      KZ.desktop = desktop;
      KZ.desktopWidth = window.innerWidth;
      KZ.desktopHeight = window.innerHeight;
      window.addEventListener('resize', KZ.layout);
      // Keys go to the innermost window wherever the focus is, as keys go to
      // the active window on a desktop.
      document.addEventListener('keydown', KZ.onKeyDown, true);
      // A click outside the innermost window, on a window it blocks or on
      // the page, leaves the focus where it is.
      document.addEventListener('mousedown', function(event) {
        var win = KZ.top();
        if (win && !win.frame.contains(event.target)) event.preventDefault();
      }, true);
      return desktop;
    },

    // Sizes the desktop and its scale, and keeps the windows where they were
    // relative to the page's centre when the page changes size. A mouse
    // page shows the windows at their size, as the desktop does. A touch
    // page, a phone's, scales them up to fill its width (or its height, if
    // that is the shorter): they are read from closer and tapped with a
    // finger. Neither ever shows them smaller than their size, nor their
    // text below 12 CSS pixels on a touch page: a page smaller than the
    // windows scrolls instead.
    layout: function() {
      var widest = 0;
      var tallest = 0;
      var text = 0;
      for (var handle in KZ.windows) {
        var win = KZ.windows[handle];
        widest = Math.max(widest, win.width);
        tallest = Math.max(tallest, win.height);
        text = text > 0 ? Math.min(text, win.textPixels) : win.textPixels;
      }
      // The page's own size: a phone's browser widens its window to take in
      // windows wider than the page, which must not make them wider still.
      var pageWidth = document.documentElement.clientWidth || window.innerWidth;
      var pageHeight = document.documentElement.clientHeight || window.innerHeight;
      var margin = 8;
      var scale = 1;
      if (widest > 0 && KZ.touch()) {
        var fill = Math.min(pageWidth / (widest + margin), pageHeight / (tallest + margin));
        scale = Math.max(1, text > 0 ? 12 / text : 1, fill);
      }
      var width = Math.max(Math.floor(pageWidth / scale), widest + margin);
      var height = Math.max(Math.floor(pageHeight / scale), tallest + margin);
      var dx = Math.trunc(width / 2) - Math.trunc(KZ.desktopWidth / 2);
      var dy = Math.trunc(height / 2) - Math.trunc(KZ.desktopHeight / 2);
      if (dx !== 0 || dy !== 0) {
        for (var h in KZ.windows) KZ.place(KZ.windows[h], KZ.windows[h].left + dx, KZ.windows[h].top + dy);
      }
      KZ.scale = scale;
      KZ.desktopWidth = width;
      KZ.desktopHeight = height;
      var style = KZ.desktop.style;
      style.width = width + 'px';
      style.height = height + 'px';
      style.transform = scale !== 1 ? 'scale(' + scale + ')' : '';
    },

    place: function(win, left, top) {
      win.left = left;
      win.top = top;
      win.frame.style.left = left + 'px';
      win.frame.style.top = top + 'px';
    },

    // Whether the page is on a touch screen, as a phone's is. The answer is
    // kept, and kept up to date, rather than asked of the page each time.
    touch: function() {
      if (KZ.coarse === null) {
        var query = window.matchMedia ? window.matchMedia('(pointer: coarse)') : null;
        KZ.coarse = !!(query && query.matches);
        if (query && query.addEventListener) query.addEventListener('change', function(event) { KZ.coarse = event.matches; });
      }
      return KZ.coarse;
    },

    // The key's name. An engine can deliver a key with its name
    // "Unidentified" (or none) and only its code intact, as WebKit does now
    // and then for keys it is handed: the keys the dialogs answer are then
    // known by their code, so that none of them goes to the browser instead.
    keyOf: function(event) {
      var key = event.key;
      if (key && key !== 'Unidentified') return key;
      var code = event.code || '';
      if (code === 'NumpadEnter') return 'Enter';
      if (KZ.keyCodes[code] || KZ.caretKeys[code] || code === 'F4') return code;
      return key;
    },

    onKeyDown: function(event) {
      var win = KZ.top();
      if (!win || KZ.ended) return;
      var key = KZ.keyOf(event);
      var code = KZ.keyCodes[key];
      if (key === 'F4' && event.altKey) {
        // The window manager's Alt+F4 is the close box.
        event.preventDefault();
        KZ.post(win.handle, 4, 0, false);
        return;
      }
      if (!code && KZ.caretKeys[key] && !event.altKey && !event.ctrlKey && !event.metaKey) {
        KZ.moveCaret(event, key);
        return;
      }
      if (!code || event.altKey || event.ctrlKey || event.metaKey) return;
      if (code >= 5) {
        // Arrow keys are the dialog's own on buttons only; in a field they
        // move the caret.
        var index = KZ.focusedIndex(win);
        var element = index >= 0 ? win.controls[index] : null;
        if (!element || element.tagName === 'INPUT' && element.type === 'text') return;
        if (event.shiftKey) return;
      }
      event.preventDefault();
      KZ.post(win.handle, 3, code, event.shiftKey);
    },

    // The page arrives with the program's first window in it, made when the
    // site was built by running the program (tools/web/prerender.mjs), and
    // shows it, focused, before the program runs (app/web/index.html). The
    // program takes that window over, controls, texts, focus and all, as it
    // makes its first window.
    firstWindow: function() {
      var desktop = document.getElementById('kadenzo-desktop');
      return desktop ? desktop.querySelector('.kz-window[data-kz-desktop]') : null;
    },

    // The first window, for the program to adopt; it is the page's no more.
    takeFirstWindow: function() {
      var frame = KZ.firstWindow();
      if (frame) frame.removeAttribute('data-kz-desktop');
      return frame;
    },

    // A window's frame, caption bar and client area: made anew, or those of
    // the window the page already shows (adopted), set alike either way.
    makeFrame: function(handle, caption, role, adopted) {
      var make = function(tag, parent, selector) {
        return adopted ? parent.querySelector(selector) : parent.appendChild(document.createElement(tag));
      };
      var frame = adopted || document.createElement('section');
      frame.className = 'kz-window';
      frame.setAttribute('role', role);
      frame.setAttribute('aria-modal', 'true');
      frame.setAttribute('aria-label', caption);
      // A window the page shows already stays as it is, its focus kept.
      if (!adopted) frame.style.visibility = 'hidden';
      var bar = make('div', frame, '.kz-caption');
      bar.className = 'kz-caption';
      var title = make('span', bar, '.kz-title');
      title.className = 'kz-title';
      title.textContent = caption;
      var close = make('button', bar, '.kz-close');
      close.type = 'button';
      close.className = 'kz-close';
      close.tabIndex = -1;
      close.setAttribute('aria-label', 'Close');
      close.addEventListener('click', function() { KZ.post(handle, 4, 0, false); });
      var client = make('div', frame, '.kz-client');
      client.className = 'kz-client';
      // A click on the face or the caption leaves the focus where it was,
      // as a click on a dialog's face does.
      frame.addEventListener('mousedown', function(event) {
        var target = event.target;
        if (target === frame || target === client || bar.contains(target) || target.classList.contains('kz-static'))
          event.preventDefault();
      });
      return {frame: frame, client: client};
    },

    caretKeys: {Home: 1, End: 1, ArrowLeft: 1, ArrowRight: 1},

    // A read-only field keeps a caret and a selection that the keys move,
    // so that its text can be selected from the keyboard and copied, as in
    // a read-only edit control; the browser moves neither in such a field.
    moveCaret: function(event, key) {
      var field = event.target;
      if (!field || field.tagName !== 'INPUT' || field.type !== 'text' || !field.readOnly) return;
      event.preventDefault();
      var backward = field.selectionDirection === 'backward';
      var start = field.selectionStart;
      var end = field.selectionEnd;
      var anchor = backward ? end : start;
      var focus = backward ? start : end;
      var length = field.value.length;
      if (key === 'Home') focus = 0;
      else if (key === 'End') focus = length;
      else if (key === 'ArrowLeft') focus = !event.shiftKey && start !== end ? start : Math.max(0, focus - 1);
      else focus = !event.shiftKey && start !== end ? end : Math.min(length, focus + 1);
      if (!event.shiftKey) anchor = focus;
      field.setSelectionRange(Math.min(anchor, focus), Math.max(anchor, focus), focus < anchor ? 'backward' : 'forward');
    },

    // The icon images made so far.
    icons: [],

    labelText: function(text) { return text.split('&&').join('&'); },

    // The dialog font's size on this page. A touch screen gets it at 12 CSS
    // pixels at least, as a desktop set to large fonts would: the dialogs are
    // measured and laid out at that size, in dialog units as ever, so that
    // their text is that size and not only drawn larger.
    points: function(points) {
      return KZ.touch() ? Math.max(points, 12 * 3 / 4) : points;  // 12 pixels are 9 points
    },

    // The dialog font as CSS, at the size points() gives it on this page.
    font: function(fontName, points) {
      return KZ.points(points) + 'pt "' + UTF8ToString(fontName).replace(/["\\]/g, '') + '", sans-serif';
    },

    // Centres a button's or label's text on a whole pixel, as the dialog
    // manager draws it: text centred by the browser between fractional
    // edges is smeared over two columns of pixels.
    centre: function(win, element) {
      if (!win.measure) {
        win.measure = document.createElement('canvas').getContext('2d');
        win.measure.font = win.client.style.font;
      }
      var text = element.tagName === 'LABEL' ? element.querySelector('span').textContent : element.textContent;
      var width = Math.ceil(win.measure.measureText(text).width);
      element.style.textAlign = 'left';
      element.style.paddingLeft = Math.max(0, Math.floor((parseInt(element.style.width, 10) - width) / 2)) + 'px';
      element.style.paddingRight = '0';
    },
  },

  // Dialog units from the dialog font, by the rule the desktops use: four
  // across the average width of the letters, eight down the font's height.
  // Returns the width unit in the low 16 bits and the height unit above.
  kz_measure_units__deps: ['$KZ'],
  kz_measure_units: function(fontName, points) {
    KZ.ensureDesktop();
    var canvas = document.createElement('canvas');
    var context = canvas.getContext('2d');
    context.font = KZ.font(fontName, points);
    var metrics = context.measureText('ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz');
    var letters = Math.round(metrics.width);
    var height = Math.round(metrics.fontBoundingBoxAscent) + Math.round(metrics.fontBoundingBoxDescent);
    var unitX = Math.max(1, Math.floor((letters + 26) / 52));
    var unitY = Math.max(1, height);
    return unitX | (unitY << 16);
  },

  // Pixel width of a text in the dialog font, for boxes sized to their text.
  kz_text_width__deps: ['$KZ'],
  kz_text_width: function(fontName, points, text) {
    var context = document.createElement('canvas').getContext('2d');
    context.font = KZ.font(fontName, points);
    var widest = 0;
    UTF8ToString(text).split('\n').forEach(function(line) {
      widest = Math.max(widest, context.measureText(line).width);
    });
    return Math.ceil(widest);
  },

  kz_window_create__deps: ['$KZ'],
  kz_window_create: function(handle, caption, fontName, points, width, height, alert) {
    if (typeof document === 'undefined' || !document.body) return 0;
    KZ.ensureDesktop();
    var adopted = KZ.takeFirstWindow();
    var made = KZ.makeFrame(handle, UTF8ToString(caption), alert ? 'alertdialog' : 'dialog', adopted);
    made.client.style.width = width + 'px';
    made.client.style.height = height + 'px';
    made.client.style.font = KZ.font(fontName, points);
    var win = {handle: handle, frame: made.frame, client: made.client, controls: [], saved: null, adopted: !!adopted,
               width: width + 2 * KZ.frameEdge, height: height + KZ.captionHeight + 2 * KZ.frameEdge,
               textPixels: KZ.points(points) * 4 / 3, left: 0, top: 0};
    made.frame.style.width = win.width + 'px';
    made.frame.style.height = win.height + 'px';
    KZ.place(win, 0, 0);
    KZ.windows[handle] = win;
    KZ.layout();
    return 1;
  },

  // kind: 0 radio button, 1 edit, 2 push button, 3 default push button,
  // 4 label, 5 group frame, 6 icon (the ControlKind order).
  kz_control_create__deps: ['$KZ'],
  kz_control_create: function(handle, index, kind, id, text, x, y, width, height, flags, group, centred) {
    var win = KZ.windows[handle];
    var label = KZ.labelText(UTF8ToString(text));
    var readOnly = (flags & 16) !== 0;
    // The control of a window the page already shows is taken as it is and
    // set as a new one would be.
    var adopted = win.adopted ? win.client.querySelector('[data-kz-index="' + index + '"]') : null;
    if (adopted) {
      adopted.removeAttribute('data-kz-index');
      adopted.removeAttribute('data-kz-focused');
      adopted.removeAttribute('data-kz-selection');
    }
    // (One of another kind would be left over, and go with the rest when
    // the controls are done.)
    var make = function(tag) { return adopted && adopted.tagName === tag.toUpperCase() ? adopted : document.createElement(tag); };
    var element;
    if (kind === 0) {
      element = make('label');
      element.className = 'kz-radio';
      var input = element.querySelector('input') || element.appendChild(document.createElement('input'));
      input.type = 'radio';
      input.name = 'kz' + handle + 'g' + group;
      input.tabIndex = -1;
      input.addEventListener('click', function() { KZ.post(handle, 2, index, false); });
      var span = element.querySelector('span') || element.appendChild(document.createElement('span'));
      span.textContent = label;
    } else if (kind === 1) {
      element = make('input');
      element.type = 'text';
      element.className = readOnly ? 'kz-edit kz-readonly' : 'kz-edit';
      element.readOnly = readOnly;
      element.tabIndex = -1;
      element.autocomplete = 'off';
      element.spellcheck = false;
      element.setAttribute('inputmode', 'numeric');
      if ((flags & 4) === 0) element.classList.add('kz-borderless');
      element.addEventListener('input', function() { KZ.post(handle, 1, index, false); });
      // A field holds one line: of a paste of several, only the first goes
      // in, as into a single-line edit control. The browser would join the
      // lines instead. A paste of no text takes the selection away, as it
      // does in an edit control; Firefox would leave it. Only the paste of
      // several lines is kept from the browser: pasting as such is never
      // refused.
      element.addEventListener('paste', function(event) {
        var data = event.clipboardData ? event.clipboardData.getData('text/plain') : '';
        if (data !== '' && !/[\r\n]/.test(data)) return;
        if (element.readOnly) return;
        if (data !== '') event.preventDefault();
        var line = data.split(/\r\n|\r|\n/)[0];
        var before = element.value;
        element.setRangeText(line, element.selectionStart, element.selectionEnd, 'end');
        if (element.value !== before) KZ.post(handle, 1, index, false);
      });
    } else if (kind === 2 || kind === 3) {
      element = make('button');
      element.type = 'button';
      element.className = kind === 3 ? 'kz-button kz-default' : 'kz-button';
      element.tabIndex = -1;
      element.textContent = label;
      element.addEventListener('click', function() { KZ.post(handle, 2, index, false); });
    } else if (kind === 4) {
      element = make('div');
      element.className = centred ? 'kz-label kz-static kz-centred' : 'kz-label kz-static';
      element.textContent = label;
    } else if (kind === 5) {
      element = make('div');
      element.className = 'kz-rule kz-static';
      element.setAttribute('role', 'presentation');
    } else {
      // The site draws the program's icon from its XPM when it is built, as
      // icon-32.png beside the page: the program carries neither the pixels
      // nor a decoder for them. It is an image rather than a canvas painted
      // with it: a first canvas costs a first visit several milliseconds
      // before the calculator can show. The image of a window that has gone
      // serves the next one, so that a new start asks the browser for
      // nothing.
      element = adopted && adopted.tagName === 'IMG' ? adopted
          : KZ.icons.find(function(icon) { return !icon.isConnected; }) || document.createElement('img');
      if (KZ.icons.indexOf(element) < 0) KZ.icons.push(element);
      element.className = 'kz-icon kz-static';
      if (element.getAttribute('src') !== 'icon-32.png') element.setAttribute('src', 'icon-32.png');
      // The icon is the program's, beside its name in every window that
      // shows it: a picture that screen readers pass over.
      element.setAttribute('alt', '');
      element.setAttribute('aria-hidden', 'true');
      // An icon control sizes itself to its icon.
      width = 32;
      height = 32;
    }
    element.style.left = x + 'px';
    element.style.top = y + 'px';
    element.style.width = width + 'px';
    element.style.height = height + 'px';
    // The id goes on the control itself: a radio button's input, whose
    // checked state it is, rather than the label around it.
    if (id !== -1) (kind === 0 ? element.querySelector('input') : element).setAttribute('data-control-id', String(id));
    win.controls[index] = element;
    if (kind === 2 || kind === 3 || (kind === 4 && centred)) KZ.centre(win, element);
    return element;
  },

  kz_controls_done__deps: ['$KZ'],
  kz_controls_done: function(handle, order, count) {
    // Screen readers walk the elements in document order: reading order, top
    // to bottom and left to right. The tab order is the template's, kept by
    // the program.
    var win = KZ.windows[handle];
    var place = 0;
    for (var i = 0; i < count; ++i) {
      var element = win.controls[HEAP32[(order >> 2) + i]];
      if (!element) continue;
      // An adopted control already in its place stays there: moved, the
      // control with the focus would lose it.
      if (win.client.children[place] !== element) win.client.insertBefore(element, win.client.children[place] || null);
      ++place;
    }
    // Nothing of an adopted window stays that the program did not make.
    while (win.client.children.length > place) win.client.lastElementChild.remove();
    // The window goes on the page whole, hidden until it is shown.
    if (win.frame.parentNode !== KZ.desktop) KZ.desktop.appendChild(win.frame);
  },

  kz_window_destroy__deps: ['$KZ'],
  kz_window_destroy: function(handle) {
    var win = KZ.windows[handle];
    if (!win) return;
    win.frame.remove();
    delete KZ.windows[handle];
    KZ.stack = KZ.stack.filter(function(w) { return w !== win; });
    // The windows left may fill the page at another scale.
    KZ.layout();
  },

  kz_window_show__deps: ['$KZ'],
  kz_window_show: function(handle) {
    var win = KZ.windows[handle];
    win.frame.style.visibility = '';
    KZ.stack.push(win);
  },

  // While a window it owns runs, a window takes no clicks or keys.
  kz_window_block__deps: ['$KZ'],
  kz_window_block: function(handle, blocked) {
    var win = KZ.windows[handle];
    if (blocked) {
      var index = KZ.focusedIndex(win);
      win.saved = index >= 0 ? win.controls[index] : null;
      win.frame.inert = true;
    } else {
      win.frame.inert = false;
    }
  },

  // Gives the window the focus back where it was when it lost it; returns
  // false if it had none there.
  kz_window_activate__deps: ['$KZ'],
  kz_window_activate: function(handle) {
    var win = KZ.windows[handle];
    var saved = win.saved;
    win.saved = null;
    if (!saved || !saved.isConnected) return 0;
    (saved.tagName === 'LABEL' ? saved.querySelector('input') : saved).focus({preventScroll: true});
    return 1;
  },

  kz_window_rect__deps: ['$KZ'],
  kz_window_rect: function(handle, out) {
    var win = KZ.windows[handle];
    HEAP32[out >> 2] = win.left;
    HEAP32[(out >> 2) + 1] = win.top;
    HEAP32[(out >> 2) + 2] = win.left + win.width;
    HEAP32[(out >> 2) + 3] = win.top + win.height;
  },

  kz_window_move__deps: ['$KZ'],
  kz_window_move: function(handle, left, top) {
    KZ.place(KZ.windows[handle], left, top);
  },

  kz_desktop_rect__deps: ['$KZ'],
  kz_desktop_rect: function(out) {
    KZ.ensureDesktop();
    HEAP32[out >> 2] = 0;
    HEAP32[(out >> 2) + 1] = 0;
    HEAP32[(out >> 2) + 2] = KZ.desktopWidth;
    HEAP32[(out >> 2) + 3] = KZ.desktopHeight;
  },

  // The text of a control as UTF-8, into a buffer of size bytes; returns the
  // text's whole length, so that a caller with too small a buffer can ask
  // again.
  kz_get_text__deps: ['$KZ'],
  kz_get_text: function(handle, index, buffer, size) {
    var element = KZ.windows[handle].controls[index];
    var text = element.tagName === 'INPUT' ? element.value
             : element.tagName === 'LABEL' ? element.querySelector('span').textContent
             : element.textContent;
    var length = lengthBytesUTF8(text);
    if (length < size) stringToUTF8(text, buffer, size);
    return length;
  },

  kz_set_text__deps: ['$KZ'],
  kz_set_text: function(handle, index, text) {
    var element = KZ.windows[handle].controls[index];
    var value = UTF8ToString(text);
    if (element.tagName === 'INPUT') {
      // Writing the same text again would move the caret for nothing.
      if (element.value !== value) element.value = value;
    } else if (element.tagName === 'LABEL') {
      element.querySelector('span').textContent = KZ.labelText(value);
    } else {
      element.textContent = KZ.labelText(value);
      if (element.tagName === 'BUTTON' || element.classList.contains('kz-centred')) KZ.centre(KZ.windows[handle], element);
    }
  },

  kz_is_checked__deps: ['$KZ'],
  kz_is_checked: function(handle, index) {
    var input = KZ.windows[handle].controls[index].querySelector('input');
    return input && input.checked ? 1 : 0;
  },

  kz_set_checked__deps: ['$KZ'],
  kz_set_checked: function(handle, index, checked) {
    KZ.windows[handle].controls[index].querySelector('input').checked = !!checked;
  },

  kz_set_accessible_name__deps: ['$KZ'],
  kz_set_accessible_name: function(handle, index, name, description) {
    var element = KZ.windows[handle].controls[index];
    element.setAttribute('aria-label', UTF8ToString(name));
    var text = UTF8ToString(description);
    if (text) element.setAttribute('aria-description', text);
  },

  kz_focus__deps: ['$KZ'],
  kz_focus: function(handle, index, selectAll) {
    var element = KZ.windows[handle].controls[index];
    var target = element.tagName === 'LABEL' ? element.querySelector('input') : element;
    target.focus({preventScroll: true});
    if (selectAll && target.tagName === 'INPUT' && target.type === 'text') target.setSelectionRange(0, target.value.length);
  },

  kz_focused_index__deps: ['$KZ'],
  kz_focused_index: function(handle) {
    return KZ.focusedIndex(KZ.windows[handle]);
  },

  kz_set_colours: function(face, text) {
    var root = document.documentElement.style;
    root.setProperty('--kz-face', UTF8ToString(face));
    root.setProperty('--kz-text', UTF8ToString(text));
  },

  // Waits until the person does something; returns the event's kind. While
  // it waits, the program's stack is put aside and the browser runs.
  kz_next_event__deps: ['$KZ'],
  kz_next_event: function() {
    return Asyncify.handleSleep(function(wakeUp) {
      function take() {
        KZ.current = KZ.queue.shift();
        wakeUp(KZ.current.kind);
      }
      if (KZ.queue.length) {
        take();
        return;
      }
      KZ.wake = take;
      // The first wait is the moment the program has started, marked on the
      // page's timeline for whoever measures the start; and the moment the
      // person can begin, unless the page marked that as it showed the first
      // window.
      if (!KZ.started) {
        KZ.started = true;
        if (typeof performance !== 'undefined' && performance.mark) {
          if (!performance.getEntriesByName || performance.getEntriesByName('kadenzo-ready').length === 0)
            performance.mark('kadenzo-ready');
          performance.mark('kadenzo-started');
        }
      }
      KZ.settle();
    });
  },

  kz_event_window__deps: ['$KZ'],
  kz_event_window: function() { return KZ.current.window; },
  kz_event_value__deps: ['$KZ'],
  kz_event_value: function() { return KZ.current.value; },
  kz_event_shift__deps: ['$KZ'],
  kz_event_shift: function() { return KZ.current.shift; },

  // The program's entry has returned: what is queued is dropped, and the
  // page is told.
  kz_program_ended__deps: ['$KZ'],
  kz_program_ended: function(code) {
    KZ.ended = true;
    KZ.queue = [];
    KZ.wake = null;
    KZ.settle();
    if (Module['onProgramEnded']) Module['onProgramEnded'](code);
  },

  // The entry starts (again): events are taken from now on.
  kz_program_started__deps: ['$KZ'],
  kz_program_started: function() {
    KZ.ended = false;
    KZ.queue = [];
    Module['whenIdle'] = function() {
      return KZ.isIdle() ? Promise.resolve() : new Promise(function(resolve) { KZ.idleWaiters.push(resolve); });
    };
  },
});
