// The playground: reads the formula, the variables and the option from the
// page (or its address), has the WebAssembly module evaluate the formula
// with the observer on, and shows the result, the trace and the findings.
(function () {
  'use strict';

  const EVENT_STAGE = 1;
  const EVENT_GROUP = 2;
  const EVENT_FINDING = 3;
  // Longer texts are cut in the trace: a stage of a formula of megabytes
  // would otherwise put all of it into the page, once per stage.
  const SHOWN_TEXT_MAX = 2000;

  const $ = (id) => document.getElementById(id);
  const encoder = new TextEncoder();
  const decoder = new TextDecoder('utf-8');

  const state = {
    formula: '',
    vars: [],        // [{name, value}], in table order
    standard: true,  // standard functions registered
  };
  let module = null;
  let tablesDirty = true;
  const timings = { moduleReady: null, firstResult: null };

  // ---- the module ---------------------------------------------------------

  // Copies the texts into the module's memory as zero-terminated UTF-8,
  // calls body with their addresses, and frees them again.
  function withTexts(texts, body) {
    const pointers = texts.map((text) => {
      const bytes = encoder.encode(text);
      const p = module._malloc(bytes.length + 1);
      if (p === 0) throw new Error('the module has no memory left');
      module.HEAPU8.set(bytes, p);
      module.HEAPU8[p + bytes.length] = 0;
      return p;
    });
    try {
      return body(...pointers);
    } finally {
      pointers.forEach((p) => module._free(p));
    }
  }

  function applyTables() {
    if (!module._playground_reset(state.standard ? 1 : 0)) throw new Error('the module has no memory left');
    for (const v of state.vars) withTexts([v.name, v.value], (n, val) => module._playground_set_var(n, val));
    tablesDirty = false;
  }

  // The record of playground_module.cpp: words and length-prefixed texts.
  function readRecord(address) {
    const heap = module.HEAPU8;
    const view = new DataView(heap.buffer);
    let at = address;
    const word = () => { const w = view.getInt32(at, true); at += 4; return w; };
    const bytes = () => { const n = word(); const b = heap.subarray(at, at + n); at += n; return b; };
    const text = () => decoder.decode(bytes());
    const record = { result: text() };
    record.complete = word() === 1;
    const count = word();
    record.events = [];
    for (let i = 0; i < count; i++) {
      const e = { kind: word(), depth: word(), start: word(), end: word() };
      e.name = text();
      e.before = text();
      e.after = text();
      record.events.push(e);
    }
    return record;
  }

  // Evaluates formula with the page's tables; observe: collect the events.
  function evaluate(formula, observe) {
    if (tablesDirty) applyTables();
    const started = performance.now();
    const address = withTexts([formula], (f) => module._playground_evaluate(f, observe ? 1 : 0));
    const ms = performance.now() - started;
    if (address === 0) throw new Error('the module has no memory left');
    const record = readRecord(address);
    record.ms = ms;
    return record;
  }

  // ---- the address ----------------------------------------------------------
  // #f=FORMULA&v.NAME=VALUE...&std=off, in the order of the table, each part
  // percent-encoded ("+" is a plus, as anyone writing a link by hand means).

  function stateToFragment() {
    const pairs = [['f', state.formula], ...state.vars.map((v) => ['v.' + v.name, v.value])];
    if (!state.standard) pairs.push(['std', 'off']);
    return '#' + pairs.map(([key, value]) => encodeURIComponent(key) + '=' + encodeURIComponent(value)).join('&');
  }

  function stateFromFragment(fragment) {
    let pairs;
    try {
      pairs = fragment.slice(1).split('&').map((part) => {
        const eq = part.indexOf('=');
        const [key, value] = eq < 0 ? [part, ''] : [part.slice(0, eq), part.slice(eq + 1)];
        return [decodeURIComponent(key), decodeURIComponent(value)];
      });
    } catch (error) {  // a malformed escape: not one of our links
      return false;
    }
    const formula = pairs.find(([key]) => key === 'f');
    if (formula === undefined) return false;
    state.formula = formula[1];
    state.vars = pairs.filter(([key]) => key.startsWith('v.')).map(([key, value]) => ({ name: key.slice(2), value }));
    state.standard = !pairs.some(([key, value]) => key === 'std' && value === 'off');
    return true;
  }

  function updateAddress() {
    const fragment = stateToFragment();
    if (location.hash !== fragment) history.replaceState(null, '', fragment);
  }

  // ---- rendering helpers ---------------------------------------------------

  function element(tag, className, text) {
    const e = document.createElement(tag);
    if (className) e.className = className;
    if (text !== undefined) e.textContent = text;
    return e;
  }

  function trimBlanks(text) {
    return text.replace(/^ +| +$/g, '');
  }

  function shown(text) {
    if (text.length <= SHOWN_TEXT_MAX) return text;
    return text.slice(0, SHOWN_TEXT_MAX);
  }

  // A code element with text; the stretch that differs from previous marked.
  function changedCode(previous, text) {
    const code = element('code');
    if (text.length > SHOWN_TEXT_MAX) {
      code.textContent = shown(text);
      code.appendChild(element('span', 'cut', ' … ' + (text.length - SHOWN_TEXT_MAX) + ' more characters'));
      return code;
    }
    let head = 0;
    while (head < previous.length && head < text.length && previous[head] === text[head]) head++;
    let tail = 0;
    while (tail < previous.length - head && tail < text.length - head &&
           previous[previous.length - 1 - tail] === text[text.length - 1 - tail]) tail++;
    code.append(text.slice(0, head));
    const mark = element('mark', 'changed', text.slice(head, text.length - tail));
    if (mark.textContent === '') mark.title = 'text removed here';
    code.append(mark, text.slice(text.length - tail));
    return code;
  }

  function codeOf(text) {
    const code = element('code', '', shown(text));
    if (text.length > SHOWN_TEXT_MAX) code.appendChild(element('span', 'cut', ' … ' + (text.length - SHOWN_TEXT_MAX) + ' more characters'));
    return code;
  }

  // ---- the trace tree -------------------------------------------------------
  // Events arrive innermost first: a level's groups are evaluated (and their
  // levels completed) before the level reports its own stages. A group's
  // item takes the levels completed just below it: its inside or arguments.

  function buildLevels(events) {
    const open = new Map();
    const done = new Map();
    const levelAt = (depth) => {
      if (!open.has(depth)) open.set(depth, { formula: '', items: [] });
      return open.get(depth);
    };
    for (const e of events) {
      const level = levelAt(e.depth);
      if (e.kind === EVENT_GROUP) {
        level.items.push({ event: e, inner: done.get(e.depth + 1) || [] });
        done.delete(e.depth + 1);
        continue;
      }
      if (e.kind === EVENT_STAGE && e.name === 'groups') level.formula = e.before;
      level.items.push({ event: e, inner: [] });
      if (e.kind === EVENT_STAGE && e.name === 'result') {
        if (!done.has(e.depth)) done.set(e.depth, []);
        done.get(e.depth).push(level);
        open.delete(e.depth);
      }
    }
    return done.get(1) || [];
  }

  function line(className, label, content) {
    const li = element('li', 'trace-line ' + className);
    li.appendChild(element('span', 'label', label));
    li.appendChild(content);
    return li;
  }

  // The stages that changed the level's text, its groups and its findings.
  // A call of a name that no function has says so on its own line (its
  // finding comes just before it), as formel --trace does.
  const LEFT_AS_TEXT = ' (left as text: no function has this name)';

  function renderLevel(level) {
    const list = element('ol', 'trace-level');
    let current = trimBlanks(level.formula);
    let unknownCall = false;
    for (const item of level.items) {
      const e = item.event;
      if (e.kind === EVENT_FINDING) {
        unknownCall = unknownCall || e.name === 'unknown-function';
        if (e.name !== 'unknown-function') list.appendChild(line('finding-item', e.name, element('span', '', e.after)));
        continue;
      }
      if (e.kind === EVENT_GROUP) {
        const li = element('li', 'group');
        const details = element('details');
        details.open = true;
        const summary = element('summary', 'trace-line');
        summary.appendChild(element('span', 'label', e.name + ' ' + e.depth));
        summary.appendChild(element('code', 'group-before', shown(e.before)));
        summary.appendChild(element('span', 'arrow', ' → '));
        summary.lastChild.setAttribute('aria-label', 'gives');
        summary.appendChild(element('code', 'group-after', shown(trimBlanks(e.after))));
        if (unknownCall && e.name === 'call') summary.appendChild(element('span', 'group-note', LEFT_AS_TEXT));
        unknownCall = false;
        details.appendChild(summary);
        for (const inner of item.inner) {
          const steps = renderLevel(inner);
          if (steps.childElementCount === 0) continue;
          const formula = element('div', 'trace-line inner-formula');
          formula.appendChild(codeOf(trimBlanks(inner.formula)));
          details.append(formula, steps);
        }
        li.appendChild(details);
        list.appendChild(li);
        continue;
      }
      const after = trimBlanks(e.after);
      if (after === current) continue;
      list.appendChild(line('stage', e.name, changedCode(current, after)));
      current = after;
    }
    return list;
  }

  function renderTrace(record) {
    const trace = $('trace');
    trace.textContent = '';
    const levels = buildLevels(record.events);
    for (const level of levels) trace.appendChild(renderLevel(level));
    if (trace.querySelector('.trace-line') === null) {
      trace.appendChild(element('p', 'note', 'No stage changed the text.'));
    }
    if (!record.complete) {
      trace.appendChild(element('p', 'note', 'The trace stops here: the stages of this formula hold too much text to show.'));
    }
  }

  // ---- findings -------------------------------------------------------------

  // UTF-16 index in text of each byte offset of its UTF-8 form.
  function byteToIndex(text) {
    const map = [];
    let index = 0;
    for (const ch of text) {
      const n = encoder.encode(ch).length;
      for (let k = 0; k < n; k++) map.push(index);
      index += ch.length;
    }
    map.push(index);
    return map;
  }

  function renderFindings(record) {
    const findings = record.events.filter((e) => e.kind === EVENT_FINDING);
    const list = $('findings');
    const highlights = $('formula-highlights');
    list.textContent = '';
    highlights.textContent = '';
    const formula = state.formula;
    const map = byteToIndex(formula);
    const ranges = [];
    findings.forEach((f) => {
      const li = element('li');
      li.appendChild(element('span', 'finding-code', f.name));
      li.append(': ' + f.after);
      if (f.start >= 0 && f.end >= f.start && f.end < map.length) {
        const from = map[f.start];
        const to = map[f.end];
        ranges.push([from, to]);
        const button = element('button', 'show-range', 'show');
        button.type = 'button';
        button.setAttribute('aria-label', 'Select characters ' + (from + 1) + ' to ' + to + ' of the formula');
        button.addEventListener('click', () => {
          const box = $('formula');
          box.focus();
          box.setSelectionRange(from, Math.max(to, from + 1));
        });
        li.append(' (characters ' + (from + 1) + '–' + to + ') ');
        li.appendChild(button);
      }
      list.appendChild(li);
    });
    // The copy of the formula behind the box, with each range underlined.
    ranges.sort((a, b) => a[0] - b[0]);
    let at = 0;
    for (const [from, to] of ranges) {
      if (from < at) continue;  // overlapping ranges: the first one shows
      highlights.append(formula.slice(at, from));
      highlights.appendChild(element('mark', '', formula.slice(from, Math.max(to, from + 1))));
      at = Math.max(to, from + 1);
    }
    highlights.append(formula.slice(at) + '\n');
    const status = $('findings-status');
    if (findings.length === 0) {
      status.textContent = 'No findings: nothing in this formula is known to surprise.';
    } else {
      status.textContent = findings.length === 1 ? '1 finding, underlined in the formula:' : findings.length + ' findings, underlined in the formula:';
    }
  }

  // ---- result ---------------------------------------------------------------

  const SPECIAL_FORMS = [
    [/^-?1\.#INF/, 'special form: infinite'],
    [/^-?1\.#IND/, 'special form: not a number (invalid operation)'],
    [/^-?1\.#QNAN/, 'special form: not a number'],
  ];
  const NUMBER = /^[+-]?(\d+\.?\d*|\.\d+)([eE][+-]?\d+)?$/;

  function kindOf(result) {
    if (result === '') return ['empty text', ''];
    for (const [pattern, kind] of SPECIAL_FORMS) if (pattern.test(result)) return [kind, 'special'];
    if (NUMBER.test(result)) return ['number', ''];
    return ['text', ''];
  }

  function renderResult(record) {
    $('result').textContent = record.result;
    const [kind, className] = kindOf(record.result);
    const badge = $('result-kind');
    badge.textContent = kind;
    badge.className = 'kind ' + className;
    $('timing').textContent = 'Evaluated in ' + record.ms.toFixed(2) + ' ms, trace included.';
  }

  // ---- the whole page -------------------------------------------------------

  function run() {
    if (module === null) return;
    updateAddress();
    let record;
    try {
      record = evaluate(state.formula, true);
    } catch (error) {
      $('result').textContent = '';
      $('result-kind').textContent = 'error: ' + error.message;
      return;
    }
    renderResult(record);
    renderTrace(record);
    renderFindings(record);
    if (timings.firstResult === null) timings.firstResult = performance.now();
  }

  function renderVariables() {
    const rows = $('variable-rows');
    rows.textContent = '';
    state.vars.forEach((v, i) => {
      const tr = element('tr');
      const cell = (field, label) => {
        const input = element('input');
        input.type = 'text';
        input.spellcheck = false;
        input.value = v[field];
        input.className = 'var-' + field;
        input.setAttribute('aria-label', label + ' of variable ' + (i + 1));
        input.addEventListener('input', () => {
          v[field] = input.value;
          tablesDirty = true;
          run();
        });
        const td = element('td');
        td.appendChild(input);
        return td;
      };
      tr.append(cell('name', 'Name'), cell('value', 'Value'));
      const remove = element('button', 'remove-variable', 'Remove');
      remove.type = 'button';
      remove.setAttribute('aria-label', 'Remove variable ' + (i + 1));
      remove.addEventListener('click', () => {
        state.vars.splice(i, 1);
        tablesDirty = true;
        renderVariables();
        run();
        const next = rows.querySelectorAll('.remove-variable')[Math.min(i, state.vars.length - 1)];
        (next || $('add-variable')).focus();
      });
      const td = element('td');
      td.appendChild(remove);
      tr.appendChild(td);
      rows.appendChild(tr);
    });
  }

  function showState() {
    $('formula').value = state.formula;
    $('standard-functions').checked = state.standard;
    renderVariables();
    tablesDirty = true;
  }

  function wire() {
    const box = $('formula');
    box.addEventListener('input', () => {
      state.formula = box.value;
      run();
    });
    box.addEventListener('keydown', (event) => {
      if (event.key === 'Enter' && !event.isComposing) event.preventDefault();
    });
    box.addEventListener('scroll', () => {
      document.querySelector('.formula-backdrop').scrollTop = box.scrollTop;
    });
    $('standard-functions').addEventListener('change', (event) => {
      state.standard = event.target.checked;
      tablesDirty = true;
      run();
    });
    $('add-variable').addEventListener('click', () => {
      state.vars.push({ name: '', value: '' });
      renderVariables();
      const names = document.querySelectorAll('#variable-rows .var-name');
      names[names.length - 1].focus();
      updateAddress();
    });
    $('expand-all').addEventListener('click', () => {
      document.querySelectorAll('#trace details').forEach((d) => { d.open = true; });
    });
    $('collapse-all').addEventListener('click', () => {
      document.querySelectorAll('#trace details').forEach((d) => { d.open = false; });
    });
    document.querySelectorAll('button.example').forEach((button) => {
      button.addEventListener('click', () => {
        state.formula = button.textContent;
        box.value = state.formula;
        box.focus();
        run();
      });
    });
    window.addEventListener('hashchange', () => {
      if (stateFromFragment(location.hash)) {
        showState();
        run();
      }
    });
  }

  function start() {
    if (!stateFromFragment(location.hash)) {
      state.formula = $('formula').value;
      state.vars = [{ name: 'x', value: '5' }];
    }
    showState();
    wire();
    if (typeof createFormelModule !== 'function') {
      $('result-kind').textContent = 'formel-module.js is missing: open the page that the build puts together (see the README)';
      return;
    }
    createFormelModule().then((instance) => {
      module = instance;
      timings.moduleReady = performance.now();
      run();
    }, (error) => {
      $('result-kind').textContent = 'the evaluator could not be loaded: ' + error;
    });
  }

  // For the console and for tests: the timings, and evaluation with the
  // page's tables (the result, the events and the time in milliseconds).
  window.formelPlayground = {
    timings,
    evaluate: (formula, observe) => evaluate(formula, observe !== false),
  };

  start();
})();
