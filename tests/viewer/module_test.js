// The module's entries as the page's worker calls them, under node: every failure comes back as
// a value, never as an exception, and the module stays usable after it.
//   node module_test.js MODULE SOURCE_DIR
'use strict';
const assert = require('assert');
const fs = require('fs');
const path = require('path');

const [modulePath, source] = process.argv.slice(2);
const Imported = 0;
const NotImported = 1;
const Failed = 3;
const Points = 4;
const Files = 9;

function text(module, output) {
    const pointer = module.ccall('orva_viewer_text', 'number', ['number'], [output]);
    const size = module.ccall('orva_viewer_size', 'number', ['number'], [output]);
    return pointer ? Buffer.from(module.HEAPU8.subarray(pointer, pointer + size)).toString() : null;
}

const begin = (module, angles, lengths, codePage, outputs = (1 << Points) | (1 << Files)) =>
    module.ccall('orva_viewer_begin', 'number', ['number', 'string', 'string', 'number'],
        [outputs, angles, lengths, codePage]);
const importFile = (module, name, size) =>
    module.ccall('orva_viewer_import', 'number', ['string', 'number'], [name, size]);
const finish = (module) => module.ccall('orva_viewer_finish', 'number', [], []);

function readFrom(file) {
    const descriptor = fs.openSync(file, 'r');
    return (offset, size) => {
        const bytes = Buffer.alloc(size);
        return bytes.subarray(0, fs.readSync(descriptor, bytes, 0, size, offset));
    };
}

const cases = {
    'nothing can be imported or read before a job begins'(module) {
        assert.strictEqual(importFile(module, 'a.idx', 10), Failed);
        assert.strictEqual(finish(module), 1);
        assert.strictEqual(text(module, Points), null);
    },
    'units and code pages that are not known are refused'(module) {
        for (const [angles, lengths, codePage] of [['grad', 'm', 1252], ['rad', 'feet', 1252],
            ['rad', 'm', 12345], ['', 'm', 1252]])
            assert.strictEqual(begin(module, angles, lengths, codePage), 1,
                [angles, lengths, codePage].join(' '));
        assert.strictEqual(module.ccall('orva_viewer_decodes', 'number', ['number'], [7]), 0);
        assert.strictEqual(module.ccall('orva_viewer_decodes', 'number', ['number'], [1251]), 1);
    },
    'outputs out of range have no text'(module) {
        assert.strictEqual(begin(module, 'rad', 'm', 1252), 0);
        assert.strictEqual(text(module, -1), null);
        assert.strictEqual(text(module, 10), null);
    },
    'slices that cannot be read, or fail in the script, make a file not imported'(module) {
        assert.strictEqual(begin(module, 'rad', 'm', 1252), 0);
        module.orvaReadSlice = () => null;
        assert.strictEqual(importFile(module, 'gone.idx', 500), NotImported);
        module.orvaReadSlice = () => { throw new Error('the file went away'); };
        assert.strictEqual(importFile(module, 'thrown.idx', 500), NotImported);
        module.orvaReadSlice = (offset, size) => new Uint8Array(size + 1);
        assert.strictEqual(importFile(module, 'overlong.idx', 500), NotImported);
        assert.strictEqual(finish(module), 0);
        const files = text(module, Files).split('\r\n');
        assert.deepStrictEqual(files.slice(1, 4).map((row) => row.split(',').slice(0, 2)),
            [['gone.idx', 'no'], ['thrown.idx', 'no'], ['overlong.idx', 'no']]);
        assert.match(files[1], /\(the browser could not read it\)$/);
    },
    'a progress handler that throws changes nothing'(module) {
        const file = path.join(source, 'examples', 'survey-job.idx');
        assert.strictEqual(begin(module, 'deg', 'ft', 1252), 0);
        module.orvaReadSlice = readFrom(file);
        module.orvaProgress = () => { throw new Error('no page to draw on'); };
        assert.strictEqual(importFile(module, 'survey-job.idx', fs.statSync(file).size), Imported);
        assert.strictEqual(finish(module), 0);
        assert.strictEqual(text(module, Points).split('\r\n').length, 6);
        delete module.orvaProgress;
    },
};

require(path.resolve(modulePath))().ready.then((module) => {
    let failures = 0;
    for (const [name, run] of Object.entries(cases)) {
        try {
            run(module);
            module.ccall('orva_viewer_end', null, [], []);
            console.log('ok   ' + name);
        } catch (error) {
            ++failures;
            console.log('FAIL ' + name + '\n' + error.stack);
        }
    }
    process.exitCode = failures ? 1 : 0;
});
