// Anchor: docxtemplater makes one letter per row of a recipient list in one Node process, as the
// program's merge does: for each row, open the template, replace the bracketed tags with the row's
// cells, write the filled package into the output folder. Prints the rate as JSON.
//   node docxtemplater_merge.js TEMPLATE LIST.csv OUTPUT_FOLDER
'use strict';
const fs = require('fs');
const path = require('path');
const PizZip = require('pizzip');
const Docxtemplater = require('docxtemplater');

const [templatePath, listPath, outputFolder] = process.argv.slice(2);
if (!templatePath || !listPath || !outputFolder) {
    console.error('usage: node docxtemplater_merge.js TEMPLATE LIST.csv OUTPUT_FOLDER');
    process.exit(2);
}

// The benchmark's list quotes every cell and breaks no cell across lines.
const cells = (line) => [...line.matchAll(/"((?:[^"]|"")*)"/g)].map((match) => match[1].replace(/""/g, '"'));
const [header, ...rows] = fs.readFileSync(listPath, 'utf8').split(/\r?\n/).filter(Boolean).map(cells);
const tags = header.map((tag) => tag.toLowerCase());

// Tags are matched without regard to letter case, and a bracketed text that is no tag stays, as in the program.
function fill(row, outputPath) {
    const values = Object.fromEntries(tags.map((tag, column) => [tag, row[column]]));
    const document = new Docxtemplater(new PizZip(fs.readFileSync(templatePath)), {
        delimiters: { start: '[', end: ']' },
        paragraphLoop: true,
        parser: (tag) => ({ get: () => values[tag.toLowerCase()] }),
        nullGetter: (part) => `[${part.value}]`,
    });
    document.render();
    fs.writeFileSync(outputPath, document.getZip().generate({ type: 'nodebuffer', compression: 'DEFLATE' }));
}

fs.mkdirSync(outputFolder, { recursive: true });
const start = process.hrtime.bigint();
rows.forEach((row, index) => fill(row, path.join(outputFolder, `letter-${index + 1}.docx`)));
const seconds = Number(process.hrtime.bigint() - start) / 1e9;
console.log(JSON.stringify({ letters: rows.length, seconds, letters_per_second: rows.length / seconds }));
