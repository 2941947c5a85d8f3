// Anchor: docxtemplater fills the letter template in one Node process, the way a server would:
// read the template, replace the bracketed placeholders, write the filled package. Prints the
// median of the timed fills, in milliseconds, as JSON.
//   node docxtemplater_fill.js TEMPLATE FIELDS.json OUTPUT.docx RUNS
'use strict';
const fs = require('fs');
const PizZip = require('pizzip');
const Docxtemplater = require('docxtemplater');

// Untimed fills first, so that the timed ones run compiled code.
const WARM_UP_RUNS = 5;

const [templatePath, fieldsPath, outputPath, runsText] = process.argv.slice(2);
if (!templatePath || !fieldsPath || !outputPath) {
    console.error('usage: node docxtemplater_fill.js TEMPLATE FIELDS.json OUTPUT.docx RUNS');
    process.exit(2);
}
const runs = Number(runsText || 30);

// The program replaces tags without regard to letter case, so the anchor looks them up the same way.
const values = {};
for (const [tag, text] of Object.entries(JSON.parse(fs.readFileSync(fieldsPath, 'utf8')))) {
    values[tag.slice(1, -1).toLowerCase()] = text;
}
const parser = (tag) => ({ get: () => values[tag.toLowerCase()] });
// A bracketed text that is no field stays as it was, as it does in the program.
const nullGetter = (part) => `[${part.value}]`;

function fillOnce() {
    const zip = new PizZip(fs.readFileSync(templatePath));
    const document = new Docxtemplater(zip, {
        delimiters: { start: '[', end: ']' },
        paragraphLoop: true,
        parser,
        nullGetter,
    });
    document.render();
    fs.writeFileSync(outputPath, document.getZip().generate({ type: 'nodebuffer', compression: 'DEFLATE' }));
}

function median(numbers) {
    const sorted = [...numbers].sort((a, b) => a - b);
    const middle = Math.floor(sorted.length / 2);
    return sorted.length % 2 ? sorted[middle] : (sorted[middle - 1] + sorted[middle]) / 2;
}

for (let n = 0; n < WARM_UP_RUNS; ++n) fillOnce();
const times = [];
for (let n = 0; n < runs; ++n) {
    const start = process.hrtime.bigint();
    fillOnce();
    times.push(Number(process.hrtime.bigint() - start) / 1e6);
}
console.log(JSON.stringify({ fill_median_ms: median(times), runs, min_ms: Math.min(...times), max_ms: Math.max(...times) }));
