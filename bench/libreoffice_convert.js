// Anchor: LibreOffice Writer, headless, converts the filled letter to PDF. "Cold" runs start from
// a profile that does not exist yet; "warm" runs reuse one profile that an untimed run prepared.
// Prints the medians in milliseconds as JSON.
//   node libreoffice_convert.js LETTER WORK_FOLDER COLD_RUNS WARM_RUNS
'use strict';
const fs = require('fs');
const path = require('path');
const { spawnSync } = require('child_process');
const { pathToFileURL } = require('url');

const [letterPath, workFolder, coldText, warmText] = process.argv.slice(2);
if (!letterPath || !workFolder) {
    console.error('usage: node libreoffice_convert.js LETTER WORK_FOLDER COLD_RUNS WARM_RUNS');
    process.exit(2);
}
const coldRuns = Number(coldText || 3);
const warmRuns = Number(warmText || 5);
const pdfPath = path.join(workFolder, 'pdf', path.basename(letterPath).replace(/\.[^.]*$/, '') + '.pdf');

// One conversion with the profile in `profileFolder`; returns its wall time in milliseconds.
function convert(profileFolder) {
    fs.rmSync(pdfPath, { force: true });
    const start = process.hrtime.bigint();
    const result = spawnSync('soffice', [
        `-env:UserInstallation=${pathToFileURL(profileFolder).href}`,
        '--headless', '--norestore', '--convert-to', 'pdf', '--outdir', path.dirname(pdfPath), letterPath,
    ], { encoding: 'utf8' });
    const milliseconds = Number(process.hrtime.bigint() - start) / 1e6;
    if (result.status !== 0 || !fs.existsSync(pdfPath) || fs.statSync(pdfPath).size === 0) {
        console.error(`soffice failed (${result.status}): ${result.stderr || result.error}`);
        process.exit(1);
    }
    return milliseconds;
}

function median(numbers) {
    const sorted = [...numbers].sort((a, b) => a - b);
    const middle = Math.floor(sorted.length / 2);
    return sorted.length % 2 ? sorted[middle] : (sorted[middle - 1] + sorted[middle]) / 2;
}

const cold = [];
for (let n = 0; n < coldRuns; ++n) {
    const profile = path.join(workFolder, `cold-profile-${n}`);
    fs.rmSync(profile, { recursive: true, force: true });
    cold.push(convert(profile));
}
const warmProfile = path.join(workFolder, 'warm-profile');
convert(warmProfile);
const warm = [];
for (let n = 0; n < warmRuns; ++n) warm.push(convert(warmProfile));

console.log(JSON.stringify({
    cold_median_ms: median(cold), warm_median_ms: median(warm), cold_runs: cold, warm_runs: warm,
}));
