#include "CommandLine.h"

#include "Error.h"
#include "MergeRun.h"
#include "ProgressBar.h"
#include "StopSignal.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QThread>

#include <cstdio>
#include <cstring>

namespace quill {

namespace {

const QString kMergeCommand = QStringLiteral("merge");
// The most workers a merge takes.
constexpr int kMaxJobs = 256;

void printError(const QString &text)
{
    std::fprintf(stderr, "%s: %s\n", qPrintable(QCoreApplication::applicationName()), text.toLocal8Bit().constData());
}

void printLine(std::FILE *stream, const QString &text)
{
    std::fprintf(stream, "%s\n", text.toLocal8Bit().constData());
}

struct MergeCommandOptions
{
    QCommandLineOption out{{QStringLiteral("o"), QStringLiteral("out")}, QStringLiteral("Write the letters into <folder> (it must exist)."), QStringLiteral("folder")};
    QCommandLineOption format{{QStringLiteral("f"), QStringLiteral("format")}, QStringLiteral("Write each letter as doc, pdf or both (default: doc)."), QStringLiteral("format"), QStringLiteral("doc")};
    QCommandLineOption templateFile{{QStringLiteral("t"), QStringLiteral("template")}, QStringLiteral("Fill <file>, a Word document or template with bracketed tags, instead of the built-in letter."), QStringLiteral("file")};
    QCommandLineOption name{{QStringLiteral("n"), QStringLiteral("name")}, QStringLiteral("Name the files by <pattern>, tags in braces (default: \"%1\").").arg(kDefaultNamePattern), QStringLiteral("pattern"), kDefaultNamePattern};
    QCommandLineOption jobs{{QStringLiteral("j"), QStringLiteral("jobs")}, QStringLiteral("Make <n> letters at a time (default: the number of processors)."), QStringLiteral("n")};
    QCommandLineOption force{QStringLiteral("force"), QStringLiteral("Replace files that already exist (otherwise they are kept and their rows reported).")};
    QCommandLineOption quiet{{QStringLiteral("q"), QStringLiteral("quiet")}, QStringLiteral("Show neither progress nor the summary; problems are still reported.")};
};

void setUpParser(QCommandLineParser &parser, const MergeCommandOptions &options)
{
    parser.setApplicationDescription(QStringLiteral("Fills the proposal letter once for every recipient of a list.\n"
                                                    "Without arguments the program opens its window."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(kMergeCommand, QStringLiteral("Make one letter per data row of <list>."), QStringLiteral("merge <list.csv>"));
    parser.addOptions({options.out, options.format, options.templateFile, options.name, options.jobs, options.force, options.quiet});
}

std::vector<LetterFormat> formatsNamed(const QString &name)
{
    if (name == QLatin1String("doc"))
        return {LetterFormat::Doc};
    if (name == QLatin1String("pdf"))
        return {LetterFormat::Pdf};
    if (name == QLatin1String("both"))
        return {LetterFormat::Doc, LetterFormat::Pdf};
    return {};
}

// The merge's options from the parsed command line; an error message when they do not fit.
QString readOptions(const QCommandLineParser &parser, const MergeCommandOptions &options, MergeOptions &merge)
{
    const QStringList positional = parser.positionalArguments();
    if (positional.size() != 2)
        return QStringLiteral("merge takes one recipient list: merge LIST.csv --out FOLDER");
    merge.listPath = positional[1];
    if (!parser.isSet(options.out))
        return QStringLiteral("merge needs the output folder: --out FOLDER");
    merge.outputFolder = parser.value(options.out);
    merge.formats = formatsNamed(parser.value(options.format));
    if (merge.formats.empty())
        return QStringLiteral("--format takes doc, pdf or both, not \"%1\"").arg(parser.value(options.format));
    merge.templatePath = parser.value(options.templateFile);
    merge.namePattern = parser.value(options.name);
    merge.replace = parser.isSet(options.force);
    merge.jobs = QThread::idealThreadCount();
    if (parser.isSet(options.jobs)) {
        bool number = false;
        merge.jobs = parser.value(options.jobs).toInt(&number);
        if (!number || merge.jobs < 1 || merge.jobs > kMaxJobs)
            return QStringLiteral("--jobs takes a number from 1 to %1, not \"%2\"").arg(kMaxJobs).arg(parser.value(options.jobs));
    }
    return QString();
}

int runMerge(const MergeOptions &options, bool quiet)
{
    std::unique_ptr<MergeRun> run;
    try {
        run = std::make_unique<MergeRun>(options);
    } catch (const Error &error) {
        printError(error.description());
        return kExitNothingStarted;
    }
    if (!quiet) {
        for (const QString &note : run->notes())
            printLine(stderr, note);
    }
    const bool drawProgress = !quiet && ProgressBar::standardErrorIsTerminal();
    ProgressBar bar(drawProgress ? RecipientList::countRows(options.listPath) : 0, drawProgress);
    StopSignal stop;
    const MergeReport report = run->run(stop.flag(), [&bar](qint64 handled) { bar.update(handled); });
    bar.clear();
    for (const MergeProblem &problem : report.problems)
        printLine(stderr, problem.message);
    if (!report.listError.isEmpty())
        printLine(stderr, report.listError);
    if (!quiet)
        printLine(stdout, mergeSummary(report, options.outputFolder));
    return mergeExitStatus(report);
}

} // namespace

bool wantsCommandLine(int argc, char **argv)
{
    if (argc < 2)
        return false;
    for (const char *word : {"merge", "--help", "-h", "--help-all", "--version", "-v"}) {
        if (std::strcmp(argv[1], word) == 0)
            return true;
    }
    return false;
}

int runCommandLine(const QStringList &arguments)
{
    QCommandLineParser parser;
    const MergeCommandOptions options;
    setUpParser(parser, options);
    if (!parser.parse(arguments)) {
        printError(parser.errorText());
        return kExitNothingStarted;
    }
    if (parser.isSet(QStringLiteral("help")) || parser.isSet(QStringLiteral("help-all"))) {
        printLine(stdout, parser.helpText());
        return kExitAllMade;
    }
    if (parser.isSet(QStringLiteral("version"))) {
        printLine(stdout, QStringLiteral("%1 %2").arg(QCoreApplication::applicationName(), QCoreApplication::applicationVersion()));
        return kExitAllMade;
    }
    if (parser.positionalArguments().value(0) != kMergeCommand) {
        printError(QStringLiteral("unknown command \"%1\"; try --help").arg(parser.positionalArguments().value(0)));
        return kExitNothingStarted;
    }
    MergeOptions merge;
    const QString problem = readOptions(parser, options, merge);
    if (!problem.isEmpty()) {
        printError(problem);
        return kExitNothingStarted;
    }
    return runMerge(merge, parser.isSet(options.quiet));
}

} // namespace quill
