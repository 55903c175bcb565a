// The page: picks files and options, hands the files to the worker, and shows and offers what the
// reader and orva-import's outputs made of them. It reads no byte of the format itself.
'use strict';

// The module's outputs (Viewer::Output), by their bit.
const Output = { summary: 0, plan: 1, json: 2, geojson: 3, points: 4, stations: 5,
    observations: 6, extraValues: 7, messages: 8, files: 9 };
const bit = (output) => 1 << output;
const viewOutputs = [Output.summary, Output.plan, Output.points, Output.stations,
    Output.observations, Output.extraValues, Output.messages, Output.files]
    .reduce((set, output) => set | bit(output), 0);
// Viewer::FileOutcome.
const outcomeWords = ['imported', 'not imported', 'too large: past 2 GB the page reads no file',
    'out of memory: what is shown is incomplete'];
const tooLarge = 2;

// Every page the Linux build decodes; the worker says which of them this module can.
const codePages = [[1252, 'Windows-1252 Western'], [1250, 'Windows-1250 Central European'],
    [1251, 'Windows-1251 Cyrillic'], [1253, 'Windows-1253 Greek'], [1254, 'Windows-1254 Turkish'],
    [1255, 'Windows-1255 Hebrew'], [1256, 'Windows-1256 Arabic'], [1257, 'Windows-1257 Baltic'],
    [1258, 'Windows-1258 Vietnamese'], [65001, 'UTF-8'], [20866, 'KOI8-R'], [21866, 'KOI8-U'],
    [437, 'DOS 437'], [737, 'DOS 737 Greek'], [775, 'DOS 775 Baltic'], [850, 'DOS 850'],
    [852, 'DOS 852'], [855, 'DOS 855 Cyrillic'], [857, 'DOS 857 Turkish'], [858, 'DOS 858'],
    [860, 'DOS 860'], [861, 'DOS 861'], [862, 'DOS 862 Hebrew'], [863, 'DOS 863'],
    [864, 'DOS 864 Arabic'], [865, 'DOS 865'], [866, 'DOS 866 Cyrillic'], [869, 'DOS 869 Greek'],
    [874, 'Windows-874 Thai'], [932, 'Shift JIS (932)'], [936, 'GBK (936)'],
    [949, 'Korean (949)'], [950, 'Big5 (950)'], [54936, 'GB18030'], [51932, 'EUC-JP'],
    [51949, 'EUC-KR'], [10000, 'Mac Roman'], [10007, 'Mac Cyrillic'],
    [28591, 'ISO-8859-1'], [28592, 'ISO-8859-2'], [28593, 'ISO-8859-3'], [28594, 'ISO-8859-4'],
    [28595, 'ISO-8859-5'], [28596, 'ISO-8859-6'], [28597, 'ISO-8859-7'], [28598, 'ISO-8859-8'],
    [28599, 'ISO-8859-9'], [28603, 'ISO-8859-13'], [28605, 'ISO-8859-15']];

const $ = (id) => document.getElementById(id);
const state = { files: [], view: null, tab: 'plan', page: 0, zoom: null };
const rowsPerPage = 200;

// ---- the worker --------------------------------------------------------------------------------

let worker = null;
let nextJob = 1;
const jobs = new Map();

function startWorker() {
    const text = $('worker').textContent;
    worker = new Worker(URL.createObjectURL(new Blob([text], { type: 'text/javascript' })));
    worker.onmessage = (event) => {
        const message = event.data;
        const job = jobs.get(message.id);
        if (!job)
            return;
        if (message.kind === 'progress') {
            job.progress(message);
            return;
        }
        jobs.delete(message.id);
        if (message.kind !== 'failed')
            job.resolve(message);
        else if (message.stopped)
            restartWorker(message.why, job);
        else
            job.reject(new Error(message.why));
    };
    worker.onerror = (event) => {
        event.preventDefault();
        restartWorker('the reader stopped: ' + (event.message || 'unknown error'));
    };
}

// A module that died (a crash, memory exhausted) is replaced, so the next file still works.
function restartWorker(why, failed = null) {
    worker.terminate();
    for (const job of failed ? [failed, ...jobs.values()] : jobs.values())
        job.reject(new Error(why));
    jobs.clear();
    startWorker();
}

function send(message, progress = () => {}) {
    const id = nextJob++;
    return new Promise((resolve, reject) => {
        jobs.set(id, { resolve, reject, progress });
        worker.postMessage(Object.assign({ id }, message));
    });
}

function runJob(outputs, progress) {
    return send({ kind: 'run', files: state.files, outputs, angles: $('angles').value,
        lengths: $('lengths').value, codePage: Number($('codepage').value) }, progress);
}

// ---- reading -----------------------------------------------------------------------------------

function setStatus(text, bad = false) {
    $('status').textContent = text;
    $('status').classList.toggle('bad', bad);
}

function showProgress(message) {
    const bar = $('progress');
    const done = (message.file + message.percent / 100) / state.files.length;
    bar.hidden = false;
    bar.value = Math.min(100, done * 100);
    setStatus('Reading ' + state.files[message.file].name + '…');
}

async function readFiles(files) {
    if (files.length === 0)
        return;
    state.files = Array.from(files);
    await refresh();
}

// Reads the files again with the options chosen, and shows them.
async function refresh() {
    if (state.files.length === 0)
        return;
    const started = performance.now();
    setStatus('Reading…');
    try {
        const result = await runJob(viewOutputs, showProgress);
        state.view = decodeView(result);
        state.page = 0;
        show();
        const seconds = ((performance.now() - started) / 1000).toFixed(2);
        const bad = result.outcomes.filter((outcome) => outcome !== 0).length;
        const count = result.outcomes.length;
        const files = count === 1 ? ' file' : ' files';
        setStatus(bad ? bad + ' of ' + count + files + ' not imported (' + seconds + ' s)' :
            count + files + ' read in ' + seconds + ' s', bad > 0);
    } catch (error) {
        state.view = null;
        $('result').hidden = true;
        setStatus('Could not read the files: ' + error.message, true);
    } finally {
        $('progress').hidden = true;
        document.body.dataset.state = 'ready';
    }
}

function decodeView(result) {
    const text = (output) => new TextDecoder().decode(result.texts[output]);
    return {
        outcomes: result.outcomes,
        summary: JSON.parse(text(Output.summary)),
        plan: result.texts[Output.plan],
        tables: {
            points: new CsvTable(text(Output.points)),
            stations: new CsvTable(text(Output.stations)),
            observations: new CsvTable(text(Output.observations)),
        },
        downloads: {
            'points.csv': result.texts[Output.points],
            'stations.csv': result.texts[Output.stations],
            'observations.csv': result.texts[Output.observations],
            'extra_values.csv': result.texts[Output.extraValues],
            'messages.csv': result.texts[Output.messages],
            'files.csv': result.texts[Output.files],
            'plan.svg': result.texts[Output.plan],
        },
    };
}

// A table as orva-import's CSV writer made it (RFC 4180, CRLF), to show it. Only where each row
// starts is found at once; a row's fields are split when the row is shown, so that a job of a
// million rows costs one pass over its text.
class CsvTable {
    constructor(text) {
        this.text = text;
        this.starts = [];
        // A line end inside quotes belongs to a field. The next quotation mark is looked for
        // once, not at every line: most tables have none.
        let quote = text.indexOf('"');
        let quotes = 0;
        for (let end = text.indexOf('\n'); end !== -1; end = text.indexOf('\n', end + 1)) {
            for (; quote !== -1 && quote < end; quote = text.indexOf('"', quote + 1))
                ++quotes;
            if (quotes % 2 === 0)
                this.starts.push(end + 1);
        }
        this.header = this.fields(0, this.starts.length ? this.starts[0] : text.length);
    }

    get length() {
        return Math.max(0, this.starts.length - 1);
    }

    row(index) {
        return this.fields(this.starts[index], this.starts[index + 1]);
    }

    fields(begin, end) {
        const line = this.text.slice(begin, end).replace(/\r?\n$/, '');
        const fields = [];
        let field = '';
        let quoted = false;
        for (let i = 0; i < line.length; ++i) {
            const c = line[i];
            if (quoted && c === '"' && line[i + 1] === '"') {
                field += '"';
                ++i;
            } else if (c === '"') {
                quoted = !quoted;
            } else if (c === ',' && !quoted) {
                fields.push(field);
                field = '';
            } else {
                field += c;
            }
        }
        fields.push(field);
        return fields;
    }
}

// The messages and warnings of every file, from the summary, as a table.
class ListTable {
    constructor(header, rows) {
        this.header = header;
        this.rows = rows;
    }

    get length() {
        return this.rows.length;
    }

    row(index) {
        return this.rows[index];
    }
}

// ---- showing -----------------------------------------------------------------------------------

function cell(row, text, className) {
    const td = document.createElement(row.parentNode && row.parentNode.tagName === 'THEAD' ?
        'th' : 'td');
    td.textContent = text;
    if (className)
        td.className = className;
    row.appendChild(td);
    return td;
}

function tableRow(table, values, className) {
    const row = table.insertRow();
    if (className)
        row.className = className;
    for (const value of values) {
        const number = typeof value === 'number';
        cell(row, number ? value.toLocaleString('en') : value, number ? 'number' : '');
    }
    return row;
}

function lastUnit(choices) {
    return choices && choices.length ? choices[choices.length - 1].unit : '';
}

function character(setting) {
    return setting ? JSON.stringify(setting.character) : '';
}

function showSummary() {
    const table = $('summary');
    table.replaceChildren();
    const head = table.createTHead().insertRow();
    for (const name of ['file', 'imported', 'angles', 'lengths', 'temperature', 'pressure',
        'separator', 'terminator', 'date order', 'points', 'stations', 'observations',
        'messages', 'warnings', 'sections'])
        head.appendChild(document.createElement('th')).textContent = name;
    const body = table.createTBody();
    const total = { points: 0, stations: 0, observations: 0, messages: 0, warnings: 0 };
    // A file too large to read has no entry in the summary.
    const summaries = state.view.summary.files[Symbol.iterator]();
    state.view.outcomes.forEach((outcome, index) => {
        if (outcome === tooLarge) {
            const row = tableRow(body, [state.files[index].name, outcomeWords[outcome]]);
            row.cells[1].className = 'no';
            return;
        }
        const file = summaries.next().value;
        const units = file.units || {};
        const row = tableRow(body, [file.path, outcomeWords[outcome] || 'not imported',
            lastUnit(units.angle), lastUnit(units.length), lastUnit(units.temperature),
            lastUnit(units.pressure), character(file.separator), character(file.terminator),
            file.date_order || '', file.counts.points, file.counts.stations,
            file.counts.observations, file.counts.messages, file.counts.warnings,
            (file.sections || []).join(', ')]);
        if (outcome !== 0 || !file.imported)
            row.cells[1].className = 'no';
        for (const key of Object.keys(total))
            total[key] += file.counts[key];
    });
    const files = state.view.outcomes.length;
    tableRow(body, ['all ' + files + (files === 1 ? ' file' : ' files'), '', '', '', '', '', '', '', '', total.points,
        total.stations, total.observations, total.messages, total.warnings, ''], 'total');
}

function showDownloads() {
    const box = $('downloads');
    box.replaceChildren();
    const add = (name, bytes) => {
        const button = box.appendChild(document.createElement('button'));
        button.type = 'button';
        button.textContent = name;
        button.dataset.download = name;
        button.onclick = async () => {
            button.disabled = true;
            try {
                save(name, await bytes());
            } catch (error) {
                setStatus('Could not make ' + name + ': ' + error.message, true);
            } finally {
                button.disabled = false;
            }
        };
    };
    // JSON and GeoJSON are made when asked for: a large job's would double what the page holds.
    add('orva.json', async () => (await runJob(bit(Output.json))).texts[Output.json]);
    add('orva.geojson', async () => (await runJob(bit(Output.geojson))).texts[Output.geojson]);
    for (const [name, bytes] of Object.entries(state.view.downloads))
        add(name, async () => bytes);
}

function save(name, bytes) {
    const link = document.createElement('a');
    link.href = URL.createObjectURL(new Blob([bytes], { type: 'application/octet-stream' }));
    link.download = name;
    document.body.appendChild(link);
    link.click();
    link.remove();
    setTimeout(() => URL.revokeObjectURL(link.href), 60000);
}

function messageRows() {
    const rows = [];
    for (const file of state.view.summary.files) {
        for (const message of file.messages)
            rows.push([file.path, message.line === null ? '' : String(message.line), 'message',
                message.text]);
        for (const warning of file.warnings)
            rows.push([file.path, warning.line === null ? '' : String(warning.line), 'warning',
                warning.text]);
    }
    return new ListTable(['file', 'line', 'kind', 'text'], rows);
}

function currentTable() {
    return state.tab === 'messages' ? messageRows() : state.view.tables[state.tab];
}

function showTabs() {
    const nav = $('tabs');
    nav.replaceChildren();
    const names = { plan: 'Plan', points: 'Points', stations: 'Stations',
        observations: 'Observations', messages: 'Messages and warnings' };
    for (const [tab, name] of Object.entries(names)) {
        const button = nav.appendChild(document.createElement('button'));
        button.type = 'button';
        button.dataset.tab = tab;
        const count = tab === 'plan' ? null : (tab === 'messages' ? messageRows() :
            state.view.tables[tab]).length;
        button.textContent = count === null ? name : name + ' (' + count.toLocaleString('en') + ')';
        button.classList.toggle('current', tab === state.tab);
        button.onclick = () => {
            state.tab = tab;
            state.page = 0;
            showTabs();
            showView();
        };
    }
}

// Only one page of rows is in the document, so a table of any length stays quick.
function showRows() {
    const table = currentTable();
    const pages = Math.max(1, Math.ceil(table.length / rowsPerPage));
    state.page = Math.min(Math.max(state.page, 0), pages - 1);
    const first = state.page * rowsPerPage;
    const last = Math.min(first + rowsPerPage, table.length);
    const element = $('rows');
    element.replaceChildren();
    const head = element.createTHead().insertRow();
    for (const name of table.header)
        head.appendChild(document.createElement('th')).textContent = name;
    const body = element.createTBody();
    for (let index = first; index < last; ++index)
        tableRow(body, table.row(index));
    $('page').textContent = table.length ? 'rows ' + (first + 1).toLocaleString('en') + '–' +
        last.toLocaleString('en') + ' of ' + table.length.toLocaleString('en') : 'no rows';
    $('previous').disabled = state.page === 0;
    $('next').disabled = state.page >= pages - 1;
}

function showView() {
    const plan = state.tab === 'plan';
    $('plan').hidden = !plan;
    $('table').hidden = plan;
    if (!plan)
        showRows();
}

// Past this the browser takes seconds to draw the plan, on the page's own thread.
const largePlan = 4 * 1024 * 1024;

function showPlan() {
    const image = $('plan-image');
    if (image.src)
        URL.revokeObjectURL(image.src);
    image.removeAttribute('src');
    const large = state.view.plan.byteLength > largePlan;
    $('plan-large').hidden = !large;
    if (!large)
        drawPlan();
}

function drawPlan() {
    const image = $('plan-image');
    $('plan-large').hidden = true;
    image.onload = fitPlan;
    image.src = URL.createObjectURL(new Blob([state.view.plan], { type: 'image/svg+xml' }));
}

function show() {
    $('result').hidden = false;
    showSummary();
    showDownloads();
    showTabs();
    showPlan();
    showView();
}

// ---- the plan's pan and zoom -------------------------------------------------------------------

function placePlan() {
    const { x, y, scale } = state.zoom;
    $('plan-image').style.transform = 'translate(' + x + 'px,' + y + 'px) scale(' + scale + ')';
}

function fitPlan() {
    const frame = $('plan-frame');
    const image = $('plan-image');
    const width = image.naturalWidth || 1;
    const height = image.naturalHeight || 1;
    const scale = Math.min(frame.clientWidth / width, frame.clientHeight / height) || 1;
    state.zoom = { scale, x: (frame.clientWidth - width * scale) / 2,
        y: (frame.clientHeight - height * scale) / 2 };
    placePlan();
}

function wirePlan() {
    const frame = $('plan-frame');
    let drag = null;
    frame.addEventListener('wheel', (event) => {
        if (!state.zoom)
            return;
        event.preventDefault();
        const box = frame.getBoundingClientRect();
        const px = event.clientX - box.left;
        const py = event.clientY - box.top;
        const factor = Math.exp(-event.deltaY / 500);
        const zoom = state.zoom;
        zoom.x = px - (px - zoom.x) * factor;
        zoom.y = py - (py - zoom.y) * factor;
        zoom.scale *= factor;
        placePlan();
    }, { passive: false });
    frame.addEventListener('pointerdown', (event) => {
        if (!state.zoom)
            return;
        drag = { x: event.clientX - state.zoom.x, y: event.clientY - state.zoom.y };
        frame.setPointerCapture(event.pointerId);
    });
    frame.addEventListener('pointermove', (event) => {
        if (!drag)
            return;
        state.zoom.x = event.clientX - drag.x;
        state.zoom.y = event.clientY - drag.y;
        placePlan();
    });
    frame.addEventListener('pointerup', () => { drag = null; });
    frame.addEventListener('dblclick', fitPlan);
    $('draw-plan').onclick = drawPlan;
    $('plan-image').draggable = false;
}

// ---- wiring ------------------------------------------------------------------------------------

function wireInput() {
    $('files').addEventListener('change', (event) => readFiles(event.target.files));
    const zone = document.body;
    zone.addEventListener('dragover', (event) => {
        event.preventDefault();
        $('input').classList.add('over');
    });
    zone.addEventListener('dragleave', () => $('input').classList.remove('over'));
    zone.addEventListener('drop', (event) => {
        event.preventDefault();
        $('input').classList.remove('over');
        readFiles(event.dataTransfer.files);
    });
    for (const id of ['angles', 'lengths', 'codepage'])
        $(id).addEventListener('change', refresh);
    $('previous').onclick = () => { --state.page; showRows(); };
    $('next').onclick = () => { ++state.page; showRows(); };
}

async function start() {
    startWorker();
    wireInput();
    wirePlan();
    try {
        const { pages } = await send({ kind: 'pages', pages: codePages.map(([page]) => page) });
        const select = $('codepage');
        for (const [page, name] of codePages)
            if (pages.includes(page))
                select.add(new Option(name, page, page === 1252, page === 1252));
        setStatus('Ready: drop files or choose them.');
        document.body.dataset.state = 'ready';
    } catch (error) {
        setStatus('The reader could not start: ' + error.message, true);
    }
}

start();
