// The page's worker: the module runs here, where a File can be read synchronously a slice at a
// time (FileReaderSync), so that the reader pulls its bytes as it pulls them from a disk and the
// page stays responsive. One job at a time, in the order the page sends them.
'use strict';

// Compiled at once, the module is ready when its promise settles.
const orvaModule = createOrvaModule().ready;
let orvaQueue = Promise.resolve();

function orvaText(module, output) {
    const size = module.ccall('orva_viewer_size', 'number', ['number'], [output]);
    const pointer = module.ccall('orva_viewer_text', 'number', ['number'], [output]);
    return pointer ? module.HEAPU8.slice(pointer, pointer + size).buffer : new ArrayBuffer(0);
}

function orvaRun(module, job) {
    const started = module.ccall('orva_viewer_begin', 'number',
        ['number', 'string', 'string', 'number'],
        [job.outputs, job.angles, job.lengths, job.codePage]);
    if (started !== 0) {
        self.postMessage({ kind: 'failed', id: job.id,
            why: started === 1 ? 'this code page or unit is not known here' : 'out of memory' });
        return;
    }
    const reader = new FileReaderSync();
    const outcomes = [];
    try {
        job.files.forEach((file, index) => {
            let shown = -1;
            module.orvaProgress = (percent) => {
                const whole = Math.floor(percent);
                if (whole !== shown) {
                    shown = whole;
                    self.postMessage({ kind: 'progress', id: job.id, file: index, percent });
                }
            };
            module.orvaReadSlice = (offset, size) =>
                new Uint8Array(reader.readAsArrayBuffer(file.slice(offset, offset + size)));
            outcomes.push(module.ccall('orva_viewer_import', 'number', ['string', 'number'],
                [file.name, file.size]));
        });
        module.ccall('orva_viewer_finish', 'number', [], []);
        const texts = {};
        const buffers = [];
        for (let output = 0; output < 32; ++output) {
            if (job.outputs & (1 << output)) {
                texts[output] = orvaText(module, output);
                buffers.push(texts[output]);
            }
        }
        self.postMessage({ kind: 'done', id: job.id, outcomes, texts }, buffers);
    } finally {
        module.ccall('orva_viewer_end', null, [], []);
    }
}

self.onmessage = (event) => {
    const job = event.data;
    orvaQueue = orvaQueue.then(() => orvaModule).then((module) => {
        if (job.kind === 'pages') {
            const pages = job.pages.filter((page) =>
                module.ccall('orva_viewer_decodes', 'number', ['number'], [page]) !== 0);
            self.postMessage({ kind: 'pages', id: job.id, pages });
        } else {
            orvaRun(module, job);
        }
    }).catch((error) => {
        // Only a module that stopped (a trap, memory exhausted) lets anything escape it.
        self.postMessage({ kind: 'failed', id: job.id, why: String(error), stopped: true });
    });
};
