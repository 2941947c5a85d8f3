#pragma once

#include <QString>

class QMimeData;
class QWidget;

namespace quill {

// The recipient list (a local .csv file) that `data` carries, or "" when it carries none.
QString droppedRecipientList(const QMimeData *data);

// Makes one letter per row of the list at `listPath`, as the merge command does: asks for the
// output folder, shows a progress dialog whose Cancel stops after the letters in hand, and ends
// with the summary in one message box. Nothing of the window or its stored values changes.
void mergeDroppedList(QWidget *parent, const QString &listPath);

} // namespace quill
