// Reads the results of one benchmark run and prints the medians, the ratios to the anchors and
// whether each target is met. Exits 0 either way: the verdicts are for reading, not for gating.
//   node report.js RESULTS_FOLDER
// RESULTS_FOLDER holds bench.json (Google Benchmark, with medians), docxtemplater.json,
// docxtemplater_merge.json, libreoffice.json, libreoffice_batch.json, peak_memory.txt (the program's
// own stages), peak_time.txt and merge_peak_ROWS.txt (/usr/bin/time -v of a session and of merges).
'use strict';
const fs = require('fs');
const path = require('path');

const folder = process.argv[2];
if (!folder) {
    console.error('usage: node report.js RESULTS_FOLDER');
    process.exit(2);
}
const read = (name) => fs.readFileSync(path.join(folder, name), 'utf8');

// Targets.
const WHOLE_ROAD_MS = 50;
const LIBREOFFICE_FACTOR = 20;
const ZOOM_STEP_MS = 100;
const PDF_FACTOR = 50;
const PAGES_FACTOR = 120;
const PEAK_MB = 300;
const FILL_MS = 3;
const MERGE_DOC_PER_SECOND = 300;
const MERGE_PDF_PER_SECOND = 100;
const MERGE_MEMORY_FACTOR = 1.2;
const BYTES_PER_MB = 1e6;
const BYTES_PER_KIB = 1024;

const MS_PER_UNIT = { ns: 1e-6, us: 1e-3, ms: 1, s: 1e3 };
const medians = {};
for (const entry of JSON.parse(read('bench.json')).benchmarks) {
    if (entry.aggregate_name !== 'median') continue;
    const scale = MS_PER_UNIT[entry.time_unit];
    medians[entry.run_name.replace(/\/real_time$/, '')] = { real: entry.real_time * scale, cpu: entry.cpu_time * scale };
}
const docxtemplater = JSON.parse(read('docxtemplater.json'));
const libreoffice = JSON.parse(read('libreoffice.json'));
const docxtemplaterMerge = JSON.parse(read('docxtemplater_merge.json'));
const libreofficeBatch = JSON.parse(read('libreoffice_batch.json'));
// The maximum resident set that /usr/bin/time -v wrote into `name`, in bytes.
const peakBytes = (name) => BYTES_PER_KIB * Number((read(name).match(/Maximum resident set size \(kbytes\): (\d+)/) || [])[1]);
const peakKiB = peakBytes('peak_time.txt') / BYTES_PER_KIB;
// The merges measured for memory, by rows, fewest first.
const mergePeaks = fs.readdirSync(folder).map((name) => name.match(/^merge_peak_(\d+)\.txt$/)).filter(Boolean)
    .map((match) => ({ rows: Number(match[1]), bytes: peakBytes(match[0]) })).sort((a, b) => a.rows - b.rows);
const mb = (bytes) => `${(bytes / BYTES_PER_MB).toFixed(1)} MB`;

const ms = (value) => `${value.toFixed(value < 10 ? 2 : 1)} ms`;
const median = (name) => {
    if (!medians[name]) throw new Error(`no median for ${name} in bench.json`);
    return medians[name].real;
};

console.log('\nMedians (wall clock; CPU time of the main thread in brackets)');
for (const [name, value] of Object.entries(medians)) {
    console.log(`  ${name.padEnd(30)} ${ms(value.real).padStart(10)}   (${ms(value.cpu)})`);
}
console.log(`  ${'docxtemplater fill'.padEnd(30)} ${ms(docxtemplater.fill_median_ms).padStart(10)}   (${docxtemplater.runs} fills in one Node process)`);
console.log(`  ${'LibreOffice PDF, cold profile'.padEnd(30)} ${ms(libreoffice.cold_median_ms).padStart(10)}`);
console.log(`  ${'LibreOffice PDF, warm profile'.padEnd(30)} ${ms(libreoffice.warm_median_ms).padStart(10)}`);
console.log(`  ${'LibreOffice PDF, batch'.padEnd(30)} ${ms(libreofficeBatch.per_letter_ms).padStart(10)}   per letter`
    + ` (${libreofficeBatch.letters} letters in one process, ${ms(libreofficeBatch.batch_ms)})`);

const road = median('whole_road');
const pdf = median('pdf');
const fill = median('fill');
// Growth of a cost with pages: 100 pages against 1 page, and against an average page of the template's body
// (its 3 pages once; the 1-page document is only the letter's opening page, which holds no tables).
const perPage = (kind) => {
    const one = median(`${kind}/pages:1`);
    const three = median(`${kind}/pages:3`);
    const ten = median(`${kind}/pages:10`);
    const hundred = median(`${kind}/pages:100`);
    console.log(`  ${kind.padEnd(13)} per page: 1 page ${ms(one)}, 3 pages ${ms(three / 3)}, 10 pages ${ms(ten / 10)},`
        + ` 100 pages ${ms(hundred / 100)}`);
    console.log(`  ${''.padEnd(13)} 100 pages = ${(hundred / one).toFixed(1)} x 1 page, ${(hundred / (three / 3)).toFixed(1)} x`
        + ` an average page of 3, ${(hundred / ten).toFixed(1)} x 10 pages`);
    return { one: hundred / one, average: hundred / (three / 3) };
};

console.log('\nRatios');
console.log(`  LibreOffice (warm) / whole road   ${(libreoffice.warm_median_ms / road).toFixed(1)}`);
console.log(`  LibreOffice (warm) PDF / our PDF  ${(libreoffice.warm_median_ms / pdf).toFixed(1)}`);
console.log(`  LibreOffice (cold) / whole road   ${(libreoffice.cold_median_ms / road).toFixed(1)}`);
console.log(`  docxtemplater fill / our fill     ${(docxtemplater.fill_median_ms / fill).toFixed(2)}`);
const fillGrowth = perPage('fill_pages');
const renderGrowth = perPage('render_pages');
const both = (pages) => median(`fill_pages/pages:${pages}`) + median(`render_pages/pages:${pages}`);
console.log(`  fill + render, 100 pages / 1 page ${(both(100) / both(1)).toFixed(1)},`
    + ` / an average page of 3 ${(both(100) / (both(3) / 3)).toFixed(1)}`);

console.log('\nPeak memory: a whole session, zoom stepped to the largest drawable factor');
process.stdout.write(read('peak_memory.txt'));
console.log(`  maximum resident set (/usr/bin/time -v): ${(peakKiB * BYTES_PER_KIB / BYTES_PER_MB).toFixed(1)} MB`);

// Letters per second of a merge (median), from its benchmark's counter.
const mergeRate = (pdf) => {
    const entry = JSON.parse(read('bench.json')).benchmarks.find((b) => b.aggregate_name === 'median'
        && b.run_name === `merge/pdf:${pdf}/iterations:1/real_time`);
    if (!entry) throw new Error(`no median for merge/pdf:${pdf} in bench.json`);
    return entry.letters_per_second;
};
const mergeDoc = mergeRate(0);
const mergePdf = mergeRate(1);
const perSecond = (rate) => `${rate.toFixed(rate < 10 ? 1 : 0)} letters/s`;
console.log(`\nMerge (${docxtemplaterMerge.letters} rows, ours on all cores)`);
console.log(`  ours to .doc                     ${perSecond(mergeDoc)}`);
console.log(`  ours to PDF                      ${perSecond(mergePdf)}`);
console.log(`  docxtemplater, one Node process  ${perSecond(docxtemplaterMerge.letters_per_second)};`
    + ` ours to .doc ${(mergeDoc / docxtemplaterMerge.letters_per_second).toFixed(2)} x that`);
console.log(`  LibreOffice .doc to PDF, batch   ${perSecond(libreofficeBatch.letters_per_second)};`
    + ` ours to PDF ${(mergePdf / libreofficeBatch.letters_per_second).toFixed(1)} x that`);
console.log('\nPeak memory of a merge into .doc (/usr/bin/time -v)');
for (const { rows, bytes } of mergePeaks) console.log(`  ${String(rows).padStart(6)} rows: ${mb(bytes)}`);
const [fewest, most] = [mergePeaks[0], mergePeaks[mergePeaks.length - 1]];
const mergeGrowth = most.bytes / fewest.bytes;

const verdicts = [
    [road <= WHOLE_ROAD_MS, `whole road ${ms(road)} <= ${WHOLE_ROAD_MS} ms`],
    [libreoffice.warm_median_ms / road >= LIBREOFFICE_FACTOR,
        `LibreOffice's conversion (warm profile) ${(libreoffice.warm_median_ms / road).toFixed(1)} x the whole road >= ${LIBREOFFICE_FACTOR} x`],
    [libreoffice.warm_median_ms / pdf >= PDF_FACTOR,
        `LibreOffice's PDF conversion (warm profile) ${(libreoffice.warm_median_ms / pdf).toFixed(1)} x our PDF >= ${PDF_FACTOR} x`],
    [fill < docxtemplater.fill_median_ms, `our fill ${ms(fill)} faster than docxtemplater's ${ms(docxtemplater.fill_median_ms)}`],
    [median('zoom_in/from_percent:100') <= ZOOM_STEP_MS, `zoom step at 1.0: ${ms(median('zoom_in/from_percent:100'))} <= ${ZOOM_STEP_MS} ms`],
    [median('zoom_in/from_percent:375') <= ZOOM_STEP_MS, `zoom step at 3.75: ${ms(median('zoom_in/from_percent:375'))} <= ${ZOOM_STEP_MS} ms`],
    [fillGrowth.one <= PAGES_FACTOR, `fill, 100 pages ${fillGrowth.one.toFixed(1)} x 1 page <= ${PAGES_FACTOR} x`],
    [fillGrowth.average <= PAGES_FACTOR,
        `fill, 100 pages ${fillGrowth.average.toFixed(1)} x an average page of 3 <= ${PAGES_FACTOR} x`],
    [renderGrowth.one <= PAGES_FACTOR, `render, 100 pages ${renderGrowth.one.toFixed(1)} x 1 page <= ${PAGES_FACTOR} x`],
    [renderGrowth.average <= PAGES_FACTOR,
        `render, 100 pages ${renderGrowth.average.toFixed(1)} x an average page of 3 <= ${PAGES_FACTOR} x`],
    [fill <= FILL_MS, `fill ${ms(fill)} <= ${FILL_MS} ms`],
    [mergeDoc >= MERGE_DOC_PER_SECOND, `merge to .doc ${perSecond(mergeDoc)} >= ${MERGE_DOC_PER_SECOND}`],
    [mergePdf >= MERGE_PDF_PER_SECOND, `merge to PDF ${perSecond(mergePdf)} >= ${MERGE_PDF_PER_SECOND}`],
    [mergeGrowth <= MERGE_MEMORY_FACTOR, `merge peak memory, ${most.rows} rows ${mergeGrowth.toFixed(2)} x`
        + ` ${fewest.rows} rows <= ${MERGE_MEMORY_FACTOR} x`],
    [peakKiB * BYTES_PER_KIB <= PEAK_MB * BYTES_PER_MB,
        `peak resident set ${(peakKiB * BYTES_PER_KIB / BYTES_PER_MB).toFixed(1)} MB <= ${PEAK_MB} MB`],
];
console.log('\nTargets');
for (const [met, text] of verdicts) console.log(`  ${met ? 'met   ' : 'MISSED'}  ${text}`);
