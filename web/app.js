// The workbench page: a login, the bill list of a type, one open bill with
// its toolbar, head and grids, the plug-in's questions as dialogs, and the
// transcript of what the plug-in did.
'use strict';

const token = new URLSearchParams(location.search).get('token') || '';
const page = {
  session: null, language: 'chs', types: [], window: null, state: null,
  shownSeq: 0, texts: {}, queue: Promise.resolve(), refocus: false,
  hidden: new Set(['pointer']),
};
const KINDS = ['event', 'message', 'sql', 'call', 'log', 'action', 'tool', 'field', 'lock',
  'status', 'grid', 'pointer'];
// Texts the script shows besides the page's own (data-t).
const TEXTS = ['确定', '取消', '是', '否', '新增行', '删除行', '未保存', '已修改', '单据内码',
  '单据状态', '出错了', '请选择', '没有单据', '页面', '提示'];

const $ = (s, root = document) => root.querySelector(s);
const el = (tag, props = {}, ...children) => {
  const e = document.createElement(tag);
  for (const [k, v] of Object.entries(props)) {
    if (k === 'dataset') Object.assign(e.dataset, v);
    else if (k in e) e[k] = v;
    else e.setAttribute(k, v);
  }
  for (const c of children) e.append(c);
  return e;
};
const t = (text) => page.texts[text] || text;

async function call(path, body) {
  const headers = { 'Content-Type': 'application/json' };
  if (token) headers['X-Workbench-Token'] = token;
  const res = await fetch(path, body === undefined ? { headers } :
    { method: 'POST', headers, body: JSON.stringify(body) });
  const data = await res.json().catch(() => ({ error: res.statusText }));
  if (!res.ok) throw new Error(data.error || res.statusText);
  return data;
}

async function translate() {
  const keys = new Set(TEXTS);
  document.querySelectorAll('[data-t]').forEach((n) => keys.add(n.dataset.t));
  const { texts } = await call('/api/texts', { language: page.language, texts: [...keys] });
  page.texts = texts;
  document.querySelectorAll('[data-t]').forEach((n) => { n.textContent = t(n.dataset.t); });
  document.documentElement.lang = page.language === 'en' ? 'en' : 'zh';
  document.title = t('GMP 单据工作台');
  fillTypes();
}

function fillTypes() {
  const select = $('#type');
  const current = select.value;
  select.replaceChildren(...page.types.map((ty) =>
    el('option', { value: ty.type, textContent: ty.names[page.language] || ty.name })));
  if (current) select.value = current;
}

// ---- dialogs -------------------------------------------------------------

function dialog(title, body, buttons, styleClass) {
  return new Promise((resolve) => {
    const d = $('#dialog');
    $('#dialog-title').textContent = title;
    const content = $('#dialog-body');
    content.className = styleClass || '';
    content.replaceChildren(body);
    $('#dialog-buttons').replaceChildren(...buttons.map(([label, value, id]) => {
      const b = el('button', { type: 'button', textContent: label, dataset: { answer: id } });
      b.addEventListener('click', () => { d.close(); resolve(typeof value === 'function' ? value() : value); });
      return b;
    }));
    d.oncancel = (ev) => ev.preventDefault();
    d.showModal();
    $('#dialog-buttons button').focus();
  });
}

const showMessage = (m) => dialog(m.title || t('提示'), el('p', { textContent: m.text }),
  [[t('确定'), true, 'ok']], 'style-' + m.style);

function listDialog(q) {
  const picked = new Set();
  const body = el('div', { className: 'list-rows' });
  const table = el('table', {}, el('thead', {}, el('tr', {}, el('th'),
    ...q.columns.map((c) => el('th', { textContent: c })))));
  const tbody = el('tbody');
  q.rows.forEach((row, i) => {
    const box = el('input', { type: q.multi ? 'checkbox' : 'radio', name: 'pick' });
    const tr = el('tr', { dataset: { row: i + 1 } }, el('td', {}, box),
      ...row.map((v) => el('td', { textContent: v === null ? '' : String(v) })));
    const toggle = () => {
      if (!q.multi) { picked.clear(); tbody.querySelectorAll('tr').forEach((r) => r.classList.remove('picked')); }
      if (picked.has(i + 1) && q.multi) picked.delete(i + 1); else picked.add(i + 1);
      tr.classList.toggle('picked', picked.has(i + 1));
      box.checked = picked.has(i + 1);
    };
    tr.addEventListener('click', (ev) => { if (ev.target !== box) toggle(); });
    box.addEventListener('change', toggle);
    tbody.append(tr);
  });
  table.append(tbody);
  body.append(table);
  return dialog(q.title || t('请选择'), body,
    [[t('确定'), () => ({ rows: [...picked] }), 'ok'], [t('取消'), { rows: [] }, 'cancel']]);
}

// Shows what the last answer brought: the messages not shown yet, an error,
// then the question the window waits on, whose reply goes back to it.
async function settle(state) {
  for (;;) {
    // A transcript started anew numbers its records from 1 again.
    const last = state.transcript[state.transcript.length - 1];
    if (!last || last.seq < page.shownSeq) page.shownSeq = 0;
    render(state);
    const messages = state.transcript.filter((r) => r.kind === 'message' && r.seq > page.shownSeq);
    for (const m of messages) {
      page.shownSeq = m.seq;
      if (m.answer === 1) await showMessage(m);
    }
    if (state.error) await showMessage({ title: t('出错了'), text: state.error, style: 16 });
    if (!state.question) return state;
    const q = state.question;
    let answer;
    if (q.kind === 'message') {
      answer = await dialog(q.title || t('提示'), el('p', { textContent: q.text }),
        [[t('是'), { answer: 'yes' }, 'yes'], [t('否'), { answer: 'no' }, 'no']], 'style-' + q.style);
    } else {
      answer = await listDialog(q);
    }
    state = await call('/api/answer', { session: page.session, window: page.window, answer });
  }
}

// The user's actions run one after the other, in the order they were made.
// body[data-pending] counts the actions not finished yet.
function guarded(work) {
  page.pending = (page.pending || 0) + 1;
  document.body.dataset.pending = page.pending;
  page.queue = page.queue.then(async () => {
    try {
      await work();
    } catch (e) {
      await showMessage({ title: t('出错了'), text: e.message, style: 16 });
    } finally {
      page.pending -= 1;
      document.body.dataset.pending = page.pending;
    }
  });
  return page.queue;
}

const act = (action) => guarded(async () => {
  await settle(await call('/api/act', { session: page.session, window: page.window, ...action }));
  if (['click', 'new', 'load'].includes(action.do)) await loadList();
});

// ---- the bill --------------------------------------------------------------

function isLocked(bill, key, row, table) {
  if (bill.locks[key]) return true;
  const cells = bill.cellLocks[key];
  if (cells && cells[String(row)]) return true;
  return Boolean(table && bill.tableLocks[table]);
}

function input(bill, key, row, value, display, table) {
  const shown = display !== undefined ? display : (value === null || value === undefined ? '' : String(value));
  const i = el('input', { value: shown, dataset: { key, row, shown } });
  i.readOnly = isLocked(bill, key, row, table);
  i.addEventListener('focus', () => {
    if (!i.readOnly && !page.refocus) act({ do: 'edit', field: key, row });
  });
  i.addEventListener('change', () => act({ do: 'set', field: key, row, value: i.value }));
  i.addEventListener('keydown', (ev) => { if (ev.key === 'Enter') { ev.preventDefault(); i.blur(); } });
  return i;
}

function renderToolbar(bill) {
  const seen = new Set();
  const buttons = [];
  for (const band of Object.keys(bill.bands)) {
    for (const key of bill.bands[band]) {
      const tool = bill.tools[key];
      if (!tool || seen.has(key)) continue;
      seen.add(key);
      if (!tool.visible) continue;
      const b = el('button', { type: 'button', textContent: tool.caption || key, title: key,
        dataset: { tool: key } });
      b.disabled = !tool.enabled;
      b.addEventListener('click', () => act({ do: 'click', tool: key }));
      buttons.push(b);
    }
  }
  $('#toolbar').replaceChildren(...buttons);
}

function render(state) {
  page.state = state;
  const bill = state.bill;
  $('#bill').hidden = false;
  $('#transcript-panel').hidden = false;
  $('#bill-name').textContent = bill.name;
  $('#bill-info').textContent = `${t('单据内码')} ${bill.billId}  ${t('单据状态')} ${bill.billStatus}` +
    (bill.billId ? '' : `  ${t('未保存')}`) + (bill.isChange ? `  ${t('已修改')}` : '');
  // The field being typed into keeps its focus and what was typed, unless the
  // plug-in changed its value meanwhile.
  const active = document.activeElement;
  const focused = active && active.tagName === 'INPUT' && active.dataset.key ?
    { key: active.dataset.key, row: active.dataset.row, typed: active.value, shown: active.dataset.shown } : null;
  renderToolbar(bill);

  const [head, ...entries] = bill.pages;
  $('#head').replaceChildren(...head.fields.map((key) => el('label', {},
    el('span', { textContent: key }),
    input(bill, key, 0, bill.head[key], head.display[key], head.table))));

  $('#pages').replaceChildren(...entries.map((p) => {
    const rows = bill.entries['page' + p.page] || [];
    const table = el('table', { className: 'grid', dataset: { page: p.page } },
      el('thead', {}, el('tr', {}, el('th', { textContent: '#' }),
        ...p.fields.map((k) => el('th', { textContent: k })))));
    const tbody = el('tbody');
    rows.forEach((row, i) => {
      tbody.append(el('tr', { dataset: { row: i + 1 } }, el('td', { className: 'rowno', textContent: i + 1 }),
        ...p.fields.map((k) => el('td', {}, input(bill, k, i + 1, row[k], (p.display[i] || {})[k], p.table)))));
    });
    table.append(tbody);
    const add = el('button', { type: 'button', textContent: t('新增行'), dataset: { addRow: p.page } });
    add.addEventListener('click', () => act({ do: 'addRow', page: p.page }));
    const del = el('button', { type: 'button', textContent: t('删除行'), dataset: { deleteRow: p.page } });
    del.addEventListener('click', () => {
      const current = document.querySelector(`table[data-page="${p.page}"] tr.current`);
      const row = current ? Number(current.dataset.row) : rows.length;
      if (row > 0) act({ do: 'deleteRow', page: p.page, row });
    });
    tbody.addEventListener('focusin', (ev) => {
      tbody.querySelectorAll('tr').forEach((r) => r.classList.remove('current'));
      const tr = ev.target.closest('tr');
      if (tr) tr.classList.add('current');
    });
    return el('div', {}, el('h3', { className: 'page', textContent: `${t('页面')} ${p.page}` }),
      table, el('div', { className: 'page-tools' }, add, del));
  }));
  if (focused) {
    const again = document.querySelector(`input[data-key="${focused.key}"][data-row="${focused.row}"]`);
    if (again) {
      if (again.value === focused.shown && !again.readOnly) again.value = focused.typed;
      page.refocus = true;
      again.focus({ preventScroll: true });
      page.refocus = false;
    }
  }
  renderTranscript();
}

function renderTranscript() {
  const records = page.state ? page.state.transcript : [];
  const items = [];
  for (let i = records.length - 1; i >= 0; --i) {
    const r = records[i];
    if (page.hidden.has(r.kind)) continue;
    const { kind, seq, ...rest } = r;
    items.push(el('li', { className: 'k-' + kind, value: seq, dataset: { kind } },
      el('span', { className: 'kind', textContent: kind }), JSON.stringify(rest)));
  }
  $('#transcript').replaceChildren(...items);
}

// ---- list and login ------------------------------------------------------------

async function loadList() {
  const { bills } = await call('/api/list', { session: page.session, type: $('#type').value });
  const rows = bills.map((b) => {
    const tr = el('tr', { dataset: { bill: b.id } }, ...[b.number, b.date, b.status, b.auditor]
      .map((v) => el('td', { textContent: v === null ? '' : String(v) })));
    tr.addEventListener('click', () => openBill(b.id));
    return tr;
  });
  if (!rows.length) rows.push(el('tr', {}, el('td', { colSpan: 4, textContent: t('没有单据') })));
  $('#bill-list tbody').replaceChildren(...rows);
}

async function closeWindow() {
  if (page.window === null) return;
  const id = page.window;
  page.window = null;
  await call('/api/close', { session: page.session, window: id }).catch(() => {});
}

// A bill of the type already open is replaced in its window (the host asks
// before unsaved changes are given up); another type opens a new window.
const openBill = (bill) => guarded(async () => {
  const type = $('#type').value;
  if (page.window !== null && page.state && page.state.type === type) {
    const action = bill ? { do: 'load', bill } : { do: 'new' };
    await settle(await call('/api/act', { session: page.session, window: page.window, ...action }));
    await loadList();
    return;
  }
  await closeWindow();
  page.shownSeq = 0;
  const body = { session: page.session, type };
  if (bill) body.bill = bill;
  const state = await call('/api/open', body);
  page.window = state.window;
  await settle(state);
});

async function init() {
  const info = await call('/api/types');
  page.types = info.types;
  page.language = info.language;
  $('#user').replaceChildren(...info.users.map((u) => el('option', { value: u.id, textContent: u.name })));
  $('#language').replaceChildren(...info.languages.map((l) =>
    // Each language by its own name.
    el('option', { value: l, textContent: l === 'en' ? 'English' : '中文' })));
  $('#language').value = page.language;
  $('#kinds').replaceChildren(...KINDS.map((k) => {
    const box = el('input', { type: 'checkbox', checked: !page.hidden.has(k), dataset: { kind: k } });
    box.addEventListener('change', () => {
      if (box.checked) page.hidden.delete(k); else page.hidden.add(k);
      renderTranscript();
    });
    return el('label', {}, box, ' ' + k);
  }));
  await translate();
  $('#language').addEventListener('change', () => {
    page.language = $('#language').value;
    guarded(translate);
  });
  $('#login').addEventListener('submit', (ev) => {
    ev.preventDefault();
    guarded(async () => {
      await closeWindow();
      const r = await call('/api/login', { user: Number($('#user').value), language: $('#language').value });
      page.session = r.session;
      page.language = r.language;
      await translate();
      $('#who').textContent = r.userName;
      $('#types-panel').hidden = false;
      await loadList();
    });
  });
  $('#type').addEventListener('change', () => guarded(loadList));
  $('#reload-list').addEventListener('click', () => guarded(loadList));
  $('#new-bill').addEventListener('click', () => openBill(0));
  $('#close-bill').addEventListener('click', () => guarded(async () => {
    await closeWindow();
    $('#bill').hidden = true;
    await loadList();
  }));
}

// Leaving the page closes its window, so that the bill's mutex is free.
window.addEventListener('pagehide', () => {
  if (page.window === null) return;
  const query = token ? '?token=' + encodeURIComponent(token) : '';
  navigator.sendBeacon('/api/close' + query, JSON.stringify({ session: page.session, window: page.window }));
});

init().catch((e) => showMessage({ title: t('出错了'), text: e.message, style: 16 }));
