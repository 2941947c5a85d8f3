// Anchor: LibreOffice Writer, headless, converts a batch of letters to PDF in one process, with a
// profile warmed by an untimed conversion of the first letter. Prints the batch's wall time, the
// time per letter and the rate as JSON.
//   node libreoffice_batch.js LETTERS_FOLDER WORK_FOLDER COUNT
'use strict';
const fs = require('fs');
const path = require('path');
const { spawnSync } = require('child_process');
const { pathToFileURL } = require('url');

const [lettersFolder, workFolder, countText] = process.argv.slice(2);
if (!lettersFolder || !workFolder) {
    console.error('usage: node libreoffice_batch.js LETTERS_FOLDER WORK_FOLDER COUNT');
    process.exit(2);
}
const count = Number(countText || 20);
const letters = fs.readdirSync(lettersFolder).filter((name) => name.endsWith('.doc')).sort().slice(0, count)
    .map((name) => path.join(lettersFolder, name));
if (letters.length < count) {
    console.error(`only ${letters.length} letters in ${lettersFolder}, not ${count}`);
    process.exit(1);
}
const profile = pathToFileURL(path.join(workFolder, 'profile')).href;
const pdfFolder = path.join(workFolder, 'pdf');

// Converts `files` in one soffice process; returns the wall time in milliseconds.
function convert(files) {
    fs.rmSync(pdfFolder, { recursive: true, force: true });
    const start = process.hrtime.bigint();
    const result = spawnSync('soffice', [`-env:UserInstallation=${profile}`, '--headless', '--norestore',
        '--convert-to', 'pdf', '--outdir', pdfFolder, ...files], { encoding: 'utf8' });
    const milliseconds = Number(process.hrtime.bigint() - start) / 1e6;
    const made = fs.existsSync(pdfFolder) ? fs.readdirSync(pdfFolder).filter((name) => name.endsWith('.pdf')) : [];
    if (made.length !== files.length) {
        console.error(`soffice made ${made.length} PDFs of ${files.length} (${result.status}): ${result.stderr || result.error}`);
        process.exit(1);
    }
    return milliseconds;
}

convert(letters.slice(0, 1));
const batchMs = convert(letters);
console.log(JSON.stringify({
    letters: letters.length, batch_ms: batchMs, per_letter_ms: batchMs / letters.length,
    letters_per_second: letters.length / (batchMs / 1000),
}));
