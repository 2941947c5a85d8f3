// One instance of the program for the two-instance test: the real main window on the environment's
// TEMP and settings, generating and saving a letter a number of times.
//   fault_generation_helper <sender name> <output folder> <rounds>
// Each round (announced on standard error as "round <n>") types the name (with the round's number), presses "Start Creating Template", saves the
// letter as <output folder>/<round>.doc and goes back. Every message box is printed to standard error;
// the exit code is the number of boxes other than "Done.". With QUILL_HOLD_BOXES set, each box stays up
// until a line arrives on standard input, as for a user who has stepped away.
#include "Form1.h"
#include "Form2.h"
#include "MessageBoxes.h"
#include "ProgramEnd.h"
#include "SaveDialog.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QTest>

#include <cstdio>

namespace {
// The arguments after the program's name.
constexpr int kArgumentCount = 3;
// The sender name field.
constexpr int kNameField = 0;
} // namespace

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    if (argc != kArgumentCount + 1) {
        std::fprintf(stderr, "usage: %s <sender name> <output folder> <rounds>\n", argv[0]);
        return 2;
    }
    const QString name = QString::fromLocal8Bit(argv[1]);
    const QDir output(QString::fromLocal8Bit(argv[2]));
    const int rounds = QString::fromLocal8Bit(argv[3]).toInt();
    // The settings live where the test says, as every test's do.
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, qEnvironmentVariable("QUILL_SETTINGS_DIR"));

    int failures = 0;
    const bool holdBoxes = qEnvironmentVariableIsSet("QUILL_HOLD_BOXES");
    quill::MessageBoxes::setHandler([&failures, holdBoxes](const quill::MessageBoxes::Request &request) {
        if (request.text != QLatin1String("Done."))
            ++failures;
        std::fprintf(stderr, "box: %s\n", qPrintable(request.text));
        QFile input;
        if (holdBoxes && input.open(stdin, QIODevice::ReadOnly))
            input.readLine();
        return int(quill::MessageBoxes::Yes);
    });
    QString savePath;
    quill::SaveDialog::setHandler([&savePath](const quill::SaveDialog::Request &) { return savePath; });
    quill::setProgramEndHandler([] {});

    quill::Form1 form;
    form.Form_Load();
    form.show();
    for (int round = 0; round < rounds; ++round) {
        std::fprintf(stderr, "round %d\n", round);
        form.field(kNameField)->setText(QStringLiteral("%1 %2").arg(name).arg(round));
        QTest::mouseClick(form.PushButton6, Qt::LeftButton);
        quill::Form2 *preview = form.existingPreview();
        // A user sees the window before pressing anything in it.
        if (!preview || !QTest::qWaitForWindowExposed(preview)) {
            std::fprintf(stderr, "round %d: no preview\n", round);
            ++failures;
            continue;
        }
        savePath = output.filePath(QStringLiteral("%1.doc").arg(round));
        QTest::mouseClick(preview->PushButton6, Qt::LeftButton);
        QTest::mouseClick(preview->PushButton8, Qt::LeftButton);
        if (!QTest::qWaitForWindowExposed(&form))
            ++failures;
    }
    return failures;
}
