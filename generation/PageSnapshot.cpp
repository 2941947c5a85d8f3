#include "PageSnapshot.h"

#include "Automation.h"
#include "ClipboardPicture.h"
#include "ErrorTrap.h"
#include "Error.h"
#include "FileHelpers.h"
#include "Product.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

namespace quill {

namespace {

const QString kSnapshotTag = procedureTag("Form1", "SaveDocAsJPG");
// Close without saving.
constexpr int kDoNotSaveChanges = 0;

// One attempt at reading a picture from the clipboard.
Picture readClipboardPicture()
{
    const QMimeData *data = QGuiApplication::clipboard()->mimeData();
    if (!data)
        return Picture();
    bool isVector = false;
    const QPicture vector = pictureFromMimeData(data, &isVector);
    if (isVector)
        return Picture(vector);
    if (data->hasImage())
        return Picture(qvariant_cast<QImage>(data->imageData()));
    return Picture();
}

} // namespace

bool SaveDocAsJPG(const QString &documentPath, const QString &snapshotPath)
{
    ErrorTrap trap(kSnapshotTag);
    // A snapshot left by an interrupted earlier run must never pass for this letter's when this one fails.
    DeleteFileQuietly(snapshotPath);
    AutoObject word;
    AutoObject document;
    // Without an instance, or without the document, every later step could only fail as well:
    // one report is enough.
    if (!trap.run(116, [&] { word = CreateObject(QStringLiteral("Word.Application")); }))
        return false;
    bool written = false;
    if (trap.run(118, [&] { document = word.object(QStringLiteral("Documents")).callObject(QStringLiteral("Open"), {Arg(documentPath)}); })) {
        // Empty the clipboard first: a failed copy must leave no picture, never someone else's.
        QGuiApplication::clipboard()->clear();
        const bool copied = trap.run(120, [&] { document.callObject(QStringLiteral("Range")).call(QStringLiteral("CopyAsPicture")); });
        if (copied) {
            written = trap.run(122, [&] {
                const Picture picture = GetClipboardPicture(kAnyPictureFormat);
                if (picture.isNull())
                    throw Error(Status::InvalidPicture, QStringLiteral("The clipboard holds no picture of the letter."));
                // Saving replaces through a link; a link left at the work file's place must not lead outside T.
                DeleteFileQuietly(snapshotPath);
                picture.save(snapshotPath);
            });
        }
        trap.run(124, [&] {
            word.object(QStringLiteral("ActiveDocument")).call(QStringLiteral("Close"), {Arg(QStringLiteral("savechanges"), kDoNotSaveChanges)});
        });
    }
    trap.run(126, [&] { word.call(QStringLiteral("Quit")); });
    return written;
}

Picture GetClipboardPicture(int format)
{
    Q_UNUSED(format); // only "any picture format" is ever asked for
    Picture result;
    for (int attempt = 0; attempt < kClipboardAttempts; ++attempt) {
        try {
            result = readClipboardPicture();
        } catch (...) {
            // A failing read is simply another attempt.
        }
        if (!result.isNull())
            break;
    }
    return result;
}

} // namespace quill
