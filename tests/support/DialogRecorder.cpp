#include "DialogRecorder.h"

#include "ProgramEnd.h"

#include <QStringList>

namespace quill::test {

DialogRecorder::DialogRecorder()
{
    MessageBoxes::setHandler([this](const MessageBoxes::Request &request) {
        m_boxes << request;
        return request.style == MessageBoxes::YesNo ? m_answer : int(MessageBoxes::Ok);
    });
    SaveDialog::setHandler([this](const SaveDialog::Request &request) {
        m_saveDialogs << request;
        return SaveDialog::Answer(m_savePath, m_saveFilter);
    });
    setProgramEndHandler([this] { ++m_programEnds; });
}

DialogRecorder::~DialogRecorder()
{
    MessageBoxes::setHandler({});
    SaveDialog::setHandler({});
    setProgramEndHandler({});
}

QString DialogRecorder::boxTexts() const
{
    QStringList texts;
    for (const MessageBoxes::Request &box : m_boxes)
        texts << box.text;
    return texts.join(QLatin1Char('\n'));
}

} // namespace quill::test
