#pragma once

#include <QByteArray>
#include <QString>

namespace quill::bench {

// A letter template of `pages` body pages, built from the embedded template: its body's paragraphs
// and tables repeated in order, as many as fill exactly that many pages (placeholders included).
// `folder` holds the work files of the search. Throws std::runtime_error when no such count exists.
QByteArray syntheticTemplate(int pages, const QString &folder);

// The number of body pages the engine lays the package `packageBytes` out into.
int bodyPageCount(const QByteArray &packageBytes, const QString &folder);

} // namespace quill::bench
