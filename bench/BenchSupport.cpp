#include "BenchSupport.h"

#include "ErrorTrap.h"
#include "FileHelpers.h"
#include "Form1.h"
#include "Form2.h"
#include "LetterFields.h"
#include "MessageBoxes.h"
#include "PageSnapshot.h"
#include "PictureBox.h"
#include "ProgramEnd.h"
#include "SaveDialog.h"

#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QFile>
#include <QPushButton>
#include <QSettings>

#include <stdexcept>

namespace quill::bench {

namespace {

const QString kFillTag = QStringLiteral("in the benchmark's letter fill ");
// The longest wait for a paint before the benchmark gives up, in milliseconds.
constexpr qint64 kPaintTimeoutMs = 20000;
// Close without saving.
constexpr int kDoNotSaveChanges = 0;

QStringList &shownMessages()
{
    static QStringList messages;
    return messages;
}

// A value from /proc/self/status ("VmRSS", "VmHWM"), in bytes; 0 when it cannot be read.
qint64 statusBytes(const QByteArray &key)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> lines = status.readAll().split('\n');
    for (const QByteArray &line : lines) {
        if (line.startsWith(key + ':')) {
            constexpr qint64 kBytesPerKiB = 1024;
            return line.mid(key.size() + 1).trimmed().split(' ').value(0).toLongLong() * kBytesPerKiB;
        }
    }
    return 0;
}

} // namespace

WorkPlace::WorkPlace()
{
    if (!m_temp.isValid() || !m_settings.isValid())
        throw std::runtime_error("no temporary folder for the benchmark");
    qputenv("TEMP", QFile::encodeName(m_temp.path()));
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_settings.path());
    MessageBoxes::setHandler([](const MessageBoxes::Request &request) {
        shownMessages() << request.text;
        return int(MessageBoxes::Yes);
    });
    SaveDialog::setHandler([](const SaveDialog::Request &) { return QString(); });
    // A window that closes must not end the benchmark's process.
    setProgramEndHandler([] {});
}

WorkPlace::~WorkPlace()
{
    MessageBoxes::setHandler({});
    SaveDialog::setHandler({});
    setProgramEndHandler({});
}

QStringList WorkPlace::takeMessages()
{
    QStringList messages;
    messages.swap(shownMessages());
    return messages;
}

std::vector<FieldReplacement> sampleFields()
{
    std::vector<QString> values(kFieldCount);
    for (const SampleValue &sample : kSampleValues)
        values[sample.index] = QString::fromUtf8(sample.value);
    values[kDateField] = currentDateText();
    std::vector<FieldReplacement> fields;
    for (int index = 0; index < kFieldCount; ++index)
        fields.push_back({QString::fromLatin1(letterField(index).tag), values[index]});
    return fields;
}

namespace {

// The fields numbered by the row in recipientList(): the recipient's name, company and street.
constexpr int kNumberedFields[] = {7, 11, 4};

QByteArray csvLine(const QStringList &cells)
{
    QStringList quoted;
    for (const QString &cell : cells)
        quoted << QLatin1Char('"') + QString(cell).replace(QLatin1Char('"'), QStringLiteral("\"\"")) + QLatin1Char('"');
    return quoted.join(QLatin1Char(',')).toUtf8() + '\n';
}

} // namespace

QByteArray recipientList(int rows)
{
    const std::vector<FieldReplacement> sample = sampleFields();
    QStringList header;
    for (const FieldReplacement &field : sample)
        header << field.tag.mid(1, field.tag.size() - 2);
    QByteArray list = csvLine(header);
    for (int row = 1; row <= rows; ++row) {
        QStringList cells;
        for (const FieldReplacement &field : sample)
            cells << field.text;
        for (int index : kNumberedFields)
            cells[index] += QStringLiteral(" %1").arg(row);
        list += csvLine(cells);
    }
    return list;
}

void fillLetter(const QByteArray &templateBytes, const std::vector<FieldReplacement> &fields, const QString &folder,
                const QString &resultPath)
{
    ErrorTrap trap(kFillTag);
    const QString templatePath = joinPath(folder, kTemplateWorkFile);
    AutoObject word;
    AutoObject document;
    trap.run(1, [&] { WriteBytesIfAbsent(templateBytes, templatePath); });
    trap.run(2, [&] { word = CreateObject(QStringLiteral("Word.Application")); });
    trap.run(3, [&] {
        document = word.object(QStringLiteral("Documents"))
                       .callObject(QStringLiteral("Open"), {Arg(templatePath), Arg(QStringLiteral("ReadOnly"), true)});
    });
    replaceInStories(trap, document, fields);
    replaceInShapes(trap, document, fields);
    trap.run(4, [&] { document.call(QStringLiteral("SaveAs"), {Arg(resultPath)}); });
    trap.run(5, [&] { word.set(QStringLiteral("DisplayAlerts"), false); });
    trap.run(6, [&] { document.call(QStringLiteral("Close")); });
    trap.run(7, [&] { word.call(QStringLiteral("Quit")); });
    DeleteFileQuietly(templatePath);
}

OpenedDocument::OpenedDocument(const QString &path)
    : m_word(CreateObject(QStringLiteral("Word.Application")))
    , m_document(m_word.object(QStringLiteral("Documents")).callObject(QStringLiteral("Open"), {Arg(path)}))
{
}

OpenedDocument::~OpenedDocument()
{
    try {
        m_document.call(QStringLiteral("Close"), {Arg(QStringLiteral("savechanges"), kDoNotSaveChanges)});
        m_word.call(QStringLiteral("Quit"));
    } catch (...) {
        // Nothing is left to save; the instance goes with its handle.
    }
}

Picture copyBodyPicture(const AutoObject &document)
{
    QGuiApplication::clipboard()->clear();
    document.callObject(QStringLiteral("Range")).call(QStringLiteral("CopyAsPicture"));
    const Picture picture = GetClipboardPicture(kAnyPictureFormat);
    if (picture.isNull())
        throw std::runtime_error("the clipboard holds no picture of the letter");
    return picture;
}

// Counts the paint events of one widget.
class WindowSession::PaintCounter : public QObject
{
public:
    explicit PaintCounter(QWidget *watched) { watched->installEventFilter(this); }
    int count() const { return m_count; }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            ++m_count;
        return false;
    }

private:
    int m_count = 0;
};

WindowSession::WindowSession()
    : m_form(std::make_unique<Form1>())
{
    m_form->Form_Load();
    m_form->show();
    m_form->PushButton4->click();
    m_paints = std::make_unique<PaintCounter>(m_form->preview().Picture1);
    QCoreApplication::processEvents();
}

WindowSession::~WindowSession()
{
    if (Form2 *preview = m_form->existingPreview(); preview && preview->isVisible())
        back();
    m_paints.reset();
    m_form.reset();
    QCoreApplication::processEvents();
}

Form2 &WindowSession::preview()
{
    return m_form->preview();
}

template <typename Action>
void WindowSession::clickAndWaitForPaint(Action &&action)
{
    const int before = m_paints->count();
    const float zoomBefore = preview().zoom();
    const bool wasVisible = preview().isVisible();
    action();
    // A zoom step that changes nothing repaints nothing.
    if (wasVisible && preview().zoom() == zoomBefore)
        return;
    // The paint event is dispatched, and the canvas painted, inside processEvents.
    QElapsedTimer waited;
    waited.start();
    while (m_paints->count() == before) {
        if (waited.elapsed() > kPaintTimeoutMs)
            throw std::runtime_error("the preview's canvas was never painted");
        QCoreApplication::processEvents();
    }
}

void WindowSession::generate()
{
    clickAndWaitForPaint([this] { m_form->PushButton6->click(); });
    if (!preview().isVisible())
        throw std::runtime_error("no preview after \"Start Creating Template\"");
}

void WindowSession::zoomIn()
{
    clickAndWaitForPaint([this] { preview().PushButton1->click(); });
}

void WindowSession::zoomOut()
{
    clickAndWaitForPaint([this] { preview().PushButton2->click(); });
}

void WindowSession::back()
{
    preview().PushButton8->click();
    QCoreApplication::processEvents();
}

qint64 residentBytes()
{
    return statusBytes("VmRSS");
}

qint64 residentPeakBytes()
{
    return statusBytes("VmHWM");
}

} // namespace quill::bench
