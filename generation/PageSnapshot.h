#pragma once

#include "Picture.h"

#include <QString>

namespace quill {

// How often the clipboard is asked for a picture before giving up.
constexpr int kClipboardAttempts = 1000;
// The clipboard format number that means "any picture format".
constexpr int kAnyPictureFormat = 0;

// Renders the body of the document at `documentPath` through a second word-processor instance:
// the body is copied to the clipboard as a picture, fetched back and written to `snapshotPath`.
// Any earlier file at `snapshotPath` is removed first. Failures are reported with the snapshot's own
// tag; the caller learns only whether the snapshot was written, and must not report them again.
bool SaveDocAsJPG(const QString &documentPath, const QString &snapshotPath);

// The picture on the system clipboard, asked for up to kClipboardAttempts times back to back;
// a null picture when every attempt failed. Never fails.
Picture GetClipboardPicture(int format);

} // namespace quill
