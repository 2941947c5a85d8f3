// The letter's benchmarks: fill, render, the whole road through the windows, zoom steps, and fill
// and render on synthetic documents of 1, 3, 10 and 100 pages. Runs under the offscreen platform.
//   quill_bench [--benchmark_* options]
//   quill_bench --write-template=PATH   writes the embedded template package (for the anchors)
//   quill_bench --write-letter=PATH     writes the letter filled with the example data (for the anchors)
//   quill_bench --write-fields=PATH     writes the example data as JSON, tag to text (for the anchors)
//   quill_bench --write-recipients=ROWS:PATH   writes the merge benchmark's recipient list of ROWS rows (CSV)
//   quill_bench --write-synthetic=PAGES:PATH   writes the synthetic template of PAGES pages
//   quill_bench --render=PATH:COUNT     fills the template at PATH and renders it COUNT times (to run under a profiler)
#include "BenchSupport.h"
#include "Form2.h"
#include "LetterOutput.h"
#include "LetterTemplate.h"
#include "MemoryReuse.h"
#include "MergeRun.h"
#include "SyntheticLetter.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextStream>
#include <QThread>

#include <benchmark/benchmark.h>

#include <map>

using namespace quill;
using namespace quill::bench;

namespace {

// Page counts of the synthetic documents. Three pages hold the template's body once: its pages together are
// the letter's mix (an opening page of addresses and greeting, then pages of tables), which one page cannot be.
constexpr int kSyntheticPages[] = {1, 3, 10, 100};
// Zoom factors, in percent, that the zoom step starts from.
constexpr int kZoomStartPercents[] = {100, 375};
// One "Zoom In" step, in percent.
constexpr int kZoomStepPercent = 25;
constexpr float kPercent = 100.0f;
// Recipients of the merge benchmark.
constexpr int kMergeRows = 1000;

WorkPlace &workPlace()
{
    static WorkPlace place;
    return place;
}

QString workFile(const QString &name)
{
    return QDir(workPlace().tempFolder()).filePath(name);
}

// The synthetic template of `pages` pages, made once per process.
const QByteArray &syntheticTemplateBytes(int pages)
{
    static std::map<int, QByteArray> made;
    auto found = made.find(pages);
    if (found == made.end())
        found = made.emplace(pages, syntheticTemplate(pages, workPlace().tempFolder())).first;
    return found->second;
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

// Stops the benchmark when a step showed a message box (an error report).
bool reportedAnError(benchmark::State &state)
{
    const QStringList messages = workPlace().takeMessages();
    if (messages.isEmpty())
        return false;
    state.SkipWithError(qPrintable(messages.first()));
    return true;
}

void fillBenchmark(benchmark::State &state, const QByteArray &templatePackage)
{
    const std::vector<FieldReplacement> fields = sampleFields();
    const QString result = workFile(QStringLiteral("filled.doc"));
    for (auto _ : state) {
        fillLetter(templatePackage, fields, workPlace().tempFolder(), result);
        if (reportedAnError(state))
            break;
    }
    QFile::remove(result);
}

void renderBenchmark(benchmark::State &state, const QByteArray &templatePackage)
{
    const QString letter = workFile(QStringLiteral("render.doc"));
    fillLetter(templatePackage, sampleFields(), workPlace().tempFolder(), letter);
    if (reportedAnError(state))
        return;
    try {
        OpenedDocument opened(letter);
        for (auto _ : state)
            benchmark::DoNotOptimize(copyBodyPicture(opened.document()));
    } catch (const std::exception &failure) {
        state.SkipWithError(failure.what());
    }
    QFile::remove(letter);
}

// Open the embedded template, the replace loop over the fourteen fields and the shapes, SaveAs.
void BM_Fill(benchmark::State &state)
{
    fillBenchmark(state, templateBytes());
}
BENCHMARK(BM_Fill)->Name("fill")->Unit(benchmark::kMillisecond)->UseRealTime();

// CopyAsPicture of the filled letter and the clipboard fetch.
void BM_Render(benchmark::State &state)
{
    renderBenchmark(state, templateBytes());
}
BENCHMARK(BM_Render)->Name("render")->Unit(benchmark::kMillisecond)->UseRealTime();

// The filled letter written as PDF through ExportAsFixedFormat: its pages laid out and painted, the file written.
void BM_Pdf(benchmark::State &state)
{
    const QString letter = workFile(QStringLiteral("pdf.doc"));
    const QString pdf = workFile(QStringLiteral("letter.pdf"));
    fillLetter(templateBytes(), sampleFields(), workPlace().tempFolder(), letter);
    if (reportedAnError(state))
        return;
    try {
        OpenedDocument opened(letter);
        for (auto _ : state)
            saveLetter(opened.document(), pdf, LetterFormat::Pdf);
    } catch (const std::exception &failure) {
        state.SkipWithError(failure.what());
    }
    QFile::remove(letter);
    QFile::remove(pdf);
}
BENCHMARK(BM_Pdf)->Name("pdf")->Unit(benchmark::kMillisecond)->UseRealTime();

// A merge of kMergeRows recipients into one letter each, as .doc (0) or PDF (1), on every core; one
// iteration is the whole merge, and "letters_per_second" its rate.
void BM_Merge(benchmark::State &state)
{
    const LetterFormat format = state.range(0) == 0 ? LetterFormat::Doc : LetterFormat::Pdf;
    const QString list = workFile(QStringLiteral("recipients.csv"));
    if (!writeFile(list, recipientList(kMergeRows))) {
        state.SkipWithError("cannot write the recipient list");
        return;
    }
    const QString folder = workFile(QStringLiteral("merged"));
    for (auto _ : state) {
        state.PauseTiming();
        QDir(folder).removeRecursively();
        QDir().mkpath(folder);
        state.ResumeTiming();
        MergeOptions options;
        options.listPath = list;
        options.outputFolder = folder;
        options.formats = {format};
        options.jobs = QThread::idealThreadCount();
        try {
            MergeRun merge(options);
            const std::atomic<bool> stop(false);
            if (merge.run(stop).written != kMergeRows)
                state.SkipWithError("the merge skipped rows");
        } catch (const std::exception &failure) {
            state.SkipWithError(failure.what());
        }
    }
    state.counters["letters_per_second"] = benchmark::Counter(double(kMergeRows) * double(state.iterations()),
                                                              benchmark::Counter::kIsRate);
    QDir(folder).removeRecursively();
}
BENCHMARK(BM_Merge)->Name("merge")->ArgName("pdf")->Arg(0)->Arg(1)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// From the click on "Start Creating Template" to the preview's canvas painted at zoom 1.0.
void BM_WholeRoad(benchmark::State &state)
{
    try {
        WindowSession session;
        // The first generation creates what later ones reuse (fonts, the preview's set-up).
        session.generate();
        session.back();
        for (auto _ : state) {
            session.generate();
            state.PauseTiming();
            const bool failed = reportedAnError(state) || session.preview().zoom() != 1.0f;
            session.back();
            state.ResumeTiming();
            if (failed) {
                state.SkipWithError("the preview did not show the letter at zoom 1.0");
                break;
            }
        }
    } catch (const std::exception &failure) {
        state.SkipWithError(failure.what());
    }
}
BENCHMARK(BM_WholeRoad)->Name("whole_road")->Unit(benchmark::kMillisecond)->UseRealTime();

// One "Zoom In" step from the zoom given in percent, repaint included.
void BM_ZoomIn(benchmark::State &state)
{
    const float start = state.range(0) / kPercent;
    const float target = (state.range(0) + kZoomStepPercent) / kPercent;
    try {
        WindowSession session;
        session.generate();
        while (session.preview().zoom() < start)
            session.zoomIn();
        for (auto _ : state) {
            session.zoomIn();
            state.PauseTiming();
            const bool stepped = session.preview().zoom() == target;
            session.zoomOut();
            state.ResumeTiming();
            if (!stepped || reportedAnError(state)) {
                state.SkipWithError("the zoom step was refused");
                break;
            }
        }
    } catch (const std::exception &failure) {
        state.SkipWithError(failure.what());
    }
}
BENCHMARK(BM_ZoomIn)
    ->Name("zoom_in")
    ->ArgName("from_percent")
    ->Arg(kZoomStartPercents[0])
    ->Arg(kZoomStartPercents[1])
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

void registerPageArguments(benchmark::internal::Benchmark *benchmark)
{
    for (int pages : kSyntheticPages)
        benchmark->Arg(pages);
}

// The fill on a synthetic template of the given number of pages.
void BM_FillPages(benchmark::State &state)
{
    const QByteArray &package = syntheticTemplateBytes(int(state.range(0)));
    fillBenchmark(state, package);
    state.counters["pages"] = double(state.range(0));
}
BENCHMARK(BM_FillPages)->Name("fill_pages")->ArgName("pages")->Apply(registerPageArguments)->Unit(benchmark::kMillisecond)->UseRealTime();

// The render of a synthetic letter of the given number of pages.
void BM_RenderPages(benchmark::State &state)
{
    const QByteArray &package = syntheticTemplateBytes(int(state.range(0)));
    renderBenchmark(state, package);
    state.counters["pages"] = double(state.range(0));
}
BENCHMARK(BM_RenderPages)->Name("render_pages")->ArgName("pages")->Apply(registerPageArguments)->Unit(benchmark::kMillisecond)->UseRealTime();

// Handles the file-writing and profiling options; returns false when none was given.
bool runFileOptions(const QStringList &arguments, int &status)
{
    const QString templateOption = QStringLiteral("--write-template=");
    const QString letterOption = QStringLiteral("--write-letter=");
    const QString syntheticOption = QStringLiteral("--write-synthetic=");
    const QString renderOption = QStringLiteral("--render=");
    const QString fieldsOption = QStringLiteral("--write-fields=");
    const QString recipientsOption = QStringLiteral("--write-recipients=");
    bool handled = false;
    status = 0;
    for (const QString &argument : arguments) {
        if (argument.startsWith(templateOption)) {
            handled = true;
            if (!writeFile(argument.mid(templateOption.size()), templateBytes()))
                status = 1;
        } else if (argument.startsWith(fieldsOption)) {
            handled = true;
            QJsonObject fields;
            for (const FieldReplacement &field : sampleFields())
                fields.insert(field.tag, field.text);
            if (!writeFile(argument.mid(fieldsOption.size()), QJsonDocument(fields).toJson()))
                status = 1;
        } else if (argument.startsWith(recipientsOption)) {
            handled = true;
            const QString rows = argument.mid(recipientsOption.size()).section(QLatin1Char(':'), 0, 0);
            const QString path = argument.mid(recipientsOption.size()).section(QLatin1Char(':'), 1);
            if (!writeFile(path, recipientList(rows.toInt())))
                status = 1;
        } else if (argument.startsWith(syntheticOption)) {
            handled = true;
            const QString pages = argument.mid(syntheticOption.size()).section(QLatin1Char(':'), 0, 0);
            const QString path = argument.mid(syntheticOption.size()).section(QLatin1Char(':'), 1);
            if (!writeFile(path, syntheticTemplate(pages.toInt(), workPlace().tempFolder())))
                status = 1;
        } else if (argument.startsWith(renderOption)) {
            handled = true;
            QFile source(argument.mid(renderOption.size()).section(QLatin1Char(':'), 0, 0));
            const int count = argument.mid(renderOption.size()).section(QLatin1Char(':'), 1).toInt();
            if (!source.open(QIODevice::ReadOnly)) {
                status = 1;
                continue;
            }
            const QString letter = workFile(QStringLiteral("render.doc"));
            fillLetter(source.readAll(), sampleFields(), workPlace().tempFolder(), letter);
            OpenedDocument opened(letter);
            for (int n = 0; n < count; ++n)
                benchmark::DoNotOptimize(copyBodyPicture(opened.document()));
        } else if (argument.startsWith(letterOption)) {
            handled = true;
            fillLetter(templateBytes(), sampleFields(), workPlace().tempFolder(),
                       QDir::current().absoluteFilePath(argument.mid(letterOption.size())));
            const QStringList messages = workPlace().takeMessages();
            for (const QString &message : messages)
                QTextStream(stderr) << message << Qt::endl;
            if (!messages.isEmpty())
                status = 1;
        }
    }
    return handled;
}

} // namespace

int main(int argc, char **argv)
{
    // The program tunes its memory so; the measured process must too.
    quill::keepFreedMemoryForReuse();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    benchmark::Initialize(&argc, argv);
    QApplication application(argc, argv);
    // Every benchmark works in the private folders, never in the user's.
    workPlace();
    int status = 0;
    if (runFileOptions(application.arguments(), status))
        return status;
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
